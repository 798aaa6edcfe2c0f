#include <algorithm>
#include <exception>
#include <string>

#include "app/app_delegate.h"
#include "model/diagnostic_files.h"
#include "model/mission_control_inspector.h"
#include "overlays/label_locator.h"
#include "platform/platform.h"

namespace tarnwick {

void AppDelegate::toggleLabelDiagnostics(platform::ui::MenuItem& item) {
    auto& labels = prototype();
    labels.setDetailedDiagnostics(!labels.detailedDiagnostics());
    item.state = labels.detailedDiagnostics() ? platform::ui::ControlState::on : platform::ui::ControlState::off;
}

void AppDelegate::record() {
    auto& platform = platform::current();
    if (!platform.accessibility->isProcessTrusted()) {
        platform.application->activate(true);
        if (!platform.accessibility->isProcessTrustedWithPrompt(true)) return;
    }
    if (timer_) return;
    samples_.clear();
    remaining_ = kRecordingSamples;
    setDiagnosticsStatus(kRecordingStatus);
    Weak weak = weak_from_this();
    timer_ = RunLoop::main().scheduleTimer(kRecordingInterval, 0, [weak] {
        if (auto self = weak.lock()) self->sample();
    });
}

void AppDelegate::sample() {
    samples_.push_back(MissionControlInspector::snapshot());
    if (--remaining_ > 0) return;
    if (timer_) timer_->invalidate();
    timer_.reset();
    const auto written = writeDiagnostic(
        MissionControlInspector::json(Value(Dictionary{{"samples", Value(std::move(samples_))}})),
        DiagnosticFiles::kMissionControlPrefix);
    samples_.clear();
    if (written.file) {
        captureURL_ = *written.file;
        setDiagnosticsStatus(kDiagnosticSaved);
    } else {
        setDiagnosticsStatus(kDiagnosticFailed + written.error);
    }
}

AppDelegate::DiagnosticWrite AppDelegate::writeDiagnostic(const std::string& json, const char* prefix) {
    // No JSON is no diagnostic: an empty file reported as saved would only hide the failure.
    if (json.empty()) return {std::nullopt, kRecordingNotJSON};
    try {
        return {DiagnosticFiles::writeSnapshot(json, prefix), {}};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

void AppDelegate::locate() {
    if (!platform::current().system->preflightScreenCaptureAccess()) {
        requestPermissions();
        return;
    }
    setDiagnosticsStatus(kLocateStatus);
    Weak weak = weak_from_this();
    // Each call inspects once on its own; a second one within the delay is not refused.
    locateWork_.push_back(RunLoop::main().postAfter(kLocateDelay, [weak] {
        auto self = weak.lock();
        if (!self) return;
        std::erase_if(self->locateTasks_, [](const TaskHandle<void>& task) { return task.isDone(); });
        self->locateTasks_.push_back(spawn(RunLoop::main(), runLocate(weak, &self->recognitionWorker_)));
    }));
}

Task<void> AppDelegate::runLocate(Weak weak, LabelRecognitionWorker* worker) {
    Value result = co_await LabelLocator::inspect(std::nullopt, std::nullopt, std::nullopt, false, 1, {},
                                                  LabelLocatorServices{worker});
    const auto written = writeDiagnostic(MissionControlInspector::json(result), DiagnosticFiles::kLabelLocatorPrefix);
    auto self = weak.lock();
    if (!self) co_return;
    if (written.file) {
        self->captureURL_ = *written.file;
        self->setDiagnosticsStatus(kLocateSaved);
    } else {
        self->setDiagnosticsStatus(kLocateFailed);
    }
}

}  // namespace tarnwick
