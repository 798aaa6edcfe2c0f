#pragma once

#include <optional>
#include <string>

#include "model/global_overview_shortcut.h"
#include "model/overview_shortcut.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/declarative/view_context.h"
#include "platform/ui/declarative/view_host.h"

namespace tarnwick {

// The settings control for the overview's global shortcut: a row with the label, the recorder
// button and "Clear", a row with the help text and "Use default", and the shortcut's error when
// it has one. A thin view over GlobalOverviewShortcut, which owns the shortcut, the recording,
// the error, the storage and the registration; every action ends in one of its operations.
//
// This class holds the control's texts and rules as plain functions of the shortcut; they are
// read afresh at each render, which follows the shortcut, the recording, the error and the
// keyboard layout (key names change with it). It is a component: a page puts it in its body
// and watches what `observe` watches; `Standalone` hosts it alone. Main loop only.
class OverviewShortcutControl {
public:
    explicit OverviewShortcutControl(GlobalOverviewShortcut& shortcut) : shortcut_(shortcut) {}

    GlobalOverviewShortcut& shortcut() const { return shortcut_; }

    // ---- the view
    // Two rows and, with an error, a third line; every button bordered.
    platform::ui::Node body(platform::ui::ViewContext& context) const;
    // What a view showing the control renders again for: the shortcut, the recording, the error
    // and a change of keyboard layout.
    static void observe(platform::ui::ViewHost& host, GlobalOverviewShortcut& shortcut);
    // The control as the whole content of a hosting view.
    class Standalone final : public platform::ui::DeclarativeView {
    public:
        explicit Standalone(GlobalOverviewShortcut& shortcut) : shortcut_(shortcut) {}
        platform::ui::Node body(platform::ui::ViewContext& context) override;
        void observe(platform::ui::ViewHost& host) override { OverviewShortcutControl::observe(host, shortcut_); }

    private:
        GlobalOverviewShortcut& shortcut_;
    };

    // ---- row 1
    static constexpr const char* kLabel = "Keyboard shortcut";
    static constexpr const char* kClear = "Clear";
    // Enabled while there is a shortcut to clear, and always while recording.
    bool clearEnabled() const;
    // Turns the shortcut off.
    void clear();

    // ---- row 2
    static constexpr const char* kRecordingHelp = "Press a combination with Command or Control. Escape cancels.";
    static constexpr const char* kIdleHelp = "Press to open or close the overview. You can assign it to a mouse button.";
    static constexpr const char* kUseDefault = "Use default";
    std::string helpText() const;
    // Control-Option-Command-W.
    void useDefault();

    // ---- row 3, only with an error
    std::optional<std::string> errorLine() const;

    // ---- the recorder button
    static constexpr const char* kRecordingTitle = "Press shortcut\u2026";
    static constexpr const char* kEmptyTitle = "Record shortcut\u2026";
    static constexpr const char* kRecorderAccessibilityLabel = "Workstation Overview keyboard shortcut";
    static constexpr const char* kRecorderIdentifier = "overview-shortcut-recorder";
    static constexpr const char* kRecorderAccessibilityHelp =
        "Click to record a keyboard shortcut. Press Escape to cancel or Delete to clear.";
    static constexpr const char* kNoShortcutAccessibilityValue = "None";
    std::string recorderTitle() const;
    std::string recorderAccessibilityValue() const;

    // ---- layout
    static constexpr double kSpacing = 6;
    static constexpr double kRecorderWidth = 150;
    static constexpr double kRecorderHeight = 26;
    static constexpr double kRecorderFontSize = 13;  // monospaced, medium weight
    static constexpr double kHelpSpacerMinimum = 4;
    static constexpr double kRowSpacing = 8;

private:
    GlobalOverviewShortcut& shortcut_;
};

}  // namespace tarnwick
