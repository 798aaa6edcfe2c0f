#include "app/display_identification_controller.h"

#include <cmath>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/screens.h"

namespace tarnwick {

namespace ui = platform::ui;

namespace {

// The panel's content: the name in large type and, when it says something else, the display's
// own name under it.
class DisplayIdentificationView final : public ui::DeclarativeView {
public:
    DisplayIdentificationView(std::string title, std::optional<std::string> localizedName)
        : title_(std::move(title)), localizedName_(std::move(localizedName)) {}

    ui::Node body(ui::ViewContext&) override {
        std::vector<ui::Node> lines;
        lines.push_back(ui::text(title_).font(ui::TextStyle::title2).fontWeight(ui::font_weight::kSemibold).lineLimit(2));
        if (localizedName_)
            lines.push_back(ui::text(*localizedName_).font(ui::TextStyle::callout).foreground(ui::Color::secondaryLabel()));
        ui::FrameSpec fill;
        fill.maxWidth = fill.maxHeight = ui::FrameSpec::infinity;
        return ui::vstack(ui::HorizontalAlignment::center, 6, std::move(lines)).padding(16).frame(fill);
    }
    void observe(ui::ViewHost&) override {}

private:
    std::string title_;
    std::optional<std::string> localizedName_;
};

struct ConnectedScreen {
    std::string uuid;
    platform::ScreenDescription screen;
};

// The screens that have a display number and a UUID, in the platform's order.
std::vector<ConnectedScreen> connectedScreens() {
    std::vector<ConnectedScreen> result;
    auto& displays = *platform::current().displays;
    for (auto& screen : ui::screens()) {
        const auto number = ui::displayID(screen);
        if (!number) continue;
        auto uuid = displays.uuidString(*number);
        if (!uuid) continue;
        result.push_back(ConnectedScreen{std::move(*uuid), std::move(screen)});
    }
    return result;
}

// The smaller of the room left and the maximum; a difference that is not a number leaves the
// maximum (std::min would hand the NaN on).
double fitted(double visible, double margin, double maximum) {
    const double room = visible - margin;
    if (std::isnan(room)) return maximum;
    return room < maximum ? room : maximum;
}

}  // namespace

DisplayIdentificationController::DisplayIdentificationController(Uptime uptime)
    : uptime_(uptime ? std::move(uptime) : Uptime([] { return systemUptime(); })) {}

DisplayIdentificationController::~DisplayIdentificationController() { hide(); }

std::optional<Size> DisplayIdentificationController::panelSize(const Rect& visible) {
    const double width = fitted(visible.width(), kMargin, kMaximumWidth);
    const double height = fitted(visible.height(), kMargin, kMaximumHeight);
    if (!(width > 0) || !(height > 0)) return std::nullopt;
    return Size{width, height};
}

bool DisplayIdentificationController::identify(const std::string& displayID, const std::string& title) {
    hide();
    const auto screens = connectedScreens();
    std::vector<std::string> ids;
    ids.reserve(screens.size());
    for (const auto& connected : screens) ids.push_back(connected.uuid);
    const auto presentation = state_.begin(displayID, ids, uptime_());
    if (!presentation) return false;
    const ConnectedScreen* target = nullptr;
    for (const auto& connected : screens)
        if (connected.uuid == presentation->displayID) target = &connected;
    if (!target) return false;

    const Rect& visible = target->screen.visibleFrame;
    const auto size = panelSize(visible);
    const Rect frame = size ? Rect(visible.midX() - size->width / 2, visible.midY() - size->height / 2, size->width,
                                   size->height)
                            : Rect();
    // A visible frame without a finite middle has no place for the panel either.
    if (!size || !frame.isFinite()) {
        hide();
        return false;
    }

    auto panel = std::make_unique<ui::Panel>(frame, ui::style_mask::kNonactivatingPanel, ui::BackingStore::buffered, false);
    panel->setTitle(kPanelTitle);
    panel->setLevel(ui::window_level::kFloating);
    panel->collectionBehavior = kCollectionBehavior;
    panel->setIgnoresMouseEvents(true);
    panel->hidesOnDeactivate = false;
    panel->isExcludedFromWindowsMenu = true;
    panel->isOpaque = false;
    panel->backgroundColor = ui::Color::clear();
    panel->animationBehavior = ui::animation_behavior::kNone;

    std::optional<std::string> localizedName;
    if (target->screen.localizedName != title) localizedName = target->screen.localizedName;
    auto glass = std::make_shared<ui::GlassEffectView>();
    glass->style = ui::GlassStyle::regular;
    glass->cornerRadius = kCornerRadius;
    glass->setContentView(
        std::make_shared<ui::HostingView>(std::make_unique<DisplayIdentificationView>(title, std::move(localizedName))));
    panel->setContentView(std::move(glass));

    panel_ = std::move(panel);
    panel_->orderFrontRegardless();
    scheduleExpiry(presentation->token, DisplayIdentificationState::kDuration);
    return true;
}

void DisplayIdentificationController::hide() {
    expiry_.cancel();
    expiry_ = WorkItem();
    state_.cancel();
    if (auto panel = std::move(panel_)) panel->orderOut();
}

void DisplayIdentificationController::scheduleExpiry(int token, double delay) {
    expiry_ = RunLoop::main().postAfter(delay, [this, alive = lifetime_.weak(), token] {
        if (alive) expire(token);
    });
}

void DisplayIdentificationController::expire(int token) {
    const double now = uptime_();
    if (state_.expire(token, now)) {
        expiry_ = WorkItem();
        if (auto panel = std::move(panel_)) panel->orderOut();
        return;
    }
    // Still this showing, but early: wait for the rest of the time instead of leaving the panel
    // up for good.
    const auto& current = state_.current;
    if (!current || current->token != token) return;
    const double remaining = current->deadline - now;
    if (std::isfinite(remaining) && remaining > 0)
        scheduleExpiry(token, remaining);
    else
        hide();
}

}  // namespace tarnwick
