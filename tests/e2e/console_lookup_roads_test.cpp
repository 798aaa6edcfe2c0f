// The console finds controls by what a person sees, through the built program: an app chosen in
// the overview by its icon's identifier or label switches to its desktop, brings its window
// forward and closes the overview; sliders go by the texts beside them, a name that a text and a
// heading share with one control finds that control, a segmented control is set rather than
// pressed, and a narrow settings window points to the menu its sections moved to. Bad words and
// numbers past every range get their own sentences.

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/console/command_words.h"
#include "support/json.h"
#include "testkit/console_process.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr const char* kDesktop3 = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";
constexpr const char* kDesktop5 = "2F3E4D5C-6B7A-4899-A8B7-C6D5E4F3A202";

class ConsoleLookupRoadsTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start() {
        program = std::make_unique<testkit::ConsoleProcess>(testkit::ConsoleProcess::Options{home.path(), std::nullopt, {}, {}, true});
        EXPECT_EQ(program->ready().back(), "ready");
        return *program;
    }
    Lines send(const std::string& command) { return program->send(command); }
    std::string answer(const std::string& command) { return send(command).back(); }
    bool screenShows(const std::string& part) { return testkit::printed(send("screen"), part); }
    // The command is answered ok, and `screen` shows the line after it.
    void answersOkAndShows(const std::string& command, const std::string& shown) {
        EXPECT_EQ(answer(command), "ok") << command;
        EXPECT_TRUE(screenShows(shown)) << command << ": " << shown;
    }
    void openSettings() {
        send("click status-item");
        send("wait 0.5");
        ASSERT_EQ(answer("menu \"Settings…\""), "ok");
    }
    // The app-focus trace's records, in the order written.
    std::vector<Value> focusTrace() const {
        std::vector<Value> records;
        const std::string text = testkit::fileText(home.path() / "Library/Logs/Tarnwick/application-focus-trace.jsonl");
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            if (auto record = json::parse(text.substr(start, end - start))) records.push_back(*record);
        return records;
    }
    // A record's field as text: a string as it is, a whole number in digits.
    static std::string field(const Value& record, const std::string& key) {
        const Value* value = record.find(key);
        if (!value) return "";
        if (const auto* text = value->asString()) return *text;
        const auto number = value->toInt64();
        return number ? std::to_string(*number) : "";
    }
    void quit() {
        send("quit");
        EXPECT_EQ(program->finish(), 0);
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

TEST_F(ConsoleLookupRoadsTest, AnAppChosenInTheOverviewByItsIdentifierOrLabelIsBroughtForwardOnItsDesktop) {
    struct Choice {
        std::string name;
        std::string desktop;
        std::string switched;
    };
    const std::vector<Choice> choices{
        {std::string("open-overview-app.") + kDesktop3 + ".com.apple.finder", kDesktop3,
         "desktop switched on display 1 to \"Desktop 3\""},
        // An app on the other display, by the label a person hears for the icon.
        {"Open Mail on Desktop 5 on Studio Display", kDesktop5, "desktop switched on display 2 to \"Desktop 5\""},
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.name);
        fs::remove_all(home.path() / "Library/Logs");
        start();
        send("hover status-item");
        ASSERT_TRUE(testkit::printed(send("wait 1"), "shown window 600001 \"Workstation Overview\""));
        const Lines pressed = send("press " + sim::quotedText(choice.name));
        EXPECT_EQ(pressed.back(), "ok");
        EXPECT_TRUE(testkit::printed(pressed, "hidden window 600001 \"Workstation Overview\"")) << testkit::transcript(pressed);
        EXPECT_TRUE(testkit::printed(send("wait 2"), choice.switched));
        EXPECT_FALSE(screenShows("\"Workstation Overview\""));

        // The window asked for is the one the trace saw focused and verified, on its desktop.
        const auto trace = focusTrace();
        const auto event = [&](const std::string& name) -> const Value* {
            for (const auto& record : trace)
                if (field(record, "event") == name) return &record;
            return nullptr;
        };
        const Value* requested = event("requested");
        const Value* verified = event("verified");
        ASSERT_TRUE(requested && verified) << trace.size() << " trace records";
        EXPECT_EQ(field(*requested, "desktop"), choice.desktop);
        EXPECT_EQ(field(*verified, "desktop"), choice.desktop);
        EXPECT_EQ(field(*verified, "window"), field(*requested, "window"));
        EXPECT_EQ(field(*verified, "focusedWindow"), field(*requested, "window"));
        EXPECT_EQ(field(*verified, "pid"), field(*requested, "pid"));
        quit();
    }
}

TEST_F(ConsoleLookupRoadsTest, SettingsControlsAreFoundByTheWordsShownBesideThem) {
    start();
    openSettings();
    // A slider by the text that leads its row, on each page that has one.
    ASSERT_EQ(answer("set \"Show app icons in expanded Mission Control previews\" on"), "ok");
    answersOkAndShows("set \"Preview icon size\" 24", "slider 24 value \"24 points\" label \"Mission Control preview icon size\"");
    ASSERT_EQ(answer("set \"Settings sections\" Overview"), "ok");
    answersOkAndShows("set \"App icon size\" 32", "slider 32 value \"32 points\" label \"Workstation Overview app icon size\"");
    ASSERT_EQ(answer("set \"Settings sections\" Banner"), "ok");
    answersOkAndShows("set Size 1.5", "slider 1.5 value \"150 percent\" label \"Banner size\"");
    EXPECT_EQ(answer("set Size 150"), "error: The value of \"Size\" must be from 0.75 to 2, not 150.");

    // A segmented control is set; pressed as a whole it would choose by where its centre is.
    EXPECT_EQ(answer("press Style"),
              "error: \"Style\" is a segmented control: a click at its centre would choose whatever option lies there; "
              "set \"Style\" <option> chooses one: \"Regular\" or \"Clear\".");
    EXPECT_TRUE(screenShows("picker \"Style\" selected \"Regular\""));
    answersOkAndShows("set Style Clear", "picker \"Style\" selected \"Clear\"");

    // The page heading, a section heading and the sidebar's row all show "Desktop Names"; only
    // the row takes a click.
    for (int time = 0; time < 2; ++time)  // from the Banner page, then on the Desktop Names page itself
        answersOkAndShows("press \"Desktop Names\"", "list selected \"Desktop Names\" label \"Settings sections\"");
    answersOkAndShows("set \"App icon size\" 20", "slider 20 value \"20 points\" label \"App icon size\"");

    // Too narrow for the sidebar, the window shows its sections as the menu of its title.
    send("resize \"Tarnwick Settings\" 520 560");
    EXPECT_EQ(answer("set \"Settings sections\" Overview"),
              "error: \"Settings sections\" is hidden now; its options are in the pull-down menu \"Settings section\" "
              "instead: set \"Settings section\" \"Overview\".");
    EXPECT_TRUE(screenShows("menu value \"Desktop Names\" id \"settings-section-menu\" label \"Settings section\""));
    answersOkAndShows("set \"Settings section\" Overview",
                      "menu value \"Overview\" id \"settings-section-menu\" label \"Settings section\"");
    quit();
}

TEST_F(ConsoleLookupRoadsTest, ExtraWordsATwiceNamedModifierAndHugeNumbersAreRefusedWithTheirSentences) {
    start();
    const Lines before = send("screen");
    const std::vector<std::pair<std::string, std::string>> refused{
        {"help me", "Too many words for help; type help."},
        {"quit now", "Too many words for quit; type quit."},
        {"keys ctrl-ctrl-k", "\"ctrl-ctrl-k\" names the Control key twice; name each modifier once, as in keys "
                             "ctrl-opt-cmd-w."},
        {"switch 99999999999999999999", "The desktop's number must be from 1 to 6, not 99999999999999999999."},
        {"pointer display 99999999999999999999",
         "The display id must be from 0 to 4294967295, not 99999999999999999999."},
        {"display remove 99999999999999999999", "The display id must be from 0 to 4294967295, not 99999999999999999999."},
    };
    for (const auto& [command, sentence] : refused) EXPECT_EQ(send(command), Lines{"error: " + sentence}) << command;
    EXPECT_EQ(send("screen"), before);
    quit();
}

}  // namespace
}  // namespace tarnwick
