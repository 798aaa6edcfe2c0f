#include "applications/mission_control_space_switcher.h"

#include <exception>

#include "applications/application_window_focus.h"
#include "model/desktop_catalog.h"
#include "model/mission_control_inspector.h"
#include "model/mission_control_visibility.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

using Failure = ApplicationWindowFocus::Failure;

// Switches in progress that opened Mission Control themselves (main loop only).
int gOpeningSwitches = 0;

// Holds the count raised for as long as one switch that opened Mission Control runs, also when
// its task is torn down while suspended.
class OpeningForNavigation {
public:
    OpeningForNavigation() { ++gOpeningSwitches; }
    ~OpeningForNavigation() { --gOpeningSwitches; }
    OpeningForNavigation(const OpeningForNavigation&) = delete;
    OpeningForNavigation& operator=(const OpeningForNavigation&) = delete;
};

}  // namespace

bool MissionControlSpaceSwitcher::isOpeningForNavigation() { return gOpeningSwitches > 0; }

Task<void> MissionControlSpaceSwitcher::switchTo(SpaceApplicationFocusTarget target, DesktopCatalogFunction catalog) {
    SpaceNavigationTarget desktop{target.desktopID, target.monitorID, target.spaceID};
    co_await switchTo(std::move(desktop), std::move(catalog));
}

Task<void> MissionControlSpaceSwitcher::switchTo(SpaceNavigationTarget target, DesktopCatalogFunction catalog) {
    ApplicationWindowFocus::checkSession();
    {
        const auto monitors = catalog();
        if (!target.isValid(monitors)) throw Failure(Failure::Case::desktopChanged);
        if (target.isCurrent(monitors) && !visible()) co_return;
    }

    // When Mission Control is already open (opened false), a press on a current desktop simply
    // closes it there.
    std::optional<OpeningForNavigation> opening;
    std::shared_ptr<MissionControlLaunch> launch;
    std::exception_ptr failure;
    try {
        if (!visible()) {
            co_await checkCancellation();  // nothing opened yet, nothing to undo
            opening.emplace();
            launch = MissionControlLaunch::start(systemUptime() + kTimeLimit);
            const auto report = co_await launch->report();
            if (!report) throw Failure(Failure::Case::verification);
            if (*report) throw **report;
        }
        co_await pressAndWait(target, catalog);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure) co_return;

    if (opening) {
        // A task of its own: the switch's cancellation must not cut the clean-up short, and its
        // waits are bounded on their own.
        const TaskContext context = co_await currentTaskContext();
        const TaskHandle<void> cleanUp = spawn(*context.loop, closeAfterFailure(launch));
        try {
            co_await cleanUp.value();
        } catch (...) {
        }
    }
    opening.reset();
    std::rethrow_exception(failure);
}

Task<void> MissionControlSpaceSwitcher::closeAfterFailure(std::shared_ptr<MissionControlLaunch> opening) {
    // The launch that opens Mission Control toggles it whenever it lands: closing it before
    // that would only let it open again afterwards.
    if (opening && !opening->hasReported()) co_await opening->report();
    for (int attempt = 0; attempt < kClosingAttempts && visible(); ++attempt) {
        try {
            ApplicationWindowFocus::checkSession();
        } catch (const Error&) {
            co_return;  // Mission Control is left as it is on a locked or foreign session
        }
        // A press accepted before the failure may close Mission Control while this launch is on
        // its way; the launch then opens it again, hence the second look.
        const auto closing = MissionControlLaunch::start(systemUptime() + kTimeLimit);
        const auto report = co_await closing->report();
        if (!report || *report) co_return;  // a launch that fails or never reports is not retried
    }
}

Task<void> MissionControlSpaceSwitcher::pressAndWait(const SpaceNavigationTarget& target,
                                                     const DesktopCatalogFunction& catalog) {
    const double start = systemUptime();
    const double deadline = start + kTimeLimit;
    int polls = 0;
    bool pressed = false;
    for (;;) {
        co_await checkCancellation();
        ApplicationWindowFocus::checkSession();
        if (systemUptime() >= deadline) throw Failure(Failure::Case::verification);
        const auto monitors = catalog();
        if (!target.isValid(monitors)) throw Failure(Failure::Case::desktopChanged);
        if (!pressed) {
            if (auto button = desktopButton(target, monitors, deadline)) {
                auto& ax = *platform::current().accessibility;
                ax.setMessagingTimeout(*button, kPressTimeout);
                const auto status = ax.performAction(*button, "AXPress");
                // Cannot-complete often means the press went through while the Dock was busy.
                if (status != platform::ax_error::kSuccess && status != platform::ax_error::kCannotComplete)
                    throw Failure(Failure::Case::request);
                pressed = true;
            }
        }
        // The button is pressed once; later passes only watch the catalog and the window list.
        if (pressed && target.isCurrent(monitors) && !visible()) co_return;
        co_await sleepFor(kPollInterval);
        if (++polls >= kMaximumPolls) throw Failure(Failure::Case::verification);
    }
}

bool MissionControlSpaceSwitcher::visible() {
    return MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot());
}

std::optional<ElementRef> MissionControlSpaceSwitcher::desktopButton(const SpaceNavigationTarget& target,
                                                                     const std::vector<DesktopMonitor>& monitors,
                                                                     double deadline) {
    if (!visible()) return std::nullopt;
    auto& platform = platform::current();
    std::optional<std::int32_t> manager;
    for (const auto& application : platform.workspace->runningApplications())
        if (application.bundleIdentifier == kWindowManagerBundleID) {
            manager = application.processIdentifier;
            break;
        }
    if (!manager) return std::nullopt;
    const ElementRef root = platform.accessibility->createApplication(*manager);
    platform.accessibility->setMessagingTimeout(root, kTreeTimeout);
    const Array tree = MissionControlInspector::tree(root, false, true, deadline);
    const auto index = DesktopCatalog::nativeButtonIndex(target.desktopID, tree, monitors);
    if (!index) return std::nullopt;
    const Value* element = tree[static_cast<size_t>(*index)].find("element");
    if (!element || !element->asElement()) return std::nullopt;
    return *element->asElement();
}

}  // namespace tarnwick
