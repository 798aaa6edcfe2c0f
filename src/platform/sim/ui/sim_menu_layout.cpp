#include "platform/sim/ui/sim_menu_layout.h"

#include <algorithm>

#include "platform/ui/menu.h"
#include "platform/ui/menu_key_equivalent.h"
#include "platform/ui/text_metrics.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

bool SimMenuLayout::enabledWhenOpened(const ui::Menu& menu, ui::MenuItem& item) {
    return menu.autoenablesItems ? item.validate() : item.isEnabled;
}

std::string SimMenuLayout::shownKeyEquivalent(const ui::MenuItem& item) {
    if (item.submenu || item.isSeparatorItem()) return {};
    return ui::keyEquivalentGlyphs(item.keyEquivalent, item.keyEquivalentModifierMask);
}

SimMenuLayout SimMenuLayout::of(const ui::Menu& menu, bool asOpened) {
    SimMenuLayout layout;
    auto& metrics = ui::textMetrics();
    double widest = 0, widestEquivalent = 0;
    bool symbols = false, submenus = false;
    double y = kVerticalPadding;
    for (const auto& item : menu.items) {
        if (!item || item->isHidden) continue;
        Row row;
        row.separator = item->isSeparatorItem();
        const double height = row.separator ? kSeparatorHeight : kRowHeight;
        if (!row.separator) {
            row.title = item->title;
            row.symbolName = item->symbolName;
            row.hasSubmenu = item->submenu != nullptr;
            row.submenu = item->submenu.get();
            row.enabled = asOpened ? enabledWhenOpened(menu, *item) : item->isEnabled;
            row.checked = item->state == ui::ControlState::on;
            row.keyEquivalent = shownKeyEquivalent(*item);
            widest = std::max(widest, metrics.lineWidth(row.title, font()));
            if (!row.keyEquivalent.empty())
                widestEquivalent = std::max(widestEquivalent, metrics.lineWidth(row.keyEquivalent, font()));
            symbols = symbols || row.symbolName.has_value();
            submenus = submenus || row.hasSubmenu;
        }
        row.frame = Rect(0, y, 0, height);
        y += height;
        layout.rows.push_back(std::move(row));
    }
    const double trailingColumn =
        std::max(submenus ? kSubmenuColumn : 0, widestEquivalent > 0 ? kKeyEquivalentGap + widestEquivalent : 0);
    const double width = kCheckColumn + (symbols ? kSymbolColumn : 0) + widest + trailingColumn + kTrailingInset;
    for (auto& row : layout.rows) row.frame.size.width = width;
    layout.size = Size{width, y + kVerticalPadding};
    return layout;
}

Rect SimMenuLayout::placed(Size size, Point location, const std::vector<platform::ScreenDescription>& screens) {
    Rect frame(location.x, location.y - size.height, size.width, size.height);
    const auto screen = std::find_if(screens.begin(), screens.end(),
                                     [&](const platform::ScreenDescription& s) { return s.frame.contains(location); });
    if (screen == screens.end()) return frame;
    const Rect& bounds = screen->frame;
    // Left until its right edge is on the screen, up until its bottom is; a menu larger than the
    // screen keeps its left and top edges on it.
    frame.origin.x = std::max(std::min(frame.minX(), bounds.maxX() - size.width), bounds.minX());
    frame.origin.y = std::min(std::max(frame.minY(), bounds.minY()), bounds.maxY() - size.height);
    return frame;
}

Rect SimMenuLayout::submenuPlaced(Size size, const Rect& parent, const Rect& row,
                                  const std::vector<platform::ScreenDescription>& screens) {
    // Its first row's top (the menu's padding below its own top) level with the row's top.
    const double top = parent.maxY() - row.minY() + kVerticalPadding;
    Rect frame(parent.maxX(), top - size.height, size.width, size.height);
    const auto screen = std::find_if(screens.begin(), screens.end(), [&](const platform::ScreenDescription& s) {
        return s.frame.contains(Point{parent.minX(), parent.maxY() - row.midY()});
    });
    if (screen == screens.end()) return frame;
    const Rect& bounds = screen->frame;
    if (frame.maxX() > bounds.maxX()) frame.origin.x = std::max(parent.minX() - size.width, bounds.minX());
    frame.origin.y = std::min(std::max(frame.minY(), bounds.minY()), bounds.maxY() - size.height);
    return frame;
}

}  // namespace tarnwick::sim
