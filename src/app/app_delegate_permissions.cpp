#include "app/app_delegate.h"
#include "platform/bundle.h"
#include "platform/platform.h"
#include "platform/ui/panel.h"

namespace tarnwick {

namespace {

// What the shareable-content request answered: nothing, or the failure's description.
using CaptureOutcome = std::optional<std::string>;

}  // namespace

void AppDelegate::requestPermissions() { requestPermissions(invocationDisplayID(nullptr)); }

void AppDelegate::requestPermissions(std::optional<std::uint32_t> displayID) {
    // One request at a time.
    if (settingUpPermissions_) return;
    settingUpPermissions_ = true;
    settings_->requestingPermissions.set(true);
    openSettings(SettingsTab::permissions, displayID);
    permissionTask_ = spawn(RunLoop::main(), runPermissionRequest(weak_from_this()));
}

Task<void> AppDelegate::runPermissionRequest(Weak weak) {
    std::optional<std::string> captureError;
    {
        auto self = weak.lock();
        if (!self) co_return;
    }
    auto& platform = platform::current();
    // Screen Recording first: asking, then touching the shareable content, is what makes the
    // system list the app in its settings.
    if (!platform.system->preflightScreenCaptureAccess()) {
        platform.system->requestScreenCaptureAccess();
        platform::ScreenCapture* capture = platform.screenCapture;
        const auto askContent = [capture](Continuation<CaptureOutcome> continuation) {
            capture->getShareableContent(
                true, true,
                [continuation](std::optional<platform::ShareableContent>, std::optional<std::string> error) mutable {
                    continuation.resume(std::move(error));
                });
        };
        auto answer = co_await waitForCompletion<CaptureOutcome>(askContent);
        if (answer && *answer) captureError = **answer;
    }
    auto self = weak.lock();
    if (!self) co_return;
    // Accessibility second; the prompt stays with the system, nobody waits for its answer.
    if (!platform.accessibility->isProcessTrusted()) {
        platform.application->activate(true);
        platform.accessibility->isProcessTrustedWithPrompt(true);
    }
    self->settings_->refreshSystemStatus(false);
    self->applyFeatureState(false);
    self->writePermissionDiagnostics("permission-request-returned", captureError);
    self->settingUpPermissions_ = false;
    self->settings_->requestingPermissions.set(false);
    self->settings_->hasRequestedPermissions.set(true);
}

void AppDelegate::writePermissionDiagnostics(const std::string& event, const std::optional<std::string>& error) {
    // This snapshot describes a newer state than a "settings-changed" one still waiting.
    settingsDiagnosticWork_.cancel();
    auto& platform = platform::current();
    if (!bundleIdentifier_) {
        bundlePath_ = platform.mainBundle->bundleURL().string();
        bundleIdentifier_ = platform::Bundle(platform.mainBundle->bundleURL()).bundleIdentifier().value_or("missing");
    }
    const AppPreferences& preferences = settings_->preferences.get();
    Dictionary fields;
    fields["event"] = event;
    fields["pid"] = platform.system->processIdentifier();
    fields["bundleID"] = *bundleIdentifier_;
    fields["bundlePath"] = bundlePath_;
    fields["screenCaptureAllowed"] = settings_->screenAllowed.get();
    fields["accessibilityAllowed"] = settings_->accessibilityAllowed.get();
    fields["visibleWindowCount"] = static_cast<std::int64_t>(visibleTitledWindowCount());
    fields["loginStatus"] = static_cast<int>(settings_->loginStatus.get());
    fields["bannerScale"] = preferences.bannerScale;
    fields["paused"] = preferences.paused;
    fields["labelRendererRunning"] = prototype().isRunning();
    fields["missionControlApplicationsEnabled"] = preferences.missionControlApplicationsEnabled;
    fields["workstationPreviewAttached"] = workstationPreview_ != nullptr;
    fields["bannerObserverRunning"] = spaceBanners().isRunning();
    fields["sessionActive"] = session_.active;
    fields["screenLocked"] = session_.locked;
    fields["sleeping"] = session_.sleeping;
    if (error) fields["captureError"] = *error;

    auto& shortcut = settings_->overviewShortcut();
    const auto& current = shortcut.shortcut.get();
    fields["overviewShortcut"] = current ? current->displayName() : std::string("None");
    fields["overviewShortcutRegistered"] = shortcut.isRegistered();
    fields["overviewShortcutRecording"] = shortcut.isRecording.get();
    if (const auto& message = shortcut.error.get()) fields["overviewShortcutError"] = *message;

    permissionSnapshot_.write(std::move(fields));
}

std::size_t AppDelegate::visibleTitledWindowCount() const {
    std::size_t count = 0;
    for (const auto* window : platform::current().application->windows())
        if (window->isVisible() && (window->styleMask() & platform::ui::style_mask::kTitled) != 0) ++count;
    return count;
}

}  // namespace tarnwick
