#pragma once

#include <memory>

#include "platform/ui/panel.h"
#include "platform/ui/view.h"

namespace tarnwick {

// Dresses a titled window of ours in glass: content under a transparent title bar, a clear,
// non-opaque window, and a glass view with rounded corners holding the content.
void dressInGlass(platform::ui::Panel& window, std::shared_ptr<platform::ui::View> content, double cornerRadius);

}  // namespace tarnwick
