// A bundle's signature record ("Contents/_CodeSignature/Signature.json"): whatever it holds,
// every check of the bundle ends with a status, however its nested code is named.

#include "fuzz_support.h"
#include "installation/bundle_verification.h"
#include "installation_fixture.h"
#include "platform/code_signing.h"

using namespace tarnwick;
namespace fs = std::filesystem;

namespace {

// A signed bundle with signed nested code, and a link back to the bundle's own folder that a
// record may name as nested code.
const fs::path& bundle() {
    static const fs::path path = [] {
        const fs::path at = fuzz::scratchFolder() / "Tarnwick.app";
        installation_test::makeBundle(at / "Contents/Frameworks/Updater.app",
                                      installation_test::BundleRecipe().withIdentifier("local.orlenbay.Updater"));
        fs::create_directory_symlink("../..", at / "Contents/Frameworks/Self");
        sim::SigningIdentity identity;
        identity.nestedCode = {"Contents/Frameworks/Updater.app"};
        return installation_test::makeBundle(at, installation_test::BundleRecipe().withIdentity(identity));
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::preferMemoryForTemporaryFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testkit::TestEnvironment env;
    fuzz::writeFile(bundle() / sim::kSignatureRecordPath, fuzz::text(data, size));

    auto& signing = *env.session.platform().codeSigning;
    std::optional<platform::StaticCode> code;
    if (signing.createStaticCodeWithPath(bundle(), code) != 0 || !code) return 0;
    const auto requirement = installation_test::requirementFor();
    for (std::uint32_t flags : {std::uint32_t{0}, kSignatureCheckFlags})
        signing.checkStaticCodeValidity(*code, flags, &requirement);
    std::optional<platform::CodeRequirement> designated;
    signing.copyDesignatedRequirement(*code, designated);
    return 0;
}
