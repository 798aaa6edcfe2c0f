#include <cmath>

#include "app/app_delegate.h"
#include "platform/notifications.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

constexpr const char* kDockBundleID = "com.apple.dock";
constexpr const char* kWindowManagerBundleID = "com.apple.WindowManager";

bool holdsTrue(const Dictionary& session, const char* key) {
    const auto it = session.find(key);
    return it != session.end() && it->second.asBool() == true;
}

}  // namespace

TarnwickSessionState AppDelegate::readSession(const std::optional<Value>& dictionary, std::uint32_t userID,
                                              TarnwickSessionState previous) {
    TarnwickSessionState state = previous;
    const Dictionary* session = dictionary ? dictionary->asDictionary() : nullptr;
    if (!session) {
        state.active = false;
        return state;
    }
    // The user id must be a whole number within 32 bits before it can be this user's; a Boolean
    // is not a number here.
    bool sameUser = false;
    if (const auto it = session->find("kCGSSessionUserIDKey"); it != session->end() && !it->second.isBool())
        if (const auto id = it->second.toUInt32()) sameUser = *id == userID;
    state.active =
        holdsTrue(*session, "kCGSSessionOnConsoleKey") && holdsTrue(*session, "kCGSessionLoginDoneKey") && sameUser;
    if (const auto it = session->find("CGSSessionScreenIsLocked"); it != session->end())
        if (const auto locked = it->second.asBool()) state.locked = *locked;
    return state;
}

void AppDelegate::refreshSession() {
    auto& platform = platform::current();
    session_ = readSession(platform.windowServer->copySessionDictionary(), platform.system->userID(), session_);
}

void AppDelegate::observeLifecycle() {
    namespace names = platform::notification_names;
    auto& platform = platform::current();
    auto& workspace = *platform.workspaceNotificationCenter;
    auto& distributed = *platform.distributedNotificationCenter;
    Weak weak = weak_from_this();
    auto observe = [&](platform::NotificationCenter& center, const char* name,
                       std::function<void(AppDelegate&, const platform::Notification&)> effect) {
        lifecycleObservers_.push_back(
            center.addObserver(name, [weak, effect = std::move(effect)](const platform::Notification& notification) {
                if (auto self = weak.lock()) effect(*self, notification);
            }));
    };

    auto sleep = [](AppDelegate& self, const platform::Notification&) {
        self.session_.sleeping = true;
        self.suspendEnvironment("sleep");
    };
    auto wake = [](AppDelegate& self, const platform::Notification&) {
        self.session_.sleeping = false;
        self.refreshSession();
        self.recoverEnvironment();
    };
    auto systemProcess = [](AppDelegate& self, const platform::Notification& notification) {
        const auto it = notification.userInfo.find(platform::kApplicationBundleIDKey);
        const std::string* bundleID = it != notification.userInfo.end() ? it->second.asString() : nullptr;
        if (bundleID && (*bundleID == kDockBundleID || *bundleID == kWindowManagerBundleID)) self.recoverEnvironment();
    };

    observe(workspace, names::kWillSleep, sleep);
    observe(workspace, names::kScreensDidSleep, sleep);
    // Permissions granted in System Settings are noticed when the user switches apps.
    observe(workspace, names::kDidActivateApplication,
            [](AppDelegate& self, const platform::Notification&) { self.settings_->refreshSystemStatus(true); });
    observe(workspace, names::kSessionDidResignActive, [](AppDelegate& self, const platform::Notification&) {
        self.session_.active = false;
        self.suspendEnvironment("session-inactive");
    });
    observe(workspace, names::kSessionDidBecomeActive, [](AppDelegate& self, const platform::Notification&) {
        self.refreshSession();
        self.recoverEnvironment();
    });
    observe(workspace, names::kDidWake, wake);
    observe(workspace, names::kScreensDidWake, wake);
    observe(distributed, names::kScreenIsLocked, [](AppDelegate& self, const platform::Notification&) {
        self.session_.locked = true;
        self.suspendEnvironment("locked");
    });
    observe(distributed, names::kScreenIsUnlocked, [](AppDelegate& self, const platform::Notification&) {
        self.session_.locked = false;
        self.refreshSession();
        self.recoverEnvironment();
    });
    observe(workspace, names::kDidLaunchApplication, systemProcess);
    observe(workspace, names::kDidTerminateApplication, systemProcess);
}

// Touches only what exists: before launch (or at a termination that comes first) nothing is made
// just to be stopped.
void AppDelegate::teardown() {
    bannerAppearanceWork_.cancel();
    missionControlAppearanceWork_.cancel();
    displayIdentification_.hide();
    invalidateRenderers();
    if (prototype_) prototype_->stop();
    overlaysRunning_ = false;
    testingLabel_ = false;
    if (spaceBanners_) spaceBanners_->stop();
}

void AppDelegate::suspendEnvironment(const std::string& reason) {
    recoveryWork_.cancel();
    teardown();
    applyFeatureState(true);
    if (launched_) writePermissionDiagnostics(reason);
}

void AppDelegate::recoverEnvironment() {
    if (!launched_) return;
    recoveryWork_.cancel();
    teardown();
    scheduleRecovery(0);
}

void AppDelegate::scheduleRecovery(int attempt) {
    Weak weak = weak_from_this();
    recoveryWork_ = RunLoop::main().postAfter(kRecoveryBaseDelay * std::ldexp(1.0, attempt), [weak, attempt] {
        if (auto self = weak.lock()) self->runRecoveryAttempt(attempt);
    });
}

void AppDelegate::runRecoveryAttempt(int attempt) {
    namesModel_->refresh(true);
    topology_ = topologyOf(namesModel_->monitors.get());
    applyFeatureState(true);
    if (!namesModel_->monitors.get().empty() || attempt >= kLastRecoveryAttempt || session_.suspended()) {
        writePermissionDiagnostics("environment-recovered");
        return;
    }
    scheduleRecovery(attempt + 1);
}

void AppDelegate::topologyCheck() {
    auto current = topologyOf(namesModel_->monitors.get());
    if (current != topology_) {
        topology_ = std::move(current);
        teardown();
    }
    applyFeatureState(true);
}

}  // namespace tarnwick
