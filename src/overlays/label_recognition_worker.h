#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "overlays/rendered_label_reader.h"
#include "support/executor.h"
#include "support/task.h"

namespace tarnwick {

// The one place where caption reads run: a serial executor, so that at most one read is in
// progress in the process at any time, however many displays are captured at once.
class LabelRecognitionWorker {
public:
    // A worker on an executor of its own (a thread in the program; what the installed factory
    // makes in tests).
    LabelRecognitionWorker();
    explicit LabelRecognitionWorker(std::shared_ptr<SerialExecutor> executor);
    LabelRecognitionWorker(const LabelRecognitionWorker&) = delete;
    LabelRecognitionWorker& operator=(const LabelRecognitionWorker&) = delete;

    // The program's worker, created on first use with the executor factory installed then. Code
    // that can be tested takes a worker by injection instead.
    static LabelRecognitionWorker& shared();

    // Runs `job` on the worker after the jobs before it, and resumes the awaiting task on its
    // loop with the job's result (or its error).
    template <typename Job>
    auto perform(Job job) {
        return onExecutor(*executor_, std::move(job));
    }

    // One read with the default tile width and merged regions, cancelled with the awaiting task.
    Task<RenderedLabelReader::Result> read(platform::Screenshot image, Rect frame,
                                           std::optional<std::vector<Rect>> regions);

private:
    std::shared_ptr<SerialExecutor> executor_;
};

}  // namespace tarnwick
