#pragma once

#include <map>

#include "platform/accessibility.h"

namespace tarnwick::sim {

class SimulatedSession;
struct AXNode;

// Answers Accessibility requests from the session's elements. An attribute that takes longer
// than the element's messaging timeout fails with kCannotComplete after the timeout has passed
// on the session's clock; one that answers in time lets its latency pass.
class SimAccessibility final : public platform::Accessibility {
public:
    explicit SimAccessibility(SimulatedSession& session) : session_(session) {}

    bool isProcessTrusted() override;
    bool isProcessTrustedWithPrompt(bool prompt) override;
    ElementRef createApplication(std::int32_t processID) override;
    platform::AXError setMessagingTimeout(ElementRef element, float seconds) override;
    platform::AXError copyAttributeValue(ElementRef element, const std::string& attribute, Value& value) override;
    platform::AXError copyAttributeNames(ElementRef element, std::vector<std::string>& names) override;
    platform::AXError copyParameterizedAttributeNames(ElementRef element, std::vector<std::string>& names) override;
    platform::AXError isAttributeSettable(ElementRef element, const std::string& attribute, bool& settable) override;
    platform::AXError setAttributeValue(ElementRef element, const std::string& attribute, const Value& value) override;
    platform::AXError performAction(ElementRef element, const std::string& action) override;
    platform::AXError windowID(ElementRef element, std::uint32_t& windowID) override;

    // The timeout used when none was set on an element (the platform's default).
    static constexpr double kDefaultTimeout = 6.0;
    // Messaging timeouts that were set, by element.
    std::map<std::uint64_t, float> timeouts;
    int attributeReads = 0;
    // Application elements made, by process id: every read of a process's tree begins with one
    // (so the WindowManager's count is the number of Mission Control geometry reads).
    std::map<std::int32_t, int> applicationElements;
    // Fails every request with this error while set (for example kAPIDisabled).
    platform::AXError globalError = platform::ax_error::kSuccess;

private:
    // Lets time pass for a message with the given latency; false when it timed out.
    bool deliver(std::uint64_t element, double latency);
    AXNode* resolve(ElementRef element);
    // The checks every request passes first: an injected fault, trust, a live element.
    platform::AXError answer(ElementRef element, AXNode*& node);
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
