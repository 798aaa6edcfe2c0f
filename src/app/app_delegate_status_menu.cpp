#include <algorithm>

#include "app/app_delegate.h"
#include "app/tarnwick_window_placement.h"
#include "platform/platform.h"
#include "platform/ui/window_controller.h"

namespace tarnwick {

namespace {

using platform::ui::Menu;
using platform::ui::MenuItem;

// A row whose action reaches the delegate only while it exists.
std::shared_ptr<MenuItem> row(Menu& menu, std::string title, std::function<void()> action = nullptr) {
    auto item = std::make_shared<MenuItem>(std::move(title), std::move(action));
    menu.items.push_back(item);
    return item;
}

std::shared_ptr<MenuItem> separator(Menu& menu) {
    auto item = MenuItem::separator();
    menu.items.push_back(item);
    return item;
}

}  // namespace

void AppDelegate::buildStatusItem() {
    item_ = std::make_unique<platform::ui::StatusItem>(platform::ui::StatusItem::kSquareLength);
    if (auto button = item_->button()) {
        button->symbolName = "tag";
        button->accessibilityDescription = "Tarnwick";
    }

    Weak weak = weak_from_this();
    auto action = [weak](void (AppDelegate::*method)()) {
        return [weak, method] {
            if (auto self = weak.lock()) (self.get()->*method)();
        };
    };

    menu_ = std::make_shared<Menu>();
    Menu& menu = *menu_;
    runStatus_ = row(menu, kStarting);
    statusSeparator_ = separator(menu);
    overviewMenuItem_ = row(menu, "Workstation Overview", action(&AppDelegate::showWorkstationOverview));
    row(menu, "Desktop Names", action(&AppDelegate::showNames));
    separator(menu);
    row(menu, "Settings\u2026", action(&AppDelegate::showSettings))->keyEquivalent = ",";
    separator(menu);
    row(menu, "About Tarnwick", action(&AppDelegate::showAbout));
    // The update service is the row's target and decides whether it is enabled.
    auto updates = row(menu, "Check for Updates\u2026");
    updates->actionName = SoftwareUpdates::kCheckForUpdatesAction;
    updates->setTarget(updates_, updates_.lifetime());
    testingMenuItem_ = row(menu, "Testing");
    testingMenuItem_->isHidden = true;
    separator(menu);
    row(menu, "Quit Tarnwick", action(&AppDelegate::quit))->keyEquivalent = "q";

    testingMenu_ = std::make_shared<Menu>("Testing");
    Menu& testing = *testingMenu_;
    status_ = row(testing, "Diagnostics");
    separator(testing);
    row(testing, "Start sample label: Desktop 1 \u2192 Work", action(&AppDelegate::startPrototype));
    row(testing, "Stop sample label", action(&AppDelegate::stopPrototype));
    row(testing, "Preview desktop-change banner", action(&AppDelegate::previewSpaceBanner));
    auto verbose = row(testing, "Verbose label diagnostics");
    std::weak_ptr<MenuItem> verboseRow = verbose;
    verbose->action = [weak, verboseRow] {
        auto self = weak.lock();
        auto chosen = verboseRow.lock();
        if (self && chosen) self->toggleLabelDiagnostics(*chosen);
    };
    separator(testing);
    row(testing, "Record Mission Control geometry (15 seconds)", action(&AppDelegate::record));
    row(testing, "Locate rendered labels (after 5 seconds)", action(&AppDelegate::locate));
    row(testing, "Reveal latest diagnostic\u2026", action(&AppDelegate::reveal));
    testingMenuItem_->submenu = testingMenu_;
}

void AppDelegate::showShortcutOnMenu() {
    if (!overviewMenuItem_) return;
    const auto& current = settings_->overviewShortcut().shortcut.get();
    overviewMenuItem_->keyEquivalent = current ? current->menuEquivalent() : std::string();
    overviewMenuItem_->keyEquivalentModifierMask = current ? current->eventModifiers() : 0;
}

std::string AppDelegate::statusTitle(const AppPreferences& preferences, bool suspended, bool permissionsReady,
                                     const TarnwickFeatures& features, bool namesAvailable) {
    if (preferences.paused || suspended) return kPaused;
    if ((preferences.labelsEnabled || preferences.missionControlApplicationsEnabled) && !permissionsReady)
        return kPermissionsNeeded;
    if (preferences.labelsEnabled || preferences.showsBanners() || preferences.missionControlApplicationsEnabled)
        return features.banners || features.missionControlApplications || namesAvailable ? kRunning : kAddNames;
    return kOverlaysOff;
}

void AppDelegate::updateStatusLine(const TarnwickFeatures& features, bool available) {
    if (!runStatus_) return;
    const AppPreferences& preferences = settings_->preferences.get();
    runStatus_->action = nullptr;
    const std::string title =
        statusTitle(preferences, session_.suspended(), settings_->permissionsReady(), features, available);
    runStatus_->title = title;
    if (title == kPermissionsNeeded) {
        Weak weak = weak_from_this();
        runStatus_->action = [weak] {
            if (auto self = weak.lock()) self->showPermissions();
        };
    }
    const bool hidden = title == kRunning;
    runStatus_->isHidden = hidden;
    if (statusSeparator_) statusSeparator_->isHidden = hidden;
    if (auto button = item_ ? item_->button() : nullptr) {
        if (preferences.hoverPreviewEnabled)
            button->toolTip.reset();
        else
            button->toolTip = "Tarnwick \u2014 " + title;
    }
}

void AppDelegate::setDiagnosticsStatus(const std::string& text) {
    if (status_) status_->title = text;
}

void AppDelegate::showWorkstationOverview() {
    Weak weak = weak_from_this();
    // After the menu has closed.
    RunLoop::main().post([weak] {
        auto self = weak.lock();
        if (self && self->workstationPreview_) self->workstationPreview_->showOverview();
    });
}

void AppDelegate::showNames() { openNames(invocationDisplayID(nullptr)); }

void AppDelegate::showSettings() { openSettings(std::nullopt, invocationDisplayID(nullptr)); }

void AppDelegate::showPermissions() { openSettings(SettingsTab::permissions, invocationDisplayID(nullptr)); }

void AppDelegate::showAbout() {
    const auto displayID = invocationDisplayID(nullptr);
    if (aboutController_ && aboutController_->window()) {
        TarnwickWindowPlacement::show(*aboutController_, displayID);
        return;
    }
    auto& application = *platform::current().application;
    const auto before = application.windows();
    application.orderFrontStandardAboutPanel();
    for (auto* window : application.windows()) {
        if ((window->styleMask() & platform::ui::style_mask::kTitled) == 0) continue;
        if (std::find(before.begin(), before.end(), window) != before.end()) continue;
        aboutController_ = std::make_unique<platform::ui::WindowController>(*window);
        TarnwickWindowPlacement::show(*aboutController_, displayID);
        return;
    }
    // No window of ours: the panel comes to the front where the system put it.
    application.activate(true);
}

}  // namespace tarnwick
