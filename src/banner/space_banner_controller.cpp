#include "banner/space_banner_controller.h"

#include <algorithm>

#include "model/diagnostic_files.h"
#include "model/mission_control_visibility.h"
#include "platform/platform.h"
#include "platform/ui/screens.h"
#include "platform/ui/window_system.h"

namespace tarnwick {

namespace names = platform::notification_names;
namespace keys = platform::window_list;

namespace {

const DesktopMonitor* monitorWithID(const std::vector<DesktopMonitor>& monitors, const std::string& id) {
    for (const auto& monitor : monitors)
        if (monitor.id == id) return &monitor;
    return nullptr;
}

// The desktop of that id when it is the current one of its monitor.
const ManagedDesktop* currentDesktopWithID(const DesktopMonitor& monitor, const std::string& desktopID) {
    for (const auto& desktop : monitor.desktops)
        if (desktop.id == desktopID && desktop.isCurrent) return &desktop;
    return nullptr;
}

}  // namespace

SpaceBannerController::SpaceBannerController(DesktopNamesModel& model, SettingsModel& settings,
                                             SpaceBannerServices services)
    : model_(model),
      settings_(settings),
      diagnosticTrace_(DiagnosticFiles::location(traceFileName)),
      loader_(services.loader ? *services.loader : SpaceApplicationSnapshotLoader::shared()),
      icons_(services.icons) {}

SpaceBannerController::~SpaceBannerController() {
    workspaceObserver_.reset();
    screenObserver_.reset();
    for (auto& sample : samples_) sample.cancel();
    retry_.cancel();
    if (visibilityTimer_) visibilityTimer_->invalidate();
    for (auto& [id, request] : applicationRequests_) request.task.cancel();
}

std::string_view SpaceBannerController::rawValue(Trigger trigger) {
    switch (trigger) {
        case Trigger::desktopSwitch:
            return "shown";
        case Trigger::preview:
            return "previewed";
        case Trigger::missionControl:
            return "mission-control-shown";
    }
    return {};
}

const SpaceNameBanner* SpaceBannerController::banner(const std::string& displayID) const {
    auto it = banners_.find(displayID);
    return it == banners_.end() ? nullptr : it->second.get();
}

std::map<std::string, Rect> SpaceBannerController::geometry() const {
    std::map<std::string, Rect> map;
    for (const auto& monitor : model_.monitors.get()) map[monitor.id] = monitor.bounds;
    return map;
}

std::optional<platform::ScreenDescription> SpaceBannerController::screenOf(const std::string& displayID) const {
    auto& displays = *platform::current().displays;
    for (auto& screen : platform::ui::screens()) {
        auto number = platform::ui::displayID(screen);
        if (!number) continue;
        auto uuid = displays.uuidString(*number);
        if (uuid && *uuid == displayID) return screen;
    }
    return std::nullopt;
}

// ---- start and stop

void SpaceBannerController::start() {
    if (isRunning()) return;
    const auto preferences = settings_.preferences.get();
    if (!preferences.showsBanners() || preferences.paused) return;
    model_.refresh(true);
    tracker_.reset(model_.monitors.get());
    monitorGeometry_ = geometry();
    diagnosticTrace_.reset();

    auto& platform = platform::current();
    workspaceObserver_ = platform.workspaceNotificationCenter->addObserver(
        names::kActiveSpaceDidChange, [this, alive = lifetime_.weak()](const platform::Notification&) {
            if (alive) spaceChanged();
        });
    screenObserver_ = platform.notificationCenter->addObserver(
        names::kScreenParametersDidChange, [this, alive = lifetime_.weak()](const platform::Notification&) {
            if (alive) screenParametersChanged();
        });
}

void SpaceBannerController::stop() {
    workspaceObserver_.reset();
    screenObserver_.reset();
    cancelWork();
    hideBanners("controller-stopped");
    if (visibilityTimer_) visibilityTimer_->invalidate();
    visibilityTimer_.reset();
    pending_.clear();
}

void SpaceBannerController::screenParametersChanged() {
    model_.refresh(true);
    auto current = geometry();
    if (current == monitorGeometry_) return;
    monitorGeometry_ = std::move(current);
    cancelWork();
    hideBanners("display-geometry-changed");
    // The panels are made anew when next needed, on the new arrangement.
    banners_.clear();
    pending_.clear();
    tracker_.reset(model_.monitors.get());
}

void SpaceBannerController::cancelWork() {
    ++generation_;
    for (auto& [id, request] : applicationRequests_) request.task.cancel();
    applicationRequests_.clear();
    for (auto& sample : samples_) sample.cancel();
    samples_.clear();
    retry_.cancel();
    retry_ = WorkItem();
}

// ---- desktop switches

void SpaceBannerController::spaceChanged() {
    // Nothing to show and nothing to correct.
    if (!settings_.preferences.get().bannersEnabled && displayed_.empty()) return;
    cancelWork();
    const int token = generation_;
    for (double delay : {firstSampleDelay, secondSampleDelay})
        samples_.push_back(RunLoop::main().postAfter(delay, [this, alive = lifetime_.weak(), token] {
            if (alive) collect(token);
        }));
}

void SpaceBannerController::collect(int token) {
    if (token != generation_) return;
    model_.refresh(true);
    const auto& monitors = model_.monitors.get();
    if (monitors.empty()) {
        hideBanners("catalog-unavailable");
        pending_.clear();
        return;
    }
    std::vector<std::string> stale;
    for (const auto& [displayID, presentation] : displayed_) {
        const DesktopMonitor* monitor = monitorWithID(monitors, displayID);
        if (!monitor || !currentDesktopWithID(*monitor, presentation.desktopID)) stale.push_back(displayID);
    }
    for (const auto& displayID : stale) hideBanner(displayID, "destination-changed");

    // With switch banners off the tracker is not sampled and keeps the desktops it saw last, so a
    // switch made meanwhile is reported at the next sample once they are back on. Only a restart,
    // which resets the tracker (the delegate restarts the controller when the setting changes),
    // keeps it from showing.
    if (!settings_.preferences.get().bannersEnabled) return;
    for (auto& change : tracker_.observe(model_.monitors.get())) {
        cancelApplicationRequest(change.monitorID);
        if (auto it = banners_.find(change.monitorID); it != banners_.end()) it->second->hide("switch-replaced");
        displayed_.erase(change.monitorID);
        const std::string displayID = change.monitorID;
        pending_.insert_or_assign(displayID, Pending{std::move(change), systemUptime() + pendingLifetime});
    }
    showPending(token);
}

void SpaceBannerController::showPending(int token) {
    if (token != generation_) return;
    const double now = systemUptime();
    const auto& monitors = model_.monitors.get();
    std::erase_if(pending_, [&](const auto& entry) {
        const Pending& pending = entry.second;
        if (!(pending.expires > now)) return true;
        const DesktopMonitor* monitor = monitorWithID(monitors, pending.change.monitorID);
        return !monitor || !currentDesktopWithID(*monitor, pending.change.desktop.id);
    });
    if (pending_.empty()) return;
    if (!missionControlVisible()) {
        // Shown in display order, from a copy: showing may change what is pending.
        std::vector<Pending> ready;
        for (const auto& [id, pending] : pending_) ready.push_back(pending);
        for (const auto& pending : ready) show(pending.change, Trigger::desktopSwitch, std::nullopt);
        pending_.clear();
        return;
    }
    // Waits behind Mission Control, polled until it closes or the switch expires.
    retry_.cancel();
    retry_ = RunLoop::main().postAfter(retryInterval, [this, alive = lifetime_.weak(), token] {
        if (!alive || generation_ != token) return;
        model_.refresh(true);
        showPending(token);
    });
}

bool SpaceBannerController::missionControlVisible() {
    const auto snapshot = MissionControlVisibility::currentSnapshot();
    const bool visible = MissionControlVisibility::isVisible(snapshot);
    if (lastMissionControlVisible_ != visible) {
        lastMissionControlVisible_ = visible;
        Array windows;
        for (const auto& window : MissionControlVisibility::matchingWindows(snapshot)) {
            const Value* number = window.find(keys::kNumber);
            const Value* name = window.find(keys::kName);
            const Value* bounds = window.find(keys::kBounds);
            Dictionary entry;
            entry["id"] = number ? *number : Value(0);
            entry["name"] = name ? *name : Value("");
            entry["bounds"] = bounds ? *bounds : Value(Dictionary{});
            windows.emplace_back(std::move(entry));
        }
        Dictionary details;
        details["visible"] = visible;
        details["windows"] = Value(std::move(windows));
        trace("mission-control-state", std::nullopt, std::move(details));
    }
    return visible;
}

// ---- showing

void SpaceBannerController::show(const Change& requested, Trigger trigger,
                                 const std::optional<std::vector<std::uint64_t>>& applicationSpaces) {
    const auto preferences = settings_.preferences.get();
    if (!preferences.showsBanners() || preferences.paused) return;
    const auto screen = screenOf(requested.monitorID);
    if (!screen) return;
    // A banner only ever names a desktop that the catalog reports current now.
    const DesktopMonitor* monitor = monitorWithID(model_.monitors.get(), requested.monitorID);
    const ManagedDesktop* desktop = monitor ? currentDesktopWithID(*monitor, requested.desktop.id) : nullptr;
    if (!desktop) return;
    const Change change{requested.monitorID, *desktop};
    const std::string& displayID = change.monitorID;

    auto& banner = banners_[displayID];
    if (!banner) banner = std::make_shared<SpaceNameBanner>(icons_);
    banner->report = [this, alive = lifetime_.weak(), change](const std::string& event, Dictionary fields) {
        if (alive) trace(event, change, std::move(fields));
    };
    displayed_.insert_or_assign(displayID, Presentation{change.desktop.id, trigger});
    cancelApplicationRequest(displayID);

    const std::string title = change.title(model_.store().names());
    const auto token =
        banner->show(title, screen->visibleFrame, settings_.preferences.get(), trigger == Trigger::missionControl);
    if (token && settings_.preferences.get().bannerShowsApplications)
        loadApplications(change, banner, *token,
                         applicationSpaces ? *applicationSpaces : std::vector<std::uint64_t>{change.desktop.spaceID});
    // Recorded whether or not the panel could be placed.
    trace(std::string(rawValue(trigger)), change);

    if (trigger != Trigger::missionControl && !visibilityTimer_)
        visibilityTimer_ = RunLoop::main().scheduleTimer(visibilityInterval, 0, [this, alive = lifetime_.weak()] {
            if (alive) visibilityTick();
        });
}

void SpaceBannerController::showCurrentDesktops(const std::vector<platform::ScreenDescription>& screens, Trigger trigger) {
    model_.refresh(true);
    auto& displays = *platform::current().displays;
    std::vector<Change> changes;
    for (const auto& screen : screens) {
        auto number = platform::ui::displayID(screen);
        auto displayID = number ? displays.uuidString(*number) : std::nullopt;
        if (!displayID) continue;
        const DesktopMonitor* monitor = monitorWithID(model_.monitors.get(), *displayID);
        const ManagedDesktop* desktop = monitor ? monitor->currentDesktop() : nullptr;
        if (!desktop) continue;
        changes.push_back(Change{*displayID, *desktop});
    }
    // Every banner of one call asks the app loader for the same desktops.
    std::vector<std::uint64_t> spaceIDs;
    for (const auto& change : changes) spaceIDs.push_back(change.desktop.spaceID);
    for (const auto& change : changes) show(change, trigger, spaceIDs);
}

void SpaceBannerController::preview(std::optional<platform::ScreenDescription> screen) {
    const auto preferences = settings_.preferences.get();
    if (!preferences.showsBanners() || preferences.paused) return;
    if (!screen) screen = platform::ui::mainScreen();
    if (!screen) return;
    showCurrentDesktops({*screen}, Trigger::preview);
}

void SpaceBannerController::missionControlChanged(bool visible) {
    if (!isRunning()) return;
    if (!visible) {
        hideBanners("mission-control-closed", [](Trigger t) { return t == Trigger::missionControl; });
        return;
    }
    const auto preferences = settings_.preferences.get();
    if (!preferences.missionControlBannerEnabled || preferences.paused) return;
    hideBanners("mission-control-visible");
    if (preferences.missionControlBannerOnAllMonitors) {
        showCurrentDesktops(platform::ui::screens(), Trigger::missionControl);
        return;
    }
    auto screen = platform::ui::screenAt(platform::ui::windowSystem().pointerLocation());
    if (!screen) screen = platform::ui::mainScreen();
    if (screen) showCurrentDesktops({*screen}, Trigger::missionControl);
}

void SpaceBannerController::visibilityTick() {
    if (missionControlVisible())
        hideBanners("mission-control-visible", [](Trigger t) { return t != Trigger::missionControl; });
    const bool anyShown = std::any_of(displayed_.begin(), displayed_.end(), [&](const auto& entry) {
        if (entry.second.trigger == Trigger::missionControl) return false;
        auto banner = banners_.find(entry.first);
        return banner != banners_.end() && banner->second->isVisible();
    });
    if (!anyShown && visibilityTimer_) {
        visibilityTimer_->invalidate();
        visibilityTimer_.reset();
    }
}

// ---- hiding

void SpaceBannerController::hideBanner(const std::string& displayID, const std::string& reason) {
    cancelApplicationRequest(displayID);
    if (auto it = banners_.find(displayID); it != banners_.end()) it->second->hide(reason);
    displayed_.erase(displayID);
}

void SpaceBannerController::hideBanners(const std::string& reason, const std::function<bool(Trigger)>& matching) {
    std::vector<std::string> chosen;
    for (const auto& [displayID, presentation] : displayed_)
        if (!matching || matching(presentation.trigger)) chosen.push_back(displayID);
    for (const auto& displayID : chosen) hideBanner(displayID, reason);
}

// ---- tracing

void SpaceBannerController::trace(const std::string& event, const std::optional<Change>& change, Dictionary details) {
    if (change) {
        details["monitor"] = change->monitorID;
        details["uuid"] = change->desktop.id;
    }
    // A full queue drops the record; the banner goes on regardless.
    diagnosticTrace_.record(event, std::move(details));
}

}  // namespace tarnwick
