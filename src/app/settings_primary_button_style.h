#pragma once

#include "platform/ui/declarative/nodes.h"

namespace tarnwick {

// The capsule look of the prominent buttons of every settings page: filled with the accent
// while the window is active, with a quieter fill otherwise, dimmed while pressed and when
// disabled.
class SettingsPrimaryButtonStyle final : public platform::ui::CustomButtonStyle {
public:
    platform::ui::Node makeBody(platform::ui::ButtonStyleConfiguration configuration) const override;

    // The system's control accent colour, made once on first use; the settings view tints with it.
    static const platform::ui::Color& accent();
    static const platform::ui::Color& activeTextColor();
    static const platform::ui::Color& inactiveFill();

    static constexpr double kHorizontalPadding = 14;
    static constexpr double kVerticalPadding = 6;
    static constexpr double kPressedOpacity = 0.85;
    static constexpr double kDisabledOpacity = 0.5;
};

}  // namespace tarnwick
