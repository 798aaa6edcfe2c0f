// A pick in the overview: the panel closes and navigation takes the user there; a failure opens
// the panel again where it was, with the failure's sentence.

#include <exception>
#include <utility>

#include "applications/application_window_focus.h"
#include "applications/mission_control_space_switcher.h"
#include "overview/status_workstation_preview.h"
#include "platform/platform.h"
#include "support/error.h"

namespace tarnwick {

namespace {

Dictionary targetFields(const WorkstationSelection& selection) {
    Dictionary fields;
    fields["monitor"] = selection.target().monitorID;
    fields["uuid"] = selection.target().desktopID;
    return fields;
}

}  // namespace

void StatusWorkstationPreview::select(const WorkstationSelection& selection) {
    if (disposed_ || !canPresent_()) return;
    const SpaceNavigationTarget& target = selection.target();
    model_.refresh(true);
    if (!target.isValid(model_.monitors.get())) {
        selectionStatus_.errorMessage.set(std::string(kDesktopChanged));
        return;
    }
    const bool application = selection.kind() == WorkstationSelection::Kind::application;
    PickContext context{presentation_, interactionMode_, focusOrigin_,
                        application ? OverviewFocusTarget::application(target.desktopID, *selection.applicationID())
                                    : OverviewFocusTarget::desktop(target.desktopID)};
    close(application ? "app-selected" : "space-selected", true, true, true, OverviewDismissal::selection);
    selectionStatus_.errorMessage.setIfChanged(std::nullopt);
    navigating_ = true;
    const std::int64_t generation = selectionGeneration_;
    navigation_.run([alive = lifetime_.weak(), this, selection, generation, context] {
        return navigate(alive, this, selection, generation, context);
    });
}

Task<void> StatusWorkstationPreview::navigate(LifetimeToken::Weak alive, StatusWorkstationPreview* self,
                                              WorkstationSelection selection, std::int64_t generation,
                                              PickContext context) {
    if (!alive || generation != self->selectionGeneration_ || co_await taskIsCancelled()) co_return;
    const bool application = selection.kind() == WorkstationSelection::Kind::application;
    std::exception_ptr failure;
    bool cancelled = false;
    try {
        if (!platform::current().accessibility->isProcessTrusted())
            throw ApplicationWindowFocus::Failure(ApplicationWindowFocus::Failure::Case::access);
        ApplicationWindowFocus::checkSession();

        // Each read of the catalog is a fresh one.
        DesktopCatalogFunction catalog = [alive, self]() -> std::vector<DesktopMonitor> {
            if (!alive) return {};
            self->model_.refresh(true);
            return self->model_.monitors.get();
        };
        auto switching = self->services_.switchDesktop;
        WorkstationSelection::SwitchDesktop switchDesktop = [switching, catalog](SpaceNavigationTarget target) {
            return switching ? switching(std::move(target), catalog)
                             : MissionControlSpaceSwitcher::switchTo(std::move(target), catalog);
        };
        auto opening = self->services_.openApplication ? self->services_.openApplication : self->services_.inventory.openWindow;
        auto focus = self->services_.inventory.focus;
        WorkstationSelection::OpenApplication openApplication = [opening, focus, catalog](std::string appID,
                                                                                         std::string desktopID) {
            return opening ? opening(std::move(appID), std::move(desktopID), catalog)
                           : ApplicationWindowFocus::open(std::move(appID), std::move(desktopID), catalog, focus);
        };
        // Built before the wait: no temporary closure inside the awaited expression.
        Task<void> performing = selection.perform(catalog, switchDesktop, openApplication);
        co_await std::move(performing);
        co_await checkCancellation();
        ApplicationWindowFocus::checkSession();
        if (alive) {
            Dictionary fields = targetFields(selection);
            fields["spaceID"] = selection.target().spaceID;
            if (application) fields["appID"] = *selection.applicationID();
            self->trace(application ? "app-selection-verified" : "space-switch-verified", std::move(fields));
        }
    } catch (const CancellationError&) {
        cancelled = true;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive) co_return;
    if (failure && !cancelled && generation == self->selectionGeneration_ && self->canPresent_()) {
        std::string message;
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            message = error.what();
        } catch (...) {
            message = ApplicationWindowFocus::Failure::sentence(ApplicationWindowFocus::Failure::Case::request);
        }
        self->selectionStatus_.errorMessage.set(std::move(message));
        self->navigating_ = false;
        self->presentation_ = context.presentation;
        self->focusOrigin_ = context.origin;
        if (pinned(context.mode)) self->hover_.pinOpen();
        self->show("navigation-error", context.mode, context.focus, false);
        self->trace(application ? "app-selection-failed" : "space-switch-failed", targetFields(selection));
    }
    if (generation == self->selectionGeneration_) self->navigating_ = false;
}

}  // namespace tarnwick
