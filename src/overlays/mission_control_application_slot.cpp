#include "overlays/mission_control_application_slot.h"

#include <cmath>

namespace tarnwick {

void MissionControlApplicationSlotCache::store(const MissionControlApplicationSlot& slot, double expiresAt) {
    if (!std::isfinite(expiresAt)) {
        remove(slot.target.desktopID);
        return;
    }
    records_[slot.target.desktopID] = Record{slot, expiresAt};
}

void MissionControlApplicationSlotCache::remove(const std::string& desktopID) { records_.erase(desktopID); }

void MissionControlApplicationSlotCache::reset() { records_.clear(); }

std::set<std::string> MissionControlApplicationSlotCache::transition(
    const std::vector<MissionControlApplicationGeometry>& geometries) {
    std::map<std::string, std::vector<const MissionControlApplicationGeometry*>> byDesktop;
    for (const auto& geometry : geometries) byDesktop[geometry.target.desktopID].push_back(&geometry);
    std::set<std::string> kept;
    for (auto it = records_.begin(); it != records_.end();) {
        const auto found = byDesktop.find(it->first);
        const MissionControlApplicationSlot& slot = it->second.slot;
        bool holds = false;
        if (found != byDesktop.end() && found->second.size() == 1) {
            const auto& geometry = *found->second.front();
            holds = geometry.target == slot.target && geometry.thumbnail == slot.thumbnail &&
                    geometry.bar == slot.bar && geometry.display == slot.display;
        }
        if (holds) {
            kept.insert(it->first);
            ++it;
        } else {
            it = records_.erase(it);
        }
    }
    return kept;
}

std::vector<MissionControlApplicationSlot> MissionControlApplicationSlotCache::snapshot(
    double now, bool captureIsCurrent, const std::optional<std::set<std::string>>& capturingDesktopIDs) {
    if (!std::isfinite(now)) {
        records_.clear();
        return {};
    }
    std::vector<MissionControlApplicationSlot> slots;
    for (auto it = records_.begin(); it != records_.end();) {
        const bool fresh = now <= it->second.expiresAt;
        const bool capturing = captureIsCurrent && (!capturingDesktopIDs || capturingDesktopIDs->count(it->first));
        if (fresh || capturing) {
            slots.push_back(it->second.slot);
            ++it;
        } else {
            it = records_.erase(it);
        }
    }
    return slots;  // the map keeps them sorted by desktop id
}

}  // namespace tarnwick
