#include "installation/installation_error.h"
#include "installation_fixture.h"

namespace tarnwick::installation_test {
namespace {

using ApplicationInstallationSignature::build;

class BundleVerificationTest : public ::testing::Test {
protected:
    testkit::TempFolder temp;
    testkit::TestEnvironment env;
    platform::CodeRequirement requirement = requirementFor();

    void expectInvalid(const fs::path& bundle) {
        try {
            verifyBundle(bundle, requirement);
            ADD_FAILURE() << bundle << " was accepted";
        } catch (const ApplicationInstallationError& e) {
            EXPECT_EQ(e, ApplicationInstallationError::invalidApplication());
        }
    }
};

TEST_F(BundleVerificationTest, BuildNumbersAreStrictDecimalIntegersOfAtLeastOne) {
    EXPECT_EQ(build(makeBundle(temp / "a.app", BundleRecipe().withVersion("42"))), 42);
    EXPECT_EQ(build(makeBundle(temp / "b.app", BundleRecipe().withVersion("+42"))), 42);
    EXPECT_EQ(build(makeBundle(temp / "c.app", BundleRecipe().withVersion("9223372036854775807"))), INT64_MAX);
    int index = 0;
    for (const char* bad : {"0", "-3", "1.2", " 42", "42a", "", "+", "9223372036854775808", "٤٢"}) {
        auto bundle = makeBundle(temp / ("bad" + std::to_string(index++) + ".app"), BundleRecipe().withVersion(bad));
        EXPECT_THROW(build(bundle), ApplicationInstallationError) << "\"" << bad << "\"";
    }
}

TEST_F(BundleVerificationTest, IdentifierMustMatchExactly) {
    EXPECT_THROW(build(makeBundle(temp / "a.app", BundleRecipe().withIdentifier("local.orlenbay.tarnwick"))),
                 ApplicationInstallationError);
    auto bundle = makeBundle(temp / "b.app");
    files::writeAtomically(bundle / platform::kBundleManifestPath, R"(["not", "a", "dictionary"])");
    EXPECT_THROW(build(bundle), ApplicationInstallationError);
}

TEST_F(BundleVerificationTest, UnreadableOrMalformedManifestsThrowTheirOwnErrors) {
    files::createDirectories(temp / "empty.app/Contents");
    try {
        build(temp / "empty.app");
        FAIL();
    } catch (const ApplicationInstallationError&) {
        FAIL() << "a missing manifest is a file error";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.code(), file_error::kFileNoSuchFile);
    }
    auto bundle = makeBundle(temp / "broken.app");
    files::writeAtomically(bundle / platform::kBundleManifestPath, "{\"CFBundleVersion\": ");
    try {
        build(bundle);
        FAIL();
    } catch (const ApplicationInstallationError&) {
        FAIL() << "a malformed manifest is a parse error";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.code(), 3840);
    }
}

TEST_F(BundleVerificationTest, OnlyIntactCopiesSignedByTheSameSignerPass) {
    EXPECT_NO_THROW(verifyBundle(makeBundle(temp / "good.app"), requirement));

    sim::SigningIdentity stranger;
    stranger.signer = "Developer ID Application: Someone Else (ZZZZZZZZZZ)";
    expectInvalid(makeBundle(temp / "foreign.app", BundleRecipe().withIdentity(stranger)));
    expectInvalid(makeBundle(temp / "unsigned.app", BundleRecipe().unsignedCopy()));

    auto tampered = makeBundle(temp / "tampered.app");
    files::writeAtomically(tampered / "Contents/MacOS/Tarnwick", "#!something else\n");
    expectInvalid(tampered);

    auto added = makeBundle(temp / "added.app");
    files::writeAtomically(added / "Contents/Resources/extra.dylib", "x");
    expectInvalid(added);

    sim::SigningIdentity oneArchBroken;
    oneArchBroken.architectures["x86_64"] = false;
    expectInvalid(makeBundle(temp / "arch.app", BundleRecipe().withIdentity(oneArchBroken)));
}

TEST_F(BundleVerificationTest, NestedCodeAndLinksLeavingTheBundleAreChecked) {
    auto bundle = temp / "nested.app";
    makeBundle(bundle / "Contents/Frameworks/Updater.app", BundleRecipe().withIdentifier("local.orlenbay.Updater"));
    sim::SigningIdentity identity;
    identity.nestedCode = {"Contents/Frameworks/Updater.app"};
    makeBundle(bundle, BundleRecipe().withIdentity(identity));
    EXPECT_NO_THROW(verifyBundle(bundle, requirement));
    files::writeAtomically(bundle / "Contents/Frameworks/Updater.app/Contents/MacOS/Tarnwick", "changed");
    expectInvalid(bundle);

    auto escaping = temp / "escaping.app";
    files::createDirectories(escaping / "Contents");
    files::writeAtomically(temp / "outside", "not the bundle's");
    fs::create_symlink(temp / "outside", escaping / "Contents/passwd");
    makeBundle(escaping);
    expectInvalid(escaping);
}

// Records that name the bundle itself, a way out of it or the same code twice would lead the
// check around in circles (until the stack or the path length gives out); they fail it instead.
TEST_F(BundleVerificationTest, NestedCodeMustLieStrictlyInsideTheBundleAndCountsOnce) {
    int index = 0;
    const auto signedWith = [&](std::vector<std::string> nested, const std::function<void(const fs::path&)>& prepare) {
        auto bundle = temp / ("self" + std::to_string(index++) + ".app");
        files::createDirectories(bundle / "Contents/Frameworks");
        prepare(bundle);
        sim::SigningIdentity identity;
        identity.nestedCode = std::move(nested);
        return makeBundle(bundle, BundleRecipe().withIdentity(identity));
    };
    const auto nothing = [](const fs::path&) {};
    const auto loop = [](const fs::path& bundle) {
        fs::create_directory_symlink("..", bundle / "Contents/Loop");
    };
    expectInvalid(signedWith({""}, nothing));
    expectInvalid(signedWith({"."}, nothing));
    expectInvalid(signedWith({"Contents/.."}, nothing));
    expectInvalid(signedWith({"../self0.app"}, nothing));
    expectInvalid(signedWith({(temp / ("self" + std::to_string(index) + ".app")).string()}, nothing));
    expectInvalid(signedWith({"Contents/Loop/"}, loop));

    const auto updater = [](const fs::path& bundle) {
        makeBundle(bundle / "Contents/Frameworks/Updater.app", BundleRecipe().withIdentifier("local.orlenbay.Updater"));
    };
    expectInvalid(signedWith({"Contents/Frameworks/Updater.app", "Contents/Frameworks/./Updater.app"}, updater));
    EXPECT_NO_THROW(verifyBundle(signedWith({"Contents/Frameworks/../Frameworks/Updater.app"}, updater), requirement));
}

TEST_F(BundleVerificationTest, TheRequirementComesFromTheRunningCopy) {
    EXPECT_FALSE(designatedRequirement());  // the test program is no signed bundle
    env.session.fileSystem.mainBundle = makeBundle(temp / "running.app");
    auto own = designatedRequirement();
    ASSERT_TRUE(own);
    EXPECT_EQ(own->text, requirement.text);
    env.session.codeSigning.selfAvailable = false;
    EXPECT_FALSE(designatedRequirement());
    EXPECT_THROW(requireDesignatedRequirement(), ApplicationInstallationError);
}

}  // namespace
}  // namespace tarnwick::installation_test
