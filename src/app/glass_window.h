#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/panel.h"
#include "platform/ui/view.h"
#include "platform/ui/window_controller.h"
#include "support/geometry.h"
#include "support/observable.h"

namespace tarnwick {

// Dresses a titled window of ours in glass: content under a transparent title bar, a clear,
// non-opaque window, and a glass view with rounded corners holding the content.
void dressInGlass(platform::ui::Panel& window, std::shared_ptr<platform::ui::View> content, double cornerRadius);

// How one of our titled glass windows is made.
struct GlassWindowStyle {
    const char* title;
    const char* autosaveName;
    Size contentSize;
    std::uint64_t styleMask;  // titled, with the buttons and the resizing it offers
    Size minimumSize;         // where the user's resize stops; zero: anywhere
    double cornerRadius;
};

// A titled window of ours around a declarative view, dressed in glass: made once and kept when
// closed, never tabbed, centred and its frame saved under its autosave name. The controller is
// the window's delegate. Main loop only.
class GlassWindowController : public platform::ui::WindowController, public platform::ui::WindowDelegate {
public:
    platform::ui::HostingView& hostingView() const { return *hosting_; }

protected:
    GlassWindowController() = default;
    // Makes the window around the root view (once, from the owner's constructor).
    void makeWindow(const GlassWindowStyle& style, std::unique_ptr<platform::ui::DeclarativeView> root);
    // Takes the window and its views down. The views read what the owner holds, so the owner
    // calls this first in its destructor.
    void takeDownWindow();

private:
    std::shared_ptr<platform::ui::HostingView> hosting_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
