#include "overlays/label_live_state_cache.h"

#include <bit>
#include <cstdint>

namespace tarnwick {

namespace {

bool identicalValues(const Value& a, const Value& b);

// Monitors compare with their raw bounds: their own equality takes a flipped size for the same.
bool identicalMonitors(const std::vector<DesktopMonitor>& a, const std::vector<DesktopMonitor>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].id != b[i].id || a[i].name != b[i].name || !identicalBits(a[i].bounds, b[i].bounds) ||
            a[i].desktops != b[i].desktops)
            return false;
    return true;
}

bool identicalArrays(const Array& a, const Array& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!identicalValues(a[i], b[i])) return false;
    return true;
}

// The same bit for bit: the same kinds, numbers of the same bits, containers of identical items.
bool identicalValues(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
        case Value::Kind::floating: return identicalBits(*a.toDouble(), *b.toDouble());
        case Value::Kind::singleFloating:
            return std::bit_cast<std::uint32_t>(std::get<float>(a.storage())) ==
                   std::bit_cast<std::uint32_t>(std::get<float>(b.storage()));
        case Value::Kind::geometry: {
            const GeometryValue &x = *a.asGeometry(), &y = *b.asGeometry();
            return x.kind == y.kind && identicalBits(x.point, y.point) && identicalBits(x.size, y.size);
        }
        case Value::Kind::array: return identicalArrays(*a.asArray(), *b.asArray());
        case Value::Kind::dictionary: {
            const Dictionary &x = *a.asDictionary(), &y = *b.asDictionary();
            if (x.size() != y.size()) return false;
            for (auto i = x.begin(), j = y.begin(); i != x.end(); ++i, ++j)
                if (i->first != j->first || !identicalValues(i->second, j->second)) return false;
            return true;
        }
        default: return a == b;
    }
}

}  // namespace

const std::optional<LabelLiveState>& LabelLiveStateCache::liveState(const Array& tree, LabelConfiguration configuration,
                                                                    const MissionControlOverlayOptions& options,
                                                                    bool sampleMode) {
    if (inputs_ && inputs_->options == options && inputs_->sampleMode == sampleMode &&
        inputs_->configuration.names == configuration.names &&
        identicalMonitors(inputs_->configuration.monitors, configuration.monitors) && identicalArrays(inputs_->tree, tree))
        return live_;
    ++computations_;
    live_ = labelLiveState(tree, configuration, options, sampleMode);
    inputs_ = Inputs{tree, std::move(configuration), options, sampleMode};
    return live_;
}

}  // namespace tarnwick
