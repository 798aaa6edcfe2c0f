#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::base64 {

// Standard Base64 with padding and without line breaks.
std::string encode(std::string_view bytes);
// Strict: only the standard alphabet, length a multiple of four, padding only at the end.
std::optional<std::string> decode(std::string_view text);

}  // namespace tarnwick::base64
