// The program as `make run` starts it: the build lays it out as a bundle, and the bundled binary
// finds its manifest from its own path, so the About panel, the update check and the
// diagnostics speak of this build, while nothing asks for an installation.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installation/bundle_verification.h"
#include "installation/installation_policy.h"
#include "platform/bundle.h"
#include "platform/sim/update_state.h"
#include "support/files.h"
#include "support/json.h"
#include "testkit/console_process.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testkit::printed;
using testkit::transcript;
using Lines = std::vector<std::string>;

const fs::path kBundle = TARNWICK_BUNDLE;
const fs::path kBundledBinary = kBundle / "Contents/MacOS" / TARNWICK_BUNDLE_EXECUTABLE;
const std::string kVersionLine = std::string("Version ") + TARNWICK_VERSION + " (" + TARNWICK_BUILD_NUMBER + ")";
const std::string kCopyright = "Copyright © 2026 Orlenbay";

// Whether two files hold the same bytes, read a block at a time (a debug binary is large).
bool sameBytes(const fs::path& a, const fs::path& b) {
    std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
    if (!left || !right || fs::file_size(a) != fs::file_size(b)) return false;
    std::vector<char> one(1 << 16), other(1 << 16);
    while (left && right) {
        left.read(one.data(), static_cast<std::streamsize>(one.size()));
        right.read(other.data(), static_cast<std::streamsize>(other.size()));
        if (left.gcount() != right.gcount() || !std::equal(one.begin(), one.begin() + left.gcount(), other.begin()))
            return false;
    }
    return true;
}

TEST(BundleLayoutTest, TheBuildLaysOutABundleOfTheBuiltBinaryWhoseManifestNeedsNoInstallation) {
    const platform::Bundle bundle(kBundle);
    EXPECT_EQ(bundle.bundleIdentifier(), "local.orlenbay.Tarnwick");
    const auto text = [&](const char* key) {
        const auto value = bundle.object(key);
        return value && value->asString() ? *value->asString() : std::string("(missing)");
    };
    EXPECT_EQ(text("CFBundleName"), "Tarnwick");
    EXPECT_EQ(text("CFBundleExecutable"), TARNWICK_BUNDLE_EXECUTABLE);
    EXPECT_EQ(text("CFBundleShortVersionString"), TARNWICK_VERSION);
    EXPECT_EQ(text("NSHumanReadableCopyright"), kCopyright);
    // The installer reads the same build number and would order copies by it.
    EXPECT_EQ(ApplicationInstallationSignature::build(kBundle), std::stoll(TARNWICK_BUILD_NUMBER));
    EXPECT_FALSE(installationEnabled(bundle));

    // The executable is the binary just built, not a stale or symbolic stand-in.
    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(kBundledBinary)));
    EXPECT_TRUE(fs::equivalent(kBundledBinary, TARNWICK_BINARY) || sameBytes(kBundledBinary, TARNWICK_BINARY));
}

// The bundled binary against the built-in session (a feed only where a test writes one), in a
// fresh home folder.
class BundleRunTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start(std::optional<fs::path> session = std::nullopt) {
        testkit::ConsoleProcess::Options options{home.path(), session, {}, {}, true};
        options.program = kBundledBinary;
        program = std::make_unique<testkit::ConsoleProcess>(options);
        const Lines started = program->ready();
        EXPECT_EQ(started.back(), "ready") << transcript(started);
        // Neither the installation dialog nor any other alert greets a person trying it.
        EXPECT_FALSE(printed(started, "alert")) << transcript(started);
        return *program;
    }
    Lines choose(const std::string& row) {
        program->send("click status-item");
        program->send("wait 0.5");
        return program->send("menu \"" + row + "\"");
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

TEST_F(BundleRunTest, AboutShowsTheBuildsNameVersionAndCopyrightInTheListingAndThePicture) {
    auto& app = start();
    const std::string texts = "texts \"Tarnwick\" \"" + kVersionLine + "\" \"" + kCopyright + "\"";
    const Lines about = choose("About Tarnwick");
    EXPECT_TRUE(printed(about, "shown window")) << transcript(about);
    EXPECT_TRUE(printed(about, texts)) << transcript(about);
    const Lines screen = app.send("screen");
    EXPECT_TRUE(printed(screen, texts)) << transcript(screen);

    ASSERT_EQ(app.send("screen svg " + (home / "about.svg").string()), Lines{"ok"});
    const auto picture = testkit::parseXml(files::read(home / "about.svg"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(testkit::textsOfWindow(*picture, "About Tarnwick"), (Lines{"Tarnwick", kVersionLine, kCopyright}));
    const auto* window = testkit::windowTitled(*picture, "About Tarnwick");
    ASSERT_NE(window, nullptr);
    const auto icons = window->all("g", "icon");
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(*icons[0]->attribute("data-app"), "Tarnwick");
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);

    // The launch's diagnostics name the bundle the binary ran from.
    const auto snapshot = json::parse(files::read(home / "Library/Logs/Tarnwick/permission-state.json"));
    ASSERT_TRUE(snapshot);
    const Value* identifier = snapshot->find("bundleID");
    const Value* path = snapshot->find("bundlePath");
    ASSERT_TRUE(identifier && identifier->asString() && path && path->asString());
    EXPECT_EQ(*identifier->asString(), "local.orlenbay.Tarnwick");
    EXPECT_EQ(fs::path(*path->asString()), fs::canonical(kBundle));
}

// The copy built here is not signed: it still knows when it is up to date, and says that it,
// not the update, is why a newer build is not offered.
TEST_F(BundleRunTest, CheckForUpdatesComparesWithTheBuildsOwnVersion) {
    auto session = json::parse(files::read(fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json"));
    ASSERT_TRUE(session);
    (*session)["updates"]["feed"] = "file://" + (home / "feed.json").string();
    std::ofstream(home / "session.json") << json::write(*session).value_or("");
    auto& app = start(home / "session.json");

    std::ofstream(home / "feed.json") << "[]";
    const Lines upToDate = choose("Check for Updates\u2026");
    EXPECT_TRUE(printed(upToDate, std::string("\"Tarnwick ") + TARNWICK_VERSION + " is the newest version available.\""))
        << transcript(upToDate);

    const std::string newer = std::to_string(std::stoll(TARNWICK_BUILD_NUMBER) + 1);
    std::ofstream(home / "feed.json") << R"([{"build": )" << newer << R"(, "version": "99.0", "url": "file://)"
                                      << (home / "Newer.app").string() << R"("}])";
    const Lines refused = choose("Check for Updates\u2026");
    EXPECT_TRUE(printed(refused, std::string("\"") + sim::kRunningCopyUnsigned + "\"")) << transcript(refused);
    EXPECT_FALSE(printed(refused, "99.0")) << transcript(refused);
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);
}

}  // namespace
}  // namespace tarnwick
