#pragma once

#include <string>
#include <string_view>

namespace tarnwick::platform {

// The user's locale as number formatting needs it: its identifier ("en_US", "de_DE") and the
// separators its numbers use.
struct Locale {
    std::string identifier = "en_US";
    std::string decimalSeparator = ".";
    std::string groupingSeparator = ",";

    // The separators of a locale identifier, from its language and region; unknown languages
    // write numbers as English does.
    static Locale named(std::string_view identifier);

    friend bool operator==(const Locale&, const Locale&) = default;
};

// A number in the locale's decimal style with exactly `fractionDigits` digits after the
// separator (rounded half to even), thousands grouped: 1234.5 with one digit is "1,234.5" in
// en_US and "1.234,5" in de_DE. Not-a-number and infinities read "NaN", "∞" and "-∞".
std::string formatDecimal(double value, int fractionDigits, const Locale& locale);

}  // namespace tarnwick::platform
