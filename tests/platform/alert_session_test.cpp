// An alert with a text field shown again and again, as a prompt that keeps what was typed: each
// showing is recorded as it was, and Escape reaches the "Cancel" button.

#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

TEST(AlertSessionTest, TheSameAlertRunsAgainWithNewTextsAndKeepsTheFieldsText) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    platform::Alert alert;
    alert.messageText = "Rename Desktop 2";
    alert.informativeText = "Studio Display\nLeave the name blank to use its default.";
    alert.buttons = {{"Save", ""}, {"Cancel", ""}};
    alert.textField = platform::AlertTextField{"Desk", "Desktop 2", "Desktop name"};
    auto& script = env.session.alertScript;
    script.answers.emplace_back("Save", "Work");

    EXPECT_EQ(alert.runModal(), platform::kAlertFirstButtonReturn);
    EXPECT_EQ(alert.textField->stringValue, "Work");
    alert.informativeText = "Could not save this name.";
    // Unanswered, the user presses Escape: the "Cancel" button, the field as typed.
    EXPECT_EQ(alert.runModal(), platform::kAlertSecondButtonReturn);
    EXPECT_EQ(alert.textField->stringValue, "Work");
    ASSERT_EQ(script.shown.size(), 2u);
    EXPECT_EQ(script.shown[0].answer, "Save");
    EXPECT_EQ(script.shown[0].alert.informativeText, "Studio Display\nLeave the name blank to use its default.");
    EXPECT_EQ(script.shown[1].answer, "Cancel");
    EXPECT_EQ(script.shown[1].alert.informativeText, "Could not save this name.");
    EXPECT_EQ(script.shown[1].alert.textField->stringValue, "Work");

    // A button of its own for Escape wins over "Cancel".
    alert.buttons = {{"Cancel", ""}, {"Quit", "\x1b"}};
    EXPECT_EQ(alert.runModal(), platform::kAlertSecondButtonReturn);
}

}  // namespace
}  // namespace tarnwick
