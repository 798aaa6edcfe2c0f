#include "model/diagnostic_trace.h"

#include <algorithm>
#include <limits>

#include "model/diagnostic_trace_file.h"
#include "support/json.h"
#include "support/run_loop.h"
#include "support/time_format.h"

namespace tarnwick {

DiagnosticTrace::DiagnosticTrace(std::filesystem::path url, std::size_t maximumPendingRecords,
                                 std::uint64_t maximumFileBytes, std::uint64_t retainedFileBytes,
                                 std::shared_ptr<SerialExecutor> targetQueue)
    : shared_(std::make_shared<Shared>()),
      worker_(targetQueue ? std::move(targetQueue) : makeSerialExecutor(kWorkerLabel)) {
    shared_->url = std::move(url);
    shared_->maximumPendingRecords = maximumPendingRecords;
    shared_->maximumFileBytes = maximumFileBytes;
    shared_->retainedFileBytes = std::min(retainedFileBytes, maximumFileBytes);
}

// Queued drains hold the shared state and still write it; an own worker thread finishes them
// before it is joined.
DiagnosticTrace::~DiagnosticTrace() = default;

// Stamped with the system's clock when no main loop is installed. A diagnostic record never
// throws into its caller: anything that goes wrong drops it.
bool DiagnosticTrace::record(const std::string& event, Dictionary fields) noexcept {
    try {
        const Clock& clock = stampingClock();
        return enqueue({false, {event, std::move(fields), clock.now(), clock.uptime()}});
    } catch (...) {
        return false;
    }
}

bool DiagnosticTrace::reset() noexcept {
    try {
        const Clock& clock = stampingClock();
        return enqueue({true, {{}, {}, clock.now(), clock.uptime()}});
    } catch (...) {
        return false;
    }
}

void DiagnosticTrace::flush() {
    worker_->sync([] {});
}

bool DiagnosticTrace::enqueue(Entry entry) {
    bool startDrain = false;
    {
        std::lock_guard guard(shared_->lock);
        if (shared_->pending.size() >= shared_->maximumPendingRecords) {
            auto& dropped = shared_->dropped;
            if (!dropped) dropped = Dropped{0, entry.record.timestamp, entry.record.uptime};
            if (dropped->count < std::numeric_limits<std::int64_t>::max()) ++dropped->count;
            return false;
        }
        shared_->pending.push_back(std::move(entry));
        if (!shared_->drainScheduled) {
            shared_->drainScheduled = true;
            startDrain = true;
        }
    }
    // Submitted outside the lock so that an executor running jobs inline cannot deadlock.
    if (startDrain) worker_->submit([shared = shared_] { drain(*shared); });
    return true;
}

std::optional<std::vector<DiagnosticTrace::Entry>> DiagnosticTrace::takeBatch(Shared& shared) {
    std::lock_guard guard(shared.lock);
    if (shared.pending.empty() && !shared.dropped) {
        shared.drainScheduled = false;
        return std::nullopt;
    }
    std::vector<Entry> batch;
    batch.swap(shared.pending);
    if (shared.dropped) {
        const auto& dropped = *shared.dropped;
        batch.push_back({false,
                         {kDroppedEvent, Dictionary{{"count", Value(dropped.count)}}, dropped.timestamp,
                          dropped.uptime}});
        shared.dropped.reset();
    }
    return batch;
}

namespace {

// The record's line, or nothing when it cannot be represented as JSON.
std::optional<std::string> traceLine(const std::string& event, Dictionary fields, double timestamp, double uptime) {
    // Set after the caller's fields, so these always win over fields of the same name.
    fields["event"] = event;
    fields["timestamp"] = iso8601WithMilliseconds(timestamp);
    fields["uptime"] = uptime;
    auto line = json::write(Value(std::move(fields)), json::Style::compact);
    if (line) line->push_back('\n');
    return line;
}

}  // namespace

void DiagnosticTrace::drain(Shared& shared) {
    while (auto batch = takeBatch(shared)) {
        for (auto& entry : *batch) {
            // A failure loses this entry only; the trace keeps going with the next one.
            try {
                if (entry.isReset) {
                    trace_file::truncate(shared.url);
                    continue;
                }
                auto& record = entry.record;
                const auto line = traceLine(record.event, std::move(record.fields), record.timestamp, record.uptime);
                if (!line || line->size() > shared.maximumFileBytes) continue;
                trace_file::appendBounded(shared.url, *line, shared.maximumFileBytes, shared.retainedFileBytes);
            } catch (...) {
            }
        }
    }
}

}  // namespace tarnwick
