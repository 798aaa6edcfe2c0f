#include "platform/sim/console/screen_svg.h"

#include <algorithm>

#include "platform/alerts.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/picture_symbols.h"
#include "platform/sim/console/picture_text.h"
#include "platform/sim/console/picture_views.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/sim_alerts.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_menu_layout.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/ui/panel.h"
#include "support/error.h"
#include "support/files.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

std::string n(double value) { return svgNumber(value); }

Rect viewBox(const ScreenState& screen) {
    if (screen.displays.empty()) return Rect(0, 0, 1, 1);
    Rect box = screen.displays.front().bounds;
    for (const auto& d : screen.displays) {
        const double minX = std::min(box.minX(), d.bounds.minX()), minY = std::min(box.minY(), d.bounds.minY());
        const double maxX = std::max(box.maxX(), d.bounds.maxX()), maxY = std::max(box.maxY(), d.bounds.maxY());
        box = Rect(minX, minY, maxX - minX, maxY - minY);
    }
    return box;
}

std::string statusItemPicture(const ShownStatusItem& item) {
    std::string out = "<g class=\"status-item\" data-window=\"" + std::to_string(item.windowNumber) + "\">\n";
    out += svgRect(item.frame, "status-item-frame", "fill=\"#f2f2f7\" fill-opacity=\"0.4\" stroke=\"#f2f2f7\"");
    // The button's symbol, inset as the menu bar draws it.
    if (!item.symbolName.empty())
        out += symbolPicture(Rect(item.frame.minX() + 4, item.frame.minY() + 4, item.frame.width() - 8,
                                  item.frame.height() - 8),
                             item.symbolName);
    if (!item.toolTip.empty())
        out += "<title>" + xmlEscaped(item.toolTip) + "</title>\n";
    return out + "</g>\n";
}

// The open menu where the system shows it, its rows as the system lays them out: a separator as
// a line, a row's symbol before its title, and an arrow on a row that opens a submenu.
std::string menuPicture(const platform::ui::Menu& menu, const Rect& frame, const GlobalSpace& space,
                        PictureClips& clips) {
    using Layout = SimMenuLayout;
    const Layout layout = Layout::of(menu);
    const bool symbols = std::any_of(layout.rows.begin(), layout.rows.end(),
                                     [](const Layout::Row& row) { return row.symbolName.has_value(); });
    const double titleX = frame.minX() + Layout::kCheckColumn + (symbols ? Layout::kSymbolColumn : 0);
    std::string out = "<g class=\"menu\">\n";
    out += svgRect(frame, "menu-frame", "fill=\"#2b2b2e\" stroke=\"#8e8e93\" stroke-width=\"1\"");
    for (const auto& row : layout.rows) {
        const Rect box(frame.minX() + row.frame.minX(), frame.minY() + row.frame.minY(), row.frame.width(),
                       row.frame.height());
        if (row.separator) {
            out += "<line class=\"menu-separator\" x1=\"" + n(box.minX() + 10) + "\" y1=\"" + n(box.midY()) + "\" x2=\"" +
                   n(box.maxX() - 10) + "\" y2=\"" + n(box.midY()) + "\" stroke=\"#636366\"/>\n";
            continue;
        }
        if (row.symbolName)
            out += symbolPicture(Rect(frame.minX() + Layout::kCheckColumn, box.midY() - 8, 16, 16), *row.symbolName);
        const auto rowText = [&](const std::string& text, const Rect& area, ui::TextAlignment alignment,
                                 const std::string& cls) {
            return textPicture(oneLineText(text, space.toScreen(area), Layout::font(), alignment), space, clips, cls);
        };
        out += rowText(row.title, Rect(titleX, box.minY(), box.maxX() - titleX, box.height()),
                       ui::TextAlignment::natural, "menu-row");
        if (row.hasSubmenu)
            out += rowText("\u25B8",
                           Rect(box.maxX() - Layout::kTrailingInset - Layout::kSubmenuColumn, box.minY(),
                                Layout::kSubmenuColumn, box.height()),
                           ui::TextAlignment::center, "menu-submenu-arrow");
    }
    return out + "</g>\n";
}

// A titled window's title in its title bar, over what the window shows (a transparent title bar
// draws no bar of its own), cut short to the room between the window's buttons.
std::string titlePicture(const ui::Panel& panel, const GlobalSpace& space, PictureClips& clips) {
    const auto frame = panel.titleFrame();
    if (!frame) return {};
    std::string out;
    if (!panel.titlebarAppearsTransparent) {
        const Rect bar(panel.frame().minX(), frame->minY(), panel.frame().width(), frame->height());
        out += svgRect(space.toGlobal(bar), "title-bar", "fill=\"#3a3a3c\"");
    }
    if (panel.title().empty() || !frame->isUsable()) return out;
    const PlacedText title =
        oneLineText(panel.title(), *frame, ui::Font::system(ui::Panel::kTitleFontSize), ui::TextAlignment::center);
    return out + textPicture(title, space, clips, "window-title", "#e5e5ea");
}

// A window of ours: its frame (an opaque window's background; ours are clear, their glass drawing
// their shape), then everything it shows clipped to its frame, its title last.
std::string windowPicture(SimulatedSession& session, const ShownWindow& window, const GlobalSpace& space,
                          PictureClips& clips) {
    std::string out = "<g class=\"window\" data-window=\"" + std::to_string(window.number) + "\" data-level=\"" +
                      std::to_string(window.level) + "\" opacity=\"" + n(std::clamp(window.alpha, 0.0, 1.0)) + "\">\n";
    if (!window.title.empty()) out += "<title>" + xmlEscaped(window.title) + "</title>\n";
    const ui::Panel& panel = *window.panel;
    out += svgRect(window.frame, "window-frame",
                   panel.isOpaque ? "fill=\"#f2f2f7\" fill-opacity=\"0.25\" stroke=\"#f2f2f7\"" : "fill=\"none\"");
    out += clips.begin(window.frame);
    out += windowContentPicture(session, *window.panel, space, clips);
    out += titlePicture(panel, space, clips);
    return out + PictureClips::end() + "</g>\n";
}

std::string alertPicture(const platform::Alert& alert, const GlobalSpace& space, PictureClips& clips) {
    const Rect frame = space.toGlobal(alert.window().frame());
    std::string out = "<g class=\"alert\">\n";
    out += svgRect(frame, "alert-frame", "fill=\"#2b2b2e\" stroke=\"#c8c8cc\" stroke-width=\"1\"");
    out += clips.begin(frame);
    double y = frame.minY() + SimAlerts::kMessageBaseline;
    out += svgText(frame.minX() + SimAlerts::kTextInset, y, 13, "alert-message", alert.messageText);
    // One text per line, as the alert lays them out.
    const auto lines = SimAlerts::informativeLines(alert.informativeText, frame.width() - 2 * SimAlerts::kTextInset);
    y = frame.minY() + SimAlerts::kInformativeBaseline;
    for (const auto& line : lines) {
        out += svgText(frame.minX() + SimAlerts::kTextInset, y, SimAlerts::kInformativeFontSize, "alert-informative", line);
        y += SimAlerts::kLineHeight;
    }
    if (const auto field = SimAlerts::textFieldFrame(alert)) {
        const Rect box(frame.minX() + field->minX(), frame.minY() + field->minY(), field->width(), field->height());
        out += svgRect(box, "alert-field", "fill=\"#1c1c1e\" stroke=\"#8e8e93\"");
        const auto& text = *alert.textField;
        const bool placeholder = text.stringValue.empty() && !text.placeholderString.empty();
        const Rect inside = space.toScreen(Rect(box.minX() + SimAlerts::kFieldTextInset, box.minY(),
                                                std::max(box.width() - 2 * SimAlerts::kFieldTextInset, 0.0), box.height()));
        const PlacedText shown = oneLineText(placeholder ? text.placeholderString : text.stringValue, inside,
                                             ui::Font::system(SimAlerts::kFieldFontSize), ui::TextAlignment::natural,
                                             placeholder);
        out += textPicture(shown, space, clips, "alert-field-text");
    }
    double x = frame.maxX() - 20;
    for (const auto& button : alert.buttons) {
        const double width = 16 + 7.0 * static_cast<double>(button.title.size());
        x -= width;
        const Rect box(x, frame.maxY() - 40, width, 24);
        out += svgRect(box, "alert-button", "fill=\"#3a3a3c\" stroke=\"#8e8e93\"");
        out += svgPlacedText(Rect(box.minX() + 8, box.minY() + 4, box.width() - 16, 16), "alert-button-title", button.title);
        x -= 8;
    }
    return out + PictureClips::end() + "</g>\n";
}

}  // namespace

std::string xmlEscaped(std::string_view input) {
    std::string out;
    out.reserve(input.size());
    for (char c : input) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F)
                out += "\xEF\xBF\xBD";
            else
                out += c;
        }
    }
    return out;
}

std::string screenSvg(SimulatedSession& session, const platform::Alert* openAlert) {
    auto guard = session.lock();
    const ScreenState screen = readScreen(session);
    const GlobalSpace space = GlobalSpace::of(session);
    const Rect box = viewBox(screen);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + n(box.minX()) + " " + n(box.minY()) + " " +
           n(box.width()) + " " + n(box.height()) + "\" width=\"" + n(box.width()) + "\" height=\"" + n(box.height()) +
           "\" font-family=\"" + std::string(kPictureFontFamily) + "\">\n";

    for (const auto& d : screen.displays) {
        out += "<g class=\"display\" data-display=\"" + std::to_string(d.id) + "\">\n";
        out += svgRect(d.bounds, "display-frame", "fill=\"#1d2b3a\" stroke=\"#7f8fa6\" stroke-width=\"2\"");
        out += svgText(d.bounds.minX() + 16, d.bounds.maxY() - 40, 18, "display-name", d.name);
        out += svgText(d.bounds.minX() + 16, d.bounds.maxY() - 16, 16, "current-desktop", d.currentTitle, "#c8d6e5");
        out += "</g>\n";
    }

    if (screen.missionControlOpen) {
        out += "<g class=\"mission-control\">\n";
        for (const auto& bar : MissionControlLayout::bars(session, session.loop().uptime())) {
            out += svgRect(bar.bar, "spaces-bar", "fill=\"#000000\" fill-opacity=\"0.35\"");
            for (const auto& button : bar.buttons) {
                out += svgRect(button.frame, "desktop-button", "fill=\"#3d5a80\" fill-opacity=\"0.6\"");
                out += svgRect(button.caption, "caption-frame", "fill=\"none\" stroke=\"#ffffff\" stroke-opacity=\"0.3\"");
                out += svgPlacedText(button.caption, "caption", button.title);
            }
        }
        out += "</g>\n";
    }

    if (screen.statusItem) out += statusItemPicture(*screen.statusItem);
    PictureClips clips;
    for (auto window = screen.windows.rbegin(); window != screen.windows.rend(); ++window)
        out += windowPicture(session, *window, space, clips);
    // A menu and an alert stand in front of every window.
    if (const auto* menu = session.menus().openMenu(); menu && screen.menu)
        out += menuPicture(*menu, space.toGlobal(session.menus().openFrame().value_or(Rect())), space, clips);
    if (openAlert) out += alertPicture(*openAlert, space, clips);
    return out + "</svg>\n";
}

void writeScreenSvg(SimulatedSession& session, const platform::Alert* openAlert, const std::filesystem::path& file) {
    const std::string picture = screenSvg(session, openAlert);
    try {
        if (file.empty() || !file.has_filename()) throw Error("no file name");
        files::writeAtomically(file, picture);
    } catch (const Error&) {
        throw Error("The picture could not be written to " + quotedText(file.string()) +
                    "; name a file in a folder that exists and that you may write to.");
    }
}

}  // namespace tarnwick::sim
