#include "platform/sim/console/screen_svg.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/alerts.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/picture_alert.h"
#include "platform/sim/console/picture_menu.h"
#include "platform/sim/console/picture_palette.h"
#include "platform/sim/console/picture_symbols.h"
#include "platform/sim/console/picture_text.h"
#include "platform/sim/console/picture_views.h"
#include "platform/sim/console/picture_window.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/sim_displays.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/ui/panel.h"
#include "support/error.h"
#include "support/files.h"
#include "support/text.h"
#include "support/write_failure.h"

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

// A window of ours: its frame (an opaque window's background in its colour; ours are clear, their
// glass drawing their shape), then everything it shows, its title bar last, all clipped to its
// frame (a titled window's with its rounded corners), and its edge.
std::string windowPicture(SimulatedSession& session, const ShownWindow& window, const GlobalSpace& space,
                          PictureClips& clips) {
    std::string out = "<g class=\"window\" data-window=\"" + std::to_string(window.number) + "\" data-level=\"" +
                      std::to_string(window.level) + "\" data-key=\"" + (window.key ? "true" : "false") +
                      "\" opacity=\"" + n(std::clamp(window.alpha, 0.0, 1.0)) + "\">\n";
    if (!window.title.empty()) out += "<title>" + xmlEscaped(window.title) + "</title>\n";
    const ui::Panel& panel = *window.panel;
    const double radius = windowCornerRadius(panel);
    const bool titled = (panel.styleMask() & ui::style_mask::kTitled) != 0;
    out += svgRect(window.frame, "window-frame",
                   (radius > 0 ? svgRounded(radius) : std::string()) +
                       (panel.isOpaque ? paintOf(panel.backgroundColor).fill() : std::string("fill=\"none\"")));
    // The window server clips a titled window to its rounded shape; a window without a title bar
    // is the shape its content draws.
    out += clips.begin(window.frame, titled ? radius : 0);
    out += windowContentPicture(session, *window.panel, window.key, space, clips);
    out += titleBarPicture(panel, window.key, space, clips);
    return out + PictureClips::end() + windowEdgePicture(window.frame, radius) + "</g>\n";
}

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// A character XML 1.0 lets a document hold: tab, line feed, carriage return, and the scalars from
// U+0020 up, but the surrogates, U+FFFE and U+FFFF. DEL, which XML allows, goes too, as the
// console's other control characters do.
bool keptInPicture(char32_t c) {
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    if (c < 0xD800) return c != 0x7F;
    if (c < 0xE000) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}


// The path without the slashes it ends in, and whether a folder is there.
std::pair<std::filesystem::path, bool> withoutTrailingSlashes(const std::filesystem::path& file) {
    std::string named = file.string();
    while (!named.empty() && named.back() == '/') named.pop_back();
    std::error_code error;
    return {named, !named.empty() && std::filesystem::is_directory(named, error)};
}

}  // namespace

std::string xmlEscaped(std::string_view input) {
    std::string out;
    out.reserve(input.size());
    for (std::size_t at = 0; at < input.size();) {
        const text::WellFormed decoded = text::wellFormedAt(input, at);
        if (!decoded.scalar || !keptInPicture(*decoded.scalar)) {
            out += kReplacementCharacter;
        } else {
            switch (*decoded.scalar) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out.append(input.substr(at, decoded.length));
            }
        }
        at += decoded.length;
    }
    return out;
}

std::string screenSvg(SimulatedSession& session, const platform::Alert* openAlert) {
    auto guard = session.lock();
    const ScreenState screen = readScreen(session, openAlert);
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
        out += menuPicture(*menu, space.toGlobal(session.menus().openFrame().value_or(Rect())), screen.pointer, space,
                           SimDisplays(session).screens(), clips);
    if (openAlert) out += alertPicture(session, *openAlert, space, clips);
    return out + "</svg>\n";
}

void writeScreenSvg(SimulatedSession& session, const platform::Alert* openAlert, const std::filesystem::path& file) {
    const std::string picture = screenSvg(session, openAlert);
    const std::string cannot = "The picture could not be written to " + quotedText(file.string());
    const auto because = [&cannot](const files::WriteFailure& failure) -> std::optional<Error> {
        const auto reason = files::reasonOf(failure, [](const std::string& place) { return quotedText(place); });
        if (!reason) return std::nullopt;
        return Error(cannot + " because " + *reason + ".");
    };
    const Error nameAFile(cannot + "; name a file in a folder that exists and that you may write to.");
    std::filesystem::path target = file;
    if (!file.has_filename()) {
        // A name ending in "/" names a folder: one that is there gets the answer its name without
        // the slash gets; one that is no folder is said to be none.
        const auto [named, isFolder] = withoutTrailingSlashes(file);
        if (named.empty()) {
            if (file.is_absolute()) throw *because({EISDIR, file});  // the root folder
            throw nameAFile;
        }
        if (!isFolder) {
            if (files::itemExists(named)) throw *because({ENOTDIR, named});
            throw nameAFile;
        }
        target = named;
    }
    try {
        files::writeAtomically(target, picture);
    } catch (const files::TargetRefused& refused) {
        throw Error(refused.what());  // it says what is at the path; another name is no help there
    } catch (const files::WrittenAmiss& written) {
        throw Error(written.what());  // it says where the picture and what it found there are
    } catch (const SystemError& failure) {
        if (auto said = because(files::whatStoppedTheWrite(failure, target))) throw *said;
        throw nameAFile;
    } catch (const Error&) {
        throw nameAFile;
    }
}

}  // namespace tarnwick::sim
