#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <string>

#include "applications/space_application.h"
#include "platform/icons.h"

namespace tarnwick {

// One icon per app for every place that shows apps. It keeps at most 128 icons, dropping the
// least recently used first, asks the workspace again after 30 s for an icon it did not yet
// trust (right after an install or launch the workspace can hand out a provisional one), and
// shows the generic "app" symbol for an app without a usable bundle. Used on the main loop only.
class ApplicationIconCache {
public:
    // What the resolver says about a bundle's icon.
    struct Resolution {
        enum class Kind {
            resolved,     // a final icon: cached for good
            fallback,     // shown this time, never cached
            unconfirmed,  // shown and cached, asked for again after the retry interval
        };
        Kind kind = Kind::resolved;
        platform::Image image;

        static Resolution resolved(platform::Image image) { return {Kind::resolved, std::move(image)}; }
        static Resolution fallback(platform::Image image) { return {Kind::fallback, std::move(image)}; }
        static Resolution unconfirmed(platform::Image image) { return {Kind::unconfirmed, std::move(image)}; }
    };
    using Clock = std::function<double()>;
    // Takes a bundle URL.
    using Resolver = std::function<std::optional<Resolution>(const std::string&)>;

    static constexpr std::size_t capacity = 128;
    static constexpr double workspaceRetryInterval = 30;

    ApplicationIconCache(Clock now, Resolver resolve);
    ApplicationIconCache(const ApplicationIconCache&) = delete;
    ApplicationIconCache& operator=(const ApplicationIconCache&) = delete;

    // The program's cache: the system-uptime clock and the workspace resolver.
    static ApplicationIconCache& shared();

    // The workspace resolver: an unconfirmed icon for a readable bundle at a file URL, else
    // nothing.
    static std::optional<Resolution> workspaceResolver(const std::string& bundleURL);

    // Always an image: the cached or resolved icon, else the fallback.
    platform::Image image(const SpaceApplication& application);

    std::size_t count() const { return entries_.size(); }

private:
    struct Key {
        std::string applicationID;
        std::string bundlePath;
        friend auto operator<=>(const Key&, const Key&) = default;
    };
    struct Entry {
        platform::Image image;
        double retryAt = 0;  // clock time after which the icon is asked for again
        std::list<Key>::iterator recency;
    };

    platform::Image store(platform::Image image, const Key& key, double retryAt);
    static platform::Image fallbackImage(const SpaceApplication& application);

    Clock now_;
    Resolver resolve_;
    std::map<Key, Entry> entries_;
    std::list<Key> recency_;  // least to most recently used, each key of `entries_` once
};

}  // namespace tarnwick
