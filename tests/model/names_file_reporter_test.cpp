#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/names_file_reporter.h"
#include "support/files.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Sentences = std::vector<std::string>;

constexpr const char* kSecondDesktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
constexpr const char* kThirdDesktop = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";

class NamesFileReporterTest : public ::testing::Test {
protected:
    NamesFileReporterTest() { env.session.loadDefaultSession(); }

    fs::path namesFile() const { return env.home.path() / "Library/Application Support/Tarnwick/names.json"; }
    NamesFileReporter::Tell tell() {
        return [this](const std::string& sentence) { told.push_back(sentence); };
    }

    testkit::TestEnvironment env;
    Sentences told;
};

// Each cause of failing saves is told once, in the window's words, however many renames meet it;
// the first save after them is told too, and a cause that comes back after it is told again.
TEST_F(NamesFileReporterTest, TellsEachCauseOnceAndTheFirstSaveThatSucceedsAgain) {
    fs::create_directories(namesFile().parent_path().parent_path());
    std::ofstream(namesFile().parent_path()) << "in the way";
    DesktopNamesModel model;
    NamesFileReporter reporter(model, tell());
    EXPECT_EQ(told, Sentences{});

    EXPECT_FALSE(model.rename("Work", kSecondDesktop));
    const std::string notAFolder = *model.errorMessage.get();
    EXPECT_NE(notAFolder.find("is not a folder"), std::string::npos) << notAFolder;
    EXPECT_FALSE(model.rename("Studio", kThirdDesktop));
    EXPECT_FALSE(model.rename("Work", "00000000-0000-0000-0000-00000000FFFF"));  // no save: the desktop is gone
    EXPECT_EQ(told, Sentences{notAFolder});

    fs::remove(namesFile().parent_path());
    fs::create_directories(namesFile());
    EXPECT_FALSE(model.rename("Work", kSecondDesktop));
    EXPECT_FALSE(model.rename("Work", kSecondDesktop));
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1], *model.errorMessage.get());
    EXPECT_NE(told[1].find("it is a folder, not a regular file"), std::string::npos) << told[1];

    fs::remove(namesFile());
    EXPECT_TRUE(model.rename("Work", kSecondDesktop));
    EXPECT_TRUE(model.rename("Studio", kThirdDesktop));
    EXPECT_EQ(told, (Sentences{notAFolder, told[1],
                               "The names file \u201C" + namesFile().string() + "\u201D is saved again."}));

    fs::remove_all(namesFile().parent_path());
    std::ofstream(namesFile().parent_path()) << "in the way";
    EXPECT_FALSE(model.rename("Home", kSecondDesktop));
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[3], notAFolder);
}

// A names file that cannot be read is told as the reporter starts; the renames it refuses for
// the whole run are that one cause, not told again. A file that reads is not spoken of.
TEST_F(NamesFileReporterTest, AnUnreadableFileIsToldOnceAtTheStart) {
    {
        DesktopNamesModel model;
        NamesFileReporter reporter(model, tell());
        EXPECT_TRUE(model.rename("Work", kSecondDesktop));
        EXPECT_EQ(told, Sentences{});
    }
    files::writeAtomically(namesFile(), R"({"version": 2, "names": {}})");
    DesktopNamesModel model;
    NamesFileReporter reporter(model, tell());
    // The log is read apart from the window: it names the file.
    EXPECT_EQ(told, Sentences{"Saved names could not be read from \u201C" + namesFile().string() +
                              "\u201D. Your saved file has been left unchanged."});
    EXPECT_FALSE(model.rename("Work", kSecondDesktop));
    EXPECT_FALSE(model.rename("Studio", kThirdDesktop));
    EXPECT_EQ(told.size(), 1u);
}

}  // namespace
}  // namespace tarnwick
