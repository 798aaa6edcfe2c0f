// The simulated user's acts on the session: desktops, Mission Control, the pointer, the session's
// state, displays, applications, permissions and the login item.

#include <cstdio>

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/sim_login_items.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace {

const ConsoleCommand& command(const char* name) { return *findConsoleCommand(name); }

void switchDesktop(CommandContext& context) {
    expectArguments(context, command("switch"), 1, 1);
    auto& session = context.session;
    auto guard = session.lock();
    const auto numbers = MissionControlLayout::desktopNumbers(session);
    const auto number = integerArgument(context.arguments[0], "The desktop's number", 1,
                                        std::max<std::int64_t>(1, static_cast<std::int64_t>(numbers.size())));
    for (const auto& display : session.displays)
        for (const auto& space : display.spaces)
            if (auto found = numbers.find(space.id64); found != numbers.end() && found->second == number)
                return session.switchDesktop(display.id, space.id64);
    throw Error("There is no \"Desktop " + std::to_string(number) + "\"; screen lists the desktops.");
}

void missionControl(CommandContext& context) {
    const auto& thisCommand = command("mission-control");
    expectArguments(context, thisCommand, 1, 1);
    const std::string action = choiceArgument(context.arguments[0], {"open", "close", "expand", "collapse"}, thisCommand);
    auto& session = context.session;
    if (action == "open") return session.openMissionControl();
    if (action == "close") return session.closeMissionControl();
    if (!session.missionControlOpen)
        throw Error("Mission Control is not open; type mission-control open before " + action + ".");
    session.setSpacesBarExpanded(action == "expand");
}

void pointer(CommandContext& context) {
    const auto& thisCommand = command("pointer");
    expectArguments(context, thisCommand, 2, 2);
    auto& session = context.session;
    Point global;
    if (context.arguments[0] == "display") {
        const auto id = integerArgument(context.arguments[1], "The display id", 0, 0xFFFFFFFF);
        auto guard = session.lock();
        const SimDisplay* display = session.display(static_cast<std::uint32_t>(id));
        if (!display) throw Error("There is no display " + std::to_string(id) + "; screen lists the displays.");
        global = Point{display->bounds.midX(), display->bounds.midY()};
    } else {
        global = Point{numberArgument(context.arguments[0], "x", -1000000, 1000000),
                       numberArgument(context.arguments[1], "y", -1000000, 1000000)};
    }
    session.windowSystem().movePointer(GlobalSpace::of(session).toScreen(global));
}

// A command of no arguments that calls one user action.
ConsoleCommand action(const char* name, const char* summary, void (SimulatedSession::*act)()) {
    return {name, name, summary, false, false, [name, act](CommandContext& context) {
                expectArguments(context, command(name), 0, 0);
                (context.session.*act)();
            }};
}

void user(CommandContext& context) {
    const auto& thisCommand = command("user");
    expectArguments(context, thisCommand, 1, 1);
    if (choiceArgument(context.arguments[0], {"away", "back"}, thisCommand) == "away")
        context.session.switchUserAway();
    else
        context.session.switchUserBack();
}

// A display's UUID made from its id, so that the same commands give the same files.
std::string madeUUID(std::uint32_t prefix, std::uint64_t id) {
    char text[48];
    std::snprintf(text, sizeof text, "%08X-0000-4000-8000-%012llX", static_cast<unsigned>(prefix),
                  static_cast<unsigned long long>(id & 0xFFFFFFFFFFFFull));
    return text;
}

void display(CommandContext& context) {
    const auto& thisCommand = command("display");
    expectArguments(context, thisCommand, 1, 8);
    const std::string action = choiceArgument(context.arguments[0], {"add", "remove"}, thisCommand);
    auto& session = context.session;
    auto guard = session.lock();
    if (action == "remove") {
        expectArguments(context, thisCommand, 2, 2);
        const auto id = integerArgument(context.arguments[1], "The display id", 0, 0xFFFFFFFF);
        if (!session.display(static_cast<std::uint32_t>(id)))
            throw Error("There is no display " + std::to_string(id) + "; screen lists the displays.");
        // The change moves our windows and the pointer, which our views hear: not under the lock.
        guard.unlock();
        return session.removeDisplay(static_cast<std::uint32_t>(id));
    }
    expectArguments(context, thisCommand, 8, 8);
    const auto& a = context.arguments;
    SimDisplay added;
    added.id = static_cast<std::uint32_t>(integerArgument(a[1], "The display id", 1, 0xFFFFFFFF));
    if (session.display(added.id)) throw Error("There is already a display " + a[1] + "; choose another id.");
    added.bounds = Rect(numberArgument(a[2], "x", -1000000, 1000000), numberArgument(a[3], "y", -1000000, 1000000),
                        numberArgument(a[4], "The width", 1, 1000000), numberArgument(a[5], "The height", 1, 1000000));
    added.name = a[6];
    const auto desktops = integerArgument(a[7], "The number of desktops", 1, 16);
    added.uuid = madeUUID(0xD15B1A00u, added.id);
    std::uint64_t next = session.nextSpaceID();
    for (std::int64_t i = 0; i < desktops; ++i, ++next) added.spaces.push_back(SimSpace{next, madeUUID(0x5BACE000u, next), 0, {}});
    added.currentSpace = added.spaces.front().id64;
    guard.unlock();
    session.addDisplay(std::move(added));
}

void app(CommandContext& context) {
    const auto& thisCommand = command("app");
    expectArguments(context, thisCommand, 2, 2);
    const std::string action = choiceArgument(context.arguments[0], {"launch", "quit", "restart", "activate"}, thisCommand);
    const std::string& bundleID = context.arguments[1];
    auto& session = context.session;
    auto guard = session.lock();
    const SimApplication* running = session.applicationWithBundleID(bundleID);
    // Our own application is no other application: it runs already, and the console's quit
    // ends it. A launch would add a second copy beside it.
    if (bundleID == kOwnBundleID)
        throw Error(quotedText(bundleID) + " is this application" + (action == "launch" ? ", running already" : "") +
                    "; quit ends it as a logout does.");
    if (action == "launch") {
        if (running) throw Error(quotedText(bundleID) + " is already running; app restart starts it again.");
        SimApplication launched;
        // A quit instance of the application comes back with its name and bundle.
        for (const auto& app : session.applications)
            if (app.bundleIdentifier == bundleID) launched = app;
        std::erase_if(session.applications, [&](const SimApplication& a) { return a.bundleIdentifier == bundleID; });
        launched.pid = session.nextProcessID();
        launched.bundleIdentifier = bundleID;
        launched.terminated = false;
        if (!launched.name) launched.name = bundleID.substr(bundleID.rfind('.') + 1);
        return session.launchApplication(std::move(launched));
    }
    if (!running) {
        std::string others;
        for (const auto& app : session.applications)
            if (!app.terminated && app.bundleIdentifier)
                others += (others.empty() ? "" : ", ") + quotedText(*app.bundleIdentifier);
        throw Error(quotedText(bundleID) + " is not running; " +
                    (others.empty() ? std::string("nothing is") : "running are " + others) + "; app launch starts it.");
    }
    if (action == "quit") return session.terminateApplication(running->pid);
    if (action == "activate") return session.activateApplication(running->pid);
    session.relaunchApplication(bundleID);
}

void permission(CommandContext& context, bool grant) {
    const auto& thisCommand = command(grant ? "grant" : "revoke");
    expectArguments(context, thisCommand, 1, 1);
    auto& session = context.session;
    auto guard = session.lock();
    if (choiceArgument(context.arguments[0], {"accessibility", "screen-recording"}, thisCommand) == "accessibility")
        session.accessibilityTrusted = grant;
    else if (grant)
        session.grantScreenRecording();
    else
        session.revokeScreenRecording();
}

void loginItem(CommandContext& context) {
    const auto& thisCommand = command("login-item");
    expectArguments(context, thisCommand, 1, 1);
    choiceArgument(context.arguments[0], {"approve"}, thisCommand);
    auto guard = context.session.lock();
    auto& item = context.session.loginItem();
    if (item.state != platform::LoginItemStatus::requiresApproval)
        throw Error("The login item is not waiting for approval.");
    item.state = platform::LoginItemStatus::enabled;
}

}  // namespace

void addSessionCommands(std::vector<ConsoleCommand>& commands) {
    commands.push_back({"switch", "switch <N>", "makes \"Desktop N\" current (numbered as Mission Control numbers them)",
                        false, false, switchDesktop});
    commands.push_back({"mission-control", "mission-control open|close|expand|collapse",
                        "opens or closes Mission Control, expands or collapses its Spaces Bar", false, false,
                        missionControl});
    commands.push_back({"pointer", "pointer <x> <y> | pointer display <id>",
                        "moves the pointer (global points, y down) or to a display's middle", false, false, pointer});
    commands.push_back(action("lock", "locks the screen", &SimulatedSession::lockScreen));
    commands.push_back(action("unlock", "unlocks the screen", &SimulatedSession::unlockScreen));
    commands.push_back(action("sleep", "puts the Mac to sleep", &SimulatedSession::sleep));
    commands.push_back(action("wake", "wakes the Mac", &SimulatedSession::wake));
    commands.push_back(action("screens-sleep", "puts the displays to sleep", &SimulatedSession::sleepScreens));
    commands.push_back(action("screens-wake", "wakes the displays", &SimulatedSession::wakeScreens));
    commands.push_back({"user", "user away|back", "switches to another user's session, and back", false, false, user});
    commands.push_back({"reopen", "reopen", "opens the running application again, as from the Finder", false, false,
                        [](CommandContext& context) {
                            expectArguments(context, command("reopen"), 0, 0);
                            // Nothing heard it: not launched yet, ended, or no delegate.
                            if (!context.session.reopenApplication())
                                throw Error("There is no running application to reopen.");
                        }});
    commands.push_back({"display", "display add <id> <x> <y> <w> <h> \"<name>\" <desktops> | display remove <id>",
                        "plugs in a display with that many desktops (global points, y down), or unplugs one", false,
                        false, display});
    commands.push_back({"app", "app launch|quit|restart|activate <bundle id>",
                        "launches, quits, restarts or activates an application", false, false, app});
    commands.push_back({"grant", "grant accessibility|screen-recording", "grants a permission in the system settings",
                        false, false, [](CommandContext& context) { permission(context, true); }});
    commands.push_back({"revoke", "revoke accessibility|screen-recording", "revokes a permission in the system settings",
                        false, false, [](CommandContext& context) { permission(context, false); }});
    commands.push_back({"login-item", "login-item approve", "approves the login item waiting in the system settings",
                        false, false, loginItem});
}

}  // namespace tarnwick::sim
