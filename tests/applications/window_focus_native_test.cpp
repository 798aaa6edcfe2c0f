#include <gtest/gtest.h>

#include "applications/native_application_window_focus.h"
#include "platform/sim/sim_accessibility.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ax = platform::ax_error;

constexpr std::int32_t kPID = 700;

// An app with an explicit Accessibility tree whose window elements record what is done to them.
class NativeWindowFocusTest : public ::testing::Test {
protected:
    NativeWindowFocusTest() {
        sim::SimApplication app;
        app.pid = kPID;
        app.bundleIdentifier = "com.example.editor";
        app.name = "Editor";
        env.session.applications.push_back(app);
        root = env.session.makeNode(kPID).id;
        env.session.explicitTreeRoots[kPID] = root;
        env.session.node(root).attributes["AXFocusedWindow"].settable = true;
        env.session.node(root).attributes["AXFocusedWindow"].error = ax::kNoValue;
    }

    sim::AXNode& addWindow(std::optional<std::uint32_t> windowID, bool minimized = false) {
        sim::AXNode& window = env.session.makeNode(kPID);
        window.windowID = windowID;
        window.attributes["AXMinimized"].value = minimized;
        window.attributes["AXMinimized"].settable = true;
        window.attributes["AXMain"].value = false;
        window.attributes["AXMain"].settable = true;
        const std::uint64_t id = window.id;
        window.onSet = [this, id](const std::string& name, const Value& value) {
            log.push_back(std::to_string(id) + " set " + name + "=" + (value.asBool() ? (*value.asBool() ? "true" : "false") : describe(value)));
            return ax::kSuccess;
        };
        window.actions["AXRaise"] = [this, id] {
            log.push_back(std::to_string(id) + " raise");
            return ax::kSuccess;
        };
        windows.emplace_back(ElementRef{window.id});
        env.session.node(root).attributes["AXWindows"].value = Value(windows);
        return window;
    }

    SpaceApplicationFocusTarget target(std::uint32_t windowID) { return {windowID, kPID, 3, "D", "M"}; }

    testkit::TestEnvironment env;
    std::uint64_t root = 0;
    Array windows;
    std::vector<std::string> log;
};

TEST_F(NativeWindowFocusTest, EventRecordsHaveTheExactBytes) {
    const auto record = NativeApplicationWindowFocus::eventRecord(0x11223344, 2);
    platform::EventRecordBytes expected{};
    expected[0x04] = 0xF8;
    expected[0x08] = 0x02;
    for (int i = 0x20; i < 0x30; ++i) expected[i] = 0xFF;
    expected[0x3A] = 0x10;
    expected[0x3C] = 0x44;
    expected[0x3D] = 0x33;
    expected[0x3E] = 0x22;
    expected[0x3F] = 0x11;
    EXPECT_EQ(record, expected);
}

TEST_F(NativeWindowFocusTest, RequestMakesTheProcessFrontWithItsWindowKey) {
    NativeApplicationWindowFocus native;
    addWindow(31);
    EXPECT_EQ(native.request(target(31)), 0);
    auto& nav = env.session.navigation;
    ASSERT_EQ(nav.frontRequests.size(), 1u);
    EXPECT_EQ(nav.frontRequests[0].processID, kPID);
    EXPECT_EQ(nav.frontRequests[0].windowID, 31u);
    EXPECT_EQ(nav.frontRequests[0].options, 0x200u);
    ASSERT_EQ(nav.postedEventRecords.size(), 2u);
    EXPECT_EQ(nav.postedEventRecords[0], NativeApplicationWindowFocus::eventRecord(31, 1));
    EXPECT_EQ(nav.postedEventRecords[1], NativeApplicationWindowFocus::eventRecord(31, 2));
    EXPECT_EQ(env.session.frontmostPID, kPID);
    // The records' own statuses do not matter.
    nav.postEventStatus = -50;
    EXPECT_EQ(native.request(target(31)), 0);
}

TEST_F(NativeWindowFocusTest, RequestStopsAtTheFirstFailingCall) {
    NativeApplicationWindowFocus native;
    auto& nav = env.session.navigation;
    EXPECT_EQ(native.request(SpaceApplicationFocusTarget{31, 0, 3, "D", "M"}), std::nullopt);
    EXPECT_EQ(native.request(target(0)), std::nullopt);
    EXPECT_EQ(nav.getProcessCalls, 0);

    nav.getProcessStatus = -600;
    EXPECT_EQ(native.request(target(31)), -600);
    EXPECT_TRUE(nav.frontRequests.empty());
    EXPECT_TRUE(nav.postedEventRecords.empty());

    nav.getProcessStatus = 0;
    nav.setFrontStatus = -1;
    EXPECT_EQ(native.request(target(31)), -1);
    EXPECT_TRUE(nav.postedEventRecords.empty());
}

TEST_F(NativeWindowFocusTest, MissingFunctionsMakeTheRequestImpossible) {
    for (const char* name : {"GetProcessForPID", "_SLPSSetFrontProcessWithOptions", "SLPSPostEventRecordTo",
                             "_AXUIElementGetWindow"}) {
        env.session.navigation.missingFunctions = {name};
        NativeApplicationWindowFocus native;
        EXPECT_EQ(native.request(target(31)), std::nullopt) << name;
    }
    env.session.navigation.missingFunctions.clear();
    env.session.navigation.globalNamespaceAvailable = false;
    addWindow(31);
    NativeApplicationWindowFocus native;
    EXPECT_EQ(native.request(target(31)), std::nullopt);
    // Without the element-to-window call no window can be mapped.
    EXPECT_TRUE(native.accessibleWindowIDs(kPID).empty());
    EXPECT_EQ(native.restoreAndRaise(target(31)), (std::map<std::string, std::int32_t>{{"found", 0}, {"windowsRead", 0}}));
}

TEST_F(NativeWindowFocusTest, WindowIdsSkipElementsWithoutOne) {
    NativeApplicationWindowFocus native;
    EXPECT_TRUE(native.accessibleWindowIDs(kPID).empty());  // no "AXWindows" at all
    addWindow(31);
    addWindow(std::nullopt);
    addWindow(0);
    addWindow(33);
    EXPECT_EQ(native.accessibleWindowIDs(kPID), (std::set<std::uint32_t>{31, 33}));

    EXPECT_EQ(native.focusedWindowID(kPID), std::nullopt);
    env.session.node(root).attributes["AXFocusedWindow"].error = ax::kSuccess;
    env.session.node(root).attributes["AXFocusedWindow"].value = windows[3];
    EXPECT_EQ(native.focusedWindowID(kPID), 33u);
    env.session.node(root).attributes["AXFocusedWindow"].value = windows[1];  // no window id
    EXPECT_EQ(native.focusedWindowID(kPID), std::nullopt);
    env.session.node(root).attributes["AXFocusedWindow"].value = Value("not an element");
    EXPECT_EQ(native.focusedWindowID(kPID), std::nullopt);
    // Every element asked gets the short messaging timeout first.
    auto& timeouts = static_cast<sim::SimAccessibility&>(*env.session.platform().accessibility).timeouts;
    EXPECT_FLOAT_EQ(timeouts.at(root), 0.15f);
    EXPECT_FLOAT_EQ(timeouts.at(windows[3].asElement()->id), 0.15f);
}

TEST_F(NativeWindowFocusTest, RestoreUnminimisesOnlyAMinimisedTargetBeforeMarkingItMain) {
    NativeApplicationWindowFocus native;
    addWindow(30);
    const auto minimised = addWindow(31, true).id;
    auto report = native.restoreAndRaise(target(31));
    EXPECT_EQ(report, (std::map<std::string, std::int32_t>{{"found", 1}, {"main", 0}, {"focus", 0}, {"raise", 0}}));
    const std::string w = std::to_string(minimised);
    EXPECT_EQ(log, (std::vector<std::string>{w + " set AXMinimized=false", w + " set AXMain=true", w + " raise"}));
    EXPECT_EQ(env.session.node(root).attributes["AXFocusedWindow"].value, Value(ElementRef{minimised}));

    log.clear();
    const auto plain = addWindow(32).id;
    native.restoreAndRaise(target(32));
    EXPECT_EQ(log, (std::vector<std::string>{std::to_string(plain) + " set AXMain=true", std::to_string(plain) + " raise"}));
}

TEST_F(NativeWindowFocusTest, RestoreReportsTheWindowListReadWhenNothingMatches) {
    NativeApplicationWindowFocus native;
    EXPECT_EQ(native.restoreAndRaise(target(31)),
              (std::map<std::string, std::int32_t>{{"found", 0}, {"windowsRead", ax::kAttributeUnsupported}}));
    env.session.node(root).attributes["AXWindows"].error = ax::kNoValue;
    EXPECT_EQ(native.restoreAndRaise(target(31)),
              (std::map<std::string, std::int32_t>{{"found", 0}, {"windowsRead", ax::kNoValue}}));
    env.session.node(root).attributes["AXWindows"].error = ax::kSuccess;
    addWindow(30);
    EXPECT_EQ(native.restoreAndRaise(target(31)), (std::map<std::string, std::int32_t>{{"found", 0}, {"windowsRead", 0}}));
    // Refused writes come back as their codes.
    sim::AXNode& stubborn = addWindow(31);
    stubborn.attributes["AXMain"].settable = false;
    stubborn.actions["AXRaise"] = [] { return ax::kCannotComplete; };
    EXPECT_EQ(native.restoreAndRaise(target(31)),
              (std::map<std::string, std::int32_t>{{"found", 1}, {"main", ax::kFailure}, {"focus", 0}, {"raise", ax::kCannotComplete}}));
}

// A window list whose elements answer slowly is walked for at most 0.3 s.
class SlowWindowFunctions final : public platform::PrivateFunctions {
public:
    explicit SlowWindowFunctions(ManualClock& clock) : clock_(clock) {}
    std::unique_ptr<platform::SymbolNamespace> openGlobalNamespace() override {
        struct Namespace final : platform::SymbolNamespace {
            ManualClock* clock;
            std::optional<platform::PrivateFunction> lookUp(std::string_view name) override {
                if (name != "_AXUIElementGetWindow") return std::nullopt;
                ManualClock* c = clock;
                return platform::AXUIElementGetWindowFunction([c](ElementRef element, std::uint32_t* id) {
                    c->block(0.1);
                    *id = static_cast<std::uint32_t>(element.id);
                    return ax::kSuccess;
                });
            }
        };
        auto result = std::make_unique<Namespace>();
        result->clock = &clock_;
        return result;
    }

private:
    ManualClock& clock_;
};

TEST_F(NativeWindowFocusTest, WalksStopAfterTheirTimeBudget) {
    for (int i = 0; i < 6; ++i) addWindow(static_cast<std::uint32_t>(i + 1));
    SlowWindowFunctions slow(env.clock);
    env.session.platform().privateFunctions = &slow;
    NativeApplicationWindowFocus native;
    // Elements are asked at 0, 0.1 and 0.2 s; at 0.3 s the walk stops.
    EXPECT_EQ(native.accessibleWindowIDs(kPID).size(), 3u);
    const std::uint32_t lastElement = static_cast<std::uint32_t>(windows.back().asElement()->id);
    EXPECT_EQ(native.restoreAndRaise(target(lastElement)).at("found"), 0);
}

}  // namespace
}  // namespace tarnwick
