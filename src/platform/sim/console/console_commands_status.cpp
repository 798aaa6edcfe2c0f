// The simulated user's hands on the menu bar: pointing at and clicking our status item, and
// choosing in the menu it opens.

#include <cmath>

#include "platform/events.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/menu.h"
#include "platform/ui/screens.h"
#include "platform/ui/status_item.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

const ConsoleCommand& command(const char* name) { return *findConsoleCommand(name); }

ui::StatusItem& statusItem(CommandContext& context) {
    ui::StatusItem* item = shownStatusItem(context.session);
    if (!item) throw Error("There is no status item in the menu bar; screen shows what is there.");
    return *item;
}

Point centreOf(CommandContext& context, const ui::StatusItem& item) {
    return context.session.statusBar().buttonCentre(item);
}

void expectStatusItemWord(CommandContext& context, const ConsoleCommand& thisCommand, std::size_t most) {
    expectArguments(context, thisCommand, 1, most);
    if (context.arguments[0] != "status-item")
        throw Error(quotedText(context.arguments[0]) + " is nothing " + thisCommand.name + " knows; type " +
                    thisCommand.usage + ".");
}

// A click while a menu is open closes the menu and goes no further, as menu tracking takes it.
bool closedOpenMenu(CommandContext& context) {
    if (!context.session.menus().openMenu()) return false;
    context.session.menus().dismiss();
    return true;
}

void hover(CommandContext& context) {
    expectStatusItemWord(context, command("hover"), 1);
    auto& item = statusItem(context);
    auto& windows = context.session.windowSystem();
    // Moving within the item enters nothing, so nothing would open.
    if (context.session.statusBar().buttonFrame(item)->contains(windows.pointerLocation()))
        throw Error("The pointer already rests on the status item, so nothing new happens; unhover moves it away, "
                    "then hover status-item rests it there again.");
    windows.movePointer(centreOf(context, item));
}

void unhover(CommandContext& context) {
    expectArguments(context, command("unhover"), 0, 0);
    auto& session = context.session;
    const auto frame = session.statusBar().buttonFrame(statusItem(context));
    if (!frame->contains(session.windowSystem().pointerLocation()))
        throw Error("The pointer is not on the status item; hover status-item puts it there.");
    // Off to the primary display's bottom left corner, away from the menu bar and what hangs
    // from it: on that display wherever it lies.
    const auto screens = ui::screens();
    const Point corner = screens.empty() ? Point{1, 1} : screens.front().frame.origin;
    session.windowSystem().movePointer(Point{corner.x + 1, corner.y + 1});
}

void doubleClick(CommandContext& context) {
    expectStatusItemWord(context, command("double-click"), 1);
    const Point centre = centreOf(context, statusItem(context));
    context.console.lastStatusItemClick.reset();
    if (closedOpenMenu(context)) return;
    context.session.windowSystem().doubleClick(centre);
}

// Why no menu is open: a single click's menu waits for the double-click interval to pass, in
// case a second click makes it a double click.
std::string noOpenMenu(CommandContext& context) {
    const auto& clicked = context.console.lastStatusItemClick;
    const double interval = context.session.events().doubleClickInterval();
    const double since = clicked ? context.session.loop().uptime() - *clicked : interval;
    if (since < interval)
        return "No menu is open yet: the status menu opens " + formatNumber(interval) +
               " s after a click on the status item (the double-click interval), in case a second click follows; "
               "type wait " + formatNumber(std::ceil((interval - since) * 1000) / 1000) + ", then choose the row.";
    return "No menu is open; click status-item opens the status menu.";
}

// The menu's visible row with the title.
const ui::MenuItem& visibleRow(const ui::Menu& menu, const std::string& title) {
    for (const auto& item : menu.items)
        if (item && !item->isHidden && !item->isSeparatorItem() && item->title == title) return *item;
    std::string rows;
    for (const auto& row : visibleRows(menu)) rows += (rows.empty() ? "" : ", ") + quotedText(row);
    throw Error("The menu shows no row " + quotedText(title) + "; its rows are " + (rows.empty() ? "none" : rows) + ".");
}

void menu(CommandContext& context) {
    const auto& thisCommand = command("menu");
    expectArguments(context, thisCommand, 1, 16);
    ui::Menu* open = context.session.menus().openMenu();
    if (!open) throw Error(noOpenMenu(context));
    const auto& path = context.arguments;
    const ui::Menu* current = open;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0) const_cast<ui::Menu*>(current)->update();  // a submenu enables its rows as it opens
        const ui::MenuItem& row = visibleRow(*current, path[i]);
        if (!row.isEnabled) throw Error("The row " + quotedText(path[i]) + " is disabled.");
        const bool last = i + 1 == path.size();
        if (last && row.submenu)
            throw Error("The row " + quotedText(path[i]) + " opens a submenu; name one of its rows after it.");
        if (!last && !row.submenu)
            throw Error("The row " + quotedText(path[i]) + " opens no submenu; type menu " + quotedText(path[i]) + ".");
        current = row.submenu.get();
    }
    context.session.menus().choose(std::vector<std::string>(path.begin(), path.end()));
}

}  // namespace

void clickStatusItem(CommandContext& context) {
    const auto& thisCommand = command("click");
    expectStatusItemWord(context, thisCommand, 2);
    const bool option = context.arguments.size() == 2;
    if (option && context.arguments[1] != "option")
        throw Error(quotedText(context.arguments[1]) + " is no key to hold; type " + thisCommand.usage + ".");
    const Point centre = centreOf(context, statusItem(context));
    context.console.lastStatusItemClick.reset();
    if (closedOpenMenu(context)) return;
    auto& session = context.session;
    context.console.lastStatusItemClick = session.loop().uptime();
    if (!option) {
        session.windowSystem().click(centre);
        return;
    }
    // Option is held before the click, so the app may hear the key go down first.
    session.holdModifiers(platform::modifier_flags::kOption);
    context.console.settle();
    session.windowSystem().click(centre);
    session.releaseModifiers(platform::modifier_flags::kOption);
}

void addStatusItemCommands(std::vector<ConsoleCommand>& commands) {
    commands.push_back({"hover", "hover status-item", "rests the pointer on the status item", false, false, hover});
    commands.push_back({"unhover", "unhover", "moves the pointer off the status item", false, false, unhover});
    commands.push_back({"double-click", "double-click status-item", "double-clicks the status item", false, false,
                        doubleClick});
    commands.push_back({"menu", "menu \"<row>\" [\"<row>\" ...]", "chooses a row of the open menu, submenus by path",
                        false, false, menu});
}

}  // namespace tarnwick::sim
