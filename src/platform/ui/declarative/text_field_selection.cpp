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

// Back (towards the text's start) or on (towards its end) by one cluster, a selection collapsing
// to that edge instead.
TextSelection stepped(std::string_view text, TextSelection selection, bool back) {
    const Boundaries boundaries(text);
    const TextSelection s = fitted(boundaries, text, selection);
    if (!s.isCaret()) return TextSelection::caret(back ? s.start : s.end);
    return TextSelection::caret(back ? boundaries.before(s.start) : boundaries.after(s.start));
}

}  // namespace

TextSelection fittedSelection(std::string_view text, TextSelection selection) {
    return fitted(Boundaries(text), text, selection);
}

TextSelection movedLeft(std::string_view text, TextSelection selection) {
    const bool rightToLeft = Boundaries(text).runsRightToLeft(std::min(selection.start, text.size()));
    return stepped(text, selection, !rightToLeft);
}

TextSelection movedRight(std::string_view text, TextSelection selection) {
    const bool rightToLeft = Boundaries(text).runsRightToLeft(std::min(selection.start, text.size()));
    return stepped(text, selection, rightToLeft);
}

TextSelection movedToStart(std::string_view, TextSelection) { return TextSelection::caret(0); }

TextSelection movedToEnd(std::string_view text, TextSelection) { return TextSelection::caret(text.size()); }

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

EditedText deleted(std::string_view text, TextSelection selection, bool backward) {
    const Boundaries boundaries(text);
    TextSelection s = fitted(boundaries, text, selection);
    if (s.isCaret()) s = backward ? TextSelection{boundaries.before(s.start), s.start}
                                  : TextSelection{s.start, boundaries.after(s.start)};
    EditedText edited{std::string(text.substr(0, s.start)) + std::string(text.substr(s.end)), {}};
    edited.selection = fittedSelection(edited.text, TextSelection::caret(s.start));
    return edited;
}

}  // namespace

EditedText deletedBackward(std::string_view text, TextSelection selection) { return deleted(text, selection, true); }

EditedText deletedForward(std::string_view text, TextSelection selection) { return deleted(text, selection, false); }

}  // namespace tarnwick::platform::ui
