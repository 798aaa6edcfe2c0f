#include "platform/sim/sim_private_functions.h"

#include <algorithm>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace {

constexpr platform::OSStatus kProcessNotFound = -600;
constexpr std::uint32_t kSerialNumberHigh = 0;

class SimSymbolNamespace final : public platform::SymbolNamespace {
public:
    explicit SimSymbolNamespace(SimulatedSession& session) : session_(session) {}

    std::optional<platform::PrivateFunction> lookUp(std::string_view name) override {
        if (session_.navigation.missingFunctions.count(std::string(name))) return std::nullopt;
        SimulatedSession* session = &session_;
        if (name == "GetProcessForPID")
            return platform::GetProcessForPIDFunction([session](std::int32_t pid, platform::ProcessSerialNumber* psn) {
                ++session->navigation.getProcessCalls;
                if (session->navigation.getProcessStatus != 0) return session->navigation.getProcessStatus;
                const auto* app = session->application(pid);
                if (!app || app->terminated || !psn) return kProcessNotFound;
                *psn = SimPrivateFunctions::serialNumber(pid);
                return platform::OSStatus{0};
            });
        if (name == "_SLPSSetFrontProcessWithOptions")
            return platform::SetFrontProcessWithOptionsFunction(
                [session](const platform::ProcessSerialNumber* psn, std::uint32_t windowID, std::uint32_t options) {
                    if (!psn || psn->highLongOfPSN != kSerialNumberHigh) return kProcessNotFound;
                    const auto pid = static_cast<std::int32_t>(psn->lowLongOfPSN);
                    session->navigation.frontRequests.push_back({pid, windowID, options});
                    if (session->navigation.setFrontStatus != 0) return session->navigation.setFrontStatus;
                    const auto* app = session->application(pid);
                    if (!app || app->terminated) return kProcessNotFound;
                    session->bringToFront(pid, windowID);
                    return platform::OSStatus{0};
                });
        if (name == "SLPSPostEventRecordTo")
            return platform::PostEventRecordToFunction(
                [session](const platform::ProcessSerialNumber*, const std::uint8_t* bytes) {
                    platform::EventRecordBytes record{};
                    if (bytes) std::copy(bytes, bytes + record.size(), record.begin());
                    session->navigation.postedEventRecords.push_back(record);
                    return session->navigation.postEventStatus;
                });
        if (name == "_AXUIElementGetWindow")
            return platform::AXUIElementGetWindowFunction([session](ElementRef element, std::uint32_t* windowID) {
                std::uint32_t id = 0;
                auto status = session->platform().accessibility->windowID(element, id);
                if (status == platform::ax_error::kSuccess && windowID) *windowID = id;
                return status;
            });
        return std::nullopt;
    }

private:
    SimulatedSession& session_;
};

}  // namespace

platform::ProcessSerialNumber SimPrivateFunctions::serialNumber(std::int32_t processID) {
    return platform::ProcessSerialNumber{kSerialNumberHigh, static_cast<std::uint32_t>(processID)};
}

std::unique_ptr<platform::SymbolNamespace> SimPrivateFunctions::openGlobalNamespace() {
    if (!session_.navigation.globalNamespaceAvailable) return nullptr;
    return std::make_unique<SimSymbolNamespace>(session_);
}

}  // namespace tarnwick::sim
