#pragma once

#include <string>

#include "support/geometry.h"

namespace tarnwick::sim {

struct PlacedGlass;

// A glass backdrop as the picture draws it at its frame (global points): opaque, since glass
// blurs what lies behind it; regular glass darker than clear, a frosted view as regular glass;
// its tint laid over it at the tint's own opacity. It carries its style (`data-style`) and tint
// (`data-tint`, as `screen` prints it).
std::string glassPicture(const PlacedGlass& glass, const Rect& frame);

}  // namespace tarnwick::sim
