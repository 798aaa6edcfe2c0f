#include "platform/locale.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace tarnwick::platform {

namespace {

struct Separators {
    std::string_view decimal;
    std::string_view grouping;
};

// The languages whose numbers do not follow English, with their separators.
struct LanguageSeparators {
    std::string_view language;
    Separators separators;
};

constexpr std::string_view kNarrowNoBreakSpace = "\u202F";
constexpr std::string_view kNoBreakSpace = "\u00A0";

constexpr std::array<LanguageSeparators, 17> kLanguages{{
    {"de", {",", "."}},  {"da", {",", "."}},  {"es", {",", "."}},  {"id", {",", "."}},
    {"it", {",", "."}},  {"nl", {",", "."}},  {"pt", {",", "."}},  {"tr", {",", "."}},
    {"el", {",", "."}},  {"fr", {",", kNarrowNoBreakSpace}},       {"cs", {",", kNoBreakSpace}},
    {"fi", {",", kNoBreakSpace}},  {"nb", {",", kNoBreakSpace}},   {"pl", {",", kNoBreakSpace}},
    {"ru", {",", kNoBreakSpace}},  {"sv", {",", kNoBreakSpace}},   {"uk", {",", kNoBreakSpace}},
}};

// Regions that write numbers differently from the rest of their language.
struct RegionSeparators {
    std::string_view identifier;
    Separators separators;
};

constexpr std::array<RegionSeparators, 3> kRegions{{
    {"de_CH", {".", "\u2019"}},
    {"pt_BR", {",", "."}},
    {"es_MX", {".", ","}},
}};

}  // namespace

Locale Locale::named(std::string_view identifier) {
    Locale locale;
    locale.identifier = std::string(identifier);
    std::string normalized(identifier);
    std::replace(normalized.begin(), normalized.end(), '-', '_');
    const std::string_view language = std::string_view(normalized).substr(0, normalized.find('_'));
    for (const auto& entry : kLanguages)
        if (entry.language == language) {
            locale.decimalSeparator = entry.separators.decimal;
            locale.groupingSeparator = entry.separators.grouping;
        }
    for (const auto& entry : kRegions)
        if (normalized.rfind(entry.identifier, 0) == 0) {
            locale.decimalSeparator = entry.separators.decimal;
            locale.groupingSeparator = entry.separators.grouping;
        }
    return locale;
}

std::string formatDecimal(double value, int fractionDigits, const Locale& locale) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "\u221E" : "-\u221E";
    const int digits = std::clamp(fractionDigits, 0, 15);
    // The C library rounds a tie to the even digit, as the platform's formatter does.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
    std::string plain(buffer);

    std::string sign;
    if (!plain.empty() && plain.front() == '-') {
        plain.erase(0, 1);
        // A value that rounds to zero carries no sign.
        if (plain.find_first_not_of("0.") != std::string::npos) sign = "-";
    }
    const std::size_t point = plain.find('.');
    const std::string whole = plain.substr(0, point);
    std::string result = sign;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) result += locale.groupingSeparator;
        result += whole[i];
    }
    if (point != std::string::npos) result += locale.decimalSeparator + plain.substr(point + 1);
    return result;
}

}  // namespace tarnwick::platform
