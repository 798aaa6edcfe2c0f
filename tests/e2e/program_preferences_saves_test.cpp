// The built program on virtual time where the settings cannot be saved: the settings folder is
// a file (which root cannot pass either), or a folder of mode 0555 (as another user than root).
// The change shows and holds for the run; why it is not saved is said once, on standard error
// and in the log, with the writer's reason; a save that succeeds again is said too, and the next
// run starts from what was saved.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/console_process.h"
#include "testkit/child_process.h"
#include "testkit/program_copy.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";

fs::path preferencesFolder(const testkit::TempFolder& home) { return home.path() / "Library/Preferences"; }
fs::path preferencesFile(const testkit::TempFolder& home) {
    return preferencesFolder(home) / "local.orlenbay.Tarnwick.json";
}
fs::path logFile(const testkit::TempFolder& home) { return home.path() / "Library/Logs/Tarnwick/Tarnwick.log"; }

std::string cannotBeSaved(const testkit::TempFolder& home, const std::string& because) {
    return "The preferences file \u201C" + preferencesFile(home).string() +
           "\u201D could not be saved. The file \u201Clocal.orlenbay.Tarnwick.json\u201D couldn\u2019t be saved "
           "because " +
           because + ". Changes to the settings are kept only until Tarnwick quits.";
}

size_t linesOf(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// A run of the program, with the settings' "Tint glass" to look at and to change.
class Settings {
public:
    explicit Settings(const testkit::TempFolder& home, const testkit::ProgramCopy* copy = nullptr)
        : program_({home.path(), copy ? copy->session : kDefaultSession, {}, {}, true,
                    testkit::ConsoleProcess::kPatience, copy ? std::optional(copy->program) : std::nullopt}) {
        const Lines lines = program_.ready();
        ready_ = !lines.empty() && lines.back() == "ready";
    }
    bool ready() const { return ready_; }
    void openBanner() {
        sendAll({"click status-item", "wait 1", "menu \"Settings\u2026\"", "set \"Settings sections\" Banner"});
    }
    bool tintOn() { return testkit::printed(program_.send("screen"), "toggle \"Tint glass\" on"); }
    void setTint(bool on) { sendAll({std::string("set \"Tint glass\" ") + (on ? "on" : "off")}); }
    // Quits; the program's status and all it said on standard error.
    std::string quit() {
        program_.send("quit");
        const int status = program_.finish();
        return "status " + std::to_string(status) + "\n" + program_.standardError();
    }
    // The commands that were not answered "ok", one a line.
    const std::string& refused() const { return refused_; }

private:
    void sendAll(const Lines& commands) {
        for (const auto& command : commands) {
            const Lines answer = program_.send(command);
            if (answer.empty() || answer.back() != "ok") refused_ += command + "\n";
        }
    }

    testkit::ConsoleProcess program_;
    bool ready_ = false;
    std::string refused_;
};

// The settings folder is a file: the launch's own save fails and is said then, once, whatever is
// changed after; the change shows for the run. The file taken away, the next change is saved
// with the others and said to be; the next run starts from it.
TEST(ProgramPreferencesSavesTest, SettingsThatCannotBeSavedAreSaidOnceAndKeptForTheRun) {
    testkit::TempFolder home;
    fs::create_directories(home.path() / "Library");
    std::ofstream(preferencesFolder(home)) << "in the way";
    const std::string sentence = cannotBeSaved(home, "\u201C" + preferencesFolder(home).string() + "\u201D is not a folder");
    {
        Settings run(home);
        ASSERT_TRUE(run.ready());
        run.openBanner();
        EXPECT_FALSE(run.tintOn());
        run.setTint(true);
        run.setTint(false);
        run.setTint(true);
        EXPECT_TRUE(run.tintOn());
        EXPECT_EQ(run.refused(), "");
        EXPECT_EQ(run.quit(), "status 0\ntarnwick: " + sentence + "\n");
    }
    EXPECT_EQ(testkit::fileText(preferencesFolder(home)), "in the way");
    const std::string log = testkit::fileText(logFile(home));
    EXPECT_EQ(linesOf(log), 1u) << log;
    EXPECT_NE(log.find("Z " + sentence + "\n"), std::string::npos) << log;

    const std::string savedAgain = "The preferences file \u201C" + preferencesFile(home).string() +
                                   "\u201D is saved again, with the changes to the settings made while it could not be.";
    {
        Settings run(home);
        ASSERT_TRUE(run.ready());
        run.openBanner();
        EXPECT_FALSE(run.tintOn()) << "the last run's change was not saved";
        run.setTint(true);
        fs::remove(preferencesFolder(home));
        run.setTint(false);
        run.setTint(true);
        EXPECT_EQ(run.quit(), "status 0\ntarnwick: " + sentence + "\ntarnwick: " + savedAgain + "\n");
    }
    {
        Settings run(home);
        ASSERT_TRUE(run.ready());
        run.openBanner();
        EXPECT_TRUE(run.tintOn());
        EXPECT_EQ(run.quit(), "status 0\n");
    }
    EXPECT_EQ(linesOf(testkit::fileText(logFile(home))), 3u);
}

// A settings folder of mode 0555, as a person who is not root meets it: said once with the
// writer's reason; the change holds for the run and is gone at the next.
TEST(ProgramPreferencesSavesTest, AReadOnlySettingsFolderIsSaidOnceAsAnotherUser) {
    testkit::TempFolder home;
    fs::create_directories(preferencesFolder(home));
    fs::permissions(preferencesFolder(home), fs::perms(0555));
    const testkit::ProgramCopy copy(kDefaultSession);
    const auto outcome = testkit::asUnprivilegedUser({home.path(), copy.folder.path()}, [&] {
        std::string seen;
        for (int run = 0; run < 2; ++run) {
            Settings settings(home, &copy);
            if (!settings.ready()) return std::string("not ready");
            settings.openBanner();
            seen += settings.tintOn() ? "on at start, " : "off at start, ";
            settings.setTint(true);
            settings.setTint(false);
            settings.setTint(true);
            seen += settings.tintOn() ? "on after the change\n" : "off after the change\n";
            seen += settings.refused() + settings.quit();
        }
        return seen;
    });
    fs::permissions(preferencesFolder(home), fs::perms(0755));
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    const std::string said =
        "status 0\ntarnwick: " +
        cannotBeSaved(home, "you may not write in the folder \u201C" + preferencesFolder(home).string() + "\u201D") + "\n";
    EXPECT_EQ(outcome.answer, "off at start, on after the change\n" + said + "off at start, on after the change\n" + said);
    EXPECT_TRUE(fs::is_empty(preferencesFolder(home)));
    EXPECT_EQ(linesOf(testkit::fileText(logFile(home))), 2u);
}

}  // namespace
}  // namespace tarnwick
