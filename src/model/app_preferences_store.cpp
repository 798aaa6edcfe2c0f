#include "model/app_preferences_store.h"

#include <string>

#include "model/banner_preferences.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

namespace key {
constexpr const char* labelsEnabled = "labelsEnabled";
constexpr const char* missionControlApplicationsEnabled = "missionControlApplicationsEnabled";
constexpr const char* bannersEnabled = "bannersEnabled";
constexpr const char* missionControlBannerEnabled = "missionControlBannerEnabled";
constexpr const char* missionControlBannerOnAllMonitors = "missionControlBannerOnAllMonitors";
constexpr const char* paused = "overlaysPaused";
constexpr const char* hoverPreviewEnabled = "hoverPreviewEnabled";
constexpr const char* applicationIconSize = "applicationIconSize";
constexpr const char* overviewIconSize = "overviewIconSize";
constexpr const char* missionControlIconSize = "missionControlIconSize";
constexpr const char* missionControlApplicationPosition = "missionControlApplicationPosition";
constexpr const char* bannerDuration = "bannerDuration";
constexpr const char* bannerShowsApplications = "bannerShowsApplications";
constexpr const char* bannerPosition = "bannerPosition";
constexpr const char* glassStyle = "bannerGlassStyle";
constexpr const char* tintEnabled = "bannerTintEnabled";
constexpr const char* tint = "bannerTintRGB";
}  // namespace key

class Reader {
public:
    explicit Reader(platform::UserDefaults& defaults) : defaults_(defaults) {}

    bool boolean(const char* name, bool fallback) const {
        auto stored = defaults_.object(name);
        if (!stored) return fallback;
        return stored->toBool().value_or(fallback);
    }

    double number(const char* name, double fallback) const {
        auto stored = defaults_.object(name);
        if (!stored) return fallback;
        return stored->toDouble().value_or(fallback);
    }

    // An unrecognised or missing string gives the fallback case.
    template <typename E>
    E choice(const char* name, E fallback) const {
        return fromRawValue<E>(defaults_.string(name).value_or(std::string())).value_or(fallback);
    }

    GlassTint tint() const {
        auto stored = defaults_.array(key::tint);
        if (!stored || stored->size() != 3) return GlassTint::defaultColor;
        auto red = (*stored)[0].toDouble();
        auto green = (*stored)[1].toDouble();
        auto blue = (*stored)[2].toDouble();
        if (!red || !green || !blue) return GlassTint::defaultColor;
        return GlassTint{*red, *green, *blue};
    }

private:
    platform::UserDefaults& defaults_;
};

// The form in which a value is stored: one object per key.
Dictionary persistedForm(const AppPreferences& p) {
    Dictionary form;
    form[key::labelsEnabled] = p.labelsEnabled;
    form[key::missionControlApplicationsEnabled] = p.missionControlApplicationsEnabled;
    form[key::bannersEnabled] = p.bannersEnabled;
    form[key::missionControlBannerEnabled] = p.missionControlBannerEnabled;
    form[key::missionControlBannerOnAllMonitors] = p.missionControlBannerOnAllMonitors;
    form[key::paused] = p.paused;
    form[key::hoverPreviewEnabled] = p.hoverPreviewEnabled;
    form[key::applicationIconSize] = p.applicationIconSize;
    form[key::overviewIconSize] = p.overviewIconSize;
    form[key::missionControlIconSize] = p.missionControlIconSize;
    form[key::missionControlApplicationPosition] = rawValue(p.missionControlApplicationPosition);
    form[BannerPreferences::scaleKey] = p.bannerScale;
    form[key::bannerDuration] = p.bannerDuration;
    form[key::bannerShowsApplications] = p.bannerShowsApplications;
    form[key::bannerPosition] = rawValue(p.bannerPosition);
    form[key::glassStyle] = rawValue(p.glassStyle);
    form[key::tintEnabled] = p.tintEnabled;
    form[key::tint] = Array{p.tint.red, p.tint.green, p.tint.blue};
    return form;
}

}  // namespace

AppPreferencesStore::AppPreferencesStore() : AppPreferencesStore(*platform::current().userDefaults) {}

AppPreferencesStore::AppPreferencesStore(platform::UserDefaults& defaults) : defaults_(&defaults) {}

AppPreferences AppPreferencesStore::value() const {
    const AppPreferences fallback;
    const Reader read(*defaults_);
    AppPreferences p;
    p.labelsEnabled = read.boolean(key::labelsEnabled, fallback.labelsEnabled);
    p.missionControlApplicationsEnabled =
        read.boolean(key::missionControlApplicationsEnabled, fallback.missionControlApplicationsEnabled);
    p.bannersEnabled = read.boolean(key::bannersEnabled, fallback.bannersEnabled);
    p.missionControlBannerEnabled = read.boolean(key::missionControlBannerEnabled, fallback.missionControlBannerEnabled);
    p.missionControlBannerOnAllMonitors =
        read.boolean(key::missionControlBannerOnAllMonitors, fallback.missionControlBannerOnAllMonitors);
    p.paused = read.boolean(key::paused, fallback.paused);
    p.hoverPreviewEnabled = read.boolean(key::hoverPreviewEnabled, fallback.hoverPreviewEnabled);
    p.applicationIconSize = read.number(key::applicationIconSize, fallback.applicationIconSize);
    p.overviewIconSize = read.number(key::overviewIconSize, fallback.overviewIconSize);
    p.missionControlIconSize = read.number(key::missionControlIconSize, fallback.missionControlIconSize);
    p.missionControlApplicationPosition =
        read.choice(key::missionControlApplicationPosition, fallback.missionControlApplicationPosition);
    p.bannerScale = BannerPreferences(*defaults_).scale();
    p.bannerDuration = read.number(key::bannerDuration, fallback.bannerDuration);
    p.bannerShowsApplications = read.boolean(key::bannerShowsApplications, fallback.bannerShowsApplications);
    p.bannerPosition = read.choice(key::bannerPosition, fallback.bannerPosition);
    p.glassStyle = read.choice(key::glassStyle, fallback.glassStyle);
    p.tintEnabled = read.boolean(key::tintEnabled, fallback.tintEnabled);
    p.tint = read.tint();
    return p.normalized();
}

std::optional<std::string> AppPreferencesStore::unreadableWarning() const {
    const auto unreadable = defaults_->unreadable();
    if (!unreadable) return std::nullopt;
    return "The preferences file \u201C" + unreadable->file.string() + "\u201D could not be read: " +
           unreadable->reason +
           ". Changes to the settings are kept only until Tarnwick quits, and the file is left as it is.";
}

void AppPreferencesStore::save(const AppPreferences& newValue, const std::optional<AppPreferences>& replacing) {
    const Dictionary next = persistedForm(newValue.normalized());
    std::optional<Dictionary> previous;
    if (replacing) previous = persistedForm(replacing->normalized());

    for (const auto& [name, object] : next) {
        if (previous && isEqualObject(previous->at(name), object)) continue;
        if (auto stored = defaults_->object(name); stored && isEqualObject(*stored, object)) continue;
        defaults_->set(name, object);
    }
}

}  // namespace tarnwick
