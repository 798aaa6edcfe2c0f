#include "support/text.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/stringpiece.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace tarnwick::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// wellFormedAt for a position before the end, kept inline for the loops below: they run over
// identifiers and labels, most of them ASCII.
inline WellFormed pieceAt(std::string_view input, size_t at) {
    const auto lead = static_cast<unsigned char>(input[at]);
    if (lead < 0x80) return {1, lead};
    const auto* bytes = reinterpret_cast<const uint8_t*>(input.data());
    size_t next = at;
    UChar32 c;
    // ICU stops after the longest start of a sequence that could still have been well-formed.
    U8_NEXT(bytes, next, input.size(), c);
    if (c < 0) return {next - at, std::nullopt};
    return {next - at, static_cast<char32_t>(c)};
}

bool isASCII(std::string_view input) {
    return std::all_of(input.begin(), input.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isWhiteSpace(char32_t c) {
    // Most white space met is ASCII; ICU's property answers the rest.
    if (c < 0x80) return c == ' ' || (c >= '\t' && c <= '\r');
    return u_isUWhiteSpace(static_cast<UChar32>(c));
}

bool isWhiteSpace(const WellFormed& piece) { return piece.scalar && isWhiteSpace(*piece.scalar); }

// The well-formed scalar that ends exactly at `end` and starts at or after `floor`, with where it
// starts; none where the bytes before `end` are ill-formed or `end` falls inside a scalar. A lead
// byte always starts a piece of its own, so a scalar found this way is the one reading forwards
// from `floor` finds too.
std::optional<std::pair<size_t, char32_t>> scalarEndingAt(std::string_view input, size_t end, size_t floor) {
    size_t begin = end;
    while (begin > floor && end - begin < U8_MAX_LENGTH) {
        --begin;
        if (!U8_IS_TRAIL(static_cast<unsigned char>(input[begin]))) break;
    }
    if (begin == end) return std::nullopt;
    const WellFormed piece = pieceAt(input, begin);
    if (!piece.scalar || begin + piece.length != end) return std::nullopt;
    return std::pair{begin, *piece.scalar};
}

void appendScalar(std::string& out, char32_t scalar) {
    if (scalar > 0x10FFFF || U_IS_SURROGATE(scalar)) scalar = kReplacement;
    uint8_t bytes[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(scalar));
    out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
}

enum class CaseMapping { upper, lower, fold };

// ICU takes a span's length as int32_t; longer well-formed stretches are mapped in parts, cut
// where a scalar starts.
constexpr size_t kLongestSpan = size_t{1} << 30;

void appendMapped(std::string& out, std::string_view span, CaseMapping mapping) {
    if (span.empty()) return;
    const size_t mappedStart = out.size();
    icu::StringByteSink<std::string> sink(&out);
    const icu::StringPiece piece(span.data(), static_cast<int32_t>(span.size()));
    UErrorCode status = U_ZERO_ERROR;
    switch (mapping) {
    case CaseMapping::upper: icu::CaseMap::utf8ToUpper("", 0, piece, sink, nullptr, status); break;
    case CaseMapping::lower: icu::CaseMap::utf8ToLower("", 0, piece, sink, nullptr, status); break;
    case CaseMapping::fold: icu::CaseMap::utf8Fold(U_FOLD_CASE_DEFAULT, piece, sink, nullptr, status); break;
    }
    // Text ICU could not map (it ran out of memory) stays as it was rather than going missing.
    if (U_FAILURE(status)) {
        out.resize(mappedStart);
        out.append(span);
    }
}

// ICU's full case mapping in the root locale, span by span of well-formed text; the bytes of an
// ill-formed piece are kept as they are and end the span, as text that is no letter would.
std::string mapCase(std::string_view input, CaseMapping mapping) {
    if (isASCII(input)) {
        // Identifiers and labels are mostly ASCII, which maps byte by byte; folding is lowering there.
        std::string out(input);
        for (char& c : out) {
            if (mapping == CaseMapping::upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (mapping != CaseMapping::upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    }
    std::string out;
    out.reserve(input.size() + input.size() / 4);
    size_t spanStart = 0;
    for (size_t at = 0; at < input.size();) {
        const WellFormed piece = pieceAt(input, at);
        if (!piece.scalar || at - spanStart >= kLongestSpan) {
            appendMapped(out, input.substr(spanStart, at - spanStart), mapping);
            spanStart = at;
        }
        if (!piece.scalar) {
            out.append(input.substr(at, piece.length));
            spanStart = at + piece.length;
        }
        at += piece.length;
    }
    appendMapped(out, input.substr(spanStart), mapping);
    return out;
}

}  // namespace

std::string trimmed(std::string_view input) {
    size_t start = 0;
    size_t end = input.size();
    while (start < end) {
        const WellFormed piece = pieceAt(input, start);
        if (!isWhiteSpace(piece)) break;
        start += piece.length;
    }
    while (end > start) {
        const auto last = scalarEndingAt(input, end, start);
        if (!last || !isWhiteSpace(last->second)) break;
        end = last->first;
    }
    return std::string(input.substr(start, end - start));
}

bool isBlank(std::string_view input) {
    for (size_t at = 0; at < input.size();) {
        const WellFormed piece = pieceAt(input, at);
        if (!isWhiteSpace(piece)) return false;
        at += piece.length;
    }
    return true;
}

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

std::string uppercased(std::string_view input) { return mapCase(input, CaseMapping::upper); }

std::string lowercased(std::string_view input) { return mapCase(input, CaseMapping::lower); }

std::string caseFolded(std::string_view input) { return mapCase(input, CaseMapping::fold); }

std::string fromUTF16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size();) {
        UChar32 c;
        U16_NEXT(units.data(), i, units.size(), c);
        // U16_NEXT hands a lone surrogate back as itself; appendScalar replaces it.
        appendScalar(out, static_cast<char32_t>(c));
    }
    return out;
}

std::string fromScalar(char32_t scalar) {
    std::string out;
    appendScalar(out, scalar);
    return out;
}

WellFormed wellFormedAt(std::string_view input, size_t at) {
    if (at >= input.size()) return {0, std::nullopt};
    return pieceAt(input, at);
}

bool isValidUTF8(std::string_view input) {
    for (size_t at = 0; at < input.size();) {
        if (static_cast<unsigned char>(input[at]) < 0x80) {
            ++at;
            continue;
        }
        const WellFormed piece = pieceAt(input, at);
        if (!piece.scalar) return false;
        at += piece.length;
    }
    return true;
}

size_t characterCount(std::string_view input) {
    size_t count = 0;
    for (size_t at = 0; at < input.size(); ++count) at += pieceAt(input, at).length;
    return count;
}

std::vector<std::string_view> scalars(std::string_view input) {
    std::vector<std::string_view> result;
    for (size_t at = 0; at < input.size();) {
        const size_t length = pieceAt(input, at).length;
        result.push_back(input.substr(at, length));
        at += length;
    }
    return result;
}

std::optional<char32_t> scalarAt(std::string_view input, size_t index) {
    if (index >= input.size()) return std::nullopt;
    return pieceAt(input, index).scalar.value_or(kReplacement);
}

std::optional<char32_t> scalarBefore(std::string_view input, size_t index) {
    if (index == 0 || index > input.size()) return std::nullopt;
    const auto last = scalarEndingAt(input, index, 0);
    return last ? last->second : kReplacement;
}

bool isWordCharacter(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    if (c > 0x10FFFF) return false;
    // Letters, marks, numbers and the connector punctuation that joins words as "_" does.
    constexpr uint32_t word = U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK | U_GC_PC_MASK;
    return (U_GET_GC_MASK(static_cast<UChar32>(c)) & word) != 0;
}

}  // namespace tarnwick::text
