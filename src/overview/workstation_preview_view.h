#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "applications/desktop_application_inventory.h"
#include "applications/space_navigation_target.h"
#include "model/desktop_monitor.h"
#include "model/desktop_name_store.h"
#include "model/desktop_names_model.h"
#include "model/settings_model.h"
#include "overview/overview_focus_target.h"
#include "overview/overview_keyboard_command.h"
#include "overview/workstation_preview_status.h"
#include "overview/workstation_selection.h"
#include "platform/key_event.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/declarative/view_context.h"
#include "platform/ui/declarative/view_host.h"
#include "support/observable.h"

namespace tarnwick {

// The content of the Workstation Overview panel: every display's desktops with their names and
// apps, worked by pointer and keyboard. The presenter builds it once and keeps it for every
// showing, so its three view states carry over from one showing to the next.
//
// This class holds the view's rules as plain functions of the models (what is shown, in which
// order Tab visits it, how the keyboard and the pointer change the view state and what a pick
// hands to `selection`); `body` maps them onto nodes. The view never navigates, closes the panel
// or reports errors itself. Main loop only.
class WorkstationPreviewView final : public platform::ui::DeclarativeView {
public:
    using Entry = DesktopApplicationInventory::Entry;
    using Names = DesktopNameStore::Names;
    using SelectionHandler = std::function<void(const WorkstationSelection&)>;

    WorkstationPreviewView(DesktopNamesModel& model, DesktopApplicationInventory& applications,
                           WorkstationPreviewStatus& status, SettingsModel& settings, SelectionHandler selection);
    WorkstationPreviewView(const WorkstationPreviewView&) = delete;
    WorkstationPreviewView& operator=(const WorkstationPreviewView&) = delete;

    // ---- rendering ----

    // A header, the scrolling list of displays and their desktops with their apps, the keyboard
    // hint and the error lines.
    platform::ui::Node body(platform::ui::ViewContext& context) override;
    // Every published value of the four models and the view's own state.
    void observe(platform::ui::ViewHost& host) override;

    // ---- view state, empty at first ----

    // The desktop row under the pointer.
    Published<std::optional<std::string>> hoveredDesktopID;
    // The button that holds keyboard focus, as the platform's focus system sees it.
    Published<std::optional<OverviewFocusTarget>> keyboardFocus;
    // The target the keyboard acts on and that is drawn highlighted; kept equal to keyboardFocus
    // except that a focus loss leaves it as it was.
    Published<std::optional<OverviewFocusTarget>> keyboardSelection;

    // ---- derived values ----

    std::size_t desktopCount() const;
    // The saved name trimmed, else the native title. Reads the names store: a render reads
    // model.store().names() once and uses the static form per desktop.
    std::string savedName(const ManagedDesktop& desktop) const;
    static std::string savedName(const ManagedDesktop& desktop, const Names& names);
    // Every desktop in catalog order, each followed by its apps in the inventory's order
    // (whatever the entry's status).
    std::vector<OverviewFocusTarget> focusOrder() const;
    // Nothing is drawn selected unless the keyboard is in use.
    bool keyboardSelected(const OverviewFocusTarget& target) const;
    double iconSize() const;
    // The row's hover fill: blue at this opacity.
    double rowFillOpacity(const std::string& desktopID) const;

    // ---- reactions; each runs when its trigger fires ----

    // When the view comes on screen and when status.focusGeneration changes: the preferred
    // target when the order holds it, else the first target; nothing in hover mode.
    void applyRequestedFocus();
    // Leaving keyboard mode clears focus and selection; entering it waits for the next focus
    // request.
    void interactionModeChanged(OverviewInteractionMode mode);
    // A focus move the platform made on its own is copied into the selection; a focus loss is not.
    void keyboardFocusChanged(const std::optional<OverviewFocusTarget>& focus);
    // A selection that vanished from the order moves to the first target (keyboard mode only).
    void focusOrderChanged(const std::vector<OverviewFocusTarget>& order);
    // A command from status.keyboardCommands; ignored unless the mode accepts the keyboard.
    void handleKeyboardCommand(const OverviewKeyboardCommand& command);
    // A key-down of Tab, Return, Space or Escape; false when the press was not handled and should
    // travel on (hover mode, or a shortcut with Command, Control or Option).
    bool handleKeyPress(const platform::KeyEvent& event);
    // Hands the selected desktop or app to `selection`; nothing when it no longer exists.
    void activateKeyboardFocus();
    // The pointer entered or left a desktop row (its icons included). Leaving clears the hover
    // only while it still names that row, so moving from row to row never blanks the new one.
    void pointerEntered(const std::string& desktopID);
    void pointerExited(const std::string& desktopID);

    // ---- texts and small rules of the layout ----

    static constexpr const char* kTitle = "Workstation";
    static constexpr const char* kKeyboardHint = "Tab to move \u00B7 Return to open \u00B7 Esc to close";
    static constexpr const char* kErrorSymbol = "exclamationmark.circle";
    static constexpr const char* kEmptyExplanation = "Connected monitors and ordinary desktops will appear here.";
    static constexpr const char* kNoDesktopsOnMonitor = "No ordinary desktops available";
    static constexpr const char* kCurrent = "Current";
    static constexpr const char* kCurrentSymbol = "checkmark.circle.fill";
    static constexpr const char* kCurrentAccessibilityLabel = "Current desktop";
    static constexpr double kSelectedTitleScale = 1.04;
    static constexpr double kHoverFillOpacity = 0.12;
    static constexpr double kHighlightAnimationDuration = 0.12;

    // "2 monitors · 1 desktop": singular exactly at one.
    static std::string countsLine(std::size_t monitors, std::size_t desktops);
    // The title of the list when there are no monitors.
    static std::string emptyTitle(bool namesError);
    // The header symbol, from the display's system name (not the user's alias).
    static std::string displaySymbol(const DesktopMonitor& monitor);
    // The native title under the name, only when it says something the name does not.
    static std::optional<std::string> subtitle(const std::string& name, const ManagedDesktop& desktop);
    static double titleScale(bool selected);

    static std::string switchHelp(const std::string& name, const std::string& displayName);
    static std::string desktopIdentifier(const std::string& desktopID);
    static std::string applicationHelp(const std::string& appName, const std::string& name);
    static std::string applicationAccessibilityLabel(const std::string& appName, const std::string& name,
                                                     const std::string& displayName);
    static std::string applicationIdentifier(const std::string& desktopID, const std::string& appID);
    static std::string applicationsLabel(const std::string& name);

    // Icons show whenever the entry has apps, whatever its status.
    static bool showsApplicationIcons(const Entry* entry);
    // The line under a row's icons; nothing for a ready desktop with apps. `entry` is null when
    // the desktop has not been read yet.
    static std::optional<std::string> applicationStatusLine(const Entry* entry);

    static SpaceNavigationTarget navigationTarget(const DesktopMonitor& monitor, const ManagedDesktop& desktop);

private:
    // What one render reads once.
    struct RenderInputs {
        Names names;
        const DesktopApplicationInventory::Entries& entries;
        double iconSize;
        bool reduceMotion;
    };

    platform::ui::Node header() const;
    platform::ui::Node list(const RenderInputs& inputs, platform::ui::ScrollProxy proxy);
    platform::ui::Node desktopRow(const ManagedDesktop& desktop, const DesktopMonitor& monitor,
                                  const std::string& displayName, const RenderInputs& inputs);
    std::vector<platform::ui::Node> applicationIcons(const ManagedDesktop& desktop, const std::string& name,
                                                     const std::string& displayName,
                                                     const std::shared_ptr<const SpaceNavigationTarget>& target,
                                                     const RenderInputs& inputs);
    static platform::ui::Node errorLine(const std::string& message, platform::ui::Color color);
    // A control's action: hands `selection` the desktop, or the app on it. The row's controls
    // share its target, and each action's pick is shared, so the copies a render makes of an
    // action cost nothing.
    std::function<void()> pickAction(std::shared_ptr<const SpaceNavigationTarget> target,
                                     std::optional<std::string> appID) const;
    std::optional<platform::ui::Animation> highlightAnimation(bool reduceMotion) const;

    // Moves selection and focus together.
    void select(const std::optional<OverviewFocusTarget>& target);
    bool acceptsKeyboardNow() const;

    DesktopNamesModel& model_;
    DesktopApplicationInventory& applications_;
    WorkstationPreviewStatus& status_;
    SettingsModel& settings_;
    SelectionHandler selection_;
};

}  // namespace tarnwick
