#pragma once

#include <string_view>

namespace tarnwick {

// The Finder-like order of names: letter case and the accents of Latin-1 letters do not decide,
// and runs of digits compare by their numeric value, so "App 2" comes before "App 10".
// Returns a negative number, 0 or a positive number. Names that differ only in case, accents or
// leading zeros compare as the same.
int localizedStandardCompare(std::string_view a, std::string_view b);

}  // namespace tarnwick
