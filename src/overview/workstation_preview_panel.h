#pragma once

#include <cstdint>
#include <functional>

#include "platform/ui/panel.h"

namespace tarnwick {

// The one borderless, non-activating floating panel the Workstation Overview is shown in. The
// presenter makes it once and places it for every showing (WorkstationPreviewLayout); it takes
// keyboard focus only while the current showing does (explicit showings), and then it follows the
// user to the desktop they are on. Main loop only.
class WorkstationPreviewPanel final : public platform::ui::Panel {
public:
    static constexpr const char* kTitle = "Workstation Overview";
    static constexpr double kContentWidth = 368;
    static constexpr double kContentHeight = 560;
    // Hover showings: on every desktop, stationary, out of the window cycle, beside full-screen apps.
    static constexpr std::uint64_t kHoverCollectionBehavior = 337;
    // Keyboard showings: moved to the active desktop, transient, out of the window cycle, beside
    // full-screen apps.
    static constexpr std::uint64_t kKeyboardCollectionBehavior = 330;

    WorkstationPreviewPanel();

    bool acceptsKeyboard() const { return acceptsKeyboard_; }
    // Also switches the collection behaviour to the one of the kind of showing.
    void setAcceptsKeyboard(bool accepts);
    // Escape that no view handled; nothing else happens on it.
    std::function<void()> escapeRequested;

    // Visible, and on the desktop the user sees.
    bool isPresentedOnActiveSpace() const { return isVisible() && isOnActiveSpace(); }

    bool canBecomeKey() const override { return acceptsKeyboard_; }
    bool canBecomeMain() const override { return false; }
    void cancelOperation() override;

private:
    bool acceptsKeyboard_ = false;
};

}  // namespace tarnwick
