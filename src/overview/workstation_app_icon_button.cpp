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
    auto label = ui::vstack(ui::HorizontalAlignment::center, 0, ui::nodes(std::move(icon)))
                     .padding(kInset)
                     .frame(frame, frame)
                     .contentShape();
    return ui::button(std::move(label), action, ui::ButtonStyle::plain)
        .focusEffectDisabled()
        .onHover([hovering](bool inside) { hovering.set(inside); })
        .onDisappear([hovering] { hovering.set(false); })
        .animation(animation, hovering.get())
        .animation(animation, keyboardSelected);
}

}  // namespace tarnwick
