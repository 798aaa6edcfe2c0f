// The console's hands on the menu bar: pointing at and clicking our status item, and choosing
// in the menu it opens.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/ui/sim_menu_layout.h"

#include "platform/events.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_item.h"
#include "platform/ui/tracking_area.h"
#include "support/files.h"
#include "testkit/console_driver.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"
#include "testkit/test_environment.h"
#include "testkit/xml_document.h"
#include "testkit/text_expectations.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using Lines = std::vector<std::string>;

struct Pointer final : ui::TrackingAreaOwner {
    Lines heard;
    void mouseEntered(const ui::TrackingEvent&) override { heard.emplace_back("in"); }
    void mouseExited(const ui::TrackingEvent&) override { heard.emplace_back("out"); }
};

class ConsoleStatusMenuTest : public ::testing::Test {
protected:
    ConsoleStatusMenuTest() {
        env.session.loadDefaultSession();
        console = std::make_unique<testkit::ConsoleDriver>(env.session);
    }

    // The status item as an app would make it: a click opens its menu, each click's count and
    // Option noted.
    void makeStatusItem() {
        item = std::make_unique<ui::StatusItem>();
        auto button = item->button();
        button->toolTip = "Tarnwick";
        button->symbolName = "tag";
        button->addTrackingArea(std::make_shared<ui::TrackingArea>(
            Rect(), ui::tracking_options::kMouseEnteredAndExited | ui::tracking_options::kActiveAlways |
                        ui::tracking_options::kInVisibleRect,
            &pointer));
        menu = std::make_shared<ui::Menu>("Status");
        menu->addItem("Workstation Overview", [this] { chosen.emplace_back("Workstation Overview"); });
        menu->addItem("Testing").isHidden = true;
        menu->addItem("Quit Tarnwick", [this] { chosen.emplace_back("Quit Tarnwick"); });
        button->action = [this] {
            const auto event = platform::current().events->currentEvent();
            clicks.push_back(std::to_string(event->clickCount) +
                             ((event->modifierFlags & platform::modifier_flags::kOption) ? " option" : ""));
            if (event->clickCount == 1) menu->popUp(nullptr, Point{0, 0}, *item->button());
        };
    }

    testkit::TestEnvironment env;
    std::unique_ptr<testkit::ConsoleDriver> console;
    std::unique_ptr<ui::StatusItem> item;
    std::shared_ptr<ui::Menu> menu;
    Pointer pointer;
    Lines clicks;
    Lines chosen;
};

TEST_F(ConsoleStatusMenuTest, WithoutAStatusItemOrAnOpenMenuTheCommandsSaySo) {
    EXPECT_EQ(console->type("hover status-item"),
              Lines{"error: There is no status item in the menu bar; screen shows what is there."});
    EXPECT_EQ(console->type("unhover"), Lines{"error: There is no status item in the menu bar; screen shows what is there."});
    EXPECT_EQ(console->type("click status-item option"),
              Lines{"error: There is no status item in the menu bar; screen shows what is there."});
    EXPECT_EQ(console->type("menu \"Quit Tarnwick\""),
              Lines{"error: No menu is open; click status-item opens the status menu."});
    EXPECT_EQ(console->type("reopen"), Lines{"error: There is no running application to reopen."});
    makeStatusItem();
    EXPECT_EQ(console->type("hover status-bar").back(),
              "error: \"status-bar\" is nothing hover knows; type hover status-item.");
    EXPECT_EQ(console->type("click status-item shift").back(),
              "error: \"shift\" is no key to hold; type click label <N> | click status-item [option].");
    EXPECT_EQ(console->type("menu").back(), "error: Too few words for menu; type menu \"<row>\" [\"<row>\" ...].");
    EXPECT_TRUE(clicks.empty());
}

TEST_F(ConsoleStatusMenuTest, HoverClickAndChooseAsAPersonWould) {
    makeStatusItem();
    // The item and its tooltip show as changes, and in `screen`.
    EXPECT_EQ(console->type("wait 0"), (Lines{"@1000.000 status-item shown at 1479 0 25 25 tooltip \"Tarnwick\"", "ok"}));
    const Lines before = console->screen();
    EXPECT_NE(std::find(before.begin(), before.end(), "status-item at 1479 0 25 25 tooltip \"Tarnwick\" symbol \"tag\""),
              before.end());
    item->button()->toolTip = "Desktop 1";
    EXPECT_EQ(console->type("wait 0"), (Lines{"@1000.000 status-item tooltip \"Desktop 1\"", "ok"}));

    EXPECT_EQ(console->type("unhover"), Lines{"error: The pointer is not on the status item; hover status-item puts it there."});
    EXPECT_EQ(console->type("hover status-item"), Lines{"ok"});
    EXPECT_EQ(console->type("unhover"), Lines{"ok"});
    EXPECT_EQ(pointer.heard, (Lines{"in", "out"}));

    // The menu hangs from the item, moved left as far as it takes to stay on the display: its
    // right edge at the display's (1512), as wide as its rows measure.
    const double menuWidth = sim::SimMenuLayout::of(*menu).size.width;
    const std::string onBuiltIn = "\"Status\" at " + testkit::consoleNumber(1512 - menuWidth) + " 25 rows";
    EXPECT_EQ(console->type("click status-item"),
              (Lines{"@1000.000 menu opened " + onBuiltIn + " \"Workstation Overview\" \"Quit Tarnwick\"", "ok"}));
    const Lines screen = console->screen();
    EXPECT_NE(std::find(screen.begin(), screen.end(), "menu " + onBuiltIn + " \"Workstation Overview\" \"Quit Tarnwick\""),
              screen.end());
    // A hidden row, a row that is not there, or a path past a row without a submenu: nothing
    // is chosen and the menu stays open.
    EXPECT_EQ(console->type("menu Testing"),
              Lines{"error: The menu shows no row \"Testing\"; its rows are \"Workstation Overview\", \"Quit Tarnwick\"."});
    EXPECT_EQ(console->type("menu \"Quit Tarnwick\" Now"),
              Lines{"error: The row \"Quit Tarnwick\" opens no submenu; type menu \"Quit Tarnwick\"."});
    // A key no row has as its key equivalent is refused, and the menu stays open.
    EXPECT_EQ(console->type("keys cmd-q"),
              Lines{"error: A menu is open; it takes escape, the key equivalent of one of its rows or menu \"<row>\"."});
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(console->type("menu \"Quit Tarnwick\""), (Lines{"@1000.000 menu closed \"Status\"", "ok"}));
    EXPECT_EQ(chosen, Lines{"Quit Tarnwick"});
    // At the Studio Display's bottom right corner it moves left and up, staying on that display.
    env.session.menus().popUp(*menu, Point{4060, -250});
    EXPECT_EQ(console->type("keys escape"),
              (Lines{"@1000.000 menu opened \"Status\" at " + testkit::consoleNumber(4072 - menuWidth) +
                         " 1186 rows \"Workstation Overview\" \"Quit Tarnwick\"",
                     "@1000.000 menu closed \"Status\"", "ok"}));

    // Escape closes the menu; so does a click on the item, which then goes no further.
    console->type("click status-item");
    EXPECT_EQ(console->type("keys escape"), (Lines{"@1000.000 menu closed \"Status\"", "ok"}));
    console->type("click status-item");
    EXPECT_EQ(console->type("click status-item"), (Lines{"@1000.000 menu closed \"Status\"", "ok"}));
    EXPECT_EQ(clicks, (Lines{"1", "1", "1"}));

    // Option is held while the click happens; a double click's second click counts two.
    console->type("click status-item option");
    console->type("keys escape");
    EXPECT_EQ(console->type("double-click status-item").back(), "ok");
    EXPECT_EQ(clicks, (Lines{"1", "1", "1", "1 option", "1", "2"}));
    EXPECT_EQ(env.session.events().modifierFlags(), 0u);
}

TEST_F(ConsoleStatusMenuTest, ASubmenuIsChosenByItsPathAndADisabledRowByNone) {
    makeStatusItem();
    auto testing = std::make_shared<ui::Menu>("Testing");
    testing->addItem("Record", [this] { chosen.emplace_back("Record"); });
    auto& idle = testing->addItem("Idle");  // nothing to do: disabled when the menu updates
    menu->items[1]->isHidden = false;
    menu->items[1]->submenu = testing;
    menu->items[0]->symbolName = "macwindow";
    console->type("click status-item");
    // Drawn with its rows' symbols, and the chevron glyph on the row that opens a submenu.
    const testkit::TempFolder folder;
    EXPECT_EQ(console->type("screen svg " + (folder / "menu.svg").string()), Lines{"ok"});
    const auto picture = testkit::parseXml(files::read(folder / "menu.svg"));
    ASSERT_TRUE(picture);
    const auto& drawn = *picture->all("g", "menu").at(0);
    std::vector<std::string> symbols;
    for (const auto* symbol : drawn.all("g", "symbol")) symbols.push_back(symbol->value("data-symbol"));
    EXPECT_EQ(symbols, (Lines{"macwindow", "chevron.right"}));
    EXPECT_GT(drawn.all("rect", "menu-frame").at(0)->number("rx"), 0);  // a menu's corners are rounded
    const auto rows = drawn.all("text", "menu-row");
    const auto arrows = drawn.all("g", "menu-submenu-arrow");
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(arrows.size(), 1u);
    EXPECT_EQ(rows[1]->text, "Testing");
    // The arrow is the chevron glyph, not a character of the menu font, level with its row's
    // title and after it.
    EXPECT_TRUE(arrows[0]->all("text").empty());
    const auto* chevron = testkit::symbolNamed(*arrows[0], "chevron.right");
    ASSERT_TRUE(chevron);
    const Rect tip = testkit::pathExtent(*chevron->all("path").at(0));
    EXPECT_GT(tip.minX(), testkit::textRight(*rows[1]));
    EXPECT_LT(tip.midY(), rows[1]->number("y"));
    EXPECT_GT(tip.midY(), rows[1]->number("y") - 13 * 0.75);
    EXPECT_EQ(console->type("menu Testing Nothing"),
              Lines{"error: The menu shows no row \"Nothing\"; its rows are \"Record\", \"Idle\"."});
    EXPECT_FALSE(idle.isEnabled);
    EXPECT_EQ(console->type("menu Testing Idle"),
              Lines{"error: The row \"Idle\" is disabled."});
    EXPECT_EQ(console->type("menu Testing Record Again"),
              Lines{"error: The row \"Record\" opens no submenu; type menu \"Record\"."});
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(console->type("menu Testing Record"), (Lines{"@1000.000 menu closed \"Status\"", "ok"}));
    EXPECT_EQ(chosen, Lines{"Record"});
}

bool endsWith(const std::string& line, const std::string& end) {
    return line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
}

TEST_F(ConsoleStatusMenuTest, RowsShowTheirKeyEquivalentsInEveryLineAndInThePicture) {
    makeStatusItem();
    auto& overview = *menu->items[0];
    overview.keyEquivalent = "w";
    overview.keyEquivalentModifierMask = platform::modifier_flags::kControl | platform::modifier_flags::kOption |
                                         platform::modifier_flags::kCommand;
    menu->items[2]->keyEquivalent = "q";
    // A submenu's row shows its arrow, never an equivalent; its own rows show theirs.
    auto testing = std::make_shared<ui::Menu>("Testing");
    testing->addItem("Record", [] {}, "r");
    testing->addItem("Idle", nullptr, "i");  // disabled, its equivalent grey with it
    menu->items[1]->isHidden = false;
    menu->items[1]->submenu = testing;
    menu->items[1]->keyEquivalent = "t";

    const std::string rows = "rows \"Workstation Overview\" key \"⌃⌥⌘W\" \"Testing\" \"Quit Tarnwick\" key \"⌘Q\"";
    console->type("wait 0");  // the item shows
    const Lines opened = console->type("click status-item");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(endsWith(opened[0], rows)) << opened[0];
    const Lines screen = console->screen();
    EXPECT_NE(std::find_if(screen.begin(), screen.end(),
                           [&](const std::string& line) { return line.rfind("menu ", 0) == 0 && endsWith(line, rows); }),
              screen.end());
    EXPECT_NE(std::find(screen.begin(), screen.end(), "  submenu \"Testing\" rows \"Record\" key \"⌘R\" \"Idle\" key \"⌘I\" disabled"),
              screen.end());

    // An equivalent that changes while the menu is open is a change of its rows; one taken away
    // leaves the row bare.
    menu->items[2]->keyEquivalent = "Q";
    EXPECT_EQ(console->type("wait 0"), (Lines{"@1000.000 menu rows now \"Workstation Overview\" key \"⌃⌥⌘W\" "
                                              "\"Testing\" \"Quit Tarnwick\" key \"⇧⌘Q\"",
                                              "ok"}));
    menu->items[2]->keyEquivalent.clear();
    EXPECT_EQ(console->type("wait 0"),
              (Lines{"@1000.000 menu rows now \"Workstation Overview\" key \"⌃⌥⌘W\" \"Testing\" \"Quit Tarnwick\"", "ok"}));
    menu->items[2]->keyEquivalent = "Q";
    console->type("wait 0");

    // Drawn at the menu's trailing end, right-aligned, level with its row's title and after it.
    const testkit::TempFolder folder;
    ASSERT_EQ(console->type("screen svg " + (folder / "menu.svg").string()), Lines{"ok"});
    const auto picture = testkit::parseXml(files::read(folder / "menu.svg"));
    ASSERT_TRUE(picture);
    const auto* drawn = picture->all("g", "menu").at(0);
    const Rect frame = testkit::rectOf(*drawn->all("rect", "menu-frame").at(0));
    const auto equivalents = drawn->all("text", "menu-key-equivalent");
    ASSERT_EQ(equivalents.size(), 2u);
    EXPECT_EQ(equivalents[0]->text, "⌃⌥⌘W");
    EXPECT_EQ(equivalents[1]->text, "⇧⌘Q");
    for (const auto* equivalent : equivalents) {
        EXPECT_EQ(equivalent->value("text-anchor"), "end");
        EXPECT_NEAR(equivalent->number("x"), frame.maxX() - sim::SimMenuLayout::kTrailingInset, 0.002);
    }
    const auto* quit = testkit::textShowing(*drawn, "Quit Tarnwick", "menu-row");
    ASSERT_TRUE(quit);
    EXPECT_EQ(equivalents[1]->number("y"), quit->number("y"));
    const auto* widest = testkit::textShowing(*drawn, "Workstation Overview", "menu-row");
    ASSERT_TRUE(widest);
    EXPECT_NEAR(testkit::textLeft(*equivalents[0]) - testkit::textRight(*widest), sim::SimMenuLayout::kKeyEquivalentGap,
                0.002);

    // The row is still chosen by its title.
    EXPECT_EQ(console->type("menu \"Quit Tarnwick\""), (Lines{"@1000.000 menu closed \"Status\"", "ok"}));
    EXPECT_EQ(chosen, Lines{"Quit Tarnwick"});
}

TEST_F(ConsoleStatusMenuTest, AStatusItemWithoutAShownButtonIsNotThere) {
    makeStatusItem();
    console->type("wait 0");
    item->takeButtonOutOfWindow();
    EXPECT_EQ(console->type("wait 0"), (Lines{"@1000.000 status-item hidden", "ok"}));
    EXPECT_EQ(console->type("click status-item").back(),
              "error: There is no status item in the menu bar; screen shows what is there.");
    EXPECT_TRUE(clicks.empty());
}

}  // namespace
}  // namespace tarnwick
