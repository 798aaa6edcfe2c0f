#include "model/latest_diagnostic_snapshot_writer.h"

#include "support/files.h"
#include "support/json.h"
#include "support/run_loop.h"
#include "support/time_format.h"

namespace tarnwick {

LatestDiagnosticSnapshotWriter::LatestDiagnosticSnapshotWriter(std::filesystem::path url,
                                                               std::shared_ptr<SerialExecutor> targetQueue)
    : shared_(std::make_shared<Shared>()),
      worker_(targetQueue ? std::move(targetQueue) : makeSerialExecutor(kWorkerLabel)) {
    shared_->url = std::move(url);
}

// Queued drains hold the shared state and still write it; an own worker thread finishes them
// before it is joined.
LatestDiagnosticSnapshotWriter::~LatestDiagnosticSnapshotWriter() = default;

void LatestDiagnosticSnapshotWriter::write(Dictionary state) noexcept {
    // A diagnostic write never throws into its caller: anything that goes wrong drops the state.
    try {
        Snapshot snapshot{std::move(state), stampingClock().now()};
        bool startDrain = false;
        {
            std::lock_guard guard(shared_->lock);
            shared_->pending = std::move(snapshot);  // an unwritten older state is superseded
            if (!shared_->draining) {
                shared_->draining = true;
                startDrain = true;
            }
        }
        // Submitted outside the lock so that an executor running jobs inline cannot deadlock.
        if (startDrain) worker_->submit([shared = shared_] { drain(*shared); });
    } catch (...) {
    }
}

void LatestDiagnosticSnapshotWriter::flush() {
    worker_->sync([] {});
}

void LatestDiagnosticSnapshotWriter::drain(Shared& shared) {
    while (true) {
        std::optional<Snapshot> next;
        {
            std::lock_guard guard(shared.lock);
            next.swap(shared.pending);
            if (!next) {
                shared.draining = false;
                return;
            }
        }
        writeFile(shared.url, std::move(*next));
    }
}

void LatestDiagnosticSnapshotWriter::writeFile(const std::filesystem::path& url, Snapshot snapshot) {
    try {
        snapshot.fields["timestamp"] = iso8601(snapshot.timestamp);
        const auto text = json::write(Value(std::move(snapshot.fields)), json::Style::pretty);
        if (!text) return;  // not representable as JSON: keep the previous file
        files::createDirectories(url.parent_path());
        files::writeAtomically(url, *text);
    } catch (...) {
        // Dropped; the next state tries again. Nothing may escape onto the worker.
    }
}

}  // namespace tarnwick
