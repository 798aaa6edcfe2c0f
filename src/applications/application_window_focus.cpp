#include "applications/application_window_focus.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "applications/application_focus_verification.h"
#include "applications/mission_control_space_switcher.h"
#include "applications/native_application_window_focus.h"
#include "applications/running_application_record.h"
#include "applications/space_application_focus_selection.h"
#include "applications/space_application_reader.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

using Failure = ApplicationWindowFocus::Failure;
using Application = SpaceApplicationCatalog::Application;
using Window = SpaceApplicationCatalog::Window;

// Pauses before each verification poll: 1.0 s in all.
constexpr double kVerificationPauses[] = {0.12, 0.18, 0.30, 0.40};

std::vector<std::uint64_t> spaceIDs(const std::vector<DesktopMonitor>& catalog) {
    std::vector<std::uint64_t> ids;
    for (const auto& monitor : catalog)
        for (const auto& desktop : monitor.desktops) ids.push_back(desktop.spaceID);
    return ids;
}

// The running apps that own the snapshot's windows, in order of first appearance.
std::vector<Application> owningApplications(const std::vector<Window>& windows) {
    std::vector<Application> records;
    std::set<std::int32_t> asked;
    for (const auto& window : windows) {
        if (!asked.insert(window.ownerPID).second) continue;
        if (auto record = runningApplicationRecord(window.ownerPID)) records.push_back(std::move(*record));
    }
    return records;
}

// The window the app reports as focused, which the user most likely means.
std::optional<std::uint32_t> preferredWindow(const std::vector<Application>& records, const std::string& appID,
                                             NativeApplicationWindowFocus& native) {
    for (const auto& record : records)
        if (SpaceApplicationCatalog::identity(record) == appID) return native.focusedWindowID(record.pid);
    return std::nullopt;
}

// An accessible candidate first; otherwise the largest window (the earliest of equal ones).
SpaceApplicationFocusTarget chooseTarget(const std::vector<SpaceApplicationFocusTarget>& candidates,
                                         const std::map<std::int32_t, std::set<std::uint32_t>>& accessible,
                                         const std::vector<Window>& windows) {
    for (const auto& candidate : candidates) {
        auto ids = accessible.find(candidate.ownerPID);
        if (ids != accessible.end() && ids->second.count(candidate.windowID)) return candidate;
    }
    // A window reported twice keeps its first record, so the table never depends on uniqueness.
    std::map<std::pair<std::uint32_t, std::int32_t>, double> area;
    for (const auto& window : windows)
        area.emplace(std::make_pair(window.id, window.ownerPID), window.bounds.width() * window.bounds.height());
    const SpaceApplicationFocusTarget* best = nullptr;
    double bestArea = 0;
    for (const auto& candidate : candidates) {
        auto found = area.find({candidate.windowID, candidate.ownerPID});
        const double size = found == area.end() ? 0 : found->second;
        if (!best || size > bestArea) {
            best = &candidate;
            bestArea = size;
        }
    }
    return *best;
}

Value report(const std::map<std::string, std::int32_t>& entries) {
    Dictionary result;
    for (const auto& [key, code] : entries) result[key] = code;
    return Value(std::move(result));
}

const DesktopMonitor* displayOf(const std::vector<DesktopMonitor>& catalog, const std::string& monitorID) {
    auto found =
        std::find_if(catalog.begin(), catalog.end(), [&](const DesktopMonitor& m) { return m.id == monitorID; });
    return found == catalog.end() ? nullptr : &*found;
}

}  // namespace

Task<void> ApplicationWindowFocus::open(std::string appID, std::string desktopID, DesktopCatalogFunction catalog,
                                        Services services) {
    SpaceApplicationReader& reader = services.reader ? *services.reader : SpaceApplicationReader::shared();
    NativeApplicationWindowFocus& native = services.native ? *services.native : NativeApplicationWindowFocus::shared();
    const std::int32_t ownPID = platform::current().system->processIdentifier();

    checkSession();
    if (!platform::current().accessibility->isProcessTrusted()) throw Failure(Failure::Case::access);

    // ---- the app's windows on the desktop as it is now
    const auto firstCatalog = catalog();
    std::optional<std::uint64_t> desktopSpace;
    for (const auto& monitor : firstCatalog) {
        auto found = std::find_if(monitor.desktops.begin(), monitor.desktops.end(),
                                  [&](const ManagedDesktop& desktop) { return desktop.id == desktopID; });
        if (found != monitor.desktops.end()) {
            desktopSpace = found->spaceID;
            break;
        }
    }
    if (!desktopSpace) throw Failure(Failure::Case::desktopChanged);
    auto firstRead = reader.read(spaceIDs(firstCatalog));
    const SpaceApplicationReader::Snapshot firstSnapshot = co_await firstRead;
    co_await checkCancellation();
    if (firstSnapshot.unavailable.count(*desktopSpace)) throw Failure(Failure::Case::unavailable);

    const auto applications = owningApplications(firstSnapshot.windows);
    const auto firstCandidates =
        SpaceApplicationFocusSelection::candidates(appID, desktopID, firstSnapshot.windows, applications, firstCatalog,
                                                   ownPID, preferredWindow(applications, appID, native));
    if (firstCandidates.empty()) throw Failure(Failure::Case::noWindow);
    const SpaceApplicationFocusTarget spaceTarget = firstCandidates.front();

    // ---- the desktop switch
    trace("space-requested", spaceTarget, {});
    try {
        co_await MissionControlSpaceSwitcher::switchTo(spaceTarget, catalog);
    } catch (const std::exception& error) {
        Dictionary details;
        details["error"] = std::string(error.what());
        trace("space-switch-failed", spaceTarget, details);
        throw;
    }

    // ---- the windows again, now that the desktop shows
    co_await checkCancellation();
    const auto secondCatalog = catalog();
    if (!validDesktop(spaceTarget, secondCatalog)) throw Failure(Failure::Case::desktopChanged);
    auto secondRead = reader.read(spaceIDs(secondCatalog));
    const SpaceApplicationReader::Snapshot secondSnapshot = co_await secondRead;
    co_await checkCancellation();
    const auto candidates =
        SpaceApplicationFocusSelection::candidates(appID, desktopID, secondSnapshot.windows, applications, secondCatalog,
                                                   ownPID, preferredWindow(applications, appID, native));
    std::map<std::int32_t, std::set<std::uint32_t>> accessible;
    for (const auto& candidate : candidates)
        if (!accessible.count(candidate.ownerPID))
            accessible[candidate.ownerPID] = native.accessibleWindowIDs(candidate.ownerPID);
    {
        std::vector<std::uint32_t> candidateIDs;
        for (const auto& candidate : candidates) candidateIDs.push_back(candidate.windowID);
        std::vector<std::uint32_t> accessibleIDs;
        for (const auto& [pid, ids] : accessible) accessibleIDs.insert(accessibleIDs.end(), ids.begin(), ids.end());
        std::sort(accessibleIDs.begin(), accessibleIDs.end());
        Dictionary details;
        details["candidates"] = arrayValue(candidateIDs);
        details["accessible"] = arrayValue(accessibleIDs);
        trace("space-selected", spaceTarget, details);
    }
    if (candidates.empty()) throw Failure(Failure::Case::noWindow);
    const SpaceApplicationFocusTarget target = chooseTarget(candidates, accessible, secondSnapshot.windows);
    if (!validDesktop(target, catalog()) || !validOwnership(target, appID)) throw Failure(Failure::Case::desktopChanged);
    co_await checkCancellation();
    checkSession();

    // ---- raising and the front-process request
    auto& workspace = *platform::current().workspace;
    {
        const auto frontBefore = workspace.frontmostApplication();
        Dictionary details;
        details["tarnwickActive"] = frontBefore == ownPID;
        details["frontPIDBefore"] = frontBefore.value_or(0);
        trace("requested", target, details);
    }
    if (auto owner = workspace.runningApplication(target.ownerPID); owner && owner->isHidden)
        workspace.unhide(target.ownerPID);
    {
        Dictionary details;
        details["ax"] = report(native.restoreAndRaise(target));
        trace("prepared", target, details);
    }
    const auto status = native.request(target);
    if (!status) {
        trace("unavailable", target, {});
        throw Failure(Failure::Case::unavailable);
    }
    if (*status != 0) {
        Dictionary details;
        details["status"] = *status;
        trace("request-failed", target, details);
        throw Failure(Failure::Case::request);
    }

    // ---- verification
    for (double pause : kVerificationPauses) {
        co_await sleepFor(pause);
        co_await checkCancellation();
        checkSession();
        const auto monitors = catalog();
        if (!validDesktop(target, monitors)) throw Failure(Failure::Case::desktopChanged);
        const DesktopMonitor* display = displayOf(monitors, target.monitorID);
        std::string currentDesktop;
        bool current = false;
        if (display) {
            for (const auto& desktop : display->desktops) {
                if (desktop.id == target.desktopID && desktop.isCurrent) current = true;
                if (desktop.isCurrent && currentDesktop.empty()) currentDesktop = desktop.id;
            }
        }
        if (current) native.restoreAndRaise(target);
        const auto focused = native.focusedWindowID(target.ownerPID);
        const auto frontPID = workspace.frontmostApplication();
        const auto frontWindow = focused ? std::nullopt : frontWindowOnSpace(target, monitors);

        Dictionary observed;
        observed["current"] = current;
        observed["focusedWindow"] = Value(focused.value_or(0));
        observed["frontPID"] = frontPID.value_or(0);
        observed["frontWindow"] = Value(frontWindow.value_or(0));
        Dictionary details = observed;
        details["currentDesktop"] = currentDesktop;
        trace("observed", target, details);

        const auto method = ApplicationFocusVerification::method(target, current, frontPID, focused, frontWindow);
        if (method && validOwnership(target, appID)) {
            observed["method"] = ApplicationFocusVerification::rawValue(*method);
            trace("verified", target, observed);
            co_return;
        }
    }
    trace("verification-failed", target, {});
    throw Failure(Failure::Case::verification);
}

}  // namespace tarnwick
