// Reads the session file's "updates" section: the update framework's feed, faults and switches.

#include <cmath>
#include <string>

#include "platform/sim/session_file_reading.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

using namespace session_file;

namespace {

double seconds(const Value& value, const std::string& where, bool positive) {
    const double n = number(value, where);
    if (!std::isfinite(n) || n < 0 || (positive && n == 0))
        fail(where, positive ? "must be a positive number of seconds" : "must be a number of seconds, 0 or more");
    return n;
}

}  // namespace

void SimulatedSession::loadUpdatesSection(const Dictionary& root) {
    auto section = member(root, "updates");
    if (!section) return;
    const Dictionary& object = session_file::object(*section, "\"updates\"");
    if (auto v = member(object, "feed")) {
        if (v->isNull())
            updates.feedURL.reset();
        else
            updates.feedURL = text(*v, "updates.feed");
    }
    if (auto v = member(object, "startError")) {
        if (v->isNull())
            updates.startError.reset();
        else
            updates.startError = text(*v, "updates.startError");
    }
    if (auto v = member(object, "allowsAutomaticUpdates"))
        updates.allowsAutomaticUpdates = boolean(*v, "updates.allowsAutomaticUpdates");
    // Initial switches: a choice already kept in the defaults domain stands.
    if (auto v = member(object, "automaticChecks")) {
        const bool on = boolean(*v, "updates.automaticChecks");
        if (!defaults_->object(kAutomaticChecksDefaultsKey)) defaults_->set(kAutomaticChecksDefaultsKey, on);
    }
    if (auto v = member(object, "automaticDownloads")) {
        const bool on = boolean(*v, "updates.automaticDownloads");
        if (!defaults_->object(kAutomaticDownloadsDefaultsKey)) defaults_->set(kAutomaticDownloadsDefaultsKey, on);
    }
    if (auto v = member(object, "reportingDelay")) updates.reportingDelay = seconds(*v, "updates.reportingDelay", false);
    if (auto v = member(object, "changesCarryValues"))
        updates.changesCarryValues = boolean(*v, "updates.changesCarryValues");
    if (auto v = member(object, "checkInterval")) updates.checkInterval = seconds(*v, "updates.checkInterval", true);
    if (auto v = member(object, "checkDuration")) {
        if (v->isNull())
            updates.checkDuration.reset();
        else
            updates.checkDuration = seconds(*v, "updates.checkDuration", false);
    }
}

}  // namespace tarnwick::sim
