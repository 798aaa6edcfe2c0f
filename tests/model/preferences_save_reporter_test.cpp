#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/preferences_save_reporter.h"
#include "platform/sim/memory_user_defaults.h"
#include "support/files.h"
#include "testkit/temp_folder.h"
#include "testkit/write_outcome.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Sentences = std::vector<std::string>;

// The settings' folder is a file at first, which no user, root included, can save in.
class PreferencesSaveReporterTest : public ::testing::Test {
protected:
    testkit::TempFolder home;
    fs::path folder = home / "Preferences";
    fs::path file = folder / "local.orlenbay.Tarnwick.json";
    Sentences told;

    void SetUp() override { std::ofstream(folder) << "in the way"; }
    PreferencesSaveReporter::Tell tell() {
        return [this](const std::string& sentence) { told.push_back(sentence); };
    }
    std::string notAFolder() const {
        return "The preferences file \u201C" + file.string() +
               "\u201D could not be saved. The file \u201Clocal.orlenbay.Tarnwick.json\u201D couldn\u2019t be saved "
               "because \u201C" +
               folder.string() + "\u201D is not a folder. Changes to the settings are kept only until Tarnwick quits.";
    }
};

// Once for each cause, however often the save fails for it; once more when a save succeeds.
TEST_F(PreferencesSaveReporterTest, TellsEachCauseOnceAndTheFirstSaveThatSucceedsAgain) {
    sim::MemoryUserDefaults defaults(file);
    PreferencesSaveReporter reporter(defaults, tell());
    EXPECT_EQ(told, Sentences{});

    defaults.set("showBanner", false);
    defaults.set("bannerScale", 2);
    defaults.remove("bannerScale");
    EXPECT_EQ(told, Sentences{notAFolder()});

    // Another cause: the folder is there now, but a folder has taken the file's name.
    fs::remove(folder);
    fs::create_directories(file);
    defaults.set("bannerScale", 3);
    defaults.set("bannerScale", 4);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_NE(told[1].find("because it is a folder, not a regular file. Nothing was written. Changes to the settings"),
              std::string::npos)
        << told[1];

    fs::remove(file);
    defaults.set("bannerScale", 5);
    defaults.set("bannerScale", 6);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[2], "The preferences file \u201C" + file.string() +
                           "\u201D is saved again, with the changes to the settings made while it could not be.");
    EXPECT_EQ(sim::MemoryUserDefaults(file).snapshot(),
              (Dictionary{{"showBanner", Value(false)}, {"bannerScale", Value(6)}}));

    // A cause told before is told again once it returns after a save that succeeded.
    fs::remove_all(folder);
    std::ofstream(folder) << "in the way";
    defaults.set("bannerScale", 7);
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[3], notAFolder());
}

// A save that failed before the reporter existed is told as it starts; none is told once it is
// gone.
TEST_F(PreferencesSaveReporterTest, TellsAFailureFromBeforeItAndNothingAfterIt) {
    sim::MemoryUserDefaults defaults(file);
    defaults.set("showBanner", false);
    {
        PreferencesSaveReporter reporter(defaults, tell());
        EXPECT_EQ(told, Sentences{notAFolder()});
    }
    fs::remove(folder);
    defaults.set("showBanner", true);
    EXPECT_EQ(told.size(), 1u);
}

// A save written where it should not have been holds the settings: it is told as saved, with the
// writer's sentence, and a save after it tells nothing more, as after a save that succeeded.
TEST_F(PreferencesSaveReporterTest, ASaveWrittenWhereItShouldNotHaveBeenIsToldAsSaved) {
    sim::MemoryUserDefaults defaults(file);
    PreferencesSaveReporter reporter(defaults, tell());
    defaults.set("showBanner", false);
    fs::remove(folder);
    fs::create_directories(folder);
    fs::path temporary;
    {
        const files::WriteHooksScope hooks(testkit::swapBackFails(file, &temporary));
        defaults.set("bannerScale", 2);
    }
    const auto amiss = defaults.saveFailure();
    ASSERT_TRUE(amiss);
    EXPECT_TRUE(amiss->written);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0], notAFolder());
    EXPECT_EQ(told[1], "The settings were saved in the preferences file \u201C" + file.string() +
                           "\u201D. The file \u201Clocal.orlenbay.Tarnwick.json\u201D was written where it should not "
                           "have been: it was a FIFO (named pipe), not a regular file, and the write swapped that out "
                           "of the way to look at it and could not swap it back; the document written is now at " +
                           file.string() + " and the FIFO (named pipe) is at " + temporary.string() + ".");
    EXPECT_EQ(sim::MemoryUserDefaults(file).snapshot(), defaults.snapshot());
    defaults.set("bannerScale", 3);
    EXPECT_FALSE(defaults.saveFailure());
    EXPECT_EQ(told.size(), 2u);
}

// Saves that succeed, and a domain kept nowhere, tell nothing.
TEST_F(PreferencesSaveReporterTest, SavesThatSucceedTellNothing) {
    fs::remove(folder);
    sim::MemoryUserDefaults defaults(file);
    sim::MemoryUserDefaults inMemory;
    PreferencesSaveReporter reporter(defaults, tell());
    PreferencesSaveReporter inMemoryReporter(inMemory, tell());
    defaults.set("showBanner", false);
    inMemory.set("showBanner", false);
    EXPECT_EQ(told, Sentences{});
}

}  // namespace
}  // namespace tarnwick
