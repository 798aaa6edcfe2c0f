#include "support/time_format.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace tarnwick {

namespace {
std::string format(double seconds, bool milliseconds) {
    if (!std::isfinite(seconds)) seconds = 0;
    double whole = std::floor(seconds);
    auto millis = static_cast<int>(std::floor((seconds - whole) * 1000.0 + 1e-6));
    if (millis > 999) millis = 999;
    std::time_t t = static_cast<std::time_t>(whole);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char buffer[96];
    if (milliseconds)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900,
                      parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, millis);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900,
                      parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return buffer;
}
}  // namespace

std::string iso8601(double secondsSince1970) { return format(secondsSince1970, false); }
std::string iso8601WithMilliseconds(double secondsSince1970) { return format(secondsSince1970, true); }

}  // namespace tarnwick
