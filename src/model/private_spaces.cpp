#include "model/private_spaces.h"

#include <algorithm>

#include "platform/platform.h"
#include "support/json.h"

namespace tarnwick {

namespace {

constexpr int kOpenLazily = 1;
constexpr std::uint32_t kAnyOwner = 0;
constexpr std::uint32_t kWindowsOptions = 7;

Value unsupported(const char* reason) {
    Dictionary result;
    result["unsupported"] = reason;
    return Value(std::move(result));
}

// The window ids of one desktop, or nothing when any entry is not a real window id. Booleans,
// fractions, negative numbers, 0 and values beyond 32 bits are refused before any conversion.
std::optional<std::vector<std::uint32_t>> windowList(const std::optional<Value>& result) {
    const auto* entries = result ? result->asArray() : nullptr;
    if (!entries) return std::nullopt;
    std::vector<std::uint32_t> ids;
    for (const auto& entry : *entries) {
        auto id = entry.toUInt32();
        if (!id || *id == 0) return std::nullopt;
        if (std::find(ids.begin(), ids.end(), *id) == ids.end()) ids.push_back(*id);
    }
    return ids;
}

}  // namespace

Value PrivateSpaces::snapshot() {
    auto skyLight = platform::current().windowServer->openSkyLight(kSkyLightPath, kOpenLazily);
    if (!skyLight) return unsupported("SkyLight unavailable");
    if (!skyLight->hasSymbol("SLSMainConnectionID") || !skyLight->hasSymbol("SLSCopyManagedDisplaySpaces"))
        return unsupported("Managed display Spaces symbols unavailable");
    auto displays = skyLight->copyManagedDisplaySpaces(skyLight->mainConnectionID());
    if (!displays) return unsupported("Managed display Spaces returned no data");
    if (!json::isValidObject(*displays)) return unsupported("Unexpected managed Spaces schema");

    Dictionary result;
    result["rawManagedDisplays"] = std::move(*displays);
    result["identityValidated"] = false;
    result["notice"] = kNotice;
    return Value(std::move(result));
}

std::optional<std::map<std::uint64_t, std::vector<std::uint32_t>>> PrivateSpaces::windowIDs(
    const std::vector<std::uint64_t>& spaceIDs) {
    auto skyLight = platform::current().windowServer->openSkyLight(kSkyLightPath, kOpenLazily);
    if (!skyLight || !skyLight->hasSymbol("SLSMainConnectionID") ||
        !skyLight->hasSymbol("SLSCopyWindowsWithOptionsAndTags"))
        return std::nullopt;

    const auto connection = skyLight->mainConnectionID();
    std::map<std::uint64_t, std::vector<std::uint32_t>> result;
    std::vector<std::uint64_t> asked;
    for (auto spaceID : spaceIDs) {
        if (spaceID == 0 || std::find(asked.begin(), asked.end(), spaceID) != asked.end()) continue;
        asked.push_back(spaceID);
        std::uint64_t setTags = 0;
        std::uint64_t clearTags = 0;
        auto windows = skyLight->copyWindowsWithOptionsAndTags(connection, kAnyOwner, Array{Value(spaceID)},
                                                               kWindowsOptions, setTags, clearTags);
        if (auto ids = windowList(windows)) result[spaceID] = std::move(*ids);
    }
    return result;
}

}  // namespace tarnwick
