#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick::platform {

using OSStatus = std::int32_t;

namespace code_signing_status {
inline constexpr OSStatus kSuccess = 0;
inline constexpr OSStatus kRequirementFailed = -67050;   // errSecCSReqFailed
inline constexpr OSStatus kBadResource = -67054;         // errSecCSBadResource
inline constexpr OSStatus kSignatureFailed = -67061;     // errSecCSSignatureFailed
inline constexpr OSStatus kUnsigned = -67062;            // errSecCSUnsigned
inline constexpr OSStatus kStaticCodeNotFound = -67068;  // errSecCSStaticCodeNotFound
inline constexpr OSStatus kBadNestedCode = -67021;       // errSecCSBadNestedCode
inline constexpr OSStatus kNoSuchCode = -67065;          // errSecCSNoSuchCode
}  // namespace code_signing_status

// Validity flags of a signature check.
namespace code_signing_flags {
inline constexpr std::uint32_t kCheckAllArchitectures = 1;
inline constexpr std::uint32_t kCheckNestedCode = 8;
inline constexpr std::uint32_t kStrictValidate = 16;
}  // namespace code_signing_flags

// A running program, as the code-signing service names it.
struct Code {
    std::int32_t processIdentifier = 0;
};

// Code on disk: a bundle folder.
struct StaticCode {
    std::filesystem::path path;
};

// A code requirement in the service's text form; what it says is the service's business.
struct CodeRequirement {
    std::string text;
};

// The code-signing service.
class CodeSigning {
public:
    virtual ~CodeSigning() = default;
    virtual OSStatus copySelf(std::optional<Code>& self) = 0;
    virtual OSStatus copyStaticCode(const Code& code, std::optional<StaticCode>& staticCode) = 0;
    virtual OSStatus copyDesignatedRequirement(const StaticCode& code, std::optional<CodeRequirement>& requirement) = 0;
    virtual OSStatus createStaticCodeWithPath(const std::filesystem::path& path,
                                              std::optional<StaticCode>& staticCode) = 0;
    // Checks the signature (and the requirement, when given) with the validity flags above.
    virtual OSStatus checkStaticCodeValidity(const StaticCode& code, std::uint32_t flags,
                                             const CodeRequirement* requirement) = 0;
};

}  // namespace tarnwick::platform
