#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/ui/text_segmentation.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {

class FontFace;

// A grapheme cluster as shaped: its place in the text, its advance and the ink of its glyphs
// relative to where it starts on the baseline (y up), in the face's units (only when the text
// was shaped with its ink).
struct ShapedCluster {
    TextCluster cluster;
    float advance = 0;
    float inkLeft = 0, inkBottom = 0, inkRight = 0, inkTop = 0;  // no ink when left == right
    // Cutting the text just before this cluster changes how its neighbours shape (a kerning
    // pair, a ligature): a line that starts or ends here is measured shaped on its own.
    bool unsafeBefore = false;
    bool missingGlyph = false;  // the face has no glyph for it: measured by its width class
};

// A text shaped once in one face: every size and every line of it is measured from here.
struct ShapedText {
    std::vector<ShapedCluster> clusters;
    double unitsPerEm = 1;

    std::size_t memoryBytes() const { return sizeof(ShapedText) + clusters.capacity() * sizeof(ShapedCluster); }
};

// Shapes the text in the face with HarfBuzz (tabular figures when asked), over its grapheme
// clusters and break opportunities from ICU. A cluster the face lacks a glyph for is one em when
// it is wide, the face's average advance otherwise; a line break measures as a space.
// Reading the glyphs' outlines for their ink costs as much as shaping: only a caller that asks
// for the ink gets it.
std::shared_ptr<const ShapedText> shapeText(std::string_view text, const FontFace& face, bool tabularFigures,
                                            bool withInk = false);

// A shaped text at one font size: advances and ink in points.
class TextRun {
public:
    TextRun() = default;
    TextRun(std::shared_ptr<const ShapedText> shaped, double size)
        : shaped_(std::move(shaped)), scale_(shaped_ ? size / shaped_->unitsPerEm : 0) {}

    std::size_t size() const { return shaped_ ? shaped_->clusters.size() : 0; }
    const TextCluster& cluster(std::size_t i) const { return shaped_->clusters[i].cluster; }
    bool unsafeBefore(std::size_t i) const { return i < size() && shaped_->clusters[i].unsafeBefore; }
    bool missingGlyph(std::size_t i) const { return shaped_->clusters[i].missingGlyph; }
    double advance(std::size_t i) const { return shaped_->clusters[i].advance * scale_; }
    // The advances of clusters [from, to).
    double width(std::size_t from, std::size_t to) const;
    // The ink of clusters [from, to) set from x = 0 on the baseline; empty when nothing shows
    // (or when the text was shaped without its ink).
    Rect ink(std::size_t from, std::size_t to) const;
    // The byte offset where cluster i begins (the text's end for i == size()).
    std::size_t offset(std::size_t i) const;

private:
    std::shared_ptr<const ShapedText> shaped_;
    double scale_ = 0;
};

}  // namespace tarnwick::platform::ui
