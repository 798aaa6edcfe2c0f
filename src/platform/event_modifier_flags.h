#pragma once

#include <cstdint>

namespace tarnwick::platform {

// The modifier flags of an application key event. The low 16 bits are device dependent.
using ModifierFlags = std::uint64_t;

namespace modifier_flags {
inline constexpr ModifierFlags kCapsLock = 1ull << 16;
inline constexpr ModifierFlags kShift = 1ull << 17;
inline constexpr ModifierFlags kControl = 1ull << 18;
inline constexpr ModifierFlags kOption = 1ull << 19;
inline constexpr ModifierFlags kCommand = 1ull << 20;
inline constexpr ModifierFlags kNumericPad = 1ull << 21;
inline constexpr ModifierFlags kHelp = 1ull << 22;
inline constexpr ModifierFlags kFunction = 1ull << 23;
}  // namespace modifier_flags

}  // namespace tarnwick::platform
