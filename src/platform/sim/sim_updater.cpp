#include "platform/sim/sim_updater.h"

#include "platform/sim/sim_update_feed.h"
#include "platform/sim/sim_update_window.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"

namespace tarnwick::sim {

using platform::UpdaterProperty;

namespace {

bool storedSwitch(SimulatedSession& session, const char* key) {
    auto value = session.defaults().object(key);
    return value && value->toBool().value_or(false);
}

}  // namespace

SimUpdater::~SimUpdater() { automaticChecks_.invalidate(); }

bool SimUpdater::canCheckForUpdates() const {
    auto lock = session_.lock();
    return started_ && !checking_;
}

bool SimUpdater::automaticallyChecksForUpdates() const {
    auto lock = session_.lock();
    return storedSwitch(session_, kAutomaticChecksDefaultsKey);
}

void SimUpdater::setAutomaticallyChecksForUpdates(bool on) {
    auto lock = session_.lock();
    session_.defaults().set(kAutomaticChecksDefaultsKey, on);
    scheduleAutomaticChecks();
    report(UpdaterProperty::automaticallyChecksForUpdates, on);
}

bool SimUpdater::automaticallyDownloadsUpdates() const {
    auto lock = session_.lock();
    return storedSwitch(session_, kAutomaticDownloadsDefaultsKey);
}

void SimUpdater::setAutomaticallyDownloadsUpdates(bool on) {
    auto lock = session_.lock();
    session_.defaults().set(kAutomaticDownloadsDefaultsKey, on);
    report(UpdaterProperty::automaticallyDownloadsUpdates, on);
}

bool SimUpdater::allowsAutomaticUpdates() const {
    auto lock = session_.lock();
    return session_.updates.allowsAutomaticUpdates;
}

void SimUpdater::startUpdater() {
    auto lock = session_.lock();
    ++session_.updates.startCalls;
    if (started_) return;
    if (session_.updates.startError) throw Error(*session_.updates.startError);
    started_ = true;
    scheduleAutomaticChecks();
    report(UpdaterProperty::canCheckForUpdates, true);
}

void SimUpdater::checkForUpdates() {
    auto lock = session_.lock();
    ++session_.updates.checkRequests;
    check(false);
}

Subscription SimUpdater::observe(UpdaterProperty property, ChangeHandler handler) {
    auto lock = session_.lock();
    return observers_[property].subscribe(std::move(handler));
}

void SimUpdater::check(bool automatic) {
    if (!started_ || checking_) return;
    checking_ = true;
    report(UpdaterProperty::canCheckForUpdates, false);
    // The framework's own window follows a check the user started; automatic ones stay quiet.
    if (!automatic) session_.updateWindow().showChecking();
    auto finish = [weak = weak_from_this(), automatic] {
        auto self = weak.lock();
        if (!self) return;
        auto lock = self->session_.lock();
        SimUpdateOutcome outcome = checkUpdateFeed(self->session_);
        outcome.automatic = automatic;
        self->session_.updates.outcomes.push_back(outcome);
        self->checking_ = false;
        self->report(UpdaterProperty::canCheckForUpdates, true);
        if (!automatic) self->session_.updateWindow().showOutcome(outcome);
    };
    const double duration =
        session_.updates.checkDuration.value_or(session_.clock().isManual() ? 0 : kRealTimeCheckSeconds);
    if (duration > 0)
        session_.loop().postAfter(duration, std::move(finish));
    else
        session_.loop().post(std::move(finish));
}

void SimUpdater::report(UpdaterProperty property, bool value) {
    std::optional<bool> carried;
    if (session_.updates.changesCarryValues) carried = value;
    auto deliver = [weak = weak_from_this(), property, carried] {
        auto self = weak.lock();
        if (!self) return;
        // Observers run without the session lock, as any main-loop work does.
        auto it = self->observers_.find(property);
        if (it != self->observers_.end()) it->second.emit(carried);
    };
    const double delay = session_.updates.reportingDelay;
    if (delay > 0)
        session_.loop().postAfter(delay, std::move(deliver));
    else
        session_.loop().post(std::move(deliver));
}

void SimUpdater::scheduleAutomaticChecks() {
    const bool wanted = started_ && storedSwitch(session_, kAutomaticChecksDefaultsKey);
    if (wanted == automaticChecks_.isValid()) return;
    if (!wanted) {
        automaticChecks_.invalidate();
        return;
    }
    automaticChecks_ = session_.loop().scheduleTimer(session_.updates.checkInterval, 0, [weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            auto lock = self->session_.lock();
            self->check(true);
        }
    });
}

std::unique_ptr<platform::StandardUpdaterController> SimUpdateFramework::makeStandardUpdaterController(
    bool startingUpdater) {
    auto lock = session_.lock();
    ++session_.updates.controllersMade;
    auto updater = std::make_shared<SimUpdater>(session_);
    // The framework reports a failed start in its own alert; the controller is made either way.
    if (startingUpdater) {
        try {
            updater->startUpdater();
        } catch (const Error&) {
        }
    }
    return std::make_unique<SimStandardUpdaterController>(std::move(updater));
}

}  // namespace tarnwick::sim
