// The application object: launching, the delegate's reopen and termination from wherever it
// starts, the activation policy, the window list and the standard about panel.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/shared_application.h"
#include "platform/sim/sim_shared_application.h"
#include "platform/ui/image_view.h"
#include "platform/ui/panel.h"
#include "platform/ui/status_item.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using testkit::TestEnvironment;

// Writes down what it hears; hooks let a test act from inside a callback.
struct RecordingDelegate : platform::ApplicationDelegate {
    std::vector<std::string> heard;
    std::function<void()> onDidFinish;
    std::function<void()> onWillTerminate;
    bool reopenAnswer = true;

    void applicationWillFinishLaunching() override { heard.push_back("will-finish"); }
    void applicationDidFinishLaunching() override {
        heard.push_back("did-finish");
        if (onDidFinish) onDidFinish();
    }
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override {
        heard.push_back(hasVisibleWindows ? "reopen-visible" : "reopen");
        return reopenAnswer;
    }
    void applicationWillTerminate() override {
        heard.push_back("will-terminate");
        if (onWillTerminate) onWillTerminate();
    }
};

class ApplicationTest : public ::testing::Test {
protected:
    ApplicationTest() {
        env.session.loadDefaultSession();
        app.setDelegate(delegate);
    }
    using Heard = std::vector<std::string>;

    TestEnvironment env;
    platform::SharedApplication& app = *env.session.platform().application;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(ApplicationTest, LaunchingTellsTheDelegateOnceInOrder) {
    EXPECT_FALSE(app.isLaunched());
    app.finishLaunching();
    app.finishLaunching();
    EXPECT_EQ(delegate->heard, (Heard{"will-finish", "did-finish"}));
    EXPECT_TRUE(app.isLaunched());
    EXPECT_TRUE(env.session.applicationState.launched);
}

TEST_F(ApplicationTest, TerminationIsHeardOnceWhateverStartedIt) {
    app.finishLaunching();
    // The menu's quit, then a logout, then another terminate from elsewhere.
    app.terminate();
    EXPECT_TRUE(env.loop.stopRequested());
    env.session.logOut();
    app.terminate();
    EXPECT_EQ(std::count(delegate->heard.begin(), delegate->heard.end(), "will-terminate"), 1);
    EXPECT_EQ(env.session.applicationState.terminations, 3);
    EXPECT_TRUE(app.isTerminated());
    // Nothing of the application's life comes after its end.
    EXPECT_FALSE(env.session.reopenApplication());
    EXPECT_EQ(delegate->heard.back(), "will-terminate");
}

TEST_F(ApplicationTest, ALogoutAloneEndsTheApplicationAndATerminateFromWillTerminateIsNotHeardAgain) {
    delegate->onWillTerminate = [this] { app.terminate(); };
    app.finishLaunching();
    env.session.logOut();
    EXPECT_EQ(delegate->heard, (Heard{"will-finish", "did-finish", "will-terminate"}));
    EXPECT_TRUE(env.loop.stopRequested());
    EXPECT_EQ(env.session.applicationState.terminations, 2);
}

TEST_F(ApplicationTest, WithoutADelegateTerminationStillStopsTheLoop) {
    delegate.reset();  // the application held it weakly
    EXPECT_FALSE(app.delegate());
    app.finishLaunching();
    app.terminate();
    EXPECT_TRUE(env.loop.stopRequested());
    EXPECT_FALSE(env.session.reopenApplication());
}

TEST_F(ApplicationTest, TerminatedBeforeLaunchingFinishesNeverLaunches) {
    app.terminate();
    app.finishLaunching();
    EXPECT_EQ(delegate->heard, (Heard{"will-terminate"}));
    EXPECT_FALSE(app.isLaunched());
    app.run();  // returns at once
}

TEST_F(ApplicationTest, RunLaunchesOnTheLoopAndReturnsWhenTerminated) {
    delegate->onDidFinish = [this] { env.loop.post([this] { app.terminate(); }); };
    app.run();
    EXPECT_EQ(delegate->heard, (Heard{"will-finish", "did-finish", "will-terminate"}));
}

TEST_F(ApplicationTest, ReopenAsksTheDelegateOnlyOnceLaunchedAndBringsTheAppForward) {
    EXPECT_FALSE(env.session.reopenApplication());
    EXPECT_TRUE(delegate->heard.empty());
    app.finishLaunching();

    // The status item's window is shown but counts as no window of the app's own.
    ui::StatusItem item;
    ASSERT_TRUE(item.window().isVisible());
    delegate->reopenAnswer = false;
    EXPECT_EQ(env.session.reopenApplication(), false);
    EXPECT_TRUE(app.isActive());
    // The system's bringing forward is not the program's own activation.
    EXPECT_EQ(env.session.applicationState.activations, 0);

    ui::Panel window(Rect(100, 100, 300, 200), ui::style_mask::kTitled);
    window.orderFrontRegardless();
    delegate->reopenAnswer = true;
    EXPECT_EQ(env.session.reopenApplication(), true);
    EXPECT_EQ(env.session.applicationState.reopens,
              (std::vector<sim::SimReopen>{{false, false}, {true, true}}));
    EXPECT_EQ(delegate->heard.back(), "reopen-visible");
}

TEST_F(ApplicationTest, TheActivationPolicyIsRecordedAndShownToTheWorkspace) {
    app.setActivationPolicy(platform::ActivationPolicy::regular);
    EXPECT_EQ(app.activationPolicy(), platform::ActivationPolicy::regular);
    app.setActivationPolicy(platform::ActivationPolicy::accessory);
    EXPECT_EQ(env.session.applicationState.activationPolicy, platform::ActivationPolicy::accessory);
    const auto own = env.session.platform().workspace->runningApplication(env.session.system().processID);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->activationPolicy, platform::ActivationPolicy::accessory);
}

TEST_F(ApplicationTest, TheAboutPanelIsOneNewTitledWindowBroughtBackOnLaterCalls) {
    ui::Panel borderless(Rect(0, 0, 50, 50), ui::style_mask::kBorderless);
    const auto before = app.windows();
    app.orderFrontStandardAboutPanel();
    const auto after = app.windows();
    ASSERT_EQ(after.size(), before.size() + 1);
    ui::Panel* about = nullptr;
    for (ui::Panel* window : after)
        if (std::find(before.begin(), before.end(), window) == before.end()) about = window;
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->styleMask() & ui::style_mask::kTitled);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->title(), "About Tarnwick");
    EXPECT_EQ(after.front(), about);  // in front
    // Centred on the main screen's visible frame.
    const Rect frame = about->frame();
    ASSERT_TRUE(about->screen());
    const Rect visible = about->screen()->visibleFrame;
    EXPECT_DOUBLE_EQ(frame.origin.x + frame.width() / 2, visible.origin.x + visible.width() / 2);

    about->close();
    EXPECT_FALSE(about->isVisible());
    app.orderFrontStandardAboutPanel();
    EXPECT_EQ(app.windows().size(), after.size());
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(env.session.applicationState.aboutPanelRequests, 2);
}

// The panel shows the app's icon over what the running copy's manifest says: its name, version
// and build, and copyright, read afresh each time it comes up; what the manifest lacks is left
// out.
TEST_F(ApplicationTest, TheAboutPanelShowsTheManifestsNameVersionBuildAndCopyrightUnderTheIcon) {
    const std::filesystem::path bundle = env.home / "Applications/Tarnwick.app";
    std::filesystem::create_directories(bundle / "Contents");
    const auto manifest = [&](const std::string& json) { std::ofstream(bundle / "Contents/Info.json") << json; };
    manifest(R"({"CFBundleName": "Tarnwick", "CFBundleShortVersionString": "1.4", "CFBundleVersion": 7,
                 "NSHumanReadableCopyright": "Copyright 2025 Orlenbay"})");
    env.session.fileSystem.mainBundle = bundle;
    app.orderFrontStandardAboutPanel();
    ui::Panel* about = dynamic_cast<sim::SimSharedApplication&>(app).aboutPanel();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->shownTexts(), (std::vector<std::string>{"Tarnwick", "Version 1.4 (7)", "Copyright 2025 Orlenbay"}));
    // The icon on top, the texts below it, each inside the panel.
    const auto views = about->contentView()->subviews();
    ASSERT_EQ(views.size(), 4u);
    const auto* icon = dynamic_cast<const ui::ImageView*>(views[0].get());
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(icon->image);
    EXPECT_EQ(icon->image->source, bundle.string());
    EXPECT_EQ(icon->image->accessibilityDescription, "Tarnwick");
    for (std::size_t i = 1; i < views.size(); ++i) {
        EXPECT_LT(views[i]->frame().maxY(), views[i - 1]->frame().minY());
        EXPECT_GE(views[i]->frame().minY(), 0);
    }
    const double height = about->frame().height();

    about->close();
    manifest(R"({"CFBundleVersion": "8"})");
    app.orderFrontStandardAboutPanel();
    EXPECT_EQ(about->shownTexts(), (std::vector<std::string>{"Tarnwick", "Build 8"}));
    EXPECT_LT(about->frame().height(), height);
}

TEST_F(ApplicationTest, AnAboutPanelThatShowsNoWindowOfOursAddsNone) {
    env.session.applicationState.aboutPanelShowsWindow = false;
    app.orderFrontStandardAboutPanel();
    EXPECT_TRUE(app.windows().empty());
    EXPECT_EQ(env.session.applicationState.aboutPanelRequests, 1);
}

}  // namespace
}  // namespace tarnwick
