// The overview view as the host renders it, read and worked by accessibility identifier: what
// each part says, the pointer, the keyboard through the hosting view, and the reactions.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overview/overview_keyboard_hosting_view.h"
#include "overview/preview_world.h"
#include "overview/workstation_row_cursor.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "testkit/many_displays_session.h"

namespace tarnwick {
namespace {

using namespace preview_testing;
namespace ui = platform::ui;
using ui::Node;
using Strings = std::vector<std::string>;
using Hosting = OverviewKeyboardHostingView<WorkstationPreviewView>;

constexpr double kHighlight = 0.12;

// The view hosted as the presenter hosts it: in the keyboard hosting view filling a 368 x 560
// panel at (200, 200).
class RenderedPreviewTest : public PreviewViewTest {
protected:
    RenderedPreviewTest() {
        hosting = std::make_shared<Hosting>(std::move(owned));
        panel = std::make_unique<ui::Panel>(Rect(200, 200, 368, 560), ui::style_mask::kNonactivatingPanel);
        panel->setContentView(hosting);
        hosting->layoutSubtreeIfNeeded();
    }

    ui::ViewHost& host() { return hosting->host(); }
    void settle() { env.settle(); }
    const Node* find(const std::string& identifier) { return host().find(identifier); }
    const Node& row(const std::string& desktopID) { return *find(View::desktopIdentifier(desktopID))->parent(); }
    const Node& button(const std::string& desktopID) { return *find(View::desktopIdentifier(desktopID)); }
    const Node& titles(const std::string& desktopID) { return button(desktopID).children()[0].children()[0]; }
    const Node* icon(const std::string& desktopID, const std::string& appID) {
        return find(View::applicationIdentifier(desktopID, appID));
    }
    // The icon's image inside its button.
    const Node& iconImage(const Node& icon) { return icon.children()[0].children()[0]; }
    double fill(const std::string& desktopID) {
        return row(desktopID).modifiers().backgrounds[0].as<ui::ShapeContent>()->fillOpacity;
    }
    std::vector<const Node*> allWithText(const std::string& text) {
        std::vector<const Node*> found;
        std::function<void(const Node&)> walk = [&](const Node& node) {
            Strings own;
            node.content()->collectText(own);
            if (!own.empty() && own[0] == text) found.push_back(&node);
            for (const auto& child : node.children()) walk(child);
        };
        walk(*host().root());
        return found;
    }
    // Keyboard mode as the presenter sets it up, with focus asked for `target`.
    void explicitMode(std::optional<Target> target = std::nullopt) {
        status.interactionMode.set(Mode::explicit_);
        status.requestFocus(std::move(target));
        settle();
        settle();
    }
    bool key(std::uint16_t code, platform::ModifierFlags modifiers = 0) { return hosting->keyDown({code, {}, modifiers}); }

    std::shared_ptr<Hosting> hosting;
    std::unique_ptr<ui::Panel> panel;
};

TEST_F(RenderedPreviewTest, HeaderSectionsAndRowsSayWhatTheModelsHold) {
    const Node* title = host().findText("Workstation");
    ASSERT_TRUE(title);
    EXPECT_TRUE(title->modifiers().accessibility().header);
    EXPECT_EQ(title->textStyle(), ui::TextStyle::headline);
    const Node* counts = host().findText("2 monitors \u00B7 3 desktops");
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->textStyle(), ui::TextStyle::caption);
    EXPECT_EQ(counts->foregroundColor(), ui::Color::secondaryLabel());

    // Display headers: the shown name with its symbol, at most two lines, the system's name as
    // tooltip, and the desktop count that is never cut short.
    const Node* builtIn = host().findText("Built-in Retina Display");
    ASSERT_TRUE(builtIn);
    EXPECT_EQ(builtIn->as<ui::LabelContent>()->systemImage, "laptopcomputer");
    EXPECT_EQ(builtIn->lineLimit(), 2);
    EXPECT_TRUE(builtIn->modifiers().accessibility().header);
    EXPECT_EQ(host().findText("Studio Display")->as<ui::LabelContent>()->systemImage, "display");
    EXPECT_TRUE(host().findText("2 desktops")->modifiers().fixedWidth);
    EXPECT_TRUE(host().findText("1 desktop"));
    model->editDisplayName("Desk", kStudio);
    model->commitDisplayName(kStudio);
    settle();
    const Node* alias = host().findText("Desk");
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->modifiers().accessibility().help, "Studio Display");
    EXPECT_EQ(alias->as<ui::LabelContent>()->systemImage, "display");

    // Rows: help and accessibility name the display by its shown name; "Current" on each
    // display's current desktop.
    EXPECT_EQ(button(kD1).modifiers().accessibility().help, "Switch to Desktop 1 on Built-in Retina Display");
    EXPECT_EQ(button(kD1).modifiers().accessibility().label, "Switch to Desktop 1 on Built-in Retina Display");
    EXPECT_EQ(button(kD3).modifiers().accessibility().label, "Switch to Desktop 3 on Desk");
    EXPECT_EQ(button(kD1).modifiers().accessibility().value, "Current desktop");
    EXPECT_EQ(button(kD2).modifiers().accessibility().value, "");
    const auto current = allWithText("Current");
    ASSERT_EQ(current.size(), 2u);
    EXPECT_EQ(current[0]->as<ui::LabelContent>()->systemImage, "checkmark.circle.fill");
    EXPECT_EQ(current[0]->foregroundColor(), ui::Color::systemBlue());
    EXPECT_EQ(current[0]->modifiers().accessibility().label, "Current desktop");
    EXPECT_EQ(host().texts(&button(kD2)), Strings{"Desktop 2"});

    // A saved name shows with the native title under it; a blank one shows the native title alone.
    ASSERT_TRUE(model->rename("  Work\n", kD2));
    ASSERT_TRUE(model->rename("Desktop 3", kD3));
    settle();
    EXPECT_EQ(host().texts(&button(kD2)), (Strings{"Work", "Desktop 2"}));
    EXPECT_EQ(host().texts(&button(kD3)), (Strings{"Desktop 3", "Current"}));
    EXPECT_EQ(titles(kD2).children()[1].foregroundColor(), ui::Color::secondaryLabel());
}

TEST_F(RenderedPreviewTest, TheHintAndTheErrorLinesComeAndGoWithTheirCauses) {
    const auto tail = [&] {
        Strings texts = host().texts();
        return Strings(texts.end() - 2, texts.end());
    };
    EXPECT_FALSE(host().findText(View::kKeyboardHint));
    status.interactionMode.set(Mode::explicit_);
    model->errorMessage.set("Desktop information is not available. Try Refresh.");
    status.errorMessage.set("This desktop changed. Try the overview again.");
    settle();
    const Node* hint = host().findText(View::kKeyboardHint);
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->textStyle(), ui::TextStyle::caption);
    // The names error first, in the secondary colour; the status error last, in red.
    EXPECT_EQ(tail(), (Strings{"Desktop information is not available. Try Refresh.",
                               "This desktop changed. Try the overview again."}));
    const Node* names = host().findText("Desktop information is not available. Try Refresh.");
    const Node* navigation = host().findText("This desktop changed. Try the overview again.");
    EXPECT_EQ(names->as<ui::LabelContent>()->systemImage, "exclamationmark.circle");
    EXPECT_EQ(names->foregroundColor(), ui::Color::secondaryLabel());
    EXPECT_EQ(navigation->as<ui::LabelContent>()->systemImage, "exclamationmark.circle");
    EXPECT_EQ(navigation->foregroundColor(), ui::Color::systemRed());
    EXPECT_TRUE(navigation->modifiers().fixedHeight);
    EXPECT_GT(hint->frame().minY(), find(View::desktopIdentifier(kD1))->frame().minY());
    EXPECT_GT(navigation->frame().minY(), names->frame().minY());

    status.interactionMode.set(Mode::hover);
    model->errorMessage.set(std::nullopt);
    status.errorMessage.set(std::nullopt);
    settle();
    EXPECT_FALSE(host().findText(View::kKeyboardHint));
    EXPECT_EQ(host().texts().back(), "Reading apps\u2026");
}

TEST_F(RenderedPreviewTest, IconsAndStatusLinesFollowEachEntry) {
    // Desktop 1 is read (no line); desktop 2 is not yet read; desktop 3 is read again and keeps
    // its app meanwhile.
    EXPECT_EQ(host().texts(&row(kD1)), (Strings{"Desktop 1", "Current"}));
    EXPECT_EQ(host().texts(&row(kD2)), (Strings{"Desktop 2", "Reading apps\u2026"}));
    EXPECT_EQ(host().texts(&row(kD3)), (Strings{"Desktop 3", "Current", "Reading apps\u2026"}));
    EXPECT_TRUE(icon(kD3, kSafari.id));
    EXPECT_TRUE(host().findText("Reading apps\u2026")->modifiers().fixedHeight);

    const Node* mail = icon(kD1, kMail.id);
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->modifiers().accessibility().help, "Open Mail on Desktop 1");
    EXPECT_EQ(mail->modifiers().accessibility().label, "Open Mail on Desktop 1 on Built-in Retina Display");
    EXPECT_TRUE(mail->modifiers().focusEffectDisabled);
    const Node& grid = *mail->parent();
    EXPECT_EQ(grid.modifiers().accessibility().containerLabel, "Apps on Desktop 1");
    // Columns exactly 20 wide at the default size, 4 apart.
    EXPECT_EQ(mail->frame().size, (Size{20, 20}));
    EXPECT_EQ(icon(kD1, kNotes.id)->frame().minX() - mail->frame().minX(), 24);
    EXPECT_EQ(iconImage(*mail).frame().size, (Size{16, 16}));
    EXPECT_EQ(iconImage(*mail).as<ui::ImageContent>()->interpolation, ui::ImageInterpolation::high);

    settings.update([](AppPreferences& p) { p.overviewIconSize = 24; });
    inventory->entries.set({{kD1, Entry{{kMail, kNotes}, Status::incomplete}},
                            {kD2, Entry{{}, Status::ready}},
                            {kD3, Entry{{}, Status::incomplete}}});
    settle();
    mail = icon(kD1, kMail.id);
    EXPECT_EQ(mail->frame().size, (Size{28, 28}));
    EXPECT_EQ(icon(kD1, kNotes.id)->frame().minX() - mail->frame().minX(), 32);
    EXPECT_EQ(host().texts(&row(kD1)).back(), "Some app information could not be read");
    EXPECT_EQ(host().texts(&row(kD2)).back(), "No app windows");
    EXPECT_EQ(host().texts(&row(kD3)).back(), "App information incomplete");
    EXPECT_FALSE(icon(kD3, kSafari.id));
}

TEST_F(RenderedPreviewTest, NoDisplaysOrADisplayWithoutDesktopsStillExplainThemselves) {
    model->monitors.set({});
    settle();
    EXPECT_TRUE(host().findText("0 monitors \u00B7 0 desktops"));
    EXPECT_TRUE(host().findText("No desktops available"));
    EXPECT_TRUE(host().findText("Connected monitors and ordinary desktops will appear here."));
    model->errorMessage.set("Desktop information is not available. Try Refresh.");
    settle();
    EXPECT_TRUE(host().findText("Desktop information unavailable"));
    EXPECT_FALSE(host().findText("No desktops available"));
    // Keyboard mode has nothing to select, and Return opens nothing.
    explicitMode();
    EXPECT_EQ(view->keyboardSelection.get(), std::nullopt);
    EXPECT_TRUE(key(keys::kReturn));
    EXPECT_TRUE(picks.empty());

    model->errorMessage.set(std::nullopt);
    model->monitors.set({DesktopMonitor{kStudio, "Studio Display", Rect(0, 0, 100, 100), {}}});
    settle();
    EXPECT_TRUE(host().findText("1 monitor \u00B7 0 desktops"));
    EXPECT_TRUE(host().findText("0 desktops"));
    EXPECT_TRUE(host().findText("No ordinary desktops available"));
}

TEST_F(RenderedPreviewTest, LongNamesTakeTwoLinesThenAreCutShort) {
    const std::string longName =
        "A desktop for everything that has to do with the quarterly planning of the team, its budget and its people";
    ASSERT_TRUE(model->rename(longName, kD2));
    model->editDisplayName("The display on the left of the desk, next to the window, with the plant and the lamp nobody ever turns off", kStudio);
    model->commitDisplayName(kStudio);
    settle();
    const Node* name = host().findText(longName);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->as<ui::TextContent>()->lines, 2);
    EXPECT_TRUE(name->as<ui::TextContent>()->truncated);
    const Node* display = host().findText("The display on the left of the desk, next to the window, with the plant and the lamp nobody ever turns off");
    EXPECT_EQ(display->as<ui::LabelContent>()->lines, 2);
    EXPECT_TRUE(display->as<ui::LabelContent>()->truncated);
    // The count beside it keeps its room.
    const Node* count = host().findText("1 desktop");
    EXPECT_DOUBLE_EQ(count->frame().width(), ui::textMetrics().lineWidth("1 desktop", ui::fontFor(ui::TextStyle::caption)));
    EXPECT_LE(display->frame().maxX(), count->frame().minX());
}

TEST_F(RenderedPreviewTest, ThePointerHighlightsTheWholeRowAndGrowsTheIconWithoutMovingIt) {
    const Node* mail = icon(kD1, kMail.id);
    const Rect square = mail->frame();
    ASSERT_TRUE(host().hover(*mail));
    settle();
    EXPECT_EQ(view->hoveredDesktopID.get(), kD1);  // the row covers its icons
    EXPECT_EQ(fill(kD1), kHighlight);
    mail = icon(kD1, kMail.id);
    EXPECT_EQ(mail->frame(), square);
    EXPECT_EQ(iconImage(*mail).modifiers().scale, 1.08);
    const Rect drawn = host().presentedFrame(iconImage(*mail));
    EXPECT_NEAR(drawn.width(), 17.28, 1e-9);
    EXPECT_NEAR(drawn.midX(), square.midX(), 1e-9);
    EXPECT_NEAR(drawn.midY(), square.midY(), 1e-9);
    const auto growing = host().animationInFlight(iconImage(*mail));
    ASSERT_TRUE(growing);
    EXPECT_EQ(growing->animation, ui::Animation::easeOut(0.12));

    // On to the next row: it is highlighted, the first is not.
    ASSERT_TRUE(host().hover(row(kD2)));
    settle();
    EXPECT_EQ(fill(kD1), 0);
    EXPECT_EQ(fill(kD2), kHighlight);
    EXPECT_EQ(iconImage(*icon(kD1, kMail.id)).modifiers().scale, 1);
    EXPECT_TRUE(host().animationInFlight(row(kD2)));
    env.advance(0.12);
    EXPECT_FALSE(host().animationInFlight(row(kD2)));
    host().unhover();
    settle();
    EXPECT_EQ(view->hoveredDesktopID.get(), std::nullopt);

    // Reduce Motion: the fill changes at once and the icon does not grow.
    env.session.setReduceMotion(true);
    settle();
    ASSERT_TRUE(host().hover(*icon(kD1, kMail.id)));
    settle();
    EXPECT_EQ(fill(kD1), kHighlight);
    EXPECT_FALSE(host().animationInFlight(row(kD1)));
    EXPECT_EQ(iconImage(*icon(kD1, kMail.id)).modifiers().scale, 1);
}

TEST_F(RenderedPreviewTest, TheKeyboardSelectionScalesItsControlAndScrollsItToTheMiddle) {
    explicitMode(Target::desktop(kD2));
    EXPECT_EQ(view->keyboardSelection.get(), Target::desktop(kD2));
    ASSERT_TRUE(host().focusedNode());
    EXPECT_EQ(host().focusedNode()->modifiers().accessibility().identifier, View::desktopIdentifier(kD2));
    EXPECT_EQ(titles(kD2).modifiers().scale, 1.04);
    EXPECT_EQ(titles(kD2).modifiers().scaleAnchor, ui::UnitPoint::leading());
    EXPECT_EQ(titles(kD1).modifiers().scale, 1);
    EXPECT_EQ(button(kD2).frame().height(), button(kD1).frame().height());  // the scale takes no room
    ASSERT_TRUE(host().animationInFlight(titles(kD2)));
    ASSERT_TRUE(host().lastScrollTarget());
    EXPECT_EQ(host().lastScrollTarget()->id, ui::AnyValue(Target::desktop(kD2)));
    EXPECT_EQ(host().lastScrollTarget()->anchor, ui::UnitPoint::center());

    // Under Reduce Motion the selection still shows, at once: the title and an icon.
    env.session.setReduceMotion(true);
    settle();
    EXPECT_TRUE(key(keys::kTab));
    settle();
    EXPECT_EQ(titles(kD3).modifiers().scale, 1.04);
    EXPECT_FALSE(host().animationInFlight(titles(kD3)));
    EXPECT_TRUE(key(keys::kTab));
    settle();
    const Node* safariIcon = icon(kD3, kSafari.id);
    EXPECT_EQ(iconImage(*safariIcon).modifiers().scale, 1.08);
    EXPECT_FALSE(host().animationInFlight(iconImage(*safariIcon)));
    EXPECT_EQ(titles(kD3).modifiers().scale, 1);

    // Hover mode draws nothing selected.
    status.interactionMode.set(Mode::hover);
    settle();
    EXPECT_EQ(iconImage(*icon(kD3, kSafari.id)).modifiers().scale, 1);
    EXPECT_EQ(view->keyboardSelection.get(), std::nullopt);
    EXPECT_EQ(host().focusedNode(), nullptr);
}

TEST_F(RenderedPreviewTest, TheHostingViewSendsCommandsToItsHookAndOtherKeysToTheView) {
    explicitMode();
    ASSERT_EQ(view->keyboardSelection.get(), Target::desktop(kD1));
    EXPECT_TRUE(hosting->acceptsFirstResponder());

    // With a listener: the command goes there, once, and the view's own handler does not act.
    std::vector<OverviewKeyboardCommand> commands;
    hosting->command = [&](const OverviewKeyboardCommand& command) { commands.push_back(command); };
    EXPECT_TRUE(key(keys::kTab, flags::kShift));
    EXPECT_TRUE(key(keys::kKeypadEnter));
    settle();
    EXPECT_EQ(commands, (std::vector{OverviewKeyboardCommand::advance(true), OverviewKeyboardCommand::activate()}));
    EXPECT_EQ(view->keyboardSelection.get(), Target::desktop(kD1));
    EXPECT_TRUE(picks.empty());
    // Keys that give no command reach the view: here nothing takes them.
    EXPECT_FALSE(key(keys::kTab, flags::kControl));
    EXPECT_FALSE(key(0));

    // A listener that lets go of the hook still gets its key, consumed.
    hosting->command = [&](const OverviewKeyboardCommand& command) {
        hosting->command = nullptr;
        commands.push_back(command);
    };
    EXPECT_TRUE(key(keys::kEscape));
    EXPECT_EQ(commands.size(), 3u);
    EXPECT_FALSE(hosting->command);

    // The presenter's forwarding: commands reach the view through the status.
    hosting->command = [&](const OverviewKeyboardCommand& command) { status.keyboardCommands.emit(command); };
    EXPECT_TRUE(key(keys::kTab));
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), mail);

    // Without a listener the view's key handler acts; Option-Return travels on.
    hosting->command = nullptr;
    EXPECT_TRUE(key(keys::kTab));
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), notes);
    EXPECT_FALSE(key(keys::kReturn, flags::kOption));
    EXPECT_TRUE(picks.empty());
    EXPECT_TRUE(key(keys::kReturn));
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0], WorkstationSelection::application(kNotes.id, {kD1, kBuiltIn, 1}));

    // In hover mode no key is the view's.
    status.interactionMode.set(Mode::hover);
    settle();
    EXPECT_FALSE(key(keys::kTab));
    EXPECT_FALSE(key(keys::kEscape));
}

TEST_F(RenderedPreviewTest, ReactionsFollowTheTableOfTriggers) {
    // Showing the panel in keyboard mode applies the focus asked for.
    status.interactionMode.set(Mode::explicit_);
    status.preferredFocus = safari;
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), std::nullopt);  // entering keyboard mode alone does nothing
    panel->orderFrontRegardless();
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), safari);
    EXPECT_EQ(view->keyboardFocus.get(), safari);

    // The platform moves focus on its own: copied; it drops focus: the selection stays.
    host().moveFocus(*icon(kD1, kNotes.id));
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), notes);
    host().dropFocus();
    settle();
    EXPECT_EQ(view->keyboardFocus.get(), std::nullopt);
    EXPECT_EQ(view->keyboardSelection.get(), notes);

    // The selected app leaves the inventory: the first target.
    inventory->entries.set({{kD1, Entry{{kMail}, Status::ready}}});
    settle();
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), d1);
    EXPECT_EQ(view->keyboardFocus.get(), d1);

    // A new focus request, then hover mode clears both; ordered out and in, the state persists
    // until the next request.
    status.requestFocus(d3);
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), d3);
    EXPECT_TRUE(key(keys::kTab, flags::kShift));
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), d2);
    panel->orderOut();
    EXPECT_EQ(view->keyboardSelection.get(), d2);
    panel->orderFrontRegardless();
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), d3);  // coming on screen applies the request again
    status.interactionMode.set(Mode::hover);
    settle();
    EXPECT_EQ(view->keyboardSelection.get(), std::nullopt);
    EXPECT_EQ(view->keyboardFocus.get(), std::nullopt);
}

TEST_F(RenderedPreviewTest, ClicksPassTheCursorRegionToTheControlInFront) {
    panel->orderFrontRegardless();
    settle();
    auto& windows = env.session.windowSystem();
    // The panel's point of a tree point: y up from its bottom left.
    const auto screenPoint = [&](Point p) { return Point{200 + p.x, 200 + 560 - p.y}; };

    // The cursor region lies over the whole desktop button and shows the pointing hand there.
    const Node& desktop = button(kD2);
    auto region = host().bridgedView(desktop.modifiers().backgrounds[0]);
    ASSERT_TRUE(std::dynamic_pointer_cast<WorkstationRowCursor::CursorRegion>(region));
    EXPECT_EQ(region->frame().size, desktop.frame().size);
    ASSERT_EQ(region->cursorRects().size(), 1u);
    EXPECT_EQ(region->cursorRects()[0], (ui::CursorRect{region->bounds(), ui::Cursor::pointingHand}));

    // A click at the far end of the button (past its texts) picks the desktop.
    auto click = windows.click(screenPoint({desktop.frame().maxX() - 2, desktop.frame().midY()}));
    EXPECT_EQ(click.view, hosting.get());
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0], WorkstationSelection::desktop({kD2, kBuiltIn, 2}));

    // A corner of an icon's square picks the app.
    const Node* notesIcon = icon(kD1, kNotes.id);
    windows.click(screenPoint({notesIcon->frame().minX() + 0.5, notesIcon->frame().minY() + 0.5}));
    ASSERT_EQ(picks.size(), 2u);
    EXPECT_EQ(picks[1], WorkstationSelection::application(kNotes.id, {kD1, kBuiltIn, 1}));
    auto iconRegion = host().bridgedView(notesIcon->modifiers().backgrounds[0]);
    EXPECT_EQ(iconRegion->frame().size, (Size{20, 20}));
}

TEST_F(RenderedPreviewTest, AnAppWithoutAnIconGetsTheFallbackInTheSameSquareAndDottedIdsStayWhole) {
    const SpaceApplication helper{"com.example.app.helper", "Helper", "file:///nowhere/Helper.app/"};
    inventory->entries.set({{kD1, Entry{{helper}, Status::ready}}});
    settle();
    const Node* cell = icon(kD1, "com.example.app.helper");
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->frame().size, (Size{20, 20}));
    const auto& image = iconImage(*cell).as<ui::ImageContent>()->image;
    EXPECT_EQ(image.source, inventory->icon(helper).source);
    EXPECT_TRUE(image.isValid);
    EXPECT_EQ(cell->modifiers().accessibility().label, "Open Helper on Desktop 1 on Built-in Retina Display");
    EXPECT_FALSE(icon(kD1, "com.example.app"));
    ASSERT_TRUE(host().click(*cell));
    EXPECT_EQ(picks.back(), WorkstationSelection::application("com.example.app.helper", {kD1, kBuiltIn, 1}));
}

TEST_F(RenderedPreviewTest, AnIconForgetsThePointerWhenThePanelIsOrderedOut) {
    panel->orderFrontRegardless();
    settle();
    ASSERT_TRUE(host().hover(*icon(kD1, kMail.id)));
    settle();
    EXPECT_EQ(iconImage(*icon(kD1, kMail.id)).modifiers().scale, 1.08);
    panel->orderOut();
    settle();
    panel->orderFrontRegardless();
    settle();
    EXPECT_EQ(iconImage(*icon(kD1, kMail.id)).modifiers().scale, 1);
}

TEST_F(RenderedPreviewTest, ManyDisplaysScrollAndKeepTheSelectionInTheMiddle) {
    std::vector<DesktopMonitor> monitors;
    DesktopApplicationInventory::Entries entries;
    int space = 1;
    for (int d = 0; d < 6; ++d) {
        DesktopMonitor monitor{testkit::numberedUUID(0xD15, d), "Display " + std::to_string(d + 1), Rect(d * 2560, 0, 2560, 1440), {}};
        for (int k = 0; k < 16; ++k, ++space) {
            const std::string id = testkit::numberedUUID(0xDE5, space);
            monitor.desktops.push_back({id, static_cast<std::uint64_t>(space), "Desktop " + std::to_string(space), k == 0});
            Entry entry{{}, Status::ready};
            for (int a = 0; a < 5; ++a)
                entry.apps.push_back({"com.example.app" + std::to_string((space * 7 + a) % 40), "App", std::nullopt});
            entries[id] = std::move(entry);
        }
        monitors.push_back(std::move(monitor));
    }
    model->monitors.set(std::move(monitors));
    inventory->entries.set(std::move(entries));
    explicitMode();
    const Node* form = nullptr;
    const auto middleOfList = [&] {
        form = &host().root()->children()[0].children()[1].children()[0];
        return form->frame().midY();
    };
    ASSERT_EQ(form, nullptr);
    // Desktop 1 is at the top: nothing scrolls.
    middleOfList();
    EXPECT_EQ(form->kind(), "form");
    EXPECT_GT(form->as<ui::FormContent>()->contentHeight, 10 * form->frame().height());
    EXPECT_EQ(host().scrollOffset(*form), 0);

    // Twenty presses on: the selection sits in the middle of the list.
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(key(keys::kTab));
    settle();
    const Node* selected = host().focusedNode();
    ASSERT_TRUE(selected);
    EXPECT_NEAR(host().visibleFrame(*selected).midY(), middleOfList(), 1e-6);
    EXPECT_GT(host().scrollOffset(*form), 0);

    // Back to the last target: the list ends at its bottom.
    ASSERT_TRUE(key(keys::kTab));
    for (int i = 0; i < 22; ++i) ASSERT_TRUE(key(keys::kTab, flags::kShift));
    settle();
    middleOfList();
    const auto* content = form->as<ui::FormContent>();
    EXPECT_DOUBLE_EQ(host().scrollOffset(*form), content->contentHeight - content->viewportHeight);
    EXPECT_GT(host().visibleFrame(*host().focusedNode()).height(), 0);
}

}  // namespace
}  // namespace tarnwick
