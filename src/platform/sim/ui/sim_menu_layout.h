#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/displays.h"
#include "platform/ui/font.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {
class Menu;
class MenuItem;
}

namespace tarnwick::sim {

// How the system lays out a menu it shows: its visible rows and separators top to bottom, as
// wide as its widest title measured in the menu font, with a column for check marks before the
// titles, one for symbols when a row has one, and after the titles a trailing column for the key
// equivalents (a gap, then the widest of them, each right-aligned in it) and the submenu arrows,
// as wide as the wider of the two. Where it shows: hanging from the point it was popped up at,
// moved left and up as far as it takes to stay on the screen that holds that point, as the
// system keeps menus on screen.
struct SimMenuLayout {
    struct Row {
        std::string title;
        std::optional<std::string> symbolName;
        std::string keyEquivalent;  // as the menu shows it ("⌘,"); empty: none
        bool separator = false;
        bool hasSubmenu = false;
        bool enabled = true;
        bool checked = false;  // its check mark shows (its state is on)
        const platform::ui::Menu* submenu = nullptr;  // valid while the menu's rows stay
        Rect frame;  // from the menu's top left, y down
    };

    Size size;
    std::vector<Row> rows;

    // Measured with the installed text metrics. A submenu about to open has not been validated
    // yet: `asOpened` shows its rows as they will be once it opens.
    static SimMenuLayout of(const platform::ui::Menu& menu, bool asOpened = false);
    // Whether a row shows enabled once its menu opens: the system validates an auto-enabling
    // menu's rows at that moment.
    static bool enabledWhenOpened(const platform::ui::Menu& menu, platform::ui::MenuItem& item);
    // The key equivalent a row shows beside its title ("⌘,"); none on a row that opens a submenu,
    // whose arrow stands there.
    static std::string shownKeyEquivalent(const platform::ui::MenuItem& item);
    // The menu's frame (screen coordinates, y up) when it hangs from `location` (its top left):
    // within the first screen that holds the point; as asked when none does.
    static Rect placed(Size size, Point location, const std::vector<platform::ScreenDescription>& screens);
    // Where a submenu of this size shows when its row (from the top left of its menu, y down) is
    // pointed at in the menu at `parent` (screen coordinates): beside the menu, its first row level
    // with that row, on the right unless the screen holding the menu has no room there, and kept
    // on that screen.
    static Rect submenuPlaced(Size size, const Rect& parent, const Rect& row,
                              const std::vector<platform::ScreenDescription>& screens);

    static platform::ui::Font font() { return platform::ui::Font::system(13); }
    static constexpr double kRowHeight = 22;
    static constexpr double kSeparatorHeight = 11;
    static constexpr double kVerticalPadding = 5;
    static constexpr double kCheckColumn = 20;     // before the titles
    static constexpr double kSymbolColumn = 22;    // a symbol and the gap after it
    static constexpr double kSubmenuColumn = 18;   // the arrow of a row with a submenu
    static constexpr double kKeyEquivalentGap = 24;  // at least between a title and its equivalent
    static constexpr double kTrailingInset = 20;
};

}  // namespace tarnwick::sim
