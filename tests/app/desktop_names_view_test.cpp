// The Desktop Names view: sections and their headers, desktop rows with their name fields saved
// at every keystroke, the icon areas and their texts, icon focus and motion, opening an app, and
// the bottom bar with its message and Refresh.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/desktop_names_view.h"
#include "applications/application_icon_cache.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "support/executor.h"
#include "support/files.h"
#include "support/task.h"
#include "testkit/hosted_view.h"
#include "testkit/numbered_uuid.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using ui::Node;
using Status = DesktopApplicationInventory::Status;
using Entry = DesktopApplicationInventory::Entry;
using Strings = std::vector<std::string>;

using testkit::uuidFor;

const std::string kBuiltIn = uuidFor(0xB1);
const std::string kStudio = uuidFor(0x57);
const std::string kD1 = uuidFor(1);
const std::string kD2 = uuidFor(2);
const std::string kD3 = uuidFor(3);
const SpaceApplication kMail{"com.apple.mail", "Mail", std::nullopt};
const SpaceApplication kNotes{"com.apple.Notes", "Notes", std::nullopt};

using Openings = std::vector<std::pair<std::string, std::string>>;

Task<void> recordOpening(Openings* openings, std::string app, std::string desktop) {
    openings->emplace_back(std::move(app), std::move(desktop));
    co_return;
}

// Two displays: the built-in one with two desktops, the studio display with one; the names
// model's catalog set by hand, the inventory's entries too.
class DesktopNamesViewTest : public ::testing::Test {
protected:
    DesktopNamesViewTest() {
        env.session.loadDefaultSession();
        model = std::make_unique<DesktopNamesModel>();
        model->monitors.set({
            DesktopMonitor{kBuiltIn, "Built-in Retina Display", Rect(0, 0, 1512, 982),
                           {{kD1, 1, "Desktop 1", true}, {kD2, 2, "Desktop 2", false}}},
            DesktopMonitor{kStudio, "Studio Display", Rect(1512, 0, 2560, 1440), {{kD3, 3, "Desktop 3", true}}},
        });
        DesktopApplicationInventory::Services services{&loader, &icons, {}, {}};
        services.openWindow = [this](std::string app, std::string desktop, DesktopCatalogFunction) {
            return recordOpening(&openings, std::move(app), std::move(desktop));
        };
        inventory = std::make_unique<DesktopApplicationInventory>([this] { return model->monitors.get(); },
                                                                  [this] { ++catalogRefreshes; }, &scheduler, services);
        auto owned = std::make_unique<DesktopNamesView>(*model, *inventory, settings);
        view = owned.get();
        hosted = std::make_unique<testkit::HostedView>(std::move(owned), Rect(100, 100, 650, 650));
        hosted->show();
        env.settle();
    }

    void setEntries(DesktopApplicationInventory::Entries entries) {
        inventory->entries.set(std::move(entries));
        env.settle();
    }
    ui::ViewHost& host() { return hosted->host(); }
    const Node& node(const std::string& identifier) { return hosted->node(identifier); }
    const Node* text(const std::string& shown) { return hosted->text(shown); }
    // The texts of a desktop's row, after its native title.
    Strings rowTexts(const std::string& desktopID) {
        const Node* row = node(DesktopNamesView::nameIdentifier(desktopID)).parent()->parent();
        return host().texts(row);
    }

    testkit::TestEnvironment env;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    SpaceApplicationSnapshotLoader loader{[this] { return env.clock.uptime(); }, nullptr, &reader};
    ApplicationIconCache icons{[this] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver};
    InventoryRefreshScheduler scheduler{[](InventoryRefreshScheduler::FireAction, double) {
        return InventoryRefreshScheduler::StopAction([] {});
    }};
    std::unique_ptr<DesktopNamesModel> model;
    std::unique_ptr<DesktopApplicationInventory> inventory;
    SettingsModel settings;
    DesktopNamesView* view = nullptr;
    std::unique_ptr<testkit::HostedView> hosted;
    Openings openings;
    int catalogRefreshes = 0;
};

TEST_F(DesktopNamesViewTest, SectionHeadersShowTheShownNameWithTheSymbolOfTheDisplaysOwnName) {
    const Node* builtIn = text("Built-in Retina Display");
    ASSERT_TRUE(builtIn);
    EXPECT_EQ(builtIn->as<ui::LabelContent>()->systemImage, "laptopcomputer");
    EXPECT_TRUE(builtIn->modifiers().accessibility().header);
    EXPECT_TRUE(text("2 desktops"));
    EXPECT_TRUE(text("1 desktop"));
    EXPECT_EQ(text("Studio Display")->as<ui::LabelContent>()->systemImage, "display");

    // An alias is shown, but the symbol and the tooltip still come from the display's own name.
    model->editDisplayName("Laptop", kBuiltIn);
    model->commitDisplayName(kBuiltIn);
    env.settle();
    const Node* alias = text("Laptop");
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->as<ui::LabelContent>()->systemImage, "laptopcomputer");
    EXPECT_EQ(alias->modifiers().accessibility().help, "Built-in Retina Display");
    EXPECT_EQ(node(DesktopNamesView::nameIdentifier(kD2)).modifiers().accessibility().label, "Desktop 2 on Laptop");
}

TEST_F(DesktopNamesViewTest, RowsLineUpTheirFieldsWhetherOrNotTheDesktopIsCurrent) {
    const Node& first = node(DesktopNamesView::nameIdentifier(kD1));
    const Node& second = node(DesktopNamesView::nameIdentifier(kD2));
    EXPECT_EQ(first.frame().minX(), second.frame().minX());
    EXPECT_EQ(first.frame().width(), second.frame().width());
    EXPECT_EQ(text("Desktop 2")->frame().width(), 86);
    EXPECT_EQ(text("Current")->frame().width(), 48);
    const Node& filler = second.parent()->parent()->children().back();
    EXPECT_EQ(filler.frame().size, (Size{48, 1}));
    EXPECT_TRUE(filler.modifiers().accessibility().hidden);
    EXPECT_TRUE(text(DesktopNamesView::kSavingHint));
    EXPECT_TRUE(node(DesktopNamesView::nameIdentifier(kD1)).as<ui::TextFieldContent>()->options.titleHidden);
}

TEST_F(DesktopNamesViewTest, EveryKeystrokeSavesTheWholeTextAndAnEmptyFieldRestoresTheDefault) {
    // The catalog the model saves against is the session's: name one of its desktops.
    model->refresh(true);
    env.settle();
    const std::string desktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
    ASSERT_TRUE(host().type(node(DesktopNamesView::nameIdentifier(desktop)), "Mail"));
    EXPECT_EQ(model->drafts->at(desktop), "Mail");
    EXPECT_EQ(model->store().names().at(desktop), "Mail");
    const auto namesFile = platform::applicationSupportFolder() / "Tarnwick" / "names.json";
    EXPECT_NE(files::read(namesFile).find("\"Mail\""), std::string::npos);

    ASSERT_TRUE(host().clearText(node(DesktopNamesView::nameIdentifier(desktop))));
    EXPECT_EQ(model->drafts->at(desktop), "");
    EXPECT_TRUE(model->store().names().empty());
    env.settle();
    EXPECT_EQ(node(DesktopNamesView::nameIdentifier(desktop)).as<ui::TextFieldContent>()->text(), "");
    // Emptied, it shows its placeholder, no text of its own.
    EXPECT_EQ(node(DesktopNamesView::nameIdentifier(desktop)).as<ui::TextFieldContent>()->shownPlaceholder(),
              std::optional<std::string>("Custom name"));
    EXPECT_EQ(host().texts(&node(DesktopNamesView::nameIdentifier(desktop))), Strings{});
}

TEST_F(DesktopNamesViewTest, TheIconAreaSaysWhatIsKnownOfADesktopsApps) {
    EXPECT_EQ(DesktopNamesView::applicationsText(nullptr), "Reading apps\u2026");
    setEntries({{kD1, Entry{{}, Status::ready}}, {kD2, Entry{{}, Status::incomplete}}, {kD3, Entry{{}, Status::loading}}});
    EXPECT_EQ(rowTexts(kD1), (Strings{"Desktop 1", "No app windows", "Current"}));
    EXPECT_EQ(rowTexts(kD2), (Strings{"Desktop 2", "Apps unavailable"}));
    EXPECT_EQ(rowTexts(kD3), (Strings{"Desktop 3", "Reading apps\u2026", "Current"}));

    setEntries({{kD1, Entry{{kMail, kNotes}, Status::incomplete}}, {kD2, Entry{{kNotes}, Status::unavailable}}});
    EXPECT_EQ(rowTexts(kD1), (Strings{"Desktop 1", "Some apps could not be read", "Current"}));
    EXPECT_EQ(rowTexts(kD2), (Strings{"Desktop 2"}));  // icons whatever the status
    const Node& mail = node(DesktopNamesView::applicationIdentifier(kD1, kMail.id));
    EXPECT_EQ(mail.modifiers().accessibility().help, "Open Mail on Desktop 1");
    EXPECT_EQ(mail.modifiers().accessibility().label, "Open Mail on Desktop 1 on Built-in Retina Display");
    EXPECT_EQ(mail.parent()->modifiers().accessibility().containerLabel, "Apps on Desktop 1");
    EXPECT_EQ(mail.parent()->as<ui::GridContent>()->columnMinimum, 20);

    settings.update([](AppPreferences& p) { p.applicationIconSize = 32; });
    env.settle();
    const Node& button = node(DesktopNamesView::applicationIdentifier(kD1, kMail.id));
    EXPECT_EQ(button.frame().size, (Size{36, 36}));
    EXPECT_EQ(button.children().front().frame().size, (Size{32, 32}));
}

TEST_F(DesktopNamesViewTest, AFocusedIconGrowsWithAShortEaseOutAndWithoutItUnderReduceMotion) {
    setEntries({{kD1, Entry{{kMail, kNotes}, Status::ready}}});
    const auto image = [&](const SpaceApplication& app) -> const Node& {
        return node(DesktopNamesView::applicationIdentifier(kD1, app.id)).children().front();
    };
    host().moveFocus(node(DesktopNamesView::applicationIdentifier(kD1, kNotes.id)));
    EXPECT_EQ(view->focusedApplication.get(), std::optional<std::string>(kD1 + "." + kNotes.id));
    env.settle();
    EXPECT_DOUBLE_EQ(image(kNotes).modifiers().scale, 1.08);
    EXPECT_DOUBLE_EQ(image(kMail).modifiers().scale, 1.0);
    const auto running = host().animationInFlight(image(kNotes));
    ASSERT_TRUE(running);
    EXPECT_EQ(running->animation, ui::Animation::easeOut(0.12));
    EXPECT_TRUE(node(DesktopNamesView::applicationIdentifier(kD1, kNotes.id)).modifiers().focusEffectDisabled);

    env.session.setReduceMotion(true);
    env.advance(1);
    host().moveFocus(node(DesktopNamesView::applicationIdentifier(kD1, kMail.id)));
    env.settle();
    EXPECT_DOUBLE_EQ(image(kMail).modifiers().scale, 1.08);
    EXPECT_FALSE(host().animationInFlight(image(kMail)));
}

TEST_F(DesktopNamesViewTest, ClickingAnIconOpensThatAppOnThatDesktop) {
    inventory->start();
    env.settle();
    setEntries({{kD2, Entry{{kMail}, Status::ready}}});
    ASSERT_TRUE(host().click(node(DesktopNamesView::applicationIdentifier(kD2, kMail.id))));
    env.settle();
    EXPECT_EQ(openings, (Openings{{kMail.id, kD2}}));
}

TEST_F(DesktopNamesViewTest, TheModelsMessageWinsOverTheActivationErrorAndRefreshReadsEverythingAgain) {
    inventory->activationError.set("The window could not be brought forward.");
    env.settle();
    EXPECT_TRUE(text("The window could not be brought forward."));
    model->errorMessage.set("Desktop information is not available. Try Refresh.");
    env.settle();
    EXPECT_FALSE(text("The window could not be brought forward."));
    const Node* message = text("Desktop information is not available. Try Refresh.");
    ASSERT_TRUE(message);
    EXPECT_EQ(message->foregroundColor(), ui::Color::systemRed());

    // Command-R: the catalog for the user, then the inventory.
    int catalogChanges = 0;
    model->catalogChanged = [&] { ++catalogChanges; };
    inventory->start();
    env.settle();
    const auto refreshButton = [&]() -> const Node& { return *text("Refresh")->parent(); };
    EXPECT_EQ(refreshButton().controlSize(), ui::ControlSize::large);
    EXPECT_EQ(refreshButton().as<ui::ButtonContent>()->style, ui::ButtonStyle::glassProminent);
    EXPECT_TRUE(host().keyDown(platform::KeyEvent{15, "r", platform::modifier_flags::kCommand}));
    env.settle();
    EXPECT_EQ(catalogChanges, 2);  // the catalog changed, and the user asked
    // The session's catalog holds none of the hand-made desktops: the names model's message is gone.
    EXPECT_FALSE(text("Desktop information is not available. Try Refresh."));
}

TEST_F(DesktopNamesViewTest, WithoutDisplaysTheFormSaysSoAndRefreshStays) {
    model->monitors.set({});
    env.settle();
    EXPECT_TRUE(text(DesktopNamesView::kEmptyText));
    EXPECT_FALSE(text("Desktop 1"));
    EXPECT_TRUE(text("Refresh"));
    const Node* form = text(DesktopNamesView::kEmptyText)->parent();
    EXPECT_TRUE(form->as<ui::FormContent>());
    EXPECT_EQ(form->children().size(), 1u);
}

}  // namespace
}  // namespace tarnwick
