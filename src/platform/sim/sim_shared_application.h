#pragma once

#include <memory>
#include <optional>

#include "platform/bundle.h"
#include "platform/shared_application.h"
#include "platform/ui/panel.h"

namespace tarnwick::sim {

class SimulatedSession;

// This process's application object: it launches once, tells its delegate, activates (counted),
// lists our panels as its windows, keeps the standard about panel, and ends once, stopping the
// main loop. The state tests observe is the session's `applicationState`.
class SimSharedApplication : public platform::SharedApplication {
public:
    explicit SimSharedApplication(SimulatedSession& session) : session_(session) {}
    ~SimSharedApplication() override;

    void setDelegate(std::weak_ptr<platform::ApplicationDelegate> delegate) override { delegate_ = std::move(delegate); }
    std::shared_ptr<platform::ApplicationDelegate> delegate() override { return delegate_.lock(); }
    void finishLaunching() override;
    bool isLaunched() override;
    void run() override;
    void setActivationPolicy(platform::ActivationPolicy policy) override;
    platform::ActivationPolicy activationPolicy() override;
    void activate(bool ignoringOtherApps) override;
    bool isActive() override;
    std::vector<platform::ui::Panel*> windows() override;
    void orderFrontStandardAboutPanel() override;
    void terminate() override;
    bool isTerminated() override;

    // ---- the user's side
    // The user opens the running app again: it becomes active and the delegate is asked
    // whether it handles the reopen. Nothing (and no activation) before launching finished or
    // after termination; nothing either without a delegate.
    std::optional<bool> reopen();
    // Whether any of our windows other than the menu bar's status items is shown.
    bool hasVisibleWindows();
    // The about panel, once made.
    platform::ui::Panel* aboutPanel() const { return aboutPanel_.get(); }

    static constexpr const char* kApplicationName = "Tarnwick";

private:
    SimulatedSession& session_;
    std::weak_ptr<platform::ApplicationDelegate> delegate_;
    bool terminating_ = false;  // will-terminate was sent (or is being sent)
    std::unique_ptr<platform::ui::Panel> aboutPanel_;
};

// The running copy's bundle: the session's choice, or the bundle around the executable when it
// lies at "<name>.app/Contents/MacOS/<executable>", else the executable's folder.
class SimMainBundle : public platform::MainBundle {
public:
    explicit SimMainBundle(SimulatedSession& session) : session_(session) {}
    std::filesystem::path bundleURL() override;

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
