#pragma once

#include <optional>

#include "platform/icons.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

enum class ImageScaling { proportionallyDown, axesIndependently, none, proportionallyUpOrDown };

// A view that shows one image.
class ImageView : public View {
public:
    using View::View;
    std::optional<Image> image;
    ImageScaling imageScaling = ImageScaling::proportionallyDown;
};

}  // namespace tarnwick::platform::ui
