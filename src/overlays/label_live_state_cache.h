#pragma once

#include <optional>

#include "overlays/label_live_state.h"

namespace tarnwick {

// The last live state with what it was made of. While Mission Control stays open and nothing
// moves, every geometry read gives the same tree and the catalog the same desktops, so the
// targets and the signatures of the previous read are handed out again instead of being worked
// out and written as JSON anew. Inputs count as the same only when they are identical bit for
// bit (a frame at -0 is not one at 0; a NaN is the same NaN), so what it hands out is always what
// labelLiveState would give.
class LabelLiveStateCache {
public:
    const std::optional<LabelLiveState>& liveState(const Array& tree, LabelConfiguration configuration,
                                                   const MissionControlOverlayOptions& options, bool sampleMode);
    void clear() { inputs_.reset(); }
    // How often the live state was worked out rather than handed out again.
    int computations() const { return computations_; }

private:
    struct Inputs {
        Array tree;
        LabelConfiguration configuration;
        MissionControlOverlayOptions options;
        bool sampleMode = false;
    };
    std::optional<Inputs> inputs_;
    std::optional<LabelLiveState> live_;
    int computations_ = 0;
};

}  // namespace tarnwick
