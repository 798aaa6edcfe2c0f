#include "platform/ui/declarative/text_field_selection.h"

#include <algorithm>
#include <vector>

#include "platform/ui/text_segmentation.h"

namespace tarnwick::platform::ui {

namespace {

// Where a caret may stand: before each cluster, and at the end.
struct Boundaries {
    std::vector<std::size_t> offsets;
    std::vector<bool> rightToLeft;  // of the cluster that begins at each offset (the last: the one before)

    explicit Boundaries(std::string_view text) {
        const auto clusters = segmentText(text);
        for (const auto& cluster : clusters) {
            offsets.push_back(cluster.from);
            rightToLeft.push_back(cluster.rightToLeft);
        }
        offsets.push_back(text.size());
        rightToLeft.push_back(!clusters.empty() && clusters.back().rightToLeft);
    }
    // The boundary at or after the offset.
    std::size_t fitted(std::size_t at) const { return *std::lower_bound(offsets.begin(), offsets.end(), at); }
    std::size_t index(std::size_t at) const {
        return static_cast<std::size_t>(std::lower_bound(offsets.begin(), offsets.end(), at) - offsets.begin());
    }
    std::size_t before(std::size_t at) const {
        const std::size_t i = index(at);
        return i == 0 ? offsets.front() : offsets[i - 1];
    }
    std::size_t after(std::size_t at) const {
        const std::size_t i = index(at);
        return i + 1 < offsets.size() ? offsets[i + 1] : offsets.back();
    }
    // Whether the paragraph at the offset runs right to left.
    bool runsRightToLeft(std::size_t at) const { return rightToLeft[index(at)]; }
};

TextSelection fitted(const Boundaries& boundaries, std::string_view text, TextSelection selection) {
    std::size_t start = std::min(selection.start, text.size());
    std::size_t end = std::min(selection.end, text.size());
    if (start > end) std::swap(start, end);
    return TextSelection{boundaries.fitted(start), boundaries.fitted(end)};
}

// The offset a step takes the caret to from a boundary.
std::size_t stepped(const Boundaries& boundaries, std::string_view text, std::size_t at, TextStep step, bool back) {
    switch (step) {
        case TextStep::character:
            return back ? boundaries.before(at) : boundaries.after(at);
        case TextStep::edge:
            return back ? 0 : text.size();
        case TextStep::word:
            break;
    }
    const auto words = segmentWords(text);
    if (back) {
        // The start of the last word that begins before the caret.
        for (auto it = words.rbegin(); it != words.rend(); ++it)
            if (const std::size_t start = boundaries.fitted(it->from); start < at) return start;
        return 0;
    }
    // The end of the first word that ends after it.
    for (const auto& word : words)
        if (const std::size_t end = boundaries.fitted(word.to); end > at) return end;
    return text.size();
}

// Back or on by the step, a selection collapsing to that edge instead (and going on from it by
// a word or to the text's edge).
TextSelection moved(std::string_view text, TextSelection selection, TextStep step, bool back) {
    const Boundaries boundaries(text);
    const TextSelection s = fitted(boundaries, text, selection);
    const std::size_t edge = back ? s.start : s.end;
    if (!s.isCaret() && step == TextStep::character) return TextSelection::caret(edge);
    return TextSelection::caret(stepped(boundaries, text, edge, step, back));
}

// Whether Left goes back through the text where the selection begins: not in a right-to-left
// paragraph.
bool leftGoesBack(std::string_view text, TextSelection selection) {
    return !Boundaries(text).runsRightToLeft(std::min(selection.start, text.size()));
}

}  // namespace

TextSelection fittedSelection(std::string_view text, TextSelection selection) {
    return fitted(Boundaries(text), text, selection);
}

std::size_t steppedOffset(std::string_view text, std::size_t at, TextStep step, bool back) {
    const Boundaries boundaries(text);
    return stepped(boundaries, text, boundaries.fitted(std::min(at, text.size())), step, back);
}

TextSelection movedLeft(std::string_view text, TextSelection selection, TextStep step) {
    return moved(text, selection, step, leftGoesBack(text, selection));
}

TextSelection movedRight(std::string_view text, TextSelection selection, TextStep step) {
    return moved(text, selection, step, !leftGoesBack(text, selection));
}

TextSelection movedToStart(std::string_view, TextSelection) { return TextSelection::caret(0); }

TextSelection movedToEnd(std::string_view text, TextSelection) { return TextSelection::caret(text.size()); }

std::optional<std::size_t> movingEnd(TextSelection selection, std::optional<std::size_t> anchor) {
    if (!anchor) return std::nullopt;
    if (*anchor == selection.start) return selection.end;
    if (*anchor == selection.end) return selection.start;
    return std::nullopt;
}

ExtendedSelection extended(std::string_view text, TextSelection selection, std::optional<std::size_t> anchor,
                           TextStep step, bool back) {
    const Boundaries boundaries(text);
    const TextSelection s = fitted(boundaries, text, selection);
    if (anchor) anchor = boundaries.fitted(std::min(*anchor, text.size()));
    // Without an anchor of its own, the selection moves its end on the side the key goes to.
    std::size_t moving = back ? s.start : s.end;
    std::size_t fixed = back ? s.end : s.start;
    if (const auto end = movingEnd(s, anchor)) {
        moving = *end;
        fixed = *anchor;
    }
    const std::size_t to = stepped(boundaries, text, moving, step, back);
    return ExtendedSelection{TextSelection{std::min(fixed, to), std::max(fixed, to)}, fixed};
}

ExtendedSelection extendedLeft(std::string_view text, TextSelection selection, std::optional<std::size_t> anchor,
                               TextStep step) {
    return extended(text, selection, anchor, step, leftGoesBack(text, selection));
}

ExtendedSelection extendedRight(std::string_view text, TextSelection selection, std::optional<std::size_t> anchor,
                                TextStep step) {
    return extended(text, selection, anchor, step, !leftGoesBack(text, selection));
}

EditedText insertedText(std::string_view text, TextSelection selection, std::string_view typed) {
    const TextSelection s = fittedSelection(text, selection);
    EditedText edited{std::string(text.substr(0, s.start)), {}};
    edited.text += typed;
    const std::size_t caret = edited.text.size();
    edited.text += text.substr(s.end);
    // A mark typed after a letter joins its cluster; one typed before a mark that follows makes
    // the caret stand after the cluster they make together.
    edited.selection = fittedSelection(edited.text, TextSelection::caret(caret));
    return edited;
}

namespace {

EditedText deleted(std::string_view text, TextSelection selection, TextStep step, bool backward) {
    const Boundaries boundaries(text);
    TextSelection s = fitted(boundaries, text, selection);
    if (s.isCaret()) {
        const std::size_t to = stepped(boundaries, text, s.start, step, backward);
        s = TextSelection{std::min(s.start, to), std::max(s.start, to)};
    }
    EditedText edited{std::string(text.substr(0, s.start)) + std::string(text.substr(s.end)), {}};
    edited.selection = fittedSelection(edited.text, TextSelection::caret(s.start));
    return edited;
}

}  // namespace

EditedText deletedBackward(std::string_view text, TextSelection selection, TextStep step) {
    return deleted(text, selection, step, true);
}

EditedText deletedForward(std::string_view text, TextSelection selection, TextStep step) {
    return deleted(text, selection, step, false);
}

}  // namespace tarnwick::platform::ui
