#include "app/desktop_names_window.h"

#include "app/tarnwick_window_placement.h"

namespace tarnwick {

namespace ui = platform::ui;
namespace style = ui::style_mask;

DesktopNamesWindow::DesktopNamesWindow(std::shared_ptr<DesktopNamesModel> model, std::shared_ptr<SettingsModel> settings,
                                       InventoryRefreshScheduler* scheduler,
                                       DesktopApplicationInventory::Services services)
    : model_(std::move(model)), settings_(std::move(settings)) {
    // The inventory's closures hold the model weakly: once it is gone there are no desktops.
    std::weak_ptr<DesktopNamesModel> weakModel = model_;
    applications_ = std::make_unique<DesktopApplicationInventory>(
        [weakModel] {
            auto model = weakModel.lock();
            return model ? model->monitors.get() : std::vector<DesktopMonitor>{};
        },
        [weakModel] {
            if (auto model = weakModel.lock()) model->refresh(true);
        },
        scheduler, std::move(services));

    auto root = std::make_unique<DesktopNamesView>(*model_, *applications_, *settings_);
    view_ = root.get();
    makeWindow({.title = kTitle,
                .autosaveName = kAutosaveName,
                .contentSize = kContentSize,
                .styleMask = style::kTitled | style::kClosable | style::kMiniaturizable | style::kResizable,
                .minimumSize = {},
                .cornerRadius = kCornerRadius},
               std::move(root));
}

DesktopNamesWindow::~DesktopNamesWindow() {
    // The window's view reads the inventory and the models: it goes first.
    takeDownWindow();
}

void DesktopNamesWindow::open(std::optional<std::uint32_t> displayID) {
    if (!displayID) displayID = TarnwickWindowPlacement::invocationDisplayID(nullptr);
    model_->refreshForUser();
    applications_->start();
    TarnwickWindowPlacement::show(*this, displayID);
}

void DesktopNamesWindow::windowDidBecomeKey(ui::Panel&) {
    model_->refreshForUser();
    applications_->start();
}

void DesktopNamesWindow::windowWillClose(ui::Panel&) { applications_->stop(); }

void DesktopNamesWindow::windowDidMiniaturize(ui::Panel&) { applications_->stop(); }

void DesktopNamesWindow::windowDidDeminiaturize(ui::Panel&) { applications_->start(); }

}  // namespace tarnwick
