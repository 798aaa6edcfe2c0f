// The login session as the user changes it: sleep and wake, the screen lock, the displays'
// sleep, fast user switching and logging out.

#include "platform/sim/sim_shared_application.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace names = platform::notification_names;

namespace {

// Sets one fact of the login session and posts its change, as macOS does; a fact that already
// holds posts nothing.
void change(SimulatedSession& session, bool SimLoginSession::*fact, bool value, SimNotificationCenter& center,
            const char* notification) {
    auto guard = session.lock();
    if (session.loginSession.*fact == value) return;
    session.loginSession.*fact = value;
    center.post(notification);
}

}  // namespace

void SimulatedSession::sleep() {
    change(*this, &SimLoginSession::sleeping, true, *workspaceCenter_, names::kWillSleep);
}

void SimulatedSession::wake() {
    change(*this, &SimLoginSession::sleeping, false, *workspaceCenter_, names::kDidWake);
}

void SimulatedSession::lockScreen() {
    change(*this, &SimLoginSession::locked, true, *distributedCenter_, names::kScreenIsLocked);
}

void SimulatedSession::unlockScreen() {
    change(*this, &SimLoginSession::locked, false, *distributedCenter_, names::kScreenIsUnlocked);
}

void SimulatedSession::sleepScreens() {
    change(*this, &SimLoginSession::screensAsleep, true, *workspaceCenter_, names::kScreensDidSleep);
}

void SimulatedSession::wakeScreens() {
    change(*this, &SimLoginSession::screensAsleep, false, *workspaceCenter_, names::kScreensDidWake);
}

void SimulatedSession::switchUserAway() {
    change(*this, &SimLoginSession::onConsole, false, *workspaceCenter_, names::kSessionDidResignActive);
}

void SimulatedSession::switchUserBack() {
    change(*this, &SimLoginSession::onConsole, true, *workspaceCenter_, names::kSessionDidBecomeActive);
}

void SimulatedSession::logOut() { sharedApplication_->terminate(); }

}  // namespace tarnwick::sim
