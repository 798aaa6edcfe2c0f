#include "platform/sim/capture/sim_text_recognition.h"

#include <algorithm>
#include <tuple>

#include "platform/sim/capture/sim_screenshot_content.h"
#include "platform/sim/simulated_session.h"
#include "support/text.h"

namespace tarnwick::sim {

namespace {

// What the recogniser makes of one line: its text, and each character's bytes and pixel box.
struct Reading {
    std::string drawn;  // the line as drawn, for faults keyed by text
    std::string text;
    std::vector<std::pair<std::size_t, std::size_t>> bytes;
    std::vector<Rect> boxes;

    Rect bounds() const {
        Rect united = Rect::null();
        for (const auto& box : boxes) united = united.united(box);
        return united;
    }
    void append(std::string_view character, const Rect& box) {
        bytes.emplace_back(text.size(), text.size() + character.size());
        text += character;
        boxes.push_back(box);
    }
};

class SimRecognizedText final : public platform::RecognizedText {
public:
    SimRecognizedText(std::string text, float confidence, std::vector<std::pair<std::size_t, std::size_t>> bytes,
                      std::vector<Rect> boxes)
        : text_(std::move(text)), confidence_(confidence), bytes_(std::move(bytes)), boxes_(std::move(boxes)) {}

    const std::string& string() const override { return text_; }
    float confidence() const override { return confidence_; }
    std::optional<Rect> boundingBox(std::size_t begin, std::size_t end) const override {
        if (begin >= end || end > text_.size()) return std::nullopt;
        Rect united = Rect::null();
        for (std::size_t i = 0; i < bytes_.size(); ++i)
            if (bytes_[i].first < end && bytes_[i].second > begin) united = united.united(boxes_[i]);
        if (united.isNull()) return std::nullopt;
        return united;
    }

private:
    std::string text_;
    float confidence_;
    std::vector<std::pair<std::size_t, std::size_t>> bytes_;
    std::vector<Rect> boxes_;  // normalised to the image, origin bottom left
};

// The run of characters of a line that lie wholly inside the image.
std::optional<Reading> read(const SimDrawnLine& line, const Rect& image) {
    Reading reading;
    reading.drawn = line.text;
    bool started = false;
    for (const auto& character : line.characters) {
        if (image.contains(character.box)) {
            reading.append(character.text, character.box);
            started = true;
        } else if (started) {
            break;
        }
    }
    if (!started) return std::nullopt;
    return reading;
}

// Two captions read as one line, with the gap between them read as a blank.
void join(std::vector<Reading>& readings, const std::string& first, const std::string& second) {
    auto whole = [](const std::string& text) {
        return [&text](const Reading& r) { return r.drawn == text && r.text == text; };
    };
    auto a = std::find_if(readings.begin(), readings.end(), whole(first));
    auto b = std::find_if(readings.begin(), readings.end(), whole(second));
    if (a == readings.end() || b == readings.end() || a == b) return;
    Reading joined = *a;
    const Rect left = a->bounds(), right = b->bounds();
    joined.append(" ", Rect(left.maxX(), left.minY(), std::max(0.0, right.minX() - left.maxX()), left.height()));
    for (std::size_t i = 0; i < b->boxes.size(); ++i)
        joined.append(std::string_view(b->text).substr(b->bytes[i].first, b->bytes[i].second - b->bytes[i].first),
                      b->boxes[i]);
    *a = std::move(joined);
    readings.erase(std::find_if(readings.begin(), readings.end(), whole(second)));
}

// A whole line read as another text: the characters share the line's box evenly.
void misread(Reading& reading, const std::string& as) {
    const Rect bounds = reading.bounds();
    const auto characters = text::scalars(as);
    Reading replaced;
    replaced.drawn = reading.drawn;
    const double width = characters.empty() ? 0 : bounds.width() / static_cast<double>(characters.size());
    for (std::size_t i = 0; i < characters.size(); ++i)
        replaced.append(characters[i],
                        Rect(bounds.minX() + width * static_cast<double>(i), bounds.minY(), width, bounds.height()));
    reading = std::move(replaced);
}

// A pixel box in the image, normalised to it with the origin at the bottom left.
Rect normalised(const Rect& box, const Rect& image) {
    return Rect((box.minX() - image.minX()) / image.width(), 1 - (box.maxY() - image.minY()) / image.height(),
                box.width() / image.width(), box.height() / image.height());
}

}  // namespace

platform::TextRecognitionResult SimTextRecognition::perform(const platform::Screenshot& image,
                                                            const platform::TextRecognitionRequest& request) {
    const Rect pixels(image.origin().x, image.origin().y, static_cast<double>(image.width()),
                      static_cast<double>(image.height()));
    SimRecognitionFaults faults;
    std::size_t record = 0;
    {
        auto guard = session_.lock();
        auto& state = session_.capture;
        faults = state.recognition;
        record = state.recognitions.total();
        state.recognitions.push_back({pixels, request, 0});
        state.mostRecognitionsInFlight = std::max(state.mostRecognitionsInFlight, ++state.recognitionsInFlight);
    }
    // Recognition takes its time on the calling thread, outside the session's lock.
    if (faults.latency > 0) session_.clock().block(faults.latency);

    platform::TextRecognitionResult result;
    const auto* content = dynamic_cast<const SimScreenshotContent*>(image.content().get());
    const auto displayError =
        content ? faults.errorByDisplay.find(content->displayID) : faults.errorByDisplay.end();
    if (faults.error) {
        result.error = faults.error;
    } else if (displayError != faults.errorByDisplay.end()) {
        result.error = displayError->second;
    } else if (content && pixels.isUsable()) {
        std::vector<Reading> readings;
        for (const auto& line : content->lines)
            if (auto reading = read(line, pixels)) readings.push_back(std::move(*reading));
        for (const auto& [first, second] : faults.joined) join(readings, first, second);
        for (auto& reading : readings)
            if (auto it = faults.misreads.find(reading.text); it != faults.misreads.end()) misread(reading, it->second);
        std::stable_sort(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
            const Rect ra = a.bounds(), rb = b.bounds();
            return std::tie(ra.origin.y, ra.origin.x) < std::tie(rb.origin.y, rb.origin.x);
        });
        for (auto& reading : readings) {
            float confidence = faults.confidence;
            if (auto it = faults.confidenceByText.find(reading.drawn); it != faults.confidenceByText.end())
                confidence = it->second;
            std::vector<Rect> boxes;
            for (const auto& box : reading.boxes) boxes.push_back(normalised(box, pixels));
            platform::RecognizedTextObservation observation;
            observation.boundingBox = normalised(reading.bounds(), pixels);
            observation.candidates.push_back(std::make_shared<SimRecognizedText>(
                std::move(reading.text), confidence, std::move(reading.bytes), std::move(boxes)));
            result.observations.push_back(std::move(observation));
        }
    }

    auto guard = session_.lock();
    auto& state = session_.capture;
    --state.recognitionsInFlight;
    if (auto* entry = state.recognitions.entry(record)) entry->observations = result.observations.size();
    return result;
}

}  // namespace tarnwick::sim
