#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale.h"

namespace tarnwick::platform {

// Facts about this process and its user.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual std::string operatingSystemVersionString() = 0;
    virtual std::int32_t processIdentifier() = 0;
    virtual std::uint32_t userID() = 0;
    virtual std::filesystem::path homeDirectory() = 0;
    // The process's command line, the program's path first.
    virtual std::vector<std::string> processArguments() = 0;
    // Screen Recording: whether capture is allowed now, and asking the user for it.
    virtual bool preflightScreenCaptureAccess() = 0;
    virtual bool requestScreenCaptureAccess() = 0;
    // The user's current locale, for formatting numbers.
    virtual Locale currentLocale() = 0;
};

// Whether the command line holds the option as a whole argument. The program's path, first, is
// never taken for an option.
inline bool hasArgument(const std::vector<std::string>& arguments, std::string_view option) {
    return arguments.size() > 1 && std::find(arguments.begin() + 1, arguments.end(), option) != arguments.end();
}

}  // namespace tarnwick::platform
