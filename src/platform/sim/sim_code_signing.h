#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/code_signing.h"

namespace tarnwick::sim {

class SimulatedSession;

// Where a bundle keeps its signature record (a real file inside the bundle).
inline constexpr const char* kSignatureRecordPath = "Contents/_CodeSignature/Signature.json";

// How to sign a bundle.
struct SigningIdentity {
    std::string identifier = "local.orlenbay.Tarnwick";
    std::string signer = "Developer ID Application: Orlenbay (4KQ7T2P9XA)";
    // Each architecture's signature and whether it is intact.
    std::map<std::string, bool> architectures = {{"arm64", true}, {"x86_64", true}};
    // Nested code (bundle-relative folders) with signatures of their own, sealed apart.
    std::vector<std::string> nestedCode;
};

// Code signing over signature records. A record names the identifier, the signer, the
// architectures, the nested code and a digest of every file and link of the bundle, so a copy
// that was changed after signing, signed by someone else or broken in one architecture or in
// its nested code fails the check. A designated requirement names an identifier and a signer.
class SimCodeSigning : public platform::CodeSigning {
public:
    explicit SimCodeSigning(SimulatedSession& session) : session_(session) {}

    platform::OSStatus copySelf(std::optional<platform::Code>& self) override;
    platform::OSStatus copyStaticCode(const platform::Code& code,
                                      std::optional<platform::StaticCode>& staticCode) override;
    platform::OSStatus copyDesignatedRequirement(const platform::StaticCode& code,
                                                 std::optional<platform::CodeRequirement>& requirement) override;
    platform::OSStatus createStaticCodeWithPath(const std::filesystem::path& path,
                                                std::optional<platform::StaticCode>& staticCode) override;
    platform::OSStatus checkStaticCodeValidity(const platform::StaticCode& code, std::uint32_t flags,
                                               const platform::CodeRequirement* requirement) override;

    // Writes the bundle's signature record over its current files (nested code must be signed
    // first). Throws SystemError when the record cannot be written.
    static void sign(const std::filesystem::path& bundle, const SigningIdentity& identity = {});
    // The requirement text that a bundle signed with this identity satisfies.
    static std::string requirementText(const std::string& identifier, const std::string& signer);
    // The architecture checked when not every architecture is asked for.
    static constexpr const char* kNativeArchitecture = "arm64";

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
