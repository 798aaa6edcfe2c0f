#include <cmath>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "model/desktop_names_model.h"
#include "support/files.h"
#include "testkit/test_environment.h"
#include "testkit/write_outcome.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;

constexpr const char* kSecondDesktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";

class DesktopNamesModelTest : public ::testing::Test {
protected:
    DesktopNamesModelTest() { env.session.loadDefaultSession(); }

    std::filesystem::path namesFile() const { return env.home.path() / "Library/Application Support/Tarnwick/names.json"; }
    const ManagedDesktop& desktop(const DesktopNamesModel& model, size_t monitor, size_t index) {
        return model.monitors->at(monitor).desktops.at(index);
    }

    TestEnvironment env;
};

TEST_F(DesktopNamesModelTest, PublishesTheCatalogInScreenOrder) {
    DesktopNamesModel model;
    ASSERT_EQ(model.monitors->size(), 2u);
    EXPECT_EQ(model.monitors->at(0).name, "Built-in Retina Display");
    EXPECT_EQ(desktop(model, 0, 0).id, "00000000-0000-0000-0000-000000000001");
    EXPECT_EQ(desktop(model, 1, 2).nativeTitle, "Desktop 6");
    EXPECT_FALSE(model.errorMessage->has_value());
}

TEST_F(DesktopNamesModelTest, UnforcedRefreshesAreThrottledForcedOnesNever) {
    DesktopNamesModel model;
    env.session.display(1)->currentSpace = 3;  // changes the catalog without a notification
    env.advance(0.2);
    model.refresh(false);
    EXPECT_TRUE(desktop(model, 0, 0).isCurrent);
    model.refresh(true);
    EXPECT_TRUE(desktop(model, 0, 1).isCurrent);

    env.session.display(1)->currentSpace = 5;
    env.advance(0.2);
    model.refresh(false);  // 0.2 s after the forced refresh: skipped
    EXPECT_TRUE(desktop(model, 0, 1).isCurrent);
    env.advance(0.4);
    model.refresh(false);
    EXPECT_TRUE(desktop(model, 0, 2).isCurrent);
}

TEST_F(DesktopNamesModelTest, TheThrottleEndsExactlyHalfASecondAfterARefresh) {
    const double refreshed = env.clock.uptime();
    DesktopNamesModel model;  // refreshes as it is created
    env.session.display(1)->currentSpace = 3;
    env.clock.set(std::nextafter(refreshed + 0.5, 0.0));
    model.refresh(false);
    EXPECT_TRUE(desktop(model, 0, 0).isCurrent);
    env.clock.set(refreshed + 0.5);
    model.refresh(false);
    EXPECT_TRUE(desktop(model, 0, 1).isCurrent);
}

TEST_F(DesktopNamesModelTest, CatalogChangedIsQueuedOnlyForChangesOrTheUser) {
    DesktopNamesModel model;
    int calls = 0;
    model.catalogChanged = [&] { ++calls; };
    env.settle();
    calls = 0;

    model.refresh(true);
    env.settle();
    EXPECT_EQ(calls, 0);

    model.refreshForUser();
    EXPECT_EQ(calls, 0);  // delivered on a later turn, never from inside the refresh
    env.settle();
    EXPECT_EQ(calls, 1);

    env.session.switchDesktop(2, 6);  // posts the active-desktop notification
    env.settle();
    env.settle();
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(desktop(model, 1, 1).isCurrent);
}

TEST_F(DesktopNamesModelTest, AFailedRefreshEmptiesTheCatalogWithItsMessage) {
    DesktopNamesModel model;
    int calls = 0;
    model.catalogChanged = [&] { ++calls; };
    env.settle();
    calls = 0;
    env.session.skyLight.available = false;
    model.refresh(true);
    EXPECT_TRUE(model.monitors->empty());
    EXPECT_EQ(model.errorMessage.get(), "Desktop information is not available. Try Refresh.");
    env.settle();
    EXPECT_EQ(calls, 1);

    env.session.skyLight.available = true;
    model.refresh(true);
    EXPECT_EQ(model.monitors->size(), 2u);
    EXPECT_FALSE(model.errorMessage->has_value());
}

TEST_F(DesktopNamesModelTest, RenamesGoThroughTheNamesFile) {
    DesktopNamesModel model;
    int changes = 0;
    model.namesChanged = [&] { ++changes; };
    EXPECT_TRUE(model.rename("  Work  ", kSecondDesktop));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model.store().names().at(kSecondDesktop), "Work");
    EXPECT_EQ(model.drafts->at(kSecondDesktop), "  Work  ");
    EXPECT_NE(files::read(namesFile()).find("\"Work\""), std::string::npos);

    EXPECT_TRUE(model.rename("Work", kSecondDesktop));
    EXPECT_EQ(changes, 1);  // nothing stored changed

    EXPECT_TRUE(model.rename("   ", kSecondDesktop));
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(model.store().names().empty());
}

TEST_F(DesktopNamesModelTest, RenamingAnUnlistedDesktopFailsAndKeepsDrafts) {
    DesktopNamesModel model;
    std::string lower = "6f1c2b9e-0d4a-4c8e-9b3f-2a7d5e1c8b40";
    EXPECT_FALSE(model.rename("Work", lower));
    EXPECT_EQ(model.errorMessage.get(), "This desktop is no longer available. Refresh the list.");
    EXPECT_TRUE(model.drafts->empty());
    // The message stays until the next rename, also across a successful refresh.
    model.refresh(true);
    EXPECT_EQ(model.errorMessage.get(), "This desktop is no longer available. Refresh the list.");
}

TEST_F(DesktopNamesModelTest, AnUnreadableNamesFileIsNeverOverwritten) {
    files::createDirectories(namesFile().parent_path());
    const std::string content = R"({"version": 2, "names": {}})";
    files::writeAtomically(namesFile(), content);
    DesktopNamesModel model;
    EXPECT_EQ(model.errorMessage.get(), "Saved names could not be read. Your saved file has been left unchanged.");
    EXPECT_FALSE(model.rename("Work", kSecondDesktop));
    EXPECT_EQ(model.errorMessage.get(), "Could not save this name. Saved desktop names could not be read.");
    EXPECT_EQ(files::read(namesFile()), content);
    EXPECT_EQ(model.drafts->at(kSecondDesktop), "Work");  // the draft of the attempt stays
}

// A name written where it should not have been is saved: the rename succeeds, the store holds
// what the file does, and the window says so with where the write left everything, never that
// the name could not be saved. The next plain save clears it.
TEST_F(DesktopNamesModelTest, ANameWrittenWhereItShouldNotHaveBeenIsToldAsSaved) {
    DesktopNamesModel model;
    std::vector<DesktopNamesModel::NamesSave> heard;
    const Subscription saves = model.namesSaved.subscribe([&](const auto& save) { heard.push_back(save); });
    int changed = 0;
    model.namesChanged = [&] { ++changed; };
    std::filesystem::path temporary;
    {
        const files::WriteHooksScope hooks(testkit::swapBackFails(namesFile(), &temporary));
        EXPECT_TRUE(model.rename("Work", kSecondDesktop));
    }
    const std::string said = "This name was saved. The file \u201Cnames.json\u201D was written where it should not "
                             "have been: it was a FIFO (named pipe), not a regular file, and the write swapped that out "
                             "of the way to look at it and could not swap it back; the document written is now at " +
                             namesFile().string() + " and the FIFO (named pipe) is at " + temporary.string() + ".";
    EXPECT_EQ(model.errorMessage.get(), said);
    EXPECT_EQ(heard, (std::vector<DesktopNamesModel::NamesSave>{{true, said}}));
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(model.store().names(), (DesktopNameStore::Names{{kSecondDesktop, "Work"}}));
    EXPECT_EQ(DesktopNameStore(namesFile()).names(), model.store().names());
    model.refresh(true);
    EXPECT_EQ(model.errorMessage.get(), said);

    EXPECT_TRUE(model.rename("Home", kSecondDesktop));
    EXPECT_FALSE(model.errorMessage->has_value());
    EXPECT_EQ(heard.back(), (DesktopNamesModel::NamesSave{true, std::nullopt}));
    EXPECT_EQ(DesktopNameStore(namesFile()).names(), (DesktopNameStore::Names{{kSecondDesktop, "Home"}}));
}

TEST_F(DesktopNamesModelTest, DisplayNamesAndTheirDrafts) {
    DesktopNamesModel model;
    const DesktopMonitor studio = model.monitors->at(1);
    EXPECT_EQ(model.displayName(studio), "Studio Display");
    EXPECT_EQ(model.displayNameDraft("not a uuid"), "");

    model.editDisplayName("Left", "9c4e1f7a-5b2d-4e8f-a1c3-6d9b2e4f7a18");
    EXPECT_EQ(model.displayNameDraft(kStudio), "Left");
    EXPECT_EQ(model.displayName(studio), "Studio Display");  // drafts are not names yet
    model.commitDisplayName(kStudio);
    EXPECT_EQ(model.displayName(studio), "Left");
    EXPECT_EQ(model.displayAlias(kStudio), "Left");

    model.editDisplayName("", kStudio);
    EXPECT_EQ(model.displayNameDraft(kStudio), "");  // an empty draft still wins over the alias
    model.commitDisplayNames();
    EXPECT_EQ(model.displayName(studio), "Studio Display");
    EXPECT_FALSE(env.session.defaults().object("displayAliases"));

    int published = 0;
    auto subscription = model.displayAliases.subscribe([&](const auto&) { ++published; });
    auto drafts = model.displayNameDrafts.subscribe([&](const auto&) { ++published; });
    model.commitDisplayNames();
    EXPECT_EQ(published, 0);
}

TEST_F(DesktopNamesModelTest, QueuedWorkDoesNothingOnceTheModelIsGone) {
    int calls = 0;
    {
        DesktopNamesModel model;
        model.catalogChanged = [&] { ++calls; };
        model.refreshForUser();
    }
    env.session.switchDesktop(1, 3);
    env.settle();
    env.settle();
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tarnwick
