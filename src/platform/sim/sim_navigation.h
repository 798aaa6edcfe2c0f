#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/private_functions.h"
#include "platform/sim/recent_log.h"

namespace tarnwick::sim {

inline constexpr const char* kMissionControlApplicationPath = "/System/Applications/Mission Control.app";

// How the session answers navigation: opening the Mission Control application, pressing a
// desktop's button in Mission Control, raising windows and the private front-process calls.
// Tests and session files change these to inject faults; the records tell what was asked.
struct SimNavigation {
    // ---- the Mission Control application (opening it toggles Mission Control)
    double launchDelay = 0;                      // until the launch completes and Mission Control toggles
    std::optional<std::string> launchError;      // set: every launch fails with this description
    int missionControlLaunches = 0;

    // ---- desktop buttons in Mission Control
    platform::AXError pressStatus = platform::ax_error::kSuccess;  // what a press returns
    bool pressIgnored = false;                   // an accepted press does nothing
    std::optional<double> switchDelay = 0.25;    // press to switch; nothing: the desktop never switches
    std::optional<double> closeDelay = 0.2;      // switch to closing; nothing: Mission Control stays open
    int desktopPresses = 0;

    // ---- windows
    std::set<std::uint32_t> windowsRefusingRaise;  // "AXRaise" fails and bringing forward leaves them behind

    // ---- the private front-process calls
    bool globalNamespaceAvailable = true;
    std::set<std::string> missingFunctions;      // names that do not resolve
    platform::OSStatus getProcessStatus = 0;     // non-zero: "GetProcessForPID" fails with it
    platform::OSStatus setFrontStatus = 0;       // non-zero: "_SLPSSetFrontProcessWithOptions" fails with it
    platform::OSStatus postEventStatus = 0;      // what "SLPSPostEventRecordTo" returns
    struct FrontRequest {
        std::int32_t processID = 0;
        std::uint32_t windowID = 0;
        std::uint32_t options = 0;
    };
    RecentLog<FrontRequest> frontRequests;
    RecentLog<platform::EventRecordBytes> postedEventRecords;
    int getProcessCalls = 0;
};

}  // namespace tarnwick::sim
