#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "support/geometry.h"

namespace tarnwick::platform {

// An image handed out by the platform (an app icon or a system symbol), or an empty image made
// by the system itself. Images are values; two handles to one image compare equal.
struct Image {
    std::uint64_t id = 0;                  // which image; 0 for an empty image
    std::string source;                    // what it depicts: a file path, or the symbol's name
    Size size;                             // in points
    bool isValid = false;                  // the image can be drawn
    std::string accessibilityDescription;  // spoken for the image

    // An empty image of the given size in points.
    static Image empty(Size size) { return Image{0, {}, size, true, {}}; }

    friend bool operator==(const Image&, const Image&) = default;
};

// Files on disk as the icon lookup needs them, the workspace's icons and the system's symbols.
class Icons {
public:
    virtual ~Icons() = default;
    // Whether a readable file or folder exists at the path.
    virtual bool isReadableFile(const std::string& path) = 0;
    // Whether a bundle can be made from the folder at the path.
    virtual bool isBundle(const std::string& path) = 0;
    // The workspace's icon for the file at the path; it may be an invalid image.
    virtual Image iconForFile(const std::string& path) = 0;
    // A system symbol image by name with an accessibility description; nothing when the system
    // has no such symbol.
    virtual std::optional<Image> systemSymbolImage(const std::string& name, const std::string& accessibilityDescription) = 0;
};

}  // namespace tarnwick::platform
