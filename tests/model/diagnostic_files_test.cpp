#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "model/diagnostic_files.h"
#include "support/error.h"
#include "support/files.h"
#include "support/uuid.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kMiB = 1'048'576;

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

class DiagnosticFilesTest : public ::testing::Test {
protected:
    testkit::TestEnvironment env;
    fs::path folder = env.home / "snapshots";
    fs::file_time_type base = fs::file_time_type::clock::now() - std::chrono::hours(1);

    void SetUp() override { fs::create_directories(folder); }

    // Writes a snapshot and dates it `order` seconds after the base, so the history's newest-first
    // order does not depend on the file system's timestamp granularity.
    fs::path snapshot(std::size_t bytes, int order, const std::string& prefix = DiagnosticFiles::kMissionControlPrefix) {
        auto path = DiagnosticFiles::writeSnapshot(std::string(bytes, 'x'), prefix, folder);
        fs::last_write_time(path, base + std::chrono::seconds(order));
        return path;
    }
};

TEST_F(DiagnosticFilesTest, LocationIsInTheLibraryLogsFolderAndFileCreatesTheFolder) {
    const fs::path expected = env.home.path() / "Library" / "Logs" / "Tarnwick" / "permission-state.json";
    EXPECT_EQ(DiagnosticFiles::location("permission-state.json"), expected);
    EXPECT_FALSE(fs::exists(expected.parent_path()));
    EXPECT_EQ(DiagnosticFiles::file("permission-state.json"), expected);
    EXPECT_TRUE(fs::is_directory(expected.parent_path()));
    EXPECT_FALSE(fs::exists(expected));
}

TEST_F(DiagnosticFilesTest, SnapshotIsNamedByPrefixAndUuidAndGoesToTheDiagnosticsFolderByDefault) {
    auto path = DiagnosticFiles::writeSnapshot("{\"a\":1}", DiagnosticFiles::kLabelLocatorPrefix);
    EXPECT_EQ(path.parent_path(), DiagnosticFiles::location("x").parent_path());
    const auto name = path.filename().string();
    ASSERT_EQ(name.size(), std::string("label-locator-").size() + 36 + 5);
    EXPECT_EQ(name.rfind("label-locator-", 0), 0u);
    const auto id = name.substr(14, 36);
    EXPECT_EQ(uuid::canonical(id), id);  // upper case
    EXPECT_EQ(files::read(path), "{\"a\":1}");
}

TEST_F(DiagnosticFilesTest, OversizedSnapshotIsRefusedAndNothingIsWritten) {
    try {
        DiagnosticFiles::writeSnapshot(std::string(9 * kMiB, 'x'), DiagnosticFiles::kMissionControlPrefix, folder);
        FAIL() << "expected an out-of-space error";
    } catch (const SystemError& error) {
        EXPECT_EQ(error.domain(), file_error::kDomain);
        EXPECT_EQ(error.code(), file_error::kFileWriteOutOfSpace);
    }
    EXPECT_TRUE(fs::is_empty(folder));
    // Exactly the limit is still accepted.
    EXPECT_NO_THROW(DiagnosticFiles::writeSnapshot(std::string(8 * kMiB, 'x'), "mission-control", folder));
}

TEST_F(DiagnosticFilesTest, HistoryKeepsTheEightNewestWhateverTheirPrefixAndLeavesOtherFilesAlone) {
    writeFile(folder / "permission-state.json", "{}");
    writeFile(folder / "mission-control.json", "{}");       // no hyphen: not a snapshot
    writeFile(folder / "mission-control-notes.txt", "x");   // not JSON
    fs::create_directory(folder / "label-locator-folder.json");  // not a regular file
    std::vector<fs::path> written;
    for (int i = 0; i < 10; ++i)
        written.push_back(snapshot(100, i, i % 2 ? DiagnosticFiles::kLabelLocatorPrefix : DiagnosticFiles::kMissionControlPrefix));

    std::set<std::string> expected{"permission-state.json", "mission-control.json", "mission-control-notes.txt",
                                   "label-locator-folder.json"};
    for (int i = 2; i < 10; ++i) expected.insert(written[i].filename().string());
    EXPECT_EQ(namesIn(folder), expected);
}

TEST_F(DiagnosticFilesTest, HistoryStaysWithinEightMebibytes) {
    auto first = snapshot(3 * kMiB, 0);
    auto second = snapshot(3 * kMiB, 1);
    auto third = snapshot(3 * kMiB, 2);
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{second.filename().string(), third.filename().string()}));
    EXPECT_FALSE(fs::exists(first));
}

TEST_F(DiagnosticFilesTest, AnOldFileTooLargeForTheRoomLeftGoesEvenWhenAnOlderSmallerOneStays) {
    auto small = snapshot(1 * kMiB, 0);
    auto large = snapshot(7 * kMiB, 1);
    auto newest = snapshot(2 * kMiB, 2);  // 2 + 7 > 8, 2 + 1 fits
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{small.filename().string(), newest.filename().string()}));
    EXPECT_FALSE(fs::exists(large));
}

TEST_F(DiagnosticFilesTest, NewSnapshotComesFirstAndTiesInModificationTimeKeepNameOrder) {
    // Hand-made history files sharing one date later than the new file's: the new file still
    // stays, with the first seven by name.
    std::vector<std::string> names;
    for (char c = 'A'; c <= 'I'; ++c) names.push_back(std::string("label-locator-") + c + ".json");
    for (const auto& name : names) {
        writeFile(folder / name, "{}");
        fs::last_write_time(folder / name, base + std::chrono::hours(24));
    }
    auto newest = snapshot(10, 100);
    std::set<std::string> expected(names.begin(), names.begin() + 7);
    expected.insert(newest.filename().string());
    EXPECT_EQ(namesIn(folder), expected);
}

class PrepareForAppendTest : public DiagnosticFilesTest {
protected:
    fs::path file = folder / "application-focus-trace.jsonl";
};

TEST_F(PrepareForAppendTest, SmallMissingOrLineFreeFilesAreLeftAlone) {
    DiagnosticFiles::prepareForAppend(file);
    EXPECT_FALSE(fs::exists(file));

    std::string exact(kMiB, 'a');
    for (std::size_t i = 99; i < exact.size(); i += 100) exact[i] = '\n';
    writeFile(file, exact);
    DiagnosticFiles::prepareForAppend(file);
    EXPECT_EQ(files::read(file), exact);

    // Over the limit, but the final 512 KiB hold no line start to cut at.
    std::string noLineFeed(2 * kMiB, 'b');
    noLineFeed[100] = '\n';
    writeFile(file, noLineFeed);
    DiagnosticFiles::prepareForAppend(file);
    EXPECT_EQ(files::read(file), noLineFeed);
}

TEST_F(PrepareForAppendTest, LargeFileIsCutToWholeLinesOfItsFinalHalfMebibyte) {
    std::string content;
    for (int i = 0; content.size() <= kMiB; ++i) content += "{\"line\":" + std::to_string(i) + "}\n";
    writeFile(file, content);
    DiagnosticFiles::prepareForAppend(file);

    const auto window = content.size() - 524'288;
    const auto expected = content.substr(content.find('\n', window) + 1);
    EXPECT_EQ(files::read(file), expected);
    EXPECT_LE(expected.size(), 524'288u);
    EXPECT_EQ(expected.substr(0, 8), "{\"line\":");
}

// Lets the process take at most `extra` more bytes of data memory while it lives, so a reader
// that loads a whole huge file fails fast instead of exhausting the machine.
class DataMemoryLimit {
public:
    explicit DataMemoryLimit(std::uint64_t extra) {
        getrlimit(RLIMIT_DATA, &previous_);
        std::ifstream status("/proc/self/status");
        std::string key;
        std::uint64_t kilobytes = 0;
        while (status >> key && key != "VmData:") status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        status >> kilobytes;
        rlimit limit = previous_;
        limit.rlim_cur = std::min<rlim_t>(previous_.rlim_max, kilobytes * 1024 + extra);
        active_ = kilobytes > 0 && setrlimit(RLIMIT_DATA, &limit) == 0;
    }
    ~DataMemoryLimit() {
        if (active_) setrlimit(RLIMIT_DATA, &previous_);
    }
    DataMemoryLimit(const DataMemoryLimit&) = delete;
    DataMemoryLimit& operator=(const DataMemoryLimit&) = delete;

private:
    rlimit previous_{};
    bool active_ = false;
};

TEST_F(PrepareForAppendTest, AHugeFileIsCutReadingOnlyItsTail) {
    // 64 GiB, nearly all of it a hole, ending in 600 KiB of lines.
    std::string tail;
    for (int i = 0; tail.size() < 600 * 1024; ++i) tail += "{\"line\":" + std::to_string(i) + "}\n";
    const std::uint64_t size = std::uint64_t{64} << 30;
    writeFile(file, "");
    fs::resize_file(file, size - tail.size());
    {
        std::ofstream out(file, std::ios::binary | std::ios::app);
        out << tail;
    }
    ASSERT_EQ(fs::file_size(file), size);
    {
        DataMemoryLimit limit(64 * kMiB);
        DiagnosticFiles::prepareForAppend(file);
    }
    ASSERT_LE(fs::file_size(file), 524'288u);  // read back only once it is small
    EXPECT_EQ(files::read(file), tail.substr(tail.find('\n', tail.size() - 524'288) + 1));
}

}  // namespace
}  // namespace tarnwick
