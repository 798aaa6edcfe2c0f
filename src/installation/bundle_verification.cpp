#include "installation/bundle_verification.h"

#include <charconv>
#include <string>

#include "installation/installation_error.h"
#include "platform/bundle.h"
#include "platform/platform.h"
#include "platform/property_list.h"
#include "support/json.h"

namespace tarnwick {

namespace status = platform::code_signing_status;

namespace {

// An optional sign, then one or more ASCII digits and nothing else, within the signed 64-bit range.
std::optional<std::int64_t> parseBuildNumber(const std::string& text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    // Parsed with the sign so that the lowest 64-bit value is still in range.
    std::string signedDigits(negative ? 1 : 0, '-');
    signedDigits.append(digits);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(signedDigits.data(), signedDigits.data() + signedDigits.size(), value);
    if (error != std::errc() || end != signedDigits.data() + signedDigits.size()) return std::nullopt;
    return value;
}

}  // namespace

namespace ApplicationInstallationSignature {

std::int64_t build(const std::filesystem::path& bundle) {
    const Value manifest = platform::propertyListFromData(json::readFile(bundle / platform::kBundleManifestPath));
    if (!manifest.asDictionary()) throw ApplicationInstallationError::invalidApplication();
    auto identifier = manifest.find("CFBundleIdentifier");
    if (!identifier || !identifier->asString() || *identifier->asString() != kApplicationBundleIdentifier)
        throw ApplicationInstallationError::invalidApplication();
    auto version = manifest.find("CFBundleVersion");
    if (!version || !version->asString()) throw ApplicationInstallationError::invalidApplication();
    auto number = parseBuildNumber(*version->asString());
    if (!number || *number < 1) throw ApplicationInstallationError::invalidApplication();
    return *number;
}

}  // namespace ApplicationInstallationSignature

std::optional<platform::CodeRequirement> designatedRequirement() {
    auto& signing = *platform::current().codeSigning;
    std::optional<platform::Code> self;
    if (signing.copySelf(self) != status::kSuccess || !self) return std::nullopt;
    std::optional<platform::StaticCode> staticCode;
    if (signing.copyStaticCode(*self, staticCode) != status::kSuccess || !staticCode) return std::nullopt;
    std::optional<platform::CodeRequirement> requirement;
    if (signing.copyDesignatedRequirement(*staticCode, requirement) != status::kSuccess || !requirement)
        return std::nullopt;
    return requirement;
}

platform::CodeRequirement requireDesignatedRequirement() {
    auto requirement = designatedRequirement();
    if (!requirement) throw ApplicationInstallationError::invalidApplication();
    return *requirement;
}

void verifyBundle(const std::filesystem::path& bundle, const platform::CodeRequirement& requirement) {
    ApplicationInstallationSignature::build(bundle);
    auto& signing = *platform::current().codeSigning;
    std::optional<platform::StaticCode> staticCode;
    if (signing.createStaticCodeWithPath(bundle, staticCode) != status::kSuccess || !staticCode)
        throw ApplicationInstallationError::invalidApplication();
    if (signing.checkStaticCodeValidity(*staticCode, kSignatureCheckFlags, &requirement) != status::kSuccess)
        throw ApplicationInstallationError::invalidApplication();
}

}  // namespace tarnwick
