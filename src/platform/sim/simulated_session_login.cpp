// The login session as the user changes it: sleep and wake, the screen lock, the displays'
// sleep, fast user switching and logging out.

#include "platform/sim/sim_shared_application.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace names = platform::notification_names;

void SimulatedSession::sleep() {
    auto guard = lock();
    if (loginSession.sleeping) return;
    loginSession.sleeping = true;
    workspaceCenter_->post(names::kWillSleep);
}

void SimulatedSession::wake() {
    auto guard = lock();
    if (!loginSession.sleeping) return;
    loginSession.sleeping = false;
    workspaceCenter_->post(names::kDidWake);
}

void SimulatedSession::lockScreen() {
    auto guard = lock();
    if (loginSession.locked) return;
    loginSession.locked = true;
    distributedCenter_->post(names::kScreenIsLocked);
}

void SimulatedSession::unlockScreen() {
    auto guard = lock();
    if (!loginSession.locked) return;
    loginSession.locked = false;
    distributedCenter_->post(names::kScreenIsUnlocked);
}

void SimulatedSession::sleepScreens() {
    auto guard = lock();
    if (loginSession.screensAsleep) return;
    loginSession.screensAsleep = true;
    workspaceCenter_->post(names::kScreensDidSleep);
}

void SimulatedSession::wakeScreens() {
    auto guard = lock();
    if (!loginSession.screensAsleep) return;
    loginSession.screensAsleep = false;
    workspaceCenter_->post(names::kScreensDidWake);
}

void SimulatedSession::switchUserAway() {
    auto guard = lock();
    if (!loginSession.onConsole) return;
    loginSession.onConsole = false;
    workspaceCenter_->post(names::kSessionDidResignActive);
}

void SimulatedSession::switchUserBack() {
    auto guard = lock();
    if (loginSession.onConsole) return;
    loginSession.onConsole = true;
    workspaceCenter_->post(names::kSessionDidBecomeActive);
}

void SimulatedSession::logOut() { sharedApplication_->terminate(); }

}  // namespace tarnwick::sim
