// The session file: whatever it holds, loading it builds a session or stops with a sentence,
// and a session it builds can be inspected as `--diagnose` does.

#include "fuzz_support.h"
#include "model/mission_control_inspector.h"
#include "support/error.h"
#include "testkit/test_environment.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::preferMemoryForTemporaryFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testkit::TestEnvironment env;
    try {
        env.session.load(fuzz::text(data, size));
    } catch (const Error& error) {
        const std::string sentence = error.what();
        fuzz::require(sentence.starts_with("The session file is not valid") ||
                          sentence == "The session file nests arrays and objects more than 512 levels deep.",
                      "a refused session file says why");
        return 0;
    }
    auto& displays = *env.session.platform().displays;
    for (const auto& display : env.session.displays) {
        displays.pixelsWide(display.id);
        displays.pixelsHigh(display.id);
    }
    // A snapshot that cannot be written as JSON is a reported failure, not a fault.
    MissionControlInspector::json(MissionControlInspector::snapshot());
    env.settle();
    return 0;
}
