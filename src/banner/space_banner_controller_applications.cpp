// Loading the apps of a banner's desktop, after the banner is shown.

#include "banner/space_banner_controller.h"
#include "support/uuid.h"

namespace tarnwick {

void SpaceBannerController::cancelApplicationRequest(const std::string& displayID) {
    auto it = applicationRequests_.find(displayID);
    if (it == applicationRequests_.end()) return;
    it->second.task.cancel();
    applicationRequests_.erase(it);
}

void SpaceBannerController::loadApplications(const Change& change, const std::shared_ptr<SpaceNameBanner>& banner,
                                             int token, std::vector<std::uint64_t> spaceIDs) {
    std::string requestID = uuid::random();
    auto task = spawn(RunLoop::main(), runApplicationLoad(lifetime_.weak(), banner, change, token, std::move(spaceIDs),
                                                          requestID, model_.monitors.get()));
    applicationRequests_.insert_or_assign(change.monitorID, ApplicationRequest{std::move(requestID), std::move(task)});
}

Task<void> SpaceBannerController::runApplicationLoad(LifetimeToken::Weak alive, std::weak_ptr<SpaceNameBanner> weakBanner,
                                                     Change change, int token, std::vector<std::uint64_t> spaceIDs,
                                                     std::string requestID, std::vector<DesktopMonitor> monitors) {
    auto& loader = loader_;
    const auto snapshot = co_await loader.snapshot(std::move(monitors), std::move(spaceIDs), 0);
    if (!alive) co_return;

    const std::string displayID = change.monitorID;
    const auto ownsEntry = [&] {
        auto it = applicationRequests_.find(displayID);
        return it != applicationRequests_.end() && it->second.id == requestID;
    };
    // On every way out from here, the display's entry goes if it is still this request's.
    const auto finish = [&] {
        if (ownsEntry()) applicationRequests_.erase(displayID);
    };

    const bool cancelled = co_await taskIsCancelled();
    auto banner = weakBanner.lock();
    if (cancelled || !isRunning() || !banner) co_return finish();
    // A newer request for the display wins.
    if (!ownsEntry()) co_return;
    if (!settings_.preferences.get().bannerShowsApplications) co_return finish();
    auto shown = displayed_.find(displayID);
    if (shown == displayed_.end() || shown->second.desktopID != change.desktop.id) co_return finish();
    // An incomplete desktop still shows what was found; an unavailable one shows nothing.
    if (snapshot.unavailable.count(change.desktop.spaceID)) co_return finish();
    model_.refresh(true);
    bool stillCurrent = false;
    for (const auto& monitor : model_.monitors.get())
        if (monitor.id == displayID)
            for (const auto& desktop : monitor.desktops)
                stillCurrent = stillCurrent || (desktop.id == change.desktop.id &&
                                                desktop.spaceID == change.desktop.spaceID && desktop.isCurrent);
    if (!stillCurrent) co_return finish();

    auto apps = snapshot.appsByDesktop.find(change.desktop.id);
    banner->updateApplications(apps == snapshot.appsByDesktop.end() ? std::vector<SpaceApplication>{} : apps->second,
                               token);
    finish();
}

}  // namespace tarnwick
