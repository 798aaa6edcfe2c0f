#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/system.h"

namespace tarnwick::sim {

class SimSystemInfo final : public platform::SystemInfo {
public:
    std::string operatingSystemVersionString() override { return osVersion; }
    std::int32_t processIdentifier() override { return processID; }
    std::uint32_t userID() override { return uid; }
    std::filesystem::path homeDirectory() override { return home; }
    std::vector<std::string> processArguments() override { return arguments; }
    bool preflightScreenCaptureAccess() override { return screenCaptureAllowed; }
    bool requestScreenCaptureAccess() override {
        ++screenCaptureRequests;
        if (grantScreenCaptureOnRequest) screenCaptureAllowed = true;
        return screenCaptureAllowed;
    }

    platform::Locale currentLocale() override { return locale; }

    std::string osVersion = "Version 15.1 (Build 24B83)";
    std::int32_t processID = 4242;
    std::uint32_t uid = 501;
    std::filesystem::path home;
    std::vector<std::string> arguments{"tarnwick"};
    bool screenCaptureAllowed = true;
    bool grantScreenCaptureOnRequest = false;
    int screenCaptureRequests = 0;
    platform::Locale locale;
};

}  // namespace tarnwick::sim
