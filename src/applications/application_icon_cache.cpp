#include "applications/application_icon_cache.h"

#include <limits>
#include <utility>

#include "applications/file_url.h"
#include "platform/platform.h"
#include "support/run_loop.h"

namespace tarnwick {

namespace {

constexpr const char* kFallbackSymbol = "app";
constexpr double kFallbackSide = 16;

}  // namespace

ApplicationIconCache::ApplicationIconCache(Clock now, Resolver resolve)
    : now_(std::move(now)), resolve_(std::move(resolve)) {}

ApplicationIconCache& ApplicationIconCache::shared() {
    static ApplicationIconCache cache(systemUptime, workspaceResolver);
    return cache;
}

std::optional<ApplicationIconCache::Resolution> ApplicationIconCache::workspaceResolver(const std::string& bundleURL) {
    if (!file_url::isFileURL(bundleURL)) return std::nullopt;
    const std::string path = file_url::path(bundleURL);
    platform::Icons& icons = *platform::current().icons;
    if (path.empty() || !icons.isReadableFile(path) || !icons.isBundle(path)) return std::nullopt;
    platform::Image image = icons.iconForFile(path);
    if (!image.isValid) return std::nullopt;
    return Resolution::unconfirmed(std::move(image));
}

platform::Image ApplicationIconCache::image(const SpaceApplication& application) {
    if (!application.bundleURL) return fallbackImage(application);
    const Key key{application.id, file_url::path(*application.bundleURL)};
    const double t = now_();

    if (auto found = entries_.find(key); found != entries_.end()) {
        if (t < found->second.retryAt) {
            recency_.splice(recency_.end(), recency_, found->second.recency);
            return found->second.image;
        }
        recency_.erase(found->second.recency);
        entries_.erase(found);
    }

    auto resolution = resolve_(*application.bundleURL);
    if (!resolution) return fallbackImage(application);
    switch (resolution->kind) {
        case Resolution::Kind::resolved:
            return store(std::move(resolution->image), key, std::numeric_limits<double>::infinity());
        case Resolution::Kind::unconfirmed:
            return store(std::move(resolution->image), key, t + workspaceRetryInterval);
        case Resolution::Kind::fallback:
            break;
    }
    return std::move(resolution->image);
}

platform::Image ApplicationIconCache::store(platform::Image image, const Key& key, double retryAt) {
    if (entries_.size() >= capacity && !recency_.empty()) {
        entries_.erase(recency_.front());
        recency_.pop_front();
    }
    auto position = recency_.insert(recency_.end(), key);
    entries_.insert_or_assign(key, Entry{image, retryAt, position});
    return image;
}

platform::Image ApplicationIconCache::fallbackImage(const SpaceApplication& application) {
    if (auto symbol = platform::current().icons->systemSymbolImage(kFallbackSymbol, application.name)) return *symbol;
    return platform::Image::empty({kFallbackSide, kFallbackSide});
}

}  // namespace tarnwick
