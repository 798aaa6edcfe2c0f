#include "installation/installation_bootstrap.h"

#include "installation/bundle_verification.h"
#include "installation/installation_policy.h"

namespace tarnwick {

namespace ApplicationInstallationBootstrap {

std::shared_ptr<ApplicationInstallationDelegate> delegateIfNeeded(const platform::Bundle& bundle) {
    auto directories = applicationsDirectories();
    if (!ApplicationInstallationPolicy::needsInstallation(bundle.bundleURL(), directories, installationEnabled(bundle)))
        return nullptr;
    return std::make_shared<ApplicationInstallationDelegate>(bundle.bundleURL(), std::move(directories));
}

std::shared_ptr<ApplicationInstallationDelegate> delegateIfNeeded() { return delegateIfNeeded(platform::mainBundle()); }

InstallerEjection::Outcome finishInstallerEject(const std::vector<std::string>& arguments) {
    return InstallerEjection::finish(
        arguments, [](const std::filesystem::path& bundle) { verifyBundle(bundle, requireDesignatedRequirement()); });
}

}  // namespace ApplicationInstallationBootstrap

bool isFinishInstallerEjectLaunch(const std::vector<std::string>& arguments) {
    return arguments.size() > 1 && arguments[1] == InstallerEjection::argument;
}

int runFinishInstallerEject(const std::vector<std::string>& arguments) {
    return ApplicationInstallationBootstrap::finishInstallerEject(arguments) == InstallerEjection::Outcome::ejected ? 0
                                                                                                                    : 1;
}

}  // namespace tarnwick
