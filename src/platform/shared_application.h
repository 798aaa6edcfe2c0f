#pragma once

namespace tarnwick::platform {

// The application object of this process.
class SharedApplication {
public:
    virtual ~SharedApplication() = default;
    // Makes this application the active (frontmost) one; it posts its became-active notification
    // when it was not.
    virtual void activate(bool ignoringOtherApps) = 0;
    virtual bool isActive() = 0;
    // Ends the application: the main loop stops.
    virtual void terminate() = 0;
};

}  // namespace tarnwick::platform
