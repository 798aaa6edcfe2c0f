#pragma once

#include "model/preference_enums.h"
#include "model/preference_limits.h"
#include "model/feature_selection.h"

namespace tarnwick {

// Every user preference of the system as one value. Default-constructed, every field holds its
// default; aggregate initialisation sets the fields in declaration order.
struct AppPreferences {
    static constexpr double defaultBannerDuration = 2.0;  // seconds
    static constexpr ClosedRange bannerDurationRange{0.5, 6.0};

    bool labelsEnabled = true;
    bool missionControlApplicationsEnabled = false;
    bool bannersEnabled = true;
    bool missionControlBannerEnabled = false;
    bool missionControlBannerOnAllMonitors = false;
    bool paused = false;
    bool hoverPreviewEnabled = true;
    double applicationIconSize = ApplicationIconSize::defaultSize;     // points
    double overviewIconSize = ApplicationIconSize::defaultSize;        // points
    double missionControlIconSize = ApplicationIconSize::defaultSize;  // points
    MissionControlApplicationPosition missionControlApplicationPosition = MissionControlApplicationPosition::center;
    double bannerScale = BannerSize::defaultScale;
    double bannerDuration = defaultBannerDuration;
    bool bannerShowsApplications = true;
    BannerPosition bannerPosition = BannerPosition::bottom;
    BannerGlassStyle glassStyle = BannerGlassStyle::regular;
    bool tintEnabled = false;
    GlassTint tint = GlassTint::defaultColor;

    // A copy in which no size, scale, duration or tint lies outside what the views accept.
    AppPreferences normalized() const;

    bool showsBanners() const { return bannersEnabled || missionControlBannerEnabled; }

    // The one decision of which overlay features run.
    TarnwickFeatures features(bool permissionsReady, bool namesAvailable, bool sleeping, bool testing) const;

    friend bool operator==(const AppPreferences&, const AppPreferences&) = default;
};

}  // namespace tarnwick
