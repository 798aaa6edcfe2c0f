// The built program run by a user without root's rights (root may write in any folder, so these
// run as nobody where the tests run as root): a picture and the names go into folders that user
// may write in and pass through but not list, a folder without the right to write in it is said
// to be one, and a read-only disk is named as such.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/child_process.h"
#include "testkit/console_process.h"
#include "testkit/temp_folder.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
constexpr const char* kDesktop2 = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
constexpr fs::perms kWriteAndPassOnly = fs::perms::owner_write | fs::perms::owner_exec;

fs::path namesFile(const fs::path& home) { return home / "Library/Application Support/Tarnwick/names.json"; }

// The program and its session, where the user the child has become cannot reach them.
void skipUnlessTheProgramCanBeRun() {
    if (::access(TARNWICK_BINARY, X_OK) != 0 || ::access(kDefaultSession.c_str(), R_OK) != 0)
        throw testkit::ChildSkip("skipped: the built program or its session is out of this user's reach");
}

// The commands' answers, one a line, each command's lines after a "> command" line.
std::string answersTo(testkit::ConsoleProcess& program, const Lines& commands) {
    std::string transcript;
    for (const auto& command : commands) transcript += "> " + command + "\n" + testkit::transcript(program.send(command));
    return transcript;
}

TEST(ProgramFilesAsAnotherUserTest, FoldersThatMayBeWrittenInButNotListedTakeThePictureAndTheNames) {
    testkit::TempFolder home, pictures;
    fs::create_directories(namesFile(home.path()).parent_path());
    for (const char* name : {"unlisted", "closed"}) fs::create_directory(pictures / name);
    const fs::path picture = pictures / "unlisted" / "screen.svg";
    const fs::path refused = pictures / "closed" / "screen.svg";
    const std::string field = "name." + std::string(kDesktop2);
    const auto outcome = testkit::asUnprivilegedUser({home.path(), pictures.path()}, [&] {
        skipUnlessTheProgramCanBeRun();
        fs::permissions(namesFile(home.path()).parent_path(), kWriteAndPassOnly);
        fs::permissions(pictures / "unlisted", kWriteAndPassOnly);
        fs::permissions(pictures / "closed", fs::perms::owner_read | fs::perms::owner_exec);
        testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
        std::string transcript = testkit::transcript(program.ready());
        transcript += answersTo(program, {"screen svg " + picture.string(), "screen svg " + refused.string(),
                                          "click status-item", "wait 1", "menu \"Desktop Names\"",
                                          "type " + field + " Home", "submit " + field, "screen"});
        program.send("quit");
        transcript += "exit " + std::to_string(program.finish());
        return transcript;
    });
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    const std::string& transcript = outcome.answer;
    EXPECT_NE(transcript.find("> screen svg " + picture.string() + "\nok\n"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("> screen svg " + refused.string() + "\nerror: The picture could not be written to \"" +
                              refused.string() + "\" because you may not write in the folder \"" +
                              (pictures / "closed").string() + "\".\n"),
              std::string::npos)
        << transcript;
    EXPECT_EQ(transcript.find("Could not save"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("exit 0"), std::string::npos) << transcript;

    std::string problem;
    const auto drawn = testkit::parseXml(testkit::fileText(picture), &problem);
    ASSERT_TRUE(drawn) << problem;
    EXPECT_EQ(drawn->name, "svg");
    EXPECT_NE(testkit::fileText(namesFile(home.path())).find(std::string(kDesktop2) + "\":\"Home\""), std::string::npos);
    EXPECT_FALSE(fs::exists(refused));
}

TEST(ProgramFilesAsAnotherUserTest, AReadOnlyDiskIsNamed) {
    testkit::TempFolder home, pictures;
    const fs::path disk = pictures / "disk";
    fs::create_directory(disk);
    const auto outcome = testkit::withMountsOfItsOwn([&] {
        skipUnlessTheProgramCanBeRun();
        testkit::mountReadOnlyDisk(disk);
        testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
        program.ready();
        const std::string transcript = answersTo(program, {"screen svg " + (disk / "screen.svg").string()});
        program.send("quit");
        return transcript + "exit " + std::to_string(program.finish());
    });
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    EXPECT_EQ(outcome.answer, "> screen svg " + (disk / "screen.svg").string() +
                                  "\nerror: The picture could not be written to \"" + (disk / "screen.svg").string() +
                                  "\" because the folder \"" + disk.string() + "\" is on a read-only disk.\nexit 0");
}

}  // namespace
}  // namespace tarnwick
