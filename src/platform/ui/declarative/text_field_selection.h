#pragma once

#include <cstddef>
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

// The arrow keys of a one-line field. Left and Right collapse a selection to its edge on that
// side, else move the caret by one grapheme cluster; in a right-to-left paragraph Left goes on
// through the text and Right back. Up and Down go to the start and the end.
TextSelection movedLeft(std::string_view text, TextSelection selection);
TextSelection movedRight(std::string_view text, TextSelection selection);
TextSelection movedToStart(std::string_view text, TextSelection selection);
TextSelection movedToEnd(std::string_view text, TextSelection selection);

// Typing or pasting: the typed text replaces the selection and the caret stands after it.
EditedText insertedText(std::string_view text, TextSelection selection, std::string_view typed);
// Delete takes the selection, else the cluster before the caret; Forward Delete the selection,
// else the cluster after it. At the edge with nothing to take, the text stays.
EditedText deletedBackward(std::string_view text, TextSelection selection);
EditedText deletedForward(std::string_view text, TextSelection selection);

}  // namespace tarnwick::platform::ui
