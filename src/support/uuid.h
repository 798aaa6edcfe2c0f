#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::uuid {

using Bytes = std::array<std::uint8_t, 16>;

// Parses exactly 8-4-4-4-12 hexadecimal digits, either case; no braces, no URN prefix.
std::optional<Bytes> parse(std::string_view text);
// The standard upper-case form with hyphens.
std::string format(const Bytes& bytes);
// The canonical (upper-case) form of a string that parses as a UUID.
std::optional<std::string> canonical(std::string_view text);
// A new random (version 4) UUID in upper-case form.
std::string random();

}  // namespace tarnwick::uuid
