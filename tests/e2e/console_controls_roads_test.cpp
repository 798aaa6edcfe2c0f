// The settings' controls worked through the built program as a person would: the shortcut
// recorder records a new chord that opens the overview from then on and at the next start, the
// tint well takes a typed colour that the banner's glass shows, a pop-up opens its menu with its
// choice checked, and a press that cannot be one click on one control says why.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/geometry.h"
#include "support/json.h"
#include "testkit/console_process.h"
#include "testkit/temp_folder.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
constexpr const char* kBuiltIn = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";

std::string readFile(const fs::path& path) { return testkit::fileText(path); }


class ConsoleControlsRoadsTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start() {
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), kDefaultSession, {}, {}, true});
        EXPECT_EQ(program->ready().back(), "ready");
        return *program;
    }
    Lines send(const std::string& command) { return program->send(command); }
    // The settings window on a page, opened from the status menu.
    void openSettings(const std::string& page) {
        EXPECT_EQ(send("click status-item").back(), "ok");
        send("wait 0.5");
        EXPECT_EQ(send("menu \"Settings…\"").back(), "ok");
        EXPECT_EQ(send("set \"Settings sections\" \"" + page + "\"").back(), "ok");
    }
    // The user defaults the program saved.
    Value defaults() const {
        return json::parse(readFile(home.path() / "Library/Preferences/local.orlenbay.Tarnwick.json")).value_or(Value());
    }
    // Whether the overview opened on the chord: it shows, and the same chord closes it again.
    bool chordOpensTheOverview(const std::string& chord) {
        const Lines opened = send("keys " + chord);
        if (!testkit::printed(opened, "shown window 600001 \"Workstation Overview\"")) return false;
        EXPECT_TRUE(testkit::printed(send("keys " + chord), "hidden window 600001 \"Workstation Overview\""));
        return true;
    }
    // The status menu's rows as `menu opened` prints them, after a click on the status item; the
    // menu is closed again.
    std::string statusMenuRows() {
        EXPECT_EQ(send("click status-item").back(), "ok");
        const Lines opened = send("wait 0.5");
        EXPECT_EQ(send("keys escape").back(), "ok");
        for (const auto& line : opened)
            if (const auto at = line.find(" rows "); line.find("menu opened") != std::string::npos && at != std::string::npos)
                return line.substr(at + 6);
        ADD_FAILURE() << "no menu opened";
        return {};
    }
    void quit() {
        program->send("quit");
        EXPECT_EQ(program->finish(), 0);
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

TEST_F(ConsoleControlsRoadsTest, ARecordedShortcutIsSavedAndOpensTheOverviewFromThenOnAndAtTheNextStart) {
    start();
    openSettings("Overview");
    const std::string recorder = "bridged \"%\" id \"overview-shortcut-recorder\" label \"Workstation Overview keyboard shortcut\"";
    const auto recorderShows = [&](const std::string& title) {
        std::string line = recorder;
        line.replace(line.find('%'), 1, title);
        return testkit::printed(send("screen"), line);
    };
    EXPECT_TRUE(recorderShows("⌃⌥⌘W"));

    // Found by the shortcut it shows, a press starts recording; a chord without Command or
    // Control is refused under the control and the recording goes on; Escape cancels it.
    EXPECT_EQ(send("press \"⌃⌥⌘W\"").back(), "ok");
    EXPECT_TRUE(recorderShows("Press shortcut…"));
    EXPECT_EQ(send("keys shift-k").back(), "ok");
    const Lines refused = send("screen");
    EXPECT_TRUE(testkit::printed(refused, "text \"Include Command or Control with your shortcut.\""));
    EXPECT_TRUE(testkit::printed(refused, "bridged \"Press shortcut…\""));
    EXPECT_EQ(send("keys escape").back(), "ok");
    EXPECT_TRUE(recorderShows("⌃⌥⌘W"));

    // By its label, then the new chord: shown, saved, and the global shortcut from then on.
    EXPECT_EQ(send("press \"Workstation Overview keyboard shortcut\"").back(), "ok");
    EXPECT_EQ(send("keys ctrl-opt-cmd-k").back(), "ok");
    EXPECT_TRUE(recorderShows("⌃⌥⌘K"));
    const Value saved = defaults();
    const Value* shortcut = saved.find("overviewShortcut");
    ASSERT_TRUE(shortcut) << readFile(home.path() / "Library/Preferences/local.orlenbay.Tarnwick.json");
    EXPECT_EQ(shortcut->find("keyCode")->toInt64(), std::optional<std::int64_t>(40));
    EXPECT_EQ(shortcut->find("modifiers")->toInt64(), std::optional<std::int64_t>(0x1900));
    send("pointer 300 300");
    EXPECT_FALSE(chordOpensTheOverview("ctrl-opt-cmd-w"));
    EXPECT_TRUE(chordOpensTheOverview("ctrl-opt-cmd-k"));
    quit();

    start();
    EXPECT_FALSE(chordOpensTheOverview("ctrl-opt-cmd-w"));
    EXPECT_TRUE(chordOpensTheOverview("ctrl-opt-cmd-k"));

    // Clear turns it off ("Record shortcut…" then finds the recorder); Use default brings ⌃⌥⌘W back.
    openSettings("Overview");
    EXPECT_EQ(send("press Clear").back(), "ok");
    EXPECT_TRUE(recorderShows("Record shortcut…"));
    EXPECT_FALSE(chordOpensTheOverview("ctrl-opt-cmd-k"));
    EXPECT_EQ(send("press \"Record shortcut…\"").back(), "ok");
    EXPECT_TRUE(recorderShows("Press shortcut…"));
    EXPECT_EQ(send("keys escape").back(), "ok");
    EXPECT_TRUE(recorderShows("Record shortcut…"));
    EXPECT_EQ(send("press \"Use default\"").back(), "ok");
    EXPECT_TRUE(recorderShows("⌃⌥⌘W"));
    EXPECT_TRUE(chordOpensTheOverview("ctrl-opt-cmd-w"));
    quit();
}

TEST_F(ConsoleControlsRoadsTest, TheStatusMenuShowsItsKeyEquivalentsAndTheOverviewRowFollowsTheRecordedShortcut) {
    start();
    const auto rows = [&] { return statusMenuRows(); };
    const auto withOverview = [](const std::string& overview) {
        return "\"Workstation Overview\"" + overview + " \"Desktop Names\" \"Settings…\" key \"⌘,\" \"About Tarnwick\" " +
               "\"Check for Updates…\" \"Quit Tarnwick\" key \"⌘Q\"";
    };
    EXPECT_EQ(rows(), withOverview(" key \"⌃⌥⌘W\""));

    // A shortcut with a named key shows that key's glyph, from the moment it is recorded and at
    // the next start.
    openSettings("Overview");
    EXPECT_EQ(send("press \"⌃⌥⌘W\"").back(), "ok");
    EXPECT_EQ(send("keys ctrl-shift-cmd-left").back(), "ok");
    EXPECT_EQ(rows(), withOverview(" key \"⌃⇧⌘←\""));
    quit();
    start();
    EXPECT_EQ(rows(), withOverview(" key \"⌃⇧⌘←\""));

    // Turned off, the row shows none; the picture draws only the others'.
    openSettings("Overview");
    EXPECT_EQ(send("press Clear").back(), "ok");
    EXPECT_EQ(rows(), withOverview(""));
    EXPECT_EQ(send("click status-item").back(), "ok");
    send("wait 0.5");
    const fs::path file = home.path() / "menu.svg";
    EXPECT_EQ(send("screen svg " + file.string()), Lines{"ok"});
    const auto picture = testkit::parseXml(readFile(file));
    ASSERT_TRUE(picture);
    Lines drawn;
    for (const auto* text : picture->all("text", "menu-key-equivalent")) drawn.push_back(text->text);
    EXPECT_EQ(drawn, (Lines{"⌘,", "⌘Q"}));
    send("keys escape");

    // The open menu takes its rows' key equivalents: the row is chosen, the menu closing first.
    EXPECT_EQ(send("close \"Tarnwick Settings\"").back(), "ok");
    EXPECT_EQ(send("click status-item").back(), "ok");
    send("wait 0.5");
    EXPECT_EQ(send("keys cmd-k"),
              Lines{"error: A menu is open; it takes escape, the key equivalent of one of its rows or menu \"<row>\"."});
    const Lines chosen = send("keys cmd-,");
    ASSERT_GE(chosen.size(), 2u);
    EXPECT_TRUE(chosen[0].ends_with("menu closed \"\"")) << testkit::transcript(chosen);
    EXPECT_TRUE(testkit::printed(chosen, "shown window 600002 \"Tarnwick Settings\"")) << testkit::transcript(chosen);
    EXPECT_EQ(send("click status-item").back(), "ok");
    send("wait 0.5");
    send("keys cmd-q");
    EXPECT_EQ(program->finish(), 0);
}

TEST_F(ConsoleControlsRoadsTest, TheTintWellTakesATypedColourThatTheBannersGlassShowsInItsStyle) {
    start();
    openSettings("Banner");
    EXPECT_EQ(send("set \"Tint color\" \"#FF8800\""), Lines{"error: \"Tint color\" is disabled."});
    EXPECT_EQ(send("set \"Tint glass\" on").back(), "ok");
    for (const char* malformed : {"#FF88", "FF8800", "#GG8800", "#FF8800FF00", "orange"})
        EXPECT_EQ(send(std::string("set \"Tint color\" \"") + malformed + "\""),
                  Lines{std::string("error: \"") + malformed +
                        "\" is no colour; the colour of \"Tint color\" is #RRGGBB, or #RRGGBBAA with its opacity, in "
                        "hexadecimal digits (#FF8800)."});
    // By its identifier; the well has no opacity, so it takes the colour opaque.
    EXPECT_EQ(send("set banner-tint-color \"#00aa5580\"").back(), "ok");
    EXPECT_TRUE(testkit::printed(send("screen"), "colorWell \"#00AA55\" id \"banner-tint-color\" label \"Tint color\""));
    EXPECT_EQ(send("set \"Tint color\" \"#FF8800\"").back(), "ok");
    EXPECT_TRUE(testkit::printed(send("screen"), "colorWell \"#FF8800\" id \"banner-tint-color\" label \"Tint color\""));
    const Value saved = defaults();
    const Value* tint = saved.find("bannerTintRGB");
    ASSERT_TRUE(tint && tint->asArray() && tint->asArray()->size() == 3u);
    EXPECT_DOUBLE_EQ(*(*tint->asArray())[0].toDouble(), 1);
    EXPECT_NEAR(*(*tint->asArray())[1].toDouble(), 0x88 / 255.0, 1e-9);
    EXPECT_DOUBLE_EQ(*(*tint->asArray())[2].toDouble(), 0);

    // The banner's glass in that tint, regular, then clear (the segment "Clear" pressed). Of the
    // glass drawn, the banner's is the tinted one.
    const auto bannerGlass = [&](const std::string& picture) {
        send("switch 2");
        send("wait 0.3");  // the banner shows a moment after the switch
        const Lines screen = send("screen");
        const auto window = std::find_if(screen.begin(), screen.end(), [](const std::string& line) {
            return line.rfind("window ", 0) == 0 && line.find("level 3") != std::string::npos;
        });
        EXPECT_NE(window, screen.end());
        const std::string glass = window != screen.end() && window + 1 != screen.end() ? *(window + 1) : "";
        EXPECT_EQ(send("screen svg " + (home.path() / picture).string()), Lines{"ok"});
        send("wait 3");
        send("switch 1");
        send("wait 3");
        return glass;
    };
    const auto drawnGlass = [&](const std::string& picture) {
        const auto parsed = testkit::parseXml(readFile(home.path() / picture));
        EXPECT_TRUE(parsed);
        std::vector<std::string> drawn;
        if (parsed)
            for (const auto* glass : parsed->all("rect", "glass"))
                if (const std::string* tint = glass->attribute("data-tint"))
                    drawn.push_back(glass->value("data-style") + " " + *tint + " " + glass->value("fill"));
        return drawn;
    };
    EXPECT_EQ(bannerGlass("regular.svg"), "  glass regular tint \"#FF880038\"");
    EXPECT_EQ(drawnGlass("regular.svg"), Lines{"regular #FF880038 #5a4733"});
    EXPECT_EQ(send("press Clear").back(), "ok");
    EXPECT_TRUE(testkit::printed(send("screen"), "picker \"Style\" selected \"Clear\""));
    EXPECT_EQ(bannerGlass("clear.svg"), "  glass clear tint \"#FF880038\"");
    EXPECT_EQ(drawnGlass("clear.svg"), Lines{"clear #FF880038 #736252"});
    quit();
}

// The pop-up's open menu, drawn: the title of each row, and the row whose check mark shows.
struct DrawnPopUpMenu {
    Lines rows;
    std::vector<std::string> checked;
};

// The points a glyph's paths pass through ("M x y L x y ...").
std::vector<Point> pathPoints(const testkit::XmlElement& glyph) {
    std::vector<Point> points;
    for (const auto* part : glyph.all("path")) {
        std::istringstream words(part->value("d"));
        std::string word;
        std::vector<double> numbers;
        while (words >> word)
            if (word != "M" && word != "L" && word != "Z") numbers.push_back(std::stod(word));
        for (std::size_t i = 0; i + 1 < numbers.size(); i += 2) points.push_back(Point{numbers[i], numbers[i + 1]});
    }
    return points;
}

DrawnPopUpMenu drawnPopUpMenu(const testkit::XmlElement& picture) {
    DrawnPopUpMenu menu;
    const auto rows = picture.all("text", "menu-row");
    for (const auto* row : rows) menu.rows.push_back(row->text);
    for (const auto* check : picture.all("g", "menu-check")) {
        const auto glyphs = check->all("g", "symbol");
        EXPECT_EQ(glyphs.size(), 1u);
        if (glyphs.empty()) continue;
        EXPECT_EQ(*glyphs[0]->attribute("data-symbol"), "checkmark");
        // The row it stands before: a check mark lies wholly left of the title, between the
        // row's top (a row's height above its baseline, at most) and a little under the baseline.
        const auto points = pathPoints(*glyphs[0]);
        EXPECT_FALSE(points.empty());
        for (const auto* row : rows) {
            const double baseline = row->number("y");
            const bool before = !points.empty() && std::all_of(points.begin(), points.end(), [&](const Point& p) {
                return p.x < row->number("x") && p.y > baseline - row->number("font-size") * 1.3 && p.y < baseline + 4;
            });
            if (before) menu.checked.push_back(row->text);
        }
    }
    return menu;
}

TEST_F(ConsoleControlsRoadsTest, APopUpOpensItsMenuWithItsChoiceCheckedWhenPressedAndARowChooses) {
    start();
    openSettings("Banner");
    const Lines opened = send("press Position");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].rfind("@1000.500 menu opened \"\" at ", 0), 0u) << opened[0];
    EXPECT_NE(opened[0].find(" rows \"Bottom center\" checked \"Top center\""), std::string::npos) << opened[0];
    EXPECT_TRUE(testkit::printed(send("screen"), "rows \"Bottom center\" checked \"Top center\""));
    const auto drawn = [&](const std::string& name) {
        EXPECT_EQ(send("screen svg " + (home.path() / name).string()), Lines{"ok"});
        const auto picture = testkit::parseXml(readFile(home.path() / name));
        EXPECT_TRUE(picture);
        return drawnPopUpMenu(picture.value_or(testkit::XmlElement{}));
    };
    const auto first = drawn("popup.svg");
    EXPECT_EQ(first.rows, (Lines{"Bottom center", "Top center"}));
    EXPECT_EQ(first.checked, (Lines{"Bottom center"}));

    const Lines chosen = send("menu \"Top center\"");
    EXPECT_EQ(chosen.front(), "@1000.500 menu closed \"\"");
    EXPECT_EQ(chosen.back(), "ok");
    EXPECT_TRUE(testkit::printed(send("screen"), "picker \"Position\" selected \"Top center\""));
    // Pressed by the option it shows, the menu checks the new choice; Escape chooses nothing.
    EXPECT_TRUE(testkit::printed(send("press \"Top center\""), "rows \"Bottom center\" \"Top center\" checked"));
    EXPECT_EQ(drawn("popup-again.svg").checked, (Lines{"Top center"}));
    EXPECT_EQ(send("keys escape"), (Lines{"@1000.500 menu closed \"\"", "ok"}));
    EXPECT_TRUE(testkit::printed(send("screen"), "picker \"Position\" selected \"Top center\""));
    quit();
}

TEST_F(ConsoleControlsRoadsTest, APressThatIsNotOneClickOnOneControlSaysWhyAndButtonsShowTheirTitles) {
    start();
    openSettings("Desktop Names");
    const std::string identify = std::string("button \"Identify\" id \"identify-display.") + kStudio +
                                 "\" label \"Identify Studio Display\"";
    EXPECT_TRUE(testkit::printed(send("screen"), identify));
    EXPECT_EQ(send("press Identify"),
              Lines{std::string("error: \"Identify\" finds 2 controls: a button with the identifier \"identify-display.") +
                    kBuiltIn + "\" and a button with the identifier \"identify-display." + kStudio +
                    "\"; press one of them by its identifier or label."});
    const Lines identified = send(std::string("press identify-display.") + kStudio);
    EXPECT_TRUE(testkit::printed(identified, "shown window 600003 \"Identify Display\"")) << identified.front();

    send("in \"Tarnwick Settings\" set \"Settings sections\" Banner");
    const std::vector<std::pair<std::string, std::string>> refused{
        {"Desktop banner", "\"Desktop banner\" is the heading of a section, which takes no click."},
        {"Mission Control captions use their own appearance.",
         "\"Mission Control captions use their own appearance.\" is a text, which takes no click."},
        {"Tint color", "\"Tint color\" is a colour well; set \"Tint color\" \"#RRGGBB\" chooses its colour."},
        {"Banner size", "\"Banner size\" is a slider; set \"Banner size\" <number> moves it."},
        // The text that leads the slider's row names the slider for set, so its press says so.
        {"Size", "\"Size\" labels a slider; set \"Size\" <number> moves it."},
        {"Show for 2.0 seconds", "\"Show for 2.0 seconds\" is a stepper; set \"Show for 2.0 seconds\" <number> steps it."},
    };
    for (const auto& [name, sentence] : refused)
        EXPECT_EQ(send("in \"Tarnwick Settings\" press \"" + name + "\""), Lines{"error: " + sentence}) << name;
    quit();
}

}  // namespace
}  // namespace tarnwick
