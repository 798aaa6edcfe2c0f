#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "installation/bundle_verification.h"
#include "installation/installation_policy.h"
#include "platform/bundle.h"
#include "platform/file_url.h"
#include "platform/sim/sim_code_signing.h"
#include "support/files.h"
#include "support/json.h"
#include "support/task.h"
#include "testkit/test_environment.h"

namespace tarnwick::installation_test {

namespace fs = std::filesystem;

struct BundleRecipe {
    std::string identifier = kApplicationBundleIdentifier;
    std::string version = "7";
    std::optional<Value> requireInstallation = Value(true);
    bool sign = true;
    sim::SigningIdentity identity;

    BundleRecipe& withVersion(std::string value) {
        version = std::move(value);
        return *this;
    }
    BundleRecipe& withIdentifier(std::string value) {
        identifier = std::move(value);
        return *this;
    }
    BundleRecipe& withRequireInstallation(std::optional<Value> value) {
        requireInstallation = std::move(value);
        return *this;
    }
    BundleRecipe& withIdentity(sim::SigningIdentity value) {
        identity = std::move(value);
        return *this;
    }
    BundleRecipe& unsignedCopy() {
        sign = false;
        return *this;
    }
};

// A real app bundle: a manifest, an executable, a resource and a link to it, signed.
inline fs::path makeBundle(const fs::path& at, const BundleRecipe& recipe = {}) {
    files::createDirectories(at / "Contents/MacOS");
    files::createDirectories(at / "Contents/Resources/en.lproj");
    Value manifest;
    manifest["CFBundleIdentifier"] = recipe.identifier;
    manifest["CFBundleVersion"] = recipe.version;
    manifest["CFBundleExecutable"] = "Tarnwick";
    manifest["CFBundleName"] = "Tarnwick";
    if (recipe.requireInstallation) manifest[kRequireInstallationKey] = *recipe.requireInstallation;
    files::writeAtomically(at / platform::kBundleManifestPath, *json::write(manifest, json::Style::pretty));
    files::writeAtomically(at / "Contents/MacOS/Tarnwick", "#!tarnwick " + recipe.version + "\n");
    fs::permissions(at / "Contents/MacOS/Tarnwick",
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add);
    files::writeAtomically(at / "Contents/Resources/en.lproj/Localizable.strings", "\"Install\" = \"Install\";\n");
    std::error_code ignored;
    fs::create_directory_symlink("en.lproj", at / "Contents/Resources/Current", ignored);
    if (recipe.sign) sim::SimCodeSigning::sign(at, recipe.identity);
    return at;
}

// A running copy of the app from that bundle.
inline sim::SimApplication copyAt(std::int32_t pid, const fs::path& bundle) {
    sim::SimApplication app;
    app.pid = pid;
    app.bundleIdentifier = kApplicationBundleIdentifier;
    app.name = "Tarnwick";
    app.bundleURL = platform::fileURLString(bundle, true);
    return app;
}

inline platform::CodeRequirement requirementFor(const sim::SigningIdentity& identity = {}) {
    return {sim::SimCodeSigning::requirementText(identity.identifier, identity.signer)};
}

inline std::string versionOf(const fs::path& bundle) {
    return *platform::Bundle(bundle).object("CFBundleVersion")->asString();
}

template <typename T>
Task<void> storeResult(Task<T> task, std::optional<T>& result) {
    result.emplace(co_await std::move(task));
}

// Runs a task on the test's loop, letting virtual time pass until it ends; rethrows its error.
template <typename T>
T run(testkit::TestEnvironment& env, Task<T> task, double limit = 120) {
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> result;
    TaskHandle<void> handle;
    if constexpr (std::is_void_v<T>)
        handle = spawn(env.loop, std::move(task));
    else
        handle = spawn(env.loop, storeResult(std::move(task), result));
    for (double waited = 0; !handle.isDone() && waited < limit; waited += 0.05) env.advance(0.05);
    if (!handle.isDone()) throw std::runtime_error("the task did not finish");
    if (handle.error()) std::rethrow_exception(handle.error());
    if constexpr (!std::is_void_v<T>) return std::move(*result);
}

// A read-only disk image attached at "/Volumes/Tarnwick" holding a copy of the app.
inline sim::SimDiskImage& attachInstallerImage(testkit::TestEnvironment& env, const BundleRecipe& recipe = {}) {
    sim::SimDiskImage image;
    image.imagePath = env.home.path() / "Downloads/Tarnwick-7.dmg";
    image.mountPoint = env.session.machinePath("/Volumes/Tarnwick");
    image.volumeUUID = "0E6C9B52-8D1F-4C3A-B7E2-91A45F3D6C08";
    makeBundle(image.mountPoint / "Tarnwick.app", recipe);
    env.session.diskImageTool.images.push_back(image);
    return env.session.diskImageTool.images.back();
}

// The names inside a folder, sorted.
inline std::vector<std::string> listing(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tarnwick::installation_test
