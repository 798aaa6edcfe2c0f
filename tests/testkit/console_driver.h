#pragma once

#include <string>
#include <vector>

#include "platform/sim/console/console.h"
#include "platform/sim/console/console_sink.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::testkit {

// The console in-process, against a test's session and a string sink: what it prints comes back
// as lines. It starts ready (the "ready" line is taken).
struct ConsoleDriver {
    explicit ConsoleDriver(sim::SimulatedSession& session) : console(session, sink) {
        console.quit = [this] { ++quits; };
        console.launched();
        sink.takeLines();
    }

    // Types the lines one after the other (later ones are read ahead, as by a person who types
    // on while an alert comes up) and returns everything printed meanwhile.
    std::vector<std::string> typeAll(const std::vector<std::string>& lines) {
        for (const auto& line : lines) console.receive(line);
        console.drain();
        return sink.takeLines();
    }
    std::vector<std::string> type(const std::string& line) { return typeAll(std::vector<std::string>{line}); }
    // The lines of `screen`, without its answer.
    std::vector<std::string> screen() {
        auto lines = type("screen");
        if (!lines.empty() && lines.back() == "ok") lines.pop_back();
        return lines;
    }

    sim::StringSink sink;
    sim::Console console;
    int quits = 0;
};

}  // namespace tarnwick::testkit
