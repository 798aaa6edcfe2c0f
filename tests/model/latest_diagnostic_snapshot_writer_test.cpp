#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/latest_diagnostic_snapshot_writer.h"
#include "support/files.h"
#include "support/json.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

class LatestDiagnosticSnapshotWriterTest : public ::testing::Test {
protected:
    testkit::TestEnvironment env;
    std::shared_ptr<ManualExecutor> worker = std::make_shared<ManualExecutor>();
    fs::path url = env.home / "Library/Logs/Tarnwick/permission-state.json";

    Dictionary written() const { return *json::parse(files::read(url))->asDictionary(); }
};

TEST_F(LatestDiagnosticSnapshotWriterTest, BurstIsCoalescedIntoOneWriteOfTheLatestState) {
    LatestDiagnosticSnapshotWriter writer(url, worker);
    writer.write({{"step", 1}});
    writer.write({{"step", 2}});
    env.clock.block(2.6);  // the stamp is taken when write() is called, not when the file is written
    writer.write({{"step", 3}, {"timestamp", "caller's"}, {"path", "/tmp"}});
    EXPECT_EQ(worker->pending(), 1u);
    EXPECT_FALSE(fs::exists(url.parent_path()));  // nothing on disk before the worker runs
    env.clock.block(10);
    EXPECT_EQ(worker->runAll(), 1u);

    EXPECT_EQ(files::read(url),
              "{\n  \"path\" : \"\\/tmp\",\n  \"step\" : 3,\n  \"timestamp\" : \"2026-12-02T08:26:42Z\"\n}");
}

TEST_F(LatestDiagnosticSnapshotWriterTest, UnrepresentableStateIsSkippedAndThePreviousFileStays) {
    LatestDiagnosticSnapshotWriter writer(url, worker);
    writer.write({{"granted", true}});
    writer.flush();
    const auto before = files::read(url);

    writer.write({{"granted", false}, {"when", Date{0}}});
    writer.flush();
    writer.write({{"ratio", std::nan("")}});
    writer.flush();
    EXPECT_EQ(files::read(url), before);

    writer.write({{"granted", false}});  // a later state is written again
    writer.flush();
    EXPECT_EQ(written().at("granted"), Value(false));
}

TEST_F(LatestDiagnosticSnapshotWriterTest, QueuedDrainOutlivesTheWriter) {
    {
        LatestDiagnosticSnapshotWriter writer(url, worker);
        writer.write({{"last", true}});
    }
    EXPECT_EQ(worker->runAll(), 1u);
    EXPECT_EQ(written().at("last"), Value(true));
}

TEST(LatestDiagnosticSnapshotWriterWithoutLoopTest, AStateIsStampedWithTheSystemClockInsteadOfThrowing) {
    ASSERT_EQ(RunLoop::installedMain(), nullptr);
    testkit::TempFolder home;
    const fs::path url = home / "state.json";
    auto worker = std::make_shared<ManualExecutor>();
    LatestDiagnosticSnapshotWriter writer(url, worker);
    writer.write({{"granted", true}});
    EXPECT_EQ(worker->runAll(), 1u);
    const auto state = json::parse(files::read(url));
    ASSERT_TRUE(state);
    EXPECT_EQ(*state->find("granted"), Value(true));
    EXPECT_TRUE(state->find("timestamp")->asString());
}

}  // namespace
}  // namespace tarnwick
