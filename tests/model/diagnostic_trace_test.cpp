#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "model/diagnostic_trace.h"
#include "support/files.h"
#include "support/json.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(start, text.size()) << "the file must end with a line feed";
    return lines;
}

// Lines of `lineLength` bytes (line feed included) adding up to `total` bytes.
std::string linesOfLength(std::size_t total, std::size_t lineLength) {
    std::string content(total, 'x');
    for (std::size_t i = lineLength - 1; i < total; i += lineLength) content[i] = '\n';
    return content;
}

// What a trim keeps of `content` when limited to `limit` bytes: whole lines only.
std::string wholeLinesWithin(const std::string& content, std::size_t limit) {
    return content.substr(content.find('\n', content.size() - limit) + 1);
}

class DiagnosticTraceTest : public ::testing::Test {
protected:
    testkit::TestEnvironment env;
    std::shared_ptr<ManualExecutor> worker = std::make_shared<ManualExecutor>();
    fs::path url = env.home / "Library/Logs/Tarnwick/prototype-trace.jsonl";

    std::unique_ptr<DiagnosticTrace> makeTrace(std::size_t pending = 256, std::uint64_t maximum = 1'048'576,
                                               std::uint64_t retained = 524'288) {
        return std::make_unique<DiagnosticTrace>(url, pending, maximum, retained, worker);
    }
    std::vector<std::string> lines() const { return linesOf(files::read(url)); }
    void seed(const std::string& content) {
        fs::create_directories(url.parent_path());
        std::ofstream(url, std::ios::binary) << content;
    }
};

TEST_F(DiagnosticTraceTest, LinesAreCompactWithSortedKeysAndTheTraceStampsWin) {
    auto trace = makeTrace();
    EXPECT_TRUE(trace->record("started", {{"b", 1}, {"a", true}}));
    env.clock.block(0.25);
    trace->record("moved", {{"event", "mine"}, {"uptime", -1}, {"url", "a/b"}, {"list", Array{1.5, nullptr}}});
    EXPECT_FALSE(fs::exists(url.parent_path()));  // nothing on disk until the worker runs
    trace->flush();
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           R"({"a":true,"b":1,"event":"started","timestamp":"2026-12-02T08:26:40.000Z","uptime":1000})",
                           R"({"event":"moved","list":[1.5,null],"timestamp":"2026-12-02T08:26:40.250Z","uptime":1000.25,"url":"a\/b"})",
                       }));
}

TEST_F(DiagnosticTraceTest, UnrepresentableOrOverlongRecordsLeaveNoLine) {
    auto trace = makeTrace(256, 120);
    trace->record("date", {{"when", Date{1}}});
    trace->record("url", {{"where", Url{"file:///tmp"}}});
    trace->record("nan", {{"ratio", std::nan("")}});
    trace->record("nested", {{"deep", Dictionary{{"x", INFINITY}}}});
    trace->record("long", {{"padding", std::string(200, 'p')}});
    trace->record("kept");
    trace->flush();
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_EQ(*json::parse(lines()[0])->find("event"), Value("kept"));
}

TEST_F(DiagnosticTraceTest, FullQueueDropsAndAccountsForTheDropsAfterTheQueuedLines) {
    auto trace = makeTrace();
    for (int i = 0; i < 256; ++i) ASSERT_TRUE(trace->record("queued", {{"i", i}}));
    env.clock.block(1.25);
    EXPECT_FALSE(trace->record("lost"));
    env.clock.block(1);
    EXPECT_FALSE(trace->reset());  // a reset is dropped and counted like a record
    EXPECT_FALSE(trace->record("lost"));
    trace->flush();

    auto written = lines();
    ASSERT_EQ(written.size(), 257u);
    EXPECT_EQ(json::parse(written[255])->find("i")->toInt64(), 255);
    EXPECT_EQ(written[256],
              R"({"count":3,"event":"trace-records-dropped","timestamp":"2026-12-02T08:26:41.250Z","uptime":1001.25})");

    // The account was written once; the queue takes records again.
    EXPECT_TRUE(trace->record("after"));
    trace->flush();
    EXPECT_EQ(lines().size(), 258u);
}

TEST_F(DiagnosticTraceTest, ResetErasesWhatCameBeforeIt) {
    auto trace = makeTrace();
    trace->reset();
    trace->flush();
    EXPECT_TRUE(fs::exists(url));
    EXPECT_EQ(files::read(url), "");

    trace->record("before");
    trace->record("before");
    trace->reset();
    trace->record("after");
    trace->flush();
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_NE(lines()[0].find("\"event\":\"after\""), std::string::npos);
}

TEST_F(DiagnosticTraceTest, FileAboutToPassItsBoundIsCutToWholeLinesOfItsTailFirst) {
    const auto old = linesOfLength(1'048'000, 100);
    seed(old);
    auto trace = makeTrace();
    trace->record("big", {{"padding", std::string(900, 'p')}});
    trace->flush();

    const auto content = files::read(url);
    const auto line = content.substr(content.rfind('\n', content.size() - 2) + 1);
    ASSERT_GT(line.size(), 900u);
    EXPECT_EQ(content.substr(0, content.size() - line.size()), wholeLinesWithin(old, 524'288));
    EXPECT_LE(content.size(), 1'048'576u);
}

TEST_F(DiagnosticTraceTest, TailWithoutALineFeedIsDiscarded) {
    seed(std::string(1'048'000, 'x'));
    auto trace = makeTrace();
    trace->record("big", {{"padding", std::string(900, 'p')}});
    trace->flush();
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_EQ(lines()[0].substr(0, 9), R"({"event":)");
}

TEST_F(DiagnosticTraceTest, AFifoInThePlaceOfTheFileIsLeftAloneAndNeverWaitedFor) {
    fs::create_directories(url.parent_path());
    ASSERT_EQ(::mkfifo(url.c_str(), 0600), 0);
    auto trace = makeTrace();
    trace->record("next");
    trace->flush();
    EXPECT_TRUE(fs::is_fifo(url));
}

TEST_F(DiagnosticTraceTest, RetainedBytesAreCappedAtTheMaximumAndTheFileNeverPassesIt) {
    const auto old = linesOfLength(999'990, 10);
    seed(old);
    auto trace = makeTrace(256, 1'000'000, 2'000'000);
    trace->record("next");
    trace->flush();

    const auto content = files::read(url);
    const auto lineLength = content.size() - content.rfind('\n', content.size() - 2) - 1;
    EXPECT_EQ(content.substr(0, content.size() - lineLength), wholeLinesWithin(old, 1'000'000 - lineLength));
    EXPECT_LE(content.size(), 1'000'000u);
}

TEST_F(DiagnosticTraceTest, QueuedDrainOutlivesTheTrace) {
    makeTrace()->record("last words");
    EXPECT_EQ(worker->runAll(), 1u);
    EXPECT_EQ(lines().size(), 1u);
}

// A worker still recording before the program's loop exists or after it is gone.
TEST(DiagnosticTraceWithoutLoopTest, RecordsAndResetsAreStampedWithTheSystemClockInsteadOfThrowing) {
    ASSERT_EQ(RunLoop::installedMain(), nullptr);
    testkit::TempFolder home;
    const fs::path url = home / "trace.jsonl";
    auto worker = std::make_shared<ManualExecutor>();
    DiagnosticTrace trace(url, 256, 1'048'576, 524'288, worker);
    EXPECT_TRUE(trace.record("before"));
    EXPECT_TRUE(trace.reset());
    EXPECT_TRUE(trace.record("after", {{"n", 1}}));
    worker->runAll();
    const auto written = linesOf(files::read(url));
    ASSERT_EQ(written.size(), 1u);
    const auto record = json::parse(written[0]);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record->find("event"), Value("after"));
    EXPECT_GT(record->find("uptime")->toDouble().value_or(0), 0);
    EXPECT_TRUE(record->find("timestamp")->asString());
}

TEST_F(DiagnosticTraceTest, RecordsFromSeveralThreadsAreAllWrittenByTheWorkerThread) {
    DiagnosticTrace trace(url, 1000, 1'048'576, 524'288, std::make_shared<ThreadExecutor>("trace"));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&trace, t] {
            for (int i = 0; i < 100; ++i) trace.record("tick", {{"thread", t}, {"i", i}});
        });
    for (auto& thread : threads) thread.join();
    trace.flush();
    const auto written = lines();
    ASSERT_EQ(written.size(), 400u);
    for (const auto& line : written) EXPECT_TRUE(json::parse(line)) << line;
}

}  // namespace
}  // namespace tarnwick
