#pragma once

// What a piece of code allocates, for tests that bound the work of reading hostile input without
// timing it. The test kit puts a counting operator new in front of the library's (or a
// sanitizer's), which still does the allocating and is still paired with its own delete.

#include <cstddef>

namespace tarnwick::testkit {

// The bytes this thread has asked of operator new so far; the difference around a call is what
// the call allocated on this thread.
std::size_t bytesAllocatedOnThisThread();

}  // namespace tarnwick::testkit
