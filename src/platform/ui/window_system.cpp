#include "platform/ui/window_system.h"

#include <stdexcept>

#include "platform/platform.h"

namespace tarnwick::platform::ui {

WindowSystem& windowSystem() {
    auto* system = current().windowSystem;
    if (!system) throw std::logic_error("the platform has no window system");
    return *system;
}

Panel* keyWindow() { return windowSystem().keyPanel(); }

}  // namespace tarnwick::platform::ui
