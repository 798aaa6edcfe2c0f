#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_recognition.h"

namespace tarnwick::testkit {

// What a scripted recogniser answers for one line: a text, a confidence, its box (normalised to
// the tile, origin bottom left) and the boxes of byte ranges (a missing range has no box).
struct ScriptedLine {
    std::string text;
    float confidence = 1.0f;
    Rect box;
    std::map<std::pair<std::size_t, std::size_t>, Rect> ranges;
};

// A recogniser whose answers come from a script of the tile's pixel rectangle (in its
// screenshot), and that records every tile it was given.
class ScriptedTextRecognition final : public platform::TextRecognition {
public:
    using Script = std::function<std::vector<ScriptedLine>(const Rect& tile)>;
    explicit ScriptedTextRecognition(Script script = {}) : script_(std::move(script)) {}

    platform::TextRecognitionResult perform(const platform::Screenshot& image,
                                            const platform::TextRecognitionRequest& request) override {
        const Rect tile(image.origin().x, image.origin().y, static_cast<double>(image.width()),
                        static_cast<double>(image.height()));
        tiles.push_back(tile);
        requests.push_back(request);
        if (onPerform) onPerform();
        platform::TextRecognitionResult result;
        if (error) {
            result.error = error;
            return result;
        }
        if (!script_) return result;
        for (auto& line : script_(tile)) {
            platform::RecognizedTextObservation observation;
            observation.boundingBox = line.box;
            observation.candidates.push_back(std::make_shared<Text>(std::move(line)));
            result.observations.push_back(std::move(observation));
        }
        return result;
    }

    std::vector<Rect> tiles;
    std::vector<platform::TextRecognitionRequest> requests;
    std::optional<std::string> error;
    std::function<void()> onPerform;

private:
    class Text final : public platform::RecognizedText {
    public:
        explicit Text(ScriptedLine line) : line_(std::move(line)) {}
        const std::string& string() const override { return line_.text; }
        float confidence() const override { return line_.confidence; }
        std::optional<Rect> boundingBox(std::size_t begin, std::size_t end) const override {
            auto it = line_.ranges.find({begin, end});
            if (it == line_.ranges.end()) return std::nullopt;
            return it->second;
        }

    private:
        ScriptedLine line_;
    };
    Script script_;
};

}  // namespace tarnwick::testkit
