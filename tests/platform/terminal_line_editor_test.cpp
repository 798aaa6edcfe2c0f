// The console's line editor on a terminal's screen: what the keys do to the prompt's line, the
// keystrokes typed ahead, output above the prompt, and the ends of the input.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/terminal_line_editor.h"
#include "testkit/fake_terminal.h"

namespace tarnwick {
namespace {

using Lines = std::vector<std::string>;
using Typing = sim::TerminalLineEditor::Typing;

class TerminalLineEditorTest : public ::testing::Test {
protected:
    explicit TerminalLineEditorTest(std::size_t columns = 40) : terminal(columns) {}

    void TearDown() override { EXPECT_EQ(terminal.unknownSequences(), Lines{}); }

    testkit::FakeTerminal terminal;
    Lines entered;
    int overlong = 0;
    int ends = 0;
    int releases = 0;
    sim::TerminalLineEditor editor{terminal, "> ",
                                   sim::TerminalLineEditor::Typed{[this](std::string line) { entered.push_back(line); },
                                                                  [this] { ++overlong; }, [this] { ++ends; },
                                                                  [this] { ++releases; }},
                                   [this] { return terminal.columns(); }};
};

TEST_F(TerminalLineEditorTest, KeysEditTheLineAndOnlyReturnHandsItOn) {
    editor.showPrompt();
    EXPECT_EQ(terminal.screen(), Lines{">"});
    editor.type("swx\x7fitch 2");
    EXPECT_EQ(terminal.screen(), Lines{"> switch 2"});
    EXPECT_EQ(entered, Lines{});
    editor.type("\r");
    EXPECT_EQ(entered, Lines{"switch 2"});
    EXPECT_EQ(terminal.screen(), (Lines{"> switch 2"}));
    EXPECT_EQ(terminal.row(), 1u);  // Return moved to a fresh line, and the prompt went with it

    editor.showPrompt();
    // Backspace takes a whole character, Ctrl-W the word before the cursor with its blanks,
    // Ctrl-U the line; arrows, function keys, Alt with a key and other control keys type nothing.
    editor.type("set Caf\xC3\xA9\x7f\x08" "e \x1b[A\x1bOB\x1b[1;5C\x1bx\x01\x0c" "\x17" "name");
    EXPECT_EQ(terminal.screen().back(), "> set name");
    editor.type("\x15" "press\tSize\n");
    EXPECT_EQ(entered, (Lines{"switch 2", "press Size"}));
    EXPECT_EQ(terminal.screen(), (Lines{"> switch 2", "> press Size"}));

    // A carriage return and a line feed end one line; a blank line is a line too.
    editor.showPrompt();
    editor.type("wait 1\r\n");
    editor.showPrompt();
    editor.type("\n");
    EXPECT_EQ(entered, (Lines{"switch 2", "press Size", "wait 1", ""}));
    EXPECT_EQ(terminal.bells(), 0);

    // A control character past ASCII (U+009B starts a sequence on some terminals) types nothing
    // either, whether its two bytes come together or apart; a letter of the same lead byte stays.
    editor.showPrompt();
    editor.type("a\xC2\x9B" "31m\xC2");
    editor.type("\x9B" "b\xC2\xA9");
    EXPECT_EQ(terminal.screen().back(), "> a31mb\xC2\xA9");
    editor.type("\n");
    EXPECT_EQ(entered.back(), "a31mb\xC2\xA9");
}

// Backspace takes the whole last character, however many bytes and code points it has: the
// terminal never gets a piece of one, and the line handed on holds none.
TEST_F(TerminalLineEditorTest, BackspaceTakesAWholeCharacterOfAnyLength) {
    editor.showPrompt();
    editor.type("Caf\xC3\xA9\x7f");  // é, two bytes
    EXPECT_EQ(terminal.screen(), Lines{"> Caf"});
    editor.type("\xE6\xA1\x8C\xF0\x9F\x98\x80\x7f");  // 桌 and 😀, three and four bytes
    EXPECT_EQ(terminal.screen(), Lines{"> Caf\xE6\xA1\x8C"});
    editor.type("\x08\r");
    EXPECT_EQ(entered, Lines{"Caf"});
    EXPECT_EQ(terminal.screen(), Lines{"> Caf"});

    // A character as a reader sees it goes whole: e with a combining accent, a woman at a
    // computer (two emoji and the joiner between them), a flag (two regional indicators).
    editor.showPrompt();
    editor.type("a" "e\xCC\x81" "\x7f");
    editor.type("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB" "\x7f");
    editor.type("\xF0\x9F\x87\xAF\xF0\x9F\x87\xB5" "\x7f");
    EXPECT_EQ(terminal.screen().back(), "> a");
    editor.type("\r");
    EXPECT_EQ(entered.back(), "a");
}

// The keys that send ESC [ <number> ~ (Delete, Insert, Page Up and Down, F5 to F12) type
// nothing, their "~" neither, and the text around them stays as typed.
TEST_F(TerminalLineEditorTest, KeysEndingInATildeTypeNothing) {
    editor.showPrompt();
    editor.type("a\x1b[3~b\x1b[2~\x1b[5~c\x1b[6~\x1b[15~\x1b[24~\x1b[3;5~d");
    EXPECT_EQ(terminal.screen(), Lines{"> abcd"});
    // A sequence split across reads is still one key.
    editor.type("\x1b[2");
    editor.type("4~e\r");
    EXPECT_EQ(entered, Lines{"abcde"});
}

// Escape alone (nothing came with it) is a key of its own that types nothing, however soon the
// next key follows; the next key types as usual. Only what came with an Escape makes a sequence,
// read a byte at a time or in one piece.
TEST_F(TerminalLineEditorTest, EscapeAloneTypesNothingAndTheKeyAfterItTypes) {
    editor.showPrompt();
    editor.type("\x1b");
    editor.type("click status-item");
    EXPECT_EQ(terminal.screen(), Lines{"> click status-item"});
    editor.type(" x\x1b");  // the Escape ends what was read, and nothing more waited
    editor.type("y");
    EXPECT_EQ(terminal.screen(), Lines{"> click status-item xy"});

    // An arrow and Alt-z, a byte at a time with more waiting behind each byte but the last.
    for (const std::string_view keys : {std::string_view("\x1b[A"), std::string_view("\x1bz")})
        for (std::size_t i = 0; i < keys.size(); ++i) editor.type(keys.substr(i, 1), i + 1 < keys.size());
    // Escape, then Escape with an arrow's sequence behind it: the first alone, the second the arrow's.
    editor.type("\x1b");
    editor.type("\x1b[B!");
    editor.type("\r");
    EXPECT_EQ(entered, Lines{"click status-item xy!"});
}

// The Linux console's F1 to F5 (Escape, "[[" and a letter) type nothing, nor does Alt-Backspace
// (Escape and DEL) erase anything, as other Alt keys type nothing.
TEST_F(TerminalLineEditorTest, TheLinuxConsolesFunctionKeysAndAltBackspaceTypeNothing) {
    editor.showPrompt();
    editor.type("ab\x1b[[A\x1b[[B\x1b[[C\x1b[[D\x1b[[Ecd");
    editor.type("\x1b\x7f");
    editor.type("\x1b[[");  // split across reads, one key still
    editor.type("Ae\r");
    EXPECT_EQ(entered, Lines{"abcde"});
}

// Typed while no prompt shows, keystrokes wait unseen; each line then shows after the prompt
// that takes it, as if typed there.
TEST_F(TerminalLineEditorTest, KeystrokesTypedAheadShowAtTheNextPromptOneLineAtATime) {
    editor.write("ready\n");
    editor.type("switch 2\nscreen\nqu");
    EXPECT_EQ(terminal.screen(), Lines{"ready"});
    EXPECT_EQ(entered, Lines{});
    editor.showPrompt();
    EXPECT_EQ(entered, Lines{"switch 2"});
    editor.write("ok\n");
    editor.showPrompt();
    editor.write("ok\n");
    editor.showPrompt();
    editor.showPrompt();  // drawn once, however often asked
    EXPECT_EQ(entered, (Lines{"switch 2", "screen"}));
    EXPECT_EQ(terminal.screen(), (Lines{"ready", "> switch 2", "ok", "> screen", "ok", "> qu"}));
    editor.type("it\n");
    EXPECT_EQ(entered, (Lines{"switch 2", "screen", "quit"}));
}

// Printed while the prompt waits, a line takes the prompt's place and the prompt comes back
// under it with what was typed; a piece of a line is ended so the prompt keeps its own line.
TEST_F(TerminalLineEditorTest, OutputWhileThePromptWaitsGoesAboveItsLine) {
    editor.showPrompt();
    editor.type("swi");
    editor.write("@1001.000 desktop switched\n");
    EXPECT_EQ(terminal.screen(), (Lines{"@1001.000 desktop switched", "> swi"}));
    editor.write("a piece");
    EXPECT_EQ(terminal.screen(), (Lines{"@1001.000 desktop switched", "a piece", "> swi"}));
    editor.type("tch 2\n");
    EXPECT_EQ(entered, Lines{"switch 2"});
    // Without a prompt, output passes as it stands; a prompt after a piece starts a line of its own.
    editor.write("partly ");
    editor.write("done");
    editor.showPrompt();
    EXPECT_EQ(terminal.screen(),
              (Lines{"@1001.000 desktop switched", "a piece", "> switch 2", "partly done", ">"}));
}

// A line that wraps onto further rows is erased whole before a line is printed above it.
class NarrowTerminalLineEditorTest : public TerminalLineEditorTest {
protected:
    NarrowTerminalLineEditorTest() : TerminalLineEditorTest(10) {}
};

TEST_F(NarrowTerminalLineEditorTest, ALineWrappedOntoSeveralRowsIsErasedWhole) {
    editor.showPrompt();
    editor.type("press Reset");  // 13 columns with the prompt: two rows
    EXPECT_EQ(terminal.screen(), (Lines{"> press Re", "set"}));
    editor.write("@1001.000 x\n");
    EXPECT_EQ(terminal.screen(), (Lines{"@1001.000", "x", "> press Re", "set"}));
    editor.type("\x7f\x7f\x7f\x7f\x7f\x7f");  // back onto the first row
    EXPECT_EQ(terminal.screen(), (Lines{"@1001.000", "x", "> press"}));
    editor.type("123");  // exactly one row: the cursor waits on its last column
    editor.write("y\n");
    EXPECT_EQ(terminal.screen(), (Lines{"@1001.000", "x", "y", "> press123"}));
    editor.type("4");
    editor.write("z\n");
    EXPECT_EQ(terminal.screen(), (Lines{"@1001.000", "x", "y", "z", "> press123", "4"}));
}

// Wide characters take two columns on the screen and in the editor's count of rows; one that
// finds a single column left starts the next row, as a terminal puts it.
class OddWidthTerminalLineEditorTest : public TerminalLineEditorTest {
protected:
    OddWidthTerminalLineEditorTest() : TerminalLineEditorTest(9) {}
};

TEST_F(OddWidthTerminalLineEditorTest, WideCharactersWrapWholeAndTheLineIsErasedWhole) {
    const std::string wide = "\xE6\xA1\x8C";  // 桌
    editor.showPrompt();
    for (int i = 0; i < 8; ++i) editor.type(wide);
    const std::string three = wide + wide + wide;
    EXPECT_EQ(terminal.screen(), (Lines{"> " + three, three + wide, wide}));
    editor.write("x\n");
    EXPECT_EQ(terminal.screen(), (Lines{"x", "> " + three, three + wide, wide}));
    editor.type("\x7f");  // back onto the second row
    EXPECT_EQ(terminal.screen(), (Lines{"x", "> " + three, three + wide}));
    editor.type("\x15" "a\xF0\x9F\x98\x80" "e\xCC\x81");  // an emoji, and e with a combining accent
    editor.write("y\n");
    EXPECT_EQ(terminal.screen(), (Lines{"x", "y", "> a\xF0\x9F\x98\x80" "e\xCC\x81"}));
    EXPECT_EQ(terminal.column(), 6u);
}

// A character that would take the line past the console's limit rings (once for keys that came
// together) and is not kept, a character of several bytes whole; the line that lost it is
// refused at Return rather than run cut short. Backspace, Ctrl-W and Ctrl-U still work on what
// the line holds, and once anything was erased what shows is what runs. Keystrokes typed ahead
// past their limit are dropped with the bell too.
TEST_F(TerminalLineEditorTest, CharactersPastTheLinesLimitRingAndTheLineThatLostThemIsRefused) {
    const std::string full(sim::kLongestConsoleLine - 1, 'x');
    editor.showPrompt();
    editor.type(full + "\xC3\xA9");  // é does not fit in the last byte
    EXPECT_EQ(terminal.bells(), 1);
    editor.type("yz");
    EXPECT_EQ(terminal.bells(), 2);
    editor.type("\n");
    EXPECT_EQ(overlong, 1);
    EXPECT_EQ(entered, Lines{});

    // Erased back after the loss, the line takes characters again and runs as it shows.
    editor.showPrompt();
    editor.type(full + "xyz");
    EXPECT_EQ(terminal.bells(), 3);
    editor.type("\x7f" "a");
    editor.type("\n");
    EXPECT_EQ(entered, Lines{full + "a"});
    const std::string words = std::string(sim::kLongestConsoleLine - 6, 'x') + " ";
    editor.showPrompt();
    editor.type(words + "word more");  // "more" is lost; Ctrl-W takes "word " back
    editor.type("\x17" "end\n");
    EXPECT_EQ(entered.back(), words + "end");
    EXPECT_EQ(overlong, 1);
    editor.showPrompt();
    editor.type(std::string(sim::kLongestConsoleLine + 1, 'x') + "\x15" "help\n");
    EXPECT_EQ(entered.back(), "help");
    EXPECT_EQ(overlong, 1);
    EXPECT_EQ(terminal.bells(), 5);

    const int bells = terminal.bells();
    editor.type(std::string(sim::TerminalLineEditor::kLongestTypedAhead - 5, 'a'));
    editor.type("\nhelp\n");
    EXPECT_EQ(terminal.bells(), bells + 1);
}

// Read a key at a time, the keys of one paste ring once, when the last of them came.
TEST_F(TerminalLineEditorTest, APasteCutShortRingsOnceAtItsEnd) {
    editor.showPrompt();
    editor.type(std::string(sim::kLongestConsoleLine, 'x'), true);
    for (const char key : std::string("more")) editor.type(std::string(1, key), key != 'e');
    EXPECT_EQ(terminal.bells(), 1);
    editor.type("\r");
    EXPECT_EQ(overlong, 1);
}

// Ctrl-D on an empty line ends the input, and nothing is taken after it; on a line with text
// it does nothing. Once the keyboard is gone, the lines entered still go, the unfinished one not.
TEST_F(TerminalLineEditorTest, CtrlDOnAnEmptyLineOrTheKeyboardGoneEndsTheInput) {
    editor.showPrompt();
    EXPECT_EQ(editor.type("help\x04"), Typing::goesOn);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(editor.type("\n"), Typing::held);  // Return takes the prompt away
    editor.showPrompt();
    EXPECT_EQ(editor.type("\x04" "screen\n"), Typing::ended);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(entered, Lines{"help"});
    EXPECT_EQ(terminal.screen(), (Lines{"> help", ">"}));
    EXPECT_EQ(terminal.row(), 2u);
    editor.showPrompt();  // no prompt after the end
    editor.keyboardGone();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(terminal.screen(), (Lines{"> help", ">"}));
}

TEST_F(TerminalLineEditorTest, TheKeyboardGoneHandsOnTheLinesEnteredAndEndsTheInput) {
    editor.type("switch 2\nscreen\r\nswi");
    editor.keyboardGone();
    EXPECT_EQ(entered, (Lines{"switch 2", "screen"}));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(editor.type("help\n"), Typing::ended);
    // Nobody reads any more: nothing was drawn for them.
    EXPECT_EQ(terminal.screen(), Lines{});
}

// When the run ends, what was typed stays in sight and no prompt comes again.
TEST_F(TerminalLineEditorTest, StoppingLeavesThePromptsLineAsItStands) {
    editor.showPrompt();
    editor.type("swi");
    editor.stopPrompting();
    editor.write("application ended\n");
    editor.showPrompt();
    editor.type("tch 2\n");
    EXPECT_EQ(terminal.screen(), (Lines{"> swi", "application ended"}));
    EXPECT_EQ(entered, Lines{});
}

// The keyboard is wanted only while a prompt shows: before the first, after each Return, and once
// the run stopped prompting it is held, and whoever reads it is told to look again when that
// changes. Keystrokes handed over meanwhile still wait for the next prompt.
TEST_F(TerminalLineEditorTest, TheKeyboardIsWantedOnlyWhileAPromptShows) {
    EXPECT_EQ(editor.typing(), Typing::held);
    EXPECT_EQ(editor.type("help\nsw"), Typing::held);
    editor.showPrompt();  // takes "help" only: its Return takes the prompt away again
    EXPECT_EQ(editor.typing(), Typing::held);
    EXPECT_EQ(releases, 0);
    editor.showPrompt();
    EXPECT_EQ(editor.typing(), Typing::goesOn);
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(editor.type("\x04"), Typing::goesOn);  // Ctrl-D on "sw" does nothing
    EXPECT_EQ(editor.type("\x15\n"), Typing::held);
    editor.showPrompt();
    EXPECT_EQ(releases, 2);
    editor.stopPrompting();
    EXPECT_EQ(editor.typing(), Typing::held);
    EXPECT_EQ(releases, 3);
    EXPECT_EQ(entered, (Lines{"help", ""}));
}

// Ctrl-D at a prompt, even typed ahead, ends the input: nothing after it is wanted any more.
TEST_F(TerminalLineEditorTest, CtrlDTypedAheadEndsTheInputAtItsPrompt) {
    editor.type("help\n\x04" "screen\n");
    editor.showPrompt();
    EXPECT_EQ(editor.typing(), Typing::held);
    editor.showPrompt();
    EXPECT_EQ(editor.typing(), Typing::ended);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(entered, Lines{"help"});
}

// Continued after a stop, the editor draws its prompt and the half-typed line again where the
// shell left the cursor, and typing goes on from there; while a command runs it draws nothing.
TEST_F(TerminalLineEditorTest, ContinuingAfterAStopDrawsThePromptsLineAgain) {
    editor.showPrompt();
    editor.type("scr");
    terminal.write("\n[1]+  Stopped      tarnwick\n$ fg\ntarnwick\n");  // the shell's lines
    editor.continued();
    EXPECT_EQ(terminal.screen(), (Lines{"> scr", "[1]+  Stopped      tarnwick", "$ fg", "tarnwick", "> scr"}));
    editor.type("een\r");
    EXPECT_EQ(entered, Lines{"screen"});
    editor.continued();
    EXPECT_EQ(terminal.screen().back(), "> screen");
    EXPECT_EQ(terminal.row(), 5u);
}

TEST(TerminalColumnsTest, WideCharactersTakeTwoColumnsAndJoinersNone) {
    EXPECT_EQ(sim::terminalColumns("> switch 2"), 10u);
    EXPECT_EQ(sim::terminalColumns("\xE6\xA1\x8C"), 2u);          // 桌, East Asian wide
    EXPECT_EQ(sim::terminalColumns("\xF0\x9F\x98\x80"), 2u);      // 😀, an emoji shown as a picture
    EXPECT_EQ(sim::terminalColumns("e\xCC\x81"), 1u);             // e with a combining accent: one character
    EXPECT_EQ(sim::terminalColumns("\xE2\x80\x8D"), 0u);          // a joiner alone
    EXPECT_EQ(sim::terminalColumns(""), 0u);

    // Where the cursor ends up: a full row keeps it; a wide character finding one column left
    // starts a row of its own.
    EXPECT_EQ(sim::terminalCursorRow("> press123", 10), 0u);
    EXPECT_EQ(sim::terminalCursorRow("> press1234", 10), 1u);
    EXPECT_EQ(sim::terminalCursorRow("> \xE6\xA1\x8C\xE6\xA1\x8C\xE6\xA1\x8C\xE6\xA1\x8C", 9), 1u);
    EXPECT_EQ(sim::terminalCursorRow("> press1234", 0), 0u);
}

}  // namespace
}  // namespace tarnwick
