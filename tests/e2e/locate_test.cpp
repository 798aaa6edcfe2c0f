#include <cmath>
#include <fstream>

#include <gtest/gtest.h>

#include "app/json_output.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "support/files.h"
#include "support/json.h"
#include "testkit/run_program.h"
#include "testkit/temp_folder.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::runTarnwick;

const std::string kSession = std::string(TARNWICK_SOURCE_DIR) + "/sessions/mission-control-open.json";

Rect rectangle(const Value& d) {
    return Rect(*d.find("x")->toDouble(), *d.find("y")->toDouble(), *d.find("width")->toDouble(),
                *d.find("height")->toDouble());
}

class LocateTest : public ::testing::Test {
protected:
    testkit::ProgramResult locate(std::vector<std::string> arguments, const std::string& session = kSession) {
        return runTarnwick(arguments, {{"HOME", home.path().string()}, {"TARNWICK_SESSION", session}});
    }
    // The session with the top-level members of `edit` in place of its own (a session file may
    // hold each key once).
    std::string sessionWith(const std::string& edit) {
        Value session = *json::parse(files::read(kSession));
        const Value edited = *json::parse("{" + edit + "}");
        for (const auto& [key, value] : *edited.asDictionary()) session[key] = value;
        auto path = home / "session.json";
        std::ofstream(path) << *json::write(session);
        return path.string();
    }
    testkit::TempFolder home;
};

TEST_F(LocateTest, PrintsEachDisplaysCaptionsWhereTheSessionDrewThem) {
    auto result = locate({"--locate"});
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_TRUE(result.standardError.empty());
    ASSERT_GE(result.standardOutput.size(), 2u);
    EXPECT_EQ(result.standardOutput.back(), '\n');
    EXPECT_NE(result.standardOutput[result.standardOutput.size() - 2], '\n');
    auto parsed = json::parse(result.standardOutput);
    ASSERT_TRUE(parsed && parsed->asDictionary()) << result.standardOutput;
    EXPECT_EQ(*parsed->find("overlayEnabled"), Value(false));

    // What the session draws, from the same file.
    testkit::TestEnvironment env;
    env.session.loadFile(kSession);
    const auto drawn = sim::MissionControlLayout::bars(env.session, env.clock.uptime());
    const auto& bars = *parsed->find("bars")->asArray();
    ASSERT_EQ(bars.size(), drawn.size());
    for (const auto& display : drawn) {
        const Value* bar = nullptr;
        for (const auto& candidate : bars)
            if (display.display.contains(rectangle(*candidate.find("frameCG")))) bar = &candidate;
        ASSERT_TRUE(bar);
        std::vector<sim::SimDesktopButton> captions;
        for (const auto& button : display.buttons)
            if (button.title.rfind("Desktop ", 0) == 0) captions.push_back(button);
        const auto& labels = *bar->find("labels")->asArray();
        ASSERT_EQ(labels.size(), captions.size());
        for (size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(*labels[i].find("text"), Value(captions[i].title));
            const Rect bounds = rectangle(*labels[i].find("boundsCG"));
            EXPECT_NEAR(bounds.minX(), captions[i].caption.minX(), 1.0);
            EXPECT_NEAR(bounds.minY(), captions[i].caption.minY(), 1.0);
            EXPECT_NEAR(bounds.maxX(), captions[i].caption.maxX(), 1.0);
            EXPECT_NEAR(bounds.maxY(), captions[i].caption.maxY(), 1.0);
        }
    }
}

TEST_F(LocateTest, UnsupportedSituationsAreReportedInsideTheJson) {
    auto denied = locate({"--locate"}, sessionWith(R"("system": {"screenCaptureAllowed": false})"));
    ASSERT_EQ(denied.exitStatus, 0);
    auto parsed = json::parse(denied.standardOutput);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed->find("unsupported"), Value("Screen Recording permission required for exact rendered text bounds"));

    auto closed = locate({"--locate"}, sessionWith(R"("missionControl": {"open": false})"));
    ASSERT_EQ(closed.exitStatus, 0);
    parsed = json::parse(closed.standardOutput);
    ASSERT_TRUE(parsed && parsed->find("bars"));
    EXPECT_TRUE(parsed->find("bars")->asArray()->empty());
}

TEST_F(LocateTest, CaptureDebugTracesOnStandardErrorAndAddsTheWholeImageComparison) {
    auto result = locate({"--locate", "--capture-debug", "--diagnose"});
    ASSERT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError.rfind("Checking screen access\nShareable content received: ", 0), 0u)
        << result.standardError;
    int captured = 0, recognised = 0;
    for (size_t at = 0; (at = result.standardError.find("Captured bar ", at)) != std::string::npos; ++at) ++captured;
    for (size_t at = 0; (at = result.standardError.find("Recognized ", at)) != std::string::npos; ++at) ++recognised;
    EXPECT_EQ(captured, 2);
    EXPECT_EQ(recognised, 2);
    auto parsed = json::parse(result.standardOutput);
    ASSERT_TRUE(parsed && parsed->find("bars"));  // locating, not the diagnostic snapshot
    for (const auto& bar : *parsed->find("bars")->asArray()) {
        EXPECT_TRUE(bar.find("wholeImageComparison"));
        EXPECT_FALSE(bar.find("unmergedComparison"));
    }
}

// The saved names of the session's desktops 3 and 4 ("Desktop 2" on the built-in display and
// "Desktop 4" on the studio display).
void saveNames(const testkit::TempFolder& home, const std::string& names) {
    const auto folder = home.path() / "Library/Application Support/Tarnwick";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "names.json") << R"({"version": 1, "names": )" << names << "}";
}

TEST_F(LocateTest, LocateSavedLocatesTheCaptionsOfTheNamedDesktopsOnly) {
    saveNames(home, R"({"1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101": "Code"})");
    auto result = locate({"--locate-saved"});
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_TRUE(result.standardError.empty());
    ASSERT_GE(result.standardOutput.size(), 2u);
    EXPECT_EQ(result.standardOutput.back(), '\n');
    EXPECT_NE(result.standardOutput[result.standardOutput.size() - 2], '\n');
    auto parsed = json::parse(result.standardOutput);
    ASSERT_TRUE(parsed && parsed->find("bars")) << result.standardOutput;
    // Only the studio display has a named desktop, so only its bar is read.
    const auto& bars = *parsed->find("bars")->asArray();
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_TRUE(Rect(1512, -200, 2560, 1440).contains(rectangle(*bars[0].find("frameCG"))));
    bool found = false;
    for (const auto& label : *bars[0].find("labels")->asArray()) found = found || *label.find("text") == Value("Desktop 4");
    EXPECT_TRUE(found);

    // It wins over "--locate".
    auto both = locate({"--locate", "--locate-saved"});
    parsed = json::parse(both.standardOutput);
    ASSERT_TRUE(parsed && parsed->find("bars"));
    EXPECT_EQ(parsed->find("bars")->asArray()->size(), 1u);
}

// Nothing to locate: with Mission Control closed it asks for it to be opened (named desktops or
// not); open, with no desktop named, opening it would not help; open, with a desktop named, its
// geometry could not be read.
TEST_F(LocateTest, LocateSavedSaysWhyItHasNothingToLocate) {
    const std::string closedSentence = "{\n  \"unsupported\" : \"Open Mission Control to inspect saved desktop labels\"\n}\n";
    const std::string closedSession = sessionWith(R"("missionControl": {"open": false})");
    saveNames(home, R"({"1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101": "Code"})");
    auto closed = locate({"--locate-saved"}, closedSession);
    ASSERT_EQ(closed.exitStatus, 0);
    EXPECT_EQ(closed.standardOutput, closedSentence);
    saveNames(home, R"({"0F0F0F0F-0000-4000-8000-000000000000": "Gone"})");  // no desktop of these
    EXPECT_EQ(locate({"--locate-saved"}, closedSession).standardOutput, closedSentence);
    auto unnamed = locate({"--locate-saved"});
    EXPECT_EQ(unnamed.exitStatus, 0);
    EXPECT_EQ(unnamed.standardOutput, "{\n  \"unsupported\" : \"No desktop has a saved name to inspect\"\n}\n");
    saveNames(home, R"({"1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101": "Code"})");
    auto unreadable = locate({"--locate-saved"}, sessionWith(R"("system": {"accessibilityTrusted": false})"));
    EXPECT_EQ(unreadable.exitStatus, 0);
    EXPECT_EQ(unreadable.standardOutput,
              "{\n  \"unsupported\" : \"Mission Control is open, but its desktop labels could not be read\"\n}\n");
}

TEST(JsonOutputTest, ADictionaryThatIsNotJsonIsAFailureNotABareLineFeed) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = app::printJSON(Value(Dictionary{{"seconds", std::nan("")}}), "Could not write it.");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Could not write it.\n");
    EXPECT_EQ(status, 1);

    testing::internal::CaptureStdout();
    EXPECT_EQ(app::printJSON(Value(Dictionary{{"confidence", 0.97f}}), "Could not write it."), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "{\n  \"confidence\" : 0.97\n}\n");
}

}  // namespace
}  // namespace tarnwick
