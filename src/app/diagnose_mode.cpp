#include "app/diagnose_mode.h"

#include "model/mission_control_inspector.h"

namespace tarnwick::app {

int runDiagnose(const JsonOutput& output) {
    return printJSON(MissionControlInspector::snapshot(), "Tarnwick could not write the diagnostic snapshot as JSON.",
                     output);
}

}  // namespace tarnwick::app
