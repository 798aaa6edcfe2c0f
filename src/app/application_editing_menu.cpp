#include "app/application_editing_menu.h"

#include <string>

namespace tarnwick::ApplicationEditingMenu {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;

namespace {

ui::MenuItem& addAction(ui::Menu& menu, std::string title, std::string action, std::string key,
                        platform::ModifierFlags modifiers = flags::kCommand) {
    auto& row = menu.addItem(std::move(title), nullptr, std::move(key));
    row.actionName = std::move(action);
    row.keyEquivalentModifierMask = modifiers;
    return row;
}

}  // namespace

std::shared_ptr<ui::Menu> install() {
    auto main = std::make_shared<ui::Menu>();

    auto application = std::make_shared<ui::Menu>("Tarnwick");
    addAction(*application, "Quit Tarnwick", "terminate:", "q")
        .setTarget(ui::applicationTarget(), ui::applicationTargetLifetime());
    main->addItem("Tarnwick").submenu = application;

    auto edit = std::make_shared<ui::Menu>("Edit");
    addAction(*edit, "Undo", "undo:", "z");
    addAction(*edit, "Redo", "redo:", "z", flags::kCommand | flags::kShift);
    edit->addSeparator();
    addAction(*edit, "Cut", "cut:", "x");
    addAction(*edit, "Copy", "copy:", "c");
    addAction(*edit, "Paste", "paste:", "v");
    edit->addSeparator();
    addAction(*edit, "Select All", "selectAll:", "a");
    main->addItem("Edit").submenu = edit;

    ui::setMainMenu(main);
    return main;
}

}  // namespace tarnwick::ApplicationEditingMenu
