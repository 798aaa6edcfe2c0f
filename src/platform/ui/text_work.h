#pragma once

#include <cstdint>

namespace tarnwick::platform::ui {

// How much text the text system has gone over on this thread: scalars decoded, bytes handed to
// the shaper, clusters walked while breaking lines. Setting a text must cost in proportion to its
// length, and this is how a test sees that without a clock.
struct TextWork {
    std::uint64_t scalarsDecoded = 0;
    std::uint64_t bytesShaped = 0;
    std::uint64_t clustersWrapped = 0;

    std::uint64_t total() const { return scalarsDecoded + bytesShaped + clustersWrapped; }
};

inline TextWork& textWorkOnThisThread() {
    thread_local TextWork work;
    return work;
}

}  // namespace tarnwick::platform::ui
