// Reads the session file's "navigation" section.

#include <string>

#include "platform/sim/session_file_reading.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"

namespace tarnwick::sim {

using namespace session_file;

void SimulatedSession::loadNavigationSection(const Dictionary& root) {
    const Value* section = member(root, "navigation");
    if (!section) return;
    const Dictionary& nav = object(*section, "\"navigation\"");
    if (auto v = member(nav, "launchDelay")) navigation.launchDelay = seconds(*v, "navigation.launchDelay");
    if (auto v = member(nav, "launchError"))
        navigation.launchError = v->isNull() ? std::nullopt : std::optional<std::string>(text(*v, "navigation.launchError"));
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
                navigation.missingFunctions.insert(text(name, "navigation.privateFunctions.missing"));
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
