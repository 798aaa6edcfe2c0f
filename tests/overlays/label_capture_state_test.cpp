#include <limits>

#include <gtest/gtest.h>

#include "overlays/label_capture_lease.h"
#include "overlays/label_capture_state.h"

namespace tarnwick {
namespace {

std::map<std::string, LabelCaptureState::Display> twoDisplays() {
    return {{"D1", {"sig-1", {"A", "B"}}}, {"D2", {"sig-2", {"C"}}}};
}

TEST(LabelCaptureStateTest, ARequestBeginsOnlyOnceThePreviousFlightDrained) {
    LabelCaptureState state;
    auto first = state.begin(twoDisplays(), 3, 10.0);
    ASSERT_TRUE(first);
    EXPECT_EQ(state.flightID, first);
    EXPECT_EQ(state.pendingDisplays, (std::set<std::string>{"D1", "D2"}));
    EXPECT_EQ(state.pendingDesktopIDs(), (std::set<std::string>{"A", "B", "C"}));

    EXPECT_FALSE(state.begin({}, 1, 11.0));
    EXPECT_EQ(state.requestID, first);
    EXPECT_EQ(state.startedAt, 10.0);

    // Cancelled while running: results are refused, but no new request until the task drained.
    state.cancel();
    EXPECT_EQ(state.flightID, first);
    EXPECT_FALSE(state.requestID);
    EXPECT_FALSE(state.isCurrent(*first));
    EXPECT_FALSE(state.begin(twoDisplays(), 3, 12.0));
    state.drained("another");
    EXPECT_TRUE(state.flightID);
    state.drained(*first);
    EXPECT_FALSE(state.flightID);
    auto second = state.begin({}, 0, 13.0);
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
    EXPECT_TRUE(state.pendingDisplays.empty());
    EXPECT_TRUE(state.pendingDesktopIDs().empty());
}

TEST(LabelCaptureStateTest, AFinishedRequestStaysCurrentUntilTheNextBegins) {
    LabelCaptureState state;
    auto request = *state.begin(twoDisplays(), 3, 10.0);
    state.drained(request);
    EXPECT_TRUE(state.isCurrent(request));
    EXPECT_TRUE(state.admit(request, "D1", "sig-1", "obs", 10.5, 11.0));
    state.cancel();
    EXPECT_FALSE(state.requestID);
    EXPECT_FALSE(state.flightID);
}

TEST(LabelCaptureStateTest, AdmissionChecksRequestSignatureAgeAndRepeats) {
    LabelCaptureState state;
    auto request = *state.begin(twoDisplays(), 3, 10.0);
    EXPECT_FALSE(state.admit("other", "D1", "sig-1", "o1", 10.5, 11.0));
    EXPECT_FALSE(state.admit(request, "D3", "sig-1", "o1", 10.5, 11.0));
    EXPECT_FALSE(state.admit(request, "D1", "sig-2", "o1", 10.5, 11.0));
    EXPECT_FALSE(state.admit(request, "D1", "sig-1", "o1", 9.5, 11.0));
    EXPECT_FALSE(state.admit(request, "D1", "sig-1", "o1", 11.5, 11.0));
    EXPECT_FALSE(state.admit(request, "D1", "sig-1", "o1", 10.5, 13.0));
    EXPECT_FALSE(state.admit(request, "D1", "sig-1", "o1", std::numeric_limits<double>::quiet_NaN(), 11.0));
    EXPECT_TRUE(state.observations.empty());
    EXPECT_TRUE(state.admit(request, "D1", "sig-1", "o1", 10.0, 12.0));  // exactly 2 s old
    EXPECT_FALSE(state.admit(request, "D2", "sig-2", "o1", 10.5, 11.0));  // taken before
    EXPECT_TRUE(state.admit(request, "D2", "sig-2", "o2", 10.5, 11.0));
}

TEST(LabelCaptureStateTest, ConfirmationsBelongToTheRequestsDisplays) {
    LabelCaptureState state;
    auto request = *state.begin(twoDisplays(), 3, 10.0);
    state.confirm("A");
    state.confirm("C");
    state.confirm("Z");
    EXPECT_EQ(state.confirmedDesktopIDs, (std::set<std::string>{"A", "C"}));
    state.discardConfirmation("D1");
    state.discardConfirmation("D9");
    EXPECT_EQ(state.confirmedDesktopIDs, (std::set<std::string>{"C"}));

    state.finished("D1", "stale");
    EXPECT_EQ(state.pendingDisplays.size(), 2u);
    state.finished("D1", request);
    EXPECT_EQ(state.pendingDisplays, (std::set<std::string>{"D2"}));
    EXPECT_EQ(state.pendingDesktopIDs(), (std::set<std::string>{"C"}));

    state.cancel();
    state.finished("D2", request);
    EXPECT_TRUE(state.pendingDisplays.empty());
    EXPECT_FALSE(state.admit(request, "D2", "sig-2", "o3", 10.5, 11.0));
}

TEST(LabelCaptureLeaseTest, HoldsForTwoSecondsIncludedAndNeverBackwards) {
    EXPECT_TRUE(LabelCaptureLease{10}.isValid(12));
    EXPECT_TRUE(LabelCaptureLease{10}.isValid(10));
    EXPECT_FALSE(LabelCaptureLease{10}.isValid(12.5));
    EXPECT_FALSE(LabelCaptureLease{10}.isValid(9.99));
    EXPECT_FALSE(LabelCaptureLease{std::numeric_limits<double>::infinity()}.isValid(10));
    EXPECT_FALSE(LabelCaptureLease{10}.isValid(std::numeric_limits<double>::quiet_NaN()));
}

}  // namespace
}  // namespace tarnwick
