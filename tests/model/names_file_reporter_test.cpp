#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/names_file_reporter.h"
#include "support/files.h"
#include "testkit/test_environment.h"
#include "testkit/write_outcome.h"

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

// A name written where it should not have been is told as saved, in the window's words, each
// time; after a failure it needs no "saved again", and a failure after it is told again.
TEST_F(NamesFileReporterTest, ANameWrittenWhereItShouldNotHaveBeenIsToldAsSaved) {
    fs::create_directories(namesFile().parent_path().parent_path());
    std::ofstream(namesFile().parent_path()) << "in the way";
    DesktopNamesModel model;
    NamesFileReporter reporter(model, tell());
    EXPECT_FALSE(model.rename("Work", kSecondDesktop));
    const std::string notAFolder = *model.errorMessage.get();
    fs::remove(namesFile().parent_path());
    fs::create_directories(namesFile().parent_path());
    for (const char* name : {"Home", "Studio"}) {
        const files::WriteHooksScope hooks(testkit::swapBackFails(namesFile()));
        EXPECT_TRUE(model.rename(name, kSecondDesktop));
    }
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], notAFolder);
    for (const std::size_t i : {1u, 2u}) {
        EXPECT_EQ(told[i].rfind("This name was saved. The file \u201Cnames.json\u201D was written where it should not "
                                "have been: ", 0),
                  0u)
            << told[i];
    }
    EXPECT_EQ(told[2], *model.errorMessage.get());
    EXPECT_TRUE(model.rename("Work", kSecondDesktop));
    EXPECT_EQ(told.size(), 3u);
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
    // The log is read apart from the window: it names the file and why.
    EXPECT_EQ(told, Sentences{"Saved names could not be read from \u201C" + namesFile().string() +
                              "\u201D: its version is 2, and Tarnwick reads only version 1. Your saved file has been "
                              "left unchanged."});
    EXPECT_FALSE(model.rename("Work", kSecondDesktop));
    EXPECT_FALSE(model.rename("Studio", kThirdDesktop));
    EXPECT_EQ(told.size(), 1u);
}

// What is no file at the names file's path is said as the names window and the writer say it.
TEST_F(NamesFileReporterTest, WhatIsNoFileIsSaidAsTheWriterSaysIt) {
    struct Case {
        std::function<void(const fs::path&)> make;
        std::string reason;
    };
    const Case cases[] = {
        {[](const fs::path& at) { fs::create_directory(at); }, "it is a folder, not a regular file"},
        {[](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
         "it is a FIFO (named pipe), not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        told.clear();
        fs::remove_all(namesFile());
        fs::create_directories(namesFile().parent_path());
        c.make(namesFile());
        DesktopNamesModel model;
        NamesFileReporter reporter(model, tell());
        EXPECT_EQ(told, Sentences{"Saved names could not be read from \u201C" + namesFile().string() + "\u201D: " +
                                  c.reason + ". Your saved file has been left unchanged."});
        EXPECT_FALSE(model.rename("Work", kSecondDesktop));
        EXPECT_NE(model.errorMessage.get()->find("because " + c.reason + "."), std::string::npos);
    }
}

}  // namespace
}  // namespace tarnwick
