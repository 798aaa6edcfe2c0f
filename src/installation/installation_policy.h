#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/bundle.h"

namespace tarnwick {

// The manifest key that switches self-installation on for a build; only a Boolean true counts.
inline constexpr const char* kRequireInstallationKey = "TarnwickRequireInstallation";

// The decisions of self-installation: pure over paths, item types and build numbers.
namespace ApplicationInstallationPolicy {

// Whether a copy at `bundleURL` must first be installed: it lies inside another app bundle, or
// inside none of the Applications folders (at any depth). Always false when not `enabled`.
bool needsInstallation(const std::filesystem::path& bundleURL,
                       const std::vector<std::filesystem::path>& applicationsDirectories, bool enabled);

// A real folder (not a link, not a file) that needs no installation.
bool isSafeInstalledCopy(const std::filesystem::path& url,
                         const std::vector<std::filesystem::path>& applicationsDirectories);

// An installed copy of the same or a newer build is opened instead of being replaced.
bool reuseInstalledCopy(std::int64_t sourceBuild, std::int64_t installedBuild);

std::filesystem::path preferredApplicationsDirectory(
    const std::filesystem::path& system, const std::filesystem::path& user,
    const std::function<bool(const std::filesystem::path&)>& isWritable);

}  // namespace ApplicationInstallationPolicy

// Whether the bundle's manifest switches self-installation on.
bool installationEnabled(const platform::Bundle& bundle);

// The Applications folders of the user's and the local domain, in the platform's order.
std::vector<std::filesystem::path> applicationsDirectories();

}  // namespace tarnwick
