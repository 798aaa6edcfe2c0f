#pragma once

namespace tarnwick::platform {

// The application object of this process.
class SharedApplication {
public:
    virtual ~SharedApplication() = default;
    virtual void activate(bool ignoringOtherApps) = 0;
    // Ends the application: the main loop stops.
    virtual void terminate() = 0;
};

}  // namespace tarnwick::platform
