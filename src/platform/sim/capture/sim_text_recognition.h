#pragma once

#include "platform/text_recognition.h"

namespace tarnwick::sim {

class SimulatedSession;

// Reads the text of a simulated screenshot: one observation per drawn line with at least one
// character wholly inside the image, its string the run of wholly visible characters (so a
// caption cut by the image's edge reads short), its box the union of their boxes, in reading
// order. The session's recognition faults apply: an error, confidences, misreads and joined lines.
class SimTextRecognition final : public platform::TextRecognition {
public:
    explicit SimTextRecognition(SimulatedSession& session) : session_(session) {}
    platform::TextRecognitionResult perform(const platform::Screenshot& image,
                                            const platform::TextRecognitionRequest& request) override;

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
