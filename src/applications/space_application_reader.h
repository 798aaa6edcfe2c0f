#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "applications/space_application_catalog.h"
#include "support/executor.h"
#include "support/task.h"

namespace tarnwick {

// Reads which windows lie on given desktops: the window ids per desktop from the private
// window-server interface, then each window's owner, layer and frame from the window list.
// Reads run one at a time on the reader's own serial executor, away from the main loop; it
// keeps no state between reads.
class SpaceApplicationReader {
public:
    struct Snapshot {
        // Every completely described window of the requested desktops, in the window list's
        // order; each window id at most once.
        std::vector<SpaceApplicationCatalog::Window> windows;
        // Requested space ids whose window ids cannot be read.
        std::set<std::uint64_t> unavailable;
        // Space ids with a window whose description is missing or lacks a needed value.
        std::set<std::uint64_t> incomplete;

        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    // Without an executor, the reader makes its own (makeSerialExecutor).
    explicit SpaceApplicationReader(std::shared_ptr<SerialExecutor> executor = nullptr);
    SpaceApplicationReader(const SpaceApplicationReader&) = delete;
    SpaceApplicationReader& operator=(const SpaceApplicationReader&) = delete;

    // The program's reader, made on first use with an executor from the factory installed at that
    // moment. Tests make readers of their own: an executor bound to one test's loop must not
    // outlive that test.
    static SpaceApplicationReader& shared();

    // Hops to the reader's executor, reads, and resumes on the awaiting task's loop. Never
    // throws: failures show in `unavailable` and `incomplete`.
    Task<Snapshot> read(std::vector<std::uint64_t> spaceIDs);

    // The read itself, synchronously on the calling thread.
    static Snapshot readNow(const std::vector<std::uint64_t>& spaceIDs);

private:
    std::shared_ptr<SerialExecutor> executor_;
};

}  // namespace tarnwick
