#include "overview/workstation_app_icon_button.h"

namespace tarnwick {

namespace ui = platform::ui;

ui::Node WorkstationAppIconButton::body(ui::ViewContext& context) const {
    auto hovering = context.state<bool>(false);
    const bool reduceMotion = context.environment().reduceMotion;
    const auto animation = reduceMotion ? std::nullopt : std::optional(ui::Animation::easeOut(kAnimationDuration));
    const double frame = frameSize(iconSize);
    auto icon = ui::image(image, true, ui::ImageInterpolation::high)
                    .frame(iconSize, iconSize)
                    .scaleEffect(scale(keyboardSelected, hovering.get(), reduceMotion));
    // The inset and the square are the button's own, so its whole square takes clicks.
    return ui::button(std::move(icon), action, ui::ButtonStyle::plain)
        .padding(kInset)
        .frame(frame, frame)
        .contentShape()
        .focusEffectDisabled()
        .onHover([hovering](bool inside) { hovering.set(inside); })
        .onDisappear([hovering] { hovering.set(false); })
        .animation(animation, hovering.get())
        .animation(animation, keyboardSelected);
}

}  // namespace tarnwick
