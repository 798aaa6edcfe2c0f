// The app-focus flow's own trace: one JSON object per line in "application-focus-trace.jsonl".

#include <filesystem>

#include "applications/application_window_focus.h"
#include "model/diagnostic_files.h"
#include "support/files.h"
#include "support/json.h"
#include "support/run_loop.h"
#include "support/time_format.h"

namespace tarnwick {

void ApplicationWindowFocus::trace(const std::string& event, const SpaceApplicationFocusTarget& target,
                                   const Dictionary& details) {
    // A failed trace write never reaches the navigation.
    try {
        Dictionary record = details;
        // The fixed fields win over details of the same name.
        record["event"] = event;
        record["window"] = Value(target.windowID);
        record["pid"] = Value(target.ownerPID);
        record["space"] = Value(target.spaceID);
        record["desktop"] = target.desktopID;
        record["monitor"] = target.monitorID;
        record["timestamp"] = iso8601(wallClockNow());

        const std::filesystem::path file = DiagnosticFiles::file(kTraceFileName);
        DiagnosticFiles::prepareForAppend(file);

        auto line = json::write(Value(std::move(record)));
        if (!line) return;
        line->push_back('\n');
        files::append(file, *line);
    } catch (...) {
    }
}

}  // namespace tarnwick
