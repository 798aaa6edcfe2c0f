#include "platform/sim/sim_icons.h"

#include <string_view>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace {

// The path of a plain file URL of a session file ("file:///Applications/A.app/").
std::string pathOfFileURL(std::string_view url) {
    constexpr std::string_view scheme = "file://";
    if (url.substr(0, scheme.size()) != scheme) return {};
    url.remove_prefix(scheme.size());
    if (url.substr(0, 9) == "localhost") url.remove_prefix(9);
    std::string path(url);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::optional<SimBundleFile> SimIcons::file(const std::string& path) const {
    if (auto it = files.find(path); it != files.end()) return it->second;
    for (const auto& application : session_.applications)
        if (application.bundleURL && !path.empty() && pathOfFileURL(*application.bundleURL) == path)
            return SimBundleFile{};
    return std::nullopt;
}

bool SimIcons::isReadableFile(const std::string& path) {
    auto found = file(path);
    return found && found->readable;
}

bool SimIcons::isBundle(const std::string& path) {
    auto found = file(path);
    return found && found->readable && found->bundle;
}

platform::Image SimIcons::iconForFile(const std::string& path) {
    ++iconRequests[path];
    auto found = file(path);
    // The workspace answers for any path, with a generic icon when it knows no better.
    return platform::Image{nextImageID_++, path, {kIconSize, kIconSize}, !found || found->validIcon, {}};
}

std::optional<platform::Image> SimIcons::systemSymbolImage(const std::string& name,
                                                           const std::string& accessibilityDescription) {
    if (!hasSymbols) return std::nullopt;
    return platform::Image{nextImageID_++, name, {kIconSize / 2, kIconSize / 2}, true, accessibilityDescription};
}

}  // namespace tarnwick::sim
