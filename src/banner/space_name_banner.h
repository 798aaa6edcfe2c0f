#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/space_application.h"
#include "banner/banner_application_lease.h"
#include "model/app_preferences.h"
#include "overlays/frosted_label_view.h"
#include "platform/ui/panel.h"
#include "support/observable.h"
#include "support/run_loop.h"
#include "support/value.h"

namespace tarnwick {

// The banner of one display: a non-activating, click-through, shadowless panel carrying a
// frosted label with the desktop's name and, later, a row of its apps. It fades in, stays for
// the banner duration, fades out, and reports each step through `report`. Every show and hide
// raises `generation`; the value after a show is that showing's token, and every delayed step
// (dismissal, fade completion, app row) acts only for its own showing. Main loop only.
class SpaceNameBanner {
public:
    using Report = std::function<void(const std::string& event, Dictionary fields)>;

    static constexpr const char* panelTitle = "Space Name";
    static constexpr double fontSize = 17;          // times the banner scale
    static constexpr double fadeInDuration = 0.15;
    static constexpr double fadeOutDuration = 0.2;
    static constexpr std::uint64_t collectionBehavior = 337;

    explicit SpaceNameBanner(ApplicationIconCache* icons = nullptr);
    ~SpaceNameBanner();
    SpaceNameBanner(const SpaceNameBanner&) = delete;
    SpaceNameBanner& operator=(const SpaceNameBanner&) = delete;

    // Places and shows the banner; the showing's token, or nothing when no frame could be
    // computed (then the banner hides itself with "explicit").
    std::optional<int> show(const std::string& title, const Rect& visibleFrame, const AppPreferences& preferences,
                            bool inMissionControl);
    // Hides at once; reports only a banner still shown.
    void hide(const std::string& reason = "explicit");
    // Adds the app row to the showing with that token while its lease allows and it fits.
    void updateApplications(const std::vector<SpaceApplication>& applications, int token);

    // The panel's own visibility (also while it fades).
    bool isVisible() const { return panel_->isVisible(); }
    platform::ui::Panel& panel() const { return *panel_; }
    Report report;

    // ---- reading the banner
    const FrostedLabelView& content() const { return *content_; }
    int generation() const { return generation_; }
    const std::optional<double>& shownAt() const { return shownAt_; }
    const std::optional<BannerApplicationLease>& applicationLease() const { return applicationLease_; }

private:
    struct ContentConfiguration {
        double textWidth;
        Rect visibleFrame;
        AppPreferences preferences;  // normalised
    };

    void fadeOut(int token);
    void emit(const std::string& event, Dictionary fields);
    // Seconds since the banner was shown, or the integer 0 when it is not.
    Value secondsSinceShown() const;

    std::unique_ptr<platform::ui::Panel> panel_;
    WorkItem dismissal_;
    int generation_ = 0;
    std::optional<double> shownAt_;
    std::optional<BannerApplicationLease> applicationLease_;
    std::optional<ContentConfiguration> contentConfiguration_;
    std::shared_ptr<FrostedLabelView> content_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
