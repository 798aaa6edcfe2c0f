#pragma once

#include <memory>
#include <vector>

#include "platform/workspace.h"

namespace tarnwick::platform {

namespace ui {
class Panel;
}

// What the application object tells the program about its own life, in this order: launching
// (will, then did finish), any number of reopens, and termination. Main loop only.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationWillFinishLaunching() {}
    virtual void applicationDidFinishLaunching() {}
    // The user opened the app again while it runs (from the Finder, say); true: the delegate
    // handled it.
    virtual bool applicationShouldHandleReopen(bool hasVisibleWindows) {
        (void)hasVisibleWindows;
        return true;
    }
    // The last word before the process ends: heard once, whatever started the termination.
    virtual void applicationWillTerminate() {}
};

// The application object of this process. Main loop only.
class SharedApplication {
public:
    virtual ~SharedApplication() = default;

    // ---- the delegate, held weakly (the caller keeps it alive; a delegate gone hears nothing)
    virtual void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) = 0;
    virtual std::shared_ptr<ApplicationDelegate> delegate() = 0;

    // ---- launching
    // Tells the delegate that launching will finish, then that it did; only the first call
    // counts, and none after termination.
    virtual void finishLaunching() = 0;
    virtual bool isLaunched() = 0;
    // Finishes launching on the main loop's first turn, then runs the loop until terminate()
    // stops it; returns at once when the application was terminated already.
    virtual void run() = 0;

    // ---- presence: an accessory application has no Dock icon and no menu bar of its own
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    virtual ActivationPolicy activationPolicy() = 0;

    // Makes this application the active (frontmost) one; it posts its became-active notification
    // when it was not.
    virtual void activate(bool ignoringOtherApps) = 0;
    virtual bool isActive() = 0;

    // ---- windows
    // Every window of the application, front to back (ordered-out ones after the shown ones);
    // Panel::isVisible() and the titled style bit tell them apart.
    virtual std::vector<ui::Panel*> windows() = 0;
    // The platform's standard about panel: a titled window with the application's name and
    // version, made on the first call and brought to the front again on later ones. The
    // application keeps it; it may show none at all.
    virtual void orderFrontStandardAboutPanel() = 0;

    // ---- the end
    // Ends the application, whoever asks (a menu, a logout, a second call): the delegate hears
    // will-terminate exactly once, then the main loop stops.
    virtual void terminate() = 0;
    virtual bool isTerminated() = 0;
};

}  // namespace tarnwick::platform
