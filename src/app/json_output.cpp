#include "app/json_output.h"

#include <cstdio>

#include "model/mission_control_inspector.h"

namespace tarnwick::app {

int printJSON(const Value& value, const std::string& failure) {
    const std::string text = MissionControlInspector::json(value);
    if (text.empty()) {
        std::fputs((failure + "\n").c_str(), stderr);
        return 1;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace tarnwick::app
