#include "app/settings_primary_button_style.h"

#include <utility>

namespace tarnwick {

namespace ui = platform::ui;

const ui::Color& SettingsPrimaryButtonStyle::accent() {
    static const ui::Color color = ui::Color::named("controlAccentColor");
    return color;
}

const ui::Color& SettingsPrimaryButtonStyle::activeTextColor() {
    static const ui::Color color = ui::Color::named("alternateSelectedControlTextColor");
    return color;
}

const ui::Color& SettingsPrimaryButtonStyle::inactiveFill() {
    static const ui::Color color = ui::Color::named("unemphasizedSelectedContentBackgroundColor");
    return color;
}

ui::Node SettingsPrimaryButtonStyle::makeBody(ui::ButtonStyleConfiguration configuration) const {
    const bool active = configuration.appearsActive;
    auto capsule = ui::shape(ui::ShapeKind::capsule, 0, ui::CornerCurve::continuous, active ? accent() : inactiveFill());
    return std::move(configuration.label)
        .font(ui::TextStyle::callout)
        .fontWeight(ui::font_weight::kSemibold)
        .foreground(active ? activeTextColor() : ui::Color::label())
        .padding(ui::EdgeInsets{kVerticalPadding, kHorizontalPadding, kVerticalPadding, kHorizontalPadding})
        .background(std::move(capsule))
        .contentShape()
        .opacity(configuration.isPressed ? kPressedOpacity : 1)
        .opacity(configuration.isEnabled ? 1 : kDisabledOpacity);
}

}  // namespace tarnwick
