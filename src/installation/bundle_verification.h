#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/code_signing.h"

namespace tarnwick {

// Every copy of the app carries this identifier.
inline constexpr const char* kApplicationBundleIdentifier = "local.orlenbay.Tarnwick";

// All architectures, nested code, strict validation.
inline constexpr std::uint32_t kSignatureCheckFlags = platform::code_signing_flags::kCheckAllArchitectures |
                                                      platform::code_signing_flags::kCheckNestedCode |
                                                      platform::code_signing_flags::kStrictValidate;

namespace ApplicationInstallationSignature {

// The bundle's build number ("CFBundleVersion", a decimal integer of at least 1). A manifest
// that cannot be read or parsed throws the file system's or the parser's error; a wrong
// identifier or a bad build number throws invalidApplication.
std::int64_t build(const std::filesystem::path& bundle);

}  // namespace ApplicationInstallationSignature

// The running program's designated requirement, obtained afresh; nothing when unavailable.
std::optional<platform::CodeRequirement> designatedRequirement();

// Checks that a bundle is this app, with a usable build number, validly signed and satisfying the
// requirement. Throws what build(at:) throws, otherwise invalidApplication.
void verifyBundle(const std::filesystem::path& bundle, const platform::CodeRequirement& requirement);

// designatedRequirement(), throwing invalidApplication when it is unavailable.
platform::CodeRequirement requireDesignatedRequirement();

}  // namespace tarnwick
