#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "overlays/rename_alert_placement.h"
#include "platform/ui/screens.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";

class RenameAlertPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.session.loadDefaultSession();
        alert.messageText = "Rename Desktop 4";
        alert.buttons = {{"Save", "\r"}, {"Cancel", "\x1b"}};
        alert.textField = platform::AlertTextField{};
    }
    Point centre(const Rect& r) const { return Point{r.midX(), r.midY()}; }
    Rect visibleFrame(std::uint32_t displayID) {
        for (const auto& screen : platform::ui::screens())
            if (platform::ui::displayID(screen) == displayID) return screen.visibleFrame;
        return {};
    }
    testkit::TestEnvironment env;
    platform::Alert alert;
};

TEST_F(RenameAlertPlacementTest, CentresTheAlertOnTheDisplayNamedInAnyCase) {
    std::string lower = kStudio;
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    env.session.alertScript.answers.push_back("Save");
    EXPECT_EQ(RenameAlertPlacement::run(alert, lower), platform::kAlertFirstButtonReturn);
    const auto& shown = env.session.alertScript.shown.at(0);
    EXPECT_EQ(centre(shown.windowFrame), centre(visibleFrame(2)));
    EXPECT_EQ(shown.screen, 2u);
    EXPECT_TRUE(shown.keyAndFront);
    EXPECT_EQ(shown.windowFrame.size, (Size{420, 172}));  // laid out with its field
}

TEST_F(RenameAlertPlacementTest, AnUnknownDisplayFallsBackToTheAlertsScreenThenToTheMainScreen) {
    // A first showing puts the window on the studio display; a second one for a display that is
    // gone stays there.
    RenameAlertPlacement::run(alert, kStudio);
    RenameAlertPlacement::run(alert, "00000000-0000-0000-0000-00000000DEAD");
    EXPECT_EQ(env.session.alertScript.shown.at(1).screen, 2u);
    // A fresh alert is on no screen yet: the main screen (the first, without a key window).
    platform::Alert fresh = alert;
    fresh.window().setFrameOrigin(Point{-50000, -50000});
    RenameAlertPlacement::run(fresh, "00000000-0000-0000-0000-00000000DEAD");
    EXPECT_EQ(env.session.alertScript.shown.at(2).screen, 1u);
    EXPECT_EQ(centre(env.session.alertScript.shown.at(2).windowFrame), centre(visibleFrame(1)));
}

TEST_F(RenameAlertPlacementTest, AScreenWithoutANumberIsNeverTheNamedOne) {
    env.session.display(2)->hasScreenNumber = false;
    RenameAlertPlacement::run(alert, kStudio);
    EXPECT_EQ(centre(env.session.alertScript.shown.at(0).windowFrame), centre(visibleFrame(1)));
}

TEST_F(RenameAlertPlacementTest, WithoutAnyScreenTheAlertIsNotShown) {
    env.session.displays.clear();
    EXPECT_EQ(RenameAlertPlacement::run(alert, kStudio), std::nullopt);
    EXPECT_TRUE(env.session.alertScript.shown.empty());
}

}  // namespace
}  // namespace tarnwick
