#include "applications/application_window_focus.h"

namespace tarnwick {

ApplicationWindowFocus::Failure::Failure(Case failureCase) : Error(sentence(failureCase)), case_(failureCase) {}

std::string ApplicationWindowFocus::Failure::sentence(Case failureCase) {
    switch (failureCase) {
        case Case::access:
            return "Allow Device Control access in Settings to bring app windows forward.";
        case Case::session:
            return "Unlock your Mac before switching desktops.";
        case Case::desktopChanged:
            return "This desktop changed. Refresh the list and try again.";
        case Case::noWindow:
            return "This app no longer has a window on that desktop. Refresh the list.";
        case Case::unavailable:
            return "Window switching is unavailable on this macOS version.";
        case Case::request:
            return "macOS could not bring that app window forward. Try again.";
        case Case::verification:
            return "Could not confirm the requested desktop and window. Try again.";
    }
    return "Could not confirm the requested desktop and window. Try again.";
}

}  // namespace tarnwick
