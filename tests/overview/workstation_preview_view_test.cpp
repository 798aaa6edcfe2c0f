#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overview/preview_world.h"
#include "overview/workstation_app_icon_button.h"
#include "support/text.h"

namespace tarnwick {
namespace {

using namespace preview_testing;

TEST_F(PreviewViewTest, FocusOrderVisitsEachDesktopThenItsAppsWhateverTheStatus) {
    EXPECT_EQ(view->focusOrder(), (std::vector{d1, mail, notes, d2, d3, safari}));
    EXPECT_EQ(view->desktopCount(), 3u);

    // An entry of a desktop that is no longer in the catalog adds nothing; an unavailable entry
    // still lists what it carries.
    inventory->entries.set({{kD3, Entry{{kSafari}, Status::unavailable}}, {uuidFor(9), Entry{{kMail}, Status::ready}}});
    EXPECT_EQ(view->focusOrder(), (std::vector{d1, d2, d3, safari}));

    model->monitors.set({});
    EXPECT_TRUE(view->focusOrder().empty());
    EXPECT_EQ(view->desktopCount(), 0u);
}

TEST_F(PreviewViewTest, CountsAndHeaderTexts) {
    EXPECT_EQ(View::countsLine(0, 0), "0 monitors \u00B7 0 desktops");
    EXPECT_EQ(View::countsLine(2, 1), "2 monitors \u00B7 1 desktop");
    EXPECT_EQ(View::countsLine(1, 3), "1 monitor \u00B7 3 desktops");
    EXPECT_EQ(text::desktopCountText(0), "0 desktops");
    EXPECT_EQ(text::desktopCountText(1), "1 desktop");

    const auto& monitors = model->monitors.get();
    EXPECT_EQ(View::displaySymbol(monitors[0]), "laptopcomputer");
    EXPECT_EQ(View::displaySymbol(monitors[1]), "display");
    // The symbol follows the system's name, not the user's alias.
    model->editDisplayName("Built-in at home", kStudio);
    model->commitDisplayName(kStudio);
    EXPECT_EQ(model->displayName(monitors[1]), "Built-in at home");
    EXPECT_EQ(View::displaySymbol(monitors[1]), "display");
}

TEST_F(PreviewViewTest, SavedNamesAreTrimmedAndFallBackToTheNativeTitle) {
    const ManagedDesktop desktop{kD1, 1, "Desktop 1", true};
    EXPECT_EQ(View::savedName(desktop, {}), "Desktop 1");
    EXPECT_EQ(View::savedName(desktop, {{kD1, " \t\n"}}), "Desktop 1");
    EXPECT_EQ(View::savedName(desktop, {{kD1, "\u00A0Work \n"}}), "Work");
    EXPECT_EQ(View::savedName(desktop, {{kD2, "Work"}}), "Desktop 1");
    EXPECT_EQ(View::subtitle("Desktop 1", desktop), std::nullopt);
    EXPECT_EQ(View::subtitle("Work", desktop), "Desktop 1");

    ASSERT_TRUE(model->rename("Mail and chat", kD2));
    model->drafts.set({{kD1, "Unsaved edit"}});  // edits in the names window are not shown
    EXPECT_EQ(view->savedName(model->monitors->at(0).desktops[0]), "Desktop 1");
    EXPECT_EQ(view->savedName(model->monitors->at(0).desktops[1]), "Mail and chat");
}

TEST_F(PreviewViewTest, StatusLineTable) {
    const auto line = [](std::optional<Entry> entry) { return View::applicationStatusLine(entry ? &*entry : nullptr); };
    const auto icons = [](std::optional<Entry> entry) { return View::showsApplicationIcons(entry ? &*entry : nullptr); };
    EXPECT_EQ(line(std::nullopt), "Reading apps\u2026");
    EXPECT_EQ(line(Entry{{}, Status::loading}), "Reading apps\u2026");
    EXPECT_EQ(line(Entry{{kMail}, Status::loading}), "Reading apps\u2026");
    EXPECT_EQ(line(Entry{{}, Status::unavailable}), "App information unavailable");
    EXPECT_EQ(line(Entry{{kMail}, Status::unavailable}), "App information unavailable");
    EXPECT_EQ(line(Entry{{}, Status::incomplete}), "App information incomplete");
    EXPECT_EQ(line(Entry{{kMail}, Status::incomplete}), "Some app information could not be read");
    EXPECT_EQ(line(Entry{{}, Status::ready}), "No app windows");
    EXPECT_EQ(line(Entry{{kMail}, Status::ready}), std::nullopt);

    EXPECT_FALSE(icons(std::nullopt));
    EXPECT_FALSE(icons(Entry{{}, Status::ready}));
    for (auto s : {Status::loading, Status::ready, Status::incomplete, Status::unavailable})
        EXPECT_TRUE(icons(Entry{{kMail}, s}));
}

TEST_F(PreviewViewTest, IconLabelsNameTheDisplayAndIdentifiersKeepDottedAppIDsWhole) {
    EXPECT_EQ(View::applicationHelp("Mail", "Work"), "Open Mail on Work");
    EXPECT_EQ(View::applicationAccessibilityLabel("Mail", "Work", "Studio Display"),
              "Open Mail on Work on Studio Display");
    EXPECT_EQ(View::applicationIdentifier(kD1, "com.example.app.helper"),
              "open-overview-app." + kD1 + ".com.example.app.helper");
}

TEST_F(PreviewViewTest, IconButtonScaleKeepsTheKeyboardHighlightUnderReduceMotion) {
    using Button = WorkstationAppIconButton;
    EXPECT_EQ(Button::scale(true, false, false), 1.08);
    EXPECT_EQ(Button::scale(true, false, true), 1.08);
    EXPECT_EQ(Button::scale(false, true, false), 1.08);
    EXPECT_EQ(Button::scale(false, true, true), 1.0);
    EXPECT_EQ(Button::scale(false, false, false), 1.0);
    EXPECT_EQ(Button::frameSize(16), 20.0);
}

TEST_F(PreviewViewTest, NothingIsSelectedOrFocusedInHoverMode) {
    status.requestFocus(mail);
    view->applyRequestedFocus();
    EXPECT_EQ(selection(), std::nullopt);

    useKeyboard();
    view->applyRequestedFocus();
    EXPECT_TRUE(view->keyboardSelected(mail));
    EXPECT_FALSE(view->keyboardSelected(d1));
    status.interactionMode.set(Mode::hover);
    EXPECT_FALSE(view->keyboardSelected(mail));  // drawn plain even before the mode reaction runs
    view->interactionModeChanged(Mode::hover);
    EXPECT_EQ(selection(), std::nullopt);
    EXPECT_EQ(focus(), std::nullopt);
}

TEST_F(PreviewViewTest, RequestedFocusFallsBackToTheFirstTarget) {
    useKeyboard();
    view->interactionModeChanged(Mode::explicit_);  // entering keyboard mode waits for a request
    EXPECT_EQ(selection(), std::nullopt);

    status.requestFocus(safari);
    view->applyRequestedFocus();
    EXPECT_EQ(selection(), safari);
    EXPECT_EQ(focus(), safari);

    status.requestFocus(Target::application(kD2, kMail.id));  // not in the order
    view->applyRequestedFocus();
    EXPECT_EQ(selection(), d1);
    status.requestFocus(std::nullopt);
    view->applyRequestedFocus();
    EXPECT_EQ(focus(), d1);

    model->monitors.set({});
    view->applyRequestedFocus();
    EXPECT_EQ(selection(), std::nullopt);
    EXPECT_EQ(focus(), std::nullopt);
    EXPECT_TRUE(press(keys::kReturn));  // handled, but there is nothing to open
    EXPECT_TRUE(picks.empty());
}

TEST_F(PreviewViewTest, PlatformFocusMovesAreCopiedButAFocusLossKeepsTheSelection) {
    useKeyboard();
    view->keyboardFocus.set(notes);
    view->keyboardFocusChanged(notes);
    EXPECT_EQ(selection(), notes);
    view->keyboardFocus.set(std::nullopt);
    view->keyboardFocusChanged(std::nullopt);
    EXPECT_EQ(selection(), notes);
    EXPECT_TRUE(press(keys::kReturn));
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0], WorkstationSelection::application(kNotes.id, {kD1, kBuiltIn, 1}));
}

TEST_F(PreviewViewTest, AVanishedSelectionMovesToTheFirstTargetOnlyInKeyboardMode) {
    view->keyboardSelection.set(d2);
    removeDesktop(kD2);
    view->focusOrderChanged(view->focusOrder());
    EXPECT_EQ(selection(), d2);  // hover mode: left alone

    useKeyboard();
    status.requestFocus(safari);
    view->applyRequestedFocus();
    inventory->entries.set({{kD1, Entry{{kMail}, Status::ready}}, {kD3, Entry{{kSafari}, Status::ready}}});
    view->focusOrderChanged(view->focusOrder());
    EXPECT_EQ(selection(), safari);  // still there

    inventory->entries.set({{kD1, Entry{{kMail}, Status::ready}}, {kD3, Entry{{}, Status::ready}}});
    view->focusOrderChanged(view->focusOrder());
    EXPECT_EQ(selection(), d1);
    EXPECT_EQ(focus(), d1);

    model->monitors.set({});
    view->focusOrderChanged(view->focusOrder());
    EXPECT_EQ(selection(), std::nullopt);
    EXPECT_EQ(focus(), std::nullopt);
}

TEST_F(PreviewViewTest, TabAndShiftTabWalkTheOrderAndWrap) {
    useKeyboard();
    EXPECT_TRUE(press(keys::kTab));
    EXPECT_EQ(selection(), d1);
    EXPECT_EQ(focus(), d1);
    EXPECT_TRUE(press(keys::kTab, flags::kShift));
    EXPECT_EQ(selection(), safari);
    EXPECT_TRUE(press(keys::kTab));
    EXPECT_EQ(selection(), d1);

    view->keyboardSelection.set(std::nullopt);
    view->handleKeyboardCommand(OverviewKeyboardCommand::advance(true));
    EXPECT_EQ(selection(), safari);
    view->handleKeyboardCommand(OverviewKeyboardCommand::advance(true));
    EXPECT_EQ(selection(), d3);
}

TEST_F(PreviewViewTest, KeysAndCommandsDoNothingInHoverModeOrWithShortcutModifiers) {
    view->keyboardSelection.set(d1);
    for (auto code : {keys::kTab, keys::kReturn, keys::kSpace, keys::kEscape}) EXPECT_FALSE(press(code));
    view->handleKeyboardCommand(OverviewKeyboardCommand::advance(false));
    view->handleKeyboardCommand(OverviewKeyboardCommand::activate());
    view->handleKeyboardCommand(OverviewKeyboardCommand::cancel());
    EXPECT_EQ(selection(), d1);

    useKeyboard();
    EXPECT_FALSE(press(keys::kTab, flags::kControl));
    EXPECT_FALSE(press(keys::kReturn, flags::kCommand));
    EXPECT_FALSE(press(keys::kSpace, flags::kOption));
    EXPECT_FALSE(press(keys::kEscape, flags::kCommand | flags::kShift));
    EXPECT_FALSE(press(0));              // "a"
    EXPECT_FALSE(press(keys::kKeypadEnter));  // the hosting view turns it into a command first
    EXPECT_EQ(selection(), d1);
    EXPECT_TRUE(picks.empty());
    EXPECT_EQ(dismissals, 0);
}

TEST_F(PreviewViewTest, ReturnSpaceAndEscapePickOrClose) {
    useKeyboard();
    view->keyboardSelection.set(d2);
    EXPECT_TRUE(press(keys::kReturn));
    view->keyboardSelection.set(mail);
    EXPECT_TRUE(press(keys::kSpace, flags::kShift));
    view->handleKeyboardCommand(OverviewKeyboardCommand::activate());
    ASSERT_EQ(picks.size(), 3u);
    EXPECT_EQ(picks[0], WorkstationSelection::desktop({kD2, kBuiltIn, 2}));
    EXPECT_EQ(picks[1], WorkstationSelection::application(kMail.id, {kD1, kBuiltIn, 1}));
    EXPECT_EQ(picks[2], picks[1]);

    EXPECT_TRUE(press(keys::kEscape));
    view->handleKeyboardCommand(OverviewKeyboardCommand::cancel());
    EXPECT_EQ(dismissals, 2);
    status.dismissRequested = nullptr;
    EXPECT_TRUE(press(keys::kEscape));
}

TEST_F(PreviewViewTest, TheCloseHookMayReplaceItselfWhileItRuns) {
    useKeyboard();
    std::vector<std::string> closed;
    status.dismissRequested = [this, &closed, note = std::string(64, 'x')] {
        status.dismissRequested = nullptr;
        closed.push_back(note);
    };
    view->handleKeyboardCommand(OverviewKeyboardCommand::cancel());
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0], std::string(64, 'x'));
}

TEST_F(PreviewViewTest, ActivatingATargetThatNoLongerExistsDoesNothing) {
    useKeyboard();
    view->activateKeyboardFocus();  // nothing selected

    view->keyboardSelection.set(Target::application(kD1, kSafari.id));
    view->activateKeyboardFocus();
    view->keyboardSelection.set(Target::application(kD2, kMail.id));  // no entry for the desktop
    view->activateKeyboardFocus();
    view->keyboardSelection.set(d2);
    removeDesktop(kD2);
    view->activateKeyboardFocus();
    EXPECT_TRUE(picks.empty());

    // A desktop listed twice (a catalog caught mid-change): the first one counts.
    auto monitors = model->monitors.get();
    monitors[1].desktops.insert(monitors[1].desktops.begin(), {kD1, 9, "Desktop 4", false});
    model->monitors.set(monitors);
    view->keyboardSelection.set(d1);
    view->activateKeyboardFocus();
    view->keyboardSelection.set(mail);
    view->activateKeyboardFocus();
    ASSERT_EQ(picks.size(), 2u);
    EXPECT_EQ(picks[0], WorkstationSelection::desktop({kD1, kBuiltIn, 1}));
    EXPECT_EQ(picks[1], WorkstationSelection::application(kMail.id, {kD1, kBuiltIn, 1}));
}

TEST_F(PreviewViewTest, LeavingARowClearsTheHoverOnlyWhileItNamesThatRow) {
    view->pointerEntered(kD1);
    EXPECT_EQ(view->rowFillOpacity(kD1), 0.12);
    view->pointerEntered(kD2);
    view->pointerExited(kD1);
    EXPECT_EQ(view->hoveredDesktopID.get(), kD2);
    EXPECT_EQ(view->rowFillOpacity(kD1), 0.0);
    EXPECT_EQ(view->rowFillOpacity(kD2), 0.12);
    view->pointerExited(kD2);
    EXPECT_EQ(view->hoveredDesktopID.get(), std::nullopt);
}

}  // namespace
}  // namespace tarnwick
