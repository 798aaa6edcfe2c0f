#include "app/locate_mode.h"

#include <memory>

#include "app/application_shell_services.h"
#include "app/json_output.h"
#include "model/desktop_names_model.h"
#include "model/mission_control_geometry_reader.h"
#include "overlays/label_locator.h"
#include "overlays/label_prototype.h"
#include "platform/system.h"
#include "support/run_loop.h"

namespace tarnwick::app {

namespace {

Task<Value> locate(bool debug, LabelRecognitionWorker* worker) {
    Value result = co_await LabelLocator::inspect(std::nullopt, std::nullopt, std::nullopt, debug, 1, {},
                                                  LabelLocatorServices{worker});
    co_return result;
}

// The names model the saved labels come from, as the shell's closures reach it.
class SavedNames final : public ApplicationShellServiceOwner {
public:
    DesktopNamesModel& namesModel() override { return model_; }
    MissionControlApplicationPanels& missionControlApplicationPanels() override {
        if (!panels_) panels_ = std::make_unique<MissionControlApplicationPanels>();
        return *panels_;
    }

private:
    DesktopNamesModel model_;
    std::unique_ptr<MissionControlApplicationPanels> panels_;
};

Task<Value> inspectSaved(bool debug, LabelRecognitionWorker* worker, MissionControlGeometryReader* reader) {
    auto names = std::make_shared<SavedNames>();
    LabelPrototypeServices services;
    services.locator.recognition = worker;
    services.geometryReader = reader;
    LabelPrototype prototype(ApplicationShellServices::make(names).configurationProvider, services);
    auto inspection = prototype.inspectConfiguredLabels(debug);
    Value result = co_await std::move(inspection);
    co_return result;
}

}  // namespace

int runLocate(const std::vector<std::string>& arguments, const JsonOutput& output) {
    const bool debug = platform::hasArgument(arguments, "--capture-debug");
    // The workers are ours, not the process-wide ones: their threads end here, with every read
    // they still hold finished, while the main loop those reads post back to still exists.
    LabelRecognitionWorker worker;
    MissionControlGeometryReader reader;
    RunLoop& loop = RunLoop::main();
    auto location = spawn(loop, platform::hasArgument(arguments, "--locate-saved") ? inspectSaved(debug, &worker, &reader)
                                                                        : locate(debug, &worker));
    // The task ends the run, not the process: main returns, so the output is flushed and the
    // trace writers' queues drain.
    location.onCompletion([&loop] { loop.stop(); });
    loop.run();
    if (!location.result()) {
        std::fputs("Tarnwick could not locate the captions.\n", output.err);
        return 1;
    }
    return printJSON(*location.result(), "Tarnwick could not write the located captions as JSON.", output);
}

}  // namespace tarnwick::app
