#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "support/geometry.h"

namespace tarnwick::platform {

// What a backend put into a screenshot. Opaque above the platform layer: the system reads a
// screenshot's size and cuts it, and hands the pieces to text recognition, nothing else.
class ScreenshotContent {
public:
    virtual ~ScreenshotContent() = default;
};

// A captured image: its pixel size, and pieces cut out of it.
class Screenshot {
public:
    Screenshot(std::int64_t width, std::int64_t height, std::shared_ptr<const ScreenshotContent> content = nullptr)
        : width_(width), height_(height), content_(std::move(content)) {}

    std::int64_t width() const { return width_; }
    std::int64_t height() const { return height_; }

    // The piece under a pixel rectangle (rows run downwards): the rectangle rounded outwards to
    // whole pixels and clipped to the image; nothing when that leaves no pixel.
    std::optional<Screenshot> crop(const Rect& pixels) const;

    // For backends: where this image lies in the screenshot it was cut from (pixels), and what
    // the screenshot holds.
    Point origin() const { return origin_; }
    const std::shared_ptr<const ScreenshotContent>& content() const { return content_; }

private:
    std::int64_t width_;
    std::int64_t height_;
    std::shared_ptr<const ScreenshotContent> content_;
    Point origin_;
};

}  // namespace tarnwick::platform
