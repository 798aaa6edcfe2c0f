#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/software_updates.h"
#include "model/desktop_names_model.h"
#include "model/settings_model.h"
#include "model/settings_tab.h"
#include "platform/ui/panel.h"

namespace tarnwick {

// The settings window as the application delegate drives it.
class SettingsWindowHandle {
public:
    virtual ~SettingsWindowHandle() = default;
    // Shows the window on the page (nothing: the page shown last) on that display (nothing: the
    // display the command came from).
    virtual void open(std::optional<SettingsTab> tab, std::optional<std::uint32_t> displayID) = 0;
    // Its window, once made; nothing before.
    virtual platform::ui::Panel* window() = 0;
};

// The Desktop Names window as the application delegate drives it.
class NamesWindowHandle {
public:
    virtual ~NamesWindowHandle() = default;
    virtual void open(std::optional<std::uint32_t> displayID) = 0;
    virtual platform::ui::Panel* window() = 0;
};

// How the delegate makes its two windows and finds the display a command came from. What is left
// empty is the program's own (SettingsWindow, DesktopNamesWindow, the window placement's lookup);
// tests may record instead.
struct AppDelegateWindows {
    std::function<std::unique_ptr<SettingsWindowHandle>(std::shared_ptr<SettingsModel>,
                                                        std::shared_ptr<DesktopNamesModel>, SoftwareUpdates&)>
        makeSettingsWindow;
    std::function<std::unique_ptr<NamesWindowHandle>(std::shared_ptr<DesktopNamesModel>, std::shared_ptr<SettingsModel>)>
        makeNamesWindow;
    // Replaces the invoking display's lookup (TarnwickWindowPlacement::invocationDisplayID).
    std::function<std::optional<std::uint32_t>(const platform::ui::Panel* sourceWindow)> invocationDisplayID;
};

}  // namespace tarnwick
