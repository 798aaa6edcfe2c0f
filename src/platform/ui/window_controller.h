#pragma once

#include <memory>

#include "platform/ui/panel.h"

namespace tarnwick::platform::ui {

// Holds a window and shows it. It owns a window made for it, or wraps one the system made (the
// About panel) without keeping that alive. Main loop only.
class WindowController {
public:
    WindowController() = default;
    explicit WindowController(std::unique_ptr<Panel> window) { setWindow(std::move(window)); }
    explicit WindowController(Panel& window) : window_(window.weak()) {}
    virtual ~WindowController() = default;
    WindowController(const WindowController&) = delete;
    WindowController& operator=(const WindowController&) = delete;

    // Nothing once a wrapped window went away.
    Panel* window() const { return window_.get(); }
    void setWindow(std::unique_ptr<Panel> window) {
        owned_ = std::move(window);
        window_ = owned_ ? owned_->weak() : Panel::Weak();
    }
    // Orders the window front and makes it key.
    virtual void showWindow() {
        if (Panel* w = window()) w->makeKeyAndOrderFront();
    }

private:
    std::unique_ptr<Panel> owned_;
    Panel::Weak window_;
};

}  // namespace tarnwick::platform::ui
