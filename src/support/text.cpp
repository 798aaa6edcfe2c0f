#include "support/text.h"

#include <cstdint>
#include <vector>

namespace tarnwick::text {

namespace {

// Decodes one UTF-8 scalar at position i; returns its length (1 for a malformed byte).
size_t decode(std::string_view s, size_t i, char32_t& out) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    if (i + length > s.size()) length = 1;
    if (length == 1) {
        out = c;
        return 1;
    }
    char32_t value = c & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
        auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) {
            out = c;
            return 1;
        }
        value = (value << 6) | (next & 0x3F);
    }
    out = value;
    return length;
}

void encode(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isWhitespaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

template <typename Map>
std::string mapCase(std::string_view input, Map map) {
    std::string out;
    out.reserve(input.size());
    for (size_t i = 0; i < input.size();) {
        // ASCII maps to ASCII: no decoding needed for most identifiers.
        if (const auto byte = static_cast<unsigned char>(input[i]); byte < 0x80) {
            if (const char32_t mapped = map(byte); mapped < 0x80) {
                out += static_cast<char>(mapped);
                ++i;
                continue;
            }
        }
        char32_t c;
        size_t length = decode(input, i, c);
        if (length == 1 && static_cast<unsigned char>(input[i]) >= 0x80) {
            out += input[i];  // keep malformed bytes as they are
        } else {
            encode(out, map(c));
        }
        i += length;
    }
    return out;
}

}  // namespace

std::string trimmed(std::string_view input) {
    size_t start = 0;
    size_t end = input.size();
    while (start < end) {
        char32_t c;
        size_t length = decode(input, start, c);
        if (!isWhitespaceOrNewline(c)) break;
        start += length;
    }
    // Walk backwards scalar by scalar: find the start of the last scalar.
    while (end > start) {
        size_t begin = end - 1;
        while (begin > start && (static_cast<unsigned char>(input[begin]) & 0xC0) == 0x80) --begin;
        char32_t c;
        decode(input, begin, c);
        if (!isWhitespaceOrNewline(c)) break;
        end = begin;
    }
    return std::string(input.substr(start, end - start));
}

bool isBlank(std::string_view input) { return trimmed(input).empty(); }

bool isDesktopTitle(std::string_view title) {
    constexpr std::string_view prefix = "Desktop ";
    if (title.size() <= prefix.size() || title.substr(0, prefix.size()) != prefix) return false;
    for (char c : title.substr(prefix.size()))
        if (c < '0' || c > '9') return false;
    return true;
}

std::string counted(std::size_t count, std::string_view singular, std::string_view plural) {
    return std::to_string(count) + " " + std::string(count == 1 ? singular : plural);
}

std::string desktopCountText(std::size_t count) { return counted(count, "desktop", "desktops"); }

std::string uppercased(std::string_view input) {
    std::string upper = mapCase(input, [](char32_t c) -> char32_t {
        if (c >= 'a' && c <= 'z') return c - 32;
        if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
        if (c == 0xFF) return 0x178;
        if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 0x20;  // Greek, final sigma too
        if (c >= 0x430 && c <= 0x44F) return c - 0x20;                       // Cyrillic
        if (c >= 0x450 && c <= 0x45F) return c - 0x50;
        return c;
    });
    // "ß" has no single capital: it becomes "SS".
    constexpr std::string_view sharpS = "\u00DF";
    for (size_t at = upper.find(sharpS); at != std::string::npos; at = upper.find(sharpS, at + 2))
        upper.replace(at, sharpS.size(), "SS");
    return upper;
}

std::string lowercased(std::string_view input) {
    return mapCase(input, [](char32_t c) -> char32_t {
        if (c >= 'A' && c <= 'Z') return c + 32;
        if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
        if (c == 0x178) return 0xFF;
        if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek
        if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic
        if (c >= 0x400 && c <= 0x40F) return c + 0x50;
        return c;
    });
}

std::string fromUTF16(std::u16string_view units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        encode(out, c);
    }
    return out;
}

std::string fromScalar(char32_t scalar) {
    std::string out;
    encode(out, scalar);
    return out;
}

size_t characterCount(std::string_view input) {
    size_t count = 0;
    for (size_t i = 0; i < input.size();) {
        char32_t c;
        i += decode(input, i, c);
        ++count;
    }
    return count;
}

bool isValidUTF8(std::string_view input) {
    for (size_t i = 0; i < input.size();) {
        const WellFormed next = wellFormedAt(input, i);
        if (!next.scalar) return false;
        i += next.length;
    }
    return true;
}

WellFormed wellFormedAt(std::string_view input, size_t at) {
    const auto lead = static_cast<unsigned char>(input[at]);
    if (lead < 0x80) return {1, lead};
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return {1, std::nullopt};
    }
    char32_t scalar = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if (at + k >= input.size()) return {k, std::nullopt};
        const auto next = static_cast<unsigned char>(input[at + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return {k, std::nullopt};
        scalar = (scalar << 6) | (next & 0x3F);
    }
    return {length, scalar};
}

std::vector<std::string_view> scalars(std::string_view input) {
    std::vector<std::string_view> result;
    for (size_t i = 0; i < input.size();) {
        char32_t c;
        const size_t length = decode(input, i, c);
        result.push_back(input.substr(i, length));
        i += length;
    }
    return result;
}

std::optional<char32_t> scalarAt(std::string_view input, size_t index) {
    if (index >= input.size()) return std::nullopt;
    char32_t c;
    decode(input, index, c);
    return c;
}

std::optional<char32_t> scalarBefore(std::string_view input, size_t index) {
    if (index == 0 || index > input.size()) return std::nullopt;
    size_t begin = index - 1;
    while (begin > 0 && index - begin < 4 && (static_cast<unsigned char>(input[begin]) & 0xC0) == 0x80) --begin;
    char32_t c;
    // A scalar that does not end exactly here means the byte before stands alone.
    if (begin + decode(input, begin, c) != index) return static_cast<unsigned char>(input[index - 1]);
    return c;
}

bool isWordCharacter(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    // Outside ASCII, everything counts as a letter except the blocks of spaces, punctuation,
    // symbols, emoji and private use, and the lone symbols of Latin-1.
    if (c <= 0xBF) return c == 0xAA || c == 0xB2 || c == 0xB3 || c == 0xB5 || c == 0xB9 || c == 0xBA;
    if (c == 0xD7 || c == 0xF7) return false;
    if (c >= 0x2000 && c <= 0x2BFF) return false;   // punctuation, currency, arrows, maths, shapes
    if (c >= 0x2E00 && c <= 0x2E7F) return false;   // supplemental punctuation
    if (c >= 0x3000 && c <= 0x303F) return false;   // CJK symbols and punctuation
    if (c >= 0xD800 && c <= 0xF8FF) return false;   // surrogates and private use
    if (c >= 0xFE10 && c <= 0xFE6F) return false;   // vertical and small forms
    if ((c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) ||
        (c >= 0xFF5B && c <= 0xFF65))
        return c == 0xFF3F;                          // fullwidth punctuation, but its underscore
    if (c >= 0xFFF0 && c <= 0xFFFF) return false;   // specials
    if (c >= 0x1F000 && c <= 0x1FAFF) return false;  // emoji and pictographs
    return c <= 0x10FFFF;
}

}  // namespace tarnwick::text
