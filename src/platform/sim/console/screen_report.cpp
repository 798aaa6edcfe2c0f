#include "platform/sim/console/screen_report.h"

#include "platform/alerts.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/console/change_printer.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/simulated_session.h"
#include "platform/ui/panel.h"

namespace tarnwick::sim {

namespace {

// The item as a change names it, and the symbol its button shows.
std::string statusItemLine(const ShownStatusItem& item) {
    std::string line = "status-item " + ChangePrinter::statusItemText(item);
    if (!item.symbolName.empty()) line += " symbol " + quotedText(item.symbolName);
    return line;
}

}  // namespace

std::vector<std::string> screenReport(SimulatedSession& session, const platform::Alert* openAlert) {
    auto guard = session.lock();
    const ScreenState screen = readScreen(session, openAlert);
    std::vector<std::string> lines;
    for (const auto& d : screen.displays)
        lines.push_back("display " + std::to_string(d.id) + " " + quotedText(d.name) + " at " +
                        ChangePrinter::frameText(d.bounds) + " current " + quotedText(d.currentTitle) + " desktops " +
                        ChangePrinter::textsText(d.desktops));
    if (!screen.missionControlOpen) {
        lines.emplace_back("mission-control closed");
    } else {
        lines.emplace_back(std::string("mission-control open ") + (screen.spacesBarExpanded ? "expanded" : "collapsed"));
        for (const auto& bar : MissionControlLayout::bars(session, session.loop().uptime()))
            for (const auto& button : bar.buttons)
                lines.push_back("caption " + quotedText(button.title) + " at " + ChangePrinter::frameText(button.caption) +
                                " on display " + std::to_string(bar.displayID));
    }
    const auto& login = screen.loginSession;
    lines.push_back(std::string("session ") + (login.sleeping ? "asleep" : "awake") +
                    (login.locked ? " locked" : " unlocked") + (login.screensAsleep ? " screens-asleep" : " screens-awake") +
                    (login.onConsole ? " user-here" : " user-away"));
    lines.push_back("pointer at " + formatNumber(screen.pointer.x) + " " + formatNumber(screen.pointer.y));
    lines.push_back(screen.statusItem ? statusItemLine(*screen.statusItem) : std::string("status-item none"));
    if (screen.menu) {
        lines.push_back("menu " + ChangePrinter::menuText(*screen.menu));
        for (const auto& [title, rows] : screen.menu->submenus)
            lines.push_back("  submenu " + quotedText(title) + " rows " + ChangePrinter::rowsText(rows));
    }
    if (openAlert) {
        std::string line = "alert " + quotedText(openAlert->messageText);
        if (screen.alertKey) line += " key";
        if (!openAlert->informativeText.empty()) line += " informative " + quotedText(openAlert->informativeText);
        if (openAlert->textField) line += " field " + quotedText(openAlert->textField->stringValue);
        line += " buttons";
        for (const auto& button : openAlert->buttons) line += " " + quotedText(button.title);
        lines.push_back(std::move(line));
    }
    for (const auto& window : screen.windows) {
        std::string line = "window " + std::to_string(window.number) + " " + quotedText(window.title) + " at " +
                           ChangePrinter::frameText(window.frame) + " level " + std::to_string(window.level) +
                           " alpha " + formatNumber(window.alpha);
        if (window.key) line += " key";
        if (!window.texts.empty()) line += " texts " + ChangePrinter::textsText(window.texts);
        std::vector<std::string> icons;
        for (const auto& icon : placedIcons(*window.panel)) icons.push_back(iconName(session, icon.image, icon.label));
        if (!icons.empty()) line += " icons " + ChangePrinter::textsText(icons);
        lines.push_back(std::move(line));
        for (const auto& glass : placedGlasses(*window.panel))
            if (glass.style) lines.push_back("  glass " + glassText(glass));
        for (auto* hosting : hostingViews(*window.panel))
            for (auto& node : nodeLines(session, *hosting)) lines.push_back("  " + node);
    }
    // Named with the desktop that holds it; what it shows is there, not on screen.
    for (const auto& away : screen.elsewhere)
        lines.push_back("elsewhere window " + std::to_string(away.number) + " " + quotedText(away.title) + " on " +
                        quotedText(away.desktop) + " of display " + std::to_string(away.displayID));
    for (const auto& [number, title] : screen.miniaturized)
        lines.push_back("miniaturized window " + std::to_string(number) + " " + quotedText(title));
    return lines;
}

}  // namespace tarnwick::sim
