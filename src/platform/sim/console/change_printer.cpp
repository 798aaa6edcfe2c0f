#include "platform/sim/console/change_printer.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/sim/console/command_words.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace {

const ShownDisplay* findDisplay(const ScreenState& state, std::uint32_t id) {
    for (const auto& d : state.displays)
        if (d.id == id) return &d;
    return nullptr;
}

const ShownWindow* findWindow(const ScreenState& state, std::uint32_t number) {
    for (const auto& w : state.windows)
        if (w.number == number) return &w;
    return nullptr;
}

bool isElsewhere(const ScreenState& state, std::uint32_t number) {
    return std::any_of(state.elsewhere.begin(), state.elsewhere.end(),
                       [&](const WindowElsewhere& away) { return away.number == number; });
}

std::string windowName(const ShownWindow& window) {
    return "window " + std::to_string(window.number) + " " + quotedText(window.title);
}

// The entries of a log added after the first `seen` of them, those still kept.
template <typename T, typename Print>
void printNew(const RecentLog<T>& log, std::size_t seen, Print print) {
    const std::size_t first = log.total() - log.size();
    for (std::size_t sequence = std::max(seen, first); sequence < log.total(); ++sequence)
        print(log[sequence - first]);
}

}  // namespace

ChangePrinter::ChangePrinter(SimulatedSession& session, ConsoleSink& sink) : session_(session), sink_(sink) { reset(); }

void ChangePrinter::reset() {
    last_ = readScreen(session_);
    away_.clear();
}

std::string ChangePrinter::frameText(const Rect& frame) {
    return formatNumber(frame.minX()) + " " + formatNumber(frame.minY()) + " " + formatNumber(frame.width()) + " " +
           formatNumber(frame.height());
}

std::string ChangePrinter::textsText(const std::vector<std::string>& texts) {
    std::string result;
    for (const auto& text : texts) result += (result.empty() ? "" : " ") + quotedText(text);
    return result;
}

void ChangePrinter::printEvent(const std::string& event) {
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, "@%.3f ", session_.loop().uptime());
    sink_.write(std::string(prefix) + event + "\n");
}

void ChangePrinter::printChanges() {
    ScreenState now = readScreen(session_);
    compareDisplays(now);
    if (now.missionControlOpen != last_.missionControlOpen)
        printEvent(now.missionControlOpen ? "mission-control opened" : "mission-control closed");
    else if (now.missionControlOpen && now.spacesBarExpanded != last_.spacesBarExpanded)
        printEvent(now.spacesBarExpanded ? "mission-control expanded" : "mission-control collapsed");
    compareStatusItem(now);
    compareMenu(now);
    compareWindows(now);
    compareRecords();
    last_ = std::move(now);
}

void ChangePrinter::compareDisplays(const ScreenState& now) {
    for (const auto& before : last_.displays)
        if (!findDisplay(now, before.id))
            printEvent("display removed " + std::to_string(before.id) + " " + quotedText(before.name));
    for (const auto& display : now.displays) {
        const ShownDisplay* before = findDisplay(last_, display.id);
        if (!before) {
            printEvent("display added " + std::to_string(display.id) + " " + quotedText(display.name) + " at " +
                       frameText(display.bounds) + " current " + quotedText(display.currentTitle));
            continue;
        }
        if (before->bounds != display.bounds)
            printEvent("display moved " + std::to_string(display.id) + " to " + frameText(display.bounds));
        if (before->currentSpace != display.currentSpace)
            printEvent("desktop switched on display " + std::to_string(display.id) + " to " +
                       quotedText(display.currentTitle));
    }
}

std::string ChangePrinter::statusItemText(const ShownStatusItem& item) {
    std::string text = "at " + frameText(item.frame);
    if (!item.toolTip.empty()) text += " tooltip " + quotedText(item.toolTip);
    return text;
}

std::string ChangePrinter::menuText(const ShownMenu& menu) {
    std::string text = quotedText(menu.title) + " at " + formatNumber(menu.location.x) + " " + formatNumber(menu.location.y);
    return text + " rows " + rowsText(menu.rows);
}

std::string ChangePrinter::rowsText(const std::vector<ShownMenuRow>& rows) {
    if (rows.empty()) return "none";
    std::string result;
    for (const auto& row : rows)
        result += (result.empty() ? "" : " ") + quotedText(row.title) +
                  (row.keyEquivalent.empty() ? "" : " key " + quotedText(row.keyEquivalent)) +
                  (row.checked ? " checked" : "") + (row.enabled ? "" : " disabled");
    return result;
}

void ChangePrinter::compareStatusItem(const ScreenState& now) {
    const auto& before = last_.statusItem;
    const auto& item = now.statusItem;
    if (before == item) return;
    if (!item) return printEvent("status-item hidden");
    if (!before) return printEvent("status-item shown " + statusItemText(*item));
    if (before->frame != item->frame) printEvent("status-item moved to " + frameText(item->frame));
    if (before->toolTip != item->toolTip)
        printEvent("status-item tooltip " + (item->toolTip.empty() ? std::string("none") : quotedText(item->toolTip)));
}

void ChangePrinter::compareMenu(const ScreenState& now) {
    const auto& before = last_.menu;
    const auto& menu = now.menu;
    // A submenu's rows print when it is looked at (`screen`), not as changes.
    if (before == menu || (before && menu && before->title == menu->title && before->location == menu->location &&
                           before->rows == menu->rows))
        return;
    if (before && (!menu || before->location != menu->location || before->title != menu->title))
        printEvent("menu closed " + quotedText(before->title));
    if (!menu) return;
    if (!before || before->location != menu->location || before->title != menu->title)
        return printEvent("menu opened " + menuText(*menu));
    printEvent("menu rows now " + rowsText(menu->rows));
}

void ChangePrinter::compareWindows(const ScreenState& now) {
    for (const auto& before : last_.windows) {
        if (findWindow(now, before.number)) continue;
        if (isElsewhere(now, before.number))
            away_.push_back(before);
        else
            printEvent("hidden " + windowName(before));
    }
    // Ordered out while its desktop was not current.
    std::erase_if(away_, [&](const ShownWindow& away) {
        if (findWindow(now, away.number) || isElsewhere(now, away.number)) return false;
        printEvent("hidden " + windowName(away));
        return true;
    });
    for (const auto& window : now.windows) {
        const ShownWindow* before = findWindow(last_, window.number);
        // Back with its desktop: compared with how it was last seen.
        std::optional<ShownWindow> returning;
        if (!before)
            for (auto away = away_.begin(); away != away_.end(); ++away)
                if (away->number == window.number) {
                    returning = std::move(*away);
                    away_.erase(away);
                    before = &*returning;
                    break;
                }
        if (!before) {
            std::string line = "shown " + windowName(window) + " at " + frameText(window.frame) + " level " +
                               std::to_string(window.level);
            if (!window.texts.empty()) line += " texts " + textsText(window.texts);
            printEvent(line);
            continue;
        }
        if (before->title != window.title)
            printEvent("retitled window " + std::to_string(window.number) + " " + quotedText(before->title) + " to " +
                       quotedText(window.title));
        if (before->frame != window.frame) printEvent("moved " + windowName(window) + " to " + frameText(window.frame));
        if (before->texts != window.texts)
            printEvent("texts of " + windowName(window) + " now " +
                       (window.texts.empty() ? std::string("none") : textsText(window.texts)));
    }
}

void ChangePrinter::compareRecords() {
    auto guard = session_.lock();
    printNew(session_.openedURLs, last_.urlsOpened,
             [&](const std::string& url) { printEvent("url opened " + quotedText(url)); });
    printNew(session_.launchServices.revealedInFinder, last_.filesRevealed,
             [&](const std::filesystem::path& file) { printEvent("file revealed " + quotedText(file.string())); });
    printNew(session_.launchServices.requests, last_.applicationsOpened, [&](const SimOpenRequest& request) {
        std::string line = "application opened " + quotedText(request.bundle.string());
        if (!request.configuration.arguments.empty()) line += " arguments " + textsText(request.configuration.arguments);
        printEvent(line);
    });
}

}  // namespace tarnwick::sim
