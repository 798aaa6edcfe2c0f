#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "applications/application_focus_verification.h"

namespace tarnwick {
namespace {

using Method = ApplicationFocusVerification::Method;

ApplicationWindowObservation observation(std::uint32_t id, std::int32_t pid = 100, Rect bounds = Rect(10, 10, 300, 200)) {
    return ApplicationWindowObservation{id, pid, 0, 1.0, bounds, true};
}

const Rect kDisplay(0, 0, 1512, 982);

TEST(ApplicationFocusVerificationTest, FrontWindowIsTheFirstQualifyingWindowOfTheSpace) {
    auto hidden = observation(1);
    hidden.onScreen = false;
    auto transparent = observation(2);
    transparent.alpha = 0;
    auto overlay = observation(3);
    overlay.layer = 25;
    auto unowned = observation(4, 0);
    auto otherSpace = observation(5);
    auto offDisplay = observation(6, 100, Rect(1600, 0, 400, 300));
    auto touching = observation(7, 100, Rect(1512, 0, 400, 300));
    auto flat = observation(8, 100, Rect(0, 0, 300, 0));
    auto nanAlpha = observation(9);
    nanAlpha.alpha = std::nan("");
    const std::vector<ApplicationWindowObservation> list{hidden, transparent, overlay,  unowned,       otherSpace,
                                                         offDisplay, touching, flat, nanAlpha, observation(11),
                                                         observation(12)};
    const std::set<std::uint32_t> space{1, 2, 3, 4, 6, 7, 8, 9, 11, 12};
    EXPECT_EQ(ApplicationFocusVerification::frontWindow(list, space, kDisplay), 11u);
    // A window fully outside the display is never the front window.
    EXPECT_EQ(ApplicationFocusVerification::frontWindow({offDisplay}, {6}, kDisplay), std::nullopt);
    // Partly on the display is enough.
    EXPECT_EQ(ApplicationFocusVerification::frontWindow({observation(13, 100, Rect(-100, -100, 150, 150))}, {13}, kDisplay),
              13u);
}

TEST(ApplicationFocusVerificationTest, UnusableDisplayBoundsGiveNoFrontWindow) {
    const double inf = std::numeric_limits<double>::infinity();
    for (const Rect& bounds : {Rect(0, 0, 0, 982), Rect(inf, 0, 1512, 982), Rect(0, 0, 1512, inf), Rect(0, 0, -1, 982)})
        EXPECT_EQ(ApplicationFocusVerification::frontWindow({observation(1)}, {1}, bounds), std::nullopt);
}

TEST(ApplicationFocusVerificationTest, ConfirmationNeedsTheCurrentSpaceAndTheOwnerInFront) {
    const SpaceApplicationFocusTarget target{21, 100, 3, "D", "M"};
    EXPECT_EQ(ApplicationFocusVerification::method(target, true, 100, 21u, std::nullopt), Method::accessibility);
    EXPECT_EQ(ApplicationFocusVerification::method(target, false, 100, 21u, std::nullopt), std::nullopt);
    EXPECT_EQ(ApplicationFocusVerification::method(target, true, 101, 21u, std::nullopt), std::nullopt);
    EXPECT_EQ(ApplicationFocusVerification::method(target, true, std::nullopt, 21u, std::nullopt), std::nullopt);
    // A focused window that is not the target decides: the window list is not consulted.
    EXPECT_EQ(ApplicationFocusVerification::method(target, true, 100, 22u, 21u), std::nullopt);
    EXPECT_EQ(ApplicationFocusVerification::method(target, true, 100, std::nullopt, 21u), Method::windowServer);
    EXPECT_EQ(ApplicationFocusVerification::method(target, true, 100, std::nullopt, 22u), std::nullopt);
    EXPECT_EQ(ApplicationFocusVerification::method(target, true, 100, std::nullopt, std::nullopt), std::nullopt);
    const SpaceApplicationFocusTarget noWindow{0, 100, 3, "D", "M"};
    EXPECT_EQ(ApplicationFocusVerification::method(noWindow, true, 100, 0u, std::nullopt), std::nullopt);
    const SpaceApplicationFocusTarget noOwner{21, 0, 3, "D", "M"};
    EXPECT_EQ(ApplicationFocusVerification::method(noOwner, true, 0, 21u, std::nullopt), std::nullopt);
    EXPECT_EQ(ApplicationFocusVerification::rawValue(Method::accessibility), "accessibility");
    EXPECT_EQ(ApplicationFocusVerification::rawValue(Method::windowServer), "window-server");
}

TEST(ApplicationFocusVerificationTest, WindowListEntriesNeedEveryKeyButOnScreen) {
    Dictionary entry;
    entry["kCGWindowNumber"] = 5;
    entry["kCGWindowOwnerPID"] = 100;
    entry["kCGWindowLayer"] = 0;
    entry["kCGWindowAlpha"] = 1;
    Dictionary bounds;
    bounds["X"] = 1;
    bounds["Y"] = 2;
    bounds["Width"] = 3;
    bounds["Height"] = 4;
    entry["kCGWindowBounds"] = bounds;
    auto parsed = ApplicationWindowObservation::from(Value(entry));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, (ApplicationWindowObservation{5, 100, 0, 1.0, Rect(1, 2, 3, 4), false}));
    entry["kCGWindowIsOnscreen"] = true;
    EXPECT_TRUE(ApplicationWindowObservation::from(Value(entry))->onScreen);

    for (const char* key : {"kCGWindowNumber", "kCGWindowOwnerPID", "kCGWindowLayer", "kCGWindowAlpha", "kCGWindowBounds"}) {
        Dictionary missing = entry;
        missing.erase(key);
        EXPECT_FALSE(ApplicationWindowObservation::from(Value(missing))) << key;
    }
    Dictionary badBounds = entry;
    badBounds["kCGWindowBounds"] = Dictionary{{"X", Value(1)}};
    EXPECT_FALSE(ApplicationWindowObservation::from(Value(badBounds)));
    Dictionary fractionalLayer = entry;
    fractionalLayer["kCGWindowLayer"] = 0.5;
    EXPECT_FALSE(ApplicationWindowObservation::from(Value(fractionalLayer)));
    EXPECT_FALSE(ApplicationWindowObservation::from(Value(Array{})));
}

}  // namespace
}  // namespace tarnwick
