#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "support/observable.h"

namespace tarnwick::platform {

// The four switches an updater exposes for observation.
enum class UpdaterProperty { canCheckForUpdates, automaticallyChecksForUpdates, automaticallyDownloadsUpdates,
                             allowsAutomaticUpdates };

// The update framework's updater: it finds, checks and offers new versions of the app, with its
// own user interface. Main loop only.
class Updater {
public:
    virtual ~Updater() = default;

    // False until the updater has started, and while a check is under way.
    virtual bool canCheckForUpdates() const = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool on) = 0;
    // Whether automatic downloads apply to this app at all.
    virtual bool allowsAutomaticUpdates() const = 0;

    // Starts the updater. Throws Error (what() is the framework's description) when it cannot.
    virtual void startUpdater() = 0;
    // A check the user asked for; the framework carries it out and reports on its own.
    virtual void checkForUpdates() = 0;

    // Hears every change of a property, delivered on the main loop, perhaps some time after the
    // change. A change may carry no new value.
    using ChangeHandler = std::function<void(std::optional<bool> newValue)>;
    [[nodiscard]] virtual Subscription observe(UpdaterProperty property, ChangeHandler handler) = 0;
};

// The framework's standard controller: it holds an updater and the framework's standard user
// interface for it.
class StandardUpdaterController {
public:
    virtual ~StandardUpdaterController() = default;
    virtual std::shared_ptr<Updater> updater() = 0;
};

// The update framework.
class UpdateFramework {
public:
    virtual ~UpdateFramework() = default;
    // A standard controller without updater or user-interface delegates; its updater starts at
    // once only when asked to.
    virtual std::unique_ptr<StandardUpdaterController> makeStandardUpdaterController(bool startingUpdater) = 0;
};

}  // namespace tarnwick::platform
