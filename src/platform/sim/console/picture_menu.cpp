#include "platform/sim/console/picture_menu.h"

#include <algorithm>

#include "platform/sim/console/picture_palette.h"
#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/picture_symbols.h"
#include "platform/sim/console/picture_text.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/ui/sim_menu_layout.h"
#include "platform/ui/menu.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

using Layout = SimMenuLayout;

// Submenus open inside submenus only this deep, so a menu that holds itself still draws.
constexpr int kDeepestSubmenu = 8;
// The side of the square a check mark or a row's symbol is drawn in, and the submenu arrow's.
constexpr double kGlyphSide = 16;
constexpr double kArrowSide = 10;
// A menu's corners are rounded this much.
constexpr double kMenuCornerRadius = 6;

std::string n(double value) { return svgNumber(value); }

std::string menuPictureAt(const Layout& layout, const Rect& frame, Point pointer,
                          const GlobalSpace& space, const std::vector<platform::ScreenDescription>& screens,
                          PictureClips& clips, int depth) {
    const bool symbols = std::any_of(layout.rows.begin(), layout.rows.end(),
                                     [](const Layout::Row& row) { return row.symbolName.has_value(); });
    const double titleX = frame.minX() + Layout::kCheckColumn + (symbols ? Layout::kSymbolColumn : 0);
    std::string out = "<g class=\"menu\">\n";
    out += svgRect(frame, "menu-frame",
                   svgRounded(kMenuCornerRadius) + "fill=\"" + palette::kMenuFace + "\" stroke=\"" + palette::kOutline +
                       "\" stroke-width=\"1\"");
    std::string submenu;
    for (const auto& row : layout.rows) {
        const Rect box(frame.minX() + row.frame.minX(), frame.minY() + row.frame.minY(), row.frame.width(),
                       row.frame.height());
        if (row.separator) {
            out += "<line class=\"menu-separator\" x1=\"" + n(box.minX() + 10) + "\" y1=\"" + n(box.midY()) + "\" x2=\"" +
                   n(box.maxX() - 10) + "\" y2=\"" + n(box.midY()) + "\" stroke=\"" + palette::kTrack + "\"/>\n";
            continue;
        }
        const bool pointed = box.contains(pointer);
        if (pointed && row.enabled)
            out += svgRect(Rect(box.minX() + 5, box.minY(), std::max(box.width() - 10, 0.0), box.height()),
                           "menu-highlight", svgRounded(4) + "fill=\"" + palette::kAccent + "\"");
        const std::string colour = row.enabled ? palette::kText : palette::kDisabledText;
        const auto rowText = [&](const std::string& text, const Rect& area, ui::TextAlignment alignment,
                                 const std::string& cls) {
            return textPicture(oneLineText(text, space.toScreen(area), Layout::font(), alignment), space, clips, cls,
                               colour);
        };
        std::string drawn;
        // A row that is on (a pop-up's chosen option) shows the check mark glyph, whatever the
        // menu font holds.
        if (row.checked)
            drawn += "<g class=\"menu-check\">\n" +
                     symbolPicture(Rect(frame.minX() + (Layout::kCheckColumn - kGlyphSide) / 2, box.midY() - kGlyphSide / 2,
                                        kGlyphSide, kGlyphSide),
                                   "checkmark", colour) +
                     "</g>\n";
        if (row.symbolName)
            drawn += symbolPicture(Rect(frame.minX() + Layout::kCheckColumn, box.midY() - kGlyphSide / 2, kGlyphSide,
                                        kGlyphSide),
                                   *row.symbolName, colour);
        drawn += rowText(row.title, Rect(titleX, box.minY(), box.maxX() - titleX, box.height()),
                         ui::TextAlignment::natural, "menu-row");
        // The key equivalent, right-aligned in the trailing column.
        if (!row.keyEquivalent.empty()) {
            const double right = box.maxX() - Layout::kTrailingInset;
            drawn += rowText(row.keyEquivalent, Rect(titleX, box.minY(), std::max(right - titleX, 0.0), box.height()),
                             ui::TextAlignment::right, "menu-key-equivalent");
        }
        // The arrow of a row that opens a submenu is the chevron glyph, whatever the menu font holds.
        if (row.hasSubmenu)
            drawn += "<g class=\"menu-submenu-arrow\">\n" +
                     symbolPicture(Rect(box.maxX() - Layout::kTrailingInset - (Layout::kSubmenuColumn + kArrowSide) / 2,
                                        box.midY() - kArrowSide / 2, kArrowSide, kArrowSide),
                                   "chevron.right", colour) +
                     "</g>\n";
        out += svgOpacityGroup(std::move(drawn), 1, !row.enabled);
        if (pointed && row.enabled && row.submenu && depth < kDeepestSubmenu) {
            const Layout inner = Layout::of(*row.submenu, true);
            const Rect placed = Layout::submenuPlaced(inner.size, space.toScreen(frame), row.frame, screens);
            submenu = menuPictureAt(inner, space.toGlobal(placed), pointer, space, screens, clips, depth + 1);
        }
    }
    // A submenu stands in front of the menu that opened it.
    return out + "</g>\n" + submenu;
}

}  // namespace

std::string menuPicture(const ui::Menu& menu, const Rect& frame, Point pointer, const GlobalSpace& space,
                        const std::vector<platform::ScreenDescription>& screens, PictureClips& clips) {
    return menuPictureAt(Layout::of(menu), frame, pointer, space, screens, clips, 0);
}

}  // namespace tarnwick::sim
