#include "banner/space_name_banner.h"

#include <algorithm>
#include <limits>

#include "banner/space_banner_layout.h"
#include "platform/platform.h"
#include "platform/ui/text_metrics.h"
#include "platform/ui/transaction.h"

namespace tarnwick {

namespace ui = platform::ui;

namespace {

constexpr double kInitialWidth = 120;
constexpr double kInitialHeight = 44;
constexpr double kApplicationRowHeight = 66;  // per scale

bool reduceMotion() { return platform::current().workspace->accessibilityDisplayShouldReduceMotion(); }

}  // namespace

SpaceNameBanner::SpaceNameBanner(ApplicationIconCache* icons)
    : panel_(std::make_unique<ui::Panel>(Rect(0, 0, kInitialWidth, kInitialHeight), ui::style_mask::kNonactivatingPanel,
                                         ui::BackingStore::buffered, false)),
      content_(std::make_shared<FrostedLabelView>(Rect(0, 0, kInitialWidth, kInitialHeight), icons)) {
    panel_->setTitle(panelTitle);
    panel_->setLevel(ui::window_level::kFloating);
    panel_->collectionBehavior = collectionBehavior;
    panel_->setIgnoresMouseEvents(true);
    panel_->hidesOnDeactivate = false;
    panel_->animationBehavior = ui::animation_behavior::kNone;
    panel_->isExcludedFromWindowsMenu = true;
    panel_->isOpaque = false;
    panel_->backgroundColor = ui::Color::clear();
    panel_->hasShadow = false;
    content_->setContainerShape(FrostedLabelView::ContainerShape::banner);
    panel_->setContentView(content_);
}

SpaceNameBanner::~SpaceNameBanner() { dismissal_.cancel(); }

void SpaceNameBanner::emit(const std::string& event, Dictionary fields) {
    if (report) report(event, std::move(fields));
}

Value SpaceNameBanner::secondsSinceShown() const {
    if (!shownAt_) return Value(0);
    return Value(systemUptime() - *shownAt_);
}

std::optional<int> SpaceNameBanner::show(const std::string& text, const Rect& visibleFrame,
                                         const AppPreferences& preferences, bool inMissionControl) {
    const AppPreferences normalized = preferences.normalized();
    const double scale = normalized.bannerScale;
    const auto font = ui::Font::system(fontSize * scale, ui::font_weight::kMedium);
    const double textWidth = ui::textMetrics().lineWidth(text, font);
    const auto frame = SpaceBannerLayout::frame(textWidth, visibleFrame, scale, normalized.bannerPosition, 0);
    if (!frame) {
        hide("explicit");
        return std::nullopt;
    }

    const bool wasVisible = panel_->isVisible();
    const int token = ++generation_;
    dismissal_.cancel();
    const double now = systemUptime();
    shownAt_ = now;
    applicationLease_.reset();
    if (normalized.bannerShowsApplications) applicationLease_ = BannerApplicationLease{token, now + normalized.bannerDuration};
    contentConfiguration_ = ContentConfiguration{textWidth, visibleFrame, normalized};

    Dictionary scheduled;
    scheduled["duration"] = Value(normalized.bannerDuration);
    scheduled["token"] = Value(token);
    emit("banner-scheduled", std::move(scheduled));

    {
        ui::Transaction transaction;
        transaction.setDisableActions(true);
        panel_->setLevel(inMissionControl ? ui::window_level::kMissionControl : ui::window_level::kFloating);
        panel_->setFrame(*frame, true, false);
        content_->configure(text, fontSize * scale, 1, ui::font_weight::kMedium);
        // A reused panel loses the row of its earlier showing.
        content_->configureApplications({}, scale);
        content_->applyGlass(normalized.glassStyle, normalized.tintEnabled ? std::optional(normalized.tint) : std::nullopt);
        content_->layoutSubtreeIfNeeded();
        transaction.commit();
    }
    // A banner already on screen is not reset to transparent, so it does not flash.
    if (!wasVisible) panel_->setAlphaValue(0);
    panel_->orderFrontRegardless();
    panel_->animateAlpha(1, wasVisible || reduceMotion() ? 0 : fadeInDuration);

    dismissal_ = RunLoop::main().postAfter(normalized.bannerDuration, [this, alive = lifetime_.weak(), token] {
        if (alive) fadeOut(token);
    });
    return token;
}

void SpaceNameBanner::fadeOut(int token) {
    if (token != generation_) return;
    applicationLease_.reset();
    Dictionary started;
    started["visibleSeconds"] = secondsSinceShown();
    emit("banner-fade-started", std::move(started));
    panel_->animateAlpha(0, reduceMotion() ? 0 : fadeOutDuration, [this, alive = lifetime_.weak(), token] {
        if (!alive || token != generation_) return;
        panel_->orderOut();
        Dictionary finished;
        finished["visibleSeconds"] = secondsSinceShown();
        emit("banner-finished", std::move(finished));
        shownAt_.reset();
    });
}

void SpaceNameBanner::hide(const std::string& reason) {
    if (shownAt_) {
        Dictionary hidden;
        hidden["reason"] = reason;
        hidden["visibleSeconds"] = Value(systemUptime() - *shownAt_);
        emit("banner-hidden", std::move(hidden));
    }
    shownAt_.reset();
    applicationLease_.reset();
    contentConfiguration_.reset();
    ++generation_;
    dismissal_.cancel();
    panel_->orderOut();
    panel_->setAlphaValue(0);
}

void SpaceNameBanner::updateApplications(const std::vector<SpaceApplication>& applications, int token) {
    if (applications.empty()) return;
    if (!panel_->isVisible() || !applicationLease_ || !applicationLease_->permits(token, systemUptime())) return;
    if (!contentConfiguration_) return;
    const auto& configuration = *contentConfiguration_;
    const double scale = configuration.preferences.bannerScale;
    const int count = static_cast<int>(std::min<size_t>(applications.size(), std::numeric_limits<int>::max()));
    const auto frame = SpaceBannerLayout::frame(configuration.textWidth, configuration.visibleFrame, scale,
                                                configuration.preferences.bannerPosition, count);
    // No room for the row on this display.
    if (!frame || frame->size.height < kApplicationRowHeight * scale) return;

    {
        ui::Transaction transaction;
        transaction.setDisableActions(true);
        panel_->setFrame(*frame, true, false);
        content_->configureApplications(applications, scale);
        content_->layoutSubtreeIfNeeded();
        transaction.commit();
    }
    Dictionary updated;
    updated["count"] = Value(count);
    updated["token"] = Value(token);
    updated["secondsSinceShown"] = secondsSinceShown();
    emit("banner-apps-updated", std::move(updated));
}

}  // namespace tarnwick
