#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The read-only disk image the installing copy ran from, as the disk-image tool lists it.
struct InstallerDiskImage {
    std::filesystem::path mount;  // the volume's mount point, normalised
    std::string device;           // "/dev/disk…"
    std::string backingPath;      // the image file
    std::optional<std::int64_t> attachmentPID;
    std::string volumeUUID;

    // The app at the root of the volume.
    std::filesystem::path app() const { return mount / "Tarnwick.app"; }

    friend bool operator==(const InstallerDiskImage&, const InstallerDiskImage&) = default;

    // The image that holds the app bundle at the root of its read-only volume; nothing for a
    // copy anywhere else or when the tool's listing names no single such image.
    static std::optional<InstallerDiskImage> mounted(const std::filesystem::path& containing);
    // The one image of the tool's listing ("info -plist") mounted at `volume`.
    static std::optional<InstallerDiskImage> match(const std::filesystem::path& volume, const std::string& volumeUUID,
                                                   std::string_view diskInfo);

    enum class Ejection { ejected, notMounted, detachFailed };
    // Detaches the image when exactly this image is still mounted there.
    Ejection ejectIfStillMounted() const;

    // The hand-off's JSON: "mount" (a file URL), "device", "backingPath", "volumeUUID" and
    // "attachmentPID" (left out when absent).
    std::optional<std::string> json() const;
    // Reads the hand-off; other keys are ignored, a missing key, a wrong type or a mount that is
    // not a file URL gives nothing.
    static std::optional<InstallerDiskImage> fromJSON(std::string_view text);

    static constexpr const char* kToolPath = "/usr/bin/hdiutil";

private:
    // Runs the disk-image tool; its output when it exits with status 0.
    static std::optional<std::string> hdiutil(const std::vector<std::string>& arguments);
};

}  // namespace tarnwick
