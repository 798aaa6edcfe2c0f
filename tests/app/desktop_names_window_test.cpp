// The Desktop Names window: how it is built, and its own inventory started and stopped as the
// window opens, becomes key, closes, goes to the Dock and comes back.

#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/desktop_names_window.h"
#include "applications/application_icon_cache.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/screens.h"
#include "support/executor.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace style = ui::style_mask;

class DesktopNamesWindowTest : public ::testing::Test {
protected:
    DesktopNamesWindowTest() {
        env.session.loadDefaultSession();
        model = std::make_shared<DesktopNamesModel>();
        settings = std::make_shared<SettingsModel>();
        model->catalogChanged = [this] { ++catalogRefreshes; };
        window = std::make_unique<DesktopNamesWindow>(model, settings, &scheduler,
                                                      DesktopApplicationInventory::Services{&loader, &icons, {}, {}});
    }
    ui::Panel& panel() { return *window->window(); }
    sim::SimWindowSystem& windows() { return env.session.windowSystem(); }
    bool running() { return window->applications().isActive() && scheduler.isRunning(); }
    int refreshes() {
        env.settle();
        return std::exchange(catalogRefreshes, 0);
    }

    testkit::TestEnvironment env;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    SpaceApplicationSnapshotLoader loader{[this] { return env.clock.uptime(); }, nullptr, &reader};
    ApplicationIconCache icons{[this] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver};
    int timers = 0;
    InventoryRefreshScheduler scheduler{[this](InventoryRefreshScheduler::FireAction, double) {
        ++timers;
        return InventoryRefreshScheduler::StopAction([] {});
    }};
    std::shared_ptr<DesktopNamesModel> model;
    std::shared_ptr<SettingsModel> settings;
    std::unique_ptr<DesktopNamesWindow> window;
    int catalogRefreshes = 0;
};

TEST_F(DesktopNamesWindowTest, ItIsAMiniaturizableGlassWindowWithItsOwnFrameName) {
    ui::Panel& w = panel();
    EXPECT_EQ(w.title(), "Desktop Names");
    EXPECT_EQ(w.frame().size, (Size{650, 650}));
    EXPECT_EQ(w.styleMask(), style::kTitled | style::kClosable | style::kMiniaturizable | style::kResizable |
                                 style::kFullSizeContentView);
    EXPECT_FALSE(w.isReleasedWhenClosed);
    EXPECT_EQ(w.tabbingMode, ui::TabbingMode::disallowed);
    EXPECT_TRUE(w.titlebarAppearsTransparent);
    EXPECT_FALSE(w.isOpaque);
    EXPECT_EQ(w.frameAutosaveName(), "DesktopNames");
    auto glass = std::dynamic_pointer_cast<ui::GlassEffectView>(w.contentView());
    ASSERT_TRUE(glass);
    EXPECT_EQ(glass->cornerRadius, 16);
    EXPECT_EQ(glass->contentView().get(), &window->hostingView());
    // Centred on the main screen's visible frame.
    const Rect visible = ui::mainScreen()->visibleFrame;
    EXPECT_EQ(w.frame().midX(), visible.midX());
    EXPECT_FALSE(window->applications().isActive());
}

TEST_F(DesktopNamesWindowTest, TheInventoryRunsOnlyWhileTheWindowIsOnScreenAndOutOfTheDock) {
    const Rect studio = ui::screens().at(1).frame;
    windows().movePointer(Point{studio.midX(), studio.midY()});
    window->open(std::nullopt);
    EXPECT_TRUE(panel().isKeyWindow());
    EXPECT_EQ(ui::displayID(*panel().screen()), 2u);
    EXPECT_TRUE(running());
    EXPECT_GE(refreshes(), 1);
    EXPECT_FALSE(model->monitors.get().empty());  // the catalog was read for the user

    ASSERT_TRUE(windows().miniaturize(panel()));
    EXPECT_FALSE(running());
    // Back from the Dock: started again; the catalog is refreshed only because it becomes key.
    window->windowDidDeminiaturize(panel());
    EXPECT_TRUE(running());
    EXPECT_EQ(refreshes(), 0);
    window->applications().stop();
    ASSERT_TRUE(windows().restore(panel()));
    EXPECT_TRUE(running());
    EXPECT_GE(refreshes(), 1);

    ASSERT_TRUE(windows().close(panel()));
    EXPECT_FALSE(running());
    EXPECT_EQ(refreshes(), 0);

    // Key again (shown by the user's click): refreshed and started.
    panel().orderFrontRegardless();
    ASSERT_TRUE(windows().focus(panel()));
    EXPECT_TRUE(running());
    EXPECT_GE(refreshes(), 1);
}

TEST_F(DesktopNamesWindowTest, TypingAFriendlyNameSavesItAtEveryKeystroke) {
    window->open(1);
    env.settle();
    const auto& monitors = model->monitors.get();
    ASSERT_FALSE(monitors.empty());
    const std::string desktop = monitors.front().desktops.front().id;
    auto& host = window->hostingView().host();
    host.renderIfNeeded();
    const ui::Node* field = host.find(DesktopNamesView::nameIdentifier(desktop));
    ASSERT_TRUE(field);
    ASSERT_TRUE(host.type(*field, "Mail"));
    EXPECT_EQ(model->drafts.get().at(desktop), "Mail");
    EXPECT_EQ(model->store().names().at(desktop), "Mail");
}

TEST_F(DesktopNamesWindowTest, GoingAwayWhileShownLeavesNothingBehind) {
    window->open(1);
    env.settle();
    window.reset();
    env.advance(5);
    EXPECT_TRUE(model.use_count() == 1);
}

}  // namespace
}  // namespace tarnwick
