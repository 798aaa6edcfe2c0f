#pragma once

namespace tarnwick {

// The left-to-right reveal of a name label. Its length is also how long a new label's entrance
// lasts in Mission Control.
struct LabelReveal {
    LabelReveal() = delete;
    static constexpr double duration = 0.14;  // seconds
};

}  // namespace tarnwick
