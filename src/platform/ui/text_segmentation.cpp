#include "platform/ui/text_segmentation.h"

#include <algorithm>
#include <climits>
#include <memory>

#include <unicode/ubidi.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf16.h>

#include "platform/ui/text_work.h"
#include "support/text.h"

namespace tarnwick::platform::ui {

namespace {

struct IteratorCloser {
    void operator()(UBreakIterator* iterator) const { ubrk_close(iterator); }
};
using IteratorHandle = std::unique_ptr<UBreakIterator, IteratorCloser>;

// A break iterator of the kind for this thread: an iterator holds the text it walks, so threads
// never share one, and opening one per text would cost more than the walk.
UBreakIterator* breakIterator(UBreakIteratorType type) {
    thread_local IteratorHandle characters, lines, words;
    auto& slot = type == UBRK_CHARACTER ? characters : type == UBRK_WORD ? words : lines;
    if (!slot) {
        UErrorCode status = U_ZERO_ERROR;
        slot.reset(ubrk_open(type, "", nullptr, 0, &status));
        if (U_FAILURE(status)) slot.reset();
    }
    return slot.get();
}

// The boundaries the iterator finds in the text (0 and the end included), or none when ICU
// cannot walk it.
std::vector<std::uint32_t> boundaries(UBreakIteratorType type, std::string_view text, int32_t length) {
    std::vector<std::uint32_t> found;
    UBreakIterator* iterator = breakIterator(type);
    if (!iterator) return found;
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    utext_openUTF8(&utext, text.data(), length, &status);
    if (U_SUCCESS(status)) ubrk_setUText(iterator, &utext, &status);
    if (U_SUCCESS(status)) {
        for (int32_t at = ubrk_first(iterator); at != UBRK_DONE; at = ubrk_next(iterator))
            found.push_back(static_cast<std::uint32_t>(at));
    }
    utext_close(&utext);
    return found;
}

bool isHardBreak(UChar32 c) {
    const auto kind = u_getIntPropertyValue(c, UCHAR_LINE_BREAK);
    return kind == U_LB_MANDATORY_BREAK || kind == U_LB_CARRIAGE_RETURN || kind == U_LB_LINE_FEED ||
           kind == U_LB_NEXT_LINE;
}

bool isWide(UChar32 c) {
    const auto width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH || u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION);
}

struct BidiCloser {
    void operator()(UBiDi* bidi) const { ubidi_close(bidi); }
};

// Reports each paragraph's direction as ICU's bidi finds it with a default level (rules P2 and
// P3: the first strong character outside isolates, left to right where there is none):
// `set(endByte, rtl)` hears where each paragraph ends. Text without a character of a
// right-to-left script or control is all left to right, and costs no bidi run.
template <typename Set>
void paragraphDirections(const std::vector<TextScalar>& scalars, std::uint32_t length, const Set& set) {
    const bool anyRightToLeft = std::any_of(scalars.begin(), scalars.end(), [](const TextScalar& s) {
        // Nothing below Hebrew is strongly right to left, nor an embedding, override or isolate.
        return s.value >= 0x0590;
    });
    if (!anyRightToLeft) return;
    std::vector<UChar> units;
    std::vector<std::uint32_t> byteOfUnit;  // where the scalar that each unit belongs to begins
    units.reserve(scalars.size());
    byteOfUnit.reserve(scalars.size() + 1);
    for (const auto& s : scalars) {
        // The decoder gives scalars only (never a surrogate): one unit, or a pair.
        const auto c = static_cast<UChar32>(s.value);
        if (c <= 0xFFFF) {
            units.push_back(static_cast<UChar>(c));
        } else {
            units.push_back(U16_LEAD(c));
            units.push_back(U16_TRAIL(c));
            byteOfUnit.push_back(s.at);
        }
        byteOfUnit.push_back(s.at);
    }
    if (units.size() > static_cast<std::size_t>(INT32_MAX)) return;
    byteOfUnit.push_back(length);
    UErrorCode status = U_ZERO_ERROR;
    const auto count = static_cast<int32_t>(units.size());
    std::unique_ptr<UBiDi, BidiCloser> bidi(ubidi_openSized(count, 0, &status));
    if (U_SUCCESS(status)) ubidi_setPara(bidi.get(), units.data(), count, UBIDI_DEFAULT_LTR, nullptr, &status);
    if (U_FAILURE(status)) return;
    const int32_t paragraphs = ubidi_countParagraphs(bidi.get());
    for (int32_t i = 0; i < paragraphs; ++i) {
        int32_t from = 0, to = 0;
        UBiDiLevel level = 0;
        ubidi_getParagraphByIndex(bidi.get(), i, &from, &to, &level, &status);
        if (U_FAILURE(status)) return;
        set(byteOfUnit[static_cast<std::size_t>(std::clamp(to, 0, count))], (level & 1) != 0);
    }
}

}  // namespace

std::vector<TextScalar> decodeText(std::string_view text) {
    std::vector<TextScalar> scalars;
    // ICU walks at most 2 GiB; anything past that is one last cluster.
    const std::string_view walked = text.substr(0, std::min<std::size_t>(text.size(), INT32_MAX));
    scalars.reserve(walked.size());
    // The one strict reading of UTF-8 the program has; an ill-formed piece reads as U+FFFD.
    for (std::size_t at = 0; at < walked.size();) {
        const text::WellFormed piece = text::wellFormedAt(walked, at);
        scalars.push_back(TextScalar{static_cast<std::uint32_t>(at), piece.scalar.value_or(U'\uFFFD')});
        at += piece.length;
    }
    textWorkOnThisThread().scalarsDecoded += scalars.size();
    return scalars;
}

std::vector<TextCluster> segmentText(std::string_view text) { return segmentText(text, decodeText(text)); }

std::vector<TextCluster> segmentText(std::string_view text, const std::vector<TextScalar>& scalars) {
    std::vector<TextCluster> clusters;
    if (text.empty() || scalars.empty()) return clusters;
    const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));

    // A boundary is kept only where a scalar begins, so no scalar is ever split.
    std::vector<bool> scalarStart(static_cast<std::size_t>(length) + 1, false);
    for (const auto& s : scalars) scalarStart[s.at] = true;
    scalarStart[static_cast<std::size_t>(length)] = true;
    auto graphemes = boundaries(UBRK_CHARACTER, text, length);
    if (graphemes.empty()) {
        for (const auto& s : scalars) graphemes.push_back(s.at);
        graphemes.push_back(static_cast<std::uint32_t>(length));
    }
    std::vector<bool> lineBreak(static_cast<std::size_t>(length) + 1, false);
    for (const auto at : boundaries(UBRK_LINE, text, length))
        if (at <= static_cast<std::uint32_t>(length)) lineBreak[at] = true;

    std::size_t scalar = 0;
    std::uint32_t from = 0;
    for (const auto at : graphemes) {
        if (at <= from || at > static_cast<std::uint32_t>(length) || !scalarStart[at]) continue;
        while (scalar + 1 < scalars.size() && scalars[scalar].at < from) ++scalar;
        const auto first = static_cast<UChar32>(scalars[scalar].value);
        // Only a cluster of nothing but white space may hang past its line, and only one of
        // nothing but ignorables takes no room: a mark on a space is seen.
        bool allWhite = true, allIgnorable = true;
        for (std::size_t k = scalar; k < scalars.size() && scalars[k].at < at; ++k) {
            const auto c = static_cast<UChar32>(scalars[k].value);
            allWhite = allWhite && u_isWhitespace(c);
            allIgnorable = allIgnorable && u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
        }
        TextCluster cluster;
        cluster.from = from;
        cluster.to = at;
        cluster.breakBefore = from > 0 && lineBreak[from];
        cluster.hardBreak = isHardBreak(first);
        cluster.hangs = !cluster.hardBreak && allWhite;
        cluster.wide = isWide(first);
        cluster.invisible = allIgnorable;
        clusters.push_back(cluster);
        from = at;
    }
    if (from < static_cast<std::uint32_t>(length)) {
        TextCluster rest;
        rest.from = from;
        rest.to = static_cast<std::uint32_t>(length);
        clusters.push_back(rest);
    }
    if (static_cast<std::size_t>(length) < text.size()) {
        TextCluster rest;
        rest.from = static_cast<std::uint32_t>(length);
        rest.to = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), UINT32_MAX));
        clusters.push_back(rest);
    }

    std::size_t next = 0;
    paragraphDirections(scalars, static_cast<std::uint32_t>(length), [&](std::uint32_t endByte, bool rtl) {
        while (next < clusters.size() && clusters[next].from < endByte) clusters[next++].rightToLeft = rtl;
    });
    return clusters;
}

std::vector<TextWord> segmentWords(std::string_view text) {
    std::vector<TextWord> words;
    const auto scalars = decodeText(text);
    if (scalars.empty()) return words;
    const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    std::vector<bool> scalarStart(static_cast<std::size_t>(length) + 1, false);
    for (const auto& s : scalars) scalarStart[s.at] = true;
    scalarStart[static_cast<std::size_t>(length)] = true;

    UBreakIterator* iterator = breakIterator(UBRK_WORD);
    if (!iterator) return words;
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    utext_openUTF8(&utext, text.data(), length, &status);
    if (U_SUCCESS(status)) ubrk_setUText(iterator, &utext, &status);
    if (U_SUCCESS(status)) {
        // Each segment ends at a boundary whose rule status says whether it was a word. A boundary
        // inside a scalar (never where the text is well formed) joins the segments on either side,
        // a word where either was one.
        std::uint32_t from = 0;
        bool word = false;
        for (int32_t at = ubrk_following(iterator, 0); at != UBRK_DONE; at = ubrk_next(iterator)) {
            if (at <= 0 || at > length) continue;
            word = word || ubrk_getRuleStatus(iterator) >= UBRK_WORD_NONE_LIMIT;
            if (!scalarStart[static_cast<std::size_t>(at)]) continue;
            const auto to = static_cast<std::uint32_t>(at);
            if (word) words.push_back(TextWord{from, to});
            from = to;
            word = false;
        }
    }
    utext_close(&utext);
    return words;
}

}  // namespace tarnwick::platform::ui
