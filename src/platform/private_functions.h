#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <variant>

#include "platform/accessibility.h"
#include "support/value.h"

namespace tarnwick::platform {

using OSStatus = std::int32_t;

// The process serial number that the process-manager calls identify a process by.
struct ProcessSerialNumber {
    std::uint32_t highLongOfPSN = 0;
    std::uint32_t lowLongOfPSN = 0;
    friend bool operator==(const ProcessSerialNumber&, const ProcessSerialNumber&) = default;
};

// The event record that the window server takes to make a window key: 248 bytes.
using EventRecordBytes = std::array<std::uint8_t, 248>;

// Signatures of the functions that no public header declares.
// "GetProcessForPID": fills the serial number of a process.
using GetProcessForPIDFunction = std::function<OSStatus(std::int32_t processID, ProcessSerialNumber* psn)>;
// "_SLPSSetFrontProcessWithOptions": makes a process frontmost with the given window.
using SetFrontProcessWithOptionsFunction =
    std::function<OSStatus(const ProcessSerialNumber* psn, std::uint32_t windowID, std::uint32_t options)>;
// "SLPSPostEventRecordTo": posts an event record to a process.
using PostEventRecordToFunction = std::function<OSStatus(const ProcessSerialNumber* psn, const std::uint8_t* bytes)>;
// "_AXUIElementGetWindow": the window-server id of an Accessibility window element.
using AXUIElementGetWindowFunction = std::function<AXError(ElementRef element, std::uint32_t* windowID)>;

// What a name resolves to; the caller checks that it has the signature it expects.
using PrivateFunction = std::variant<GetProcessForPIDFunction, SetFrontProcessWithOptionsFunction,
                                     PostEventRecordToFunction, AXUIElementGetWindowFunction>;

// An open handle on a symbol namespace; destroying it closes the handle.
class SymbolNamespace {
public:
    virtual ~SymbolNamespace() = default;
    // Looks a name up; nothing when no loaded image defines it.
    virtual std::optional<PrivateFunction> lookUp(std::string_view name) = 0;
};

// Run-time lookup of functions in the images already loaded into the process.
class PrivateFunctions {
public:
    virtual ~PrivateFunctions() = default;
    // The process's global symbol namespace, opened lazily; nothing when it cannot be opened.
    virtual std::unique_ptr<SymbolNamespace> openGlobalNamespace() = 0;
};

}  // namespace tarnwick::platform
