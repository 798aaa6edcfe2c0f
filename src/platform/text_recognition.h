#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/screenshot.h"
#include "support/geometry.h"

namespace tarnwick::platform {

enum class TextRecognitionLevel { fast, accurate };

struct TextRecognitionRequest {
    TextRecognitionLevel recognitionLevel = TextRecognitionLevel::accurate;
    bool usesLanguageCorrection = true;
};

// One reading of a line of text. Boxes are normalised to the recognised image (0...1), origin at
// the bottom left.
class RecognizedText {
public:
    virtual ~RecognizedText() = default;
    virtual const std::string& string() const = 0;
    virtual float confidence() const = 0;
    // The box of the UTF-8 bytes [begin, end) of string(); nothing when the lookup fails.
    virtual std::optional<Rect> boundingBox(std::size_t begin, std::size_t end) const = 0;
};

// One line of text found in an image, with its readings, best first.
struct RecognizedTextObservation {
    Rect boundingBox;
    std::vector<std::shared_ptr<const RecognizedText>> candidates;

    std::vector<std::shared_ptr<const RecognizedText>> topCandidates(std::size_t count) const {
        return {candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(std::min(count, candidates.size()))};
    }
};

struct TextRecognitionResult {
    std::vector<RecognizedTextObservation> observations;
    std::optional<std::string> error;  // set: the request failed with this description
};

// Text recognition on one image. Synchronous: it takes its time on the calling thread.
class TextRecognition {
public:
    virtual ~TextRecognition() = default;
    virtual TextRecognitionResult perform(const Screenshot& image, const TextRecognitionRequest& request) = 0;
};

}  // namespace tarnwick::platform
