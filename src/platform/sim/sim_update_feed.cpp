#include "platform/sim/sim_update_feed.h"

#include <cstdint>
#include <filesystem>

#include "platform/bundle.h"
#include "platform/code_signing.h"
#include "platform/file_url.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"
#include "support/files.h"
#include "support/json.h"

namespace tarnwick::sim {

namespace {

namespace fs = std::filesystem;
using Kind = SimUpdateOutcome::Kind;

struct FeedItem {
    std::int64_t build = 0;
    std::string version;
    fs::path bundle;
};

SimUpdateOutcome failure(const char* message, const char* reason) { return {Kind::failed, {}, message, reason, false}; }

// The feed's text, or the sentence of why there is none to parse.
struct FeedText {
    std::string text;
    const char* unavailable = nullptr;
};

FeedText readFeed(const std::optional<std::string>& feedURL) {
    if (!feedURL || feedURL->empty()) return {{}, kNoUpdateFeed};
    // Only "file" URLs can be read here: this machine has no network.
    const std::optional<fs::path> path = platform::pathFromFileURL(*feedURL);
    if (!path) return {{}, kUpdateFeedUnreadable};
    try {
        return {files::read(*path), nullptr};
    } catch (const Error&) {
        return {{}, kUpdateFeedUnreadable};
    }
}

// A build number: a whole number, in the manifest perhaps written as a decimal string.
std::optional<std::int64_t> buildNumber(const Value& value) {
    if (value.isNumber()) return value.toInt64();
    const std::string* text = value.asString();
    if (!text || text->empty() || text->size() > 18) return std::nullopt;
    std::int64_t number = 0;
    for (char c : *text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

// Nothing when any item is malformed: a feed is taken whole or not at all.
std::optional<std::vector<FeedItem>> parseFeed(const Value& feed) {
    const Array* items = feed.asArray();
    if (!items) return std::nullopt;
    std::vector<FeedItem> result;
    for (const Value& item : *items) {
        const Value* build = item.find("build");
        const Value* version = item.find("version");
        const Value* url = item.find("url");
        if (!build || !build->isNumber() || !version || !version->asString() || !url || !url->asString())
            return std::nullopt;
        auto number = build->toInt64();
        auto path = platform::pathFromFileURL(*url->asString());
        if (!number || !path) return std::nullopt;
        result.push_back({*number, *version->asString(), *path});
    }
    return result;
}

// The running copy's designated requirement; nothing when the copy is not signed (a copy built
// on the developer's machine), and then no update can be checked against it.
std::optional<platform::CodeRequirement> runningRequirement(SimulatedSession& session) {
    auto& signing = *session.platform().codeSigning;
    std::optional<platform::Code> self;
    std::optional<platform::StaticCode> selfCode;
    std::optional<platform::CodeRequirement> requirement;
    constexpr auto ok = platform::code_signing_status::kSuccess;
    if (signing.copySelf(self) != ok || signing.copyStaticCode(*self, selfCode) != ok ||
        signing.copyDesignatedRequirement(*selfCode, requirement) != ok)
        return std::nullopt;
    return requirement;
}

bool verified(SimulatedSession& session, const fs::path& bundle, const std::string& identifier,
              const platform::CodeRequirement& requirement) {
    if (platform::Bundle(bundle).bundleIdentifier() != identifier) return false;
    namespace flags = platform::code_signing_flags;
    auto& signing = *session.platform().codeSigning;
    std::optional<platform::StaticCode> update;
    constexpr auto ok = platform::code_signing_status::kSuccess;
    if (signing.createStaticCodeWithPath(bundle, update) != ok) return false;
    const std::uint32_t all = flags::kCheckAllArchitectures | flags::kCheckNestedCode | flags::kStrictValidate;
    return signing.checkStaticCodeValidity(*update, all, &requirement) == ok;
}

}  // namespace

SimUpdateOutcome checkUpdateFeed(SimulatedSession& session) {
    const FeedText feedText = readFeed(session.updates.feedURL);
    if (feedText.unavailable) return failure(kUpdateFeedUnavailable, feedText.unavailable);
    auto feed = json::parse(feedText.text);
    auto items = feed ? parseFeed(*feed) : std::nullopt;
    if (!items) return failure(kUpdateFeedUnavailable, kUpdateFeedInvalid);

    const platform::Bundle running(session.platform().mainBundle->bundleURL());
    auto version = running.object("CFBundleVersion");
    auto current = version ? buildNumber(*version) : std::nullopt;
    auto identifier = running.bundleIdentifier();
    if (!current || !identifier) return failure(kUpdateCheckFailed, kRunningVersionUnknown);

    const FeedItem* newest = nullptr;
    for (const auto& item : *items)
        if (item.build > *current && (!newest || item.build > newest->build)) newest = &item;
    if (!newest) return {Kind::upToDate, {}, {}, {}, false};
    // An unsigned copy says so, rather than blaming an update it had nothing to compare with.
    const auto requirement = runningRequirement(session);
    if (!requirement) return failure(kUpdateNotOffered, kRunningCopyUnsigned);
    if (!verified(session, newest->bundle, *identifier, *requirement)) return failure(kUpdateNotOffered, kUpdateNotVerified);
    return {Kind::updateFound, newest->version, {}, {}, false};
}

}  // namespace tarnwick::sim
