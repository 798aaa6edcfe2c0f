#include "applications/localized_standard_compare.h"

#include <string>
#include <vector>

#include "support/text.h"

namespace tarnwick {

namespace {

// Base letters of U+00C0 to U+00FF, lower case ('\0' keeps the character: × and ÷).
constexpr const char* kLatin1Base[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", "",  "o", "u", "u", "u", "u", "y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", "",  "o", "u", "u", "u", "u", "y", "th", "y",
};

// The characters that decide the order: lower case, Latin-1 accents removed.
std::u32string folded(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        // The program's one strict reading of UTF-8: an ill-formed piece is one U+FFFD, never a
        // byte taken for the Latin-1 letter of the same number.
        const text::WellFormed piece = text::wellFormedAt(s, i);
        const char32_t c = piece.scalar.value_or(U'\uFFFD');
        i += piece.length;
        if (c >= 'A' && c <= 'Z') {
            out += c + ('a' - 'A');
        } else if (c >= 0xC0 && c <= 0xFF && *kLatin1Base[c - 0xC0]) {
            for (const char* base = kLatin1Base[c - 0xC0]; *base; ++base) out += static_cast<char32_t>(*base);
        } else {
            out += c;
        }
    }
    return out;
}

bool isDigit(char32_t c) { return c >= '0' && c <= '9'; }

// The digit run starting at `i`, without its leading zeros; moves `i` past the run.
std::u32string_view digitRun(std::u32string_view s, size_t& i) {
    const size_t start = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    std::u32string_view run = s.substr(start, i - start);
    while (run.size() > 1 && run.front() == '0') run.remove_prefix(1);
    return run;
}

}  // namespace

int localizedStandardCompare(std::string_view a, std::string_view b) {
    const std::u32string left = folded(a);
    const std::u32string right = folded(b);
    size_t i = 0;
    size_t j = 0;
    while (i < left.size() && j < right.size()) {
        if (isDigit(left[i]) && isDigit(right[j])) {
            const auto x = digitRun(left, i);
            const auto y = digitRun(right, j);
            if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
            if (const int order = x.compare(y); order != 0) return order < 0 ? -1 : 1;
            continue;
        }
        if (left[i] != right[j]) return left[i] < right[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < left.size()) return 1;
    if (j < right.size()) return -1;
    return 0;
}

}  // namespace tarnwick
