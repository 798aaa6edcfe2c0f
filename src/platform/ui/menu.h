#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/geometry.h"

namespace tarnwick::platform::ui {

class Menu;
class View;

// One row of a menu.
class MenuItem {
public:
    explicit MenuItem(std::string title = {}, std::function<void()> action = nullptr)
        : title(std::move(title)), action(std::move(action)) {}

    std::string title;
    bool isHidden = false;
    // Sent when the user chooses the row, after the menu has closed; nothing: the row does nothing.
    std::function<void()> action;
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

    MenuItem& addItem(std::string itemTitle, std::function<void()> action = nullptr);
    // The first row with the title, or nothing.
    MenuItem* item(std::string_view itemTitle) const;

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
