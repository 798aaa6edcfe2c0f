// A bundle's manifest ("Contents/Info.json"): whatever it holds, reading the bundle, its build
// number, its installation switch and its verification end in an answer or a reported error.

#include "fuzz_support.h"
#include "installation/bundle_verification.h"
#include "installation/installation_error.h"
#include "installation/installation_policy.h"
#include "installation_fixture.h"

using namespace tarnwick;

namespace {

const std::filesystem::path& bundle() {
    static const auto path = installation_test::makeBundle(fuzz::scratchFolder() / "Tarnwick.app");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::preferMemoryForTemporaryFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testkit::TestEnvironment env;
    fuzz::writeFile(bundle() / platform::kBundleManifestPath, fuzz::text(data, size));

    const platform::Bundle info(bundle());
    info.bundleIdentifier();
    installationEnabled(info);
    std::optional<std::int64_t> build;
    try {
        build = ApplicationInstallationSignature::build(bundle());
    } catch (const Error&) {
    }
    if (build) fuzz::require(*build >= 1, "a build number is at least 1");
    try {
        verifyBundle(bundle(), installation_test::requirementFor());
    } catch (const Error&) {
    }
    // Opening the bundle names its process after the manifest.
    env.session.platform().applicationLauncher->openApplication(bundle(), {}, [](auto, auto) {});
    env.settle();
    return 0;
}
