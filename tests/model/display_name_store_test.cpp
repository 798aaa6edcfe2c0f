#include <gtest/gtest.h>

#include "model/display_name_store.h"
#include "platform/sim/memory_user_defaults.h"

namespace tarnwick {
namespace {

constexpr const char* kMain = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";
constexpr const char* kSide = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
constexpr const char* kMainLower = "9c4e1f7a-5b2d-4e8f-a1c3-6d9b2e4f7a18";
constexpr const char* kMainMixed = "9c4e1f7a-5B2D-4e8f-a1c3-6d9b2e4f7a18";

TEST(DisplayNameStoreTest, AliasesAreCleanedWhenRead) {
    sim::MemoryUserDefaults defaults;
    DisplayNameStore store(defaults);
    defaults.replaceAll({{"displayAliases", "Studio"}});
    EXPECT_TRUE(store.aliases().empty());

    defaults.replaceAll({{"displayAliases", Dictionary{{kMainLower, "  Studio \n"}, {kSide, 3}, {"Desk", "Desk"},
                                                        {"37D8832A-2D66-02CA-B9F7-8F30A301B231", " "}}}});
    EXPECT_EQ(store.aliases(), (DisplayNameStore::Aliases{{kMain, "Studio"}}));
    EXPECT_EQ(store.name(kMainLower, "Built-in"), "Studio");
    EXPECT_EQ(store.name(kSide, "LG"), "LG");
    EXPECT_EQ(store.name("Desk", "Built-in"), "Built-in");
}

TEST(DisplayNameStoreTest, SpellingsOfOneDisplayResolveDeterministically) {
    sim::MemoryUserDefaults defaults;
    DisplayNameStore store(defaults);
    defaults.replaceAll({{"displayAliases", Dictionary{{kMainLower, "lower"}, {kMain, "canonical"}, {kMainMixed, "mixed"}}}});
    EXPECT_EQ(store.name(kMain, ""), "canonical");
    defaults.replaceAll({{"displayAliases", Dictionary{{kMainLower, "lower"}, {kMainMixed, "mixed"}}}});
    EXPECT_EQ(store.name(kMain, ""), "mixed");  // first in sorted order
}

TEST(DisplayNameStoreTest, SettingWritesTheCleanedDictionaryOnlyWhenItChanges) {
    sim::MemoryUserDefaults defaults;
    DisplayNameStore store(defaults);
    defaults.replaceAll({{"displayAliases", Dictionary{{kMainLower, "Studio"}, {"junk", "x"}}}, {"other", 1}});

    store.set(" Studio ", kMain);
    store.set("", kSide);
    store.set("Desk", "not-a-uuid");
    EXPECT_EQ(defaults.totalWrites(), 0);

    store.set("Wall", kSide);
    EXPECT_EQ(defaults.object("displayAliases"), Value(Dictionary{{kMain, "Studio"}, {kSide, "Wall"}}));
    store.set(" ", kMain);
    store.set("\n", kSide);
    EXPECT_FALSE(defaults.object("displayAliases"));
    EXPECT_TRUE(defaults.object("other"));
}

TEST(DisplayNameStoreTest, DraftsPreferPendingTextAndCommitAsAliases) {
    sim::MemoryUserDefaults defaults;
    DisplayNameStore store(defaults);
    store.set("Studio", kMain);
    EXPECT_EQ(store.draft(kMainLower), "Studio");
    EXPECT_EQ(store.draft(kSide), "");
    EXPECT_EQ(store.draft("nope"), "");

    store.edit("", kMainLower);
    store.edit(" Wall ", kSide);
    store.edit("ignored", "nope");
    EXPECT_EQ(store.pendingDrafts(), (DisplayNameStore::Aliases{{kMain, ""}, {kSide, " Wall "}}));
    EXPECT_EQ(store.draft(kMain), "");  // an empty draft still wins over the alias

    store.commitDraft(kSide);
    EXPECT_EQ(store.aliases(), (DisplayNameStore::Aliases{{kMain, "Studio"}, {kSide, "Wall"}}));
    store.setPendingDrafts({{kMain, ""}, {kSide, "  "}, {"nope", "kept"}});
    store.commitDrafts();
    EXPECT_FALSE(defaults.object("displayAliases"));
    EXPECT_EQ(store.pendingDrafts(), (DisplayNameStore::Aliases{{"nope", "kept"}}));
}

}  // namespace
}  // namespace tarnwick
