#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/software_updates.h"
#include "model/desktop_monitor.h"
#include "model/desktop_names_model.h"
#include "model/settings_model.h"
#include "platform/locale.h"
#include "platform/ui/color_in_space.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/view_context.h"
#include "platform/ui/declarative/view_host.h"
#include "support/observable.h"

namespace tarnwick {

// One connected display on the Desktop Names page: its hardware name, a field for its friendly
// name and a button that identifies it on screen. What is typed stays a draft in the names
// model until the edit ends: the field loses focus, Return is pressed, or the row goes away.
struct DisplayAliasRow {
    DesktopMonitor monitor;
    DesktopNamesModel* names = nullptr;
    std::function<void()> identify;
    // The settings view's field focus: this row's field has it while it holds the display's id.
    Published<std::optional<std::string>>* focus = nullptr;

    platform::ui::Node body(platform::ui::ViewContext& context) const;

    static std::string identifier(const std::string& displayID) { return "display-alias." + displayID; }
    // Each display's Identify button shows the same title; its identifier tells them apart.
    static std::string identifyIdentifier(const std::string& displayID) { return "identify-display." + displayID; }
};

// The root view of the settings window: a sidebar of the pages beside a header bar with the
// page's title over the page. Narrow, it hides the sidebar and its title becomes a page menu.
// It owns no settings: every control reads and writes the shared models, and requests that
// need the application go out through SettingsModel's hooks. Main loop only.
class TarnwickSettingsView final : public platform::ui::DeclarativeView {
public:
    TarnwickSettingsView(SettingsModel& model, DesktopNamesModel& names, SoftwareUpdates& updates);

    platform::ui::Node body(platform::ui::ViewContext& context) override;
    void observe(platform::ui::ViewHost& host) override;

    // ---- view state
    // Which columns of the split view show; both at first.
    Published<platform::ui::ColumnVisibility> columns{platform::ui::ColumnVisibility::all};
    // The display whose friendly-name field has keyboard focus.
    Published<std::optional<std::string>> focusedDisplayAlias;

    // ---- rules
    // The title is the page menu while the sidebar is hidden or the view is narrow.
    bool usesCompactTitle(double width) const;
    // The sidebar follows the width when the view appears and when the width crosses 620.
    void applySidebarRule(double width, std::optional<double> previousWidth);
    void toggleSidebar();
    // The sidebar's selection: an empty one is ignored, so a page always stays selected.
    void selectFromSidebar(const std::optional<SettingsTab>& tab);
    // Leaving the Overview page ends a shortcut recording begun there.
    void pageChanged(SettingsTab previous, SettingsTab current);

    // ---- texts of the pages' numbers
    // An icon size as a whole number of points, the fraction dropped: "16 pt", "16 points".
    static std::string iconSizeReadout(double size);
    static std::string iconSizeAccessibilityValue(double size);
    // The banner's scale in percent, rounded: "125%", "125 percent".
    static std::string bannerScaleReadout(double scale);
    static std::string bannerScaleAccessibilityValue(double scale);
    // "Show for 2.0 seconds", one fractional digit in the locale.
    static std::string bannerDurationLabel(double seconds, const platform::Locale& locale);

    // ---- the Banner page's rules
    // "Reset appearance": the seven fields of the banner's look back to their defaults.
    static void resetAppearance(AppPreferences& preferences);
    // The tint as the colour well shows it, and a chosen colour as the tint to store (nothing
    // for a colour that does not convert to sRGB).
    static platform::ui::ColorInSpace tintColor(const GlassTint& tint);
    static std::optional<GlassTint> tintFrom(const platform::ui::ColorInSpace& color);

    // ---- the Permissions page
    // The System Settings address of a privacy pane; nothing when it does not make a valid URL.
    static std::optional<std::string> privacySettingsURL(const std::string& pane);

    static std::string pageIdentifier(SettingsTab tab);
    static constexpr const char* kSidebarToggleIdentifier = "settings-sidebar-toggle";
    static constexpr const char* kSectionMenuIdentifier = "settings-section-menu";
    static constexpr const char* kTintWellIdentifier = "banner-tint-color";

private:
    struct IconSizeRow {
        const char* label;
        double AppPreferences::*preference;
        double labelWidth;
        double valueWidth;
        const char* accessibilityLabel;
    };

    platform::ui::Node sidebar();
    platform::ui::Node detail(double width);
    platform::ui::Node headerBar(double width);
    platform::ui::Node pageHeading() const;
    platform::ui::Node page(const platform::ui::Environment& environment);

    platform::ui::Node general();
    platform::ui::Node startup();
    platform::ui::Node overlays();
    platform::ui::Node updatesSection();
    platform::ui::Node desktopNames();
    platform::ui::Node overview();
    platform::ui::Node banner(const platform::ui::Environment& environment);
    platform::ui::Node permissions();
    platform::ui::Node permissionRow(const std::string& title, bool allowed) const;

    platform::ui::Node iconSizeRow(const IconSizeRow& row);
    Binding<platform::ui::ColorInSpace> tint();
    // Calls a hook of the settings model when the application set it.
    std::function<void()> hook(std::function<void()> SettingsModel::*hook);

    SettingsModel& model_;
    DesktopNamesModel& names_;
    SoftwareUpdates& updates_;
};

// A prominent action of a settings page: a plain-text button at the large control size in the
// settings' capsule style.
platform::ui::Node nativeButton(std::string title, std::function<void()> action);

}  // namespace tarnwick
