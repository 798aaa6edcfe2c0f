#include <memory>

#include <gtest/gtest.h>

#include "model/global_overview_shortcut.h"
#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace carbon = platform::carbon;
namespace names = platform::notification_names;

constexpr std::uint32_t kCommand = 0x100, kShift = 0x200, kOption = 0x800, kControl = 0x1000;
constexpr std::uint32_t kSignature = 0x544B4F56;  // 'TKOV'
const OverviewShortcut kDefault = OverviewShortcut::defaultShortcut;
const OverviewShortcut kOther{14, kControl | kOption | kCommand};  // ⌃⌥⌘E

constexpr const char* kUsedByMacOS = "That shortcut is used by macOS. Choose another combination.";
constexpr const char* kInUse = "That shortcut is already in use. Choose another combination.";
constexpr const char* kInclude = "Include Command or Control with your shortcut.";

// A shortcut object over the simulated session, counting its hooks and actions.
class GlobalOverviewShortcutTest : public ::testing::Test {
protected:
    GlobalOverviewShortcutTest() : hotKeys(env.session.hotKeys()) {}

    std::unique_ptr<GlobalOverviewShortcut> make() {
        auto object = std::make_unique<GlobalOverviewShortcut>(OverviewShortcutStore(env.session.defaults()));
        object->changed = [this] { ++changes; };
        return object;
    }
    // Started and not suspended: registered, as after the first feature-state pass.
    std::unique_ptr<GlobalOverviewShortcut> makeActive() {
        auto object = make();
        object->start([this] { ++actions; });
        object->setSuspended(false);
        changes = 0;
        return object;
    }
    std::vector<sim::SimHotKeyRegistration> own() const { return hotKeys.ownRegistrations(); }
    bool registered(const OverviewShortcut& s) const {
        auto list = own();
        return list.size() == 1 && list[0].keyCode == s.keyCode && list[0].modifiers == s.modifiers;
    }
    void press(const OverviewShortcut& s) {
        env.session.pressKeys(static_cast<std::uint16_t>(s.keyCode), s.eventModifiers());
        env.settle();
    }

    testkit::TestEnvironment env;
    sim::SimHotKeys& hotKeys;
    int changes = 0;
    int actions = 0;
};

TEST_F(GlobalOverviewShortcutTest, CreatingRegistersNothingAndStartingWaitsForTheFirstResume) {
    auto shortcut = make();
    EXPECT_EQ(shortcut->shortcut.get(), kDefault);
    EXPECT_EQ(hotKeys.registerCalls + hotKeys.handlerInstalls + changes, 0);
    EXPECT_EQ(env.session.notificationCenter().observerCount(names::kKeyboardSelectionDidChange), 0u);

    shortcut->start([this] { ++actions; });
    EXPECT_TRUE(own().empty());
    EXPECT_EQ(changes, 1);

    shortcut->setSuspended(false);
    ASSERT_TRUE(registered(kDefault));
    EXPECT_TRUE(shortcut->isRegistered());
    EXPECT_EQ(own()[0].id, (platform::EventHotKeyID{kSignature, 1}));
    EXPECT_EQ(own()[0].options, carbon::kEventHotKeyExclusive);
    EXPECT_EQ(hotKeys.handlerCount(), 1u);
    EXPECT_EQ(shortcut->error.get(), std::nullopt);
}

TEST_F(GlobalOverviewShortcutTest, PressingTheCombinationRunsTheActionOncePerHoldOnTheRunLoop) {
    auto shortcut = makeActive();
    env.session.pressKeys(13, OverviewShortcut{13, kControl | kOption | kCommand}.eventModifiers());
    EXPECT_EQ(actions, 0);  // delivered on the run loop, not inside the press
    env.settle();
    EXPECT_EQ(actions, 1);

    // Key repeat while held runs nothing more; a new press after letting go runs again.
    env.session.keyDown(13, kDefault.eventModifiers());
    env.session.keyDown(13, kDefault.eventModifiers());
    env.session.keyDown(13, kDefault.eventModifiers());
    env.settle();
    EXPECT_EQ(actions, 2);
    env.session.keyUp(13, kDefault.eventModifiers());
    press(kDefault);
    EXPECT_EQ(actions, 3);

    press(OverviewShortcut{13, kControl | kCommand});  // another combination
    EXPECT_EQ(actions, 3);
}

TEST_F(GlobalOverviewShortcutTest, EventsOfOtherSignaturesOrEarlierRegistrationsAreNotHandled) {
    auto shortcut = makeActive();
    ASSERT_TRUE(shortcut->use(kOther));
    const auto current = own()[0].id;
    EXPECT_EQ(current.id, 2u);
    EXPECT_EQ(hotKeys.sendHotKeyEvent(platform::EventHotKeyID{kSignature, 1}, carbon::kEventHotKeyPressed),
              carbon::kEventNotHandledErr);
    EXPECT_EQ(hotKeys.sendHotKeyEvent(platform::EventHotKeyID{0x41424344, 2}, carbon::kEventHotKeyPressed),
              carbon::kEventNotHandledErr);
    EXPECT_EQ(hotKeys.sendHotKeyEvent(std::nullopt, carbon::kEventHotKeyPressed), carbon::kEventNotHandledErr);
    EXPECT_EQ(actions, 0);
    EXPECT_EQ(hotKeys.sendHotKeyEvent(current, carbon::kEventHotKeyPressed), carbon::kNoErr);
    EXPECT_EQ(hotKeys.sendHotKeyEvent(current, carbon::kEventHotKeyReleased), carbon::kNoErr);
    EXPECT_EQ(actions, 1);

    // A press queued before suspension arrives after it: its registration is gone.
    env.session.keyDown(static_cast<std::uint16_t>(kOther.keyCode), kOther.eventModifiers());
    shortcut->setSuspended(true);
    env.settle();
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(hotKeys.deliveries().back().status, carbon::kEventNotHandledErr);
}

TEST_F(GlobalOverviewShortcutTest, SuspensionUnregistersAndResumingRegistersExactlyOnce) {
    auto shortcut = makeActive();
    const int registers = hotKeys.registerCalls, unregisters = hotKeys.unregisterCalls;
    shortcut->setSuspended(true);
    shortcut->setSuspended(true);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(hotKeys.unregisterCalls, unregisters + 1);
    EXPECT_TRUE(own().empty());
    press(kDefault);
    EXPECT_EQ(actions, 0);

    shortcut->setSuspended(false);
    EXPECT_EQ(hotKeys.registerCalls, registers + 1);
    EXPECT_TRUE(registered(kDefault));
    press(kDefault);
    EXPECT_EQ(actions, 1);
}

TEST_F(GlobalOverviewShortcutTest, AReleaseMissedWhileUnregisteredDoesNotSwallowTheNextPress) {
    auto shortcut = makeActive();
    env.session.keyDown(static_cast<std::uint16_t>(kDefault.keyCode), kDefault.eventModifiers());
    env.settle();
    EXPECT_EQ(actions, 1);
    shortcut->setSuspended(true);  // the screen locks while the keys are held
    env.session.keyUp(static_cast<std::uint16_t>(kDefault.keyCode), kDefault.eventModifiers());  // the release reaches no hot key
    env.settle();
    shortcut->setSuspended(false);
    press(kDefault);
    EXPECT_EQ(actions, 2);
}

TEST_F(GlobalOverviewShortcutTest, RecordingReleasesTheHotKeyUntilCancelledOrACombinationIsUsed) {
    auto shortcut = makeActive();
    shortcut->rejectRecording();
    const int registers = hotKeys.registerCalls, unregisters = hotKeys.unregisterCalls;
    shortcut->beginRecording();
    shortcut->beginRecording();
    EXPECT_TRUE(shortcut->isRecording.get());
    EXPECT_EQ(shortcut->error.get(), std::nullopt);
    EXPECT_EQ(hotKeys.unregisterCalls, unregisters + 1);
    EXPECT_EQ(changes, 1);
    press(kDefault);  // typed into the recorder, not a toggle
    EXPECT_EQ(actions, 0);

    shortcut->rejectRecording();
    EXPECT_EQ(shortcut->error.get(), kInclude);
    EXPECT_FALSE(shortcut->use(OverviewShortcut{13, kShift | kOption}));
    EXPECT_TRUE(shortcut->isRecording.get());
    EXPECT_EQ(changes, 1);

    shortcut->cancelRecording();
    shortcut->cancelRecording();
    EXPECT_FALSE(shortcut->isRecording.get());
    EXPECT_EQ(hotKeys.registerCalls, registers + 1);
    EXPECT_TRUE(registered(kDefault));
    EXPECT_EQ(shortcut->error.get(), std::nullopt);

    // A recorded combination is registered once, stored and published.
    shortcut->beginRecording();
    EXPECT_TRUE(shortcut->use(kOther));
    EXPECT_EQ(hotKeys.registerCalls, registers + 2);
    EXPECT_TRUE(registered(kOther));
    EXPECT_EQ(shortcut->shortcut.get(), kOther);
    EXPECT_FALSE(shortcut->isRecording.get());
    EXPECT_EQ(OverviewShortcutStore(env.session.defaults()).value(), kOther);
    press(kDefault);
    press(kOther);
    EXPECT_EQ(actions, 1);
}

TEST_F(GlobalOverviewShortcutTest, ACombinationMacOSUsesIsRefusedAndThePreviousStaysRegistered) {
    auto shortcut = makeActive();
    const auto before = own();
    EXPECT_FALSE(shortcut->use(OverviewShortcut{49, kCommand}));  // Spotlight
    EXPECT_EQ(shortcut->error.get(), kUsedByMacOS);
    EXPECT_EQ(own()[0].ref, before[0].ref);
    EXPECT_EQ(shortcut->shortcut.get(), kDefault);
    EXPECT_EQ(env.session.defaults().writeCount("overviewShortcut"), 0);
    EXPECT_EQ(changes, 2);

    // The system's arrow shortcuts carry an extra bit that does not count.
    EXPECT_FALSE(shortcut->use(OverviewShortcut{126, kControl}));
    EXPECT_EQ(shortcut->error.get(), kUsedByMacOS);

    // From the recorder: the previous shortcut is registered again, once.
    shortcut->beginRecording();
    const int registers = hotKeys.registerCalls;
    EXPECT_FALSE(shortcut->use(OverviewShortcut{21, kCommand | kShift}));
    EXPECT_FALSE(shortcut->isRecording.get());
    EXPECT_EQ(shortcut->error.get(), kUsedByMacOS);
    EXPECT_EQ(hotKeys.registerCalls, registers + 1);
    EXPECT_TRUE(registered(kDefault));
    press(kDefault);
    EXPECT_EQ(actions, 1);

    // A disabled system shortcut is free.
    EXPECT_TRUE(shortcut->use(OverviewShortcut{28, kControl | kOption | kCommand}));
}

TEST_F(GlobalOverviewShortcutTest, AnUnreadableSystemListCountsAsNoConflict) {
    auto shortcut = makeActive();
    hotKeys.symbolicHotKeysStatus = -50;
    EXPECT_TRUE(shortcut->use(OverviewShortcut{49, kCommand}));
    hotKeys.symbolicHotKeysStatus = 0;
    Dictionary spotlight{{"kHISymbolicHotKeyEnabled", true}, {"kHISymbolicHotKeyCode", 12},
                         {"kHISymbolicHotKeyModifiers", kCommand}};
    hotKeys.symbolicHotKeys = Value(Array{Value(spotlight), Value("not a dictionary")});
    EXPECT_TRUE(shortcut->use(OverviewShortcut{12, kCommand}));
    spotlight["kHISymbolicHotKeyCode"] = 15;
    spotlight["kHISymbolicHotKeyEnabled"] = 1;  // a number 1 converts to true
    Dictionary malformed{{"kHISymbolicHotKeyEnabled", true}, {"kHISymbolicHotKeyCode", "17"},
                         {"kHISymbolicHotKeyModifiers", kCommand}};
    hotKeys.symbolicHotKeys = Value(Array{Value(malformed), Value(spotlight)});
    EXPECT_TRUE(shortcut->use(OverviewShortcut{17, kCommand}));
    EXPECT_FALSE(shortcut->use(OverviewShortcut{15, kCommand}));
}

TEST_F(GlobalOverviewShortcutTest, ACombinationAnotherApplicationHoldsIsRefused) {
    auto shortcut = makeActive();
    ASSERT_TRUE(env.session.registerHotKeyInOtherApplication(kOther.keyCode, kOther.modifiers, "Launcher"));
    EXPECT_FALSE(shortcut->use(kOther));
    EXPECT_EQ(shortcut->error.get(), kInUse);
    EXPECT_TRUE(registered(kDefault));
    EXPECT_EQ(shortcut->shortcut.get(), kDefault);
    EXPECT_EQ(OverviewShortcutStore(env.session.defaults()).value(), kDefault);

    press(kOther);  // goes to the other application
    EXPECT_EQ(actions, 0);
    EXPECT_EQ(hotKeys.deliveries().back().owner, "Launcher");
}

TEST_F(GlobalOverviewShortcutTest, ACombinationThatCannotBeRegisteredLeavesThePreviousRegistrationUntouched) {
    auto shortcut = makeActive();
    const auto before = own();
    const int unregisters = hotKeys.unregisterCalls;
    hotKeys.registerStatus = -9868;  // every registration fails from now on
    EXPECT_FALSE(shortcut->use(kOther));
    EXPECT_EQ(shortcut->error.get(), "That shortcut could not be registered (-9868). Try another combination.");
    // The old registration was never released, so it did not have to be made again (which would
    // have failed too).
    EXPECT_EQ(hotKeys.unregisterCalls, unregisters);
    ASSERT_TRUE(registered(kDefault));
    EXPECT_EQ(own()[0].id, before[0].id);
    EXPECT_TRUE(shortcut->isRegistered());
    press(kDefault);
    EXPECT_EQ(actions, 1);
}

TEST_F(GlobalOverviewShortcutTest, PlatformFailuresAreReportedWithTheirStatusAndRetried) {
    hotKeys.installHandlerStatus = -108;
    auto shortcut = makeActive();
    EXPECT_FALSE(shortcut->isRegistered());
    EXPECT_EQ(shortcut->shortcut.get(), kDefault);
    EXPECT_EQ(shortcut->error.get(), "The keyboard shortcut could not start (-108).");

    hotKeys.installHandlerStatus = 0;
    hotKeys.registerStatus = -9868;
    shortcut->setSuspended(true);
    EXPECT_EQ(shortcut->error.get(), "The keyboard shortcut could not start (-108).");  // suspension keeps it
    shortcut->setSuspended(false);
    EXPECT_EQ(shortcut->error.get(), "That shortcut could not be registered (-9868). Try another combination.");
    hotKeys.registerStatus = 0;  // success without a reference
    shortcut->setSuspended(true);
    shortcut->setSuspended(false);
    EXPECT_EQ(shortcut->error.get(), "That shortcut could not be registered (0). Try another combination.");

    hotKeys.registerStatus.reset();
    shortcut->setSuspended(true);
    shortcut->setSuspended(false);
    EXPECT_EQ(shortcut->error.get(), std::nullopt);
    EXPECT_TRUE(registered(kDefault));
    EXPECT_EQ(hotKeys.handlerCount(), 1u);
    EXPECT_EQ(own()[0].id.id, 1u);  // failed attempts use no id
}

TEST_F(GlobalOverviewShortcutTest, UsingWhileSuspendedOnlyProvesTheCombinationFree) {
    auto shortcut = make();
    shortcut->start([this] { ++actions; });
    EXPECT_TRUE(shortcut->use(kOther));
    EXPECT_TRUE(own().empty());
    EXPECT_EQ(hotKeys.registerCalls, 1);
    EXPECT_EQ(shortcut->shortcut.get(), kOther);
    EXPECT_EQ(OverviewShortcutStore(env.session.defaults()).value(), kOther);
}

TEST_F(GlobalOverviewShortcutTest, UsingNothingTurnsTheShortcutOff) {
    auto shortcut = makeActive();
    EXPECT_TRUE(shortcut->use(std::nullopt));
    EXPECT_TRUE(own().empty());
    EXPECT_EQ(shortcut->shortcut.get(), std::nullopt);
    EXPECT_EQ(env.session.defaults().object("overviewShortcutEnabled"), Value(false));
    EXPECT_EQ(changes, 1);
    shortcut->setSuspended(true);
    shortcut->setSuspended(false);
    EXPECT_TRUE(own().empty());

    // A new object reads it as off and registers nothing until a shortcut is used again.
    shortcut.reset();
    auto next = makeActive();
    EXPECT_TRUE(own().empty());
    EXPECT_TRUE(next->use(kDefault));
    EXPECT_TRUE(registered(kDefault));
}

TEST_F(GlobalOverviewShortcutTest, ALayoutSwitchRenamesKeysWithoutRegisteringAgain) {
    auto shortcut = makeActive();
    shortcut->start([this] { actions += 10; });  // a second start: one observer, the new action
    EXPECT_EQ(env.session.notificationCenter().observerCount(names::kKeyboardSelectionDidChange), 1u);
    changes = 0;
    int redraws = 0;
    auto subscription = shortcut->objectWillChange.subscribe([&] { ++redraws; });
    const int registers = hotKeys.registerCalls, unregisters = hotKeys.unregisterCalls;

    EXPECT_EQ(shortcut->shortcut.get()->displayName(), "⌃⌥⌘W");
    ASSERT_TRUE(env.session.selectKeyboardLayout(sim::keyboard_layout_ids::kFrench));
    env.settle();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(shortcut->shortcut.get()->displayName(), "⌃⌥⌘Z");
    EXPECT_EQ(hotKeys.registerCalls, registers);
    EXPECT_EQ(hotKeys.unregisterCalls, unregisters);
    press(kDefault);  // the same physical key still toggles
    EXPECT_EQ(actions, 10);
}

TEST_F(GlobalOverviewShortcutTest, DisposingReleasesEverythingWithoutHooksAndCanStartAgain) {
    auto shortcut = makeActive();
    shortcut->dispose();
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(own().empty());
    EXPECT_EQ(hotKeys.handlerCount(), 0u);
    EXPECT_EQ(env.session.notificationCenter().observerCount(names::kKeyboardSelectionDidChange), 0u);
    press(kDefault);
    EXPECT_EQ(actions, 0);
    EXPECT_EQ(hotKeys.deliveries().size(), 0u);  // nothing registered, nothing delivered

    shortcut->start([this] { ++actions; });
    EXPECT_TRUE(registered(kDefault));
    press(kDefault);
    EXPECT_EQ(actions, 1);
}

TEST_F(GlobalOverviewShortcutTest, APressAfterDestructionReachesNothing) {
    auto shortcut = makeActive();
    int redraws = 0;
    auto subscription = shortcut->objectWillChange.subscribe([&] { ++redraws; });
    env.session.keyDown(static_cast<std::uint16_t>(kDefault.keyCode), kDefault.eventModifiers());  // already on its way
    env.session.selectKeyboardLayout(sim::keyboard_layout_ids::kGerman);
    shortcut.reset();
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(own().empty());
    EXPECT_EQ(hotKeys.handlerCount(), 0u);
    EXPECT_EQ(env.session.notificationCenter().observerCount(names::kKeyboardSelectionDidChange), 0u);

    env.settle();
    EXPECT_EQ(hotKeys.sendHotKeyEvent(platform::EventHotKeyID{kSignature, 1}, carbon::kEventHotKeyPressed),
              carbon::kEventNotHandledErr);
    EXPECT_EQ(actions, 0);
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(GlobalOverviewShortcutTest, TheActionMayDestroyTheShortcut) {
    auto shortcut = make();
    shortcut->start([&] {
        ++actions;
        shortcut.reset();
    });
    shortcut->setSuspended(false);
    press(kDefault);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(shortcut, nullptr);
    EXPECT_TRUE(own().empty());
}

}  // namespace
}  // namespace tarnwick
