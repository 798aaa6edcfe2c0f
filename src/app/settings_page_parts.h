#pragma once

// Small pieces the settings pages share.

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/declarative/nodes.h"

namespace tarnwick::settings_parts {

namespace ui = platform::ui;

// A caption line in the secondary style.
inline ui::Node caption(std::string text) {
    return ui::text(std::move(text)).font(ui::TextStyle::caption).foreground(ui::Color::secondaryLabel());
}

// A section with a plain-text header.
inline ui::Node section(std::string header, std::vector<ui::Node> rows) {
    return ui::section(ui::text(std::move(header)), std::move(rows));
}

// A message with the error symbol, in red.
inline ui::Node errorLabel(std::string message) {
    return ui::label(std::move(message), "exclamationmark.circle").foreground(ui::Color::systemRed());
}

inline constexpr double kRowSpacing = 8;  // a row's default spacing

// The node in a frame of this width, placed by the alignment; its height its own.
inline ui::Node width(ui::Node node, double width, ui::HorizontalAlignment alignment) {
    ui::FrameSpec frame;
    frame.width = width;
    frame.alignment = ui::Alignment{alignment, ui::VerticalAlignment::center};
    return std::move(node).frame(frame);
}

}  // namespace tarnwick::settings_parts
