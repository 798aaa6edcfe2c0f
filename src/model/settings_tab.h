#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "model/raw_value_enum.h"

namespace tarnwick {

// The pages of the settings window, in sidebar order.
enum class SettingsTab { general, desktopNames, overview, banner, permissions };

template <>
struct RawValues<SettingsTab> {
    static constexpr std::array<std::pair<SettingsTab, std::string_view>, 5> table{{
        {SettingsTab::general, "general"},
        {SettingsTab::desktopNames, "desktopNames"},
        {SettingsTab::overview, "overview"},
        {SettingsTab::banner, "banner"},
        {SettingsTab::permissions, "permissions"},
    }};
};

constexpr std::string_view title(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general: return "General";
    case SettingsTab::desktopNames: return "Desktop Names";
    case SettingsTab::overview: return "Overview";
    case SettingsTab::banner: return "Banner";
    case SettingsTab::permissions: return "Permissions";
    }
    return {};
}

// The system symbol image shown beside the page's title.
constexpr std::string_view symbol(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general: return "gearshape";
    case SettingsTab::desktopNames: return "tag";
    case SettingsTab::overview: return "rectangle.3.group";
    case SettingsTab::banner: return "rectangle.bottomthird.inset.filled";
    case SettingsTab::permissions: return "lock.shield";
    }
    return {};
}

}  // namespace tarnwick
