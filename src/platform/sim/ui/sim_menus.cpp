#include "platform/sim/ui/sim_menus.h"

#include <algorithm>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

SimMenus::~SimMenus() {
    for (auto* menu : menus_) menu->detachFromTracking();
}

void SimMenus::menuCreated(ui::Menu& menu) {
    auto guard = session_.lock();
    menus_.push_back(&menu);
}

void SimMenus::menuDestroyed(ui::Menu& menu) {
    auto guard = session_.lock();
    std::erase(menus_, &menu);
    if (open_ == &menu) open_ = nullptr;
}

void SimMenus::close(ui::Menu& menu) {
    if (open_ == &menu) open_ = nullptr;
    menu.trackingEnded();
}

void SimMenus::popUp(ui::Menu& menu, Point location) {
    if (open_ && open_ != &menu) close(*open_);
    ++popUps_;
    open_ = &menu;
    menu.trackingBegan(location);
}

void SimMenus::cancelTracking(ui::Menu& menu) {
    ++cancels_;
    if (open_ == &menu) close(menu);
}

std::shared_ptr<ui::MenuItem> SimMenus::choosable(const ui::Menu& menu, std::string_view title) {
    for (const auto& item : menu.items)
        if (item && !item->isHidden && !item->isSeparatorItem() && item->title == title)
            return item->isEnabled ? item : nullptr;
    return nullptr;
}

bool SimMenus::choose(std::string_view title) {
    ui::Menu* menu = open_;
    if (!menu) return false;
    auto row = choosable(*menu, title);
    if (!row) return false;
    close(*menu);
    if (auto action = row->action) action();
    return true;
}

bool SimMenus::choose(std::string_view submenuTitle, std::string_view title) {
    ui::Menu* menu = open_;
    if (!menu) return false;
    auto leading = choosable(*menu, submenuTitle);
    if (!leading || !leading->submenu) return false;
    // Kept alive: the row's action may take the submenu apart.
    const std::shared_ptr<ui::Menu> submenu = leading->submenu;
    submenu->update();
    auto row = choosable(*submenu, title);
    if (!row) return false;
    close(*menu);
    if (auto action = row->action) action();
    return true;
}

void SimMenus::dismiss() {
    if (open_) close(*open_);
}

void SimMenus::loseTracking() { open_ = nullptr; }

}  // namespace tarnwick::sim
