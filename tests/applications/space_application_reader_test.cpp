#include <vector>

#include <gtest/gtest.h>

#include "applications/space_application_reader.h"
#include "applications/window_metadata.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
using Snapshot = SpaceApplicationReader::Snapshot;

std::vector<std::uint32_t> windowIDs(const Snapshot& snapshot) {
    std::vector<std::uint32_t> ids;
    for (const auto& w : snapshot.windows) ids.push_back(w.id);
    return ids;
}

Value description(std::uint32_t id, std::int32_t pid, Value bounds = Dictionary{{"X", 0.0}, {"Y", 0.0}, {"Width", 10.0}, {"Height", 20.0}}) {
    return Value(Dictionary{{"kCGWindowNumber", Value(id)}, {"kCGWindowOwnerPID", pid}, {"kCGWindowLayer", 0},
                            {"kCGWindowBounds", std::move(bounds)}});
}

class SpaceApplicationReaderTest : public ::testing::Test {
protected:
    void SetUp() override { env.session.loadDefaultSession(); }
    TestEnvironment env;
};

TEST_F(SpaceApplicationReaderTest, ReadsTheWindowsOfTheRequestedDesktopsThroughTheExecutor) {
    auto executor = std::make_shared<ManualExecutor>();
    SpaceApplicationReader reader(executor);
    auto handle = spawn(reader.read({1, 6, 3}));
    env.settle();
    EXPECT_FALSE(handle.isDone());  // waits for the reader's executor
    EXPECT_EQ(executor->runAll(), 1u);
    env.settle();
    ASSERT_TRUE(handle.isDone());
    const Snapshot& snapshot = *handle.result();
    // The order of the window list's answer: desktop by desktop as asked.
    EXPECT_EQ(windowIDs(snapshot), (std::vector<std::uint32_t>{501, 502, 505, 506, 504}));
    EXPECT_TRUE(snapshot.unavailable.empty());
    EXPECT_TRUE(snapshot.incomplete.empty());
    const auto& terminal = snapshot.windows[0];
    EXPECT_EQ(terminal.ownerPID, 303);
    EXPECT_EQ(terminal.layer, 0);
    EXPECT_EQ(terminal.bounds, Rect(100, 120, 720, 480));
    EXPECT_EQ(terminal.spaceIDs, std::vector<std::uint64_t>{1});
}

TEST_F(SpaceApplicationReaderTest, AWindowOnSeveralDesktopsIsReadOnceWithAllOfThem) {
    env.session.window(506)->spaces = {6, 8};
    const auto snapshot = SpaceApplicationReader::readNow({8, 6, 8});
    EXPECT_EQ(windowIDs(snapshot), (std::vector<std::uint32_t>{506, 505}));
    EXPECT_EQ(snapshot.windows[0].spaceIDs, (std::vector<std::uint64_t>{8, 6}));
    EXPECT_EQ(snapshot.windows[1].spaceIDs, (std::vector<std::uint64_t>{6}));
}

TEST_F(SpaceApplicationReaderTest, AnEmptyRequestReadsNothingAndDoesNotAskTheWindowList) {
    env.session.windowListOverride = std::optional<Value>();  // the window list would fail if asked
    EXPECT_EQ(SpaceApplicationReader::readNow({}), Snapshot{});
    EXPECT_EQ(WindowMetadata::descriptions({}), std::vector<Dictionary>{});
    EXPECT_EQ(WindowMetadata::descriptions({501}), std::nullopt);
}

TEST_F(SpaceApplicationReaderTest, WithoutThePrivateInterfaceOrTheWindowListEverythingIsUnavailable) {
    env.session.skyLight.missingSymbols = {"SLSCopyWindowsWithOptionsAndTags"};
    auto snapshot = SpaceApplicationReader::readNow({1, 3});
    EXPECT_TRUE(snapshot.windows.empty());
    EXPECT_EQ(snapshot.unavailable, (std::set<std::uint64_t>{1, 3}));
    EXPECT_TRUE(snapshot.incomplete.empty());

    env.session.skyLight.missingSymbols.clear();
    env.session.windowListOverride = std::optional<Value>();
    snapshot = SpaceApplicationReader::readNow({1, 3});
    EXPECT_TRUE(snapshot.windows.empty());
    EXPECT_EQ(snapshot.unavailable, (std::set<std::uint64_t>{1, 3}));

    // An answer that is not a list of dictionaries counts as no answer.
    env.session.windowListOverride = std::optional<Value>(Value(Array{description(501, 303), Value("noise")}));
    snapshot = SpaceApplicationReader::readNow({1});
    EXPECT_EQ(snapshot.unavailable, (std::set<std::uint64_t>{1}));
}

TEST_F(SpaceApplicationReaderTest, ADesktopWithoutAnAnswerIsUnavailableWhileTheRestStands) {
    env.session.skyLight.windowsForSpace[3] = std::nullopt;
    env.session.skyLight.windowsForSpace[6] = Value(Array{Value(505), Value(true)});  // malformed list
    const auto snapshot = SpaceApplicationReader::readNow({1, 3, 6, 0, 77});
    EXPECT_EQ(windowIDs(snapshot), (std::vector<std::uint32_t>{501, 502}));
    EXPECT_EQ(snapshot.unavailable, (std::set<std::uint64_t>{0, 3, 6, 77}));
    EXPECT_TRUE(snapshot.incomplete.empty());
}

TEST_F(SpaceApplicationReaderTest, VanishedOrPartlyDescribedWindowsMakeTheirDesktopsIncomplete) {
    // 999 is listed on desktop 3 but has no description any more.
    env.session.skyLight.windowsForSpace[3] = Value(Array{Value(504), Value(999)});
    auto snapshot = SpaceApplicationReader::readNow({1, 3});
    EXPECT_EQ(windowIDs(snapshot), (std::vector<std::uint32_t>{501, 502, 504}));
    EXPECT_EQ(snapshot.incomplete, (std::set<std::uint64_t>{3}));

    // Descriptions without a frame, with a wrong-typed owner or a boolean layer are skipped.
    Value noBounds = description(501, 303);
    noBounds.asDictionary()->erase("kCGWindowBounds");
    Value stringOwner = description(502, 301);
    (*stringOwner.asDictionary())["kCGWindowOwnerPID"] = "301";
    Value boolLayer = description(504, 304);
    (*boolLayer.asDictionary())["kCGWindowLayer"] = false;
    Value badRect = description(505, 305, Dictionary{{"X", 0.0}, {"Y", 0.0}, {"Width", "10"}, {"Height", 20.0}});
    env.session.skyLight.windowsForSpace.clear();
    env.session.windowListOverride =
        std::optional<Value>(Value(Array{noBounds, stringOwner, boolLayer, badRect, description(506, 303)}));
    snapshot = SpaceApplicationReader::readNow({1, 3, 6});
    EXPECT_EQ(windowIDs(snapshot), std::vector<std::uint32_t>{506});
    EXPECT_EQ(snapshot.incomplete, (std::set<std::uint64_t>{1, 3, 6}));
    EXPECT_TRUE(snapshot.unavailable.empty());
}

TEST_F(SpaceApplicationReaderTest, AWindowReportedTwiceAppearsOnceWithItsFirstUsableDescription) {
    env.session.windowListOverride = std::optional<Value>(Value(Array{
        description(505, 305, Dictionary{{"X", 1.0}, {"Y", 2.0}, {"Width", 3.0}, {"Height", 4.0}}),
        description(9999, 1),  // not on a requested desktop
        description(505, 999),
        description(506, 303),
        Value(Dictionary{{"kCGWindowNumber", Value(506)}}),
    }));
    const auto snapshot = SpaceApplicationReader::readNow({6});
    ASSERT_EQ(windowIDs(snapshot), (std::vector<std::uint32_t>{505, 506}));
    EXPECT_EQ(snapshot.windows[0].ownerPID, 305);
    EXPECT_EQ(snapshot.windows[0].bounds, Rect(1, 2, 3, 4));
    EXPECT_TRUE(snapshot.incomplete.empty());

    // A broken first description does not hide a good repeat.
    env.session.windowListOverride = std::optional<Value>(
        Value(Array{Value(Dictionary{{"kCGWindowNumber", Value(505)}}), description(505, 305), description(506, 303)}));
    EXPECT_EQ(windowIDs(SpaceApplicationReader::readNow({6})), (std::vector<std::uint32_t>{505, 506}));
}

}  // namespace
}  // namespace tarnwick
