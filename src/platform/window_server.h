#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/value.h"

namespace tarnwick::platform {

namespace window_list {
inline constexpr std::uint32_t kOptionOnScreenOnly = 1;
inline constexpr std::uint32_t kOptionExcludeDesktopElements = 16;
inline constexpr std::uint32_t kNullWindowID = 0;
// Keys of a window description.
inline constexpr const char* kNumber = "kCGWindowNumber";
inline constexpr const char* kOwnerPID = "kCGWindowOwnerPID";
inline constexpr const char* kOwnerName = "kCGWindowOwnerName";
inline constexpr const char* kName = "kCGWindowName";
inline constexpr const char* kLayer = "kCGWindowLayer";
inline constexpr const char* kBounds = "kCGWindowBounds";
inline constexpr const char* kAlpha = "kCGWindowAlpha";
inline constexpr const char* kIsOnscreen = "kCGWindowIsOnscreen";
inline constexpr const char* kSharingState = "kCGWindowSharingState";
inline constexpr const char* kStoreType = "kCGWindowStoreType";
inline constexpr const char* kMemoryUsage = "kCGWindowMemoryUsage";
}  // namespace window_list

// The private window-server framework, once opened. Destroying it closes the framework.
class SkyLightFramework {
public:
    virtual ~SkyLightFramework() = default;
    // Whether a symbol of that name resolves.
    virtual bool hasSymbol(std::string_view name) = 0;
    virtual std::int32_t mainConnectionID() = 0;
    // The managed displays with their desktops; nothing when the call returns NULL.
    virtual std::optional<Value> copyManagedDisplaySpaces(std::int32_t connection) = 0;
    // The window ids on the given desktops; nothing when the call returns NULL.
    virtual std::optional<Value> copyWindowsWithOptionsAndTags(std::int32_t connection, std::uint32_t owner,
                                                               const Array& spaces, std::uint32_t options,
                                                               std::uint64_t& setTags, std::uint64_t& clearTags) = 0;
};

class WindowServer {
public:
    virtual ~WindowServer() = default;
    // Opens the private framework at `path`; nothing when it cannot be opened.
    virtual std::unique_ptr<SkyLightFramework> openSkyLight(const std::string& path, int mode) = 0;
    // The window list, front to back, as an array of window descriptions; nothing when the
    // window server returns none.
    virtual std::optional<Value> copyWindowList(std::uint32_t options, std::uint32_t relativeToWindow) = 0;
    // Descriptions of the given windows (those that exist), in the order asked.
    virtual std::optional<Value> copyWindowDescriptions(const std::vector<std::uint32_t>& windowIDs) = 0;
    // The login session's dictionary; nothing when there is no session.
    virtual std::optional<Value> copySessionDictionary() = 0;
};

}  // namespace tarnwick::platform
