#include <cmath>

#include <gtest/gtest.h>

#include "locator_fixture.h"
#include "scripted_text_recognition.h"
#include "overlays/label_bar_capture.h"
#include "overlays/frosted_label_view.h"
#include "platform/sim/capture/sim_screen_capture.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"

namespace tarnwick {
namespace {

using testkit::LocatorFixture;

using LabelLocatorTest = LocatorFixture;

TEST_F(LabelLocatorTest, EveryBarGetsItsDisplaysCaptionsAtTheirDrawnPlaces) {
    const Value result = locate();
    ASSERT_TRUE(result.find("bars")) << describe(result);
    EXPECT_EQ(*result.find("overlayEnabled"), Value(false));
    ASSERT_EQ(result.find("bars")->asArray()->size(), 2u);
    for (auto [display, id] : {std::pair{firstDisplay, 1u}, std::pair{secondDisplay, 2u}}) {
        const Value* bar = barOn(result, display);
        ASSERT_TRUE(bar);
        EXPECT_EQ(bar->asDictionary()->size(), 20u);
        EXPECT_EQ(*bar->find("usedFallback"), Value(false));
        EXPECT_EQ(*bar->find("capturePasses"), Value(1));
        const auto& labels = *bar->find("labels")->asArray();
        std::vector<sim::SimDesktopButton> desktops;
        for (const auto& button : buttons(id))
            if (button.title.rfind("Desktop ", 0) == 0) desktops.push_back(button);
        ASSERT_EQ(labels.size(), desktops.size());
        for (size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(*labels[i].find("text")->asString(), desktops[i].title);
            const Rect bounds = rectangle(*labels[i].find("boundsCG"));
            EXPECT_NEAR(bounds.minX(), desktops[i].caption.minX(), 1.0);
            EXPECT_NEAR(bounds.minY(), desktops[i].caption.minY(), 1.0);
            EXPECT_NEAR(bounds.width(), desktops[i].caption.width(), 1.0);
            EXPECT_NEAR(bounds.height(), desktops[i].caption.height(), 1.0);
            EXPECT_EQ(labels[i].find("confidence")->kind(), Value::Kind::singleFloating);
        }
        // The bar and the windows the screenshot may show.
        EXPECT_EQ(bar->find("frameCG")->find("x")->kind(), Value::Kind::floating);
        EXPECT_EQ(*bar->find("imagePixels")->find("height"), Value(48));
        EXPECT_EQ(*bar->find("filterScale"), Value(2.0f));
    }
    EXPECT_EQ(texts(*barOn(result, secondDisplay)), (std::vector<std::string>{"Desktop 4", "Desktop 5", "Desktop 6"}));
    // Screenshots at twice the bar's size, of exactly the WindowManager's and Dock's windows on it.
    for (const auto& capture : env.session.capture.captures) {
        EXPECT_EQ(capture.configuration.width, static_cast<std::int64_t>(2 * capture.configuration.sourceRect.width()));
        EXPECT_TRUE(capture.configuration.scalesToFit);
        EXPECT_FALSE(capture.configuration.showsCursor);
        EXPECT_TRUE(capture.configuration.ignoreShadowsSingleWindow);
        EXPECT_EQ(capture.includedWindowIDs.size(), 2u);  // the bar and the backdrop
    }
    EXPECT_NE(*result.find("bars")->asArray()->at(0).find("observationID"),
              *result.find("bars")->asArray()->at(1).find("observationID"));
}

TEST_F(LabelLocatorTest, TwoPassesPublishEveryPassWithAtMostTwoCapturesAndOneRecognitionAtOnce) {
    env.session.capture.faults.screenshotLatencyByDisplay[1] = 0.3;
    env.session.capture.faults.screenshotLatencyByDisplay[2] = 0.1;
    env.session.capture.recognition.latency = 0.01;
    const Value result = locate({.passes = 2});
    ASSERT_EQ(published->size(), 4u);
    std::map<double, std::vector<int>> passesByBar;
    for (const auto& pass : *published)
        passesByBar[*pass.metadata.at("frameCG").find("x")->toDouble()].push_back(
            static_cast<int>(*pass.metadata.at("confirmationPass").toInt64()));
    for (const auto& [bar, passes] : passesByBar) EXPECT_EQ(passes, (std::vector<int>{1, 2})) << bar;
    EXPECT_LE(env.session.capture.mostCapturesInFlight, 2);
    EXPECT_EQ(env.session.capture.mostRecognitionsInFlight, 1);
    // The faster display finishes first; the entry is its second pass.
    const auto& bars = *result.find("bars")->asArray();
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_TRUE(secondDisplay.contains(rectangle(*bars[0].find("frameCG"))));
    EXPECT_EQ(*bars[0].find("capturePasses"), Value(2));
    EXPECT_EQ(*bars[0].find("confirmationPasses"), Value(2));
    // Two captures of 0.3 s; the sums add up the bars.
    EXPECT_NEAR(*bars[1].find("captureSeconds")->toDouble(), 0.6, 1e-6);
    EXPECT_DOUBLE_EQ(*result.find("captureSeconds")->toDouble(),
                     *bars[0].find("captureSeconds")->toDouble() + *bars[1].find("captureSeconds")->toDouble());
    EXPECT_GT(*result.find("recognitionSeconds")->toDouble(), 0);
}

TEST_F(LabelLocatorTest, PassesAreClampedToOneOrTwo) {
    locate({.passes = 0});
    EXPECT_EQ(published->size(), 2u);
    published->clear();
    const Value result = locate({.passes = 7});
    EXPECT_EQ(published->size(), 4u);
    EXPECT_EQ(*result.find("bars")->asArray()->at(0).find("confirmationPasses"), Value(2));
}

TEST_F(LabelLocatorTest, WithoutScreenRecordingNothingIsListed) {
    env.session.revokeScreenRecording();
    const Value result = locate();
    EXPECT_EQ(*result.find("unsupported"), Value(LabelLocator::kPermissionRequired));
    EXPECT_EQ(result.asDictionary()->size(), 5u);
    EXPECT_EQ(*result.find("enumerationSeconds"), Value(0.0));
    EXPECT_EQ(env.session.capture.listings, 0);
}

TEST_F(LabelLocatorTest, AFailedListingIsUnsupportedWithThePlatformsText) {
    env.session.capture.faults.listingError = "The user declined TCCs for application.";
    const Value result = locate();
    EXPECT_EQ(*result.find("unsupported"), Value("The user declined TCCs for application."));
    EXPECT_EQ(*result.find("captureSeconds"), Value(0.0));
}

TEST_F(LabelLocatorTest, WhichBarsAreAdmitted) {
    env.session.closeMissionControl();
    Value result = locate();
    EXPECT_TRUE(result.find("bars")->asArray()->empty());
    EXPECT_EQ(*result.find("captureSeconds"), Value(0.0));
    env.session.openMissionControl();

    result = locate({.displays = std::vector<Rect>{}});
    EXPECT_TRUE(result.find("bars")->asArray()->empty());
    result = locate({.displays = std::vector<Rect>{secondDisplay}});
    ASSERT_EQ(result.find("bars")->asArray()->size(), 1u);
    EXPECT_TRUE(barOn(result, secondDisplay));
    result = locate({.display = firstDisplay, .displays = std::vector<Rect>{firstDisplay, secondDisplay}});
    ASSERT_EQ(result.find("bars")->asArray()->size(), 1u);
    EXPECT_TRUE(barOn(result, firstDisplay));
}

TEST_F(LabelLocatorTest, AFailureOnTheSecondPassKeepsOnlyTheFirstPassPublished) {
    env.session.capture.faults.screenshotErrorByCall[2] = "The stream stopped.";
    const Value result = locate({.display = firstDisplay, .passes = 2});
    const Value& bar = result.find("bars")->asArray()->at(0);
    EXPECT_EQ(*bar.find("error"), Value("The stream stopped."));
    EXPECT_EQ(*bar.find("capturePasses"), Value(1));
    EXPECT_EQ(*bar.find("confirmationPasses"), Value(2));
    EXPECT_FALSE(bar.find("labels"));
    EXPECT_EQ(bar.asDictionary()->size(), 11u);
    EXPECT_EQ(published->size(), 1u);
}

TEST_F(LabelLocatorTest, TwoBarsOnOneDisplayGiveOneEntryWithBothIds) {
    env.session.capture.faults.extraSpacesBars = {1};
    env.session.capture.faults.barsOutsideDisplays = {Rect(9000, 0, 100, 24)};
    const Value result = locate();
    const auto& bars = *result.find("bars")->asArray();
    ASSERT_EQ(bars.size(), 3u);
    const Value* ambiguous = nullptr;
    const Value* stray = nullptr;
    for (const auto& bar : bars) {
        if (bar.find("error") && *bar.find("error") == Value(LabelCaptureError::kAmbiguousBars)) ambiguous = &bar;
        if (bar.find("error") && *bar.find("error") == Value(LabelCaptureError::kMissingDisplay)) stray = &bar;
    }
    ASSERT_TRUE(ambiguous && stray);
    EXPECT_EQ(ambiguous->find("ambiguousWindowIDs")->asArray()->size(), 2u);
    EXPECT_EQ(*stray->find("capturePasses"), Value(0));
    EXPECT_EQ(texts(*barOn(result, secondDisplay)).size(), 3u);
}

TEST_F(LabelLocatorTest, ADisplayUnpluggedBeforeItsScreenshotFailsOnlyItsBar) {
    env.session.capture.faults.screenshotLatency = 0.5;
    auto handle = start();
    env.settle();  // listed; both screenshots requested
    env.session.removeDisplay(1);
    env.advance(1.0);
    ASSERT_TRUE(handle.isDone());
    const Value& result = *handle.result();
    const auto& bars = *result.find("bars")->asArray();
    ASSERT_EQ(bars.size(), 2u);
    int failed = 0;
    for (const auto& bar : bars)
        if (bar.find("error")) {
            EXPECT_EQ(*bar.find("error"), Value(sim::SimScreenCapture::kDisplayGone));
            ++failed;
        }
    EXPECT_EQ(failed, 1);
}

TEST_F(LabelLocatorTest, MisreadAndJoinedCaptionsAreReadAsTheRecogniserSaysWithPerCaptionBoxes) {
    env.session.capture.recognition.misreads["Desktop 3"] = "Desktop 8";
    env.session.capture.recognition.joined.emplace_back("Desktop 1", "Desktop 2");
    const Value result = locate({.display = firstDisplay});
    const Value& bar = result.find("bars")->asArray()->at(0);
    EXPECT_EQ(texts(bar), (std::vector<std::string>{"Desktop 1", "Desktop 2", "Desktop 8"}));
    const auto drawn = buttons(1);
    const auto& labels = *bar.find("labels")->asArray();
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(rectangle(*labels[i].find("boundsCG")).midX(), drawn[i].caption.midX(), 1.0) << i;
}

TEST_F(LabelLocatorTest, TooFewCaptionsInTheRegionsReadTheWholeBarAgain) {
    // Bands centred on each button's left edge cut the captions: the whole bar is read too.
    std::vector<Rect> bands;
    const auto drawn = buttons(1);
    const double pitch = drawn[1].frame.minX() - drawn[0].frame.minX();
    for (const auto& button : drawn) bands.push_back(Rect(button.frame.minX() - pitch / 2, 0, pitch, 982));
    Value result = locate({.display = firstDisplay, .regions = bands});
    const Value& cut = result.find("bars")->asArray()->at(0);
    EXPECT_EQ(*cut.find("usedFallback"), Value(true));
    EXPECT_EQ(texts(cut).size(), 3u);
    // Both reads count: the bands' cut captions and the whole bar's.
    EXPECT_GT(*cut.find("rawObservationCount")->toInt64(), 4);

    // Bands centred on the captions find them all at once.
    std::vector<Rect> centred;
    for (const auto& button : drawn) centred.push_back(Rect(button.frame.midX() - pitch / 2, 0, pitch, 982));
    result = locate({.display = firstDisplay, .regions = centred});
    const Value& whole = result.find("bars")->asArray()->at(0);
    EXPECT_EQ(*whole.find("usedFallback"), Value(false));
    EXPECT_EQ(texts(whole).size(), 3u);
    EXPECT_EQ(*whole.find("recognitionTiles"), Value(1));  // the bands touch: one crop
}

TEST_F(LabelLocatorTest, TheWholeBarsCaptionsReplaceTheRegionsOnlyWhenThereAreMoreAndTheTraceCountsTheReadUsed) {
    // Three regions of the first bar (pixels 200, 600 and 1000 of its screenshot) of which two
    // show a caption, and a whole-bar read of the first tile that finds `wholeCaptions` other
    // captions and a line that is none.
    int wholeCaptions = 2;
    testkit::ScriptedTextRecognition recogniser([&wholeCaptions](const Rect& tile) {
        using Line = testkit::ScriptedLine;
        const Rect middle(0.25, 0.25, 0.5, 0.5);
        if (tile.minX() == 200) return std::vector<Line>{{"Desktop 1", 1.0f, middle, {}}};
        if (tile.minX() == 600) return std::vector<Line>{{"Desktop 2", 1.0f, middle, {}}};
        if (tile.minX() != 0) return std::vector<Line>{};
        std::vector<Line> lines{{"Dock", 1.0f, Rect(0.9, 0.25, 0.02, 0.5), {}}};
        for (int i = 0; i < wholeCaptions; ++i)
            lines.push_back({"Desktop " + std::to_string(7 + i), 1.0f, Rect((100 + 200 * i) / 2048.0, 0.25, 0.03, 0.5), {}});
        return lines;
    });
    env.session.platform().textRecognition = &recogniser;
    const std::vector<Rect> regions{Rect(100, 0, 100, 982), Rect(300, 0, 100, 982), Rect(500, 0, 100, 982)};

    // As many captions as the regions gave: the regions' stay, and so do their counts in the trace.
    testing::internal::CaptureStderr();
    Value result = locate({.display = firstDisplay, .regions = regions, .debug = true});
    std::string traced = testing::internal::GetCapturedStderr();
    const Value* bar = &result.find("bars")->asArray()->at(0);
    EXPECT_EQ(texts(*bar), (std::vector<std::string>{"Desktop 1", "Desktop 2"}));
    EXPECT_EQ(*bar->find("usedFallback"), Value(true));
    EXPECT_EQ(*bar->find("rawObservationCount"), Value(2 + 3));  // both reads count here
    EXPECT_EQ(*bar->find("recognitionTiles"), Value(3 + 2));
    EXPECT_NE(traced.find("Recognized 2 observations in 3 crops\n"), std::string::npos) << traced;

    // More captions on the whole bar: its captions and its counts.
    wholeCaptions = 3;
    testing::internal::CaptureStderr();
    result = locate({.display = firstDisplay, .regions = regions, .debug = true});
    traced = testing::internal::GetCapturedStderr();
    bar = &result.find("bars")->asArray()->at(0);
    EXPECT_EQ(texts(*bar), (std::vector<std::string>{"Desktop 7", "Desktop 8", "Desktop 9"}));
    EXPECT_NE(traced.find("Recognized 4 observations in 2 crops\n"), std::string::npos) << traced;
}

TEST_F(LabelLocatorTest, DebugModeTracesAtOnceAndAddsTheComparisons) {
    testing::internal::CaptureStderr();
    Value result = locate({.display = firstDisplay});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(result.find("bars")->asArray()->at(0).find("wholeImageComparison"));

    testing::internal::CaptureStderr();
    result = locate({.display = firstDisplay, .debug = true});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Checking screen access\nShareable content received: 9 windows\nCaptured bar 900000: 3024x48\n"
              "Recognized 4 observations in 2 crops\n");
    const Value& bar = result.find("bars")->asArray()->at(0);
    EXPECT_FALSE(bar.find("unmergedComparison"));
    ASSERT_TRUE(bar.find("wholeImageComparison"));
    EXPECT_FALSE(bar.find("wholeImageComparison")->find("seconds"));
    EXPECT_EQ(bar.find("wholeImageComparison")->find("labels")->asArray()->size(), 3u);

    testing::internal::CaptureStderr();
    result = locate({.display = firstDisplay, .regions = std::vector<Rect>{firstDisplay}, .debug = true});
    testing::internal::GetCapturedStderr();
    const Value& compared = result.find("bars")->asArray()->at(0);
    EXPECT_TRUE(compared.find("unmergedComparison")->find("seconds"));
    EXPECT_TRUE(compared.find("unfocusedComparison")->find("seconds"));
    EXPECT_EQ(compared.asDictionary()->size(), 23u);
}

TEST_F(LabelLocatorTest, CancellingWhileBarsAreWorkedOnIsUnsupportedAndKeepsWhatWasDelivered) {
    env.session.capture.faults.screenshotLatencyByDisplay[2] = 5.0;
    auto handle = start({.passes = 1});
    env.advance(0.5);
    EXPECT_EQ(published->size(), 1u);  // the first display's bar
    handle.cancel();
    env.advance(5.0);
    ASSERT_TRUE(handle.isDone());
    const Value& result = *handle.result();
    EXPECT_EQ(*result.find("unsupported"), Value(CancellationError().what()));
    EXPECT_EQ(published->size(), 1u);
}

TEST_F(LabelLocatorTest, AScreenshotThatNeverCompletesFailsItsBarAfterOneSecond) {
    env.session.capture.faults.screenshotLatencyByDisplay[2] = std::nullopt;
    auto handle = start();
    env.advance(0.99);
    EXPECT_FALSE(handle.isDone());
    EXPECT_EQ(published->size(), 1u);  // the other bar is complete
    env.advance(0.01);
    ASSERT_TRUE(handle.isDone());
    const Value* stuck = barOn(*handle.result(), secondDisplay);
    ASSERT_TRUE(stuck);
    EXPECT_EQ(*stuck->find("error"), Value(kLabelBarCaptureTimedOut));
    EXPECT_NEAR(*stuck->find("captureSeconds")->toDouble(), 1.0, 1e-9);
    EXPECT_EQ(texts(*barOn(*handle.result(), firstDisplay)).size(), 3u);
}

TEST_F(LabelLocatorTest, AScreenshotArrivingAfterItsBoundIsIgnored) {
    env.session.capture.faults.screenshotLatency = 1.5;
    auto handle = start({.display = firstDisplay});
    env.advance(1.0);
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(*handle.result()->find("bars")->asArray()->at(0).find("error"), Value(kLabelBarCaptureTimedOut));
    env.advance(1.0);  // the late screenshot resumes nothing
    EXPECT_TRUE(published->empty());
}

TEST_F(LabelLocatorTest, AListingThatNeverCompletesIsUnsupportedAfterOneSecond) {
    env.session.capture.faults.listingLatency = std::nullopt;
    auto handle = start();
    env.advance(0.5);
    EXPECT_FALSE(handle.isDone());
    env.advance(0.5);
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(*handle.result()->find("unsupported"), Value(LabelLocator::kListingTimedOut));
    EXPECT_NEAR(*handle.result()->find("totalSeconds")->toDouble(), 1.0, 1e-9);
}

TEST_F(LabelLocatorTest, CancellingWhileTheWindowsAreListedEndsAtOnce) {
    env.session.capture.faults.listingLatency = 0.5;
    auto handle = start();
    env.advance(0.1);
    handle.cancel();
    env.settle();
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(*handle.result()->find("unsupported"), Value(CancellationError().what()));
    env.advance(1.0);
    EXPECT_TRUE(env.session.capture.captures.empty());
}

TEST_F(LabelLocatorTest, OurLabelPanelsOverTheCaptionsDoNotChangeWhatIsRead) {
    const Value before = locate();
    // A name label at level 1000 over every caption, as the overlay places them.
    std::vector<std::unique_ptr<platform::ui::Panel>> panels;
    const double primaryTop = firstDisplay.height();
    for (std::uint32_t id : {1u, 2u})
        for (const auto& button : buttons(id)) {
            auto panel = std::make_unique<platform::ui::Panel>(Rect(0, 0, 1, 1), 128);
            panel->setLevel(platform::ui::window_level::kMissionControl);
            const Rect& c = button.caption;
            panel->setFrame(Rect(c.minX() - 10, primaryTop - c.maxY() - 4, c.width() + 20, c.height() + 8), true);
            auto label = std::make_shared<FrostedLabelView>(Rect(0, 0, c.width() + 20, c.height() + 8));
            label->configure("Work " + button.title, 12, 1, 0);
            panel->setContentView(label);
            panel->orderFrontRegardless();
            panels.push_back(std::move(panel));
        }
    const Value after = locate();
    for (const Rect& display : {firstDisplay, secondDisplay}) {
        EXPECT_EQ(texts(*barOn(after, display)), texts(*barOn(before, display)));
        EXPECT_EQ(*barOn(after, display)->find("labels"), *barOn(before, display)->find("labels"));
        EXPECT_EQ(*barOn(after, display)->find("includedWindowIDs"), *barOn(before, display)->find("includedWindowIDs"));
    }
    // The panels are on screen, just never in a capture.
    std::size_t listed = 0;
    for (const auto& panel : panels)
        for (const auto& capture : env.session.capture.captures)
            listed += std::count(capture.includedWindowIDs.begin(), capture.includedWindowIDs.end(),
                                 panel->windowNumber());
    EXPECT_EQ(listed, 0u);
    EXPECT_EQ(env.session.windowSystem().onScreenPanels().size(), panels.size());
}

TEST(LabelBarResultTest, FrameNumbersReadBackAsDoubles) {
    LabelBarResult result(Dictionary{{"frameCG", Value(Dictionary{{"x", 1}, {"y", 2.5f}, {"width", 3u}, {"height", 4.0}})}});
    for (const auto& [key, value] : *result.metadata.at("frameCG").asDictionary())
        EXPECT_EQ(value.kind(), Value::Kind::floating) << key;
    EXPECT_EQ(*result.metadata.at("frameCG").find("y"), Value(2.5));
}

TEST(LabelBarCaptureTest, PixelSizesNeverComeFromUnusableNumbers) {
    EXPECT_EQ(doubledPixels(24), 48);
    EXPECT_EQ(doubledPixels(10.7), 21);
    EXPECT_EQ(doubledPixels(1000.75), 2001);  // truncated, never rounded up
    EXPECT_EQ(doubledPixels(0.2), 1);
    EXPECT_EQ(doubledPixels(std::nan("")), 1);
    EXPECT_EQ(doubledPixels(-5), 1);
    EXPECT_EQ(doubledPixels(1e300), 1 << 20);
}

}  // namespace
}  // namespace tarnwick
