#pragma once

#include <cstdint>

namespace tarnwick {

// What the pointer and the status menu are doing around the status button and the overview
// panel, so the presenter can tell when hovering should open or close the panel. A pure state
// machine: the presenter schedules the delays and asks it afterwards, with the token an
// operation returned, whether the check still stands. Every operation bumps the generation
// (except an unchanged setEnabled), so a check scheduled before any later change is stale.
class WorkstationHoverState {
public:
    using Generation = std::int64_t;

    explicit WorkstationHoverState(bool isPinnedOpen = false) : isPinnedOpen_(isPinnedOpen) {}

    Generation generation() const { return generation_; }
    bool enabled() const { return enabled_; }
    bool buttonInside() const { return buttonInside_; }
    bool previewInside() const { return previewInside_; }
    bool isMenuOpen() const { return menuOpen_; }
    // Hover may not open the panel until the pointer has left the button once.
    bool needsFreshEntry() const { return needsFreshEntry_; }
    // Opened explicitly: the pointer leaving does not close it.
    bool isPinnedOpen() const { return isPinnedOpen_; }
    void setPinnedOpen(bool pinned) { isPinnedOpen_ = pinned; }

    // Each returns the new generation, the token of the check it schedules.
    Generation enterButton();
    Generation leaveButton();
    void enterPreview();
    Generation leavePreview();

    // The menu takes the pointer: nothing counts as inside while it is open, and afterwards the
    // pointer has to leave the button before hovering opens the panel.
    void menuWillOpen();
    // With the pointer still on the button the fresh-entry rule stands; otherwise it is lifted.
    void menuDidClose(bool pointerInsideButton = false);

    // The user's hover switch. Turning it off (or on) forgets where the pointer was, unless the
    // panel is pinned open.
    void setEnabled(bool enabled);
    void pinOpen();
    // Forgets the pointer and the pin; with requireExit the pointer must leave the button before
    // hovering opens the panel again (after a click on the button, say).
    void reset(bool requireExit = false);
    // The shortcut closed the panel: like reset, requiring an exit when the pointer is on the button.
    void closeShortcut(bool pointerInsideButton) { reset(pointerInsideButton); }

    bool shouldOpen(Generation token) const;
    bool shouldClose(Generation token) const;

private:
    Generation generation_ = 0;
    bool enabled_ = true;
    bool buttonInside_ = false;
    bool previewInside_ = false;
    bool menuOpen_ = false;
    bool needsFreshEntry_ = false;
    bool isPinnedOpen_;
};

}  // namespace tarnwick
