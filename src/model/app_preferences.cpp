#include "model/app_preferences.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {

AppPreferences AppPreferences::normalized() const {
    AppPreferences copy = *this;
    copy.applicationIconSize = ApplicationIconSize::clamped(applicationIconSize);
    copy.overviewIconSize = ApplicationIconSize::clamped(overviewIconSize);
    copy.missionControlIconSize = ApplicationIconSize::clamped(missionControlIconSize);
    copy.bannerScale = BannerSize::clamped(bannerScale);
    copy.bannerDuration = std::isfinite(bannerDuration)
                              ? std::clamp(bannerDuration, bannerDurationRange.lowerBound, bannerDurationRange.upperBound)
                              : defaultBannerDuration;
    // tintEnabled stays as it is: only the colour falls back.
    if (!tint.isValid()) copy.tint = GlassTint::defaultColor;
    return copy;
}

TarnwickFeatures AppPreferences::features(bool permissionsReady, bool namesAvailable, bool sleeping,
                                          bool testing) const {
    if (paused || sleeping) return TarnwickFeatures::none;
    TarnwickFeatures result;
    // The banner needs no permission.
    result.banners = showsBanners();
    result.labels = permissionsReady && labelsEnabled && (testing || namesAvailable);
    result.missionControlApplications = permissionsReady && missionControlApplicationsEnabled;
    return result;
}

}  // namespace tarnwick
