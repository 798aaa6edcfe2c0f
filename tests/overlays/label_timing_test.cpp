#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "overlays/label_entrance.h"
#include "overlays/label_refresh_schedule.h"

namespace tarnwick {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
using Action = LabelEntrance::Action;

TEST(LabelRefreshScheduleTest, AFreshScheduleHasEverythingDueButOnlyAtFiniteTimes) {
    LabelRefreshSchedule schedule;
    EXPECT_TRUE(schedule.geometryIsDue(-1e9));
    EXPECT_TRUE(schedule.recognitionIsDue(0));
    EXPECT_FALSE(schedule.geometryIsDue(std::nan("")));
    EXPECT_FALSE(schedule.recognitionIsDue(kInfinity));
    EXPECT_EQ(schedule.pollingInterval(), 0.15);
    EXPECT_EQ(LabelRefreshSchedule(true).pollingInterval(), 0.05);
}

TEST(LabelRefreshScheduleTest, SettingTheSameVisibilityChangesNothing) {
    LabelRefreshSchedule schedule(true);
    schedule.didReadGeometry(10);
    schedule.recognitionFinished(10, 0, 0);
    schedule.nextRecognition = 12;
    EXPECT_FALSE(schedule.setVisible(true, 11));
    EXPECT_EQ(schedule.nextGeometry, 10.1);
    EXPECT_EQ(schedule.nextRecognition, 12);

    schedule.settledPasses = 2;
    EXPECT_TRUE(schedule.setVisible(false, 11));
    EXPECT_EQ(schedule.nextGeometry, -kInfinity);
    EXPECT_EQ(schedule.nextRecognition, 11);
    EXPECT_EQ(schedule.settledPasses, 0);
}

TEST(LabelRefreshScheduleTest, RecognitionSlowsDownOnlyFromTheSecondFullyConfirmedPass) {
    LabelRefreshSchedule schedule(true);
    schedule.recognitionFinished(1.0, 3, 3);
    EXPECT_EQ(schedule.nextRecognition, 1.0);
    EXPECT_EQ(schedule.settledPasses, 1);
    schedule.recognitionFinished(2.0, 3, 3);
    EXPECT_EQ(schedule.nextRecognition, 2.45);
    EXPECT_EQ(schedule.settledPasses, 2);
    schedule.recognitionFinished(3.0, 3, 3);
    EXPECT_EQ(schedule.nextRecognition, 3.45);
    EXPECT_EQ(schedule.settledPasses, 2);

    // Falling short, or expecting nothing, starts over at once.
    schedule.recognitionFinished(4.0, 2, 3);
    EXPECT_EQ(schedule.settledPasses, 0);
    EXPECT_EQ(schedule.nextRecognition, 4.0);
    schedule.settledPasses = 2;
    schedule.recognitionFinished(5.0, 0, 0);
    EXPECT_EQ(schedule.settledPasses, 0);
    EXPECT_EQ(schedule.nextRecognition, 5.0);

    schedule.settledPasses = 2;
    schedule.geometryChanged(6.0);
    EXPECT_EQ(schedule.settledPasses, 0);
    EXPECT_TRUE(schedule.recognitionIsDue(6.0));
}

// Times are chosen so that 0.125 - 0.05 is exactly 0.075 in doubles (2.075 - 2.0 is not: it
// lies above 0.075 and would let a strict comparison pass).
TEST(LabelEntranceTest, ALabelAppearsOnlyAfterItsCaptionHeldStill) {
    ASSERT_EQ(0.125 - 0.05, LabelEntrance::settleDuration);
    LabelEntrance entrance;
    const Rect frame(100, 10, 80, 16);
    EXPECT_EQ(entrance.observe(frame, 0.05), Action::wait());
    // Centre 1.5 points off: still the same caption, not yet still for long enough.
    EXPECT_EQ(entrance.observe(Rect(101, 10, 81, 16), 0.12), Action::wait());
    EXPECT_EQ(entrance.candidateSince, 0.05);
    // Sizes 3 points off, measured against the first frame seen; held still exactly the settle
    // time counts as settled.
    const Rect settled(99, 11.5, 83, 13);
    EXPECT_EQ(entrance.observe(settled, 0.125), Action::begin(settled));
    EXPECT_TRUE(entrance.isSettled());
    EXPECT_FALSE(entrance.candidate);
    // While it matches, the label stays where it appeared.
    EXPECT_EQ(entrance.observe(Rect(99.5, 11, 82, 15), 3.0), Action::keep(settled));
}

TEST(LabelEntranceTest, AMovedCaptionHidesTheLabelAndMustHoldStillAgain) {
    LabelEntrance entrance;
    const Rect frame(100, 10, 80, 16);
    entrance.observe(frame, 2.0);
    ASSERT_EQ(entrance.observe(frame, 2.125), Action::begin(frame));
    const Rect moved(102, 10, 80, 16);
    EXPECT_EQ(entrance.observe(moved, 4.0), Action::hide());
    EXPECT_EQ(entrance.candidate, moved);
    EXPECT_EQ(entrance.observe(moved, 4.0625), Action::wait());
    EXPECT_EQ(entrance.observe(moved, 4.125), Action::begin(moved));
}

TEST(LabelEntranceTest, InvalidFramesHideAVisibleLabelAndOtherwiseWait) {
    LabelEntrance entrance;
    const Rect frame(100, 10, 80, 16);
    entrance.observe(frame, 2.0);
    entrance.observe(frame, 2.125);
    EXPECT_EQ(entrance.observe(Rect(100, 10, 0, 16), 3.0), Action::hide());
    EXPECT_FALSE(entrance.candidate);
    EXPECT_EQ(entrance.observe(Rect(100, 10, 0, 16), 3.0), Action::wait());
    EXPECT_EQ(entrance.observe(frame, std::nan("")), Action::wait());
    EXPECT_EQ(entrance.observe(Rect(std::nan(""), 10, 80, 16), 3.0), Action::wait());
}

TEST(LabelEntranceTest, ACandidateSeenEarlierThanItsStartBeginsAgain) {
    LabelEntrance entrance;
    const Rect frame(100, 10, 80, 16);
    entrance.observe(frame, 5.0);
    EXPECT_EQ(entrance.observe(frame, 4.0), Action::wait());
    EXPECT_EQ(entrance.candidateSince, 4.0);
}

}  // namespace
}  // namespace tarnwick
