#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnwick::platform::ui {

// One grapheme cluster of a UTF-8 text: what a reader takes for one character, and never cut.
// Offsets are bytes of the text; an ill-formed byte sequence is a cluster of its own.
struct TextCluster {
    std::uint32_t from = 0, to = 0;
    bool breakBefore = false;     // a line may break before it (UAX #14)
    bool hardBreak = false;       // it ends its line (a line feed, a paragraph separator, ...)
    bool hangs = false;           // white space that may stand past the end of its line
    bool rightToLeft = false;     // its paragraph runs right to left
    bool wide = false;            // East Asian wide or full-width, or an emoji shown as a picture
    bool invisible = false;       // a default-ignorable character alone (a joiner, a selector)
};

// One Unicode scalar of a UTF-8 text: the byte where it begins and its value, U+FFFD for an
// ill-formed piece (each maximal ill-formed piece counts once).
struct TextScalar {
    std::uint32_t at = 0;
    char32_t value = 0;
};

// The text's scalars, decoded once by the text kit's strict decoder (text::wellFormedAt), so that
// everything that walks a text while it is shaped reads the same scalars as counting and
// trimming do.
std::vector<TextScalar> decodeText(std::string_view text);

// The text's grapheme clusters in order, with where lines may break and each paragraph's
// direction (ICU's bidi with a default level: from its first strong character outside
// isolates), as ICU gives them. Safe from any thread.
std::vector<TextCluster> segmentText(std::string_view text);
// The same, from the text's scalars as decodeText gives them.
std::vector<TextCluster> segmentText(std::string_view text, const std::vector<TextScalar>& scalars);

// One word of a UTF-8 text: the bytes [from, to) of a run that ICU's word break rules (UAX #29,
// with its dictionaries for the scripts written without spaces) find to hold letters, numbers,
// kana or ideographs. The spaces, punctuation and symbols between words belong to none; "don't"
// and "3.14" are one word each.
struct TextWord {
    std::uint32_t from = 0, to = 0;
    friend bool operator==(const TextWord&, const TextWord&) = default;
};

// The text's words in order, each beginning and ending where a scalar does. Safe from any thread.
std::vector<TextWord> segmentWords(std::string_view text);

}  // namespace tarnwick::platform::ui
