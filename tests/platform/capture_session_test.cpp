#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/capture/sim_screen_capture.h"
#include "platform/ui/text_metrics.h"
#include "support/error.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
using platform::ShareableContent;
using platform::ShareableWindow;

std::optional<ShareableContent> listWindows(TestEnvironment& env, std::optional<std::string>* error = nullptr) {
    std::optional<ShareableContent> result;
    env.session.platform().screenCapture->getShareableContent(
        true, true, [&](std::optional<ShareableContent> content, std::optional<std::string> failure) {
            result = std::move(content);
            if (error) *error = std::move(failure);
        });
    env.settle();
    return result;
}

const ShareableWindow* spacesBar(const ShareableContent& content, const Rect& display) {
    for (const auto& w : content.windows)
        if (w.title == "Spaces Bar" && display.contains(w.frame)) return &w;
    return nullptr;
}

struct Shot {
    std::optional<platform::Screenshot> image;
    std::optional<std::string> error;
    bool done = false;
};

// A screenshot of a display's bar at twice its size, including the windows given.
void capture(TestEnvironment& env, const ShareableContent& content, std::uint32_t displayID,
             const std::vector<ShareableWindow>& included, Shot& shot) {
    auto& capture = *env.session.platform().screenCapture;
    platform::ShareableDisplay display;
    for (const auto& d : content.displays)
        if (d.displayID == displayID) display = d;
    const ShareableWindow* bar = spacesBar(content, display.frame);
    platform::ScreenshotConfiguration configuration;
    configuration.sourceRect = Rect(bar->frame.minX() - display.frame.minX(), bar->frame.minY() - display.frame.minY(),
                                    bar->frame.width(), bar->frame.height());
    configuration.width = static_cast<std::int64_t>(2 * bar->frame.width());
    configuration.height = static_cast<std::int64_t>(2 * bar->frame.height());
    capture.captureImage(capture.makeContentFilter(display, included), configuration,
                         [&shot](std::optional<platform::Screenshot> image, std::optional<std::string> error) {
                             shot.image = std::move(image);
                             shot.error = std::move(error);
                             shot.done = true;
                         });
}

std::vector<std::string> strings(const platform::TextRecognitionResult& result) {
    std::vector<std::string> texts;
    for (const auto& o : result.observations) texts.push_back(o.candidates.front()->string());
    return texts;
}

class CaptureSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.session.loadDefaultSession();
        env.session.openMissionControl();
    }
    platform::TextRecognitionResult recognise(const platform::Screenshot& image) {
        return env.session.platform().textRecognition->perform(image, {platform::TextRecognitionLevel::accurate, false});
    }
    TestEnvironment env;
};

TEST_F(CaptureSessionTest, TheSpacesBarsAreTheWindowManagersAndKeepTheirIdsWhenADisplayGoes) {
    auto content = listWindows(env);
    ASSERT_TRUE(content);
    const auto* first = spacesBar(*content, Rect(0, 0, 1512, 982));
    const auto* second = spacesBar(*content, Rect(1512, -200, 2560, 1440));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->owningApplication->bundleIdentifier, "com.apple.WindowManager");
    EXPECT_EQ(first->frame, Rect(0, 0, 1512, 24));
    const std::uint32_t secondID = second->windowID;
    EXPECT_EQ(content->displays.size(), 2u);

    env.session.removeDisplay(1);
    content = listWindows(env);
    ASSERT_TRUE(content);
    EXPECT_EQ(spacesBar(*content, Rect(1512, -200, 2560, 1440))->windowID, secondID);
    EXPECT_EQ(env.session.capture.listings, 2);
}

TEST_F(CaptureSessionTest, ListingFaultsComeFromTheSessionFile) {
    TestEnvironment other;
    other.session.load(R"({"capture": {"listingError": "The user declined.", "listingLatency": 0.5}})");
    std::optional<std::string> error;
    bool listed = false;
    other.session.platform().screenCapture->getShareableContent(true, true, [&](auto content, auto failure) {
        listed = content.has_value();
        error = failure;
    });
    other.advance(0.25);
    EXPECT_FALSE(error);
    other.advance(0.25);
    EXPECT_EQ(error, "The user declined.");
    EXPECT_FALSE(listed);
    TestEnvironment never;
    never.session.load(R"({"capture": {"listingLatency": null}})");
    bool called = false;
    never.session.platform().screenCapture->getShareableContent(true, true, [&](auto, auto) { called = true; });
    never.advance(100);
    EXPECT_FALSE(called);
}

TEST_F(CaptureSessionTest, AScreenshotHoldsOnlyTheCaptionsOfTheIncludedWindows) {
    auto content = listWindows(env);
    const auto* bar = spacesBar(*content, Rect(0, 0, 1512, 982));
    Shot without, with;
    capture(env, *content, 1, {}, without);
    capture(env, *content, 1, {*bar}, with);
    env.settle();
    ASSERT_TRUE(without.image && with.image);
    EXPECT_EQ(with.image->width(), 3024);
    EXPECT_EQ(with.image->height(), 48);
    EXPECT_TRUE(recognise(*without.image).observations.empty());
    const auto result = recognise(*with.image);
    EXPECT_EQ(strings(result), (std::vector<std::string>{"Desktop 1", "Desktop 2", "Desktop 3"}));

    // The boxes map back onto the layout's caption rectangles (normalised, origin bottom left).
    const auto layout = sim::MissionControlLayout::bars(env.session, env.clock.uptime());
    const Rect caption = layout.front().buttons[1].caption;
    const Rect box = result.observations[1].boundingBox;
    EXPECT_NEAR(box.minX() * 1512, caption.minX(), 1e-9);
    EXPECT_NEAR((1 - box.maxY()) * 24, caption.minY(), 1e-9);
    EXPECT_NEAR(box.width() * 1512, caption.width(), 1e-9);

    // The capture requests are observed with their filter and configuration.
    ASSERT_EQ(env.session.capture.captures.size(), 2u);
    EXPECT_EQ(env.session.capture.captures[1].includedWindowIDs, std::vector<std::uint32_t>{bar->windowID});
    EXPECT_EQ(env.session.capture.captures[1].filter.pointPixelScale, 2.0f);
    EXPECT_EQ(env.session.capture.mostCapturesInFlight, 2);
    EXPECT_EQ(env.session.capture.capturesInFlight, 0);
}

TEST_F(CaptureSessionTest, ATileCuttingACaptionReadsOnlyItsWhollyVisibleCharacters) {
    auto content = listWindows(env);
    Shot shot;
    capture(env, *content, 1, {*spacesBar(*content, Rect(0, 0, 1512, 982))}, shot);
    env.settle();
    const auto layout = sim::MissionControlLayout::bars(env.session, env.clock.uptime());
    const Rect caption = layout.front().buttons[0].caption;
    // A tile that ends in the middle of "Desktop 1": the caption reads short, as far as the
    // characters that end left of the middle.
    const auto tile = shot.image->crop(Rect(0, 0, 2 * caption.midX(), 48));
    ASSERT_TRUE(tile);
    const auto result = recognise(*tile);
    ASSERT_EQ(result.observations.size(), 1u);
    std::size_t whole = 0;
    double end = 0;
    for (const auto& [character, advance] : sim::MissionControlLayout::captionCharacters("Desktop 1")) {
        end += advance;
        if (end > caption.width() / 2) break;
        ++whole;
    }
    ASSERT_GE(whole, 3u);
    const auto& text = *result.observations[0].candidates[0];
    EXPECT_EQ(text.string(), std::string("Desktop 1").substr(0, whole));
    EXPECT_TRUE(text.boundingBox(0, static_cast<int>(whole)));
    EXPECT_FALSE(text.boundingBox(2, 2));
    EXPECT_FALSE(text.boundingBox(0, 9));
    // The recognised tile is recorded where it lies in the screenshot.
    EXPECT_EQ(env.session.capture.recognitions.back().pixels, Rect(0, 0, tile->width(), 48));
}

// Caption text is measured once per title and kept; whatever was kept, and however many titles
// came and went, a caption measures as the text system measures it.
TEST(MissionControlLayoutTest, CaptionsMeasureAsTheTextSystemDoesAcrossManyTitles) {
    auto& metrics = platform::ui::systemFontMetrics();
    const auto font = platform::ui::Font::system(sim::MissionControlLayout::kCaptionFontSize);
    const auto expectMeasured = [&](const std::string& title) {
        const Size size = sim::MissionControlLayout::captionSize(title);
        EXPECT_EQ(size.width, metrics.lineWidth(title, font)) << title;
        EXPECT_EQ(size.height, metrics.defaultLineHeight(font)) << title;
        std::string joined;
        for (const auto& [character, advance] : sim::MissionControlLayout::captionCharacters(title)) joined += character;
        EXPECT_EQ(joined, title);
    };
    for (int round = 0; round < 2; ++round)
        for (int n = 1; n <= 2000; n += 3) expectMeasured("Desktop " + std::to_string(n));
    expectMeasured("Desktop 1");
    expectMeasured("D\u00E9sktop \u05E9\u05DC\u05D5\u05DD");
    expectMeasured("");
}

// The layout is kept between asks; any change of what it is made of, even one a test makes to the
// session's fields directly, shows in the next one.
TEST_F(CaptureSessionTest, TheLayoutFollowsEveryChangeOfTheSession) {
    const auto layout = [&] { return sim::MissionControlLayout::bars(env.session, env.clock.uptime()); };
    const auto titles = [](const sim::SimSpacesBar& bar) {
        std::vector<std::string> result;
        for (const auto& button : bar.buttons) result.push_back(button.title);
        return result;
    };
    ASSERT_EQ(layout().size(), 2u);
    EXPECT_EQ(titles(layout()[1]), (std::vector<std::string>{"Desktop 4", "Desktop 5", "Desktop 6", "Safari"}));

    env.session.displays[1].spaces[3].fullScreenTitle = "Mail";
    EXPECT_EQ(titles(layout()[1]).back(), "Mail");
    env.session.displays[1].spaces[3].type = 0;  // an ordinary desktop now: numbered after the others
    EXPECT_EQ(titles(layout()[1]).back(), "Desktop 7");
    std::swap(env.session.displays[0].spaces[0], env.session.displays[0].spaces[1]);
    EXPECT_EQ(layout()[0].buttons[0].spaceID, env.session.displays[0].spaces[0].id64);

    env.session.displays[0].bounds = Rect(0, 0, 1200, 800);
    EXPECT_EQ(layout()[0].display, Rect(0, 0, 1200, 800));
    env.session.spacesBarExpanded = true;
    EXPECT_EQ(layout()[0].bar.height(), sim::MissionControlLayout::kExpandedBarHeight);
    env.session.screenOrder = {2, 1};
    EXPECT_EQ(layout()[0].displayID, 2u);
    env.session.displays.pop_back();
    EXPECT_EQ(layout().size(), 1u);
    env.session.missionControlOpen = false;
    EXPECT_TRUE(layout().empty());
}

TEST_F(CaptureSessionTest, RecognitionFaultsMisreadJoinAndDoubt) {
    env.session.capture.recognition.misreads["Desktop 3"] = "Desktop 8";
    env.session.capture.recognition.joined.emplace_back("Desktop 1", "Desktop 2");
    env.session.capture.recognition.confidenceByText["Desktop 3"] = 0.5f;
    auto content = listWindows(env);
    Shot shot;
    capture(env, *content, 1, {*spacesBar(*content, Rect(0, 0, 1512, 982))}, shot);
    env.settle();
    const auto result = recognise(*shot.image);
    ASSERT_EQ(strings(result), (std::vector<std::string>{"Desktop 1 Desktop 2", "Desktop 8"}));
    EXPECT_EQ(result.observations[1].candidates[0]->confidence(), 0.5f);
    // The joined line still gives each caption its own box.
    const auto& joined = *result.observations[0].candidates[0];
    const Rect first = *joined.boundingBox(0, 9), second = *joined.boundingBox(10, 19);
    EXPECT_LT(first.maxX(), second.minX());

    env.session.capture.recognition.error = "The recognizer failed.";
    EXPECT_EQ(recognise(*shot.image).error, "The recognizer failed.");
}

TEST_F(CaptureSessionTest, APendingScreenshotFailsWhenItsDisplayOrMissionControlGoes) {
    env.session.capture.faults.screenshotLatency = 0.5;
    auto content = listWindows(env);
    Shot first, second;
    capture(env, *content, 1, {}, first);
    capture(env, *content, 2, {}, second);
    env.session.removeDisplay(1);
    env.advance(0.5);
    EXPECT_EQ(first.error, sim::SimScreenCapture::kDisplayGone);
    ASSERT_TRUE(second.image);

    Shot third;
    capture(env, *content, 2, {}, third);
    env.session.closeMissionControl();
    env.advance(0.5);
    EXPECT_EQ(third.error, sim::SimScreenCapture::kMissionControlClosed);
}

TEST_F(CaptureSessionTest, TheCaptureSectionsOfASessionFile) {
    TestEnvironment other;
    other.session.load(R"({"capture": {"screenshotLatency": 0.1, "screenshotLatencyByDisplay": {"2": null},
        "screenshotErrors": {"1": "Stream failed."}, "screenshotErrorOnRequest": {"3": "Timed out."},
        "extraSpacesBars": [1], "barsOutsideDisplays": [[5000, 0, 100, 24]],
        "decoys": [{"display": 1, "text": "Desktops 2", "x": 10}],
        "captionMotion": {"duration": 0.4, "offset": [0, 30]}},
      "recognition": {"latency": 0.02, "confidence": {"Desktop 2": 0.94}, "misreads": {"Desktop 3": "Desktop 8"},
        "joined": [["Desktop 1", "Desktop 2"]], "error": "Busy."}})");
    const auto& faults = other.session.capture.faults;
    EXPECT_EQ(faults.screenshotLatency, 0.1);
    EXPECT_EQ(faults.screenshotLatencyByDisplay.at(2), std::nullopt);
    EXPECT_EQ(faults.screenshotErrorByDisplay.at(1), "Stream failed.");
    EXPECT_EQ(faults.screenshotErrorByCall.at(3), "Timed out.");
    EXPECT_EQ(faults.extraSpacesBars, std::vector<std::uint32_t>{1});
    EXPECT_EQ(faults.barsOutsideDisplays.front(), Rect(5000, 0, 100, 24));
    EXPECT_EQ(faults.decoys.front().text, "Desktops 2");
    EXPECT_EQ(faults.captionMotionOffset, (Point{0, 30}));
    const auto& recognition = other.session.capture.recognition;
    EXPECT_EQ(recognition.latency, 0.02);
    EXPECT_EQ(recognition.confidenceByText.at("Desktop 2"), 0.94f);
    EXPECT_EQ(recognition.misreads.at("Desktop 3"), "Desktop 8");
    EXPECT_EQ(recognition.joined.size(), 1u);
    EXPECT_EQ(recognition.error, "Busy.");

    for (const char* bad : {R"({"capture": {"screenshotErrors": {"one": "x"}}})",
                            R"({"capture": {"listingLatency": -1}})", R"({"recognition": {"confidence": 2}})",
                            R"({"recognition": {"joined": [["Desktop 1"]]}})",
                            R"({"capture": {"decoys": [{"text": "x"}]}})"}) {
        TestEnvironment rejected;
        EXPECT_THROW(rejected.session.load(bad), Error) << bad;
    }
}

TEST_F(CaptureSessionTest, CaptionsGlideInRightAfterMissionControlOpens) {
    env.session.closeMissionControl();
    env.session.capture.faults.captionMotionDuration = 0.4;
    env.session.capture.faults.captionMotionOffset = Point{0, 20};
    env.session.openMissionControl();
    auto captionTop = [&] {
        return sim::MissionControlLayout::bars(env.session, env.clock.uptime()).front().buttons.front().caption.minY();
    };
    const double moving = captionTop();
    env.advance(0.2);
    const double halfway = captionTop();
    env.advance(0.2);
    const double still = captionTop();
    EXPECT_NEAR(moving - still, 20, 1e-9);
    EXPECT_NEAR(halfway - still, 10, 1e-9);
}

TEST_F(CaptureSessionTest, ScreenRecordingCanBeGrantedAndRevoked) {
    auto& system = *env.session.platform().system;
    env.session.revokeScreenRecording();
    EXPECT_FALSE(system.preflightScreenCaptureAccess());
    env.session.grantScreenRecording();
    EXPECT_TRUE(system.preflightScreenCaptureAccess());
}

}  // namespace
}  // namespace tarnwick
