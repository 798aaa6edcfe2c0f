#pragma once

#include "support/binding.h"
#include "support/observable.h"

namespace tarnwick::testkit {

// A binding that reads and writes a published value, as a test's view binds its controls.
template <typename T>
Binding<T> bound(Published<T>& value) {
    return Binding<T>{[&value] { return value.get(); }, [&value](const T& v) { value.set(v); }};
}

}  // namespace tarnwick::testkit
