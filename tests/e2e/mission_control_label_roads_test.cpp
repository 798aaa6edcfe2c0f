// Name labels over Mission Control's captions, from opening to renaming, on virtual time.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/frosted_label_view.h"
#include "platform/ui/screens.h"
#include "support/files.h"
#include "support/json.h"
#include "testkit/label_world.h"

namespace tarnwick {
namespace {

using testkit::LabelWorld;
namespace flags = platform::modifier_flags;
namespace ui = platform::ui;

struct Named {
    const char* desktop;
    const char* title;
    const char* name;
    std::uint32_t display;
};

const std::vector<Named> kNamed = {
    {LabelWorld::kDesktop2, "Desktop 2", "Write", 1},
    {LabelWorld::kDesktop4, "Desktop 4", "Code", 2},
    {LabelWorld::kDesktop6, "Desktop 6", "Music", 2},
};

std::map<std::string, std::string> savedNames() {
    std::map<std::string, std::string> names;
    for (const auto& named : kNamed) names[named.desktop] = named.name;
    return names;
}

class LabelRoadTest : public ::testing::Test {
protected:
    // Starts the controller with Mission Control closed, then opens it and waits for the labels.
    double openWithLabels(std::size_t count = kNamed.size()) {
        world.controller.start(false);
        world.env.advance(0.4);
        world.env.session.openMissionControl();
        return world.runUntil([&] { return world.shownLabels().size() == count; }, 2.0);
    }
    LabelWorld world{savedNames()};
};

TEST_F(LabelRoadTest, LabelsAppearOverEachNamedCaptionOnEveryDisplayWithTheSavedNames) {
    const double took = openWithLabels();
    EXPECT_LE(took, 0.5);

    const double primaryTop = world.env.session.displays.front().bounds.height();
    for (const auto& named : kNamed) {
        SCOPED_TRACE(named.name);
        ui::Panel* panel = world.shownLabel(named.desktop);
        ASSERT_TRUE(panel);
        const Rect caption = *world.caption(named.title);
        EXPECT_NEAR(panel->frame().midX(), caption.midX(), 1e-9);
        EXPECT_NEAR(panel->frame().midY(), primaryTop - caption.midY(), 1e-9);
        EXPECT_EQ(panel->level(), 1000);
        EXPECT_EQ(panel->collectionBehavior, 337u);
        EXPECT_TRUE(panel->ignoresMouseEvents());
        EXPECT_FALSE(panel->hasShadow);
        ASSERT_TRUE(panel->screen());
        EXPECT_EQ(ui::displayID(*panel->screen()), named.display);
        EXPECT_EQ(panel->shownTexts(), std::vector<std::string>{named.name});
    }
    // Unnamed desktops have no label at all.
    for (const char* unnamed : {LabelWorld::kDesktop1, LabelWorld::kDesktop3, LabelWorld::kDesktop5})
        EXPECT_FALSE(world.controller.presentations().count(unnamed));
    EXPECT_EQ(world.visibility, std::vector<bool>{true});
    EXPECT_EQ(world.reports, std::vector<std::string>{"Mission Control overlays enabled"});

    const auto events = world.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], "started");
    const auto detected = std::find(events.begin(), events.end(), "mission-control-detected");
    ASSERT_NE(detected, events.end());
    for (const auto& named : kNamed) {
        std::vector<std::string> own;
        for (const auto& record : world.trace())
            if (record.field("uuid") == named.desktop) own.push_back(record.event);
        EXPECT_EQ(own, (std::vector<std::string>{"reveal-started", "first-overlay"})) << named.name;
    }
    for (const auto& record : world.records("first-overlay")) {
        EXPECT_EQ(*record.fields.at("revealDuration").toDouble(), 0.14);
        EXPECT_LE(*record.fields.at("secondsSinceDetection").toDouble(), 0.5);
    }
}

// The uptime of each label's reveal, by desktop.
std::map<std::string, double> revealTimes(LabelWorld& world) {
    std::map<std::string, double> times;
    for (const auto& record : world.records("reveal-started"))
        times.emplace(record.field("uuid"), *record.fields.at("uptime").toDouble());
    return times;
}

TEST_F(LabelRoadTest, LabelsWaitUntilTheirCaptionsHoldStill) {
    auto& faults = world.env.session.capture.faults;
    faults.captionMotionDuration = 0.3;
    faults.captionMotionOffset = Point{-40, 6};
    world.controller.start(false);
    world.env.advance(0.4);
    world.env.session.openMissionControl();
    const double opened = world.env.clock.uptime();
    // While the captions glide no label shows.
    while (world.env.clock.uptime() < opened + 0.3) {
        world.env.advance(0.005);
        EXPECT_TRUE(world.shownLabels().empty()) << world.env.clock.uptime() - opened;
    }
    world.runUntil([&] { return world.shownLabels().size() == kNamed.size(); }, 1.0);
    const auto reveals = revealTimes(world);
    ASSERT_EQ(reveals.size(), kNamed.size());
    const double primaryTop = world.env.session.displays.front().bounds.height();
    for (const auto& named : kNamed) {
        // Seen still at the end of the glide and again 0.075 s later, not before.
        EXPECT_GE(reveals.at(named.desktop) - opened, 0.3 + 0.075 - 1e-9) << named.name;
        EXPECT_LE(reveals.at(named.desktop) - opened, 0.3 + 0.3) << named.name;
        const Rect caption = *world.caption(named.title);
        EXPECT_NEAR(world.shownLabel(named.desktop)->frame().midX(), caption.midX(), 1e-9);
        EXPECT_NEAR(world.shownLabel(named.desktop)->frame().midY(), primaryTop - caption.midY(), 1e-9);
    }
}

// The uptimes at which recognition flights captured, one entry per flight.
std::vector<double> flightTimes(const LabelWorld& world, double from) {
    std::vector<double> times;
    for (const auto& capture : world.env.session.capture.captures)
        if (capture.requestedAt >= from && (times.empty() || capture.requestedAt - times.back() > 0.02))
            times.push_back(capture.requestedAt);
    return times;
}

TEST_F(LabelRoadTest, SettledLabelsAreRecognisedLessOftenUntilTheBarExpands) {
    ASSERT_LE(openWithLabels(), 0.5);
    const double shown = world.env.clock.uptime();
    world.env.advance(2.0);
    auto flights = flightTimes(world, shown);
    ASSERT_GE(flights.size(), 4u);
    // Two fully confirmed flights, then one every 0.45 s (at the next poll).
    EXPECT_LT(flights[1] - flights[0], 0.1);
    for (size_t i = 2; i < flights.size(); ++i) {
        EXPECT_GE(flights[i] - flights[i - 1], 0.45 - 1e-9) << i;
        EXPECT_LE(flights[i] - flights[i - 1], 0.5 + 1e-9) << i;
    }
    EXPECT_EQ(world.shownLabels().size(), kNamed.size());

    // Expanding the bar moves every caption: the labels come down at once and return at the new
    // places, recognised back to back until settled again.
    world.env.session.setSpacesBarExpanded(true);
    const double expanded = world.env.clock.uptime();
    EXPECT_LE(world.runUntil([&] { return world.shownLabels().empty(); }, 0.5, 0.005), 0.15);  // the next geometry read
    const double back = world.runUntil([&] { return world.shownLabels().size() == kNamed.size(); }, 1.0);
    EXPECT_LE(back, 0.5);
    const double primaryTop = world.env.session.displays.front().bounds.height();
    for (const auto& named : kNamed) {
        const Rect caption = *world.caption(named.title);
        EXPECT_NEAR(world.shownLabel(named.desktop)->frame().midX(), caption.midX(), 1e-9) << named.name;
        EXPECT_NEAR(world.shownLabel(named.desktop)->frame().midY(), primaryTop - caption.midY(), 1e-9) << named.name;
    }
    world.env.advance(2.0);
    flights = flightTimes(world, expanded);
    ASSERT_GE(flights.size(), 5u);
    EXPECT_LT(flights[1] - flights[0], 0.1);
    EXPECT_LT(flights[2] - flights[1], 0.1);
    EXPECT_GE(flights.back() - flights[flights.size() - 2], 0.45 - 1e-9);
}

std::map<std::string, std::string> namesFile(LabelWorld& world) {
    std::map<std::string, std::string> names;
    auto parsed = json::parse(files::read(world.env.home.path() / "Library/Application Support/Tarnwick/names.json"));
    if (!parsed || !parsed->find("names")) return names;
    for (const auto& [id, name] : *parsed->find("names")->asDictionary()) names[id] = *name.asString();
    return names;
}

TEST_F(LabelRoadTest, AnOptionDoubleClickRenamesTheDesktopOnItsOwnDisplay) {
    std::vector<std::string> hooked;
    int readsAtClick = 0;
    world.controller.quickRename = [&](const std::string& desktopID) {
        hooked.push_back(desktopID);
        EXPECT_TRUE(world.shownLabels().empty());        // every label came down first
        EXPECT_GT(world.geometryReads(), readsAtClick);  // after a read that began after the click
        EXPECT_TRUE(world.promptRename(desktopID));
    };
    world.env.session.alertScript.answers.push_back(sim::SimAlertAnswer("Save", "Mail"));
    ASSERT_LE(openWithLabels(), 0.5);

    world.env.session.holdModifiers(flags::kOption);
    world.env.advance(0.2);  // the reveal ends; the next poll lets the labels take the mouse
    ui::Panel* label = world.shownLabel(LabelWorld::kDesktop4);
    ASSERT_TRUE(label);
    EXPECT_FALSE(label->ignoresMouseEvents());
    readsAtClick = world.geometryReads();
    const auto [first, second] = world.env.session.windowSystem().doubleClick(world.labelCentre(LabelWorld::kDesktop4));
    EXPECT_EQ(first.panel, label);
    EXPECT_EQ(second.panel, label);
    world.runUntil([&] { return !hooked.empty(); }, 0.2, 0.001);
    ASSERT_EQ(hooked, std::vector<std::string>{LabelWorld::kDesktop4});
    EXPECT_FALSE(world.controller.isRenaming());
    EXPECT_EQ(world.records("quick-rename-requested").size(), 1u);
    EXPECT_EQ(world.records("quick-rename-requested").front().field("uuid"), LabelWorld::kDesktop4);

    // The prompt sat in the middle of the desktop's own display and saved the typed name.
    const auto& shown = world.env.session.alertScript.shown;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].alert.messageText, "Rename Desktop 4");
    EXPECT_EQ(shown[0].alert.textField->placeholderString, "Desktop 4");
    EXPECT_EQ(shown[0].screen, 2u);
    const Rect visible = platform::ui::screens()[1].visibleFrame;
    EXPECT_EQ(shown[0].windowFrame.midX(), visible.midX());
    EXPECT_EQ(shown[0].windowFrame.midY(), visible.midY());
    EXPECT_EQ(namesFile(world).at(LabelWorld::kDesktop4), "Mail");

    const double back = world.runUntil([&] {
        auto* panel = world.shownLabel(LabelWorld::kDesktop4);
        return panel && panel->shownTexts() == std::vector<std::string>{"Mail"};
    });
    EXPECT_LE(back, 0.5);
    EXPECT_EQ(world.shownLabels().size(), kNamed.size());
}

TEST_F(LabelRoadTest, ADoubleClickWithoutOptionOrDuringTheRevealRenamesNothing) {
    std::vector<std::string> hooked;
    world.controller.quickRename = [&](const std::string& desktopID) { hooked.push_back(desktopID); };
    ASSERT_LE(openWithLabels(), 0.5);
    // Still revealing: the label lets the clicks through, Option or not.
    world.env.session.holdModifiers(flags::kOption);
    auto during = world.env.session.windowSystem().doubleClick(world.labelCentre(LabelWorld::kDesktop2));
    EXPECT_TRUE(during.second.wentPastPanels());
    world.env.advance(0.2);
    EXPECT_TRUE(hooked.empty());
    EXPECT_TRUE(world.records("quick-rename-requested").empty());
}

TEST_F(LabelRoadTest, ADoubleClickWithoutOptionGoesPastTheLabels) {
    std::vector<std::string> hooked;
    world.controller.quickRename = [&](const std::string& desktopID) { hooked.push_back(desktopID); };
    ASSERT_LE(openWithLabels(), 0.5);
    world.env.advance(0.2);
    auto plain = world.env.session.windowSystem().doubleClick(world.labelCentre(LabelWorld::kDesktop6));
    EXPECT_TRUE(plain.first.wentPastPanels());
    EXPECT_TRUE(plain.second.wentPastPanels());
    world.env.advance(0.2);
    EXPECT_TRUE(hooked.empty());
}

TEST_F(LabelRoadTest, APlainClickOnALabelGoesThroughToMissionControl) {
    world.controller.setOptions(MissionControlOverlayOptions{true, true});
    ASSERT_LE(openWithLabels(), 0.5);
    world.env.session.setSpacesBarExpanded(true);  // the previews the slots measure
    world.runUntil([&] { return world.shownLabels().empty(); });
    world.runUntil([&] {
        return world.controller.publishedApplicationSlots().size() == 6 && world.shownLabels().size() == kNamed.size();
    });
    ASSERT_EQ(world.controller.publishedApplicationSlots().size(), 6u);  // every desktop's preview
    ASSERT_EQ(world.shownLabels().size(), kNamed.size());
    const auto slotListsBefore = world.slotLists.size();

    const auto click = world.env.session.windowSystem().click(world.labelCentre(LabelWorld::kDesktop6));
    ASSERT_TRUE(click.pressedDesktop);
    EXPECT_EQ(*click.pressedDesktop, (std::pair<std::uint32_t, std::uint64_t>{2, 8}));
    world.env.advance(1.0);
    EXPECT_EQ(world.env.session.display(2)->currentSpace, 8u);
    EXPECT_FALSE(world.env.session.missionControlOpen);
    EXPECT_EQ(world.visibility, (std::vector<bool>{true, false}));
    EXPECT_TRUE(world.shownLabels().empty());
    // One empty list after the last non-empty one, and nothing more.
    ASSERT_GT(world.slotLists.size(), slotListsBefore);
    EXPECT_TRUE(world.slotLists.back().empty());
    EXPECT_FALSE(world.slotLists[world.slotLists.size() - 2].empty());
    const auto published = world.slotLists.size();
    world.env.advance(1.0);
    EXPECT_EQ(world.slotLists.size(), published);
}

}  // namespace
}  // namespace tarnwick
