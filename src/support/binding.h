#pragma once

#include <functional>

namespace tarnwick {

// A two-way binding for a form control: reads the current value and writes a new one.
template <typename T>
struct Binding {
    std::function<T()> get;
    std::function<void(const T&)> set;
};

}  // namespace tarnwick
