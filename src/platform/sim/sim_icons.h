#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/icons.h"

namespace tarnwick::sim {

class SimulatedSession;

// A file on disk as the icon lookup sees it.
struct SimBundleFile {
    bool readable = true;
    bool bundle = true;
    bool validIcon = true;
};

// Files, workspace icons and system symbols of the simulated session. The bundle of every
// application of the session is a readable bundle with a valid icon unless `files` says
// otherwise; any other path is missing. Every icon request hands out a new image, as the
// workspace does.
class SimIcons final : public platform::Icons {
public:
    explicit SimIcons(SimulatedSession& session) : session_(session) {}

    bool isReadableFile(const std::string& path) override;
    bool isBundle(const std::string& path) override;
    platform::Image iconForFile(const std::string& path) override;
    std::optional<platform::Image> systemSymbolImage(const std::string& name,
                                                     const std::string& accessibilityDescription) override;

    // The application an image handed out here shows: the one whose bundle the icon is of, else
    // the one the image is described by (the fallback symbol is described by its app's name),
    // else the bundle's name without ".app". Nothing for an image of no application.
    std::optional<std::string> applicationName(const platform::Image& image) const;

    // The system symbol an image handed out here shows (a symbol's image carries its name, a
    // file's icon the file's absolute path); nothing for a file's icon or an empty image.
    static std::optional<std::string> symbolName(const platform::Image& image);

    // Files by path, overriding the applications' bundles.
    std::map<std::string, SimBundleFile> files;
    // Whether the system has the symbol images.
    bool hasSymbols = true;
    // Icon requests per path.
    std::map<std::string, int> iconRequests;

    static constexpr double kIconSize = 32;

private:
    std::optional<SimBundleFile> file(const std::string& path) const;

    SimulatedSession& session_;
    std::uint64_t nextImageID_ = 1;
};

}  // namespace tarnwick::sim
