#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::platform::ui {

// The selection of a one-line text field being edited: byte offsets into its UTF-8 text, on the
// boundaries of its grapheme clusters, `start` never after `end`. An empty selection is the
// caret.
struct TextSelection {
    std::size_t start = 0;
    std::size_t end = 0;

    static TextSelection caret(std::size_t at) { return TextSelection{at, at}; }
    static TextSelection all(std::string_view text) { return TextSelection{0, text.size()}; }
    bool isCaret() const { return start == end; }
    friend bool operator==(const TextSelection&, const TextSelection&) = default;
};

// A field's text with its selection, as an edit leaves them.
struct EditedText {
    std::string text;
    TextSelection selection;
};

// The selection fitted to the text: within it, in order, each end on a cluster boundary (an end
// inside a cluster goes to the cluster's end, as the caret never stands inside a character).
TextSelection fittedSelection(std::string_view text, TextSelection selection);

// How far a key moves the caret or deletes: a character (a grapheme cluster), a word (as ICU
// finds words: segmentWords), or to the text's edge.
enum class TextStep { character, word, edge };

// The offset a step back (towards the text's start) or on (towards its end) takes the caret to
// from `at`: the boundary of the cluster before or after it; back to the start of the word it
// stands in, or of the word before where it stands at a word's start or between words; on to the
// end of the word it stands in or of the next; or the text's start or end. At the edge it stays.
std::size_t steppedOffset(std::string_view text, std::size_t at, TextStep step, bool back);

// The arrow keys of a one-line field. Left and Right collapse a selection to its edge on that
// side, a character's step going no further, a word's going on from that edge by a word, and move
// the caret by the step otherwise; in a right-to-left paragraph Left goes on through the text and
// Right back. Up and Down go to the start and the end.
TextSelection movedLeft(std::string_view text, TextSelection selection, TextStep step = TextStep::character);
TextSelection movedRight(std::string_view text, TextSelection selection, TextStep step = TextStep::character);
TextSelection movedToStart(std::string_view text, TextSelection selection);
TextSelection movedToEnd(std::string_view text, TextSelection selection);

// A selection extended with Shift: its anchor stays and its other end, the one the keys move,
// goes by the step. A selection made another way (by Select All, by Tab) has no anchor yet: the
// first extension moves the end on its own side (Left its start, Right its end) and anchors the
// other; a caret anchors where it stands.
struct ExtendedSelection {
    TextSelection selection;
    std::size_t anchor = 0;
};
ExtendedSelection extendedLeft(std::string_view text, TextSelection selection, std::optional<std::size_t> anchor,
                               TextStep step);
ExtendedSelection extendedRight(std::string_view text, TextSelection selection, std::optional<std::size_t> anchor,
                                TextStep step);
// By the text's start or end (Shift-Up, Shift-Down), whatever the paragraph's direction.
ExtendedSelection extended(std::string_view text, TextSelection selection, std::optional<std::size_t> anchor,
                           TextStep step, bool back);
// The end of the selection the keys move: the one that is not its anchor; nothing for a
// selection without one (and for an anchor at neither end).
std::optional<std::size_t> movingEnd(TextSelection selection, std::optional<std::size_t> anchor);

// Typing or pasting: the typed text replaces the selection and the caret stands after it.
EditedText insertedText(std::string_view text, TextSelection selection, std::string_view typed);
// Delete takes the selection, else back from the caret by the step (a character, to the start of
// the word, to the start of the text); Forward Delete the selection, else on from it by the step.
// At the edge with nothing to take, the text stays.
EditedText deletedBackward(std::string_view text, TextSelection selection, TextStep step = TextStep::character);
EditedText deletedForward(std::string_view text, TextSelection selection, TextStep step = TextStep::character);

}  // namespace tarnwick::platform::ui
