#include "platform/sim/sim_icons.h"

#include <filesystem>

#include "platform/file_url.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

std::optional<SimBundleFile> SimIcons::file(const std::string& path) const {
    if (auto it = files.find(path); it != files.end()) return it->second;
    if (path.empty()) return std::nullopt;
    // Bundle URLs are escaped ("Studio%20Code.app"); the lookup asks with the plain path.
    for (const auto& application : session_.applications) {
        if (!application.bundleURL) continue;
        const auto bundlePath = platform::pathFromFileURL(*application.bundleURL);
        if (bundlePath && bundlePath->string() == path) return SimBundleFile{};
    }
    return std::nullopt;
}

bool SimIcons::isReadableFile(const std::string& path) {
    auto guard = session_.lock();
    auto found = file(path);
    return found && found->readable;
}

bool SimIcons::isBundle(const std::string& path) {
    auto guard = session_.lock();
    auto found = file(path);
    return found && found->readable && found->bundle;
}

platform::Image SimIcons::iconForFile(const std::string& path) {
    auto guard = session_.lock();
    ++iconRequests[path];
    auto found = file(path);
    // The workspace answers for any path, with a generic icon when it knows no better.
    return platform::Image{nextImageID_++, path, {kIconSize, kIconSize}, !found || found->validIcon, {}};
}

std::optional<std::string> SimIcons::applicationName(const platform::Image& image) const {
    auto guard = session_.lock();
    if (!image.source.empty())
        for (const auto& application : session_.applications) {
            if (!application.bundleURL || !application.name) continue;
            const auto bundlePath = platform::pathFromFileURL(*application.bundleURL);
            if (bundlePath && bundlePath->string() == image.source) return application.name;
        }
    if (!image.accessibilityDescription.empty()) return image.accessibilityDescription;
    std::filesystem::path bundle(image.source);
    if (!bundle.has_filename()) bundle = bundle.parent_path();
    if (bundle.extension() == ".app" && !bundle.stem().empty()) return bundle.stem().string();
    return std::nullopt;
}

std::optional<std::string> SimIcons::symbolName(const platform::Image& image) {
    if (image.source.empty() || image.source.front() == '/') return std::nullopt;
    return image.source;
}

std::optional<platform::Image> SimIcons::systemSymbolImage(const std::string& name,
                                                           const std::string& accessibilityDescription) {
    auto guard = session_.lock();
    if (!hasSymbols) return std::nullopt;
    return platform::Image{nextImageID_++, name, {kIconSize / 2, kIconSize / 2}, true, accessibilityDescription};
}

}  // namespace tarnwick::sim
