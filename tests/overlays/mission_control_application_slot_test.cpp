#include <limits>

#include <gtest/gtest.h>

#include "overlays/mission_control_application_slot.h"

namespace tarnwick {
namespace {

MissionControlApplicationSlot slot(const std::string& desktop, double x = 100) {
    return {{desktop, "MONITOR", 3}, Rect(x, 130, 60, 14), Rect(x - 50, 20, 172, 100), Rect(0, 0, 1512, 150),
            Rect(0, 0, 1512, 982), 180};
}

MissionControlApplicationGeometry geometry(const MissionControlApplicationSlot& s) {
    return {s.target, s.thumbnail, s.bar, s.display};
}

std::vector<std::string> desktops(const std::vector<MissionControlApplicationSlot>& slots) {
    std::vector<std::string> ids;
    for (const auto& s : slots) ids.push_back(s.target.desktopID);
    return ids;
}

TEST(MissionControlApplicationSlotCacheTest, ExpiredSlotsLastOnlyWhileACaptureCoversThem) {
    MissionControlApplicationSlotCache cache;
    cache.store(slot("B"), 9.5);
    cache.store(slot("A"), 11);
    EXPECT_EQ(desktops(cache.snapshot(10, true, std::set<std::string>{"B"})), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(desktops(cache.snapshot(10, true, std::nullopt)), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(desktops(cache.snapshot(10, true, std::set<std::string>{"A"})), (std::vector<std::string>{"A"}));
    EXPECT_EQ(cache.size(), 1u);  // B is gone for good
    cache.store(slot("B"), 9.5);
    EXPECT_EQ(desktops(cache.snapshot(10, false, std::nullopt)), (std::vector<std::string>{"A"}));
    EXPECT_EQ(desktops(cache.snapshot(11, false, std::nullopt)), (std::vector<std::string>{"A"}));
    EXPECT_TRUE(cache.snapshot(std::numeric_limits<double>::quiet_NaN(), true, std::nullopt).empty());
    EXPECT_EQ(cache.size(), 0u);
}

TEST(MissionControlApplicationSlotCacheTest, AnUnusableExpiryRemovesInsteadOfStoring) {
    MissionControlApplicationSlotCache cache;
    cache.store(slot("A"), 5);
    cache.store(slot("A", 300), std::numeric_limits<double>::infinity());
    EXPECT_EQ(cache.size(), 0u);
    cache.store(slot("A"), 5);
    cache.store(slot("A", 300), 6);
    EXPECT_EQ(cache.snapshot(1, false, std::nullopt).front().caption.minX(), 300);
    cache.remove("A");
    cache.remove("Z");
    EXPECT_EQ(cache.size(), 0u);
}

TEST(MissionControlApplicationSlotCacheTest, OnlySlotsWhoseGeometryHoldsSurviveATransition) {
    MissionControlApplicationSlotCache cache;
    for (const char* id : {"A", "B", "C", "D", "E"}) cache.store(slot(id), 10);
    auto moved = slot("B");
    moved.thumbnail.origin.x += 1;
    auto barless = slot("C");
    barless.bar.reset();
    auto elsewhere = slot("E");
    elsewhere.target.spaceID = 9;
    const auto kept = cache.transition({geometry(slot("A")), geometry(moved), geometry(barless), geometry(slot("D")),
                                        geometry(slot("D")), geometry(elsewhere)});
    EXPECT_EQ(kept, std::set<std::string>{"A"});
    EXPECT_EQ(desktops(cache.snapshot(0, false, std::nullopt)), std::vector<std::string>{"A"});
}

}  // namespace
}  // namespace tarnwick
