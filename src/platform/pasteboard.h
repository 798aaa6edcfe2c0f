#pragma once

#include <optional>
#include <string>

namespace tarnwick::platform {

// The general pasteboard, as far as plain text goes: what was copied last.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;
    // The text on it; nothing when it holds none.
    virtual std::optional<std::string> string() = 0;
    // Clears it and puts the text on it.
    virtual void setString(std::string text) = 0;
};

}  // namespace tarnwick::platform
