#include "model/banner_preferences.h"

#include "model/preference_limits.h"
#include "platform/platform.h"

namespace tarnwick {

BannerPreferences::BannerPreferences() : BannerPreferences(*platform::current().userDefaults) {}

BannerPreferences::BannerPreferences(platform::UserDefaults& defaults) : defaults_(&defaults) {}

double BannerPreferences::scale() const {
    double scale = BannerSize::defaultScale;
    if (auto stored = defaults_->object(scaleKey))
        if (auto number = stored->toDouble()) scale = *number;
    return BannerSize::clamped(scale);
}

void BannerPreferences::setScale(double scale) { defaults_->set(scaleKey, Value(BannerSize::clamped(scale))); }

}  // namespace tarnwick
