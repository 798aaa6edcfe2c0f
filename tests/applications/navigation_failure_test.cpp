#include <gtest/gtest.h>

#include <unordered_set>

#include "applications/application_window_focus.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Failure = ApplicationWindowFocus::Failure;
using Case = Failure::Case;

TEST(NavigationFailureTest, EachCaseCarriesItsSentence) {
    const std::pair<Case, const char*> expected[] = {
        {Case::access, "Allow Device Control access in Settings to bring app windows forward."},
        {Case::session, "Unlock your Mac before switching desktops."},
        {Case::desktopChanged, "This desktop changed. Refresh the list and try again."},
        {Case::noWindow, "This app no longer has a window on that desktop. Refresh the list."},
        {Case::unavailable, "Window switching is unavailable on this macOS version."},
        {Case::request, "macOS could not bring that app window forward. Try again."},
        {Case::verification, "Could not confirm the requested desktop and window. Try again."},
    };
    for (const auto& [failureCase, sentence] : expected) {
        const Failure failure(failureCase);
        EXPECT_STREQ(failure.what(), sentence);
        EXPECT_EQ(failure.errorDescription(), sentence);
        EXPECT_EQ(failure.failureReason(), std::nullopt);
        EXPECT_EQ(failure.recoverySuggestion(), std::nullopt);
        EXPECT_EQ(failure.helpAnchor(), std::nullopt);
    }
}

TEST(NavigationFailureTest, EqualityAndHashGoByCase) {
    EXPECT_EQ(Failure(Case::request), Failure(Case::request));
    EXPECT_FALSE(Failure(Case::request) == Failure(Case::verification));
    std::unordered_set<Failure> set{Failure(Case::noWindow), Failure(Case::noWindow), Failure(Case::session)};
    EXPECT_EQ(set.size(), 2u);
    EXPECT_EQ(std::hash<Failure>()(Failure(Case::access)), std::hash<Failure>()(Failure(Case::access)));
}

class SessionCheckTest : public ::testing::Test {
protected:
    void expectRefused() {
        try {
            ApplicationWindowFocus::checkSession();
            ADD_FAILURE() << "the session was taken as usable";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.failureCase(), Case::session);
        }
    }
    // The generated dictionary with one key changed (or removed when `value` is empty).
    void useDictionaryWith(const std::string& key, std::optional<Value> value) {
        Dictionary d;
        d["kCGSSessionOnConsoleKey"] = true;
        d["kCGSessionLoginDoneKey"] = true;
        d["kCGSSessionUserIDKey"] = 501;
        if (value)
            d[key] = *value;
        else
            d.erase(key);
        env.session.loginSession.dictionary = Value(std::move(d));
    }
    testkit::TestEnvironment env;
};

TEST_F(SessionCheckTest, AnActiveUnlockedSessionOfThisUserPasses) {
    EXPECT_NO_THROW(ApplicationWindowFocus::checkSession());
    useDictionaryWith("kCGSSessionUserIDKey", Value(501.0));
    EXPECT_NO_THROW(ApplicationWindowFocus::checkSession());
    // Anything but the boolean true does not lock.
    useDictionaryWith("CGSSessionScreenIsLocked", Value(1));
    EXPECT_NO_THROW(ApplicationWindowFocus::checkSession());
}

TEST_F(SessionCheckTest, LockedOrForeignOrUnfinishedSessionsAreRefused) {
    env.session.lockScreen();
    expectRefused();
    env.session.unlockScreen();
    env.session.loginSession.onConsole = false;
    expectRefused();
    env.session.loginSession.onConsole = true;
    env.session.loginSession.present = false;
    expectRefused();
    env.session.loginSession.present = true;

    useDictionaryWith("kCGSessionLoginDoneKey", std::nullopt);
    expectRefused();
    useDictionaryWith("kCGSSessionUserIDKey", Value(502));  // fast user switching
    expectRefused();
    useDictionaryWith("kCGSSessionUserIDKey", Value(501 + 4294967296LL));  // no wrap-around
    expectRefused();
    useDictionaryWith("kCGSSessionUserIDKey", Value("501"));
    expectRefused();
    useDictionaryWith("kCGSSessionOnConsoleKey", Value(1));  // a number is not the Boolean true
    expectRefused();
    env.session.loginSession.dictionary = Value(Array{});
    expectRefused();
}

}  // namespace
}  // namespace tarnwick
