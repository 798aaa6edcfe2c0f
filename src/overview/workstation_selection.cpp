#include "overview/workstation_selection.h"

#include <utility>

namespace tarnwick {

Task<void> WorkstationSelection::perform(DesktopCatalogFunction catalog, SwitchDesktop switchDesktop,
                                         OpenApplication openApplication) const {
    return run(*this, std::move(catalog), std::move(switchDesktop), std::move(openApplication));
}

Task<void> WorkstationSelection::run(WorkstationSelection selection, DesktopCatalogFunction catalog,
                                     SwitchDesktop switchDesktop, OpenApplication openApplication) {
    co_await checkCancellation();
    // The overview may have been on screen for a while: a desktop removed or renumbered since
    // must fail here, before Mission Control is touched.
    if (!selection.target_.isValid(catalog())) throw Failure(Failure::Case::desktopChanged);

    if (selection.kind_ == Kind::desktop)
        co_await switchDesktop(selection.target_);
    else
        co_await openApplication(*selection.applicationID_, selection.target_.desktopID);

    co_await checkCancellation();
    // Navigation can return while another desktop is current (the user switched meanwhile).
    if (!selection.target_.isCurrent(catalog())) throw Failure(Failure::Case::verification);
}

WorkstationSelection::Failure::Failure(Case failureCase) : Error(sentence(failureCase)), case_(failureCase) {}

std::string WorkstationSelection::Failure::sentence(Case failureCase) {
    switch (failureCase) {
        case Case::desktopChanged:
            return "This desktop changed. Try the overview again.";
        case Case::verification:
            return "Could not confirm the selected desktop. Please try again.";
    }
    return "Could not confirm the selected desktop. Please try again.";
}

}  // namespace tarnwick
