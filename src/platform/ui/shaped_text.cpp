#include "platform/ui/shaped_text.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <hb.h>
#include <unicode/uscript.h>

#include "platform/ui/font_faces.h"
#include "platform/ui/text_work.h"

namespace tarnwick::platform::ui {

namespace {

// The grapheme cluster holding the byte offset.
std::size_t clusterAt(const std::vector<ShapedCluster>& clusters, std::uint32_t offset) {
    const auto after = std::upper_bound(clusters.begin(), clusters.end(), offset,
                                        [](std::uint32_t at, const ShapedCluster& c) { return at < c.cluster.from; });
    return after == clusters.begin() ? 0 : static_cast<std::size_t>(after - clusters.begin() - 1);
}

void addInk(ShapedCluster& c, float left, float bottom, float right, float top) {
    if (!(right > left) || !(top > bottom)) return;
    if (c.inkRight > c.inkLeft) {
        c.inkLeft = std::min(c.inkLeft, left);
        c.inkBottom = std::min(c.inkBottom, bottom);
        c.inkRight = std::max(c.inkRight, right);
        c.inkTop = std::max(c.inkTop, top);
    } else {
        c.inkLeft = left;
        c.inkBottom = bottom;
        c.inkRight = right;
        c.inkTop = top;
    }
}

// A stretch of the text in one script, with the direction the script runs in.
struct ScriptRun {
    int from, to;
    hb_script_t script;
};

hb_script_t harfBuzzScript(UScriptCode code) {
    return hb_script_from_string(uscript_getShortName(code), -1);
}

// The text cut where its script changes: characters common to scripts (spaces, digits,
// punctuation, emoji) and marks stay with the run around them, so that each run shapes with its
// own script's features.
std::vector<ScriptRun> scriptRuns(const std::vector<TextScalar>& scalars, int32_t length) {
    std::vector<ScriptRun> runs;
    int32_t start = 0;
    UScriptCode current = USCRIPT_COMMON;
    for (const auto& scalar : scalars) {
        UErrorCode status = U_ZERO_ERROR;
        const UScriptCode script = uscript_getScript(static_cast<UChar32>(scalar.value), &status);
        if (U_FAILURE(status) || script == USCRIPT_COMMON || script == USCRIPT_INHERITED) continue;
        const auto at = static_cast<int32_t>(scalar.at);
        if (current == USCRIPT_COMMON) {
            current = script;
        } else if (script != current) {
            runs.push_back(ScriptRun{start, at, harfBuzzScript(current)});
            start = at;
            current = script;
        }
    }
    runs.push_back(ScriptRun{start, length, current == USCRIPT_COMMON ? HB_SCRIPT_COMMON : harfBuzzScript(current)});
    return runs;
}

// Adds a shaped run's glyphs to the clusters they belong to: advances, ink, and where a cut
// would reshape.
void layGlyphs(hb_buffer_t* buffer, hb_font_t* font, bool withInk, std::vector<bool>& ownGlyph,
               std::vector<ShapedCluster>& clusters) {
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    for (unsigned g = 0; g < count; ++g) {
        const auto& info = infos[g];
        const std::size_t index = clusterAt(clusters, info.cluster);
        auto& c = clusters[index];
        if (info.cluster == c.cluster.from) ownGlyph[index] = true;
        if (hb_glyph_info_get_glyph_flags(&info) & HB_GLYPH_FLAG_UNSAFE_TO_BREAK) c.unsafeBefore = true;
        if (info.codepoint == 0) c.missingGlyph = true;
        hb_glyph_extents_t extents{};
        if (withInk && hb_font_get_glyph_extents(font, info.codepoint, &extents)) {
            const float left = c.advance + static_cast<float>(positions[g].x_offset + extents.x_bearing);
            const float top = static_cast<float>(positions[g].y_offset + extents.y_bearing);
            addInk(c, left, top + static_cast<float>(extents.height), left + static_cast<float>(extents.width), top);
        }
        c.advance += static_cast<float>(positions[g].x_advance);
    }
}

// Shapes the text run by run into the clusters.
void shapeInto(std::string_view text, const std::vector<TextScalar>& scalars, hb_font_t* font, bool tabularFigures,
               bool withInk, std::vector<ShapedCluster>& clusters) {
    std::vector<bool> ownGlyph(clusters.size(), false);
    const hb_feature_t tabular{HB_TAG('t', 'n', 'u', 'm'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END};
    const auto length = static_cast<int>(text.size());
    textWorkOnThisThread().bytesShaped += text.size();
    for (const auto& run : scriptRuns(scalars, length)) {
        hb_buffer_t* buffer = hb_buffer_create();
        // The whole text is the run's context, so its ends shape as they do within the text.
        hb_buffer_add_utf8(buffer, text.data(), length, static_cast<unsigned>(run.from), run.to - run.from);
        hb_buffer_set_script(buffer, run.script);
        const hb_direction_t direction = hb_script_get_horizontal_direction(run.script);
        hb_buffer_set_direction(buffer, direction == HB_DIRECTION_INVALID ? HB_DIRECTION_LTR : direction);
        hb_buffer_set_language(buffer, hb_language_get_default());
        hb_shape(font, buffer, tabularFigures ? &tabular : nullptr, tabularFigures ? 1 : 0);
        layGlyphs(buffer, font, withInk, ownGlyph, clusters);
        hb_buffer_destroy(buffer);
    }
    // A cluster inside another's glyph (a ligature) cannot be cut apart from it.
    for (std::size_t i = 0; i < clusters.size(); ++i)
        if (!ownGlyph[i]) clusters[i].unsafeBefore = true;
}

float spaceAdvance(hb_font_t* font, double fallback) {
    hb_codepoint_t space = 0;
    if (font && hb_font_get_nominal_glyph(font, ' ', &space)) return static_cast<float>(hb_font_get_glyph_h_advance(font, space));
    return static_cast<float>(fallback);
}

}  // namespace

std::shared_ptr<const ShapedText> shapeText(std::string_view text, const FontFace& face, bool tabularFigures,
                                            bool withInk) {
    auto shaped = std::make_shared<ShapedText>();
    shaped->unitsPerEm = face.unitsPerEm();
    // Decoded once: the clusters and the script runs read the same scalars.
    const auto scalars = decodeText(text);
    const auto segments = segmentText(text, scalars);
    shaped->clusters.reserve(segments.size());
    for (const auto& segment : segments) shaped->clusters.push_back(ShapedCluster{.cluster = segment});

    hb_font_t* font = face.shaper();
    if (font && !segments.empty() && text.size() <= static_cast<std::size_t>(INT_MAX))
        shapeInto(text, scalars, font, tabularFigures, withInk, shaped->clusters);

    const auto em = static_cast<float>(face.unitsPerEm());
    const auto average = static_cast<float>(face.averageAdvance());
    const float space = spaceAdvance(font, face.averageAdvance());
    for (auto& c : shaped->clusters) {
        if (c.cluster.hardBreak) {
            c.advance = space;
            c.inkLeft = c.inkRight = 0;
        } else if (!font && c.cluster.invisible) {
            c.advance = 0;
        } else if (!font || c.missingGlyph) {
            // Drawn from another font by whoever draws it: its width class from ICU, ink
            // standing on the baseline up to the capitals.
            c.advance = c.cluster.wide ? em : average;
            c.inkLeft = c.inkRight = c.inkBottom = c.inkTop = 0;
            if (!c.cluster.hangs) addInk(c, 0, 0, c.advance, static_cast<float>(face.capHeight()));
        }
    }
    return shaped;
}

double TextRun::width(std::size_t from, std::size_t to) const {
    double sum = 0;
    for (std::size_t i = from; i < to && i < size(); ++i) sum += shaped_->clusters[i].advance;
    return sum * scale_;
}

Rect TextRun::ink(std::size_t from, std::size_t to) const {
    double x = 0, left = INFINITY, bottom = INFINITY, right = -INFINITY, top = -INFINITY;
    for (std::size_t i = from; i < to && i < size(); ++i) {
        const auto& c = shaped_->clusters[i];
        if (c.inkRight > c.inkLeft) {
            left = std::min(left, x + c.inkLeft);
            right = std::max(right, x + c.inkRight);
            bottom = std::min<double>(bottom, c.inkBottom);
            top = std::max<double>(top, c.inkTop);
        }
        x += c.advance;
    }
    if (!(right > left)) return Rect();
    return Rect(left * scale_, bottom * scale_, (right - left) * scale_, (top - bottom) * scale_);
}

std::size_t TextRun::offset(std::size_t i) const {
    if (i < size()) return shaped_->clusters[i].cluster.from;
    return size() == 0 ? 0 : shaped_->clusters.back().cluster.to;
}

}  // namespace tarnwick::platform::ui
