#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/screenshot.h"
#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// Turns one screenshot of Mission Control's Spaces Bar into the exact screen rectangles of the
// native "Desktop N" captions: it cuts the caption regions (or the whole image) into overlapping
// tiles, recognises each tile, keeps only confident caption text, drops boxes cut by an inner tile
// edge, converts the boxes back to screen points and removes the repeats that overlapping tiles
// give. Synchronous, without state between reads.
struct RenderedLabelReader {
    struct Label {
        std::string text;  // the matched caption only, as recognised
        float confidence = 0;
        Rect bounds;  // global points, origin at the top left of the main display, y down

        // "text", "confidence", "boundsCG".
        Value metadata() const;
    };

    struct Result {
        std::vector<Label> labels;  // in the order first found; a replacement keeps its place
        int observationCount = 0;   // text observations over every tile
        int tileCount = 0;          // tiles recognised
    };

    static constexpr int defaultTileWidth = 2048;
    static constexpr float minimumConfidence = 0.95f;

    // `frame` is the screen rectangle the whole image shows; `regions` (screen points) nothing
    // for the whole image. Throws an Error with the recogniser's description when a recognition
    // fails, and CancellationError when `isCancelled` answers true before a tile or after a
    // recognition. An unusable frame gives an empty result.
    static Result read(const platform::Screenshot& image, const Rect& frame, int tileWidth = defaultTileWidth,
                       const std::optional<std::vector<Rect>>& regions = std::nullopt, bool mergeAdjacentRegions = true,
                       const std::function<bool()>& isCancelled = {});

    // A recognised box (normalised to the tile `crop`, origin at the bottom left) in screen points.
    static Rect displayBounds(const Rect& box, const Rect& crop, Size imageSize, const Rect& frame);

    // Every match of the caption pattern: a word boundary, "Desktop", one blank, ASCII digits, a
    // word boundary. Letters and digits of any script and the underscore are word characters.
    // Byte ranges into the UTF-8 text.
    static std::vector<std::pair<std::size_t, std::size_t>> titleMatches(std::string_view text);
};

}  // namespace tarnwick
