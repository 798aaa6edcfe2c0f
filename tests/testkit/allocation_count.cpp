#include "testkit/allocation_count.h"

#include <dlfcn.h>

#include <cstdlib>
#include <new>

namespace tarnwick::testkit {

namespace {

// Plain data, so that counting itself never allocates.
thread_local std::size_t bytesAllocated = 0;

using AllocationFunction = void* (*)(std::size_t);

// The operator new this one stands in front of: the C++ library's, or a sanitizer's, which then
// still pairs each allocation with its own operator delete.
AllocationFunction nextOperatorNew() {
    static const auto next = reinterpret_cast<AllocationFunction>(::dlsym(RTLD_NEXT, "_Znwm"));
    return next;
}

}  // namespace

std::size_t bytesAllocatedOnThisThread() { return bytesAllocated; }

}  // namespace tarnwick::testkit

void* operator new(std::size_t size) {
    tarnwick::testkit::bytesAllocated += size;
    if (const auto next = tarnwick::testkit::nextOperatorNew()) return next(size);
    if (void* memory = std::malloc(size ? size : 1)) return memory;  // the library's delete frees it
    throw std::bad_alloc();
}
