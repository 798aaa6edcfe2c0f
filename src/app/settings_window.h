#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "app/glass_window.h"
#include "app/software_updates.h"
#include "app/tarnwick_settings_view.h"
#include "model/desktop_names_model.h"
#include "model/settings_model.h"
#include "model/settings_tab.h"

namespace tarnwick {

// The settings window: made once and kept when closed, so reopening shows the same window on
// the same page. It opens on a page and a display, refreshes the permission and login status
// whenever it comes forward, and when it closes commits the display names being edited and
// ends a shortcut recording. The updates object is the view's; its owner keeps it alive for as
// long as this window. Main loop only.
class SettingsWindow final : public GlassWindowController {
public:
    static constexpr const char* kTitle = "Tarnwick Settings";
    static constexpr const char* kAutosaveName = "TarnwickSettings";
    static constexpr Size kContentSize{760, 560};
    static constexpr Size kMinimumSize{380, 320};
    static constexpr double kCornerRadius = 16;

    SettingsWindow(std::shared_ptr<SettingsModel> model, std::shared_ptr<DesktopNamesModel> names,
                   SoftwareUpdates& updates);
    ~SettingsWindow() override;

    // Shows the window on a page (nothing: the page last shown) and a display (nothing: the one
    // the command was invoked from), fitted into that display's visible frame.
    void open(std::optional<SettingsTab> tab, std::optional<std::uint32_t> displayID);

    void windowDidBecomeKey(platform::ui::Panel& window) override;
    void windowWillClose(platform::ui::Panel& window) override;

    TarnwickSettingsView& view() const { return *view_; }

private:
    std::shared_ptr<SettingsModel> model_;
    std::shared_ptr<DesktopNamesModel> names_;
    TarnwickSettingsView* view_ = nullptr;
};

}  // namespace tarnwick
