#include <cmath>

#include <gtest/gtest.h>

#include "model/overview_shortcut_store.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;

constexpr const char* kEnabled = "overviewShortcutEnabled";
constexpr const char* kShortcut = "overviewShortcut";

Value stored(Value keyCode, Value modifiers) {
    Dictionary d;
    d["keyCode"] = std::move(keyCode);
    d["modifiers"] = std::move(modifiers);
    return Value(std::move(d));
}

TEST(OverviewShortcutStoreTest, FreshDefaultsGiveTheDefaultShortcut) {
    TestEnvironment env;
    EXPECT_EQ(OverviewShortcutStore().value(), OverviewShortcut::defaultShortcut);
}

TEST(OverviewShortcutStoreTest, InvalidAndHostileStoredShortcutsReadAsTheDefault) {
    TestEnvironment env;
    auto& defaults = env.session.defaults();
    OverviewShortcutStore store(defaults);
    const std::vector<Value> hostile = {
        stored(55, 0x100),                     // the command key itself
        stored(13, 0x200),                     // shift only
        stored(-1, 0x100),
        stored(12.5, 0x100),
        stored("12", 0x100),
        stored(true, 0x100),                   // a boolean is not a number
        stored(12, true),
        stored(12, 4294967296.0),              // beyond 32 bits
        stored(12, std::nan("")),
        stored(12, INFINITY),
        stored(Value(), 0x100),
        stored(Value(Array{12}), 0x100),
        Value(Dictionary{{"keyCode", 12}}),    // no modifiers
        Value("⌘W"),
        Value(Array{12, 0x100}),
    };
    for (const auto& value : hostile) {
        defaults.set(kShortcut, value);
        EXPECT_EQ(store.value(), OverviewShortcut::defaultShortcut) << describe(value);
    }
    defaults.set(kShortcut, stored(12.0, 4096.0));  // whole floating numbers count
    EXPECT_EQ(store.value(), (OverviewShortcut{12, 0x1000}));
}

TEST(OverviewShortcutStoreTest, OnlyAFalseEnabledFlagTurnsTheShortcutOff) {
    TestEnvironment env;
    auto& defaults = env.session.defaults();
    OverviewShortcutStore store(defaults);
    defaults.set(kShortcut, stored(12, 0x100));
    defaults.set(kEnabled, false);
    EXPECT_EQ(store.value(), std::nullopt);
    defaults.set(kEnabled, 0);
    EXPECT_EQ(store.value(), std::nullopt);
    // Not readable as a Bool: on.
    for (Value unreadable : {Value("NO"), Value(2), Value(Array{})}) {
        defaults.set(kEnabled, unreadable);
        EXPECT_EQ(store.value(), (OverviewShortcut{12, 0x100})) << describe(unreadable);
    }
    // An invalid combination reads as the default, not as off.
    defaults.set(kEnabled, true);
    defaults.set(kShortcut, stored(55, 0x100));
    EXPECT_EQ(store.value(), OverviewShortcut::defaultShortcut);
}

TEST(OverviewShortcutStoreTest, SavingWritesTheDictionaryThenTheFlagAndOffKeepsTheCombination) {
    TestEnvironment env;
    auto& defaults = env.session.defaults();
    OverviewShortcutStore store(defaults);
    store.save(OverviewShortcut{14, 0x1100});
    EXPECT_EQ(defaults.object(kShortcut), stored(14, 0x1100));
    EXPECT_EQ(defaults.object(kEnabled), Value(true));

    store.save(std::nullopt);
    EXPECT_EQ(defaults.object(kEnabled), Value(false));
    EXPECT_EQ(defaults.object(kShortcut), stored(14, 0x1100));
    EXPECT_EQ(defaults.writeCount(kShortcut), 1);
    EXPECT_EQ(store.value(), std::nullopt);

    store.save(OverviewShortcut::defaultShortcut);
    EXPECT_EQ(store.value(), OverviewShortcut::defaultShortcut);
}

TEST(OverviewShortcutStoreTest, SavingAnInvalidShortcutWritesNothing) {
    TestEnvironment env;
    auto& defaults = env.session.defaults();
    defaults.set(kEnabled, false);
    defaults.set(kShortcut, Value("left alone"));
    const int writes = defaults.totalWrites();
    OverviewShortcutStore(defaults).save(OverviewShortcut{13, 0x200});
    EXPECT_EQ(defaults.totalWrites(), writes);
    EXPECT_EQ(defaults.object(kEnabled), Value(false));
    EXPECT_EQ(defaults.object(kShortcut), Value("left alone"));
}

}  // namespace
}  // namespace tarnwick
