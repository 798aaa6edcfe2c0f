// The menus of pop-ups and pull-down menus: a click opens the platform's menu under the control,
// and choosing a row acts on the tree as it stands then.

#include <memory>
#include <string>
#include <utility>

#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/view_host.h"
#include "platform/ui/menu.h"

namespace tarnwick::platform::ui {

void ViewHost::addOptionRows(Menu& menu, const Node& picker) {
    const auto* content = picker.as<PickerContent>();
    const auto selected = content->selectedIndex();
    const auto& options = picker.children();
    for (std::size_t i = 0; i < options.size() && i < content->tags.size(); ++i) {
        // The row finds the picker again when chosen: the tree may have been rendered since.
        auto choose = [this, alive = lifetime_.weak(), identity = picker.identity(), tag = content->tags[i]] {
            if (!alive) return;
            if (const Node* now = nodeWithIdentity(identity); now && now->as<PickerContent>()) select(*now, tag);
        };
        MenuItem& row = menu.addItem(firstText(options[i]).value_or(std::string()), std::move(choose));
        if (selected && *selected == i) row.state = ControlState::on;
        if (const auto* label = options[i].as<LabelContent>(); label && !label->systemImage.empty())
            row.symbolName = label->systemImage;
    }
}

bool ViewHost::openMenu(const Node& node) {
    const auto* picker = node.as<PickerContent>();
    const auto* pullDown = node.as<MenuContent>();
    if (!(picker && picker->style == PickerStyle::menu) && !pullDown) return false;
    if (!canAct(node)) return false;
    auto menu = std::make_shared<Menu>();
    // Each row is enabled as its option or item is, not by the responder chain.
    menu->autoenablesItems = false;
    if (picker) {
        addOptionRows(*menu, node);
    } else {
        const auto& children = node.children();
        for (std::size_t i = 1; i < children.size(); ++i) {
            const Node& item = children[i];
            if (item.as<PickerContent>()) {
                addOptionRows(*menu, item);
            } else if (const auto* button = item.as<ButtonContent>()) {
                menu->addItem(firstText(item).value_or(std::string()), button->action).isEnabled = !item.isDisabled();
            }
        }
    }
    // A pop-up's menu hangs from its button, a menu's from the whole control.
    Rect shown = visibleFrame(node);
    if (picker && picker->popUpFrame.width() > 0) shown = shown.intersection(picker->popUpFrame);
    // The menu hangs from the bottom left corner (the container's y grows upwards).
    const Point corner{shown.minX(), container_.bounds().height() - shown.maxY()};
    popUpMenu_ = std::move(menu);
    return popUpMenu_->popUp(nullptr, corner, container_);
}

}  // namespace tarnwick::platform::ui
