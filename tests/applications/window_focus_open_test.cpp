#include <gtest/gtest.h>

#include <algorithm>

#include "applications/application_window_focus.h"
#include "applications/mission_control_space_switcher.h"
#include "navigation_test_support.h"

namespace tarnwick {
namespace {

using namespace navigation_testing;
using Case = ApplicationWindowFocus::Failure::Case;

constexpr const char* kNotes = "com.apple.Notes";
constexpr std::int32_t kNotesPID = 304;

const Value& field(const Value& record, const char* key) {
    static const Value missing;
    const Value* value = record.find(key);
    return value ? *value : missing;
}

class OpenTest : public ::testing::Test {
protected:
    TaskHandle<void> open(const std::string& appID, const std::string& desktopID) {
        return spawn(ApplicationWindowFocus::open(appID, desktopID, f.catalog(), f.services()));
    }
    // Replaces the app's Accessibility tree: its windows list these window ids and it reports
    // `focused` as its focused window (none when empty).
    void explicitTree(std::int32_t pid, const std::vector<std::uint32_t>& windowIDs,
                      std::optional<std::uint32_t> focused = std::nullopt) {
        auto& session = f.env.session;
        auto& root = session.makeNode(pid);
        const std::uint64_t rootID = root.id;
        Array windows;
        for (auto id : windowIDs) {
            auto& window = session.makeNode(pid);
            window.windowID = id;
            windows.emplace_back(ElementRef{window.id});
        }
        session.node(rootID).attributes["AXWindows"].value = Value(windows);
        if (focused) {
            auto& element = session.makeNode(pid);
            element.windowID = *focused;
            session.node(rootID).attributes["AXFocusedWindow"].value = ElementRef{element.id};
        }
        session.explicitTreeRoots[pid] = rootID;
    }
    void addWindow(std::uint32_t id, std::int32_t pid, Rect bounds, std::vector<std::uint64_t> spaces) {
        sim::SimWindow window;
        window.id = id;
        window.pid = pid;
        window.bounds = bounds;
        window.spaces = std::move(spaces);
        f.env.session.windows.push_back(window);
    }

    NavigationFixture f;
    sim::SimNavigation& nav = f.env.session.navigation;
};

TEST_F(OpenTest, BringsTheWindowForwardOnADesktopThatIsNotCurrent) {
    f.env.session.applications[5].hidden = true;  // Notes
    ASSERT_EQ(f.env.session.applications[5].pid, kNotesPID);
    const double started = f.env.clock.uptime();
    double finished = 0;
    auto handle = open(kNotes, kNotesDesktop);
    handle.onCompletion([&] { finished = f.env.clock.uptime(); });
    f.env.advance(2.0);
    ASSERT_TRUE(handle.isDone());
    EXPECT_FALSE(handle.error());
    EXPECT_NEAR(finished - started, 0.5 + 0.12, 1e-9);  // the switch, then the first poll
    EXPECT_EQ(f.currentSpace(1), 3u);
    EXPECT_EQ(f.env.session.frontmostPID, kNotesPID);
    EXPECT_EQ(f.env.session.windows.front().id, 504u);
    EXPECT_FALSE(f.env.session.applications[5].hidden);

    EXPECT_EQ(traceEvents(), (std::vector<std::string>{"space-requested", "space-selected", "requested", "prepared",
                                                       "observed", "verified"}));
    const auto records = focusTrace();
    ASSERT_EQ(records.size(), 6u);
    for (const auto& record : records) {
        EXPECT_EQ(field(record, "window"), Value(504));
        EXPECT_EQ(field(record, "pid"), Value(kNotesPID));
        EXPECT_EQ(field(record, "space"), Value(3));
        EXPECT_EQ(field(record, "desktop"), Value(kNotesDesktop));
        EXPECT_EQ(field(record, "monitor"), Value(kBuiltIn));
        EXPECT_TRUE(field(record, "timestamp").asString());
        EXPECT_FALSE(record.find("uptime"));
    }
    EXPECT_EQ(field(records[1], "candidates"), Value(Array{Value(504)}));
    EXPECT_EQ(field(records[1], "accessible"), Value(Array{Value(504)}));
    EXPECT_EQ(field(records[2], "tarnwickActive"), Value(false));
    EXPECT_EQ(field(records[2], "frontPIDBefore"), Value(303));
    Dictionary ax{{"found", Value(1)}, {"main", Value(0)}, {"focus", Value(0)}, {"raise", Value(0)}};
    EXPECT_EQ(field(records[3], "ax"), Value(ax));
    EXPECT_EQ(field(records[4], "current"), Value(true));
    EXPECT_EQ(field(records[4], "focusedWindow"), Value(504));
    EXPECT_EQ(field(records[4], "frontPID"), Value(kNotesPID));
    EXPECT_EQ(field(records[4], "frontWindow"), Value(0));
    EXPECT_EQ(field(records[4], "currentDesktop"), Value(kNotesDesktop));
    EXPECT_EQ(field(records[5], "method"), Value("accessibility"));
    EXPECT_FALSE(records[5].find("currentDesktop"));
}

TEST_F(OpenTest, WithoutAnAccessibleWindowTheLargestIsRaisedAndTheWindowListConfirmsIt) {
    addWindow(610, kNotesPID, Rect(210, 160, 900, 600), {3});  // as large as 504, later id
    addWindow(620, kNotesPID, Rect(220, 170, 100, 100), {3});
    explicitTree(kNotesPID, {});  // no window is reachable through Accessibility, none is focused
    auto handle = open(kNotes, kNotesDesktop);
    f.env.advance(2.0);
    ASSERT_TRUE(handle.isDone());
    EXPECT_FALSE(handle.error());
    const auto records = focusTrace();
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(field(records[1], "candidates"), Value(Array{Value(620), Value(610), Value(504)}));
    EXPECT_EQ(field(records[1], "accessible"), Value(Array{}));
    EXPECT_EQ(field(records[2], "window"), Value(610));  // equal areas: the earlier candidate
    EXPECT_EQ(field(records[3], "ax"), Value(Dictionary{{"found", Value(0)}, {"windowsRead", Value(0)}}));
    EXPECT_EQ(field(records[4], "frontWindow"), Value(610));
    EXPECT_EQ(field(records[5], "method"), Value("window-server"));
}

TEST_F(OpenTest, AFocusedWindowOtherThanTheTargetIsNeverConfirmed) {
    explicitTree(kNotesPID, {504}, 999);
    const double started = f.env.clock.uptime();
    double finished = 0;
    std::vector<double> catalogReads;
    DesktopCatalogFunction catalog = [&, inner = f.catalog()] {
        catalogReads.push_back(f.env.clock.uptime() - started);
        return inner();
    };
    auto handle = spawn(ApplicationWindowFocus::open(kNotes, kNotesDesktop, catalog, f.services()));
    handle.onCompletion([&] { finished = f.env.clock.uptime(); });
    f.env.advance(3.0);
    EXPECT_EQ(failureOf(handle), Case::verification);
    EXPECT_NEAR(finished - started, 0.5 + 1.0, 1e-9);
    // Each verification poll reads the catalog, after pauses of 0.12, 0.18, 0.3 and 0.4 s.
    ASSERT_GE(catalogReads.size(), 4u);
    const std::vector<double> polls(catalogReads.end() - 4, catalogReads.end());
    const double expected[] = {0.62, 0.8, 1.1, 1.5};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(polls[i], expected[i], 1e-9) << "poll " << i;
    const auto events = traceEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), "observed"), 4);
    EXPECT_EQ(events.back(), "verification-failed");
    EXPECT_EQ(field(focusTrace()[4], "focusedWindow"), Value(999));
}

TEST_F(OpenTest, AWindowClosedDuringTheSwitchLeavesNoCandidate) {
    f.env.loop.postAfter(0.3, [this] {
        std::erase_if(f.env.session.windows, [](const sim::SimWindow& w) { return w.id == 504; });
    });
    auto handle = open(kNotes, kNotesDesktop);
    f.env.advance(2.0);
    EXPECT_EQ(failureOf(handle), Case::noWindow);
    EXPECT_EQ(traceEvents(), (std::vector<std::string>{"space-requested", "space-selected"}));
    EXPECT_EQ(field(focusTrace()[1], "candidates"), Value(Array{}));
}

TEST_F(OpenTest, AnAppThatQuitsWhileItIsBeingVerifiedIsNotConfirmed) {
    auto handle = open(kNotes, kNotesDesktop);
    f.env.advance(0.55);  // switched, raised, first pause running
    f.env.session.terminateApplication(kNotesPID);
    f.env.advance(2.0);
    EXPECT_EQ(failureOf(handle), Case::verification);
    EXPECT_EQ(traceEvents().back(), "verification-failed");
}

TEST_F(OpenTest, AWindowMovedToAnotherDesktopWhileItIsBeingVerifiedIsNotConfirmed) {
    explicitTree(kNotesPID, {504}, 504);  // Notes keeps reporting it as its focused window
    auto handle = open(kNotes, kNotesDesktop);
    f.env.advance(0.55);  // switched, raised, first pause running
    for (auto& window : f.env.session.windows)
        if (window.id == 504) window.spaces = {5};  // still focused, its app in front, but elsewhere
    f.env.advance(2.0);
    EXPECT_EQ(failureOf(handle), Case::verification);
    const auto records = focusTrace();
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(field(records[records.size() - 2], "focusedWindow"), Value(504));
    EXPECT_EQ(traceEvents().back(), "verification-failed");
}

TEST_F(OpenTest, MissingFrontProcessCallsMakeSwitchingUnavailable) {
    nav.missingFunctions = {"SLPSPostEventRecordTo"};
    f.native = std::make_unique<NativeApplicationWindowFocus>();
    auto handle = open(kNotes, kNotesDesktop);
    f.env.advance(2.0);
    EXPECT_EQ(failureOf(handle), Case::unavailable);
    const auto events = traceEvents();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], "prepared");
    EXPECT_EQ(events.back(), "unavailable");
}

TEST_F(OpenTest, ARefusedFrontProcessRequestReportsItsStatus) {
    nav.setFrontStatus = -13;
    auto handle = open(kNotes, kNotesDesktop);
    f.env.advance(2.0);
    EXPECT_EQ(failureOf(handle), Case::request);
    EXPECT_EQ(traceEvents().back(), "request-failed");
    EXPECT_EQ(field(focusTrace().back(), "status"), Value(-13));
}

TEST_F(OpenTest, AFailedSwitchIsTracedAndPassedThrough) {
    nav.pressStatus = platform::ax_error::kFailure;
    auto handle = open(kNotes, kNotesDesktop);
    f.env.advance(2.0);
    EXPECT_EQ(failureOf(handle), Case::request);
    EXPECT_EQ(traceEvents(), (std::vector<std::string>{"space-requested", "space-switch-failed"}));
    EXPECT_EQ(field(focusTrace()[1], "error"), Value("macOS could not bring that app window forward. Try again."));

}

// Locks the screen just before the reader's second read runs.
class LockingExecutor final : public SerialExecutor {
public:
    LockingExecutor(RunLoop& loop, sim::SimulatedSession& session) : inner_(loop), session_(session) {}
    void submit(Job job) override {
        inner_.submit([this, job = std::move(job)] {
            if (++jobs_ == 2) session_.lockScreen();
            job();
        });
    }
    void sync(Job job) override { inner_.sync(std::move(job)); }

private:
    LoopExecutor inner_;
    sim::SimulatedSession& session_;
    int jobs_ = 0;
};

TEST_F(OpenTest, AScreenLockedAfterTheSwitchStopsTheRequest) {
    SpaceApplicationReader reader(std::make_shared<LockingExecutor>(f.env.loop, f.env.session));
    auto handle = spawn(ApplicationWindowFocus::open(kNotes, kNotesDesktop, f.catalog(), {&reader, f.native.get()}));
    f.env.advance(2.0);
    EXPECT_EQ(failureOf(handle), Case::session);
    EXPECT_EQ(traceEvents(), (std::vector<std::string>{"space-requested", "space-selected"}));
    EXPECT_TRUE(nav.frontRequests.empty());
}

TEST_F(OpenTest, EarlyChecksFailWithoutTouchingMissionControl) {
    f.env.session.accessibilityTrusted = false;
    auto noAccess = open(kNotes, kNotesDesktop);
    f.env.settle();
    EXPECT_EQ(failureOf(noAccess), Case::access);
    f.env.session.accessibilityTrusted = true;

    auto unknown = open(kNotes, "00000000-AAAA-0000-0000-000000000000");
    f.env.settle();
    EXPECT_EQ(failureOf(unknown), Case::desktopChanged);

    auto elsewhere = open("com.apple.mail", kNotesDesktop);
    f.env.settle();
    EXPECT_EQ(failureOf(elsewhere), Case::noWindow);

    f.env.session.skyLight.windowsForSpace[3] = std::nullopt;
    auto unreadable = open(kNotes, kNotesDesktop);
    f.env.settle();
    EXPECT_EQ(failureOf(unreadable), Case::unavailable);

    f.env.session.lockScreen();
    auto locked = open(kNotes, kNotesDesktop);
    f.env.settle();
    EXPECT_EQ(failureOf(locked), Case::session);

    EXPECT_EQ(nav.missionControlLaunches, 0);
    EXPECT_TRUE(traceEvents().empty());
}

TEST_F(OpenTest, CancellationIsNoticedAtTheNextPause) {
    auto handle = open(kNotes, kNotesDesktop);
    f.env.advance(0.55);
    handle.cancel();
    f.env.settle();
    ASSERT_TRUE(handle.isDone());
    EXPECT_THROW(std::rethrow_exception(handle.error()), CancellationError);
    EXPECT_EQ(traceEvents().back(), "prepared");
}

}  // namespace
}  // namespace tarnwick
