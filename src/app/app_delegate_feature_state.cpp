#include "app/app_delegate.h"
#include "platform/platform.h"

namespace tarnwick {

bool AppDelegate::namesAvailable(const std::map<std::string, std::string>& names,
                                 const std::vector<DesktopMonitor>& monitors) {
    if (names.empty()) return false;
    for (const auto& monitor : monitors)
        for (const auto& desktop : monitor.desktops)
            if (names.count(desktop.id)) return true;
    return false;
}

bool AppDelegate::labelControllerMustPoll(const TarnwickFeatures& features, const AppPreferences& preferences,
                                          std::size_t monitorCount) {
    if (features.labels || features.missionControlApplications) return true;
    // Its polling is what tells the banner that Mission Control opened.
    return features.banners && preferences.missionControlBannerEnabled && monitorCount > 0;
}

void AppDelegate::applyFeatureState(bool refreshPermissions) {
    if (!launched_) return;
    if (refreshPermissions) settings_->refreshSystemStatus(false);

    const AppPreferences& preferences = settings_->preferences.get();
    const bool suspended = session_.suspended();
    if (workstationPreview_) workstationPreview_->setEnabled(preferences.hoverPreviewEnabled && !suspended);
    settings_->overviewShortcut().setSuspended(suspended);

    const auto& monitors = namesModel_->monitors.get();
    const bool available = namesAvailable(namesModel_->store().names(), monitors);
    const TarnwickFeatures features =
        preferences.features(settings_->permissionsReady(), available, suspended, testingLabel_);

    auto& applications = missionControlApplications();
    applications.setEnabled(features.missionControlApplications);
    applications.setIconSize(preferences.missionControlIconSize);
    applications.setPosition(preferences.missionControlApplicationPosition);

    auto& labels = prototype();
    labels.setOptions(MissionControlOverlayOptions{features.labels, features.missionControlApplications});
    if (labelControllerMustPoll(features, preferences, monitors.size())) {
        // A running one-label test is left alone.
        if (!overlaysRunning_ && !testingLabel_) {
            overlaysRunning_ = true;
            labels.start(false);
        }
    } else if (overlaysRunning_ || testingLabel_) {
        labels.stop();
        overlaysRunning_ = false;
        testingLabel_ = false;
    }

    if (features.banners && !monitors.empty())
        spaceBanners().start();
    else
        spaceBanners().stop();

    updateStatusLine(features, available);
}

void AppDelegate::applySettingsChange(const AppPreferences& old, const AppPreferences& updated) {
    Weak weak = weak_from_this();
    enum class Next { featureState, bannerLook, snapshot };
    Next next;
    if (old.bannersEnabled != updated.bannersEnabled ||
        old.missionControlBannerEnabled != updated.missionControlBannerEnabled) {
        bannerAppearanceWork_.cancel();
        spaceBanners().stop();
        next = Next::featureState;
    } else if (old.labelsEnabled == updated.labelsEnabled &&
               old.missionControlApplicationsEnabled == updated.missionControlApplicationsEnabled &&
               old.hoverPreviewEnabled == updated.hoverPreviewEnabled && old.paused == updated.paused) {
        if (old.missionControlIconSize != updated.missionControlIconSize ||
            old.missionControlApplicationPosition != updated.missionControlApplicationPosition) {
            // Restyled with the preferences of the moment it runs.
            missionControlAppearanceWork_.submit([weak] {
                auto self = weak.lock();
                if (!self) return;
                const AppPreferences& now = self->settings_->preferences.get();
                self->missionControlApplications().setIconSize(now.missionControlIconSize);
                self->missionControlApplications().setPosition(now.missionControlApplicationPosition);
            });
        }
        if (updated.paused) {
            bannerAppearanceWork_.cancel();
            next = Next::snapshot;
        } else {
            next = Next::bannerLook;
        }
    } else {
        next = Next::featureState;
    }

    if (next == Next::featureState) {
        missionControlAppearanceWork_.cancel();
        applyFeatureState(true);
        if (updated.paused) {
            bannerAppearanceWork_.cancel();
            next = Next::snapshot;
        } else {
            next = Next::bannerLook;
        }
    }

    if (next == Next::bannerLook) {
        if (!updated.showsBanners()) {
            bannerAppearanceWork_.cancel();
        } else if (old.bannerScale != updated.bannerScale || old.bannerDuration != updated.bannerDuration ||
                   old.bannerShowsApplications != updated.bannerShowsApplications ||
                   old.bannerPosition != updated.bannerPosition || old.glassStyle != updated.glassStyle ||
                   old.tintEnabled != updated.tintEnabled || !(old.tint == updated.tint)) {
            bannerAppearanceWork_.submit([weak] {
                auto self = weak.lock();
                if (self && !self->session_.suspended()) self->previewSpaceBanner();
            });
        }
    }

    settingsDiagnosticWork_.submit([weak] {
        if (auto self = weak.lock()) self->writePermissionDiagnostics("settings-changed");
    });
}

void AppDelegate::startPrototype() {
    if (session_.suspended() || settings_->preferences->paused || !settings_->preferences->labelsEnabled) return;
    if (!settings_->permissionsReady()) {
        requestPermissions();
        return;
    }
    auto& labels = prototype();
    labels.stop();
    overlaysRunning_ = false;
    testingLabel_ = true;
    labels.start(true);
}

void AppDelegate::stopPrototype() {
    prototype().stop();
    testingLabel_ = false;
    overlaysRunning_ = false;
    applyFeatureState(true);
}

void AppDelegate::previewSpaceBanner() {
    bannerAppearanceWork_.cancel();
    std::optional<platform::ScreenDescription> screen;
    platform::ui::Panel* settingsPanel = settingsWindow_ ? settingsWindow_->window() : nullptr;
    if (settingsPanel && settingsPanel->isVisible()) {
        screen = settingsPanel->screen();
    } else if (auto* names = namesWindow().window()) {
        screen = names->screen();
    }
    spaceBanners().preview(screen);
}

void AppDelegate::reveal() {
    if (captureURL_) platform::current().applicationLauncher->activateFileViewerSelecting({*captureURL_});
}

void AppDelegate::invalidateRenderers() {
    if (workstationPreview_) workstationPreview_->close();
    if (missionControlApplications_) missionControlApplications_->update({});
}

}  // namespace tarnwick
