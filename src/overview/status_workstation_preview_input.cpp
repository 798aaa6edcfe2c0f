// What the user does around the status button: hovering, clicking, the status menu, the global
// shortcut, clicks elsewhere, and the hover switch.

#include <string>

#include "overview/status_workstation_preview.h"
#include "platform/platform.h"

namespace tarnwick {

namespace ui = platform::ui;
namespace types = ui::event_type;
namespace flags = platform::modifier_flags;

namespace {

std::string surfaceOf(const ui::TrackingEvent& event) {
    if (!event.trackingArea) return {};
    const auto& info = event.trackingArea->userInfo();
    auto it = info.find("surface");
    return it != info.end() && it->second.asString() ? *it->second.asString() : std::string();
}

}  // namespace

// ---- hovering

void StatusWorkstationPreview::mouseEntered(const ui::TrackingEvent& event) {
    cancelDelayedWork();
    if (surfaceOf(event) != "button") {
        hover_.enterPreview();
        return;
    }
    const auto token = hover_.enterButton();
    // Already up on this desktop, or a click is deciding between the menu and the overview.
    if (panel_->isPresentedOnActiveSpace() || statusClicks_.hasPendingMenu()) return;
    opening_ = later(kHoverOpenDelay, [this, token] {
        if (!hover_.shouldOpen(token) || !pointerOnButton()) return;
        presentation_ = Presentation::menuBar();
        show("hover", OverviewInteractionMode::hover, std::nullopt, true);
    });
}

void StatusWorkstationPreview::mouseExited(const ui::TrackingEvent& event) {
    cancelDelayedWork();
    const auto token = surfaceOf(event) == "button" ? hover_.leaveButton() : hover_.leavePreview();
    if (!panel_->isVisible()) return;
    closing_ = later(kHoverCloseDelay, [this, token] {
        if (hover_.shouldClose(token) && !pointerOnButton() && !pointerOnPanel()) close("pointer-left");
    });
}

// ---- clicks on the status button

void StatusWorkstationPreview::statusButtonClicked() {
    if (!canPresent_()) {
        cancelStatusClick();
        return;
    }
    auto& events = *platform::current().events;
    const auto event = events.currentEvent();
    const bool optionHeld = event && (event->modifierFlags & flags::kOption);
    const bool liveOptionHeld = events.modifierFlags() & flags::kOption;
    const double interval = events.doubleClickInterval();
    const bool keyboard = !event || event->type == types::kKeyDown || event->type == types::kKeyUp;
    const auto action = keyboard ? statusClicks_.requestMenu(optionHeld, liveOptionHeld)
                                 : statusClicks_.mouseUp(systemUptime(), interval, event->clickCount,
                                                         event->type == types::kRightMouseUp, optionHeld, liveOptionHeld);
    Dictionary fields;
    fields["eventType"] = event ? event->type : 0;
    fields["eventOption"] = optionHeld;
    fields["liveOption"] = liveOptionHeld;
    fields["optionHeld"] = statusClicks_.revealTesting();
    fields["action"] = action.description();
    trace("status-click", std::move(fields));

    using Kind = WorkstationStatusClickState::Action::Kind;
    if (action.kind() == Kind::ignore) return;
    cancelDelayedWork();
    hover_.reset(true);
    close("status-click", false, true, false, OverviewDismissal::environment);
    clickOpening_.cancel();
    clickOpening_ = WorkItem();
    switch (action.kind()) {
        case Kind::wait: {
            const auto token = action.token();
            clickOpening_ = later(interval, [this, token] {
                if (!statusClicks_.takeMenu(token, systemUptime())) return;
                clickOpening_ = WorkItem();
                showMenu();
            });
            break;
        }
        case Kind::menu:
            showMenu();
            break;
        case Kind::overview:
            cancelStatusClick();
            cancelDelayedWork();
            hover_.reset(false);
            hover_.pinOpen();
            presentation_ = Presentation::menuBar();
            show("double-click", OverviewInteractionMode::explicit_, std::nullopt, true);
            break;
        case Kind::ignore:
            break;
    }
}

// ---- the status menu

void StatusWorkstationPreview::showMenu() {
    if (!canPresent_() || !menu_) return;
    auto button = button_.lock();
    ui::Panel* window = statusButtonWindow();
    if (!window || !window->isVisible()) return;
    const bool reveal = statusClicks_.revealTesting();
    if (auto prepare = prepareMenu) prepare(reveal);
    Dictionary fields;
    fields["revealTesting"] = reveal;
    fields["hasPrepareMenu"] = static_cast<bool>(prepareMenu);
    fields["testingHidden"] = testingHidden();
    trace("menu-prepared", std::move(fields));
    menu_->popUp(nullptr, button->bounds().origin, *button);
}

void StatusWorkstationPreview::menuWillOpen(ui::Menu&) {
    hover_.menuWillOpen();
    close("menu-opened", false, true, true, OverviewDismissal::environment);
    Dictionary fields;
    fields["testingHidden"] = testingHidden();
    trace("menu-opened", std::move(fields));
}

void StatusWorkstationPreview::menuDidClose(ui::Menu&) { hover_.menuDidClose(pointerOnButton()); }

// ---- the menu item and the shortcut

void StatusWorkstationPreview::showOverview(const std::string& reason) {
    if (disposed_) return;
    cancelStatusClick();
    cancelDelayedWork();
    hover_.reset(false);
    hover_.pinOpen();
    presentation_ = Presentation::menuBar();
    show(reason, OverviewInteractionMode::explicit_, std::nullopt, true);
}

void StatusWorkstationPreview::toggleOverview(Point point) { toggleOverview(point, 0); }

void StatusWorkstationPreview::toggleOverview(Point point, int retries) {
    if (disposed_ || !canPresent_()) return;
    if (hover_.isMenuOpen()) {
        if (retries < kMenuCloseRetries) {
            // The menu reports closing as its tracking ends; try again once it has.
            if (menu_) menu_->cancelTracking();
            menuRetry_.cancel();
            menuRetry_ = later(0, [this, point, retries] { toggleOverview(point, retries + 1); });
            return;
        }
        // The menu never said it closed (it went away while open): take it for closed, as its
        // closing would have told us, rather than waiting for ever.
        hover_.menuDidClose(pointerOnButton());
        Dictionary fields;
        fields["retries"] = retries;
        trace("menu-close-missed", std::move(fields));
    }
    if (panel_->isPresentedOnActiveSpace()) {
        close("shortcut-toggle", true, true, true, OverviewDismissal::shortcut);
        hover_.closeShortcut(pointerOnButton());
        return;
    }
    cancelStatusClick();
    cancelDelayedWork();
    hover_.reset(false);
    hover_.pinOpen();
    presentation_ = Presentation::pointer(point);
    show("shortcut", OverviewInteractionMode::explicit_, std::nullopt, true);
}

// ---- clicks elsewhere

void StatusWorkstationPreview::dismissForOutsideClick() {
    if (!panel_->isVisible()) return;
    // A press on the status button is the button's own business.
    if (pointerOnButton()) return;
    if (!pointerOnPanel()) close("outside-click", true, true, true, OverviewDismissal::outsideClick);
}

// ---- the hover switch

void StatusWorkstationPreview::setEnabled(bool enabled) {
    if (disposed_) return;
    const bool previous = std::exchange(automaticHoverEnabled_, enabled);
    hover_.setEnabled(enabled);
    const bool presentable = canPresent_();
    if (!presentable || (previous && !enabled && !hover_.isPinnedOpen()))
        close("disabled-or-suspended", false, !presentable, true, OverviewDismissal::environment);
}

}  // namespace tarnwick
