#include "overlays/rendered_label_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "overlays/rectangle_dictionary.h"
#include "platform/platform.h"
#include "support/error.h"
#include "support/text.h"

namespace tarnwick {

namespace {

constexpr double kEdgePixels = 4;
constexpr double kDuplicateOverlap = 0.75;

bool isBoundary(std::string_view text, std::size_t index) {
    const auto before = text::scalarBefore(text, index);
    const auto after = text::scalarAt(text, index);
    const bool wordBefore = before && text::isWordCharacter(*before);
    const bool wordAfter = after && text::isWordCharacter(*after);
    return wordBefore != wordAfter;
}

// The pixel crops of the regions: clipped to the frame, rounded outwards, clipped to the image.
std::vector<Rect> regionCrops(const std::vector<Rect>& regions, const Rect& frame, double width, double height) {
    std::vector<Rect> crops;
    const Rect image(0, 0, width, height);
    for (const Rect& region : regions) {
        if (!region.isFinite() || region.isEmpty()) continue;
        const Rect visible = region.intersection(frame);
        if (visible.isEmpty()) continue;
        const Rect pixels((visible.minX() - frame.minX()) * width / frame.width(),
                          (visible.minY() - frame.minY()) * height / frame.height(),
                          visible.width() * width / frame.width(), visible.height() * height / frame.height());
        const Rect crop = pixels.integral().intersection(image);
        if (!crop.isEmpty()) crops.push_back(crop);
    }
    return crops;
}

// Crops of one row that touch or overlap become one, so a caption split between two regions is
// read whole.
std::vector<Rect> coalesced(std::vector<Rect> crops) {
    std::stable_sort(crops.begin(), crops.end(), [](const Rect& a, const Rect& b) {
        return a.minX() != b.minX() ? a.minX() < b.minX() : a.minY() < b.minY();
    });
    std::vector<Rect> merged;
    for (const Rect& crop : crops) {
        if (!merged.empty()) {
            Rect& last = merged.back();
            if (crop.minY() == last.minY() && crop.maxY() == last.maxY() && crop.minX() <= last.maxX()) {
                last = last.united(crop);
                continue;
            }
        }
        merged.push_back(crop);
    }
    return merged;
}

// Keeps the larger of two readings of one caption from overlapping tiles, in the place of the
// first.
void add(std::vector<RenderedLabelReader::Label>& labels, RenderedLabelReader::Label label) {
    const double area = label.bounds.area();
    for (auto& existing : labels) {
        if (existing.text != label.text) continue;
        const double overlap = existing.bounds.intersection(label.bounds).area();
        if (!(overlap > kDuplicateOverlap * std::min(area, existing.bounds.area()))) continue;
        if (area > existing.bounds.area()) existing = std::move(label);
        return;
    }
    labels.push_back(std::move(label));
}

struct Tile {
    Rect pixels;
    bool innerLeft;   // its left edge lies inside the image
    bool innerRight;  // its right edge lies inside the image
};

void readObservation(const platform::RecognizedTextObservation& observation, const Tile& tile, Size imageSize,
                     const Rect& frame, std::vector<RenderedLabelReader::Label>& labels) {
    const auto candidates = observation.topCandidates(1);
    if (candidates.empty() || !candidates.front()) return;
    const platform::RecognizedText& candidate = *candidates.front();
    if (candidate.confidence() < RenderedLabelReader::minimumConfidence) return;
    const std::string& line = candidate.string();
    const double w = tile.pixels.width();
    for (const auto& [begin, end] : RenderedLabelReader::titleMatches(line)) {
        std::optional<Rect> box;
        if (begin == 0 && end == line.size())
            box = observation.boundingBox;
        else
            box = candidate.boundingBox(begin, end);
        if (!box || !box->isFinite() || box->isEmpty()) continue;
        if (tile.innerLeft && box->minX() * w <= kEdgePixels) continue;
        if (tile.innerRight && (1 - box->maxX()) * w <= kEdgePixels) continue;
        const Rect screen = RenderedLabelReader::displayBounds(*box, tile.pixels, imageSize, frame);
        if (!(screen.width() > 0) || !(screen.height() > 0) || !frame.contains(screen)) continue;
        add(labels, {line.substr(begin, end - begin), candidate.confidence(), screen});
    }
}

}  // namespace

Value RenderedLabelReader::Label::metadata() const {
    return Value(Dictionary{{"text", text}, {"confidence", confidence}, {"boundsCG", rectangleDictionary(bounds)}});
}

Rect RenderedLabelReader::displayBounds(const Rect& box, const Rect& crop, Size imageSize, const Rect& frame) {
    return Rect(frame.minX() + frame.width() * (crop.minX() + box.minX() * crop.width()) / imageSize.width,
                frame.minY() + frame.height() * (crop.minY() + (1 - box.maxY()) * crop.height()) / imageSize.height,
                box.width() * crop.width() * frame.width() / imageSize.width,
                box.height() * crop.height() * frame.height() / imageSize.height);
}

std::vector<std::pair<std::size_t, std::size_t>> RenderedLabelReader::titleMatches(std::string_view text) {
    constexpr std::string_view word = "Desktop ";
    std::vector<std::pair<std::size_t, std::size_t>> matches;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t at = text.find(word, from);
        if (at == std::string_view::npos) break;
        std::size_t end = at + word.size();
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        // Digits are word characters, so fewer of them can never end on a boundary either.
        if (end > at + word.size() && isBoundary(text, at) && isBoundary(text, end)) {
            matches.emplace_back(at, end);
            from = end;
        } else {
            from = at + 1;
        }
    }
    return matches;
}

RenderedLabelReader::Result RenderedLabelReader::read(const platform::Screenshot& image, const Rect& frame,
                                                      int tileWidth, const std::optional<std::vector<Rect>>& regions,
                                                      bool mergeAdjacentRegions,
                                                      const std::function<bool()>& isCancelled) {
    Result result;
    const double width = static_cast<double>(image.width()), height = static_cast<double>(image.height());
    if (!frame.isUsable() || !(width > 0) || !(height > 0)) return result;

    const std::int64_t tile = std::max(tileWidth, 1);
    const std::int64_t overlap = tileWidth <= 0 ? 0 : std::min(tileWidth / 4, 256);
    const std::int64_t stride = std::max<std::int64_t>(tile - overlap, 1);

    std::vector<Rect> crops;
    if (!regions) {
        crops.push_back(Rect(0, 0, width, height));
    } else {
        crops = regionCrops(*regions, frame, width, height);
        if (mergeAdjacentRegions) crops = coalesced(std::move(crops));
    }

    const auto cancelled = [&isCancelled] { return isCancelled && isCancelled(); };
    platform::TextRecognition& recognition = *platform::current().textRecognition;
    const platform::TextRecognitionRequest request{platform::TextRecognitionLevel::accurate, false};
    const Size imageSize{width, height};
    for (const Rect& crop : crops) {
        // Crops lie on whole pixels inside the image, so these conversions are exact.
        const auto left = static_cast<std::int64_t>(crop.minX()), right = static_cast<std::int64_t>(crop.maxX());
        for (std::int64_t x = left; x < right; x += stride) {
            if (cancelled()) throw CancellationError();
            const std::int64_t w = std::min(right - x, tile);
            const Tile piece{Rect(static_cast<double>(x), crop.minY(), static_cast<double>(w), crop.height()), x > 0,
                             static_cast<double>(x + w) < width};
            const auto cut = image.crop(piece.pixels);
            if (!cut) break;
            auto recognised = recognition.perform(*cut, request);
            if (recognised.error) throw Error(*recognised.error);
            if (cancelled()) throw CancellationError();
            ++result.tileCount;
            result.observationCount += static_cast<int>(recognised.observations.size());
            for (const auto& observation : recognised.observations)
                readObservation(observation, piece, imageSize, frame, result.labels);
            if (x + w == right) break;
        }
    }
    return result;
}

}  // namespace tarnwick
