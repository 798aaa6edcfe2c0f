// The session's side of screen capture: the Spaces Bar window ids, the Screen Recording
// permission, and the session file's "capture" and "recognition" sections.

#include <string>

#include "platform/sim/session_file_reading.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

using namespace session_file;

namespace {

constexpr std::uint32_t kSpacesBarIDs = 900000;

// Whole numbers as the keys of an object (display ids, request numbers).
std::uint32_t numberKey(const std::string& key, const std::string& where) {
    const bool digits = !key.empty() && key.size() <= 10 && key.find_first_not_of("0123456789") == std::string::npos;
    if (digits && std::stoull(key) <= 0xFFFFFFFFull) return static_cast<std::uint32_t>(std::stoull(key));
    fail(where, "must be keyed by a whole number");
}

Rect frame(const Value& value, const std::string& where) {
    const Array& a = array(value, where);
    if (a.size() != 4) fail(where, "must list x, y, width and height");
    return Rect(number(a[0], where), number(a[1], where), number(a[2], where), number(a[3], where));
}

float confidence(const Value& value, const std::string& where) {
    const double c = number(value, where);
    if (!(c >= 0 && c <= 1)) fail(where, "must be a confidence from 0 to 1");
    return static_cast<float>(c);
}

void loadCapture(SimCaptureFaults& faults, const Dictionary& section) {
    if (auto v = member(section, "listingLatency")) faults.listingLatency = delay(*v, "capture.listingLatency");
    if (auto v = member(section, "listingError")) faults.listingError = text(*v, "capture.listingError");
    if (auto v = member(section, "screenshotLatency")) faults.screenshotLatency = delay(*v, "capture.screenshotLatency");
    if (auto v = member(section, "screenshotLatencyByDisplay"))
        for (const auto& [key, item] : object(*v, "capture.screenshotLatencyByDisplay")) {
            const std::string where = "capture.screenshotLatencyByDisplay." + key;
            faults.screenshotLatencyByDisplay[numberKey(key, where)] = delay(item, where);
        }
    if (auto v = member(section, "screenshotErrors"))
        for (const auto& [key, item] : object(*v, "capture.screenshotErrors")) {
            const std::string where = "capture.screenshotErrors." + key;
            faults.screenshotErrorByDisplay[numberKey(key, where)] = text(item, where);
        }
    if (auto v = member(section, "screenshotErrorOnRequest"))
        for (const auto& [key, item] : object(*v, "capture.screenshotErrorOnRequest")) {
            const std::string where = "capture.screenshotErrorOnRequest." + key;
            faults.screenshotErrorByCall[static_cast<int>(numberKey(key, where))] = text(item, where);
        }
    if (auto v = member(section, "extraSpacesBars"))
        for (const auto& id : array(*v, "capture.extraSpacesBars"))
            faults.extraSpacesBars.push_back(unsigned32(id, "capture.extraSpacesBars"));
    if (auto v = member(section, "barsOutsideDisplays")) {
        const Array& items = array(*v, "capture.barsOutsideDisplays");
        for (size_t i = 0; i < items.size(); ++i)
            faults.barsOutsideDisplays.push_back(frame(items[i], "capture.barsOutsideDisplays[" + std::to_string(i) + "]"));
    }
    if (auto v = member(section, "decoys")) {
        const Array& items = array(*v, "capture.decoys");
        for (size_t i = 0; i < items.size(); ++i) {
            const std::string where = "capture.decoys[" + std::to_string(i) + "]";
            const Dictionary& decoy = object(items[i], where);
            auto display = member(decoy, "display");
            auto words = member(decoy, "text");
            if (!display || !words) fail(where, "needs \"display\" and \"text\"");
            SimDecoyText added{unsigned32(*display, where + ".display"), text(*words, where + ".text"), 0};
            if (auto x = member(decoy, "x")) added.x = number(*x, where + ".x");
            faults.decoys.push_back(std::move(added));
        }
    }
    if (auto v = member(section, "captionMotion")) {
        const Dictionary& motion = object(*v, "capture.captionMotion");
        if (auto d = member(motion, "duration")) faults.captionMotionDuration = seconds(*d, "capture.captionMotion.duration");
        if (auto o = member(motion, "offset")) {
            const Array& offset = array(*o, "capture.captionMotion.offset");
            if (offset.size() != 2) fail("capture.captionMotion.offset", "must list x and y");
            faults.captionMotionOffset = Point{number(offset[0], "capture.captionMotion.offset"),
                                               number(offset[1], "capture.captionMotion.offset")};
        }
    }
}

void loadRecognition(SimRecognitionFaults& faults, const Dictionary& section) {
    if (auto v = member(section, "latency")) faults.latency = seconds(*v, "recognition.latency");
    if (auto v = member(section, "error")) faults.error = text(*v, "recognition.error");
    if (auto v = member(section, "errors"))
        for (const auto& [key, item] : object(*v, "recognition.errors")) {
            const std::string where = "recognition.errors." + key;
            faults.errorByDisplay[numberKey(key, where)] = text(item, where);
        }
    if (auto v = member(section, "confidence")) {
        if (v->isNumber()) {
            faults.confidence = confidence(*v, "recognition.confidence");
        } else {
            for (const auto& [key, item] : object(*v, "recognition.confidence"))
                faults.confidenceByText[key] = confidence(item, "recognition.confidence." + key);
        }
    }
    if (auto v = member(section, "misreads"))
        for (const auto& [key, item] : object(*v, "recognition.misreads"))
            faults.misreads[key] = text(item, "recognition.misreads." + key);
    if (auto v = member(section, "joined")) {
        const Array& items = array(*v, "recognition.joined");
        for (size_t i = 0; i < items.size(); ++i) {
            const std::string where = "recognition.joined[" + std::to_string(i) + "]";
            const Array& pair = array(items[i], where);
            if (pair.size() != 2) fail(where, "must name two captions");
            faults.joined.emplace_back(text(pair[0], where), text(pair[1], where));
        }
    }
}

}  // namespace

std::uint32_t SimulatedSession::spacesBarWindowID(std::uint32_t displayID) {
    auto guard = lock();
    auto& slots = capture.spacesBarSlots;
    auto it = slots.find(displayID);
    if (it == slots.end()) it = slots.emplace(displayID, static_cast<std::uint32_t>(slots.size())).first;
    return kSpacesBarIDs + 2 * it->second;
}

void SimulatedSession::grantScreenRecording() {
    auto guard = lock();
    system_.screenCaptureAllowed = true;
}

void SimulatedSession::revokeScreenRecording() {
    auto guard = lock();
    system_.screenCaptureAllowed = false;
}

void SimulatedSession::loadCaptureSections(const Dictionary& root) {
    if (auto section = member(root, "capture")) loadCapture(capture.faults, object(*section, "\"capture\""));
    if (auto section = member(root, "recognition"))
        loadRecognition(capture.recognition, object(*section, "\"recognition\""));
}

}  // namespace tarnwick::sim
