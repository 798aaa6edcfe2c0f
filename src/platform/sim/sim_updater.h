#pragma once

#include <map>
#include <memory>
#include <optional>

#include "platform/updater.h"
#include "support/observable.h"
#include "support/run_loop.h"

namespace tarnwick::sim {

class SimulatedSession;

// The updater of the simulated update framework. Its switches live in the defaults domain; it
// checks the session's feed (sim_update_feed.h) when asked and, while started with automatic
// checks on, on a timer of the session's interval. Changes reach observers on the loop after the
// session's reporting delay.
class SimUpdater final : public platform::Updater, public std::enable_shared_from_this<SimUpdater> {
public:
    explicit SimUpdater(SimulatedSession& session) : session_(session) {}
    ~SimUpdater() override;

    bool canCheckForUpdates() const override;
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool on) override;
    bool automaticallyDownloadsUpdates() const override;
    void setAutomaticallyDownloadsUpdates(bool on) override;
    bool allowsAutomaticUpdates() const override;
    void startUpdater() override;
    void checkForUpdates() override;
    [[nodiscard]] Subscription observe(platform::UpdaterProperty property, ChangeHandler handler) override;

    bool isStarted() const { return started_; }
    bool isChecking() const { return checking_; }
    // The automatic-check timer runs.
    bool hasScheduledChecks() const { return automaticChecks_.isValid(); }

private:
    void check(bool automatic);
    void report(platform::UpdaterProperty property, bool value);
    // Runs the automatic-check timer exactly while started with automatic checks on.
    void scheduleAutomaticChecks();

    SimulatedSession& session_;
    bool started_ = false;
    bool checking_ = false;
    Timer automaticChecks_;
    std::map<platform::UpdaterProperty, Signal<std::optional<bool>>> observers_;
};

class SimStandardUpdaterController final : public platform::StandardUpdaterController {
public:
    explicit SimStandardUpdaterController(std::shared_ptr<SimUpdater> updater) : updater_(std::move(updater)) {}
    std::shared_ptr<platform::Updater> updater() override { return updater_; }

private:
    std::shared_ptr<SimUpdater> updater_;
};

class SimUpdateFramework final : public platform::UpdateFramework {
public:
    explicit SimUpdateFramework(SimulatedSession& session) : session_(session) {}
    std::unique_ptr<platform::StandardUpdaterController> makeStandardUpdaterController(bool startingUpdater) override;

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
