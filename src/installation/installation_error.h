#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "support/error.h"

namespace tarnwick {

// The one error of self-installation. Each case carries the complete sentence every alert shows.
class ApplicationInstallationError : public Error {
public:
    enum class Case {
        unsafeLocation,
        destinationChanged,
        invalidApplication,
        applicationStillRunning,
        unexpectedLaunchLocation,
    };

    explicit ApplicationInstallationError(Case which) : Error(errorDescription(which)), case_(which) {}

    static ApplicationInstallationError unsafeLocation() { return ApplicationInstallationError(Case::unsafeLocation); }
    static ApplicationInstallationError destinationChanged() {
        return ApplicationInstallationError(Case::destinationChanged);
    }
    static ApplicationInstallationError invalidApplication() {
        return ApplicationInstallationError(Case::invalidApplication);
    }
    static ApplicationInstallationError applicationStillRunning() {
        return ApplicationInstallationError(Case::applicationStillRunning);
    }
    static ApplicationInstallationError unexpectedLaunchLocation() {
        return ApplicationInstallationError(Case::unexpectedLaunchLocation);
    }

    Case which() const { return case_; }
    static std::string errorDescription(Case which);

    friend bool operator==(const ApplicationInstallationError& a, const ApplicationInstallationError& b) {
        return a.case_ == b.case_;
    }

private:
    Case case_;
};

}  // namespace tarnwick

template <>
struct std::hash<tarnwick::ApplicationInstallationError> {
    std::size_t operator()(const tarnwick::ApplicationInstallationError& error) const noexcept {
        return std::hash<int>()(static_cast<int>(error.which()));
    }
};
