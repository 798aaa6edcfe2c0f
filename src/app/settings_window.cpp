#include "app/settings_window.h"

#include "app/settings_window_layout.h"
#include "app/tarnwick_window_placement.h"
#include "platform/ui/declarative/hosting_view.h"
#include "app/glass_window.h"
#include "platform/ui/screens.h"

namespace tarnwick {

namespace ui = platform::ui;
namespace style = ui::style_mask;

SettingsWindow::SettingsWindow(std::shared_ptr<SettingsModel> model, std::shared_ptr<DesktopNamesModel> names,
                               SoftwareUpdates& updates)
    : model_(std::move(model)), names_(std::move(names)) {
    auto window = std::make_unique<ui::Panel>(Rect(0, 0, kContentSize.width, kContentSize.height),
                                              style::kTitled | style::kClosable | style::kResizable,
                                              ui::BackingStore::buffered, false);
    window->setTitle(kTitle);
    window->isReleasedWhenClosed = false;
    window->tabbingMode = ui::TabbingMode::disallowed;
    window->contentMinSize = kMinimumSize;

    auto root = std::make_unique<TarnwickSettingsView>(*model_, *names_, updates);
    view_ = root.get();
    hosting_ = std::make_shared<ui::HostingView>(std::move(root));

    dressInGlass(*window, hosting_, kCornerRadius);

    window->setFrameAutosaveName(kAutosaveName);
    window->center();
    setWindow(std::move(window));
    this->window()->setDelegate(*this, lifetime_);
}

SettingsWindow::~SettingsWindow() {
    // The window's view reads the models: it goes first.
    setWindow(nullptr);
    hosting_.reset();
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
