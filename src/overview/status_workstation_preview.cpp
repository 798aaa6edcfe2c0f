// The presenter's life, its showings and closings, and key focus.

#include "overview/status_workstation_preview.h"

#include <utility>

#include "model/diagnostic_files.h"
#include "overview/workstation_preview_layout.h"
#include "platform/notifications.h"
#include "platform/platform.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/screens.h"
#include "platform/ui/window_system.h"

namespace tarnwick {

namespace ui = platform::ui;
namespace names = platform::notification_names;

namespace {

Dictionary rectangle(const std::optional<Rect>& r) {
    Dictionary d;
    if (!r) return d;
    d["x"] = r->origin.x;
    d["y"] = r->origin.y;
    d["width"] = r->size.width;
    d["height"] = r->size.height;
    return d;
}

std::int32_t frontmostPID() { return platform::current().workspace->frontmostApplication().value_or(0); }

}  // namespace

StatusWorkstationPreview::StatusWorkstationPreview(std::weak_ptr<ui::StatusBarButton> button,
                                                   std::shared_ptr<ui::Menu> menu, DesktopNamesModel& model,
                                                   SettingsModel& settings, std::function<bool()> canPresent,
                                                   Services services)
    : button_(std::move(button)),
      menu_(std::move(menu)),
      model_(model),
      settings_(settings),
      services_(std::move(services)),
      canPresent_(std::move(canPresent)),
      diagnosticTrace_(DiagnosticFiles::location(kTraceFileName)) {
    const auto alive = lifetime_.weak();
    // The inventory asks the model for the catalog, and for a fresh one when it needs it.
    applications_ = std::make_unique<DesktopApplicationInventory>(
        [&model] { return model.monitors.get(); }, [&model] { model.refresh(true); }, services_.scheduler,
        services_.inventory);
    panel_ = std::make_unique<WorkstationPreviewPanel>();

    const auto escape = [this, alive] {
        if (alive) close("escape", true, true, true, OverviewDismissal::escape);
    };
    panel_->escapeRequested = escape;
    selectionStatus_.dismissRequested = escape;

    auto& center = *platform::current().notificationCenter;
    focusObserver_ = center.addObserver(names::kWindowDidResignKey, panel_.get(), [this, alive](const platform::Notification&) {
        if (!alive || isClosing_) return;
        // Heard after the panel took key status again (closed and shown anew meanwhile): stale.
        if (panel_->isKeyWindow()) return;
        if (acceptsKeyboard(interactionMode_) && panel_->isVisible()) close("focus-left");
    });
    activationObserver_ = center.addObserver(names::kApplicationDidBecomeActive, [this, alive](const platform::Notification&) {
        if (!alive) return;
        if (panel_->isVisible() && acceptsKeyboard(interactionMode_)) claimFocus(selectionStatus_.preferredFocus);
    });

    auto view = std::make_unique<WorkstationPreviewView>(model_, *applications_, selectionStatus_, settings_,
                                                         [this, alive](const WorkstationSelection& selection) {
                                                             if (alive) select(selection);
                                                         });
    auto host = std::make_shared<Host>(std::move(view));
    host->command = [this, alive](const OverviewKeyboardCommand& command) {
        if (!alive) return;
        if (panel_->isKeyWindow() && acceptsKeyboard(interactionMode_)) selectionStatus_.keyboardCommands.emit(command);
    };
    host->autoresizingMask = ui::autoresizing::kWidthSizable | ui::autoresizing::kHeightSizable;
    keyboardHost_ = host;

    auto glass = std::make_shared<ui::GlassEffectView>();
    glass->style = ui::GlassStyle::regular;
    glass->cornerRadius = kCornerRadius;
    glass->setContentView(host);
    panel_->setContentView(glass);
    previewSurface_ = glass;

    namespace options = ui::tracking_options;
    const unsigned trackingOptions = options::kMouseEnteredAndExited | options::kActiveAlways | options::kInVisibleRect;
    Dictionary buttonInfo, previewInfo;
    buttonInfo["surface"] = "button";
    previewInfo["surface"] = "preview";
    buttonTracking_ = std::make_shared<ui::TrackingArea>(Rect(), trackingOptions, this, std::move(buttonInfo));
    previewTracking_ = std::make_shared<ui::TrackingArea>(Rect(), trackingOptions, this, std::move(previewInfo));
    auto statusButton = button_.lock();
    if (statusButton) statusButton->addTrackingArea(buttonTracking_);
    glass->addTrackingArea(previewTracking_);

    if (menu_) menu_->delegate = this;
    if (statusButton) {
        statusButton->action = [this, alive] {
            if (alive) statusButtonClicked();
        };
        statusButton->sendActionOn(platform::event_mask::kLeftMouseUp | platform::event_mask::kRightMouseUp);
    }
}

StatusWorkstationPreview::~StatusWorkstationPreview() { detach(); }

void StatusWorkstationPreview::dispose() {
    if (disposed_) return;
    close("terminated");
    detach();
}

void StatusWorkstationPreview::detach() {
    disposed_ = true;
    cancelStatusClick();
    cancelDelayedWork();
    menuRetry_.cancel();
    stopWatchingOutside();
    focusObserver_.reset();
    activationObserver_.reset();
    panel_->escapeRequested = nullptr;
    selectionStatus_.dismissRequested = nullptr;
    auto button = button_.lock();
    if (button && buttonTracking_) button->removeTrackingArea(*buttonTracking_);
    if (previewSurface_ && previewTracking_) previewSurface_->removeTrackingArea(*previewTracking_);
    buttonTracking_.reset();
    previewTracking_.reset();
    if (menu_ && menu_->delegate == this) menu_->delegate = nullptr;
    if (button) button->action = nullptr;
    prepareMenu = nullptr;
}

WorkItem StatusWorkstationPreview::later(double seconds, std::function<void()> job) {
    return RunLoop::main().postAfter(seconds, [alive = lifetime_.weak(), job = std::move(job)] {
        if (alive) job();
    });
}

bool StatusWorkstationPreview::hasScheduledWork() const {
    for (const WorkItem* item : {&opening_, &closing_, &clickOpening_, &menuRetry_})
        if (*item && !item->isCancelled() && !item->hasFired()) return true;
    return false;
}

// ---- geometry

ui::Panel* StatusWorkstationPreview::statusButtonWindow() const {
    auto button = button_.lock();
    return button ? button->window() : nullptr;
}

std::optional<Rect> StatusWorkstationPreview::anchorRectangle() const {
    auto button = button_.lock();
    ui::Panel* window = statusButtonWindow();
    if (!window) return std::nullopt;
    return window->convertToScreen(button->convertToWindow(button->bounds()));
}

bool StatusWorkstationPreview::pointerOnButton() const {
    const auto anchor = anchorRectangle();
    return anchor && anchor->contains(ui::windowSystem().pointerLocation());
}

bool StatusWorkstationPreview::pointerOnPanel() const {
    return panel_->frame().contains(ui::windowSystem().pointerLocation());
}

// ---- focus

void StatusWorkstationPreview::claimFocus(std::optional<OverviewFocusTarget> target) {
    if (!panel_->isVisible() || !acceptsKeyboard(interactionMode_)) return;
    panel_->makeKey();
    if (auto host = keyboardHost_.lock()) panel_->makeFirstResponder(host.get());
    if (panel_->isKeyWindow()) selectionStatus_.requestFocus(std::move(target));
}

// ---- showing

void StatusWorkstationPreview::show(const std::string& reason, OverviewInteractionMode mode,
                                    std::optional<OverviewFocusTarget> preferredFocus, bool captureOrigin) {
    trace("requested", requestedFields(reason));
    if (navigating_ || !canPresent_() || hover_.isMenuOpen()) return;

    std::optional<Rect> frame;
    ui::Panel* anchorWindow = nullptr;
    if (presentation_.kind == Presentation::Kind::menuBar) {
        ui::Panel* window = statusButtonWindow();
        const auto anchor = anchorRectangle();
        if (!window || !window->isVisible() || !anchor) return;
        auto screen = ui::screenAt({anchor->midX(), anchor->midY()});
        if (!screen) screen = window->screen();
        if (!screen) return;
        frame = WorkstationPreviewLayout::frame(*anchor, screen->visibleFrame);
        anchorWindow = window;
    } else {
        const Point pointer = presentation_.point;
        // The main screen is the first one when no key window says otherwise.
        auto screen = ui::screenAt(pointer);
        if (!screen) screen = ui::mainScreen();
        if (!screen) return;
        frame = WorkstationPreviewLayout::frame(pointer, screen->visibleFrame);
    }
    if (!frame) return;

    model_.refresh(true);
    auto& platform = platform::current();
    const std::int32_t ownPID = platform.system->processIdentifier();
    const std::int32_t frontBefore = frontmostPID();
    if (acceptsKeyboard(mode) && captureOrigin && !panel_->isKeyWindow()) {
        FocusOrigin origin;
        ui::Panel* key = ui::keyWindow();
        if (frontBefore == ownPID && key && key != panel_.get()) origin.window = key->weak();
        if (frontBefore != 0) origin.application = platform.workspace->runningApplication(frontBefore);
        focusOrigin_ = std::move(origin);
    }

    interactionMode_ = mode;
    selectionStatus_.interactionMode.setIfChanged(mode);
    panel_->setAcceptsKeyboard(acceptsKeyboard(mode));
    panel_->setFrame(*frame, false, false);
    if (panel_->contentView()) panel_->contentView()->layoutSubtreeIfNeeded();
    panel_->orderFrontRegardless();

    if (acceptsKeyboard(mode)) {
        panel_->makeKey();
        selectionStatus_.preferredFocus = preferredFocus;
        const std::optional<std::int32_t> front = frontBefore != 0 ? std::optional(frontBefore) : std::nullopt;
        if (requiresApplicationActivation(mode, front, ownPID)) platform.application->activate(false);
        claimFocus(preferredFocus);
        // Activation settles on a later turn: claim once more then.
        RunLoop::main().post([this, alive = lifetime_.weak(), preferredFocus] {
            if (alive) claimFocus(preferredFocus);
        });
    }
    applications_->start();
    if (!watchingOutside_) watchOutside(anchorWindow);

    Dictionary fields;
    std::size_t desktops = 0;
    for (const auto& monitor : model_.monitors.get()) desktops += monitor.desktops.size();
    fields["reason"] = reason;
    fields["monitors"] = model_.monitors->size();
    fields["panelOnActiveSpace"] = panel_->isPresentedOnActiveSpace();
    fields["collectionBehavior"] = panel_->collectionBehavior;
    fields["desktops"] = desktops;
    fields["frontPIDBefore"] = frontBefore;
    fields["frontPIDAfter"] = frontmostPID();
    fields["frame"] = rectangle(panel_->frame());
    trace("shown", std::move(fields));
}

void StatusWorkstationPreview::watchOutside(ui::Panel* anchorWindow) {
    watchingOutside_ = true;
    auto& events = *platform::current().events;
    const auto alive = lifetime_.weak();
    const platform::EventMask presses = platform::event_mask::kLeftMouseDown | platform::event_mask::kRightMouseDown;
    outsideMouse_ = events.addGlobalMonitor(presses, [this, alive](const platform::Event&) {
        if (alive) dismissForOutsideClick();
    });
    localMouse_ = events.addLocalMonitor(presses, [this, alive](const platform::Event& event) -> std::optional<platform::Event> {
        if (alive) dismissForOutsideClick();
        return event;
    });
    if (!anchorWindow) return;
    auto& center = *platform::current().notificationCenter;
    for (const char* name : {names::kWindowDidMove, names::kWindowDidChangeScreen, names::kWindowDidChangeOcclusionState,
                             names::kWindowWillClose}) {
        const bool occlusion = std::string(name) == names::kWindowDidChangeOcclusionState;
        anchorObservers_.push_back(center.addObserver(name, anchorWindow, [this, alive, occlusion](const platform::Notification&) {
            if (!alive) return;
            if (occlusion) {
                // Still on screen and seen: nothing the panel hangs from has changed.
                ui::Panel* window = statusButtonWindow();
                if (window && window->isVisible() && (window->occlusionState() & ui::occlusion_state::kVisible)) return;
            }
            close("anchor-changed");
        }));
    }
}

void StatusWorkstationPreview::stopWatchingOutside() {
    auto& events = *platform::current().events;
    if (auto token = std::exchange(outsideMouse_, std::nullopt)) events.removeMonitor(*token);
    if (auto token = std::exchange(localMouse_, std::nullopt)) events.removeMonitor(*token);
    anchorObservers_.clear();
    watchingOutside_ = false;
}

// ---- closing

void StatusWorkstationPreview::close(const std::string& reason, bool resetHover, bool cancelNavigation,
                                     bool cancelPendingClick, OverviewDismissal dismissal) {
    if (isClosing_) return;
    isClosing_ = true;
    // Decided before anything changes: only the user's own ways of backing out, while key.
    const bool restore = restoresFocus(dismissal, interactionMode_, panel_->isKeyWindow());
    const auto origin = std::exchange(focusOrigin_, std::nullopt);
    if (cancelPendingClick) cancelStatusClick();
    cancelDelayedWork();
    if (cancelNavigation) {
        ++selectionGeneration_;
        navigation_.cancel();
        navigating_ = false;
    }
    if (resetHover) hover_.reset(false);
    applications_->stop();
    stopWatchingOutside();
    if (panel_->isVisible()) {
        panel_->orderOut();
        Dictionary fields;
        fields["reason"] = reason;
        trace("closed", std::move(fields));
    }
    interactionMode_ = OverviewInteractionMode::hover;
    panel_->setAcceptsKeyboard(false);
    selectionStatus_.interactionMode.setIfChanged(OverviewInteractionMode::hover);
    if (restore && origin) {
        ui::Panel* window = origin->window.get();
        auto& workspace = *platform::current().workspace;
        if (window && window->isVisible()) {
            window->makeKeyAndOrderFront();
        } else if (origin->application) {
            const auto running = workspace.runningApplication(origin->application->processIdentifier);
            if (running && !running->isTerminated) workspace.activateApplication(running->processIdentifier);
        }
    }
    isClosing_ = false;
}

void StatusWorkstationPreview::cancelStatusClick() {
    clickOpening_.cancel();
    clickOpening_ = WorkItem();
    statusClicks_.cancel();
}

void StatusWorkstationPreview::cancelDelayedWork() {
    opening_.cancel();
    opening_ = WorkItem();
    closing_.cancel();
    closing_ = WorkItem();
}

// ---- tracing

void StatusWorkstationPreview::trace(const std::string& event, Dictionary fields) {
    diagnosticTrace_.record(event, std::move(fields));
}

Dictionary StatusWorkstationPreview::requestedFields(const std::string& reason) const {
    ui::Panel* window = statusButtonWindow();
    Dictionary fields;
    fields["reason"] = reason;
    fields["canPresent"] = canPresent_();
    fields["menuOpen"] = hover_.isMenuOpen();
    fields["panelVisible"] = panel_->isVisible();
    fields["panelOnActiveSpace"] = panel_->isPresentedOnActiveSpace();
    fields["hasButton"] = !button_.expired();
    fields["hasWindow"] = window != nullptr;
    fields["anchorVisible"] = window && window->isVisible();
    fields["anchor"] = rectangle(anchorRectangle());
    return fields;
}

bool StatusWorkstationPreview::testingHidden() const {
    if (!menu_) return true;
    const ui::MenuItem* testing = menu_->item("Testing");
    return !testing || testing->isHidden;
}

}  // namespace tarnwick
