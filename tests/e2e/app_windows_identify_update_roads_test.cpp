// From the settings window's buttons on virtual time: identifying the displays one after the
// other, and checking for updates against feeds with a newer signed build, an unsigned one and
// a missing file.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/display_identification_controller.h"
#include "app/settings_window.h"
#include "installation/installation_fixture.h"
#include "platform/file_url.h"
#include "platform/sim/sim_updater.h"
#include "platform/ui/screens.h"
#include "support/files.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
namespace ui = platform::ui;
using installation_test::BundleRecipe;
using installation_test::makeBundle;
using ui::Node;
using Kind = sim::SimUpdateOutcome::Kind;

template <typename Match>
const Node* find(const Node* from, const Match& match) {
    if (!from) return nullptr;
    if (match(*from)) return from;
    for (const auto& child : from->children())
        if (const Node* found = find(&child, match)) return found;
    return nullptr;
}

class IdentifyAndUpdateRoadsTest : public ::testing::Test {
protected:
    IdentifyAndUpdateRoadsTest() {
        env.session.loadDefaultSession();
        env.session.fileSystem.mainBundle = makeBundle(env.home / "Applications/Tarnwick.app");
        env.session.updates.feedURL = platform::fileURLString(feed, false);
        settings = std::make_shared<SettingsModel>();
        names = std::make_shared<DesktopNamesModel>();
        updates = std::make_unique<SoftwareUpdates>();
        settings->identifyDisplayRequested = [this](const std::string& id) {
            for (const auto& monitor : names->monitors.get())
                if (monitor.id == id) identification.identify(id, names->displayName(monitor));
        };
        window = std::make_unique<SettingsWindow>(settings, names, *updates);
    }
    ui::ViewHost& host() {
        auto& h = window->hostingView().host();
        h.renderIfNeeded();
        return h;
    }
    // Clicks the button with this accessibility label (or shown title).
    bool press(const std::string& label) {
        const Node* button = find(host().root(), [&](const Node& n) {
            if (!n.content()->asButton()) return false;
            const auto& accessibility = n.modifiers().accessibility().label;
            if (accessibility) return *accessibility == label;
            return host().texts(&n) == std::vector<std::string>{label};
        });
        return button && host().scrollIntoView(*button) && host().click(*button);
    }
    std::optional<std::uint32_t> identifiedDisplay() {
        ui::Panel* panel = identification.panel();
        if (!panel || !panel->isVisible()) return std::nullopt;
        return ui::displayID(*panel->screen());
    }
    std::string item(int build, const std::string& version, const std::string& url) {
        return R"({"build": )" + std::to_string(build) + R"(, "version": ")" + version + R"(", "url": ")" + url + "\"}";
    }
    sim::SimUpdateOutcome checkFromThePage() {
        const std::size_t before = env.session.updates.outcomes.size();
        EXPECT_TRUE(press("Check for Updates\u2026"));
        env.settle();
        EXPECT_EQ(env.session.updates.outcomes.size(), before + 1);
        return env.session.updates.outcomes.empty() ? sim::SimUpdateOutcome{} : env.session.updates.outcomes.back();
    }

    testkit::TestEnvironment env;
    fs::path feed = env.home.path() / "feed.json";
    std::shared_ptr<SettingsModel> settings;
    std::shared_ptr<DesktopNamesModel> names;
    std::unique_ptr<SoftwareUpdates> updates;
    DisplayIdentificationController identification;
    std::unique_ptr<SettingsWindow> window;
};

TEST_F(IdentifyAndUpdateRoadsTest, IdentifyingTheSecondDisplayThenTheFirstKeepsEachPanelItsTwoSeconds) {
    names->refresh(true);
    window->open(SettingsTab::desktopNames, 1);
    env.settle();
    ASSERT_TRUE(press("Identify Studio Display"));
    EXPECT_EQ(identifiedDisplay(), 2u);
    env.advance(1.0);
    ASSERT_TRUE(press("Identify Built-in Retina Display"));
    EXPECT_EQ(identifiedDisplay(), 1u);
    // The first panel's expiry comes and changes nothing; the second goes two seconds after it came.
    env.advance(1.0);
    EXPECT_EQ(identifiedDisplay(), 1u);
    env.advance(0.999);
    EXPECT_EQ(identifiedDisplay(), 1u);
    env.advance(0.001);
    EXPECT_EQ(identifiedDisplay(), std::nullopt);
    EXPECT_TRUE(window->window()->isKeyWindow());  // the panels never took the keyboard
}

TEST_F(IdentifyAndUpdateRoadsTest, CheckingForUpdatesFromTheGeneralPage) {
    window->open(SettingsTab::general, 1);
    updates->start();
    env.settle();
    const auto newer = platform::fileURLString(makeBundle(env.home / "updates/9.app", BundleRecipe().withVersion("9")), true);
    files::writeAtomically(feed, "[" + item(9, "1.9", newer) + "]");
    EXPECT_EQ(checkFromThePage(), (sim::SimUpdateOutcome{Kind::updateFound, "1.9", {}, {}, false}));

    const auto unsignedCopy =
        platform::fileURLString(makeBundle(env.home / "updates/8.app", BundleRecipe().withVersion("8").unsignedCopy()), true);
    files::writeAtomically(feed, "[" + item(8, "1.8", unsignedCopy) + "]");
    EXPECT_EQ(checkFromThePage().reason, sim::kUpdateNotVerified);

    fs::remove(feed);
    EXPECT_EQ(checkFromThePage().reason, sim::kUpdateFeedUnreadable);
    // None of it changed the running copy or the app's state.
    EXPECT_EQ(installation_test::versionOf(env.home / "Applications/Tarnwick.app"), "7");
    EXPECT_EQ(updates->startupError.get(), std::nullopt);
    EXPECT_TRUE(updates->canCheckForUpdates.get());
}

}  // namespace
}  // namespace tarnwick
