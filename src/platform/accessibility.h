#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/value.h"

namespace tarnwick::platform {

using AXError = std::int32_t;

namespace ax_error {
inline constexpr AXError kSuccess = 0;
inline constexpr AXError kFailure = -25200;
inline constexpr AXError kIllegalArgument = -25201;
inline constexpr AXError kInvalidUIElement = -25202;
inline constexpr AXError kCannotComplete = -25204;
inline constexpr AXError kAttributeUnsupported = -25205;
inline constexpr AXError kActionUnsupported = -25206;
inline constexpr AXError kNotImplemented = -25208;
inline constexpr AXError kAPIDisabled = -25211;
inline constexpr AXError kNoValue = -25212;
}  // namespace ax_error

// The Accessibility API. Elements are opaque handles; equal handles are the same element.
// Attribute values are strings, numbers, booleans, geometry values (points, sizes), element
// handles and arrays of them.
class Accessibility {
public:
    virtual ~Accessibility() = default;
    virtual bool isProcessTrusted() = 0;
    // Asks the user for trust when `prompt` is set and trust is missing.
    virtual bool isProcessTrustedWithPrompt(bool prompt) = 0;
    virtual ElementRef createApplication(std::int32_t processID) = 0;
    // How long a message to this element may take before it fails with kCannotComplete.
    virtual AXError setMessagingTimeout(ElementRef element, float seconds) = 0;
    virtual AXError copyAttributeValue(ElementRef element, const std::string& attribute, Value& value) = 0;
    virtual AXError copyAttributeNames(ElementRef element, std::vector<std::string>& names) = 0;
    virtual AXError copyParameterizedAttributeNames(ElementRef element, std::vector<std::string>& names) = 0;
    virtual AXError isAttributeSettable(ElementRef element, const std::string& attribute, bool& settable) = 0;
    virtual AXError setAttributeValue(ElementRef element, const std::string& attribute, const Value& value) = 0;
    virtual AXError performAction(ElementRef element, const std::string& action) = 0;
    // The window-server id of a window element (a private call).
    virtual AXError windowID(ElementRef element, std::uint32_t& windowID) = 0;
};

}  // namespace tarnwick::platform
