#pragma once

#include <memory>
#include <vector>

#include "model/global_overview_shortcut.h"
#include "platform/key_event.h"
#include "platform/ui/button.h"
#include "platform/ui/declarative/nodes.h"
#include "support/observable.h"

namespace tarnwick {

// The button of the shortcut recorder: clicked, it takes keyboard focus and starts a recording
// of the shortcut; while it holds focus, the next key combination that reaches it (as a key
// press, or as a key equivalent when Command is held) decides the recording (ShortcutKeyCapture).
// Losing focus, its window resigning key or closing, or moving to another window (or none) ends
// a recording. It holds the shortcut weakly and handles keys like any button once it is gone.
// Make it with std::make_shared. Main loop only.
class ShortcutRecorderButton final : public platform::ui::Button {
public:
    using Button::Button;

    // Nothing until the bridge sets it.
    WeakRef<GlobalOverviewShortcut> shortcut;
    // The observers of the current window's resign-key and will-close notifications.
    const std::vector<Subscription>& windowObservers() const { return windowObservers_; }

    bool acceptsFirstResponder() const override { return true; }
    // The click action: key focus, then the recording. Nothing without a window or when the
    // window refuses the focus.
    void begin();
    void viewDidMoveToWindow() override;
    // Ends a recording first, whatever the answer.
    bool resignFirstResponder() override;
    bool keyDown(const platform::KeyEvent& event) override;
    bool performKeyEquivalent(const platform::KeyEvent& event) override;
    // Whether the key was taken by the recording.
    bool capture(const platform::KeyEvent& event);

private:
    void cancelRecording();
    std::vector<Subscription> windowObservers_;
};

// Brings the recorder button into the declarative control: made once for its place in the
// tree, its title and accessibility texts updated from the shortcut at every render, and a
// recording cancelled when it leaves the tree.
struct ShortcutRecorder {
    WeakRef<GlobalOverviewShortcut> shortcut;

    static constexpr double kFontSize = 13;

    std::shared_ptr<platform::ui::View> makeView() const;
    void updateView(platform::ui::View& view) const;
    void dismantleView(platform::ui::View& view) const;

    platform::ui::Node node() const { return platform::ui::bridged(*this); }
};

}  // namespace tarnwick
