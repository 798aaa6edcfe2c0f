#include <cmath>

#include <gtest/gtest.h>

#include "model/private_spaces.h"
#include "platform/sim/sim_window_server.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using WindowMap = std::map<std::uint64_t, std::vector<std::uint32_t>>;

Value unsupported(const char* reason) {
    Dictionary d;
    d["unsupported"] = reason;
    return Value(std::move(d));
}

struct PrivateSpacesTest : ::testing::Test {
    PrivateSpacesTest() { env.session.loadDefaultSession(); }
    sim::SimWindowServer& server() { return dynamic_cast<sim::SimWindowServer&>(*env.session.platform().windowServer); }
    testkit::TestEnvironment env;
};

TEST_F(PrivateSpacesTest, SnapshotCarriesTheDataUnchangedAndClosesTheFramework) {
    auto snapshot = PrivateSpaces::snapshot();
    EXPECT_EQ(*snapshot.find("rawManagedDisplays"), server().managedDisplaySpaces());
    EXPECT_EQ(*snapshot.find("identityValidated"), Value(false));
    EXPECT_EQ(*snapshot.find("notice"),
              Value("UUID stability and AX-to-Space mapping must be validated before saving names."));
    EXPECT_EQ(snapshot.asDictionary()->size(), 3u);
    EXPECT_EQ(server().openCount, 1);
    EXPECT_EQ(server().closeCount, 1);
}

TEST_F(PrivateSpacesTest, WithoutTheFrameworkNothingIsRead) {
    env.session.skyLight.available = false;
    EXPECT_EQ(PrivateSpaces::snapshot(), unsupported("SkyLight unavailable"));
    EXPECT_EQ(PrivateSpaces::windowIDs({1}), std::nullopt);
}

TEST_F(PrivateSpacesTest, EachMissingFunctionFailsOnlyTheCallsThatNeedIt) {
    env.session.skyLight.missingSymbols = {"SLSCopyManagedDisplaySpaces"};
    EXPECT_EQ(PrivateSpaces::snapshot(), unsupported("Managed display Spaces symbols unavailable"));
    EXPECT_TRUE(PrivateSpaces::windowIDs({1}));

    env.session.skyLight.missingSymbols = {"SLSCopyWindowsWithOptionsAndTags"};
    EXPECT_TRUE(PrivateSpaces::snapshot().find("rawManagedDisplays"));
    EXPECT_EQ(PrivateSpaces::windowIDs({1}), std::nullopt);

    env.session.skyLight.missingSymbols = {"SLSMainConnectionID"};
    EXPECT_EQ(PrivateSpaces::snapshot(), unsupported("Managed display Spaces symbols unavailable"));
    EXPECT_EQ(PrivateSpaces::windowIDs({1}), std::nullopt);
    EXPECT_EQ(server().openCount, server().closeCount);
}

TEST_F(PrivateSpacesTest, DataThatIsMissingOrNotJSONIsReported) {
    env.session.skyLight.managedDisplaySpaces = std::optional<Value>();
    EXPECT_EQ(PrivateSpaces::snapshot(), unsupported("Managed display Spaces returned no data"));

    Value withDate = server().managedDisplaySpaces();
    (*withDate.asArray())[0]["Last Change"] = Date{1.7e9};
    Value withNaN = server().managedDisplaySpaces();
    (*withNaN.asArray())[1]["Scale"] = std::nan("");
    for (const Value& data : {withDate, withNaN, Value("displays")}) {
        env.session.skyLight.managedDisplaySpaces = std::optional<Value>(data);
        EXPECT_EQ(PrivateSpaces::snapshot(), unsupported("Unexpected managed Spaces schema")) << describe(data);
    }
}

TEST_F(PrivateSpacesTest, WindowIDsOfTheDefaultSession) {
    EXPECT_EQ(PrivateSpaces::windowIDs({1, 4, 6, 2}),
              (WindowMap{{1, {501, 502}}, {4, {503}}, {6, {505, 506}}}));  // space 2 does not exist
    EXPECT_EQ(server().closeCount, 1);
}

TEST_F(PrivateSpacesTest, EachDesktopIsAskedAboutOnce) {
    env.session.skyLight.windowsForSpace[5] = Value(Array{});
    EXPECT_EQ(PrivateSpaces::windowIDs({0, 5, 5}), (WindowMap{{5, {}}}));
    EXPECT_EQ(env.session.skyLight.windowQueries, (std::map<std::uint64_t, int>{{5, 1}}));
}

TEST_F(PrivateSpacesTest, ADesktopWithAnyInvalidWindowIDIsLeftOut) {
    const std::vector<std::optional<Value>> invalid = {
        Value(Array{7, 0}),        Value(Array{7, -7}),   Value(Array{7, 4294967296.0}),
        Value(Array{7, 7.5}),      Value(Array{7, true}), Value(Array{7, "8"}),
        Value(Array{std::nan("")}), Value(7),             std::nullopt,
    };
    for (const auto& list : invalid) {
        env.session.skyLight.windowsForSpace[5] = list;
        EXPECT_EQ(PrivateSpaces::windowIDs({5, 1}), (WindowMap{{1, {501, 502}}})) << (list ? describe(*list) : "NULL");
    }
    env.session.skyLight.windowsForSpace[5] = Value(Array{9, Value(4294967295ull), 9.0, 9});
    EXPECT_EQ(PrivateSpaces::windowIDs({5}), (WindowMap{{5, {9, 4294967295u}}}));
}

}  // namespace
}  // namespace tarnwick
