#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/sim/console/console_sink.h"

namespace tarnwick::sim {

// The console at a terminal: the person's keystrokes are edited on the prompt's line here, and
// what the console prints goes above that line, as an interactive shell's line editor does.
//
// Keystrokes are taken only while the prompt shows, and the keyboard is read only then (typing()):
// what is typed while a command runs waits, unseen, in the terminal, and is shown at the next
// prompt as if typed there, so every command stands after one prompt however far ahead it was
// typed, and what follows the line that ends the run stays in the terminal for the shell. A line goes to the console when Return ends it, and
// the prompt goes with it until the console draws it again. Printed while the prompt waits, a
// line takes the prompt's place and the prompt comes back under it with what was typed so far.
//
// Keys: Backspace erases a character (a grapheme cluster: a letter with its accents, a flag),
// Ctrl-U the line, Ctrl-W the word before the cursor; Ctrl-D on an empty line ends the input. Tab types a blank; other control keys and the escape
// sequences of arrow and function keys are ignored, so nothing typed can move the cursor or
// send the terminal a sequence. Escape alone (nothing came with it) types nothing either, and what
// is typed after it types as usual. A character that would take the line past the console's limit
// rings the bell and is not kept; the line that lost it is refused whole when Return ends it, so
// that a long paste cut short never runs, unless Backspace, Ctrl-W or Ctrl-U erased some of it
// since: then what shows is what runs. A wide character takes two columns.
//
// Keystrokes handed over while no prompt shows (several lines at once, in-process) wait in the
// editor instead, and go the same way.
//
// The console's side (write, showPrompt, stopPrompting) runs on the main loop, the keyboard's
// side (type, keyboardGone, continued) on the reader's thread; one lock keeps each drawing whole.
class TerminalLineEditor final : public ConsoleSink {
public:
    // Where finished input goes; called under the editor's lock, so they must not call it back.
    struct Typed {
        std::function<void(std::string)> line;
        std::function<void()> overlongLine;
        std::function<void()> end;
        // The console's side changed where the keyboard stands (a prompt shows and wants keys,
        // or the run stopped prompting): whoever reads it asks typing() again.
        std::function<void()> lookAgain;
    };
    // Where the keyboard stands after keystrokes.
    enum class Typing {
        goesOn,  // a prompt wants keys: read on
        held,    // no prompt wants keys now: read nothing until told to look again
        ended,   // the input has ended: read nothing more
    };
    // `columns` is the terminal's width now (0 when unknown), for erasing a line that wrapped.
    TerminalLineEditor(ConsoleSink& out, std::string prompt, Typed typed, std::function<std::size_t()> columns = {});

    // ---- the console's side
    // A whole piece of output, above the prompt's line while the prompt shows (a piece that
    // does not end its line is ended, so the prompt keeps a line of its own).
    bool write(std::string_view text) override;
    // Draws the prompt on a line of its own, and shows what was typed ahead up to its Return.
    bool showPrompt();
    // The run is ending: the prompt's line stays as it stands and no prompt is drawn again.
    void stopPrompting();

    // ---- the keyboard's side
    // Keystrokes as read, and whether more were already waiting to be read after them (an
    // Escape is a sequence's start only when what follows it came with it).
    Typing type(std::string_view keystrokes, bool morePending = false);
    Typing typing();
    // The keyboard is gone (the end of the terminal's input, or an error reading it): the lines
    // typed ahead and ended by Return still go to the console, then the input ends.
    void keyboardGone();
    // The program continued after a stop (Ctrl-Z, then the shell's fg). The shell printed its own
    // lines meanwhile and left the cursor at the start of a line: the prompt and what was typed
    // are drawn there again, as a shell's own line editor does.
    void continued();

    // Keystrokes kept while no prompt shows; more are dropped with the bell.
    static constexpr std::size_t kLongestTypedAhead = 1 << 20;

private:
    // Where a key's sequence stands: after its Escape, right after "[", further in, or before its last byte.
    enum class Escape { none, started, controlSequenceStart, controlSequence, oneMore };

    void takeKeystrokes();
    void takeKeystroke(char key);
    void enter();
    void insert(char byte);
    void erase(std::size_t keep);
    void endInput();
    bool escapeSequence(char key, bool alone);
    Typing typingLocked() const;
    // What erases the prompt's line as drawn, however many rows it wrapped onto.
    std::string erasure() const;
    void flush();

    ConsoleSink& out_;
    const std::string prompt_;
    Typed typed_;
    std::function<std::size_t()> columns_;

    std::mutex mutex_;
    std::string typedAhead_;  // keystrokes not yet taken
    std::string line_;        // the line at the prompt
    std::string echo_;        // drawing owed for keystrokes taken
    bool lost_ = false;            // a character did not fit, and nothing was erased since
    bool bellOwed_ = false;        // for a character lost among keys still coming
    bool morePending_ = false;     // more keys waited after the last ones typed
    std::size_t droppedBytes_ = 0;  // of the character that did not fit, still to come
    bool promptShown_ = false;
    bool atLineStart_ = true;  // the output so far ended its line
    bool blind_ = false;       // the keyboard is gone: lines are handed on without drawing
    bool ended_ = false;
    bool stopped_ = false;
    bool afterCarriageReturn_ = false;
    Escape escape_ = Escape::none;
};

// The columns a text takes on a terminal: two for a wide character (East Asian wide, an emoji
// shown as a picture), none for a joiner or selector alone, one for any other character.
std::size_t terminalColumns(std::string_view text);
// The row the cursor stands on, counted from the first, once the text is drawn from a row's start
// on a terminal `width` columns wide: a full row keeps the cursor on its last column until the
// next character, and a wide character that finds one column left starts the next row.
std::size_t terminalCursorRow(std::string_view text, std::size_t width);

}  // namespace tarnwick::sim
