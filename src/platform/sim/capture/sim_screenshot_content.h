#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/screenshot.h"
#include "support/geometry.h"

namespace tarnwick::sim {

// One character drawn in a simulated screenshot, with its box in the screenshot's pixels.
struct SimDrawnCharacter {
    std::string text;  // the character's UTF-8 bytes
    Rect box;
};

// One line of text (a caption, a decoy) as drawn, left to right.
struct SimDrawnLine {
    std::string text;
    std::vector<SimDrawnCharacter> characters;
};

// A simulated screenshot holds no pixels: only the text of the windows its filter included,
// placed where it would be drawn.
class SimScreenshotContent final : public platform::ScreenshotContent {
public:
    std::uint32_t displayID = 0;  // the display the screenshot was taken of
    std::vector<SimDrawnLine> lines;
};

}  // namespace tarnwick::sim
