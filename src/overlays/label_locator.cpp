#include "overlays/label_locator.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "overlays/label_bar_capture.h"
#include "overlays/label_display_pipeline.h"
#include "overlays/rectangle_dictionary.h"
#include "platform/platform.h"
#include "support/run_loop.h"

namespace tarnwick {

namespace {

// What every bar of one run shares.
struct BarRun {
    std::optional<std::vector<Rect>> regions;
    bool debug = false;
    int passes = 1;
    double enumerationSeconds = 0;
    LabelRecognitionWorker* worker = nullptr;
};

std::string describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "The operation could not be completed.";
    }
}

Value labelsValue(const std::vector<RenderedLabelReader::Label>& labels) {
    Array items;
    for (const auto& label : labels) items.push_back(label.metadata());
    return Value(std::move(items));
}

Value comparison(const RenderedLabelReader::Result& result, std::optional<double> seconds) {
    Dictionary d{{"labels", labelsValue(result.labels)}, {"rawObservationCount", result.observationCount}};
    if (seconds) d["seconds"] = *seconds;
    return Value(std::move(d));
}

// Reads one screenshot, on the recognition worker: the regions first, the whole bar when they
// gave fewer captions than there are regions on the bar, and the comparison reads in debug mode.
Dictionary recognise(const CapturedLabelBar& bar, const BarRun& run, const std::function<bool()>& cancelled) {
    if (cancelled()) throw CancellationError();
    using Reader = RenderedLabelReader;
    const Reader::Result first = Reader::read(bar.image, bar.frame, Reader::defaultTileWidth, run.regions, true, cancelled);
    const Reader::Result* used = &first;
    int observations = first.observationCount, tiles = first.tileCount;
    bool usedFallback = false;
    std::optional<Reader::Result> whole;
    if (run.regions) {
        const auto onBar = std::count_if(run.regions->begin(), run.regions->end(),
                                         [&](const Rect& region) { return region.intersects(bar.frame); });
        if (static_cast<std::ptrdiff_t>(first.labels.size()) < onBar) {
            whole = Reader::read(bar.image, bar.frame, Reader::defaultTileWidth, std::nullopt, true, cancelled);
            usedFallback = true;
            observations += whole->observationCount;
            tiles += whole->tileCount;
            if (whole->labels.size() > first.labels.size()) used = &*whole;
        }
    }
    LabelLocator::trace("Recognized " + std::to_string(used->observationCount) + " observations in " +
                            std::to_string(used->tileCount) + " crops",
                        run.debug);

    Dictionary pass{
        {"windowID", bar.windowID},
        {"labels", labelsValue(used->labels)},
        {"rawObservationCount", observations},
        {"recognitionTiles", tiles},
        {"usedFallback", usedFallback},
        {"captureStartedAt", bar.captureStartedAt},
        {"capturedAt", bar.capturedAt},
        {"observationID", bar.observationID},
        {"includedWindowIDs", arrayValue(bar.includedWindowIDs)},
        {"imagePixels", Value(Dictionary{{"width", bar.image.width()}, {"height", bar.image.height()}})},
        {"filterScale", bar.filterScale},
        {"filterRect", rectangleDictionary(bar.filterRect)},
        {"frameCG", rectangleDictionary(bar.frame)},
    };
    if (run.debug) {
        if (run.regions) {
            double start = systemUptime();
            const auto unmerged = Reader::read(bar.image, bar.frame, Reader::defaultTileWidth, run.regions, false, cancelled);
            pass["unmergedComparison"] = comparison(unmerged, systemUptime() - start);
            start = systemUptime();
            const auto unfocused = Reader::read(bar.image, bar.frame, Reader::defaultTileWidth, std::nullopt, true, cancelled);
            pass["unfocusedComparison"] = comparison(unfocused, systemUptime() - start);
        }
        const int imageWidth = static_cast<int>(std::min<std::int64_t>(bar.image.width(), 1 << 30));
        const auto oneTile = Reader::read(bar.image, bar.frame, imageWidth, std::nullopt, true, cancelled);
        pass["wholeImageComparison"] = comparison(oneTile, std::nullopt);
    }
    return pass;
}

Task<Dictionary> recogniseOnWorker(std::shared_ptr<const BarRun> run, CapturedLabelBar bar) {
    const TaskContext context = co_await currentTaskContext();
    auto job = [run, bar = std::move(bar), token = context.cancellation] {
        return recognise(bar, *run, [&token] { return token && token->isCancelled(); });
    };
    auto hop = run->worker->perform(std::move(job));
    Dictionary pass = co_await hop;
    co_return pass;
}

Dictionary failureMetadata(const BarCaptureRequest& request, const std::string& error, const BarRun& run,
                           double captureSeconds, double recognitionSeconds, double totalSeconds, int passes) {
    Dictionary d = request.metadata();
    d["error"] = error;
    d["enumerationSeconds"] = run.enumerationSeconds;
    d["captureSeconds"] = captureSeconds;
    d["recognitionSeconds"] = recognitionSeconds;
    d["totalSeconds"] = totalSeconds;
    d["capturePasses"] = passes;
    d["confirmationPasses"] = run.passes;
    return d;
}

// One bar: one or two passes of capture, recognition and publishing, 75 ms apart. A failure
// ends the bar with its error entry; cancellation is thrown on.
Task<LabelBarResult> runBar(std::shared_ptr<const BarRun> run, BarCaptureRequest request,
                            LabelDisplayPipeline::Publish<LabelBarResult> publish) {
    const double barStart = systemUptime();
    double captureTotal = 0, recognitionTotal = 0;
    int published = 0;
    std::optional<LabelBarResult> last;
    std::exception_ptr failure;
    bool cancelled = false;
    try {
        for (int pass = 1; pass <= run->passes; ++pass) {
            co_await checkCancellation();
            const double captureStart = systemUptime();
            std::optional<CapturedLabelBar> bar;
            std::exception_ptr captureFailure;
            try {
                bar.emplace(co_await captureLabelBar(request, LabelLocator::kPlatformWaitLimit));
            } catch (...) {
                captureFailure = std::current_exception();
            }
            captureTotal += systemUptime() - captureStart;
            if (captureFailure) std::rethrow_exception(captureFailure);
            co_await checkCancellation();
            LabelLocator::trace("Captured bar " + std::to_string(request.bar.windowID) + ": " +
                                    std::to_string(bar->image.width()) + "x" + std::to_string(bar->image.height()),
                                run->debug);

            const double recognitionStart = systemUptime();
            Dictionary metadata = co_await recogniseOnWorker(run, std::move(*bar));
            recognitionTotal += systemUptime() - recognitionStart;
            co_await checkCancellation();

            metadata["enumerationSeconds"] = run->enumerationSeconds;
            metadata["captureSeconds"] = captureTotal;
            metadata["recognitionSeconds"] = recognitionTotal;
            metadata["totalSeconds"] = systemUptime() - barStart;
            metadata["capturePasses"] = pass;
            metadata["confirmationPass"] = pass;
            metadata["confirmationPasses"] = run->passes;
            LabelBarResult result(std::move(metadata));
            co_await publish(result);
            ++published;
            if (pass == run->passes) {
                last.emplace(std::move(result));
                break;
            }
            co_await sleepFor(LabelLocator::kPassInterval);
        }
    } catch (const CancellationError&) {
        cancelled = true;
    } catch (...) {
        failure = std::current_exception();
    }
    if (cancelled) throw CancellationError();
    if (failure) {
        co_await checkCancellation();
        co_return LabelBarResult(failureMetadata(request, describe(failure), *run, captureTotal, recognitionTotal,
                                                 systemUptime() - barStart, published));
    }
    co_return std::move(*last);
}

Value unsupported(const std::string& description, double enumerationSeconds, double start) {
    return Value(Dictionary{{"unsupported", description},
                            {"enumerationSeconds", enumerationSeconds},
                            {"captureSeconds", 0.0},
                            {"recognitionSeconds", 0.0},
                            {"totalSeconds", systemUptime() - start}});
}

struct Listing {
    std::optional<platform::ShareableContent> content;
    std::optional<std::string> error;
};

// The platform's window listing, or nothing when none came within `waitLimit` seconds. The task's
// cancellation ends the wait at once (CancellationError); a listing that comes later is dropped.
Task<std::optional<Listing>> listWindows(double waitLimit) {
    typename CompletionWaitAwaiter<Listing>::Start start = [](Continuation<Listing> done) {
        platform::current().screenCapture->getShareableContent(
            true, true,
            [done](std::optional<platform::ShareableContent> content, std::optional<std::string> error) mutable {
                done.resume(Listing{std::move(content), std::move(error)});
            });
    };
    auto wait = waitForCompletion<Listing>(std::move(start), systemUptime() + waitLimit);
    std::optional<Listing> listing = co_await wait;
    co_return listing;
}

double secondsOf(const Dictionary& bar, const char* key) {
    auto it = bar.find(key);
    return it != bar.end() && it->second.kind() == Value::Kind::floating ? *it->second.toDouble() : 0.0;
}

}  // namespace

LabelBarResult::LabelBarResult(Dictionary dictionary) : metadata(std::move(dictionary)) {
    auto frame = metadata.find("frameCG");
    if (frame == metadata.end() || !frame->second.asDictionary()) return;
    Dictionary doubles;
    for (const auto& [key, value] : *frame->second.asDictionary()) {
        if (!value.isNumber()) return;
        doubles[key] = *value.toDouble();
    }
    frame->second = Value(std::move(doubles));
}

void LabelLocator::trace(const std::string& message, bool debug) {
    if (!debug) return;
    const std::string line = message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

Task<Value> LabelLocator::inspect(std::optional<Rect> display, std::optional<std::vector<Rect>> displays,
                                  std::optional<std::vector<Rect>> regions, bool debug, int confirmationPasses,
                                  OnDisplay onDisplay, LabelLocatorServices services) {
    const double start = systemUptime();
    if (!platform::current().system->preflightScreenCaptureAccess()) co_return unsupported(kPermissionRequired, 0, start);
    if (co_await taskIsCancelled()) co_return unsupported(CancellationError().what(), 0, start);
    trace("Checking screen access", debug);
    const double enumerationStart = systemUptime();

    std::optional<Listing> listing;
    std::string listingFailure;
    try {
        listing = co_await listWindows(kPlatformWaitLimit);
        if (!listing) listingFailure = kListingTimedOut;
    } catch (const std::exception& error) {
        listingFailure = error.what();
    }
    if (listing && !listing->content)
        listingFailure = listing->error.value_or("The on-screen windows could not be listed");
    if (!listingFailure.empty()) co_return unsupported(listingFailure, 0, start);
    if (co_await taskIsCancelled()) co_return unsupported(CancellationError().what(), 0, start);
    trace("Shareable content received: " + std::to_string(listing->content->windows.size()) + " windows", debug);

    std::vector<BarCaptureRequest> requests = BarCaptureRequest::build(*listing->content, display, displays);
    auto run = std::make_shared<BarRun>();
    run->regions = std::move(regions);
    run->debug = debug;
    run->passes = std::clamp(confirmationPasses, 1, 2);
    run->enumerationSeconds = systemUptime() - enumerationStart;
    run->worker = services.recognition ? services.recognition : &LabelRecognitionWorker::shared();

    LabelDisplayPipeline::Operation<BarCaptureRequest, LabelBarResult> operation =
        [run](BarCaptureRequest request, LabelDisplayPipeline::Publish<LabelBarResult> publish) {
            return runBar(run, std::move(request), std::move(publish));
        };
    LabelDisplayPipeline::Failure<BarCaptureRequest, LabelBarResult> onFailure =
        [run](const BarCaptureRequest& request, const std::exception& error) {
            Dictionary d = request.metadata();
            d["error"] = error.what();
            d["enumerationSeconds"] = run->enumerationSeconds;
            d["captureSeconds"] = 0.0;
            d["recognitionSeconds"] = 0.0;
            d["totalSeconds"] = 0.0;
            return LabelBarResult(std::move(d));
        };
    LabelDisplayPipeline::ResultHook<LabelBarResult> onResult = onDisplay;

    std::vector<LabelBarResult> results;
    std::exception_ptr failure;
    try {
        results = co_await LabelDisplayPipeline::run(std::move(requests), 2, operation, onFailure, onResult);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) co_return unsupported(describe(failure), run->enumerationSeconds, start);

    Array bars;
    double captureSeconds = 0, recognitionSeconds = 0;
    for (auto& result : results) {
        captureSeconds += secondsOf(result.metadata, "captureSeconds");
        recognitionSeconds += secondsOf(result.metadata, "recognitionSeconds");
        bars.emplace_back(std::move(result.metadata));
    }
    co_return Value(Dictionary{{"bars", Value(std::move(bars))},
                               {"overlayEnabled", false},
                               {"enumerationSeconds", run->enumerationSeconds},
                               {"captureSeconds", captureSeconds},
                               {"recognitionSeconds", recognitionSeconds},
                               {"totalSeconds", systemUptime() - start}});
}

}  // namespace tarnwick
