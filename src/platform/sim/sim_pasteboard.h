#pragma once

#include <optional>
#include <string>

#include "platform/pasteboard.h"

namespace tarnwick::sim {

// The session's pasteboard: one string at most. Tests read and set `contents` directly (what
// another application copied).
class SimPasteboard final : public platform::Pasteboard {
public:
    std::optional<std::string> string() override { return contents; }
    void setString(std::string text) override { contents = std::move(text); }

    std::optional<std::string> contents;
};

}  // namespace tarnwick::sim
