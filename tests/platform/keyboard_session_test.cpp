#include <gtest/gtest.h>

#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "platform/sim/sim_login_items.h"
#include "support/error.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
namespace carbon = platform::carbon;
namespace translate = platform::key_translate;

std::u16string translated(platform::KeyboardLayouts& layouts, std::uint16_t keyCode) {
    auto layout = layouts.unicodeKeyLayoutData(*layouts.copyCurrentKeyboardLayoutInputSource());
    std::uint32_t dead = 0;
    std::u16string out;
    layouts.keyTranslate(*layout, keyCode, translate::kActionDisplay, 0, layouts.keyboardType(),
                         translate::kNoDeadKeysMask, dead, 8, out);
    return out;
}

TEST(KeyboardSessionTest, HotKeysAreExclusivePerCombinationWhoeverHoldsThem) {
    TestEnvironment env;
    auto& hotKeys = *env.session.platform().hotKeys;
    const auto target = hotKeys.applicationEventTarget();
    platform::EventHotKeyRef first, second;
    EXPECT_EQ(hotKeys.registerEventHotKey(13, 0x1900, {1, 1}, target, carbon::kEventHotKeyExclusive, first), 0);
    EXPECT_EQ(hotKeys.registerEventHotKey(13, 0x1900, {1, 2}, target, carbon::kEventHotKeyExclusive, second),
              carbon::kEventHotKeyExistsErr);
    EXPECT_FALSE(second);
    EXPECT_FALSE(env.session.registerHotKeyInOtherApplication(13, 0x1900));
    EXPECT_EQ(hotKeys.unregisterEventHotKey(first), 0);
    EXPECT_EQ(hotKeys.unregisterEventHotKey(first), carbon::kEventHotKeyInvalidErr);
    EXPECT_TRUE(env.session.registerHotKeyInOtherApplication(13, 0x1900));
}

TEST(KeyboardSessionTest, TheLoginItemChangesStateOrFailsWithTheSessionsMessage) {
    TestEnvironment env;
    auto& service = *env.session.platform().loginItem;
    auto& login = env.session.loginItem();
    EXPECT_EQ(service.status(), platform::LoginItemStatus::notRegistered);
    service.registerApp();
    EXPECT_EQ(service.status(), platform::LoginItemStatus::enabled);
    service.unregisterApp();
    login.approvalRequired = true;
    service.registerApp();
    EXPECT_EQ(service.status(), platform::LoginItemStatus::requiresApproval);

    login.unregisterError = "Operation not permitted";
    try {
        service.unregisterApp();
        FAIL();
    } catch (const SystemError& e) {
        EXPECT_STREQ(e.what(), "Operation not permitted");
        EXPECT_EQ(e.domain(), sim::kLoginItemErrorDomain);
    }
    EXPECT_EQ(service.status(), platform::LoginItemStatus::requiresApproval);
    service.openSystemSettingsLoginItems();
    EXPECT_EQ(login.settingsOpenings, 1);
}

TEST(KeyboardSessionTest, SessionFilesSetHotKeysLayoutsAndTheLoginItem) {
    TestEnvironment env;
    env.session.load(R"({
      "hotKeys": {"symbolic": [{"kHISymbolicHotKeyEnabled": true, "kHISymbolicHotKeyCode": 13,
                                "kHISymbolicHotKeyModifiers": 6400}],
                  "otherApplications": [{"keyCode": 14, "modifiers": 256, "application": "Launcher"}],
                  "installHandlerStatus": -108},
      "keyboard": {"layout": "com.apple.keylayout.French", "type": 43},
      "loginItem": {"status": 2, "registerError": "The operation couldn't be completed."}
    })");
    auto& hotKeys = env.session.hotKeys();
    std::optional<Value> symbolic;
    EXPECT_EQ(hotKeys.copySymbolicHotKeys(symbolic), 0);
    EXPECT_EQ(symbolic->asArray()->size(), 1u);
    ASSERT_EQ(hotKeys.registrations().size(), 1u);
    EXPECT_EQ(hotKeys.registrations()[0].owner, "Launcher");
    EXPECT_EQ(hotKeys.installHandlerStatus, -108);
    auto& layouts = *env.session.platform().keyboardLayouts;
    EXPECT_EQ(layouts.keyboardType(), 43u);
    EXPECT_EQ(translated(layouts, 13), u"z");
    EXPECT_EQ(env.session.loginItem().state, platform::LoginItemStatus::requiresApproval);
    EXPECT_THROW(env.session.platform().loginItem->registerApp(), SystemError);

    env.session.load(R"({"keyboard": {"layout": null}, "hotKeys": {"symbolicStatus": -50}})");
    EXPECT_FALSE(layouts.copyCurrentKeyboardLayoutInputSource());
    EXPECT_EQ(hotKeys.copySymbolicHotKeys(symbolic), -50);
    EXPECT_FALSE(symbolic);

    try {
        env.session.load(R"({"loginItem": {"status": 4}})");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The session file is not valid: loginItem.status must be 0, 1, 2 or 3.");
    }
    EXPECT_THROW(env.session.load(R"({"keyboard": {"layout": "Dvorak"}})"), Error);
    EXPECT_FALSE(env.session.selectKeyboardLayout("Dvorak"));
    EXPECT_THROW(env.session.load(R"({"hotKeys": {"otherApplications": [{"keyCode": 14, "modifiers": 256}]}})"),
                 Error);  // already taken
}

}  // namespace
}  // namespace tarnwick
