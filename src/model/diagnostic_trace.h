#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "support/executor.h"
#include "support/value.h"

namespace tarnwick {

// A JSON Lines trace: one compact JSON object per event. Recording never blocks on the file:
// entries wait in a bounded in-memory queue and a serial worker appends them, keeping the file
// within its size bound by dropping its oldest whole lines. Entries that do not fit in the queue
// are counted and the count is written as a "trace-records-dropped" line.
class DiagnosticTrace {
public:
    static constexpr const char* kWorkerLabel = "local.orlenbay.Tarnwick.diagnostic-trace";
    static constexpr const char* kDroppedEvent = "trace-records-dropped";

    // The caller passes maximumPendingRecords >= 1 and maximumFileBytes >= 1; retainedFileBytes
    // is capped at maximumFileBytes. Without a target the trace gets its own worker. Nothing is
    // touched on disk here.
    explicit DiagnosticTrace(std::filesystem::path url, std::size_t maximumPendingRecords = 256,
                             std::uint64_t maximumFileBytes = 1'048'576, std::uint64_t retainedFileBytes = 524'288,
                             std::shared_ptr<SerialExecutor> targetQueue = nullptr);
    ~DiagnosticTrace();
    DiagnosticTrace(const DiagnosticTrace&) = delete;
    DiagnosticTrace& operator=(const DiagnosticTrace&) = delete;

    // Queues the event stamped with the current time and uptime (of the main loop's clock, or the
    // system's when no main loop is installed); false when the queue was full and the record was
    // dropped. Callable from any thread; does no I/O; never throws.
    bool record(const std::string& event, Dictionary fields = {}) noexcept;
    // Queues emptying the file; false when dropped. Never throws.
    bool reset() noexcept;
    // Waits until everything queued before the call has been written. Must not be called from
    // the worker.
    void flush();

private:
    struct Record {
        std::string event;
        Dictionary fields;
        double timestamp;  // wall-clock seconds
        double uptime;
    };
    struct Entry {
        bool isReset;
        Record record;
    };
    struct Dropped {
        std::int64_t count;  // stops growing at the largest value
        double timestamp;  // of the first entry dropped since the last account was written
        double uptime;
    };
    // Everything the worker touches, shared with queued drains so that a drain still queued
    // when the trace goes away finds live state instead of a destroyed trace.
    struct Shared {
        std::filesystem::path url;
        std::size_t maximumPendingRecords;
        std::uint64_t maximumFileBytes;
        std::uint64_t retainedFileBytes;
        std::mutex lock;
        std::vector<Entry> pending;
        std::optional<Dropped> dropped;
        bool drainScheduled = false;
    };

    bool enqueue(Entry entry);
    static std::optional<std::vector<Entry>> takeBatch(Shared& shared);
    static void drain(Shared& shared);

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<SerialExecutor> worker_;
};

}  // namespace tarnwick
