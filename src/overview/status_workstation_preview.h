#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "applications/application_navigation_queue.h"
#include "applications/desktop_application_inventory.h"
#include "applications/inventory_refresh_scheduler.h"
#include "applications/space_navigation_target.h"
#include "model/desktop_names_model.h"
#include "model/diagnostic_trace.h"
#include "model/settings_model.h"
#include "overview/overview_dismissal.h"
#include "overview/overview_focus_target.h"
#include "overview/overview_interaction_mode.h"
#include "overview/overview_keyboard_hosting_view.h"
#include "overview/workstation_hover_state.h"
#include "overview/workstation_preview_panel.h"
#include "overview/workstation_preview_status.h"
#include "overview/workstation_preview_view.h"
#include "overview/workstation_selection.h"
#include "overview/workstation_status_click_state.h"
#include "platform/events.h"
#include "platform/workspace.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_item.h"
#include "platform/ui/tracking_area.h"
#include "support/observable.h"
#include "support/run_loop.h"
#include "support/task.h"

namespace tarnwick {

// What the presenter works with besides its owner's models; the program's own when left empty.
// Tests pass their own loader, icon cache and readers (through `inventory`), a scheduler, and
// may replace the two ways of navigating.
struct StatusWorkstationPreviewServices {
    // The presenter's app inventory takes these (loader, icons, focus readers, window opening).
    DesktopApplicationInventoryServices inventory;
    // Nothing: the shared refresh timer.
    InventoryRefreshScheduler* scheduler = nullptr;
    // Makes a desktop current; MissionControlSpaceSwitcher::switchTo when empty.
    std::function<Task<void>(SpaceNavigationTarget target, DesktopCatalogFunction catalog)> switchDesktop;
    // Brings an app's window forward on a desktop; the inventory's `openWindow`, else
    // ApplicationWindowFocus::open with its focus readers, when empty.
    std::function<Task<void>(std::string appID, std::string desktopID, DesktopCatalogFunction catalog)> openApplication;
};

// The controller of the Workstation Overview. It owns the overview panel and decides when it
// shows and hides: the pointer hovering over the status button, single and double clicks on it,
// the status menu, the global shortcut, the menu item, clicks outside the panel, changes of the
// status button's window, loss of key focus and the end of a pick. It hands a picked desktop or
// app to navigation and shows a failure in the panel. Every decision goes to
// "workstation-preview-trace.jsonl".
//
// The application delegate makes one for the life of the process, around the status item's
// button (held weakly: the system may take it away) and its menu, whose delegate it becomes.
// Main loop only; every closure it hands out holds it weakly.
class StatusWorkstationPreview final : public platform::ui::MenuDelegate, public platform::ui::TrackingAreaOwner {
public:
    using Services = StatusWorkstationPreviewServices;
    using Host = OverviewKeyboardHostingView<WorkstationPreviewView>;

    static constexpr const char* kTraceFileName = "workstation-preview-trace.jsonl";
    static constexpr double kHoverOpenDelay = 0.35;
    static constexpr double kHoverCloseDelay = 0.22;
    static constexpr double kCornerRadius = 16;
    static constexpr const char* kDesktopChanged = "This desktop changed. Try the overview again.";
    // How many turns the shortcut waits for the status menu to report closing before it takes it
    // for closed.
    static constexpr int kMenuCloseRetries = 10;

    // `canPresent`: the owner's verdict whether the overview may show now; cheap, callable at
    // any time.
    StatusWorkstationPreview(std::weak_ptr<platform::ui::StatusBarButton> button, std::shared_ptr<platform::ui::Menu> menu,
                             DesktopNamesModel& model, SettingsModel& settings, std::function<bool()> canPresent,
                             Services services = {});
    // Lets go of everything it installed (as dispose() does, without closing or tracing).
    ~StatusWorkstationPreview() override;
    StatusWorkstationPreview(const StatusWorkstationPreview&) = delete;
    StatusWorkstationPreview& operator=(const StatusWorkstationPreview&) = delete;

    // ---- called by the owner
    // The user's hover switch, or the suspension state, changed.
    void setEnabled(bool enabled);
    // The menu item: opens the overview below the status button, taking the keyboard.
    void showOverview(const std::string& reason = "menu");
    // The global shortcut, with the pointer's place (screen coordinates, y up): opens the
    // overview beside it, or closes it when it shows on the desktop the user sees.
    void toggleOverview(Point point);
    void close(const std::string& reason = "environment-changed", bool resetHover = true, bool cancelNavigation = true,
               bool cancelPendingClick = true, OverviewDismissal dismissal = OverviewDismissal::environment);
    // Final teardown: closes ("terminated") and lets go of every observer, hook, tracking area,
    // delegate and action. Nothing reaches the presenter afterwards.
    void dispose();
    // Called just before the status menu pops up, with whether Option was held at the click or
    // key press that led to it (the owner then shows its hidden "Testing" row).
    std::function<void(bool revealTesting)> prepareMenu;

    // ---- the platform's entry points
    // The status button's action (left and right mouse-ups, and the keyboard).
    void statusButtonClicked();
    void mouseEntered(const platform::ui::TrackingEvent& event) override;
    void mouseExited(const platform::ui::TrackingEvent& event) override;
    void menuWillOpen(platform::ui::Menu& menu) override;
    void menuDidClose(platform::ui::Menu& menu) override;

    // ---- reading, for the owner and tests
    WorkstationPreviewPanel& panel() { return *panel_; }
    WorkstationPreviewStatus& selectionStatus() { return selectionStatus_; }
    DesktopApplicationInventory& applications() { return *applications_; }
    std::shared_ptr<Host> keyboardHost() const { return keyboardHost_.lock(); }
    const WorkstationHoverState& hover() const { return hover_; }
    const WorkstationStatusClickState& statusClicks() const { return statusClicks_; }
    OverviewInteractionMode interactionMode() const { return interactionMode_; }
    bool isNavigating() const { return navigating_; }
    // Delayed work of the presenter still waiting on the run loop (hover checks, the menu after
    // a single click, the shortcut waiting for the menu to close).
    bool hasScheduledWork() const;
    DiagnosticTrace& diagnosticTrace() { return diagnosticTrace_; }

private:
    // Where the next showing goes.
    struct Presentation {
        enum class Kind { menuBar, pointer };
        Kind kind = Kind::menuBar;
        Point point;  // for `pointer`: beside this point, in screen coordinates
        static Presentation menuBar() { return {}; }
        static Presentation pointer(Point p) { return {Kind::pointer, p}; }
    };
    // What had key focus before a showing that takes the keyboard.
    struct FocusOrigin {
        platform::ui::Panel::Weak window;  // a window of ours that was key
        std::optional<platform::RunningApplication> application;  // the frontmost application
    };
    // What a pick keeps of the showing it came from, to show a failure where it was.
    struct PickContext {
        Presentation presentation;
        OverviewInteractionMode mode;
        std::optional<FocusOrigin> origin;
        OverviewFocusTarget focus;
    };

    void show(const std::string& reason, OverviewInteractionMode mode, std::optional<OverviewFocusTarget> preferredFocus,
              bool captureOrigin);
    void showMenu();
    void select(const WorkstationSelection& selection);
    static Task<void> navigate(LifetimeToken::Weak alive, StatusWorkstationPreview* self, WorkstationSelection selection,
                               std::int64_t generation, PickContext context);
    void dismissForOutsideClick();
    void cancelStatusClick();
    void cancelDelayedWork();
    void toggleOverview(Point point, int retries);
    void claimFocus(std::optional<OverviewFocusTarget> target);
    void watchOutside(platform::ui::Panel* anchorWindow);
    void stopWatchingOutside();
    void detach();

    // Geometry: the window the status button stands in (none once the system took the button
    // out of it or away), the button's frame on screen, and where the pointer is.
    platform::ui::Panel* statusButtonWindow() const;
    std::optional<Rect> anchorRectangle() const;
    bool pointerOnButton() const;
    bool pointerOnPanel() const;

    void trace(const std::string& event, Dictionary fields);
    Dictionary requestedFields(const std::string& reason) const;
    bool testingHidden() const;
    // Runs the job `seconds` from now on the main loop, if the presenter is still there.
    WorkItem later(double seconds, std::function<void()> job);

    std::weak_ptr<platform::ui::StatusBarButton> button_;
    std::shared_ptr<platform::ui::Menu> menu_;
    DesktopNamesModel& model_;
    SettingsModel& settings_;
    Services services_;
    WorkstationPreviewStatus selectionStatus_;
    std::unique_ptr<DesktopApplicationInventory> applications_;
    ApplicationNavigationQueue navigation_;
    std::int64_t selectionGeneration_ = 0;
    bool navigating_ = false;
    std::function<bool()> canPresent_;
    bool automaticHoverEnabled_ = true;
    std::unique_ptr<WorkstationPreviewPanel> panel_;
    std::weak_ptr<Host> keyboardHost_;
    std::shared_ptr<platform::ui::View> previewSurface_;  // the panel's content view
    WorkstationHoverState hover_;
    WorkItem opening_;
    WorkItem closing_;
    WorkstationStatusClickState statusClicks_;
    WorkItem clickOpening_;
    WorkItem menuRetry_;
    std::shared_ptr<platform::ui::TrackingArea> buttonTracking_;
    std::shared_ptr<platform::ui::TrackingArea> previewTracking_;
    // Installed by the first showing since the last close: the mouse monitors and the observers
    // of the status button's window.
    bool watchingOutside_ = false;
    std::optional<platform::EventMonitorToken> outsideMouse_;
    std::optional<platform::EventMonitorToken> localMouse_;
    std::vector<Subscription> anchorObservers_;
    Presentation presentation_;
    OverviewInteractionMode interactionMode_ = OverviewInteractionMode::hover;
    std::optional<FocusOrigin> focusOrigin_;
    Subscription focusObserver_;
    Subscription activationObserver_;
    bool isClosing_ = false;
    bool disposed_ = false;
    DiagnosticTrace diagnosticTrace_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
