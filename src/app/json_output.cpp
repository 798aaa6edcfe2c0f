#include "app/json_output.h"

#include "model/mission_control_inspector.h"

namespace tarnwick::app {

JsonOutput JsonOutput::standard() {
    JsonOutput output;
    output.serialise = [](const Value& value) { return MissionControlInspector::json(value); };
    return output;
}

int printJSON(const Value& value, const std::string& failure, const JsonOutput& output) {
    const std::string text = output.serialise ? output.serialise(value) : std::string();
    if (text.empty()) {
        std::fputs((failure + "\n").c_str(), output.err);
        std::fflush(output.err);
        return 1;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), output.out) == text.size() &&
                         std::fputc('\n', output.out) != EOF && std::fflush(output.out) == 0 &&
                         !std::ferror(output.out);
    if (!written) {
        std::fputs("Tarnwick could not write its output; nothing more was written.\n", output.err);
        std::fflush(output.err);
        return 1;
    }
    return 0;
}

}  // namespace tarnwick::app
