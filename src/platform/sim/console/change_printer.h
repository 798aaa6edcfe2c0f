#pragma once

#include <string>

#include "platform/sim/console/console_sink.h"
#include "platform/sim/console/screen_state.h"

namespace tarnwick::sim {

class SimulatedSession;

// Prints what changed on the simulated screen since it last looked, one line per change, each
// prefixed with the session's uptime ("@1000.350 "): our windows and panels shown, hidden,
// moved, retitled or re-texted; desktop switches; displays added or removed; Mission Control
// opening, closing, expanding and collapsing; the status item and its tooltip; a menu opened with
// its rows, and closed; URLs opened, files revealed, applications opened. A window that leaves the
// screen with its desktop is not hidden: nothing prints until it comes back with its desktop, and
// then what changed in it meanwhile.
class ChangePrinter {
public:
    ChangePrinter(SimulatedSession& session, ConsoleSink& sink);

    // Takes the screen as it is now as known, printing nothing.
    void reset();
    // Prints every change since the last look (main loop).
    void printChanges();
    // One event line with the uptime prefix (alerts, the application's end).
    void printEvent(const std::string& event);

    static std::string frameText(const Rect& frame);
    static std::string textsText(const std::vector<std::string>& texts);
    static std::string statusItemText(const ShownStatusItem& item);
    static std::string menuText(const ShownMenu& menu);
    // A menu's rows, each quoted and followed by what marks it: `key "⌘Q"` (its key equivalent),
    // `checked`, `disabled`; "none" without rows. The title stays first, so it can be typed back.
    static std::string rowsText(const std::vector<ShownMenuRow>& rows);

private:
    void compareDisplays(const ScreenState& now);
    void compareStatusItem(const ScreenState& now);
    void compareMenu(const ScreenState& now);
    void compareWindows(const ScreenState& now);
    // URLs, files and applications opened since the last look (their counts in the last state).
    void compareRecords();

    SimulatedSession& session_;
    ConsoleSink& sink_;
    ScreenState last_;
    // Windows as they were last seen on screen, while their desktop is not current.
    std::vector<ShownWindow> away_;
};

}  // namespace tarnwick::sim
