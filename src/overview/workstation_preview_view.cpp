#include "overview/workstation_preview_view.h"

#include <algorithm>
#include <utility>

#include "overview/overview_focus_order.h"

namespace tarnwick {

WorkstationPreviewView::WorkstationPreviewView(DesktopNamesModel& model, DesktopApplicationInventory& applications,
                                               WorkstationPreviewStatus& status, SettingsModel& settings,
                                               SelectionHandler selection)
    : model_(model), applications_(applications), status_(status), settings_(settings),
      selection_(std::move(selection)) {}

std::size_t WorkstationPreviewView::desktopCount() const {
    std::size_t count = 0;
    for (const auto& monitor : model_.monitors.get()) count += monitor.desktops.size();
    return count;
}

std::string WorkstationPreviewView::savedName(const ManagedDesktop& desktop) const {
    return savedName(desktop, model_.store().names());
}

std::vector<OverviewFocusTarget> WorkstationPreviewView::focusOrder() const {
    const auto& entries = applications_.entries.get();
    std::size_t capacity = desktopCount();
    for (const auto& [id, entry] : entries) capacity += entry.apps.size();
    std::vector<OverviewFocusTarget> order;
    order.reserve(capacity);
    for (const auto& monitor : model_.monitors.get())
        for (const auto& desktop : monitor.desktops) {
            order.push_back(OverviewFocusTarget::desktop(desktop.id));
            const auto entry = entries.find(desktop.id);
            if (entry == entries.end()) continue;
            for (const auto& app : entry->second.apps) order.push_back(OverviewFocusTarget::application(desktop.id, app.id));
        }
    return order;
}

bool WorkstationPreviewView::acceptsKeyboardNow() const { return acceptsKeyboard(status_.interactionMode.get()); }

bool WorkstationPreviewView::keyboardSelected(const OverviewFocusTarget& target) const {
    return acceptsKeyboardNow() && keyboardSelection.get() == target;
}

double WorkstationPreviewView::iconSize() const { return settings_.preferences.get().overviewIconSize; }

double WorkstationPreviewView::rowFillOpacity(const std::string& desktopID) const {
    return hoveredDesktopID.get() == desktopID ? kHoverFillOpacity : 0.0;
}

void WorkstationPreviewView::select(const std::optional<OverviewFocusTarget>& target) {
    keyboardSelection.setIfChanged(target);
    keyboardFocus.setIfChanged(target);
}

void WorkstationPreviewView::applyRequestedFocus() {
    if (!acceptsKeyboardNow()) {
        select(std::nullopt);
        return;
    }
    const auto order = focusOrder();
    const auto& preferred = status_.preferredFocus;
    if (preferred && std::find(order.begin(), order.end(), *preferred) != order.end())
        select(preferred);
    else
        select(order.empty() ? std::nullopt : std::optional(order.front()));
}

void WorkstationPreviewView::interactionModeChanged(OverviewInteractionMode mode) {
    if (!acceptsKeyboard(mode)) select(std::nullopt);
}

void WorkstationPreviewView::keyboardFocusChanged(const std::optional<OverviewFocusTarget>& focus) {
    if (focus) keyboardSelection.setIfChanged(focus);
}

void WorkstationPreviewView::focusOrderChanged(const std::vector<OverviewFocusTarget>& order) {
    if (!acceptsKeyboardNow()) return;
    const auto& selected = keyboardSelection.get();
    if (!selected || std::find(order.begin(), order.end(), *selected) != order.end()) return;
    select(order.empty() ? std::nullopt : std::optional(order.front()));
}

void WorkstationPreviewView::handleKeyboardCommand(const OverviewKeyboardCommand& command) {
    if (!acceptsKeyboardNow()) return;
    switch (command.kind()) {
        case OverviewKeyboardCommand::Kind::activate:
            activateKeyboardFocus();
            break;
        case OverviewKeyboardCommand::Kind::cancel:
            // A copy: the presenter's close may replace the hook while it runs.
            if (auto dismiss = status_.dismissRequested) dismiss();
            break;
        case OverviewKeyboardCommand::Kind::advance:
            select(OverviewFocusOrder::next(keyboardSelection.get(), focusOrder(), command.backwards()));
            break;
    }
}

bool WorkstationPreviewView::handleKeyPress(const platform::KeyEvent& event) {
    namespace flags = platform::modifier_flags;
    namespace keys = platform::key_codes;
    if (!acceptsKeyboardNow()) return false;
    if (event.modifierFlags & (flags::kCommand | flags::kControl | flags::kOption)) return false;
    // Keys are told apart by key code: with Shift held, Tab types a different character.
    switch (event.keyCode) {
        case keys::kTab:
            handleKeyboardCommand(OverviewKeyboardCommand::advance((event.modifierFlags & flags::kShift) != 0));
            return true;
        case keys::kEscape:
            handleKeyboardCommand(OverviewKeyboardCommand::cancel());
            return true;
        case keys::kReturn:
        case keys::kSpace:
            activateKeyboardFocus();
            return true;
        default:
            return false;
    }
}

void WorkstationPreviewView::activateKeyboardFocus() {
    const auto selected = keyboardSelection.get();
    if (!selected || !selection_) return;
    for (const auto& monitor : model_.monitors.get())
        for (const auto& desktop : monitor.desktops) {
            if (desktop.id != selected->desktopID()) continue;
            const auto target = navigationTarget(monitor, desktop);
            if (selected->kind() == OverviewFocusTarget::Kind::desktop) {
                selection_(WorkstationSelection::desktop(target));
                return;
            }
            // The search ends at the first desktop with that id, whether or not it has the app.
            const auto& entries = applications_.entries.get();
            const auto entry = entries.find(desktop.id);
            if (entry == entries.end()) return;
            const auto& apps = entry->second.apps;
            if (std::any_of(apps.begin(), apps.end(), [&](const auto& app) { return app.id == selected->appID(); }))
                selection_(WorkstationSelection::application(std::string(selected->appID()), target));
            return;
        }
}

void WorkstationPreviewView::pointerEntered(const std::string& desktopID) { hoveredDesktopID.setIfChanged(desktopID); }

void WorkstationPreviewView::pointerExited(const std::string& desktopID) {
    if (hoveredDesktopID.get() == desktopID) hoveredDesktopID.set(std::nullopt);
}

SpaceNavigationTarget WorkstationPreviewView::navigationTarget(const DesktopMonitor& monitor,
                                                               const ManagedDesktop& desktop) {
    return SpaceNavigationTarget{desktop.id, monitor.id, desktop.spaceID};
}

}  // namespace tarnwick
