// What the application delegate reads of the login session and the user's answers: the session
// dictionary through the user's switches, the permission prompts, the shareable-content
// listing's answer, and status items the system gives no button.

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/sim/capture/sim_screen_capture.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/ui/status_item.h"
#include "support/error.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace names = platform::notification_names;
using testkit::TestEnvironment;

class LoginSessionTest : public ::testing::Test {
protected:
    LoginSessionTest() { env.session.loadDefaultSession(); }

    std::optional<Value> dictionary() { return env.session.platform().windowServer->copySessionDictionary(); }
    std::optional<bool> onConsole() {
        auto d = dictionary();
        const Value* v = d ? d->find("kCGSSessionOnConsoleKey") : nullptr;
        return v ? v->asBool() : std::nullopt;
    }
    // Counts the notifications of a name on a centre from now on.
    std::shared_ptr<int> count(platform::NotificationCenter& centre, const char* name) {
        auto seen = std::make_shared<int>(0);
        subscriptions.push_back(centre.addObserver(name, [seen](const platform::Notification&) { ++*seen; }));
        return seen;
    }

    TestEnvironment env;
    std::vector<Subscription> subscriptions;
};

TEST_F(LoginSessionTest, SwitchingUsersMovesTheConsoleKeyAndPostsOncePerChange) {
    auto& workspace = *env.session.platform().workspaceNotificationCenter;
    auto resigned = count(workspace, names::kSessionDidResignActive);
    auto became = count(workspace, names::kSessionDidBecomeActive);
    EXPECT_EQ(onConsole(), true);
    env.session.switchUserAway();
    env.session.switchUserAway();
    EXPECT_EQ(onConsole(), false);
    env.settle();
    EXPECT_EQ(*resigned, 1);
    env.session.switchUserBack();
    env.settle();
    EXPECT_EQ(onConsole(), true);
    EXPECT_EQ(*became, 1);
    // The rest of the dictionary stays: login done, this user, and the lock key while locked.
    env.session.lockScreen();
    const auto d = dictionary();
    ASSERT_TRUE(d);
    EXPECT_EQ(*d->find("kCGSessionLoginDoneKey"), Value(true));
    EXPECT_EQ(d->find("kCGSSessionUserIDKey")->toUInt32(), env.session.system().uid);
    EXPECT_EQ(*d->find("CGSSessionScreenIsLocked"), Value(true));
}

TEST_F(LoginSessionTest, ScreensSleepAndWakeWithTheirOwnNotifications) {
    auto& workspace = *env.session.platform().workspaceNotificationCenter;
    auto slept = count(workspace, names::kScreensDidSleep);
    auto woke = count(workspace, names::kScreensDidWake);
    auto machine = count(workspace, names::kWillSleep);
    env.session.sleepScreens();
    env.session.sleepScreens();
    env.session.wakeScreens();
    env.settle();
    EXPECT_EQ(*slept, 1);
    EXPECT_EQ(*woke, 1);
    EXPECT_EQ(*machine, 0);
}

TEST_F(LoginSessionTest, TheSessionFileMaySetAnOddDictionaryOrNone) {
    env.session.load(R"({"session": {"dictionary": {"kCGSSessionOnConsoleKey": 1, "kCGSSessionUserIDKey": -1}}})");
    auto d = dictionary();
    ASSERT_TRUE(d);
    EXPECT_EQ(*d->find("kCGSSessionOnConsoleKey"), Value(1));
    EXPECT_EQ(d->find("kCGSessionLoginDoneKey"), nullptr);
    env.session.load(R"({"session": {"dictionary": [true]}})");
    EXPECT_FALSE(dictionary()->asDictionary());
    env.session.load(R"({"session": {"present": false}})");
    EXPECT_FALSE(dictionary());
}

TEST_F(LoginSessionTest, PermissionPromptsAreCountedAndAnsweredAsTheSessionSays) {
    env.session.load(R"({"system": {"accessibilityTrusted": false, "screenCaptureAllowed": false,
                                    "grantAccessibilityOnPrompt": true, "grantScreenCaptureOnRequest": false}})");
    auto& platform = env.session.platform();
    EXPECT_FALSE(platform.accessibility->isProcessTrustedWithPrompt(false));
    EXPECT_EQ(env.session.accessibilityPrompts, 0);
    EXPECT_TRUE(platform.accessibility->isProcessTrustedWithPrompt(true));
    EXPECT_EQ(env.session.accessibilityPrompts, 1);
    EXPECT_FALSE(platform.system->requestScreenCaptureAccess());
    EXPECT_EQ(env.session.system().screenCaptureRequests, 1);
    EXPECT_THROW(env.session.load(R"({"system": {"grantScreenCaptureOnRequest": "yes"}})"), Error);
}

// The listing answers once, after the session's delay: content, or the system's sentence.
struct ListingAnswer {
    int calls = 0;
    double at = 0;
    bool content = false;
    std::optional<std::string> error;
};

TEST_F(LoginSessionTest, TheShareableContentListingAnswersAfterTheDelayWithContentOrTheReason) {
    auto listing = [this] {
        auto answer = std::make_shared<ListingAnswer>();
        env.session.platform().screenCapture->getShareableContent(
            false, true, [this, answer](auto content, auto error) {
                ++answer->calls;
                answer->at = env.loop.uptime();
                answer->content = content.has_value();
                answer->error = error;
            });
        return answer;
    };
    env.session.load(R"({"capture": {"listingLatency": 0.75}})");
    const double start = env.loop.uptime();
    auto allowed = listing();
    env.advance(0.7);
    EXPECT_EQ(allowed->calls, 0);
    env.advance(0.1);
    EXPECT_EQ(allowed->calls, 1);
    EXPECT_DOUBLE_EQ(allowed->at - start, 0.75);
    EXPECT_TRUE(allowed->content);
    EXPECT_FALSE(allowed->error);

    // Without Screen Recording the system refuses, after the same delay.
    env.session.revokeScreenRecording();
    auto denied = listing();
    env.advance(1.0);
    EXPECT_EQ(denied->calls, 1);
    EXPECT_FALSE(denied->content);
    EXPECT_EQ(denied->error, sim::SimScreenCapture::kScreenRecordingDeclined);
    // The session's own failure wins over the refusal.
    env.session.load(R"({"capture": {"listingError": "The operation could not be completed"}})");
    auto failed = listing();
    env.advance(1.0);
    EXPECT_EQ(failed->error, "The operation could not be completed");
}

TEST_F(LoginSessionTest, StatusItemsComeWithoutAButtonWhenTheSessionSaysSo) {
    platform::ui::StatusItem with(30);
    ASSERT_TRUE(with.button());
    with.button()->symbolName = "tag";
    with.button()->accessibilityDescription = "Tarnwick";
    EXPECT_EQ(with.window().contentView(), with.button());

    env.session.load(R"({"statusBar": {"buttons": false}})");
    platform::ui::StatusItem without;
    EXPECT_FALSE(without.button());
    EXPECT_EQ(without.length(), platform::ui::StatusItem::kSquareLength);
    EXPECT_FALSE(env.session.statusBar().buttonFrame(without));
    // The item still takes its place in the menu bar, to the left of the first.
    EXPECT_LT(without.window().frame().maxX(), with.window().frame().minX() + 1e-9);
    env.session.statusBar().pressFromKeyboard(without);  // nothing to press
    EXPECT_THROW(env.session.load(R"({"statusBar": {"buttons": 0}})"), Error);
}

}  // namespace
}  // namespace tarnwick
