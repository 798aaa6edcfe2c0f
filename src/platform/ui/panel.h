#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/displays.h"
#include "platform/ui/color.h"
#include "platform/ui/mouse_event.h"
#include "platform/ui/view.h"
#include "support/geometry.h"
#include "support/observable.h"
#include "support/run_loop.h"

namespace tarnwick::platform::ui {

class WindowSystem;

// Window style bits, with the platform's values.
namespace style_mask {
inline constexpr std::uint64_t kBorderless = 0;
inline constexpr std::uint64_t kTitled = 1;
inline constexpr std::uint64_t kClosable = 2;
inline constexpr std::uint64_t kMiniaturizable = 4;
inline constexpr std::uint64_t kResizable = 8;
inline constexpr std::uint64_t kNonactivatingPanel = 128;
inline constexpr std::uint64_t kFullSizeContentView = 1u << 15;
}  // namespace style_mask

// How a window takes part in desktops and window cycling.
namespace collection_behavior {
inline constexpr std::uint64_t kCanJoinAllSpaces = 1;
inline constexpr std::uint64_t kMoveToActiveSpace = 2;
inline constexpr std::uint64_t kManaged = 4;
inline constexpr std::uint64_t kTransient = 8;
inline constexpr std::uint64_t kStationary = 16;
inline constexpr std::uint64_t kParticipatesInCycle = 32;
inline constexpr std::uint64_t kIgnoresCycle = 64;
inline constexpr std::uint64_t kFullScreenPrimary = 128;
inline constexpr std::uint64_t kFullScreenAuxiliary = 256;
}  // namespace collection_behavior

namespace window_level {
inline constexpr int kNormal = 0;
inline constexpr int kFloating = 3;
inline constexpr int kPopUpMenu = 101;
inline constexpr int kMissionControl = 1000;
}  // namespace window_level

namespace animation_behavior {
inline constexpr int kDefault = 0;
inline constexpr int kNone = 2;
inline constexpr int kDocumentWindow = 3;
inline constexpr int kUtilityWindow = 4;
inline constexpr int kAlertPanel = 5;
}  // namespace animation_behavior

// What of a window is visible, as bits.
namespace occlusion_state {
inline constexpr unsigned kVisible = 1u << 1;
}  // namespace occlusion_state

enum class BackingStore { retained, nonretained, buffered };

// Whether the window joins others in tabs.
enum class TabbingMode { automatic, preferred, disallowed };

class Panel;

// Hears what happens to one window as it happens (the window's notifications reach their
// observers on a later turn).
class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual void windowDidBecomeKey(Panel& window) { (void)window; }
    virtual void windowWillClose(Panel& window) { (void)window; }
    virtual void windowDidMiniaturize(Panel& window) { (void)window; }
    virtual void windowDidDeminiaturize(Panel& window) { (void)window; }
};

// A fade of the window's alpha in flight.
struct AlphaAnimation {
    double fromValue = 0;
    double toValue = 0;
    double duration = 0;
    double beginTime = 0;  // system uptime

    // The alpha shown at the given time.
    double valueAt(double uptime) const;
};

// One of our windows (a panel), as plain state: what the app set and what the user does to it.
// It registers with the window system when made and leaves it when destroyed; the window list
// shows it from then on, front to back among the other windows. It posts its own notifications
// (key, move, screen, occlusion, close) on the application's centre with itself as the object.
// Main loop only.
class Panel {
public:
    Panel(Rect contentRect, std::uint64_t styleMask, BackingStore backing = BackingStore::buffered, bool defer = false);
    virtual ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    std::uint32_t windowNumber() const { return number_; }
    std::uint64_t styleMask() const { return styleMask_; }
    void setStyleMask(std::uint64_t styleMask) {
        styleMask_ = styleMask;
        changed();
    }
    BackingStore backing() const { return backing_; }
    bool isDeferred() const { return deferred_; }

    // ---- what the window server shows
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    int level() const { return level_; }
    void setLevel(int level);
    bool ignoresMouseEvents() const { return ignoresMouseEvents_; }
    void setIgnoresMouseEvents(bool ignores);
    const std::optional<std::string>& accessibilityLabel() const { return accessibilityLabel_; }
    void setAccessibilityLabel(std::optional<std::string> label);

    // ---- plain settings
    std::uint64_t collectionBehavior = 0;
    bool hidesOnDeactivate = false;
    int animationBehavior = animation_behavior::kDefault;
    bool isExcludedFromWindowsMenu = false;
    bool isOpaque = true;
    Color backgroundColor = Color::named("windowBackgroundColor");
    bool hasShadow = true;
    bool isReleasedWhenClosed = true;
    TabbingMode tabbingMode = TabbingMode::automatic;
    // The title bar draws no background of its own (the content shows through it).
    bool titlebarAppearsTransparent = false;
    // A titled window's title bar is the top of its frame; the title is centred in it, in the
    // system font of this size, between the window's buttons at the leading edge and as much room
    // at the trailing edge. Where the title shows (screen coordinates); nothing without a title bar.
    static constexpr double kTitlebarHeight = 28;
    static constexpr double kWindowButtonsWidth = 78;
    static constexpr double kTitleFontSize = 13;
    std::optional<Rect> titleFrame() const;
    // The user cannot resize the window below this size.
    Size contentMinSize;
    // What the user's resize stops at: contentMinSize, or more where the content view's own
    // minimum is larger (a hosting view's declared minimum frame).
    Size minimumContentSize() const;

    // ---- the delegate (not kept alive: one that went away hears nothing)
    void setDelegate(WindowDelegate& delegate, const LifetimeToken& lifetime) { delegate_ = {&delegate, lifetime.weak()}; }
    WindowDelegate* delegate() const { return delegate_.get(); }

    // ---- frame autosave: under a name, the frame is kept in the user's defaults whenever it
    // changes while the window is shown and when it is closed or ordered out, and restored the
    // first time the window is ordered in under that name (possibly onto another display, where
    // an earlier run left it). False when another window of ours uses the name already; an empty
    // name stops it.
    bool setFrameAutosaveName(std::string name);
    const std::string& frameAutosaveName() const { return autosaveName_; }
    // The defaults key of a name's frame, and the frame saved under a name (nothing when none, or
    // what is stored cannot be read as a finite, non-empty frame).
    static std::string autosaveKey(const std::string& name);
    static std::optional<Rect> savedFrame(const std::string& name);

    // ---- content
    const std::shared_ptr<View>& contentView() const { return contentView_; }
    // The content view fills the window.
    void setContentView(std::shared_ptr<View> view);

    // ---- frame (screen coordinates: origin at the bottom left of the primary screen, y up)
    const Rect& frame() const { return frame_; }
    void setFrame(const Rect& frame, bool display, bool animate = false);
    struct FrameChange {
        bool display = false;
        bool animate = false;
    };
    // How the last setFrame was asked.
    const FrameChange& lastFrameChange() const { return lastFrameChange_; }
    // A rectangle of the window's coordinates (origin at its bottom left) in screen coordinates.
    Rect convertToScreen(const Rect& rect) const {
        return Rect(rect.origin.x + frame_.origin.x, rect.origin.y + frame_.origin.y, rect.width(), rect.height());
    }

    // ---- alpha and fades on the main loop's clock
    // The alpha shown now (part way through a fade).
    double alphaValue() const;
    // Sets the alpha at once, ending a fade in flight.
    void setAlphaValue(double alpha);
    // Fades to the alpha over the duration (0: at once). The completion runs on a later turn of
    // the main loop when the fade ends, is replaced by another or is ended by setAlphaValue.
    void animateAlpha(double alpha, double duration, std::function<void()> completion = nullptr);
    const std::optional<AlphaAnimation>& alphaAnimation() const { return fade_; }

    // ---- ordering and key state
    // Shown in front of the other panels of its level, whether or not the app is active.
    void orderFrontRegardless();
    void orderOut();
    // The window's delegate and observers hear that it will close, then it is ordered out.
    void close();
    // Centres the window on the main screen's visible frame.
    void center();
    // In the Dock: ordered out by the user's miniaturize, until it is ordered in again (which
    // restores it, telling the delegate).
    bool isMiniaturized() const { return miniaturized_; }
    bool isVisible() const { return visible_; }
    // Shown on the desktop the user sees now on its display (or on every desktop).
    bool isOnActiveSpace() const;
    // occlusion_state bits: kVisible while some of it can be seen.
    unsigned occlusionState() const;
    // Key when it can become key (nothing otherwise).
    void makeKey();
    void makeKeyAndOrderFront();
    bool isKeyWindow() const;
    virtual bool canBecomeKey() const;
    virtual bool canBecomeMain() const;

    // The screen that holds most of the window, or nothing.
    std::optional<ScreenDescription> screen() const;

    // ---- keys: the first responder and the chain of superviews above it
    // The view that gets key presses first; nothing: the window itself.
    View* firstResponder() const;
    // Moves the role to a view of this window that accepts it (nothing: the window). The
    // current responder may refuse to resign and the new one to become: then false, and a
    // refusal to become leaves the window as first responder.
    bool makeFirstResponder(View* responder);
    // A key press for the window: with Command it is first offered down the view tree as a key
    // equivalent; then it goes to the first responder and up its superviews; a Tab or Shift-Tab
    // nobody consumed goes to the first or last view of the key view loop (as from a window
    // whose first responder is itself), and an Escape nobody consumed becomes
    // cancelOperation(). True when something consumed it.
    bool sendKeyEvent(const KeyEvent& event);
    // Escape reached the window unconsumed.
    virtual void cancelOperation() {}
    // Rebuilds the cursor rectangles of the view and its subviews.
    void invalidateCursorRects(View& view);

    // ---- the user's clicks (sent by the window system)
    // Delivers a mouse-down at a window point to the view its hit test names; returns that view,
    // or nothing when no view took it (outside every view, or refused as a first click). The
    // release goes to the view that took the press.
    View* mouseDown(const MouseEvent& event);
    void mouseUp(const MouseEvent& event);
    View* rightMouseDown(const MouseEvent& event);
    void rightMouseUp(const MouseEvent& event);
    // The text of every visible label of the content.
    std::vector<std::string> shownTexts() const;

    // The window system made the panel key, or took key state away: its views hear it, and the
    // window posts its become-key or resign-key notification.
    void keyStateChanged(bool key);

    // The window system forgets this panel (it is going away first).
    void detachFromWindowSystem() { system_ = nullptr; }
    // ---- the system's side
    // Another window covers this one wholly (or no longer does).
    void setOccludedBySystem(bool occluded);
    // The user miniaturized the window to the Dock: it is ordered out, and its delegate and
    // observers hear it.
    void miniaturizedBySystem();
    // A subtree left the window: it takes no more keys.
    void subtreeLeft(View& subtree);

    // A reference that does not keep the panel alive: get() is nothing once it is gone.
    using Weak = WeakRef<Panel>;
    Weak weak() { return Weak(this, lifetime_.weak()); }

private:
    void changed();
    void endFade();
    void post(const char* name);
    View* pressTarget(const MouseEvent& event);
    void saveFrame();
    void restoreFrame();
    void displayContent();

    WindowSystem* system_;
    std::uint32_t number_ = 0;
    std::uint64_t styleMask_;
    BackingStore backing_;
    bool deferred_;
    std::string title_;
    int level_ = window_level::kNormal;
    bool ignoresMouseEvents_ = false;
    std::optional<std::string> accessibilityLabel_;
    std::shared_ptr<View> contentView_;
    Rect frame_;
    FrameChange lastFrameChange_;
    double alpha_ = 1;
    std::optional<AlphaAnimation> fade_;
    std::function<void()> fadeCompletion_;
    WorkItem fadeEnd_;
    bool visible_ = false;
    bool occluded_ = false;
    std::weak_ptr<View> firstResponder_;
    std::weak_ptr<View> pressed_;  // the view that took the last press, for its release
    WeakRef<WindowDelegate> delegate_;
    std::string autosaveName_;
    bool frameRestored_ = false;  // under the current autosave name
    bool miniaturized_ = false;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick::platform::ui
