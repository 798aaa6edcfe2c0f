#pragma once

// Shared by the harnesses that take text: the input read as a few parameter bytes and then text,
// and arbitrary bytes made into valid UTF-8 that reaches the characters text handling finds
// hardest.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/text.h"

namespace tarnwick::fuzz {

// Reads parameters one byte at a time (0 once the input is used up), then the rest as it is.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : bytes_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (bytes_.empty()) return 0;
        const auto value = static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(1);
        return value;
    }
    std::string_view rest() const { return bytes_; }

private:
    std::string_view bytes_;
};

// The bytes as valid UTF-8: well-formed sequences stay as they are, and a byte that starts none
// becomes one of the characters below, so that a single byte reaches combining marks, joiners,
// regional indicators, skin tones, Hangul jamo, wide and right-to-left letters, line breaks and
// spaces of every kind.
inline std::string utf8ish(std::string_view bytes) {
    static constexpr std::array<std::string_view, 40> kHard = {
        "\xCC\x81",          // U+0301 combining acute accent
        "\xE2\x80\x8D",      // U+200D zero-width joiner
        "\xF0\x9F\x87\xBA",  // U+1F1FA regional indicator U
        "\xF0\x9F\x87\xB8",  // U+1F1F8 regional indicator S
        "\xF0\x9F\x87\xAC",  // U+1F1EC regional indicator G
        "\xF0\x9F\x87\xA7",  // U+1F1E7 regional indicator B
        "\xF0\x9F\x8F\xBD",  // U+1F3FD skin tone
        "\xF0\x9F\x91\x8D",  // U+1F44D thumbs up
        "\xF0\x9F\x91\xA8",  // U+1F468 man
        "\xF0\x9F\x91\xA9",  // U+1F469 woman
        "\xF0\x9F\x91\xA7",  // U+1F467 girl
        "\xE4\xB8\xAD",      // U+4E2D a CJK ideograph
        "\xC2\xA0",          // U+00A0 no-break space
        " ",
        "\n",
        "\r",
        "\t",
        "\xE2\x80\xA8",      // U+2028 line separator
        "\xE2\x80\xA9",      // U+2029 paragraph separator
        "\xE1\x84\x80",      // U+1100 Hangul leading consonant
        "\xE1\x85\xA1",      // U+1161 Hangul vowel
        "\xE1\x86\xA8",      // U+11A8 Hangul trailing consonant
        "\xEA\xB0\x80",      // U+AC00 a Hangul syllable
        "\xD7\x90",          // U+05D0 Hebrew alef
        "\xD8\xA7",          // U+0627 Arabic alef
        "\xE2\x80\xA6",      // U+2026 the ellipsis itself
        "\xEF\xB8\x8F",      // U+FE0F emoji presentation selector
        "\xE2\x80\x8B",      // U+200B zero-width space
        "\xE3\x80\x80",      // U+3000 ideographic space
        "\xE0\xA4\x95",      // U+0915 Devanagari ka
        "\xE0\xA5\x8D",      // U+094D Devanagari virama
        "\xE0\xB8\x81",      // U+0E01 Thai ko kai
        "\xEF\xBF\xBE",      // U+FFFE a noncharacter
        "\xEF\xBF\xBF",      // U+FFFF a noncharacter
        "\xF0\x9F\x98\x80",  // U+1F600 an emoji
        "\xE2\x80\xAE",      // U+202E right-to-left override
        "\x01",
        "e",
        "W",
        "-",
    };
    std::string text;
    text.reserve(bytes.size() * 2);
    while (!bytes.empty()) {
        // A well-formed sequence stays; each byte of an ill-formed one is replaced on its own.
        const auto next = tarnwick::text::wellFormedAt(bytes, 0);
        if (next.scalar) {
            text.append(bytes.substr(0, next.length));
            bytes.remove_prefix(next.length);
        } else {
            text.append(kHard[static_cast<unsigned char>(bytes.front()) % kHard.size()]);
            bytes.remove_prefix(1);
        }
    }
    return text;
}

// The pieces of the bytes between separators (an input without one is one piece).
inline std::vector<std::string_view> split(std::string_view bytes, char separator) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = bytes.find(separator); at != std::string_view::npos; at = bytes.find(separator)) {
        pieces.push_back(bytes.substr(0, at));
        bytes.remove_prefix(at + 1);
    }
    pieces.push_back(bytes);
    return pieces;
}

}  // namespace tarnwick::fuzz
