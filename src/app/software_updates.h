#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/action_target.h"
#include "platform/updater.h"
#include "support/observable.h"

namespace tarnwick {

// The app's one way to the update framework: it makes the framework's standard controller
// without starting it, mirrors the updater's four switches for the settings window, starts the
// updater once when launching has finished, offers "Check for Updates…" and keeps the
// description of a failed start for the settings page. As a menu row's target it answers
// "checkForUpdates:" and validates that row. Main loop only.
class SoftwareUpdates final : public platform::ui::ActionTarget {
public:
    // Without an updater, the framework's standard controller is made (not started) and kept
    // for as long as this object lives. The delegate passes none; tests pass their own.
    explicit SoftwareUpdates(std::shared_ptr<platform::Updater> updater = nullptr);
    SoftwareUpdates(const SoftwareUpdates&) = delete;
    SoftwareUpdates& operator=(const SoftwareUpdates&) = delete;

    // Follow what the updater reports, before and after the start.
    Published<bool> canCheckForUpdates{false};
    Published<bool> automaticallyChecksForUpdates{false};
    Published<bool> automaticallyDownloadsUpdates{false};
    Published<bool> allowsAutomaticUpdates{false};
    // Set once, for good, by a start that failed.
    Published<std::optional<std::string>> startupError;

    platform::Updater& updater() const { return *updater_; }
    // The standard controller, or null when an updater was passed in.
    platform::StandardUpdaterController* controller() const { return controller_.get(); }

    // Starts the updater the first time; later calls do nothing, so a failed start is not retried.
    void start();
    // The menu item's and the settings button's action: a check, when the updater can check now.
    void checkForUpdates();
    // Whether a menu item that runs checkForUpdates is enabled: the updater's current answer.
    bool validateMenuItem() const;

    // ---- as the target of the "Check for Updates…" row (set it with `lifetime()`)
    static constexpr const char* kCheckForUpdatesAction = "checkForUpdates:";
    bool respondsToAction(std::string_view action) const override { return action == kCheckForUpdatesAction; }
    void performAction(std::string_view action, platform::ui::MenuItem* sender) override;
    bool validateMenuItem(const platform::ui::MenuItem& item) override;
    const LifetimeToken& lifetime() const { return lifetime_; }
    // The settings page's switches write the updater only; the published values follow when
    // the updater reports the change.
    void setAutomaticChecks(bool on);
    void setAutomaticDownloads(bool on);

private:
    void observe(platform::UpdaterProperty property, Published<bool>& published);

    std::unique_ptr<platform::StandardUpdaterController> controller_;
    std::shared_ptr<platform::Updater> updater_;
    std::vector<Subscription> observations_;
    bool attemptedStart_ = false;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
