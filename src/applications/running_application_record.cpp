#include "applications/running_application_record.h"

#include "platform/platform.h"

namespace tarnwick {

SpaceApplicationCatalog::Application applicationRecord(const platform::RunningApplication& application) {
    SpaceApplicationCatalog::Application record;
    record.pid = application.processIdentifier;
    record.bundleID = application.bundleIdentifier;
    record.name = SpaceApplicationCatalog::displayName(application.localizedName, application.bundleIdentifier);
    record.bundleURL = application.bundleURL;
    record.isRegular = application.activationPolicy == platform::ActivationPolicy::regular;
    return record;
}

std::optional<SpaceApplicationCatalog::Application> runningApplicationRecord(std::int32_t processID) {
    auto application = platform::current().workspace->runningApplication(processID);
    if (!application || application->isTerminated) return std::nullopt;
    return applicationRecord(*application);
}

}  // namespace tarnwick
