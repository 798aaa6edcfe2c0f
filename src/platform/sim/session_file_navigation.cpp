// Reads the session file's "navigation" section.

#include <string>

#include "platform/sim/simulated_session.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace {

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw Error("The session file is not valid: " + where + " " + what + ".");
}

const Dictionary& object(const Value& value, const std::string& where) {
    if (!value.asDictionary()) fail(where, "must be an object");
    return *value.asDictionary();
}

const Array& array(const Value& value, const std::string& where) {
    if (!value.asArray()) fail(where, "must be an array");
    return *value.asArray();
}

const Value* member(const Dictionary& dictionary, const char* key) {
    auto it = dictionary.find(key);
    return it == dictionary.end() ? nullptr : &it->second;
}

double seconds(const Value& value, const std::string& where) {
    if (!value.isNumber() || !(*value.toDouble() >= 0)) fail(where, "must be a number of seconds, 0 or more");
    return *value.toDouble();
}

// A delay, or null for "never".
std::optional<double> delay(const Value& value, const std::string& where) {
    if (value.isNull()) return std::nullopt;
    return seconds(value, where);
}

std::int32_t status(const Value& value, const std::string& where) {
    auto n = value.toInt32();
    if (!value.isNumber() || !n) fail(where, "must be a whole number");
    return *n;
}

bool boolean(const Value& value, const std::string& where) {
    if (!value.isBool()) fail(where, "must be true or false");
    return *value.asBool();
}

std::string string(const Value& value, const std::string& where) {
    if (!value.asString()) fail(where, "must be a string");
    return *value.asString();
}

}  // namespace

void SimulatedSession::loadNavigationSection(const Dictionary& root) {
    const Value* section = member(root, "navigation");
    if (!section) return;
    const Dictionary& nav = object(*section, "\"navigation\"");
    if (auto v = member(nav, "launchDelay")) navigation.launchDelay = seconds(*v, "navigation.launchDelay");
    if (auto v = member(nav, "launchError"))
        navigation.launchError = v->isNull() ? std::nullopt : std::optional<std::string>(string(*v, "navigation.launchError"));
    if (auto v = member(nav, "pressStatus")) navigation.pressStatus = status(*v, "navigation.pressStatus");
    if (auto v = member(nav, "pressIgnored")) navigation.pressIgnored = boolean(*v, "navigation.pressIgnored");
    if (auto v = member(nav, "switchDelay")) navigation.switchDelay = delay(*v, "navigation.switchDelay");
    if (auto v = member(nav, "closeDelay")) navigation.closeDelay = delay(*v, "navigation.closeDelay");
    if (auto v = member(nav, "windowsRefusingRaise")) {
        navigation.windowsRefusingRaise.clear();
        for (const auto& id : array(*v, "navigation.windowsRefusingRaise")) {
            auto windowID = id.toUInt32();
            if (!id.isNumber() || !windowID) fail("navigation.windowsRefusingRaise", "must list window ids");
            navigation.windowsRefusingRaise.insert(*windowID);
        }
    }
    if (auto v = member(nav, "privateFunctions")) {
        const Dictionary& functions = object(*v, "navigation.privateFunctions");
        if (auto f = member(functions, "available"))
            navigation.globalNamespaceAvailable = boolean(*f, "navigation.privateFunctions.available");
        if (auto f = member(functions, "missing")) {
            navigation.missingFunctions.clear();
            for (const auto& name : array(*f, "navigation.privateFunctions.missing"))
                navigation.missingFunctions.insert(string(name, "navigation.privateFunctions.missing"));
        }
        if (auto f = member(functions, "getProcessStatus"))
            navigation.getProcessStatus = status(*f, "navigation.privateFunctions.getProcessStatus");
        if (auto f = member(functions, "setFrontStatus"))
            navigation.setFrontStatus = status(*f, "navigation.privateFunctions.setFrontStatus");
        if (auto f = member(functions, "postEventStatus"))
            navigation.postEventStatus = status(*f, "navigation.privateFunctions.postEventStatus");
    }
}

}  // namespace tarnwick::sim
