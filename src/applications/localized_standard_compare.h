#pragma once

#include <string_view>

namespace tarnwick {

// The Finder-like order of names: letter case and the accents of Latin-1 letters do not decide,
// and runs of digits compare by their numeric value, so "App 2" comes before "App 10".
// Returns a negative number, 0 or a positive number. Names that differ only in case, accents or
// leading zeros compare as the same. Names are read as the text system reads them: each
// ill-formed piece of UTF-8 is one U+FFFD, so pieces that differ only in their bytes compare as
// the same and a stray byte is never taken for a letter.
int localizedStandardCompare(std::string_view a, std::string_view b);

}  // namespace tarnwick
