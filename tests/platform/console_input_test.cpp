#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_reader.h"
#include "platform/sim/console/console_sink.h"
#include "platform/sim/console/console_settings.h"
#include "platform/sim/console/key_combination.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "support/error.h"
#include "testkit/console_driver.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using sim::splitCommandWords;
using Words = std::vector<std::string>;

std::string errorOf(std::string_view line) {
    try {
        splitCommandWords(line);
    } catch (const Error& error) {
        return error.message();
    }
    return "";
}

TEST(CommandWordsTest, BlanksSeparateQuotesHoldTextAndCommentsEndTheLine) {
    EXPECT_EQ(splitCommandWords("  switch\t2  "), (Words{"switch", "2"}));
    EXPECT_EQ(splitCommandWords("alert type \"Work and play\""), (Words{"alert", "type", "Work and play"}));
    EXPECT_EQ(splitCommandWords("type name \"\""), (Words{"type", "name", ""}));
    EXPECT_EQ(splitCommandWords("say \"a \\\"b\\\" \\\\ c\\n\\x41\""), (Words{"say", "a \"b\" \\ c\nA"}));
    EXPECT_EQ(splitCommandWords("pre\"fix and\"post"), (Words{"prefix andpost"}));
    EXPECT_EQ(splitCommandWords("wait 1 # a second"), (Words{"wait", "1"}));
    EXPECT_EQ(splitCommandWords("press \"# not a comment\""), (Words{"press", "# not a comment"}));
    EXPECT_EQ(splitCommandWords("   # only a comment"), Words{});
    EXPECT_EQ(splitCommandWords(""), Words{});
    EXPECT_EQ(splitCommandWords("alert type \"Büro 🖥\""), (Words{"alert", "type", "Büro 🖥"}));
}

TEST(CommandWordsTest, BadLinesAreRefusedWithASentenceSayingWhatToType) {
    EXPECT_EQ(errorOf("alert type \"Work"), "A quoted text is not closed; end it with a double quote.");
    EXPECT_EQ(errorOf("type x \"\\q\""), "Unknown escape \\q in quotes; use \\\", \\\\, \\n, \\t or \\xHH.");
    EXPECT_EQ(errorOf("type x \"\\x4\""), "\\x in quotes needs two hexadecimal digits, as in \"\\x41\".");
    EXPECT_NE(errorOf("type x \"\\xC3\""), "");     // escapes that make no UTF-8
    EXPECT_NE(errorOf("type x \"\\x00\""), "");     // or a NUL
    EXPECT_EQ(errorOf("switch \xC3\x28"), "The line is not valid UTF-8 text; type it again as plain text.");
    EXPECT_NE(errorOf("switch \xED\xA0\x80"), "");  // a surrogate
    EXPECT_NE(errorOf("switch \xC0\xAF"), "");      // an overlong form
    EXPECT_NE(errorOf(std::string("switch\0 2", 9)), "");
    EXPECT_NE(errorOf("switch \x1b[2J"), "");
    EXPECT_EQ(errorOf(std::string(4096, 'a')), "");
    EXPECT_EQ(errorOf(std::string(4097, 'a')), "The line is longer than 4096 bytes; type a shorter command.");
}

TEST(CommandWordsTest, PrintedTextCanBeTypedBack) {
    for (const std::string text : {"plain", "with \"quotes\" and \\", "tab\tand\nline", "bell\x07", "<b>&\"", ""}) {
        const std::string typed = "press " + sim::quotedText(text);
        EXPECT_EQ(splitCommandWords(typed), (Words{"press", text})) << typed;
    }
    EXPECT_EQ(sim::formatNumber(1000.35), "1000.35");
    EXPECT_EQ(sim::formatNumber(12), "12");
    EXPECT_EQ(sim::formatNumber(-0.0001), "0");
    EXPECT_EQ(sim::formatNumber(4.8423), "4.842");
}

// Ordinary numbers keep their three decimals; from a trillion up the shortest exponent form that
// reads back as the number, never cut short. Each is a number SVG reads.
TEST(CommandWordsTest, LargeNumbersAreWrittenInExponentFormThatReadsBackAsTheNumber) {
    const std::regex svgNumber(R"([+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?)");
    const std::vector<std::pair<double, std::string>> cases{
        {1e300, "1e+300"},
        {-1e300, "-1e+300"},
        {1e12, "1e+12"},
        {-1.5e15, "-1.5e+15"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
        {999999999999.5, "999999999999.5"},
        {0.1 + 0.2, "0.3"},
        {3600, "3600"},
        {-1e-300, "0"},
    };
    for (const auto& [number, written] : cases) {
        EXPECT_EQ(sim::formatNumber(number), written);
        EXPECT_TRUE(std::regex_match(written, svgNumber)) << written;
        if (std::abs(number) >= sim::kLeastInExponentForm) {
            EXPECT_EQ(std::strtod(written.c_str(), nullptr), number);
        }
    }
}

TEST(ConsoleSettingsTest, OnlyOneOrNothingAndVirtualTimeOnlyWithTheConsole) {
    auto read = [](std::map<std::string, std::string> variables) {
        return sim::readConsoleSettings([variables](const char* name) -> const char* {
            auto it = variables.find(name);
            return it == variables.end() ? nullptr : it->second.c_str();
        });
    };
    EXPECT_FALSE(read({}).enabled);
    EXPECT_FALSE(read({{"TARNWICK_CONSOLE", ""}, {"TARNWICK_VIRTUAL_TIME", ""}}).enabled);
    EXPECT_TRUE(read({{"TARNWICK_CONSOLE", "1"}}).enabled);
    EXPECT_FALSE(read({{"TARNWICK_CONSOLE", "1"}}).virtualTime);
    EXPECT_TRUE(read({{"TARNWICK_CONSOLE", "1"}, {"TARNWICK_VIRTUAL_TIME", "1"}}).virtualTime);
    for (const char* bad : {"yes", "0", "true", " 1", "1 ", "01"}) {
        try {
            read({{"TARNWICK_CONSOLE", bad}});
            ADD_FAILURE() << bad;
        } catch (const Error& error) {
            EXPECT_EQ(error.message(), "TARNWICK_CONSOLE must be 1 to turn the console on, or empty or unset to leave it off.");
        }
    }
    try {
        read({{"TARNWICK_VIRTUAL_TIME", "1"}});
        ADD_FAILURE();
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "TARNWICK_VIRTUAL_TIME=1 needs TARNWICK_CONSOLE=1: only the console's wait moves virtual time.");
    }
    EXPECT_THROW(read({{"TARNWICK_CONSOLE", "1"}, {"TARNWICK_VIRTUAL_TIME", "on"}}), Error);
}

TEST(KeyCombinationTest, ModifiersAndAKeyOfTheLayoutOrANamedKey) {
    const auto layouts = sim::builtInKeyboardLayouts();
    const auto& us = layouts[0];
    auto keys = sim::parseKeyCombination("ctrl-opt-cmd-w", us);
    EXPECT_EQ(keys.keyCode, 13);
    EXPECT_EQ(keys.flags, platform::modifier_flags::kControl | platform::modifier_flags::kOption |
                              platform::modifier_flags::kCommand);
    EXPECT_EQ(keys.characters, "w");
    EXPECT_EQ(sim::parseKeyCombination("return", us).keyCode, platform::key_codes::kReturn);
    EXPECT_EQ(sim::parseKeyCombination("escape", us).characters, "\x1b");
    EXPECT_EQ(sim::parseKeyCombination("cmd--", us).keyCode, 27);
    EXPECT_EQ(sim::parseKeyCombination("shift-forward-delete", us).keyCode, platform::key_codes::kForwardDelete);
    const auto upper = sim::parseKeyCombination("cmd-R", us);
    EXPECT_EQ(upper.keyCode, 15);
    EXPECT_TRUE(upper.flags & platform::modifier_flags::kShift);
    EXPECT_EQ(upper.characters, "R");
    // The key that types the character on the layout in use.
    EXPECT_EQ(sim::parseKeyCombination("cmd-z", layouts[1]).keyCode, 16);
    EXPECT_EQ(sim::parseKeyCombination("cmd-z", us).keyCode, 6);

    for (const char* bad : {"", "cmd-", "hyper-w", "cmd-ww", "cmd-é", "cmd-f13"})
        EXPECT_THROW(sim::parseKeyCombination(bad, us), Error) << bad;
}

TEST(KeyCombinationTest, ACapitalIsItsLettersKeyWithShiftButALookalikeIsNoKey) {
    const auto layouts = sim::builtInKeyboardLayouts();
    const auto& french = layouts[2];
    const auto capital = sim::parseKeyCombination("cmd-\u00c9", french);
    EXPECT_EQ(capital.keyCode, 19);
    EXPECT_TRUE(capital.flags & platform::modifier_flags::kShift);
    EXPECT_EQ(capital.characters, "\u00c9");
    EXPECT_EQ(sim::parseKeyCombination("shift-\u00df", layouts[1]).characters, "SS");
    // The Kelvin sign lower-cases to "k" and the capital sharp s to "\u00df", but neither is
    // what Shift and that key type.
    EXPECT_THROW(sim::parseKeyCombination("cmd-\u212a", layouts[0]), Error);
    EXPECT_THROW(sim::parseKeyCombination("cmd-\u1e9e", layouts[1]), Error);
}

// Every printable ASCII character on the U.S. layout, by itself and as Shift and its key: the
// Mac's virtual key code of its key, with Shift held where the character needs it.
TEST(KeyCombinationTest, EveryPrintableASCIICharacterIsItsUSKeyWithShiftWhereItNeedsIt) {
    const auto us = sim::builtInKeyboardLayouts()[0];
    struct Key {
        const char* plain;
        const char* shifted;
        std::uint16_t code;
    };
    const Key keys[] = {
        {"`", "~", 50},  {"1", "!", 18},  {"2", "@", 19},  {"3", "#", 20},   {"4", "$", 21},  {"5", "%", 23},
        {"6", "^", 22},  {"7", "&", 26},  {"8", "*", 28},  {"9", "(", 25},   {"0", ")", 29},  {"-", "_", 27},
        {"=", "+", 24},  {"q", "Q", 12},  {"w", "W", 13},  {"e", "E", 14},   {"r", "R", 15},  {"t", "T", 17},
        {"y", "Y", 16},  {"u", "U", 32},  {"i", "I", 34},  {"o", "O", 31},   {"p", "P", 35},  {"[", "{", 33},
        {"]", "}", 30},  {"\\", "|", 42}, {"a", "A", 0},  {"s", "S", 1},    {"d", "D", 2},   {"f", "F", 3},
        {"g", "G", 5},   {"h", "H", 4},   {"j", "J", 38},  {"k", "K", 40},   {"l", "L", 37},  {";", ":", 41},
        {"'", "\"", 39}, {"z", "Z", 6},   {"x", "X", 7},   {"c", "C", 8},    {"v", "V", 9},   {"b", "B", 11},
        {"n", "N", 45},  {"m", "M", 46},  {",", "<", 43},  {".", ">", 47},   {"/", "?", 44},
    };
    std::set<std::string> covered{" "};
    EXPECT_EQ(sim::parseKeyCombination(" ", us).keyCode, 49);
    for (const Key& key : keys) {
        SCOPED_TRACE(key.plain);
        const auto plain = sim::parseKeyCombination(key.plain, us);
        EXPECT_EQ(plain.keyCode, key.code);
        EXPECT_EQ(plain.flags, 0u);
        EXPECT_EQ(plain.characters, key.plain);
        for (const std::string& spelled : {std::string(key.shifted), std::string("shift-") + key.plain}) {
            const auto shifted = sim::parseKeyCombination(spelled, us);
            EXPECT_EQ(shifted.keyCode, key.code) << spelled;
            EXPECT_EQ(shifted.flags, platform::modifier_flags::kShift) << spelled;
            EXPECT_EQ(shifted.characters, key.shifted) << spelled;
        }
        covered.insert(key.plain);
        covered.insert(key.shifted);
    }
    EXPECT_EQ(covered.size(), std::size_t{0x7F - 0x20});

    // With other modifiers the press still carries Shift and the base key.
    const auto control = sim::parseKeyCombination("ctrl-!", us);
    EXPECT_EQ(control.keyCode, 18);
    EXPECT_EQ(control.flags, platform::modifier_flags::kControl | platform::modifier_flags::kShift);
    EXPECT_EQ(control.characters, "!");
    const auto question = sim::parseKeyCombination("cmd-shift-/", us);
    EXPECT_EQ(question.keyCode, 44);
    EXPECT_EQ(question.flags, platform::modifier_flags::kCommand | platform::modifier_flags::kShift);
    EXPECT_EQ(question.characters, "?");
    EXPECT_EQ(sim::parseKeyCombination("ctrl-opt-cmd-k", us).flags,
              platform::modifier_flags::kControl | platform::modifier_flags::kOption | platform::modifier_flags::kCommand);

    // A character no key types says so.
    try {
        sim::parseKeyCombination("\u00e9", us);
        ADD_FAILURE();
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "No key types \"\u00e9\" on the U.S. keyboard layout; name a key with its modifiers, "
                                   "as in keys ctrl-opt-cmd-w, keys cmd-r or keys return.");
    }
}

// What a sentence takes from a typed word that no quotes escape (a key, a modifier) never puts a
// raw line feed or escape sequence on the console: every answer stays one line of plain text.
TEST(KeyCombinationTest, ControlCharactersOfAKeyAreEscapedInTheAnswer) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    testkit::ConsoleDriver driver(env.session);
    for (const std::string line : {R"(keys "\n")", R"(keys "\x1b[31mred")", R"(keys "a\nb-x")", R"(keys "x\tctrl-k")"}) {
        const auto answer = driver.type(line);
        ASSERT_EQ(answer.size(), 1u) << line;
        EXPECT_TRUE(answer[0].starts_with("error: ")) << answer[0];
        EXPECT_FALSE(std::any_of(answer[0].begin(), answer[0].end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        })) << answer[0];
    }
    EXPECT_EQ(driver.type(R"(keys "\n")"), std::vector<std::string>{"error: No key types \"\\n\" on the U.S. keyboard layout; "
                                                                     "name a key with its modifiers, as in keys ctrl-opt-cmd-w, "
                                                                     "keys cmd-r or keys return."});
    EXPECT_EQ(sim::oneLine("a\nb\x1b[0m\t\x7F"), "a\\nb\\x1B[0m\\t\\x7F");
}

// The reader thread hands over whole lines: a carriage return before the line feed goes, a line
// over the limit is refused whole, the last line needs no line feed, then the input ends.
TEST(ConsoleReaderTest, WholeLinesFromAnotherThreadThenTheEnd) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    testkit::ConsoleDriver driver(env.session);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        sim::ConsoleReader reader(driver.console, fds[0]);
        const std::string input = "screen svg\r\n" + std::string(5000, 'x') + "\nswitch 2\nwait 0.5\r\n" +
                                  std::string(4096, 'y') + "\r\nswitch 1";
        ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
        close(fds[1]);
        // The console runs what arrives on the main loop, which on virtual time waits for posts
        // only; the end of input asks to quit, which ends the run.
        driver.console.quit = [&] {
            ++driver.quits;
            env.loop.stop();
        };
        env.loop.run();
    }
    close(fds[0]);
    const auto lines = driver.sink.takeLines();
    const std::vector<std::string> expected{
        "error: screen takes nothing or svg and a file; type screen [svg <file>].",
        "error: The line is longer than 4096 bytes; type a shorter command.",
        "@1000.000 desktop switched on display 1 to \"Desktop 2\"",
        "ok",
        "ok",
        "error: Unknown command \"" + std::string(4096, 'y') + "\"; type help for the list of commands.",
        "@1000.500 desktop switched on display 1 to \"Desktop 1\"",
        "ok",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace tarnwick
