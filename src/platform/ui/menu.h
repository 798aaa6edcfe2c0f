#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_modifier_flags.h"
#include "platform/key_event.h"
#include "platform/ui/action_target.h"
#include "support/geometry.h"
#include "support/observable.h"

namespace tarnwick::platform::ui {

class Menu;
class View;

// A row's check mark: off, on (a check) or mixed (a dash).
enum class ControlState { off, on, mixed };

// One row of a menu: a title with an action, or a separator. A row acts in one of two ways: a
// closure (`action`), or a named action (`actionName`, "copy:") sent to its target, or with no
// target (or one that went away) along the responder chain to whoever answers it first.
class MenuItem {
public:
    explicit MenuItem(std::string title = {}, std::function<void()> action = nullptr, std::string keyEquivalent = {})
        : title(std::move(title)), keyEquivalent(std::move(keyEquivalent)), action(std::move(action)) {}
    // A separator row: no title, never chosen.
    static std::shared_ptr<MenuItem> separator();

    std::string title;
    bool isHidden = false;
    // What typed with the modifiers chooses the row ("q", ","); empty: none. Upper-case letters
    // are typed with Shift.
    std::string keyEquivalent;
    ModifierFlags keyEquivalentModifierMask = modifier_flags::kCommand;
    ControlState state = ControlState::off;
    // Set by the menu when it enables its rows automatically; set by hand otherwise.
    bool isEnabled = true;
    std::optional<std::string> symbolName;  // a system symbol image
    std::optional<std::string> toolTip;
    int tag = 0;

    // Sent when the user chooses the row, after the menu has closed; nothing: the named action.
    std::function<void()> action;
    // The named action and its target (not kept alive: a target that went away is no target).
    std::string actionName;
    void setTarget(ActionTarget& target, const LifetimeToken& lifetime) { target_ = {&target, lifetime.weak()}; }
    void clearTarget() { target_ = {}; }
    ActionTarget* target() const { return target_.get(); }

    // A row with a submenu opens it instead of acting.
    std::shared_ptr<Menu> submenu;
    bool isSeparatorItem() const { return separator_; }

    // Whether a row with automatic enabling is enabled now: a closure is; a named action when
    // its target (or the responder chain's) answers it and validates the row; a submenu is;
    // nothing to do is not.
    bool validate();
    // Sends the row's action (closure or named); false when there is nothing to send it to.
    bool perform();

private:
    WeakRef<ActionTarget> target_;
    bool separator_ = false;
};

// Hears a menu open and close.
class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    virtual void menuWillOpen(Menu& menu) = 0;
    virtual void menuDidClose(Menu& menu) = 0;
};

// The system's menus: its tracking of open menus (it opens a popped-up menu, and closes it when
// the user chooses a row or dismisses it, or when the app cancels the tracking) and the
// application's main menu.
class MenuTracking {
public:
    virtual ~MenuTracking() = default;
    virtual void menuCreated(Menu& menu) = 0;
    // Opens the menu at a screen point (y up), closing any other open menu first.
    virtual void popUp(Menu& menu, Point location) = 0;
    // Closes the menu if it is open.
    virtual void cancelTracking(Menu& menu) = 0;
    // The menu is going away: the system forgets it, open or not.
    virtual void menuDestroyed(Menu& menu) = 0;
    // The application's main menu (the menu bar while the app is active); held by the system.
    virtual void setMainMenu(std::shared_ptr<Menu> menu) = 0;
    virtual std::shared_ptr<Menu> mainMenu() = 0;
};

// A menu: rows and a delegate. Popping it up opens it and returns at once (the system tracks
// it meanwhile; the delegate hears it open before the call returns, then the rows are enabled
// afresh); cancelling the tracking closes it, the delegate hearing it close before that call
// returns. Main loop only.
class Menu {
public:
    explicit Menu(std::string title = {});
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    std::string title;
    std::vector<std::shared_ptr<MenuItem>> items;
    // Not owned; nothing: no one hears the menu open and close.
    MenuDelegate* delegate = nullptr;
    // Rows' enabled state follows their targets' validation whenever the menu is updated.
    bool autoenablesItems = true;

    MenuItem& addItem(std::string itemTitle, std::function<void()> action = nullptr, std::string keyEquivalent = {});
    MenuItem& addItem(std::shared_ptr<MenuItem> item);
    MenuItem& addSeparator();
    // A row that leads to the submenu, titled as the submenu is.
    MenuItem& addSubmenu(std::shared_ptr<Menu> submenu);
    // The first row with the title, or nothing.
    MenuItem* item(std::string_view itemTitle) const;
    // The row at the end of a title path through submenus ({"Edit", "Copy"}), or nothing.
    MenuItem* item(std::initializer_list<std::string_view> path) const;
    MenuItem* item(const std::vector<std::string>& path) const;

    // Enables the rows by validation (with automatic enabling; not the submenus' rows).
    void update();
    // A key press with modifiers for the menu: the first visible, enabled row (here or in a
    // submenu) whose key equivalent and modifiers it types performs its action. True when a
    // row took it.
    bool performKeyEquivalent(const KeyEvent& event);

    // Opens the menu at a point of the view (its coordinates, origin at the bottom left), with
    // no row placed under the point. False when the view is in no window.
    bool popUp(const MenuItem* positioningItem, Point location, const View& view);
    void cancelTracking();

    bool isOpen() const { return open_; }
    // Where it opened last, in screen coordinates.
    const std::optional<Point>& location() const { return location_; }

    // ---- the system's side
    // The menu opens at the screen point (the delegate hears it first, then the rows are
    // enabled) or closes.
    void trackingBegan(Point location);
    void trackingEnded();
    // The system forgets this menu (it is going away first).
    void detachFromTracking() { tracking_ = nullptr; }

private:
    MenuTracking* tracking_;
    bool open_ = false;
    std::optional<Point> location_;
};

// The installed platform's menu tracking.
MenuTracking& menuTracking();
// The application's main menu: set it, read it (nothing before it is set).
void setMainMenu(std::shared_ptr<Menu> menu);
std::shared_ptr<Menu> mainMenu();

// The application as a target: it answers "terminate:" (ends the application).
ActionTarget& applicationTarget();
const LifetimeToken& applicationTargetLifetime();
// The first responder along the chain that answers the action: the key window's first
// responder and its superviews, then the application. Nothing: no one answers it.
ActionTarget* targetForAction(std::string_view action);
// Sends the action to the target (when it answers it), or with no target along the chain.
// False when no one took it.
bool sendAction(std::string_view action, ActionTarget* target, MenuItem* sender);

// Whether the key press types the key equivalent with exactly its modifiers (of Command,
// Shift, Option and Control; an upper-case equivalent asks for Shift).
bool matchesKeyEquivalent(const KeyEvent& event, std::string_view keyEquivalent, ModifierFlags mask);

}  // namespace tarnwick::platform::ui
