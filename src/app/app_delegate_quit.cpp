#include "app/app_delegate.h"
#include "platform/platform.h"

namespace tarnwick {

void AppDelegate::quit() {
    // Everything comes down while the app is still fully alive; termination then saves.
    teardown();
    terminateApplication();
}

void AppDelegate::terminateApplication() { platform::current().application->terminate(); }

void AppDelegate::applicationWillTerminate() {
    namesModel_->commitDisplayNames();
    bannerAppearanceWork_.cancel();
    missionControlAppearanceWork_.cancel();
    // A "settings-changed" snapshot still waiting is written now, then the file itself.
    settingsDiagnosticWork_.flush();
    permissionSnapshot_.flush();
    recoveryWork_.cancel();
    prototypeTestQuit_.cancel();
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    teardown();
    if (workstationPreview_) workstationPreview_->dispose();
    settings_->overviewShortcut().dispose();
    lifecycleObservers_.clear();
}

}  // namespace tarnwick
