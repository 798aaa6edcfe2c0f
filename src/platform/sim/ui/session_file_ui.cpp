// Reads the session file's keys of the user-interface layer: Reduce Motion, the locale, the
// pointer, the system symbols, each display's reserved strips, each application's bundle state,
// and the "events" section (the double-click interval and the modifiers held at the start).

#include <cmath>
#include <string>

#include "platform/file_url.h"
#include "platform/sim/session_file_reading.h"
#include "platform/sim/sim_icons.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"

namespace tarnwick::sim {

using namespace session_file;

namespace {

Point point(const Value& value, const std::string& where) {
    const Array& a = array(value, where);
    if (a.size() != 2) fail(where, "must list x and y");
    return Point{number(a[0], where), number(a[1], where)};
}

SimInsets insets(const Value& value, const std::string& where) {
    const Dictionary& object = session_file::object(value, where);
    SimInsets result;
    auto edge = [&](const char* key, double& target) {
        if (auto v = member(object, key)) {
            target = number(*v, where + "." + key);
            if (!(target >= 0)) fail(where + "." + key, "must be a number of points, 0 or more");
        }
    };
    edge("top", result.top);
    edge("bottom", result.bottom);
    edge("left", result.left);
    edge("right", result.right);
    return result;
}

// An identifier ("de_DE"), or an object with "identifier" and, to differ from what the
// identifier implies, "decimalSeparator" and "groupingSeparator".
platform::Locale locale(const Value& value, const std::string& where) {
    if (value.asString()) {
        const std::string identifier = text(value, where);
        if (identifier.empty()) fail(where, "must name a locale, such as \"en_US\"");
        return platform::Locale::named(identifier);
    }
    const Dictionary& fields = object(value, where);
    auto identifier = member(fields, "identifier");
    if (!identifier) fail(where, "needs \"identifier\"");
    platform::Locale result = locale(*identifier, where + ".identifier");
    if (auto v = member(fields, "decimalSeparator")) result.decimalSeparator = text(*v, where + ".decimalSeparator");
    if (auto v = member(fields, "groupingSeparator")) result.groupingSeparator = text(*v, where + ".groupingSeparator");
    if (result.decimalSeparator.empty() || result.decimalSeparator == result.groupingSeparator)
        fail(where, "needs a decimal separator that is not empty and differs from the grouping separator");
    return result;
}

// A modifier key by name, with the platform's flag.
platform::ModifierFlags modifierFlag(const std::string& name, const std::string& where) {
    namespace flags = platform::modifier_flags;
    if (name == "shift") return flags::kShift;
    if (name == "control") return flags::kControl;
    if (name == "option") return flags::kOption;
    if (name == "command") return flags::kCommand;
    if (name == "capsLock") return flags::kCapsLock;
    if (name == "function") return flags::kFunction;
    fail(where, "must be \"shift\", \"control\", \"option\", \"command\", \"capsLock\" or \"function\"");
}

SimBundleFile bundleState(const std::string& state, const std::string& where) {
    if (state == "present") return SimBundleFile{};
    if (state == "missing") return SimBundleFile{false, false, false};
    if (state == "unreadable") return SimBundleFile{false, true, true};
    if (state == "iconless") return SimBundleFile{true, true, false};
    fail(where, "must be \"present\", \"missing\", \"unreadable\" or \"iconless\"");
}

}  // namespace

void SimulatedSession::loadUserInterfaceSections(const Dictionary& root) {
    if (auto system = member(root, "system")) {
        const Dictionary& settings = object(*system, "\"system\"");
        if (auto v = member(settings, "reduceMotion")) reduceMotion = boolean(*v, "system.reduceMotion");
        if (auto v = member(settings, "locale")) system_.locale = locale(*v, "system.locale");
    }
    if (auto section = member(root, "events")) {
        const Dictionary& events = object(*section, "\"events\"");
        if (auto v = member(events, "doubleClickInterval")) {
            events_->clickInterval = seconds(*v, "events.doubleClickInterval");
            if (!std::isfinite(events_->clickInterval))
                fail("events.doubleClickInterval", "must be a finite number of seconds");
        }
        if (auto v = member(events, "heldModifiers")) {
            const Array& keys = array(*v, "events.heldModifiers");
            for (size_t i = 0; i < keys.size(); ++i) {
                const std::string where = "events.heldModifiers[" + std::to_string(i) + "]";
                events_->heldModifiers |= modifierFlag(text(keys[i], where), where);
            }
        }
    }
    if (auto v = member(root, "pointer")) windowSystem_->pointer_ = point(*v, "pointer");
    if (auto section = member(root, "icons")) {
        const Dictionary& icons = object(*section, "\"icons\"");
        if (auto v = member(icons, "systemSymbols")) icons_->hasSymbols = boolean(*v, "icons.systemSymbols");
    }
    // Per display and per application, matched by position with what the main reader built.
    if (auto list = member(root, "displays")) {
        const Array& items = array(*list, "\"displays\"");
        for (size_t i = 0; i < items.size() && i < displays.size(); ++i) {
            const std::string where = "displays[" + std::to_string(i) + "]";
            if (auto v = member(object(items[i], where), "reserved")) displays[i].reserved = insets(*v, where + ".reserved");
        }
    }
    if (auto list = member(root, "applications")) {
        const Array& items = array(*list, "\"applications\"");
        for (size_t i = 0; i < items.size() && i < applications.size(); ++i) {
            const std::string where = "applications[" + std::to_string(i) + "]";
            auto v = member(object(items[i], where), "bundle");
            if (!v) continue;
            auto state = bundleState(text(*v, where + ".bundle"), where + ".bundle");
            const auto& url = applications[i].bundleURL;
            auto path = url ? platform::pathFromFileURL(*url) : std::nullopt;
            if (!path) fail(where + ".bundle", "needs the application's \"bundleURL\" as a file URL");
            icons_->files[path->string()] = state;
        }
    }
}

}  // namespace tarnwick::sim
