#include "app/settings_window.h"

#include "app/settings_window_layout.h"
#include "app/tarnwick_window_placement.h"
#include "platform/ui/screens.h"

namespace tarnwick {

namespace ui = platform::ui;
namespace style = ui::style_mask;

SettingsWindow::SettingsWindow(std::shared_ptr<SettingsModel> model, std::shared_ptr<DesktopNamesModel> names,
                               SoftwareUpdates& updates)
    : model_(std::move(model)), names_(std::move(names)) {
    auto root = std::make_unique<TarnwickSettingsView>(*model_, *names_, updates);
    view_ = root.get();
    makeWindow({.title = kTitle,
                .autosaveName = kAutosaveName,
                .contentSize = kContentSize,
                .styleMask = style::kTitled | style::kClosable | style::kResizable,
                .minimumSize = kMinimumSize,
                .cornerRadius = kCornerRadius},
               std::move(root));
}

SettingsWindow::~SettingsWindow() {
    // The window's view reads the models: it goes first.
    takeDownWindow();
}

void SettingsWindow::open(std::optional<SettingsTab> tab, std::optional<std::uint32_t> displayID) {
    if (!displayID) displayID = TarnwickWindowPlacement::invocationDisplayID(nullptr);
    if (tab) model_->tab.set(*tab);
    model_->refreshSystemStatus(true);
    if (ui::Panel* shown = window()) {
        std::optional<platform::ScreenDescription> screen;
        if (displayID)
            for (const auto& candidate : ui::screens())
                if (ui::displayID(candidate) == displayID) {
                    screen = candidate;
                    break;
                }
        if (!screen) screen = shown->screen();
        if (!screen) screen = ui::mainScreen();
        if (screen)
            if (auto fitted = SettingsWindowLayout::frame(shown->frame(), screen->visibleFrame))
                shown->setFrame(*fitted, false);
    }
    TarnwickWindowPlacement::show(*this, displayID);
}

void SettingsWindow::windowDidBecomeKey(ui::Panel&) {
    // Permissions granted in System Settings show as soon as the user comes back.
    model_->refreshSystemStatus(true);
}

void SettingsWindow::windowWillClose(ui::Panel&) {
    names_->commitDisplayNames();
    model_->overviewShortcut().cancelRecording();
}

}  // namespace tarnwick
