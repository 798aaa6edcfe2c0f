// The Banner page: the banner's size, duration, position, apps and glass, its reset and preview.

#include <cmath>
#include <utility>

#include "app/settings_page_parts.h"
#include "app/tarnwick_settings_view.h"

namespace tarnwick {

namespace ui = platform::ui;
using ui::Node;
using namespace settings_parts;

namespace {

long long percent(double scale) {
    const double rounded = std::round(scale * 100);
    return std::isfinite(rounded) ? static_cast<long long>(rounded) : 100;
}

}  // namespace

std::string TarnwickSettingsView::bannerScaleReadout(double scale) { return std::to_string(percent(scale)) + "%"; }

std::string TarnwickSettingsView::bannerScaleAccessibilityValue(double scale) {
    return std::to_string(percent(scale)) + " percent";
}

std::string TarnwickSettingsView::bannerDurationLabel(double seconds, const platform::Locale& locale) {
    return "Show for " + platform::formatDecimal(seconds, 1, locale) + " seconds";
}

void TarnwickSettingsView::resetAppearance(AppPreferences& p) {
    p.bannerScale = BannerSize::defaultScale;
    p.bannerDuration = AppPreferences::defaultBannerDuration;
    p.bannerShowsApplications = true;
    p.bannerPosition = BannerPosition::bottom;
    p.glassStyle = BannerGlassStyle::regular;
    p.tintEnabled = false;
    p.tint = GlassTint::defaultColor;
}

ui::ColorInSpace TarnwickSettingsView::tintColor(const GlassTint& tint) {
    return ui::ColorInSpace::sRGB(tint.red, tint.green, tint.blue, 1);
}

std::optional<GlassTint> TarnwickSettingsView::tintFrom(const ui::ColorInSpace& color) {
    const auto converted = color.convertedToSRGB();
    if (!converted) return std::nullopt;
    return GlassTint{converted->red, converted->green, converted->blue};
}

Binding<ui::ColorInSpace> TarnwickSettingsView::tint() {
    return Binding<ui::ColorInSpace>{[this] { return tintColor(model_.preferences->tint); },
                                     [this](const ui::ColorInSpace& color) {
                                         // A colour that has no sRGB form is ignored.
                                         const auto tint = tintFrom(color);
                                         if (!tint) return;
                                         model_.update([&](AppPreferences& p) { p.tint = *tint; });
                                     }};
}

Node TarnwickSettingsView::banner(const ui::Environment& environment) {
    const AppPreferences& p = model_.preferences.get();

    auto size = ui::hstack(
        ui::VerticalAlignment::center, kRowSpacing,
        ui::nodes(width(ui::text("Size"), 90, ui::HorizontalAlignment::leading),
                  ui::slider(model_.binding(&AppPreferences::bannerScale), BannerSize::range.lowerBound,
                             BannerSize::range.upperBound, 0.05)
                      .accessibilityLabel("Banner size")
                      .accessibilityValue(bannerScaleAccessibilityValue(p.bannerScale)),
                  width(ui::text(bannerScaleReadout(p.bannerScale)).monospacedDigit(), 48, ui::HorizontalAlignment::trailing)));
    auto duration = ui::stepper(ui::text(bannerDurationLabel(p.bannerDuration, environment.locale)),
                                model_.binding(&AppPreferences::bannerDuration),
                                AppPreferences::bannerDurationRange.lowerBound,
                                AppPreferences::bannerDurationRange.upperBound, 0.5);
    auto position = ui::picker("Position", model_.binding(&AppPreferences::bannerPosition),
                               {BannerPosition::bottom, BannerPosition::top},
                               ui::nodes(ui::text("Bottom center"), ui::text("Top center")), ui::PickerStyle::menu);
    auto desktopBanner =
        section("Desktop banner",
                ui::nodes(std::move(size), std::move(duration), std::move(position),
                          ui::toggle("Show app icons", model_.binding(&AppPreferences::bannerShowsApplications))));

    auto style = ui::picker("Style", model_.binding(&AppPreferences::glassStyle),
                            {BannerGlassStyle::regular, BannerGlassStyle::clear},
                            ui::nodes(ui::text("Regular"), ui::text("Clear")), ui::PickerStyle::segmented);
    // The well keeps the stored tint while tinting is off; it only cannot be changed then.
    auto tintRow = ui::hstack(ui::VerticalAlignment::center, kRowSpacing,
                              ui::nodes(ui::toggle("Tint glass", model_.binding(&AppPreferences::tintEnabled)),
                                        ui::colorWell("Tint color", tint(), ui::ColorWellOptions{false, true})
                                            .accessibilityIdentifier(kTintWellIdentifier)
                                            .disabled(!p.tintEnabled)));
    auto glass = section("Liquid Glass", ui::nodes(std::move(style), std::move(tintRow),
                                                   caption("Mission Control captions use their own appearance.")));

    auto actions = ui::hstack(
        ui::VerticalAlignment::center, kRowSpacing,
        ui::nodes(nativeButton("Reset appearance", [this] { model_.update(resetAppearance); }), ui::spacer(),
                  nativeButton("Preview", hook(&SettingsModel::previewRequested)).disabled(p.paused || !p.showsBanners())));

    return ui::form(ui::nodes(std::move(desktopBanner), std::move(glass), std::move(actions)), ui::FormStyle::grouped);
}

}  // namespace tarnwick
