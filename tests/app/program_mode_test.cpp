#include <cstdio>
#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/diagnose_mode.h"
#include "app/locate_mode.h"
#include "app/program_mode.h"
#include "support/error.h"
#include "testkit/device_node.h"
#include "testkit/temp_folder.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using app::ProgramMode;

TEST(ProgramModeTest, TheFirstCheckThatAppliesWins) {
    struct Case {
        std::vector<std::string> arguments;
        ProgramMode mode;
    };
    const std::vector<Case> cases = {
        {{"tarnwick"}, ProgramMode::normal},
        {{}, ProgramMode::normal},
        {{"tarnwick", "--finish-installer-eject", "1", "2", "e30="}, ProgramMode::finishInstallerEject},
        {{"tarnwick", "--finish-installer-eject", "--locate"}, ProgramMode::finishInstallerEject},
        // Anywhere but first it is ignored and the other checks apply.
        {{"tarnwick", "--diagnose", "--finish-installer-eject"}, ProgramMode::diagnose},
        {{"tarnwick", "--settings", "--finish-installer-eject"}, ProgramMode::normal},
        {{"tarnwick", "--locate", "--diagnose"}, ProgramMode::locate},
        {{"tarnwick", "--diagnose", "--locate-saved"}, ProgramMode::locate},
        {{"tarnwick", "--locate", "--locate-saved"}, ProgramMode::locate},
        {{"tarnwick", "--capture-debug"}, ProgramMode::normal},
        {{"tarnwick", "--verbose-label-diagnostics", "--names"}, ProgramMode::normal},
        // Whole arguments, exactly, case-sensitive; the program path is no option.
        {{"tarnwick", "--diagnose=yes"}, ProgramMode::normal},
        {{"tarnwick", "--Diagnose"}, ProgramMode::normal},
        {{"tarnwick", " --locate"}, ProgramMode::normal},
        {{"--diagnose"}, ProgramMode::normal},
        {{"--finish-installer-eject"}, ProgramMode::normal},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& a : c.arguments) shown += "[" + a + "]";
        EXPECT_EQ(app::programMode(c.arguments), c.mode) << shown;
    }
}

// A temporary file to stand for standard output or error, read back as text.
class CapturedFile {
public:
    CapturedFile() : file_(std::tmpfile()) {}
    ~CapturedFile() { std::fclose(file_); }
    std::FILE* get() const { return file_; }
    std::string text() const {
        std::fflush(file_);
        std::rewind(file_);
        std::string result;
        for (int c; (c = std::fgetc(file_)) != EOF;) result += static_cast<char>(c);
        return result;
    }

private:
    std::FILE* file_;
};

struct FailingOutput {
    CapturedFile out, err;
    app::JsonOutput output() const {
        app::JsonOutput result;
        result.serialise = [](const Value&) { return std::string(); };
        result.out = out.get();
        result.err = err.get();
        return result;
    }
};

class JsonModeFailureTest : public ::testing::Test {
protected:
    JsonModeFailureTest() { env.session.loadFile(std::string(TARNWICK_SOURCE_DIR) + "/sessions/mission-control-open.json"); }
    // The locate modes run the main loop until their task ends; on virtual time someone must
    // move the clock, as the console's wait does.
    int locate(std::vector<std::string> arguments, const app::JsonOutput& output) {
        env.loop.post([this] { env.clock.advance(30); });
        return app::runLocate(arguments, output);
    }
    testkit::TestEnvironment env;
};

TEST_F(JsonModeFailureTest, EachModeThatCannotSerialiseItsResultPrintsNothingSaysSoAndFails) {
    {
        FailingOutput failing;
        EXPECT_EQ(app::runDiagnose(failing.output()), 1);
        EXPECT_EQ(failing.out.text(), "");
        EXPECT_EQ(failing.err.text(), "Tarnwick could not write the diagnostic snapshot as JSON.\n");
    }
    for (const char* option : {"--locate", "--locate-saved"}) {
        FailingOutput failing;
        EXPECT_EQ(locate({"tarnwick", option}, failing.output()), 1) << option;
        EXPECT_EQ(failing.out.text(), "") << option;
        EXPECT_EQ(failing.err.text(), "Tarnwick could not write the located captions as JSON.\n") << option;
    }
}

TEST_F(JsonModeFailureTest, AFullDiskIsAFailureNotASuccess) {
    testkit::TempFolder folder;
    const auto device = testkit::makeCharacterDevice(folder / "full", testkit::kFullDevice);
    if (!device) GTEST_SKIP() << testkit::kNoDeviceHere;
    std::FILE* full = std::fopen(device->c_str(), "w");
    ASSERT_TRUE(full);
    CapturedFile err;
    app::JsonOutput output = app::JsonOutput::standard();
    output.out = full;
    output.err = err.get();
    EXPECT_EQ(app::runDiagnose(output), 1);
    EXPECT_EQ(err.text(), "Tarnwick could not write its output; nothing more was written.\n");
    std::fclose(full);

    // The same output on a file that takes it: the JSON and exactly one line feed.
    CapturedFile out;
    output.out = out.get();
    EXPECT_EQ(locate({"tarnwick", "--locate"}, output), 0);
    const std::string text = out.text();
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.front(), '{');
    EXPECT_EQ(text.substr(text.size() - 2), "}\n");
}

TEST(HomeFolderTest, WithoutHomeTheAccountsFolderAndWithoutEitherARefusal) {
    EXPECT_EQ(sim::homeFolder("/Users/ada", "/home/ada"), "/Users/ada");
    EXPECT_EQ(sim::homeFolder(nullptr, "/home/ada"), "/home/ada");
    EXPECT_EQ(sim::homeFolder("", "/home/ada"), "/home/ada");
    try {
        sim::homeFolder(nullptr, "");
        FAIL() << "a run without a home folder must not start";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(),
                  "Tarnwick cannot tell where your files belong: HOME is not set and your account has no home folder.");
    }
    EXPECT_THROW(sim::homeFolder("", nullptr), Error);

    // The program's own lookup: never the shared temporary folder.
    const char* saved = std::getenv("HOME");
    const std::optional<std::string> home = saved ? std::optional<std::string>(saved) : std::nullopt;
    unsetenv("HOME");
    std::optional<std::filesystem::path> found;
    try {
        found = sim::programHomeFolder();
    } catch (const Error&) {
    }
    if (home) setenv("HOME", home->c_str(), 1);
    const passwd* account = getpwuid(getuid());
    if (account && account->pw_dir && *account->pw_dir) {
        ASSERT_TRUE(found);
        EXPECT_EQ(*found, account->pw_dir);
    } else {
        EXPECT_FALSE(found);
    }
}

}  // namespace
}  // namespace tarnwick
