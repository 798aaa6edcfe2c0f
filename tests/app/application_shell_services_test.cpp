#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/application_shell_services.h"
#include "testkit/label_world.h"

namespace tarnwick::app {
namespace {

using testkit::LabelWorld;

struct Shell final : ApplicationShellServiceOwner {
    DesktopNamesModel model;
    std::unique_ptr<MissionControlApplicationPanels> panels;
    int panelsMade = 0;
    DesktopNamesModel& namesModel() override { return model; }
    MissionControlApplicationPanels& missionControlApplicationPanels() override {
        if (!panels) {
            ++panelsMade;
            panels = std::make_unique<MissionControlApplicationPanels>(nullptr, [] { return nullptr; });
        }
        return *panels;
    }
};

TEST(ApplicationShellServicesTest, TheClosuresReadTheNamesModelAndDescribeDesktops) {
    LabelWorld world(LabelWorld::Names{{LabelWorld::kDesktop4, "Code"}});
    auto& services = world.services;
    auto& model = world.shell->model;

    const auto configuration = services.configurationProvider(true);
    EXPECT_EQ(configuration.monitors, model.monitors.get());
    EXPECT_EQ(configuration.names, (std::map<std::string, std::string>{{LabelWorld::kDesktop4, "Code"}}));
    EXPECT_EQ(services.monitors().size(), 2u);

    // A desktop added meanwhile shows up after a forced refresh only.
    world.env.session.addDesktop(2, sim::SimSpace{90, "5C6B7A8F-9E0D-4BCC-9BEA-F9A8B7C6D505", 0, ""});
    EXPECT_EQ(services.monitors()[1].desktops.size(), 3u);
    services.refreshCatalog();
    EXPECT_EQ(services.monitors()[1].desktops.size(), 4u);

    EXPECT_EQ(services.describe({LabelWorld::kDesktop4, LabelWorld::kDisplay2, 4}), "Apps on Code, Studio Display");
    EXPECT_EQ(services.describe({LabelWorld::kDesktop5, LabelWorld::kDisplay2, 6}), "Apps on Desktop 5, Studio Display");
    model.editDisplayName("Desk", LabelWorld::kDisplay2);
    model.commitDisplayName(LabelWorld::kDisplay2);
    EXPECT_EQ(services.describe({LabelWorld::kDesktop5, LabelWorld::kDisplay2, 6}), "Apps on Desktop 5, Desk");
    // The desktop on another display, or unknown: the plain description.
    EXPECT_EQ(services.describe({LabelWorld::kDesktop5, LabelWorld::kDisplay1, 6}), "Desktop applications");
    EXPECT_EQ(services.describe({"nobody", LabelWorld::kDisplay2, 6}), "Desktop applications");
}

TEST(ApplicationShellServicesTest, WithTheOwnerGoneTheyGiveNothingAndNeverFail) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    auto shell = std::make_shared<Shell>();
    const auto services = ApplicationShellServices::make(shell);
    EXPECT_FALSE(services.monitors().empty());
    shell.reset();
    const auto configuration = services.configurationProvider(true);
    EXPECT_TRUE(configuration.monitors.empty());
    EXPECT_TRUE(configuration.names.empty());
    EXPECT_TRUE(services.monitors().empty());
    services.refreshCatalog();
    EXPECT_EQ(services.describe({LabelWorld::kDesktop4, LabelWorld::kDisplay2, 4}), "Desktop applications");
    services.render({});
}

TEST(ApplicationShellServicesTest, RenderingMakesTheOwnersPanelsOnFirstUse) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    auto shell = std::make_shared<Shell>();
    const auto services = ApplicationShellServices::make(shell);
    EXPECT_EQ(shell->panelsMade, 0);
    services.render({});
    services.render({});
    EXPECT_EQ(shell->panelsMade, 1);
    EXPECT_EQ(shell->panels->panelCount(), 0u);
}

}  // namespace
}  // namespace tarnwick::app
