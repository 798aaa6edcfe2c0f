#pragma once

#include <cstdint>
#include <vector>

#include "support/geometry.h"

namespace tarnwick::platform::ui {

class Panel;

// The window server as our own panels meet it: it lists them (with their level, frame and
// alpha) from creation until they are destroyed, orders them, knows the key window and where
// the pointer is. Panels call it themselves; the system's code rarely needs it directly.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // A new panel; returns its window number.
    virtual std::uint32_t panelCreated(Panel& panel) = 0;
    virtual void panelDestroyed(Panel& panel) = 0;
    // The panel's level, frame, alpha, title or mouse handling changed.
    virtual void panelChanged(Panel& panel) = 0;
    // Ordered in, in front of the other panels of its level; or ordered out. The key window
    // ordered out (closed or miniaturized too) resigns, and while our application is active the
    // frontmost shown window of ours on the active desktop that can become key becomes key.
    virtual void orderFront(Panel& panel) = 0;
    virtual void orderOut(Panel& panel) = 0;
    // Key status moves to the panel; the panel that had it resigns (both hear it).
    virtual void makeKey(Panel& panel) = 0;
    // The key window among our panels, or nothing.
    virtual Panel* keyPanel() = 0;
    // Every window of ours, shown or not, front to back.
    virtual std::vector<Panel*> windows() = 0;
    // Whether a shown panel is on the desktop the user sees now on its display: one that joins
    // every desktop always is; another stays on the desktop it was ordered in on (one that moves
    // to the active desktop follows when it is ordered in or made key).
    virtual bool isOnActiveSpace(const Panel& panel) = 0;
    // The pointer in screen coordinates (origin at the bottom left of the primary screen, y up).
    virtual Point pointerLocation() = 0;
};

// The installed platform's window system.
WindowSystem& windowSystem();
// The key window among our panels, or nothing.
Panel* keyWindow();

}  // namespace tarnwick::platform::ui
