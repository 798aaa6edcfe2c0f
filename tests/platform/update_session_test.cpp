#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installation/installation_fixture.h"
#include "platform/file_url.h"
#include "platform/sim/sim_update_window.h"
#include "platform/sim/sim_updater.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/key_event.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/panel.h"
#include "support/error.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
namespace ui = platform::ui;
using installation_test::BundleRecipe;
using installation_test::makeBundle;
using Kind = sim::SimUpdateOutcome::Kind;
using Texts = std::vector<std::string>;

// The running copy is build 7, signed; updates are bundles beside it in the home folder.
class UpdateSessionTest : public ::testing::Test {
protected:
    UpdateSessionTest() {
        env.session.fileSystem.mainBundle = makeBundle(env.home / "Applications/Tarnwick.app");
        feed = env.home / "feed.json";
        env.session.updates.feedURL = platform::fileURLString(feed, false);
        updater = std::make_shared<sim::SimUpdater>(env.session);
    }

    std::string bundleURL(const std::string& name, const BundleRecipe& recipe) {
        return platform::fileURLString(makeBundle(env.home / "updates" / name, recipe), true);
    }
    void writeFeed(const std::string& json) { files::writeAtomically(feed, json); }
    // Starts the updater, checks once and lets the check finish.
    sim::SimUpdateOutcome check() {
        if (!updater->isStarted()) updater->startUpdater();
        env.settle();
        const size_t before = env.session.updates.outcomes.size();
        updater->checkForUpdates();
        env.settle();
        EXPECT_EQ(env.session.updates.outcomes.size(), before + 1);
        return env.session.updates.outcomes.back();
    }
    // What the framework's window shows; nothing while it is closed.
    Texts shown() {
        ui::Panel* panel = env.session.updateWindow().panel();
        if (!panel || !panel->isVisible()) return {};
        EXPECT_EQ(panel->title(), "Software Update");
        return panel->shownTexts();
    }
    ui::Panel& window() { return *env.session.updateWindow().panel(); }
    ui::HostingView* hosting() {
        for (ui::View* view : window().contentView()->descendants())
            if (auto* found = dynamic_cast<ui::HostingView*>(view)) return found;
        return nullptr;
    }
    const ui::Node* okButton() {
        ui::HostingView* row = hosting();
        if (!row) return nullptr;
        row->host().renderIfNeeded();
        const ui::Node* title = row->host().findText("OK");
        return title && title->parent() && title->parent()->content()->asButton() ? title->parent() : nullptr;
    }
    // A key pressed by the user, delivered as the system routes it.
    void press(std::uint16_t keyCode, const std::string& characters) {
        env.session.pressKeys(keyCode, 0, characters);
        env.settle();
    }
    std::string item(int build, const std::string& version, const std::string& url) {
        return R"({"build": )" + std::to_string(build) + R"(, "version": ")" + version + R"(", "url": ")" + url + "\"}";
    }

    testkit::TestEnvironment env;
    fs::path feed;
    std::shared_ptr<sim::SimUpdater> updater;
};

TEST_F(UpdateSessionTest, TheNewestSignedBuildAboveTheRunningOneIsOffered) {
    const auto eight = bundleURL("8.app", BundleRecipe().withVersion("8"));
    const auto nine = bundleURL("9.app", BundleRecipe().withVersion("9"));
    writeFeed("[" + item(8, "1.8", eight) + ", " + item(9, "1.9", nine) + ", " + item(6, "1.6", eight) + "]");
    EXPECT_EQ(check(), (sim::SimUpdateOutcome{Kind::updateFound, "1.9", {}, {}, false}));
}

TEST_F(UpdateSessionTest, NothingNewerIsUpToDate) {
    const auto seven = bundleURL("7.app", BundleRecipe());
    writeFeed("[" + item(7, "1.7", seven) + ", " + item(3, "1.3", seven) + "]");
    EXPECT_EQ(check().kind, Kind::upToDate);
    writeFeed("[]");
    EXPECT_EQ(check().kind, Kind::upToDate);
}

TEST_F(UpdateSessionTest, AnUpdateThatIsUnsignedSignedByAnotherOrForAnotherAppIsRefused) {
    sim::SigningIdentity stranger;
    stranger.signer = "Developer ID Application: Someone Else (0000000000)";
    for (const auto& recipe : {BundleRecipe().withVersion("8").unsignedCopy(),
                               BundleRecipe().withVersion("8").withIdentity(stranger),
                               BundleRecipe().withVersion("8").withIdentifier("com.example.other")}) {
        fs::remove_all(env.home / "updates");
        writeFeed("[" + item(8, "1.8", bundleURL("8.app", recipe)) + "]");
        EXPECT_EQ(check(), (sim::SimUpdateOutcome{Kind::failed, {}, sim::kUpdateNotOffered, sim::kUpdateNotVerified, false}));
    }
    // A newer build whose bundle is missing.
    writeFeed("[" + item(8, "1.8", platform::fileURLString(env.home / "nowhere.app", true)) + "]");
    EXPECT_EQ(check().reason, sim::kUpdateNotVerified);
}

// A copy built on the developer's machine carries a manifest but no signature: it still knows
// when it is up to date, and offers no update, saying that it is the copy that is unsigned.
TEST_F(UpdateSessionTest, AnUnsignedRunningCopyOffersNoUpdateAndSaysWhy) {
    env.session.fileSystem.mainBundle = makeBundle(env.home / "Unsigned.app", BundleRecipe().unsignedCopy());
    writeFeed("[" + item(7, "1.7", bundleURL("7.app", BundleRecipe())) + "]");
    EXPECT_EQ(check().kind, Kind::upToDate);
    writeFeed("[" + item(8, "1.8", bundleURL("8.app", BundleRecipe().withVersion("8"))) + "]");
    EXPECT_EQ(check(), (sim::SimUpdateOutcome{Kind::failed, {}, sim::kUpdateNotOffered, sim::kRunningCopyUnsigned, false}));
}

// Each way a feed can fail has its own reason under one message, and none touches the copy.
TEST_F(UpdateSessionTest, NoFeedAnUnreadableFeedAndAnInvalidFeedEachSayWhy) {
    const auto before = installation_test::listing(env.home / "Applications/Tarnwick.app/Contents");
    const auto expectReason = [this](const char* reason, const std::string& what) {
        EXPECT_EQ(check(), (sim::SimUpdateOutcome{Kind::failed, {}, sim::kUpdateFeedUnavailable, reason, false})) << what;
    };
    env.session.updates.feedURL.reset();
    expectReason(sim::kNoUpdateFeed, "no feed");
    env.session.updates.feedURL = "";
    expectReason(sim::kNoUpdateFeed, "an empty feed address");

    env.session.updates.feedURL = platform::fileURLString(feed, false);
    expectReason(sim::kUpdateFeedUnreadable, "a missing file");
    env.session.updates.feedURL = platform::fileURLString(env.home.path(), true);
    expectReason(sim::kUpdateFeedUnreadable, "a folder");
    env.session.updates.feedURL = "https://updates.example.com/feed.json";
    expectReason(sim::kUpdateFeedUnreadable, "no network");
    env.session.updates.feedURL = "not a URL";
    expectReason(sim::kUpdateFeedUnreadable, "no URL");

    env.session.updates.feedURL = platform::fileURLString(feed, false);
    const auto url = bundleURL("8.app", BundleRecipe().withVersion("8"));
    for (const std::string& text : {std::string(), std::string("not json"), std::string(R"({"build": 8})"),
                                    "[" + item(8, "1.8", url) + R"(, {"build": "9", "version": "1.9", "url": ")" + url + "\"}]",
                                    std::string(R"([{"build": 8, "version": "1.8"}])"),
                                    std::string(R"([{"build": 8.5, "version": "1.8", "url": "file:///x"}])"),
                                    std::string(R"([{"build": 8, "version": "1.8", "url": "https://example.com/x"}])"),
                                    std::string("[\"\xff\xfe\"]")}) {
        writeFeed(text);
        expectReason(sim::kUpdateFeedInvalid, text);
    }
    EXPECT_EQ(installation_test::listing(env.home / "Applications/Tarnwick.app/Contents"), before);
    EXPECT_EQ(installation_test::versionOf(env.home / "Applications/Tarnwick.app"), "7");
}

TEST_F(UpdateSessionTest, ARunningCopyWithoutABuildNumberCannotBeCompared) {
    env.session.fileSystem.mainBundle = makeBundle(env.home / "Odd.app", BundleRecipe().withVersion("seven"));
    writeFeed("[]");
    EXPECT_EQ(check(), (sim::SimUpdateOutcome{Kind::failed, {}, sim::kUpdateCheckFailed, sim::kRunningVersionUnknown, false}));
}

TEST_F(UpdateSessionTest, NoCheckBeforeTheStartOrWhileOneRuns) {
    env.session.updates.checkDuration = 1;
    writeFeed("[]");
    updater->checkForUpdates();
    env.advance(2);
    EXPECT_TRUE(env.session.updates.outcomes.empty());
    EXPECT_EQ(env.session.updates.checkRequests, 1);

    updater->startUpdater();
    EXPECT_TRUE(updater->canCheckForUpdates());
    updater->checkForUpdates();
    updater->checkForUpdates();
    EXPECT_FALSE(updater->canCheckForUpdates());
    env.advance(1);
    EXPECT_EQ(env.session.updates.outcomes.size(), 1u);
    EXPECT_TRUE(updater->canCheckForUpdates());
}

// The framework's own window follows a check the user started, from "Checking…" to how it
// ended; automatic checks stay quiet.
TEST_F(UpdateSessionTest, AUsersCheckShowsHowItEndedInTheFrameworksWindowAnAutomaticOneShowsNothing) {
    writeFeed("[]");
    updater->startUpdater();
    env.session.updates.checkDuration = 1;
    updater->checkForUpdates();
    EXPECT_EQ(shown(), (Texts{"Checking for updates\u2026", "Reading the update information\u2026"}));
    env.advance(1);
    EXPECT_EQ(shown(), (Texts{"Tarnwick is up to date.", "Tarnwick 7 is the newest version available.", "OK"}));

    const auto nine = bundleURL("9.app", BundleRecipe().withVersion("9"));
    writeFeed("[" + item(9, "1.9", nine) + "]");
    updater->checkForUpdates();
    env.advance(1);
    EXPECT_EQ(shown(), (Texts{"A new version of Tarnwick is available.", "Tarnwick 1.9 is available; you have 7.", "OK"}));

    fs::remove(feed);
    updater->checkForUpdates();
    env.advance(1);
    EXPECT_EQ(shown(), (Texts{sim::kUpdateFeedUnavailable, sim::kUpdateFeedUnreadable, "OK"}));

    window().close();
    env.session.updates.checkInterval = 60;
    updater->setAutomaticallyChecksForUpdates(true);
    env.advance(61);
    EXPECT_EQ(env.session.updates.outcomes.size(), 4u);
    EXPECT_TRUE(shown().empty());
}

// The window comes up key in front of the app, so the keyboard answers it: Return chooses OK
// once the check has ended, Escape and the close button close it at any time.
TEST_F(UpdateSessionTest, OKReturnEscapeAndTheCloseButtonCloseTheWindow) {
    writeFeed("[]");
    updater->startUpdater();
    env.session.updates.checkDuration = 1;
    const std::int32_t own = env.session.system().processID;
    env.session.frontmostPID = own + 1;
    const auto checkAndEnd = [this] {
        updater->checkForUpdates();
        env.advance(1);
        ASSERT_EQ(shown().size(), 3u);
    };

    // While it checks there is nothing to answer: Return leaves it be.
    updater->checkForUpdates();
    env.settle();
    EXPECT_EQ(env.session.frontmostPID, own);
    EXPECT_TRUE(window().isKeyWindow());
    EXPECT_EQ(okButton(), nullptr);
    press(platform::key_codes::kReturn, "\r");
    EXPECT_EQ(shown().size(), 2u);
    env.advance(1);
    EXPECT_EQ(shown().back(), "OK");
    press(platform::key_codes::kReturn, "\r");
    EXPECT_TRUE(shown().empty());

    checkAndEnd();
    const ui::Node* ok = okButton();
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(hosting()->host().click(*ok));
    EXPECT_TRUE(shown().empty());

    checkAndEnd();
    press(platform::key_codes::kEscape, "\x1b");
    EXPECT_TRUE(shown().empty());

    checkAndEnd();
    EXPECT_TRUE(env.session.windowSystem().close(window()));
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(env.session.updates.outcomes.size(), 4u);
}

// Closing the window while the check runs means the user stopped waiting: the end of that check
// is kept but not shown; the next check shows again.
TEST_F(UpdateSessionTest, AWindowClosedWhileItsCheckRunsDoesNotComeBack) {
    writeFeed("[]");
    updater->startUpdater();
    env.session.updates.checkDuration = 2;
    updater->checkForUpdates();
    env.settle();
    press(platform::key_codes::kEscape, "\x1b");
    EXPECT_TRUE(shown().empty());
    env.advance(2);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(env.session.updates.outcomes.size(), 1u);
    EXPECT_TRUE(updater->canCheckForUpdates());

    updater->checkForUpdates();
    EXPECT_EQ(shown().front(), sim::SimUpdateWindow::kCheckingMessage);
    env.advance(2);
    EXPECT_EQ(shown().front(), "Tarnwick is up to date.");
}

TEST_F(UpdateSessionTest, AutomaticChecksRunOnTheSessionsIntervalOnlyWhileStartedAndOn) {
    env.session.updates.checkInterval = 3600;
    writeFeed("[]");
    updater->setAutomaticallyChecksForUpdates(true);
    env.advance(7200);
    EXPECT_TRUE(env.session.updates.outcomes.empty());
    EXPECT_FALSE(updater->hasScheduledChecks());

    updater->startUpdater();
    EXPECT_TRUE(updater->hasScheduledChecks());
    env.advance(3600);
    ASSERT_EQ(env.session.updates.outcomes.size(), 1u);
    EXPECT_TRUE(env.session.updates.outcomes[0].automatic);
    env.advance(3600);
    EXPECT_EQ(env.session.updates.outcomes.size(), 2u);

    updater->setAutomaticallyChecksForUpdates(false);
    env.advance(7200);
    EXPECT_EQ(env.session.updates.outcomes.size(), 2u);
    EXPECT_EQ(env.session.updates.checkRequests, 0);
}

TEST_F(UpdateSessionTest, TheSwitchesLiveInTheDefaultsDomain) {
    updater->setAutomaticallyDownloadsUpdates(true);
    EXPECT_EQ(env.session.defaults().object(sim::kAutomaticDownloadsDefaultsKey), Value(true));
    auto other = std::make_shared<sim::SimUpdater>(env.session);
    EXPECT_TRUE(other->automaticallyDownloadsUpdates());
    EXPECT_FALSE(other->automaticallyChecksForUpdates());
}

TEST_F(UpdateSessionTest, AStartErrorIsThrownWithItsDescriptionAndLeavesTheUpdaterStopped) {
    env.session.updates.startError = "The feed address is missing.";
    try {
        updater->startUpdater();
        FAIL() << "the start should fail";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "The feed address is missing.");
    }
    EXPECT_FALSE(updater->canCheckForUpdates());
    EXPECT_EQ(env.session.updates.startCalls, 1);
}

TEST_F(UpdateSessionTest, TheSessionFileSetsTheFeedFaultsAndInitialSwitches) {
    env.session.defaults().set(sim::kAutomaticDownloadsDefaultsKey, true);
    env.session.load(R"({"updates": {"feed": "file:///tmp/feed.json", "startError": "No.", "allowsAutomaticUpdates": false,
        "automaticChecks": true, "automaticDownloads": false, "reportingDelay": 0.25, "changesCarryValues": false,
        "checkInterval": 60, "checkDuration": 2}})");
    const auto& updates = env.session.updates;
    EXPECT_EQ(updates.feedURL, "file:///tmp/feed.json");
    EXPECT_EQ(updates.startError, "No.");
    EXPECT_FALSE(updates.allowsAutomaticUpdates);
    EXPECT_EQ(updates.reportingDelay, 0.25);
    EXPECT_FALSE(updates.changesCarryValues);
    EXPECT_EQ(updates.checkInterval, 60);
    EXPECT_EQ(updates.checkDuration, 2);
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    // A choice already kept stands.
    EXPECT_TRUE(updater->automaticallyDownloadsUpdates());

    env.session.load(R"({"updates": {"feed": null, "startError": null, "checkDuration": null}})");
    EXPECT_EQ(updates.feedURL, std::nullopt);
    EXPECT_EQ(updates.startError, std::nullopt);
    EXPECT_EQ(updates.checkDuration, std::nullopt);

    for (const char* bad : {R"({"updates": []})", R"({"updates": {"feed": 3}})", R"({"updates": {"checkInterval": 0}})",
                            R"({"updates": {"reportingDelay": -1}})", R"({"updates": {"automaticChecks": "yes"}})"}) {
        testkit::TestEnvironment fresh;
        EXPECT_THROW(fresh.session.load(bad), Error) << bad;
    }
}

}  // namespace
}  // namespace tarnwick
