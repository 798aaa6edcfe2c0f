#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/application_icon_cache.h"
#include "platform/sim/sim_icons.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
using Resolution = ApplicationIconCache::Resolution;

SpaceApplication app(std::string id, std::string bundleURL, std::string name = "App") {
    return SpaceApplication{std::move(id), std::move(name), std::move(bundleURL)};
}

platform::Image icon(std::uint64_t id) { return platform::Image{id, "icon", {32, 32}, true, {}}; }

class ApplicationIconCacheTest : public ::testing::Test {
protected:
    void SetUp() override { env.session.loadDefaultSession(); }
    sim::SimIcons& icons() { return env.session.icons(); }

    TestEnvironment env;
    double now = 100;
    std::vector<std::string> asked;
    // A resolver that answers `kind` with a new image per call and records the URLs asked.
    ApplicationIconCache::Resolver answering(Resolution::Kind kind) {
        return [this, kind, next = std::uint64_t{1}](const std::string& url) mutable -> std::optional<Resolution> {
            asked.push_back(url);
            return Resolution{kind, icon(next++)};
        };
    }
    ApplicationIconCache::Clock clock() {
        return [this] { return now; };
    }
};

TEST_F(ApplicationIconCacheTest, WorkspaceIconsAreHandedOutUnchangedFor30SecondsThenAskedForAgain) {
    ApplicationIconCache cache([this] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver);
    const auto safari = app("com.apple.Safari", "file:///Applications/Safari.app/", "Safari");
    const auto first = cache.image(safari);
    EXPECT_EQ(first.source, "/Applications/Safari.app");
    EXPECT_TRUE(first.isValid);
    env.advance(29.9);
    EXPECT_EQ(cache.image(safari), first);
    EXPECT_EQ(icons().iconRequests["/Applications/Safari.app"], 1);
    env.advance(0.1);
    const auto second = cache.image(safari);
    EXPECT_NE(second, first);
    EXPECT_EQ(icons().iconRequests["/Applications/Safari.app"], 2);
    EXPECT_EQ(cache.image(safari), second);
    EXPECT_EQ(cache.count(), 1u);
}

TEST_F(ApplicationIconCacheTest, ABundlePathWithEscapedCharactersFindsItsWorkspaceIcon) {
    env.session.launchApplication({4000, "com.example.Code", "Studio Code",
                                   "file:///Applications/Studio%20Code.app/"});
    ApplicationIconCache cache(clock(), ApplicationIconCache::workspaceResolver);
    const auto image = cache.image(app("com.example.Code", "file:///Applications/Studio%20Code.app/", "Studio Code"));
    EXPECT_EQ(image.source, "/Applications/Studio Code.app");
    EXPECT_EQ(cache.count(), 1u);
}

TEST_F(ApplicationIconCacheTest, AppsWithoutAUsableBundleGetTheAppSymbolEveryTimeAndNothingIsCached) {
    ApplicationIconCache cache(clock(), ApplicationIconCache::workspaceResolver);
    icons().files["/Applications/Locked.app"] = sim::SimBundleFile{false, true, true};
    icons().files["/Applications/Plain"] = sim::SimBundleFile{true, false, true};
    icons().files["/Applications/Broken.app"] = sim::SimBundleFile{true, true, false};
    const std::vector<SpaceApplication> unusable = {
        SpaceApplication{"no.bundle", "No Bundle", std::nullopt},
        app("locked", "file:///Applications/Locked.app/", "Locked"),
        app("plain", "file:///Applications/Plain", "Plain"),
        app("broken", "file:///Applications/Broken.app/", "Broken"),
        app("missing", "file:///Applications/Missing.app/", "Missing"),
        app("remote", "https://example.com/Safari.app/", "Remote"),
    };
    for (const auto& application : unusable) {
        for (int round = 0; round < 2; ++round) {
            const auto image = cache.image(application);
            EXPECT_EQ(image.source, "app") << application.id;
            EXPECT_EQ(image.accessibilityDescription, application.name);
        }
    }
    EXPECT_EQ(cache.count(), 0u);
    EXPECT_EQ(icons().iconRequests["/Applications/Broken.app"], 2);  // asked again each time

    icons().hasSymbols = false;
    EXPECT_EQ(cache.image(unusable[0]), platform::Image::empty({16, 16}));
}

TEST_F(ApplicationIconCacheTest, ResolvedIconsStayForGoodAndFallbacksAreNeverKept) {
    ApplicationIconCache resolved(clock(), answering(Resolution::Kind::resolved));
    const auto notes = app("com.apple.Notes", "file:///System/Applications/Notes.app/");
    const auto image = resolved.image(notes);
    now += 1e9;
    EXPECT_EQ(resolved.image(notes), image);
    EXPECT_EQ(asked.size(), 1u);

    asked.clear();
    ApplicationIconCache fallback(clock(), answering(Resolution::Kind::fallback));
    EXPECT_EQ(fallback.image(notes), icon(1));
    EXPECT_EQ(fallback.image(notes), icon(2));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(fallback.count(), 0u);

    // An unconfirmed icon whose renewal falls back is dropped from the cache.
    ApplicationIconCache renewed(clock(), [&, calls = 0](const std::string&) mutable -> std::optional<Resolution> {
        ++calls;
        return calls == 1 ? Resolution::unconfirmed(icon(7)) : Resolution::fallback(icon(8));
    });
    EXPECT_EQ(renewed.image(notes), icon(7));
    now += 30;
    EXPECT_EQ(renewed.image(notes), icon(8));
    EXPECT_EQ(renewed.count(), 0u);
}

TEST_F(ApplicationIconCacheTest, OneIdentityAtTwoBundlePathsGivesTwoEntries) {
    ApplicationIconCache cache(clock(), answering(Resolution::Kind::resolved));
    const auto a = cache.image(app("com.example.Editor", "file:///Applications/Editor.app/"));
    const auto b = cache.image(app("com.example.Editor", "file:///Users/me/Applications/Editor.app/"));
    EXPECT_NE(a, b);
    EXPECT_EQ(cache.count(), 2u);
    // The same path written with or without its trailing slash is one key.
    EXPECT_EQ(cache.image(app("com.example.Editor", "file:///Applications/Editor.app")), a);
}

TEST_F(ApplicationIconCacheTest, The129thAppEvictsTheLeastRecentlyUsedEntry) {
    ApplicationIconCache cache(clock(), answering(Resolution::Kind::resolved));
    auto nth = [](int i) { return app("app." + std::to_string(i), "file:///Apps/" + std::to_string(i) + ".app/"); };
    std::vector<platform::Image> images;
    for (int i = 0; i < 128; ++i) images.push_back(cache.image(nth(i)));
    EXPECT_EQ(cache.count(), 128u);
    // Looking app 0 up makes it the most recent; app 1 is now the least recent.
    EXPECT_EQ(cache.image(nth(0)), images[0]);
    cache.image(nth(128));
    EXPECT_EQ(cache.count(), 128u);
    EXPECT_EQ(asked.size(), 129u);
    EXPECT_EQ(cache.image(nth(0)), images[0]);
    EXPECT_EQ(asked.size(), 129u);
    EXPECT_NE(cache.image(nth(1)), images[1]);  // evicted: resolved anew
    EXPECT_EQ(asked.size(), 130u);
    EXPECT_EQ(asked.back(), "file:///Apps/1.app/");
}

}  // namespace
}  // namespace tarnwick
