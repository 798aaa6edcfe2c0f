#pragma once

#include <string>

namespace tarnwick {

// ISO 8601 in UTC, e.g. 2026-01-31T09:41:07Z (whole seconds, truncated).
std::string iso8601(double secondsSince1970);
// ISO 8601 in UTC with milliseconds, e.g. 2026-01-31T09:41:07.250Z.
std::string iso8601WithMilliseconds(double secondsSince1970);

}  // namespace tarnwick
