#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/icons.h"
#include "platform/ui/color.h"
#include "platform/ui/font.h"

namespace tarnwick::platform::ui {
class Panel;
}

namespace tarnwick::sim {

// One centred text of a standard panel, wrapped to the panel's width.
struct StandardPanelLine {
    std::string text;
    platform::ui::Font font = platform::ui::Font::system(11);
    platform::ui::Color color = platform::ui::Color::label();
};

// The button of a standard panel that has one, under its lines at the trailing edge: the default
// button, which Return chooses while the panel is key.
struct StandardPanelButton {
    std::string title;
    std::function<void()> action;
};

// The system's own small windows (the About panel, the update check's window): titled and
// closable, the app's icon above centred lines of text and perhaps a button, as tall as they
// need. Escape closes them, as their close button does.
class StandardPanel {
public:
    static constexpr double kWidth = 280;
    static constexpr double kIconSize = 64;
    static constexpr double kButtonRowHeight = 28;
    static constexpr double kButtonMinimumTitleWidth = 56;

    // Made hidden; the first show centres it on the main screen.
    static std::unique_ptr<platform::ui::Panel> make(const std::string& title);
    // Puts the icon, the lines and the button in; the panel keeps its top edge and its centre.
    // The button's row takes the keyboard (it is the first responder).
    static void fill(platform::ui::Panel& panel, const std::optional<platform::Image>& icon,
                     const std::vector<StandardPanelLine>& lines,
                     const std::optional<StandardPanelButton>& button = std::nullopt);
    // Ordered front: centred on the main screen when it is not shown yet and never was, where
    // the user left it otherwise.
    static void show(platform::ui::Panel& panel, bool firstShow);
};

}  // namespace tarnwick::sim
