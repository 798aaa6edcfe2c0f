#include "platform/ui/menu.h"

#include <stdexcept>

#include "platform/platform.h"
#include "platform/ui/panel.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

MenuTracking& menuTracking() {
    auto* tracking = current().menuTracking;
    if (!tracking) throw std::logic_error("the platform tracks no menus");
    return *tracking;
}

Menu::Menu(std::string menuTitle) : title(std::move(menuTitle)), tracking_(&menuTracking()) {
    tracking_->menuCreated(*this);
}

Menu::~Menu() {
    if (tracking_) tracking_->menuDestroyed(*this);
}

std::shared_ptr<MenuItem> MenuItem::separator() {
    auto row = std::make_shared<MenuItem>();
    row->separator_ = true;
    row->isEnabled = false;
    return row;
}

MenuItem& Menu::addItem(std::string itemTitle, std::function<void()> action, std::string keyEquivalent) {
    items.push_back(std::make_shared<MenuItem>(std::move(itemTitle), std::move(action), std::move(keyEquivalent)));
    return *items.back();
}

MenuItem& Menu::addSeparator() {
    items.push_back(MenuItem::separator());
    return *items.back();
}

MenuItem& Menu::addSubmenu(std::shared_ptr<Menu> submenu) {
    auto& row = addItem(submenu ? submenu->title : std::string());
    row.submenu = std::move(submenu);
    return row;
}

void Menu::update() {
    if (!autoenablesItems) return;
    for (const auto& row : items) {
        if (!row) continue;
        if (row->isSeparatorItem()) {
            row->isEnabled = false;
        } else if (row->validate) {
            // A copy: the check may replace itself.
            auto check = row->validate;
            row->isEnabled = check(*row);
        } else {
            row->isEnabled = row->action != nullptr || row->submenu != nullptr;
        }
    }
}

MenuItem* Menu::item(std::string_view itemTitle) const {
    for (const auto& row : items)
        if (row && row->title == itemTitle) return row.get();
    return nullptr;
}

bool Menu::popUp(const MenuItem*, Point location, const View& view) {
    Panel* window = view.window();
    if (!window) return false;
    const Rect inScreen = window->convertToScreen(view.convertToWindow(Rect(location.x, location.y, 0, 0)));
    if (tracking_) tracking_->popUp(*this, inScreen.origin);
    return true;
}

void Menu::cancelTracking() {
    if (tracking_) tracking_->cancelTracking(*this);
}

void Menu::trackingBegan(Point location) {
    location_ = location;
    if (delegate) delegate->menuWillOpen(*this);
    update();
    open_ = true;
}

void Menu::trackingEnded() {
    if (!open_) return;
    open_ = false;
    if (delegate) delegate->menuDidClose(*this);
}

}  // namespace tarnwick::platform::ui
