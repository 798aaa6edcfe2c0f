// What the overview's rows and headers say.

#include "overview/workstation_preview_view.h"

#include "support/text.h"

namespace tarnwick {

std::string WorkstationPreviewView::savedName(const ManagedDesktop& desktop, const Names& names) {
    const auto saved = names.find(desktop.id);
    if (saved == names.end()) return desktop.nativeTitle;
    auto name = text::trimmed(saved->second);
    return name.empty() ? desktop.nativeTitle : name;
}

std::string WorkstationPreviewView::countsLine(std::size_t monitors, std::size_t desktops) {
    return text::counted(monitors, "monitor", "monitors") + " \u00B7 " + text::desktopCountText(desktops);
}

std::string WorkstationPreviewView::emptyTitle(bool namesError) {
    return namesError ? "Desktop information unavailable" : "No desktops available";
}

std::string WorkstationPreviewView::displaySymbol(const DesktopMonitor& monitor) {
    return monitor.symbolName();
}

std::optional<std::string> WorkstationPreviewView::subtitle(const std::string& name, const ManagedDesktop& desktop) {
    if (name == desktop.nativeTitle) return std::nullopt;
    return desktop.nativeTitle;
}

double WorkstationPreviewView::titleScale(bool selected) { return selected ? kSelectedTitleScale : 1.0; }

std::string WorkstationPreviewView::switchHelp(const std::string& name, const std::string& displayName) {
    return "Switch to " + name + " on " + displayName;
}

std::string WorkstationPreviewView::desktopIdentifier(const std::string& desktopID) {
    return "switch-space." + desktopID;
}

std::string WorkstationPreviewView::applicationHelp(const std::string& appName, const std::string& name) {
    return "Open " + appName + " on " + name;
}

std::string WorkstationPreviewView::applicationAccessibilityLabel(const std::string& appName, const std::string& name,
                                                                  const std::string& displayName) {
    return applicationHelp(appName, name) + " on " + displayName;
}

std::string WorkstationPreviewView::applicationIdentifier(const std::string& desktopID, const std::string& appID) {
    return "open-overview-app." + desktopID + "." + appID;
}

std::string WorkstationPreviewView::applicationsLabel(const std::string& name) { return "Apps on " + name; }

bool WorkstationPreviewView::showsApplicationIcons(const Entry* entry) { return entry && !entry->apps.empty(); }

std::optional<std::string> WorkstationPreviewView::applicationStatusLine(const Entry* entry) {
    using Status = DesktopApplicationInventory::Status;
    if (!entry) return "Reading apps\u2026";
    switch (entry->status) {
        case Status::loading:
            return "Reading apps\u2026";
        case Status::unavailable:
            return "App information unavailable";
        case Status::incomplete:
            return entry->apps.empty() ? "App information incomplete" : "Some app information could not be read";
        case Status::ready:
            if (entry->apps.empty()) return "No app windows";
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tarnwick
