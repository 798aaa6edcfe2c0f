#include "installation/installation_policy.h"

#include "installation/installation_paths.h"
#include "platform/platform.h"
#include "support/error.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace ApplicationInstallationPolicy {

bool needsInstallation(const fs::path& bundleURL, const std::vector<fs::path>& applicationsDirectories, bool enabled) {
    if (!enabled) return false;
    const fs::path bundle = paths::normalized(bundleURL);
    // A copy inside another app bundle is never an installed copy, wherever that bundle lies.
    for (const auto& component : paths::parent(bundle))
        if (component.string().ends_with(".app")) return true;
    const std::string bundlePath = bundle.string();
    for (const auto& directory : applicationsDirectories) {
        const std::string prefix = paths::normalized(directory).string() + "/";
        if (bundlePath.starts_with(prefix)) return false;
    }
    return true;
}

bool isSafeInstalledCopy(const fs::path& url, const std::vector<fs::path>& applicationsDirectories) {
    platform::ItemAttributes attributes;
    try {
        attributes = platform::current().fileManager->attributesOfItem(paths::withoutTrailingSlash(url));
    } catch (const Error&) {
        return false;
    }
    if (attributes.type != platform::FileType::directory) return false;
    return !needsInstallation(url, applicationsDirectories, true);
}

bool reuseInstalledCopy(std::int64_t sourceBuild, std::int64_t installedBuild) { return installedBuild >= sourceBuild; }

fs::path preferredApplicationsDirectory(const fs::path& system, const fs::path& user,
                                        const std::function<bool(const fs::path&)>& isWritable) {
    return isWritable(system) ? system : user;
}

}  // namespace ApplicationInstallationPolicy

bool installationEnabled(const platform::Bundle& bundle) {
    auto value = bundle.object(kRequireInstallationKey);
    return value && value->asBool().value_or(false);
}

std::vector<fs::path> applicationsDirectories() {
    return platform::current().fileManager->applicationsDirectories(platform::search_domain::kUser |
                                                                    platform::search_domain::kLocal);
}

}  // namespace tarnwick
