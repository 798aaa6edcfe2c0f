// The app's own windows as the user meets them, on the built-in session's two displays and
// virtual time: the settings window opened where the pointer is, narrowed to its page menu,
// closed and reopened; a display's friendly name; the Desktop Names window saving a name as it
// is typed, and an app icon bringing its window forward on a desktop that is not current.

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/desktop_names_window.h"
#include "app/settings_window.h"
#include "applications/application_icon_cache.h"
#include "applications/native_application_window_focus.h"
#include "applications/running_application_record.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "platform/platform.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/screens.h"
#include "support/executor.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using ui::Node;

template <typename Match>
const Node* find(const Node* from, const Match& match) {
    if (!from) return nullptr;
    if (match(*from)) return from;
    for (const auto& child : from->children())
        if (const Node* found = find(&child, match)) return found;
    return nullptr;
}

const Node* withText(const Node* from, const std::string& shown) {
    return find(from, [&](const Node& n) {
        std::vector<std::string> texts;
        n.content()->collectText(texts);
        return n.children().empty() && texts.size() == 1 && texts[0] == shown;
    });
}

class AppWindowsRoadsTest : public ::testing::Test {
protected:
    AppWindowsRoadsTest() {
        env.session.loadDefaultSession();
        settings = std::make_shared<SettingsModel>();
        names = std::make_shared<DesktopNamesModel>();
        updates = std::make_unique<SoftwareUpdates>();
        settingsWindow = std::make_unique<SettingsWindow>(settings, names, *updates);
        DesktopApplicationInventory::Services services{&loader, &icons, {}, {}};
        services.focus = {&reader, &native};
        namesWindow = std::make_unique<DesktopNamesWindow>(names, settings, &scheduler, services);
    }
    void pointAtDisplay(std::size_t index) {
        const Rect frame = ui::screens().at(index).frame;
        env.session.windowSystem().movePointer(Point{frame.midX(), frame.midY()});
    }
    ui::ViewHost& settingsHost() {
        auto& host = settingsWindow->hostingView().host();
        host.renderIfNeeded();
        return host;
    }

    testkit::TestEnvironment env;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    NativeApplicationWindowFocus native;
    SpaceApplicationSnapshotLoader loader{[this] { return env.clock.uptime(); }, runningApplicationRecord, &reader};
    ApplicationIconCache icons{[this] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver};
    InventoryRefreshScheduler scheduler{InventoryRefreshScheduler::repeatingTimer};
    std::shared_ptr<SettingsModel> settings;
    std::shared_ptr<DesktopNamesModel> names;
    std::unique_ptr<SoftwareUpdates> updates;
    std::unique_ptr<SettingsWindow> settingsWindow;
    std::unique_ptr<DesktopNamesWindow> namesWindow;
};

TEST_F(AppWindowsRoadsTest, SettingsOnTheSecondDisplayNarrowedToItsPageMenuClosedAndReopened) {
    pointAtDisplay(1);
    settingsWindow->open(std::nullopt, std::nullopt);
    env.settle();
    ui::Panel& window = *settingsWindow->window();
    ASSERT_TRUE(window.isKeyWindow());
    EXPECT_EQ(ui::displayID(*window.screen()), 2u);
    EXPECT_FALSE(settingsHost().find(TarnwickSettingsView::kSectionMenuIdentifier));

    // The user drags the window narrower than 620 points: the sidebar goes, the title is a menu.
    ASSERT_TRUE(env.session.windowSystem().resize(window, Size{619, 560}));
    env.settle();
    const Node* menu = settingsHost().find(TarnwickSettingsView::kSectionMenuIdentifier);
    ASSERT_TRUE(menu);
    const Node* picker = find(menu, [](const Node& n) { return n.as<ui::PickerContent>() != nullptr; });
    ASSERT_TRUE(picker);
    ASSERT_TRUE(settingsHost().select(*picker, SettingsTab::banner));
    env.settle();
    const Node* stepper = find(settingsHost().root(), [](const Node& n) { return n.as<ui::StepperContent>() != nullptr; });
    ASSERT_TRUE(stepper);
    ASSERT_TRUE(settingsHost().increment(*stepper));
    env.settle();
    EXPECT_EQ(settings->preferences.get().bannerDuration, 2.5);
    EXPECT_TRUE(withText(settingsHost().root(), "Show for 2.5 seconds"));

    // Closed and opened again from the first display: the same page and the frame it was left
    // with, brought over to the display the user now invokes it from.
    const Rect left = window.frame();
    ASSERT_TRUE(env.session.windowSystem().close(window));
    EXPECT_EQ(ui::Panel::savedFrame(SettingsWindow::kAutosaveName), left);
    settingsWindow->open(std::nullopt, std::nullopt);
    env.settle();
    EXPECT_EQ(settings->tab.get(), SettingsTab::banner);
    EXPECT_EQ(window.frame(), left);
    EXPECT_TRUE(settingsHost().find(TarnwickSettingsView::kSectionMenuIdentifier));
    pointAtDisplay(0);
    window.close();
    settingsWindow->open(std::nullopt, std::nullopt);
    EXPECT_EQ(ui::displayID(*window.screen()), 1u);
    EXPECT_EQ(window.frame().size, left.size);
}

TEST_F(AppWindowsRoadsTest, AFriendlyNameTypedAndTheWindowClosedIsStored) {
    names->refresh(true);
    settingsWindow->open(SettingsTab::desktopNames, 1);
    env.settle();
    const std::string display = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
    const Node* field = settingsHost().find(DisplayAliasRow::identifier(display));
    ASSERT_TRUE(field);
    ASSERT_TRUE(settingsHost().type(*field, "Desk"));
    EXPECT_EQ(names->displayAlias(display), std::nullopt);  // still a draft
    ASSERT_TRUE(env.session.windowSystem().close(*settingsWindow->window()));
    EXPECT_EQ(names->displayAlias(display), "Desk");
    EXPECT_TRUE(env.session.defaults().dictionary("displayAliases"));
}

TEST_F(AppWindowsRoadsTest, ANameTypedIntoTheDesktopNamesWindowIsSavedAtOnceAndAnAppIconOpensItsWindowOnItsDesktop) {
    namesWindow->open(std::nullopt);
    env.settle();
    ASSERT_TRUE(namesWindow->window()->isKeyWindow());
    auto& host = namesWindow->hostingView().host();
    host.renderIfNeeded();
    const std::string desktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
    const Node* field = host.find(DesktopNamesView::nameIdentifier(desktop));
    ASSERT_TRUE(field);
    ASSERT_TRUE(host.type(*field, "Mail"));
    std::ifstream file(platform::applicationSupportFolder() / "Tarnwick" / "names.json");
    const std::string stored{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_NE(stored.find("\"Mail\""), std::string::npos) << stored;
    EXPECT_NE(stored.find(desktop), std::string::npos) << stored;

    // Notes has a window on that desktop, which is not the current one: its icon brings it
    // forward there, through Mission Control.
    env.advance(3.0);
    host.renderIfNeeded();
    const Node* notes = host.find(DesktopNamesView::applicationIdentifier(desktop, "com.apple.Notes"));
    ASSERT_TRUE(notes) << ::testing::PrintToString(host.texts());
    ASSERT_NE(env.session.display(1)->currentSpace, 3u);
    ASSERT_TRUE(host.click(*notes));
    env.advance(2.0);
    EXPECT_EQ(namesWindow->applications().activationError.get(), std::nullopt);
    EXPECT_EQ(env.session.display(1)->currentSpace, 3u);
    EXPECT_EQ(env.session.frontmostPID, 304);

    // The inventory runs while the window is shown and stops when it is closed.
    EXPECT_TRUE(namesWindow->applications().isActive());
    ASSERT_TRUE(env.session.windowSystem().close(*namesWindow->window()));
    EXPECT_FALSE(namesWindow->applications().isActive());
    EXPECT_FALSE(scheduler.isRunning());
}

}  // namespace
}  // namespace tarnwick
