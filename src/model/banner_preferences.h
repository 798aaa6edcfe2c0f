#pragma once

#include "platform/user_defaults.h"

namespace tarnwick {

// The banner's scale factor alone, under the same key the preferences store uses.
class BannerPreferences {
public:
    static constexpr const char* scaleKey = "spaceBannerScale";

    // The standard user defaults of the installed platform.
    BannerPreferences();
    explicit BannerPreferences(platform::UserDefaults& defaults);

    // The stored scale when it converts to a number, else the default, always within the limits.
    double scale() const;
    // Stores the scale limited to what the banner accepts.
    void setScale(double scale);

private:
    platform::UserDefaults* defaults_;
};

}  // namespace tarnwick
