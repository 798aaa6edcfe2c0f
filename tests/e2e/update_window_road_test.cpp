// "Check for Updates…" through the built program: the framework's "Software Update" window says
// what happened and why (no feed, an unreadable feed, an invalid one), what it found (up to
// date, a newer build), that it is checking while a check takes time, and closes by its OK
// button, Return, Escape or its close button; `screen` and the picture show its texts and button.

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installation/installation_fixture.h"
#include "platform/file_url.h"
#include "platform/sim/sim_update_window.h"
#include "platform/sim/update_state.h"
#include "support/json.h"
#include "testkit/console_process.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using installation_test::BundleRecipe;
using installation_test::makeBundle;
using testkit::printed;
using testkit::transcript;
using Lines = std::vector<std::string>;
using Window = sim::SimUpdateWindow;

const fs::path kSource = TARNWICK_SOURCE_DIR;

// The texts as a window line lists them: `"a" "b" ...`.
std::string quotedTexts(const Lines& shown) {
    std::string line;
    for (const auto& text : shown) line += (line.empty() ? "\"" : " \"") + text + "\"";
    return line;
}
std::string texts(const Lines& shown) { return "texts " + quotedTexts(shown); }

// The default session's machine, run by a signed copy of build 7 in the home folder's
// Applications folder, with the feed the test gives.
class UpdateWindowRoadTest : public ::testing::Test {
protected:
    UpdateWindowRoadTest() {
        makeBundle(home / "Applications/Tarnwick.app", BundleRecipe().withRequireInstallation(std::nullopt));
    }

    // `feed`: the "updates" section's feed; `checkDuration`: its check duration, when given.
    testkit::ConsoleProcess& start(const Value& feed, std::optional<double> checkDuration = std::nullopt,
                                   bool virtualTime = true) {
        auto session = json::parse(testkit::fileText(kSource / "sessions/default.json"));
        (*session)["fileSystem"]["mainBundle"] = "~/Applications/Tarnwick.app";
        (*session)["updates"]["feed"] = feed;
        if (checkDuration) (*session)["updates"]["checkDuration"] = *checkDuration;
        std::ofstream(home / "session.json") << json::write(*session).value_or("");
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), home / "session.json", {}, {}, virtualTime});
        EXPECT_EQ(program->ready().back(), "ready");
        return *program;
    }
    std::string feedURL() const { return platform::fileURLString(home / "feed.json", false); }
    void writeFeed(const std::string& text) { std::ofstream(home / "feed.json") << text; }
    Lines check() {
        program->send("click status-item");
        program->send("wait 0.5");
        return program->send("menu \"Check for Updates\u2026\"");
    }
    // The window's texts, as the check's answer printed them, with the OK button's title.
    void expectShown(const Lines& answer, const char* message, const std::string& informative) {
        EXPECT_TRUE(printed(answer, "\"Software Update\"")) << transcript(answer);
        EXPECT_TRUE(printed(answer, texts({message, informative, Window::kOKButton}))) << transcript(answer);
    }
    void expectClosedBy(const std::string& command) {
        const Lines answer = program->send(command);
        EXPECT_TRUE(printed(answer, "hidden window")) << command << "\n" << transcript(answer);
        EXPECT_EQ(answer.back(), "ok") << command;
    }
    void quit() {
        program->send("quit");
        EXPECT_EQ(program->finish(), 0);
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

// The built-in session has no feed: the window says so, and every way of closing it closes it.
TEST_F(UpdateWindowRoadTest, WithoutAFeedTheWindowSaysNoneIsConfiguredAndClosesEveryWay) {
    start(Value());
    expectShown(check(), sim::kUpdateFeedUnavailable, sim::kNoUpdateFeed);

    // The window is key, and lists its texts and its one button.
    const Lines screen = program->send("screen");
    EXPECT_TRUE(printed(screen, "\"Software Update\" at ")) << transcript(screen);
    EXPECT_TRUE(printed(screen, "key " + texts({sim::kUpdateFeedUnavailable, sim::kNoUpdateFeed, "OK"})))
        << transcript(screen);
    EXPECT_TRUE(printed(screen, "button \"OK\"")) << transcript(screen);

    ASSERT_EQ(program->send("screen svg " + (home / "update.svg").string()), Lines{"ok"});
    const auto picture = testkit::parseXml(testkit::fileText(home / "update.svg"));
    ASSERT_TRUE(picture);
    const auto* window = testkit::windowTitled(*picture, "Software Update");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(testkit::textsOfWindow(*picture, "Software Update").back(), "OK");
    const auto* button = testkit::findWith(*window, "rect", "button", "data-value", "OK");
    ASSERT_NE(button, nullptr);
    // Return presses it, so it is drawn as the default button is, in the accent.
    ASSERT_NE(button->attribute("data-look"), nullptr);
    EXPECT_EQ(button->value("data-look"), "accented");
    // The button lies in the window, under the reason.
    const Rect frame = testkit::rectOf(*window->all("rect", "window-frame").front());
    const Rect bezel = testkit::rectOf(*button);
    EXPECT_TRUE(frame.contains(bezel)) << bezel.minX() << " " << bezel.minY();
    const auto* reason = testkit::textShowing(*window, sim::kNoUpdateFeed);
    ASSERT_NE(reason, nullptr);
    EXPECT_GT(bezel.minY(), reason->number("y"));

    expectClosedBy("press \"OK\"");
    check();
    expectClosedBy("in \"Software Update\" press OK");
    check();
    expectClosedBy("keys return");
    check();
    expectClosedBy("keys escape");
    check();
    expectClosedBy("close \"Software Update\"");
    EXPECT_EQ(program->send("press \"OK\"").back(),
              "error: No window of ours shows anything with the identifier, label or text \"OK\"; screen lists the windows "
              "and their view trees.");
    quit();
}

TEST_F(UpdateWindowRoadTest, AnUnreadableFeedAndAnInvalidFeedEachSayWhy) {
    start(feedURL());
    expectShown(check(), sim::kUpdateFeedUnavailable, sim::kUpdateFeedUnreadable);
    expectClosedBy("keys return");
    writeFeed("[{\"build\": 8}]");
    expectShown(check(), sim::kUpdateFeedUnavailable, sim::kUpdateFeedInvalid);
    expectClosedBy("keys return");
    quit();
}

TEST_F(UpdateWindowRoadTest, AnUpToDateCheckAndANewerBuildSayWhatTheyFound) {
    start(feedURL());
    writeFeed("[]");
    expectShown(check(), "Tarnwick is up to date.", "Tarnwick 7 is the newest version available.");
    expectClosedBy("press \"OK\"");

    const auto nine = makeBundle(home / "updates/9.app", BundleRecipe().withVersion("9"));
    writeFeed(R"([{"build": 9, "version": "1.9", "url": ")" + platform::fileURLString(nine, true) + "\"}]");
    expectShown(check(), "A new version of Tarnwick is available.", "Tarnwick 1.9 is available; you have 7.");
    expectClosedBy("press \"OK\"");
    // Nothing was installed.
    EXPECT_EQ(installation_test::versionOf(home / "Applications/Tarnwick.app"), "7");
    quit();
}

// A check that takes time on the loop's clock shows the checking state, which has nothing to
// press, until it ends.
TEST_F(UpdateWindowRoadTest, OnVirtualTimeACheckThatTakesTimeSaysItIsCheckingUntilItEnds) {
    start(feedURL(), 2);
    writeFeed("[]");
    const Lines checking = check();
    EXPECT_TRUE(printed(checking, "shown window")) << transcript(checking);
    EXPECT_TRUE(printed(checking, texts({Window::kCheckingMessage, Window::kCheckingProgress}))) << transcript(checking);
    EXPECT_EQ(program->send("press \"OK\"").back(), "error: The window \"Software Update\" has no controls.");
    const Lines ended = program->send("wait 2");
    EXPECT_TRUE(printed(ended, "now " + quotedTexts({"Tarnwick is up to date.", "Tarnwick 7 is the newest version available.",
                                              "OK"})))
        << transcript(ended);
    quit();
}

// In real time a check takes about as long as a fetch would: the window says it is checking
// first, and the outcome follows as a change of its own.
TEST_F(UpdateWindowRoadTest, InRealTimeTheWindowSaysItIsCheckingBeforeTheOutcome) {
    start(Value(), std::nullopt, false);
    const Lines checking = check();
    EXPECT_TRUE(printed(checking, texts({Window::kCheckingMessage, Window::kCheckingProgress}))) << transcript(checking);
    EXPECT_FALSE(printed(checking, sim::kNoUpdateFeed)) << transcript(checking);
    static_assert(sim::kRealTimeCheckSeconds < 2);
    const Lines ended = program->send("wait 2");
    EXPECT_TRUE(printed(ended, "now " + quotedTexts({sim::kUpdateFeedUnavailable, sim::kNoUpdateFeed, "OK"})))
        << transcript(ended);
    expectClosedBy("keys return");
    quit();
}

}  // namespace
}  // namespace tarnwick
