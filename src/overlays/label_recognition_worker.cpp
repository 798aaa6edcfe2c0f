#include "overlays/label_recognition_worker.h"

namespace tarnwick {

LabelRecognitionWorker::LabelRecognitionWorker()
    : LabelRecognitionWorker(makeSerialExecutor("tarnwick.label-recognition")) {}

LabelRecognitionWorker::LabelRecognitionWorker(std::shared_ptr<SerialExecutor> executor)
    : executor_(std::move(executor)) {}

LabelRecognitionWorker& LabelRecognitionWorker::shared() {
    static LabelRecognitionWorker worker;
    return worker;
}

Task<RenderedLabelReader::Result> LabelRecognitionWorker::read(platform::Screenshot image, Rect frame,
                                                               std::optional<std::vector<Rect>> regions) {
    const TaskContext context = co_await currentTaskContext();
    auto job = [image = std::move(image), frame, regions = std::move(regions), token = context.cancellation] {
        return RenderedLabelReader::read(image, frame, RenderedLabelReader::defaultTileWidth, regions, true,
                                         [&token] { return token && token->isCancelled(); });
    };
    RenderedLabelReader::Result result = co_await perform(std::move(job));
    co_return result;
}

}  // namespace tarnwick
