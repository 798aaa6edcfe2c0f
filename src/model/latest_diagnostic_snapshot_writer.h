#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

#include "support/executor.h"
#include "support/value.h"

namespace tarnwick {

// Keeps one JSON file holding the most recent state. write() returns at once; a serial worker
// writes in the background and skips states superseded before it got to them, so a burst of
// changes costs one file write. Errors are never reported: a state that cannot be written is
// dropped and a later write tries again.
class LatestDiagnosticSnapshotWriter {
public:
    static constexpr const char* kWorkerLabel = "local.orlenbay.Tarnwick.diagnostic-snapshot";

    // Without a target the writer gets its own worker. Nothing is touched on disk here.
    explicit LatestDiagnosticSnapshotWriter(std::filesystem::path url,
                                            std::shared_ptr<SerialExecutor> targetQueue = nullptr);
    ~LatestDiagnosticSnapshotWriter();
    LatestDiagnosticSnapshotWriter(const LatestDiagnosticSnapshotWriter&) = delete;
    LatestDiagnosticSnapshotWriter& operator=(const LatestDiagnosticSnapshotWriter&) = delete;

    // Records the state with the current time (of the main loop's clock, or the system's when no
    // main loop is installed). Callable from any thread; never throws.
    void write(Dictionary state) noexcept;
    // Waits until every state passed before the call has been written or dropped. Must not be
    // called from the worker.
    void flush();

private:
    struct Snapshot {
        Dictionary fields;
        double timestamp;  // wall-clock seconds when write() was called
    };
    // Shared with queued drains, so a drain still queued when the writer goes away finds live
    // state instead of a destroyed writer.
    struct Shared {
        std::filesystem::path url;
        std::mutex lock;
        std::optional<Snapshot> pending;
        bool draining = false;
    };

    static void drain(Shared& shared);
    static void writeFile(const std::filesystem::path& url, Snapshot snapshot);

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<SerialExecutor> worker_;
};

}  // namespace tarnwick
