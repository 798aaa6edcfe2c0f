#include "platform/ui/menu.h"

#include <cctype>
#include <stdexcept>

#include "platform/platform.h"
#include "platform/ui/menu_key_equivalent.h"
#include "platform/ui/panel.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

namespace {

constexpr ModifierFlags kKeyEquivalentModifiers =
    modifier_flags::kCommand | modifier_flags::kShift | modifier_flags::kOption | modifier_flags::kControl;

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The application object as a target of the main menu's rows.
class ApplicationActions final : public ActionTarget {
public:
    bool respondsToAction(std::string_view action) const override { return action == "terminate:"; }
    void performAction(std::string_view action, MenuItem*) override {
        if (action == "terminate:" && current().application) current().application->terminate();
    }
    LifetimeToken lifetime;
};

ApplicationActions& applicationActions() {
    static ApplicationActions actions;
    return actions;
}

}  // namespace

MenuTracking& menuTracking() {
    auto* tracking = current().menuTracking;
    if (!tracking) throw std::logic_error("the platform tracks no menus");
    return *tracking;
}

void setMainMenu(std::shared_ptr<Menu> menu) { menuTracking().setMainMenu(std::move(menu)); }

std::shared_ptr<Menu> mainMenu() { return menuTracking().mainMenu(); }

ActionTarget& applicationTarget() { return applicationActions(); }

const LifetimeToken& applicationTargetLifetime() { return applicationActions().lifetime; }

ActionTarget* targetForAction(std::string_view action) {
    Panel* window = current().windowSystem ? keyWindow() : nullptr;
    if (window && window->isVisible())
        for (View* view = window->firstResponder(); view; view = view->superview())
            if (view->respondsToAction(action)) return view;
    ActionTarget& application = applicationTarget();
    return application.respondsToAction(action) ? &application : nullptr;
}

bool sendAction(std::string_view action, ActionTarget* target, MenuItem* sender) {
    if (!target) target = targetForAction(action);
    if (!target || !target->respondsToAction(action)) return false;
    target->performAction(action, sender);
    return true;
}

bool matchesKeyEquivalent(const KeyEvent& event, std::string_view keyEquivalent, ModifierFlags mask) {
    if (keyEquivalent.empty() || event.characters.empty()) return false;
    if ((event.modifierFlags & kKeyEquivalentModifiers) != keyEquivalentModifiers(keyEquivalent, mask)) return false;
    return lowered(event.characters) == lowered(keyEquivalent);
}

// ---- rows

std::shared_ptr<MenuItem> MenuItem::separator() {
    auto row = std::make_shared<MenuItem>();
    row->separator_ = true;
    row->isEnabled = false;
    return row;
}

bool MenuItem::validate() {
    if (separator_) return false;
    if (submenu || action) return true;
    if (actionName.empty()) return false;
    if (ActionTarget* own = target()) return own->respondsToAction(actionName) && own->validateMenuItem(*this);
    ActionTarget* responder = targetForAction(actionName);
    return responder && responder->validateMenuItem(*this);
}

bool MenuItem::perform() {
    if (separator_) return false;
    if (action) {
        // A copy: the action may change the row.
        auto run = action;
        run();
        return true;
    }
    if (actionName.empty()) return false;
    const std::string name = actionName;
    return sendAction(name, target(), this);
}

// ---- menus

Menu::Menu(std::string menuTitle) : title(std::move(menuTitle)), tracking_(&menuTracking()) {
    tracking_->menuCreated(*this);
}

Menu::~Menu() {
    if (tracking_) tracking_->menuDestroyed(*this);
}

MenuItem& Menu::addItem(std::string itemTitle, std::function<void()> action, std::string keyEquivalent) {
    return addItem(std::make_shared<MenuItem>(std::move(itemTitle), std::move(action), std::move(keyEquivalent)));
}

MenuItem& Menu::addItem(std::shared_ptr<MenuItem> row) {
    if (!row) throw std::invalid_argument("a menu row cannot be nothing");
    items.push_back(std::move(row));
    return *items.back();
}

MenuItem& Menu::addSeparator() { return addItem(MenuItem::separator()); }

MenuItem& Menu::addSubmenu(std::shared_ptr<Menu> submenu) {
    auto& row = addItem(submenu ? submenu->title : std::string());
    row.submenu = std::move(submenu);
    return row;
}

MenuItem* Menu::item(std::string_view itemTitle) const {
    for (const auto& row : items)
        if (row && !row->isSeparatorItem() && row->title == itemTitle) return row.get();
    return nullptr;
}

MenuItem* Menu::item(std::initializer_list<std::string_view> path) const {
    return item(std::vector<std::string>(path.begin(), path.end()));
}

MenuItem* Menu::item(const std::vector<std::string>& path) const {
    const Menu* menu = this;
    MenuItem* row = nullptr;
    for (const auto& title : path) {
        if (!menu) return nullptr;
        row = menu->item(title);
        if (!row) return nullptr;
        menu = row->submenu.get();
    }
    return row;
}

void Menu::update() {
    if (!autoenablesItems) return;
    // A copy: validation may run the app's code.
    auto rows = items;
    for (const auto& row : rows)
        if (row) row->isEnabled = row->validate();
}

bool Menu::performKeyEquivalent(const KeyEvent& event) {
    update();
    auto rows = items;
    for (const auto& row : rows) {
        if (!row || row->isHidden || row->isSeparatorItem()) continue;
        if (auto submenu = row->submenu) {
            if (submenu->performKeyEquivalent(event)) return true;
            continue;
        }
        if (!row->isEnabled || !matchesKeyEquivalent(event, row->keyEquivalent, row->keyEquivalentModifierMask))
            continue;
        return row->perform();
    }
    return false;
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
    open_ = true;
    update();
}

void Menu::trackingEnded() {
    if (!open_) return;
    open_ = false;
    if (delegate) delegate->menuDidClose(*this);
}

}  // namespace tarnwick::platform::ui
