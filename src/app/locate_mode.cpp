#include "app/locate_mode.h"

#include <algorithm>

#include "app/json_output.h"
#include "overlays/label_locator.h"
#include "support/run_loop.h"

namespace tarnwick::app {

namespace {

Task<Value> locate(bool debug, LabelRecognitionWorker* worker) {
    Value result = co_await LabelLocator::inspect(std::nullopt, std::nullopt, std::nullopt, debug, 1, {},
                                                  LabelLocatorServices{worker});
    co_return result;
}

}  // namespace

int runLocate(const std::vector<std::string>& arguments) {
    const bool debug = std::find(arguments.begin(), arguments.end(), "--capture-debug") != arguments.end();
    LabelRecognitionWorker worker;
    RunLoop& loop = RunLoop::main();
    auto location = spawn(loop, locate(debug, &worker));
    location.onCompletion([&loop] { loop.stop(); });
    loop.run();
    if (!location.result()) return 1;
    return printJSON(*location.result(), "Tarnwick could not write the located captions as JSON.");
}

}  // namespace tarnwick::app
