// The Workstation Overview's content as the user meets it: the real desktop model, app
// inventory, settings and navigation over the built-in session's two displays, the view hosted
// in its keyboard hosting view inside a panel, on virtual time.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/application_icon_cache.h"
#include "applications/application_window_focus.h"
#include "applications/mission_control_space_switcher.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "overview/overview_keyboard_hosting_view.h"
#include "overview/workstation_preview_view.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "support/executor.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace keys = platform::key_codes;
namespace flags = platform::modifier_flags;
using Strings = std::vector<std::string>;
using Target = OverviewFocusTarget;
using Hosting = OverviewKeyboardHostingView<WorkstationPreviewView>;
using View = WorkstationPreviewView;

// The default session (sessions/default.json).
constexpr const char* kBuiltIn = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";
constexpr const char* kNotesDesktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";  // space 3, built-in
constexpr const char* kStudioFirst = "1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101";   // space 4, current
constexpr const char* kMailDesktop = "2F3E4D5C-6B7A-4899-A8B7-C6D5E4F3A202";   // space 6
constexpr const char* kStudioThird = "3A4F5E6D-7C8B-49AA-B9C8-D7E6F5A4B303";   // space 8

class OverviewRoadsTest : public ::testing::Test {
protected:
    OverviewRoadsTest() {
        auto view = std::make_unique<View>(model, inventory, status, settings,
                                           [this](const WorkstationSelection& selection) { picks.push_back(selection); });
        hosting = std::make_shared<Hosting>(std::move(view));
        panel.setContentView(hosting);
        hosting->layoutSubtreeIfNeeded();
    }

    void settle() {
        env.settle();
        env.settle();
    }
    ui::ViewHost& host() { return hosting->host(); }
    View& view() { return hosting->rootView(); }
    const ui::Node* row(const std::string& desktopID) { return host().find(View::desktopIdentifier(desktopID)); }
    Strings rowTexts(const std::string& desktopID) { return host().texts(row(desktopID)->parent()); }
    bool isCurrent(const std::string& desktopID) {
        const Strings texts = host().texts(row(desktopID));
        return std::find(texts.begin(), texts.end(), "Current") != texts.end();
    }
    // The catalog as the presenter hands it to a pick: refreshed at each read.
    DesktopCatalogFunction catalog() {
        return [this] {
            model.refresh(true);
            return model.monitors.get();
        };
    }
    // Carries out a pick as the presenter does, and waits for it.
    std::exception_ptr perform(const WorkstationSelection& selection) {
        auto read = catalog();
        auto handle = spawn(selection.perform(
            read, [read](SpaceNavigationTarget target) { return MissionControlSpaceSwitcher::switchTo(std::move(target), read); },
            {}));
        env.advance(5.0);
        EXPECT_TRUE(handle.isDone());
        return handle.error();
    }
    std::string messageOf(std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            return e.what();
        }
    }

    testkit::TestEnvironment env;
    struct Loaded {
        explicit Loaded(testkit::TestEnvironment& env) { env.session.loadDefaultSession(); }
    } loaded{env};
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    SpaceApplicationSnapshotLoader loader{systemUptime, nullptr, &reader};
    ApplicationIconCache icons{systemUptime, ApplicationIconCache::workspaceResolver};
    InventoryRefreshScheduler scheduler{InventoryRefreshScheduler::repeatingTimer};
    DesktopNamesModel model;
    SettingsModel settings;
    DesktopApplicationInventory inventory{[this] { return model.monitors.get(); }, [this] { model.refresh(false); },
                                          &scheduler, DesktopApplicationInventory::Services{&loader, &icons, {}, {}}};
    WorkstationPreviewStatus status;
    std::vector<WorkstationSelection> picks;
    ui::Panel panel{Rect(300, 200, 368, 560), ui::style_mask::kNonactivatingPanel};
    std::shared_ptr<Hosting> hosting;
};

TEST_F(OverviewRoadsTest, TheViewOverTheLiveModelsFollowsTheAppsAndTheCurrentDesktop) {
    status.interactionMode.set(OverviewInteractionMode::explicit_);
    panel.orderFrontRegardless();
    settle();
    const std::size_t desktops = view().desktopCount();
    ASSERT_EQ(model.monitors->size(), 2u);
    EXPECT_TRUE(host().findText("2 monitors \u00B7 " + std::to_string(desktops) + " desktops"));
    EXPECT_TRUE(host().findText("Built-in Retina Display"));
    EXPECT_TRUE(host().findText("Studio Display"));
    EXPECT_EQ(env.session.windowSystem().panelShowing("Workstation"), &panel);
    for (const auto& monitor : model.monitors.get())
        for (const auto& desktop : monitor.desktops) {
            ASSERT_TRUE(row(desktop.id)) << desktop.id;
            EXPECT_EQ(isCurrent(desktop.id), desktop.isCurrent);
        }
    EXPECT_TRUE(isCurrent(kStudioFirst));
    EXPECT_EQ(rowTexts(kMailDesktop).back(), "Reading apps\u2026");

    // The inventory's first read turns the status lines into icons.
    inventory.start();
    settle();
    EXPECT_TRUE(host().find(View::applicationIdentifier(kMailDesktop, "com.apple.mail")));
    EXPECT_TRUE(host().find(View::applicationIdentifier(kMailDesktop, "com.apple.Terminal")));
    EXPECT_TRUE(host().find(View::applicationIdentifier(kNotesDesktop, "com.apple.Notes")));
    EXPECT_EQ(rowTexts(kMailDesktop), (Strings{"Desktop 5"}));
    EXPECT_EQ(host().find(View::applicationIdentifier(kMailDesktop, "com.apple.mail"))->modifiers().accessibility().help,
              "Open Mail on Desktop 5");

    // The user switches desktop on the second display: "Current" moves there.
    env.session.switchDesktop(2, 6);
    settle();
    EXPECT_TRUE(isCurrent(kMailDesktop));
    EXPECT_FALSE(isCurrent(kStudioFirst));
    inventory.stop();
}

TEST_F(OverviewRoadsTest, TheKeyboardWalksTheTargetsAndReturnPicksADesktopThatTheSwitcherMakesCurrent) {
    // The presenter's wiring: commands from the hosting view travel through the status.
    hosting->command = [this](const OverviewKeyboardCommand& command) { status.keyboardCommands.emit(command); };
    status.interactionMode.set(OverviewInteractionMode::explicit_);
    status.requestFocus(std::nullopt);
    panel.orderFrontRegardless();
    settle();
    const auto order = view().focusOrder();
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(view().keyboardSelection.get(), order.front());
    EXPECT_TRUE(host().findText(View::kKeyboardHint));

    EXPECT_TRUE(hosting->keyDown({keys::kTab, "\x19", flags::kShift}));
    settle();
    EXPECT_EQ(view().keyboardSelection.get(), order.back());
    EXPECT_TRUE(hosting->keyDown({keys::kTab, "\t", 0}));
    settle();
    EXPECT_EQ(view().keyboardSelection.get(), order.front());

    // On to the second display's third desktop, then Return.
    const Target third = Target::desktop(kStudioThird);
    while (view().keyboardSelection.get() != third) {
        ASSERT_TRUE(hosting->keyDown({keys::kTab, "\t", 0}));
        settle();
    }
    ASSERT_TRUE(host().lastScrollTarget());
    EXPECT_EQ(host().lastScrollTarget()->id, ui::AnyValue(third));
    EXPECT_TRUE(hosting->keyDown({keys::kReturn, "\r", 0}));
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0], WorkstationSelection::desktop({kStudioThird, kStudio, 8}));

    EXPECT_FALSE(perform(picks[0]));
    EXPECT_EQ(env.session.display(2)->currentSpace, 8u);
    settle();
    EXPECT_TRUE(isCurrent(kStudioThird));
}

TEST_F(OverviewRoadsTest, APickOfAVanishedDesktopOrASwitchThatNeverLandsFailsWithItsOwnSentence) {
    panel.orderFrontRegardless();
    settle();
    // The desktop goes after the overview showed it; the user clicks its row.
    const ui::Node* stale = row(kNotesDesktop);
    ASSERT_TRUE(stale);
    ASSERT_TRUE(env.session.removeDesktop(1, 3));
    ASSERT_TRUE(host().click(*stale));
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0], WorkstationSelection::desktop({kNotesDesktop, kBuiltIn, 3}));
    const auto changed = perform(picks[0]);
    ASSERT_TRUE(changed);
    EXPECT_EQ(messageOf(changed), "This desktop changed. Try the overview again.");
    EXPECT_FALSE(env.session.missionControlOpen);
    settle();
    EXPECT_FALSE(row(kNotesDesktop));

    // A switch that never lands: the switcher's own sentence, unchanged.
    env.session.navigation.switchDelay.reset();
    ASSERT_TRUE(host().click(*row(kMailDesktop)));
    ASSERT_EQ(picks.size(), 2u);
    const auto failed = perform(picks[1]);
    ASSERT_TRUE(failed);
    try {
        std::rethrow_exception(failed);
    } catch (const ApplicationWindowFocus::Failure& failure) {
        EXPECT_EQ(failure.message(), ApplicationWindowFocus::Failure::sentence(failure.failureCase()));
    } catch (...) {
        ADD_FAILURE() << "not the switcher's failure: " << messageOf(failed);
    }
    EXPECT_EQ(env.session.display(2)->currentSpace, 4u);
}

}  // namespace
}  // namespace tarnwick
