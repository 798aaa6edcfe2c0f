#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::digest {

// The 64-bit FNV-1a digest of the bytes as 16 lower-case hexadecimal digits. The same bytes give
// the same digest on every machine and in every run, so it may name things a later run looks for.
std::string fnv1aHex(std::string_view bytes);
inline constexpr std::size_t kFnv1aHexLength = 16;

}  // namespace tarnwick::digest
