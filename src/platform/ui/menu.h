#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_modifier_flags.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {

class Menu;
class View;

// A row's check mark.
enum class ControlState { off, on, mixed };

// One row of a menu: a title with an action, a separator line, or the way into a submenu.
class MenuItem {
public:
    explicit MenuItem(std::string title = {}, std::function<void()> action = nullptr, std::string keyEquivalent = {})
        : title(std::move(title)), action(std::move(action)), keyEquivalent(std::move(keyEquivalent)) {}
    // A separator: a line that is never chosen nor enabled.
    static std::shared_ptr<MenuItem> separator();

    std::string title;
    bool isHidden = false;
    // Sent when the user chooses the row, after the menu has closed; nothing: the row does nothing.
    std::function<void()> action;
    // The target's answer whether the row can be chosen now, asked each time its menu opens.
    // Nothing: the row goes to the first responder, which takes any row with an action (or a
    // submenu).
    std::function<bool(const MenuItem&)> validate;
    // Shown at the row's right: the key ("q", "," or empty for none) with the modifiers.
    std::string keyEquivalent;
    ModifierFlags keyEquivalentModifierMask = modifier_flags::kCommand;
    std::shared_ptr<Menu> submenu;
    ControlState state = ControlState::off;
    // Whether the user can choose it; a menu that enables its rows itself sets it when it opens.
    bool isEnabled = true;

    bool isSeparatorItem() const { return separator_; }

private:
    bool separator_ = false;
};

// Hears a menu open and close.
class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    virtual void menuWillOpen(Menu& menu) = 0;
    virtual void menuDidClose(Menu& menu) = 0;
};

// The system's tracking of open menus: it opens a popped-up menu, and closes it when the user
// chooses a row or dismisses it, or when the app cancels the tracking.
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
};

// A menu: rows and a delegate. Popping it up opens it and returns at once (the system tracks
// it meanwhile; the delegate hears it open before the call returns); cancelling the tracking
// closes it, the delegate hearing it close before that call returns. Main loop only.
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
    // Set: each opening enables the rows by their validation (else rows keep isEnabled as set).
    bool autoenablesItems = true;

    MenuItem& addItem(std::string itemTitle, std::function<void()> action = nullptr, std::string keyEquivalent = {});
    MenuItem& addSeparator();
    // A row that leads to the submenu, titled as the submenu is.
    MenuItem& addSubmenu(std::shared_ptr<Menu> submenu);
    // The first row with the title, or nothing.
    MenuItem* item(std::string_view itemTitle) const;
    // Enables each row by its validation (while the menu enables its rows itself); done as the
    // menu or a submenu opens.
    void update();

    // Opens the menu at a point of the view (its coordinates, origin at the bottom left), with
    // no row placed under the point. False when the view is in no window.
    bool popUp(const MenuItem* positioningItem, Point location, const View& view);
    void cancelTracking();

    bool isOpen() const { return open_; }
    // Where it opened last, in screen coordinates.
    const std::optional<Point>& location() const { return location_; }

    // ---- the system's side
    // The menu opens at the screen point (the delegate hears it first) or closes.
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

}  // namespace tarnwick::platform::ui
