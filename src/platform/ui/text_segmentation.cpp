#include "platform/ui/text_segmentation.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

namespace tarnwick::platform::ui {

namespace {

struct IteratorCloser {
    void operator()(UBreakIterator* iterator) const { ubrk_close(iterator); }
};
using IteratorHandle = std::unique_ptr<UBreakIterator, IteratorCloser>;

// A break iterator of the kind for this thread: an iterator holds the text it walks, so threads
// never share one, and opening one per text would cost more than the walk.
UBreakIterator* breakIterator(UBreakIteratorType type) {
    thread_local IteratorHandle characters, lines;
    auto& slot = type == UBRK_CHARACTER ? characters : lines;
    if (!slot) {
        UErrorCode status = U_ZERO_ERROR;
        slot.reset(ubrk_open(type, "", nullptr, 0, &status));
        if (U_FAILURE(status)) slot.reset();
    }
    return slot.get();
}

// The text's scalars: where each begins and what it is (U+FFFD for an ill-formed sequence).
struct Scalar {
    std::uint32_t at;
    UChar32 value;
};

std::vector<Scalar> scalarsOf(std::string_view text, int32_t length) {
    std::vector<Scalar> scalars;
    scalars.reserve(static_cast<std::size_t>(length));
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    for (int32_t i = 0; i < length;) {
        const auto at = static_cast<std::uint32_t>(i);
        UChar32 c;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        scalars.push_back(Scalar{at, c});
    }
    return scalars;
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

// Finds the direction of each paragraph (ended by a paragraph separator) from its first strong
// character, skipping isolated runs; `set(to, rtl)` hears where each paragraph's scalars end.
template <typename Set>
void paragraphDirections(const std::vector<Scalar>& scalars, const Set& set) {
    std::size_t start = 0;
    int isolates = 0;
    std::optional<bool> rtl;
    for (std::size_t i = 0; i < scalars.size(); ++i) {
        const auto direction = u_charDirection(scalars[i].value);
        if (direction == U_BLOCK_SEPARATOR) {
            set(i + 1, rtl.value_or(false));
            start = i + 1;
            isolates = 0;
            rtl.reset();
        } else if (direction == U_LEFT_TO_RIGHT_ISOLATE || direction == U_RIGHT_TO_LEFT_ISOLATE ||
                   direction == U_FIRST_STRONG_ISOLATE) {
            ++isolates;
        } else if (direction == U_POP_DIRECTIONAL_ISOLATE) {
            if (isolates > 0) --isolates;
        } else if (isolates == 0 && !rtl) {
            if (direction == U_LEFT_TO_RIGHT) rtl = false;
            if (direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC) rtl = true;
        }
    }
    if (start < scalars.size()) set(scalars.size(), rtl.value_or(false));
}

}  // namespace

std::vector<TextCluster> segmentText(std::string_view text) {
    std::vector<TextCluster> clusters;
    if (text.empty()) return clusters;
    // ICU walks at most 2 GiB; anything past that is one last cluster.
    const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    const auto scalars = scalarsOf(text, length);

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
        const UChar32 first = scalars[scalar].value;
        // Only a cluster of nothing but white space may hang past its line, and only one of
        // nothing but ignorables takes no room: a mark on a space is seen.
        bool allWhite = true, allIgnorable = true;
        for (std::size_t k = scalar; k < scalars.size() && scalars[k].at < at; ++k) {
            allWhite = allWhite && u_isWhitespace(scalars[k].value);
            allIgnorable = allIgnorable && u_hasBinaryProperty(scalars[k].value, UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
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
    paragraphDirections(scalars, [&](std::size_t end, bool rtl) {
        const std::uint32_t endByte = end < scalars.size() ? scalars[end].at : static_cast<std::uint32_t>(length);
        while (next < clusters.size() && clusters[next].from < endByte) clusters[next++].rightToLeft = rtl;
    });
    return clusters;
}

}  // namespace tarnwick::platform::ui
