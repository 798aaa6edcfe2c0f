#include "platform/sim/ui/sim_menus.h"

#include <algorithm>

#include "platform/sim/sim_displays.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_menu_layout.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

SimMenus::~SimMenus() {
    // The main menu may outlive the session in a test's hands; it forgets us first.
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

void SimMenus::setMainMenu(std::shared_ptr<ui::Menu> menu) { mainMenu_ = std::move(menu); }

std::shared_ptr<ui::Menu> SimMenus::mainMenu() { return mainMenu_; }

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

std::optional<Rect> SimMenus::openFrame() const {
    if (!open_) return std::nullopt;
    auto guard = session_.lock();
    const Size size = SimMenuLayout::of(*open_).size;
    return SimMenuLayout::placed(size, open_->location().value_or(Point{}), SimDisplays(session_).screens());
}

void SimMenus::cancelTracking(ui::Menu& menu) {
    ++cancels_;
    if (open_ == &menu) close(menu);
}

std::vector<SimMenuRow> SimMenus::rows(const ui::Menu& menu) {
    std::vector<SimMenuRow> out;
    for (const auto& item : menu.items) {
        if (!item) continue;
        SimMenuRow row;
        row.title = item->title;
        row.separator = item->isSeparatorItem();
        row.hidden = item->isHidden;
        row.enabled = item->isEnabled;
        row.keyEquivalent = item->keyEquivalent;
        row.modifiers = item->keyEquivalent.empty() ? 0 : item->keyEquivalentModifierMask;
        row.state = item->state;
        row.symbolName = item->symbolName;
        row.toolTip = item->toolTip;
        if (item->submenu) {
            row.hasSubmenu = true;
            row.submenu = rows(*item->submenu);
        }
        out.push_back(std::move(row));
    }
    return out;
}

std::shared_ptr<ui::MenuItem> SimMenus::reach(ui::Menu& menu, const std::vector<std::string>& path) {
    ui::Menu* current = &menu;
    std::shared_ptr<ui::MenuItem> row;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (!current) return nullptr;
        if (i > 0) current->update();  // a submenu validates its rows as it opens
        row = nullptr;
        for (const auto& item : current->items)
            if (item && !item->isHidden && !item->isSeparatorItem() && item->title == path[i]) {
                row = item;
                break;
            }
        if (!row || !row->isEnabled) return nullptr;
        // Every row but the last must open a submenu; the last must not.
        const bool last = i + 1 == path.size();
        if (last == static_cast<bool>(row->submenu)) return nullptr;
        current = row->submenu.get();
    }
    return row;
}

bool SimMenus::choose(std::string_view title) { return choose(std::vector<std::string>{std::string(title)}); }

bool SimMenus::choose(std::initializer_list<std::string_view> path) {
    return choose(std::vector<std::string>(path.begin(), path.end()));
}

bool SimMenus::choose(const std::vector<std::string>& path) {
    ui::Menu* menu = open_;
    if (!menu || path.empty()) return false;
    auto row = reach(*menu, path);
    if (!row) return false;
    close(*menu);
    row->perform();
    return true;
}

namespace {

// The titles from the menu to its visible, enabled row whose key equivalent the press is, each
// submenu updated as it would be on the way; empty when none has it.
std::vector<std::string> pathToKeyEquivalent(ui::Menu& menu, const platform::KeyEvent& press) {
    menu.update();
    for (const auto& row : menu.items) {
        if (!row || row->isHidden || row->isSeparatorItem() || !row->isEnabled) continue;
        if (row->submenu) {
            auto below = pathToKeyEquivalent(*row->submenu, press);
            if (below.empty()) continue;
            below.insert(below.begin(), row->title);
            return below;
        }
        if (ui::matchesKeyEquivalent(press, row->keyEquivalent, row->keyEquivalentModifierMask)) return {row->title};
    }
    return {};
}

}  // namespace

bool SimMenus::chooseByKeyEquivalent(const platform::KeyEvent& press) {
    if (!open_) return false;
    const auto path = pathToKeyEquivalent(*open_, press);
    return !path.empty() && choose(path);
}

bool SimMenus::chooseFromMenuBar(const std::vector<std::string>& path) {
    auto menu = mainMenu_;
    if (!menu || path.size() < 2) return false;
    menu->update();
    auto row = reach(*menu, path);
    if (!row) return false;
    row->perform();
    return true;
}

void SimMenus::dismiss() {
    if (open_) close(*open_);
}

void SimMenus::loseTracking() { open_ = nullptr; }

}  // namespace tarnwick::sim
