#include "installation/installation_error.h"

namespace tarnwick {

std::string ApplicationInstallationError::errorDescription(Case which) {
    switch (which) {
    case Case::unsafeLocation: return "This location cannot be used for installation.";
    case Case::destinationChanged: return "The installed copy changed during installation. Please try again.";
    case Case::invalidApplication: return "The app could not be verified. Download a fresh copy of Tarnwick.";
    case Case::applicationStillRunning: return "Quit the copy of Tarnwick in Applications, then try again.";
    case Case::unexpectedLaunchLocation:
        return "macOS opened a temporary copy. Please finish installation using Finder.";
    }
    return {};
}

}  // namespace tarnwick
