#include "platform/sim/ui/sim_window_system.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/sim_window_server.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/ui/screens.h"

namespace tarnwick::sim {

namespace ui = platform::ui;
namespace keys = platform::window_list;

namespace {

// The nearest point to `point` that a screen holds; the point itself when one does, and when
// there are no screens.
Point onNearestScreen(Point point) {
    if (ui::screenAt(point)) return point;
    std::optional<Point> nearest;
    double nearestDistance = 0;
    for (const auto& screen : ui::screens()) {
        const Rect& f = screen.frame;
        // A screen holds its left and bottom edges, not its right and top ones.
        const Point inside{std::clamp(point.x, f.minX(), std::max(f.minX(), f.maxX() - 1)),
                           std::clamp(point.y, f.minY(), std::max(f.minY(), f.maxY() - 1))};
        const double distance = std::hypot(inside.x - point.x, inside.y - point.y);
        if (!nearest || distance < nearestDistance) {
            nearest = inside;
            nearestDistance = distance;
        }
    }
    return nearest.value_or(point);
}

std::int64_t layerOf(const Value& entry) {
    const Value* layer = entry.find(keys::kLayer);
    auto value = layer ? layer->toInt64() : std::nullopt;
    return value.value_or(0);
}

}  // namespace

SimWindowSystem::~SimWindowSystem() {
    // Panels that outlive the session stop reporting to it.
    for (auto& r : records_) r.panel->detachFromWindowSystem();
}

SimWindowSystem::Record* SimWindowSystem::record(const ui::Panel& panel) {
    for (auto& r : records_)
        if (r.panel == &panel) return &r;
    return nullptr;
}

const SimWindowSystem::Record* SimWindowSystem::record(const ui::Panel& panel) const {
    for (const auto& r : records_)
        if (r.panel == &panel) return &r;
    return nullptr;
}

bool SimWindowSystem::miniaturize(ui::Panel& panel) {
    {
        auto guard = session_.lock();
        Record* r = record(panel);
        if (!r || !r->shown || r->miniaturized || !(panel.styleMask() & ui::style_mask::kMiniaturizable)) return false;
    }
    panel.miniaturizedBySystem();
    auto guard = session_.lock();
    if (Record* r = record(panel)) r->miniaturized = true;
    return true;
}

bool SimWindowSystem::restore(ui::Panel& panel) {
    {
        auto guard = session_.lock();
        Record* r = record(panel);
        if (!r || !r->miniaturized) return false;
        r->miniaturized = false;
    }
    // A click on the Dock tile brings our application forward.
    activateFor(panel);
    return true;
}

std::optional<SimWindowSystem::Resize> SimWindowSystem::resize(ui::Panel& panel, Size size) {
    if (!panel.isVisible() || !(panel.styleMask() & ui::style_mask::kResizable)) return std::nullopt;
    if (!(size.width > 0 && size.height > 0)) return std::nullopt;
    const Rect frame = panel.frame();
    const Size minimum = panel.minimumContentSize();
    Resize result;
    result.belowMinimum = size.width < minimum.width || size.height < minimum.height;
    result.got = Size{std::max(size.width, minimum.width), std::max(size.height, minimum.height)};
    // The corner being dragged stops at the right and bottom edges of what the screen shows,
    // unless the minimum lies beyond them.
    if (auto screen = panel.screen()) {
        const Rect& visible = screen->visibleFrame;
        const Size room{visible.maxX() - frame.minX(), frame.maxY() - visible.minY()};
        bool stopped = false;
        const auto stop = [&](double& length, double roomLength, double least) {
            if (length <= roomLength) return;
            length = std::max(roomLength, least);
            stopped = stopped || roomLength >= least;
        };
        stop(result.got.width, room.width, minimum.width);
        stop(result.got.height, room.height, minimum.height);
        if (stopped) result.stoppedBy = std::move(screen);
    }
    panel.setFrame(Rect(frame.minX(), frame.maxY() - result.got.height, result.got.width, result.got.height), true);
    return result;
}

void SimWindowSystem::screenCoordinatesRose(double rise) {
    if (rise == 0) return;
    for (ui::Panel* panel : panels()) {
        Rect frame = panel->frame();
        frame.origin.y += rise;
        panel->setFrame(frame, false);
    }
    auto guard = session_.lock();
    pointer_.y += rise;
}

void SimWindowSystem::keepPointerOnScreens() { movePointer(onNearestScreen(pointerLocation())); }

void SimWindowSystem::keepWindowsOnScreens(const std::vector<platform::ScreenDescription>& before) {
    const auto now = ui::screens();
    if (now.empty()) return;
    const Rect visible = now.front().visibleFrame;
    if (!visible.isUsable()) return;
    for (ui::Panel* panel : panels()) {
        const Rect frame = panel->frame();
        if (!panel->isVisible() || !frame.isUsable() || ui::screenContaining(frame)) continue;
        // It keeps its distance from the top left of the visible frame it was on, as far as it fits.
        Point offset{0, 0};
        if (auto was = ui::screenContaining(frame, before))
            offset = Point{frame.minX() - was->visibleFrame.minX(), was->visibleFrame.maxY() - frame.maxY()};
        panel->setFrame(ui::placedInside(frame, visible, panel->minimumContentSize(), offset), true);
    }
}

bool SimWindowSystem::close(ui::Panel& panel) {
    if (!panel.isVisible() || !(panel.styleMask() & ui::style_mask::kClosable)) return false;
    panel.close();
    return true;
}

bool SimWindowSystem::focus(ui::Panel& panel) {
    if (!panel.isVisible() || !panel.canBecomeKey()) return false;
    if (panel.styleMask() & ui::style_mask::kNonactivatingPanel)
        panel.makeKeyAndOrderFront();
    else
        activateFor(panel);
    return true;
}

void SimWindowSystem::activateFor(ui::Panel& panel) {
    {
        auto guard = session_.lock();
        activatingForAWindow_ = true;
    }
    session_.activateApplication(session_.system().processID);
    {
        auto guard = session_.lock();
        activatingForAWindow_ = false;
    }
    panel.makeKeyAndOrderFront();
}

bool SimWindowSystem::isMiniaturized(const ui::Panel& panel) const {
    auto guard = session_.lock();
    const Record* r = record(panel);
    return r && r->miniaturized;
}

std::optional<SimWindowSystem::Desktop> SimWindowSystem::activeDesktopAt(const Rect& frame) const {
    auto screen = ui::screenContaining(frame);
    if (!screen) screen = ui::mainScreen();
    const auto id = screen ? ui::displayID(*screen) : std::nullopt;
    const SimDisplay* d = id ? session_.display(*id) : nullptr;
    if (!d) return std::nullopt;
    return std::pair{d->id, d->currentSpace};
}

bool SimWindowSystem::onActiveSpace(const Record& r) const {
    if (r.joinsAllSpaces || !r.desktop) return true;
    const SimDisplay* d = session_.display(r.desktop->first);
    return !d || d->currentSpace == r.desktop->second;
}

bool SimWindowSystem::isOnActiveSpace(const ui::Panel& panel) {
    auto guard = session_.lock();
    const Record* r = record(panel);
    return r && r->shown && onActiveSpace(*r);
}

std::optional<SimWindowSystem::Desktop> SimWindowSystem::desktopElsewhere(const ui::Panel& panel) const {
    auto guard = session_.lock();
    const Record* r = record(panel);
    if (!r || !r->shown || onActiveSpace(*r)) return std::nullopt;
    return r->desktop;
}

std::optional<SimWindowSystem::Desktop> SimWindowSystem::desktopToShow(const Record& r) const {
    if (!r.shown || onActiveSpace(r)) return std::nullopt;
    const SimDisplay* d = session_.display(r.desktop->first);
    const bool held = d && std::any_of(d->spaces.begin(), d->spaces.end(),
                                       [&](const SimSpace& s) { return s.id64 == r.desktop->second; });
    return held ? r.desktop : std::nullopt;
}

void SimWindowSystem::showDesktopOf(const ui::Panel& panel) {
    std::optional<Desktop> target;
    {
        auto guard = session_.lock();
        if (const Record* r = record(panel)) target = desktopToShow(*r);
    }
    if (target) session_.switchDesktop(target->first, target->second);
}

void SimWindowSystem::activeSpaceChanged() {
    {
        auto guard = session_.lock();
        Record* key = nullptr;
        for (auto& r : records_)
            if (key_ == r.number) key = &r;
        if (key && !onActiveSpace(*key)) {
            key_.reset();
            key->panel->keyStateChanged(false);
        }
        if (key_) return;
    }
    if (ui::Panel* next = nextKeyWindow()) makeKey(*next);
}

void SimWindowSystem::desktopRemoved(Desktop removed, std::uint64_t neighbour) {
    auto guard = session_.lock();
    for (auto& r : records_)
        if (r.desktop == removed) r.desktop->second = neighbour;
}

void SimWindowSystem::applicationActivated() {
    ui::Panel* last = nullptr;
    {
        auto guard = session_.lock();
        if (activatingForAWindow_ || key_ || !lastKey_) return;
        for (const auto& r : records_)
            if (r.number == *lastKey_ && r.shown && !r.miniaturized && onActiveSpace(r)) last = r.panel;
    }
    if (last && last->canBecomeKey()) makeKey(*last);
}

std::uint32_t SimWindowSystem::panelCreated(ui::Panel& panel) {
    auto guard = session_.lock();
    Record r;
    r.panel = &panel;
    r.number = nextNumber_++;
    r.frame = panel.frame();
    r.alpha = ui::AlphaAnimation{1, 1, 0, 0};
    records_.push_back(r);
    return r.number;
}

void SimWindowSystem::panelDestroyed(ui::Panel& panel) {
    {
        auto guard = session_.lock();
        const Record* r = record(panel);
        if (!r) return;
        const bool wasKey = key_ == r->number;
        if (lastKey_ == r->number) lastKey_.reset();
        if (wasKey) key_.reset();
        std::erase_if(records_, [&](const Record& other) { return other.panel == &panel; });
        if (!wasKey) return;
    }
    // Gone without being closed, it hands the keyboard on as a closed window does, on the next
    // turn: a window destroyed as the program ends leaves nobody to hand it to.
    session_.loop().post([this, alive = lifetime_.weak()] {
        if (!alive || keyPanel()) return;
        if (ui::Panel* next = nextKeyWindow()) makeKey(*next);
    });
}

void SimWindowSystem::panelChanged(ui::Panel& panel) {
    auto guard = session_.lock();
    Record* r = record(panel);
    if (!r) return;
    r->title = panel.title();
    r->level = panel.level();
    const bool moved = r->frame != panel.frame();
    r->frame = panel.frame();
    // A shown window that comes onto another display joins the desktop shown there.
    if (moved && r->shown && r->desktop) {
        const auto screen = ui::screenContaining(r->frame);
        const auto id = screen ? ui::displayID(*screen) : std::nullopt;
        if (const SimDisplay* d = id && *id != r->desktop->first ? session_.display(*id) : nullptr)
            r->desktop = Desktop{d->id, d->currentSpace};
    }
    const double alpha = panel.alphaValue();
    r->alpha = panel.alphaAnimation().value_or(ui::AlphaAnimation{alpha, alpha, 0, 0});
}

void SimWindowSystem::orderFront(ui::Panel& panel) {
    {
        auto guard = session_.lock();
        Record* r = record(panel);
        if (!r) return;
        // A window joins the desktop the user sees when it comes in; one that moves to the
        // active desktop also when it is ordered front again.
        namespace behavior = ui::collection_behavior;
        r->joinsAllSpaces = panel.collectionBehavior & behavior::kCanJoinAllSpaces;
        if (r->joinsAllSpaces)
            r->desktop.reset();
        else if (!r->shown || !r->desktop || (panel.collectionBehavior & behavior::kMoveToActiveSpace))
            r->desktop = activeDesktopAt(panel.frame());
        r->shown = true;
        r->miniaturized = false;
        r->order = nextOrder_++;
    }
    // Brought forward on a desktop the user does not see, it takes the user there.
    showDesktopOf(panel);
}

void SimWindowSystem::orderOut(ui::Panel& panel) {
    {
        auto guard = session_.lock();
        Record* r = record(panel);
        if (!r) return;
        r->shown = false;
        if (key_ != r->number) return;
        key_.reset();
        panel.keyStateChanged(false);
        // The window that resigned may have handed key status on itself.
        if (key_) return;
    }
    // As the system does for the active application, the frontmost window of ours that can
    // become key takes over, and hears that it became key.
    if (ui::Panel* next = nextKeyWindow()) makeKey(*next);
}

ui::Panel* SimWindowSystem::nextKeyWindow() const {
    auto guard = session_.lock();
    // An application in the background has no key window; a panel of ours that took the keyboard
    // without activating us gives it back to the application in front.
    if (!session_.ownApplicationActive()) return nullptr;
    for (const Record* r : ordered())
        if (r->shown && !r->miniaturized && onActiveSpace(*r) && r->panel->canBecomeKey()) return r->panel;
    return nullptr;
}

void SimWindowSystem::makeKey(ui::Panel& panel) {
    {
        auto guard = session_.lock();
        Record* r = record(panel);
        if (!r || key_ == r->number) return;
        r->joinsAllSpaces = panel.collectionBehavior & ui::collection_behavior::kCanJoinAllSpaces;
        if (!r->joinsAllSpaces && (panel.collectionBehavior & ui::collection_behavior::kMoveToActiveSpace))
            r->desktop = activeDesktopAt(panel.frame());
    }
    showDesktopOf(panel);
    auto guard = session_.lock();
    Record* r = record(panel);
    // Taking the user to its desktop may have made it key already.
    if (!r || key_ == r->number) return;
    ui::Panel* previous = keyPanel();
    key_ = r->number;
    lastKey_ = r->number;
    if (previous) previous->keyStateChanged(false);
    panel.keyStateChanged(true);
}

void SimWindowSystem::resignKey() {
    auto guard = session_.lock();
    ui::Panel* previous = keyPanel();
    key_.reset();
    if (previous) previous->keyStateChanged(false);
}

void SimWindowSystem::setOccluded(ui::Panel& panel, bool occluded) { panel.setOccludedBySystem(occluded); }

ui::Panel* SimWindowSystem::keyPanel() {
    auto guard = session_.lock();
    for (auto& r : records_)
        if (key_ == r.number) return r.panel;
    return nullptr;
}

Point SimWindowSystem::pointerLocation() {
    auto guard = session_.lock();
    return pointer_;
}

std::vector<const SimWindowSystem::Record*> SimWindowSystem::ordered() const {
    std::vector<const Record*> result;
    for (const auto& r : records_) result.push_back(&r);
    std::stable_sort(result.begin(), result.end(), [](const Record* a, const Record* b) {
        if (a->shown != b->shown) return a->shown;
        if (a->level != b->level) return a->level > b->level;
        return a->order > b->order;
    });
    return result;
}

void SimWindowSystem::addToWindowList(Array& list, bool onScreenOnly) const {
    auto guard = session_.lock();
    if (records_.empty()) return;
    // The window list's space: origin at the top left of the primary screen, y down.
    const double primaryTop = session_.primaryHeight();
    const double now = session_.loop().uptime();
    const auto processID = session_.system().processID;

    size_t position = 0;
    for (const Record* r : ordered()) {
        const bool onScreen = r->shown && onActiveSpace(*r);
        if (onScreenOnly && !onScreen) continue;
        Dictionary d;
        d[keys::kNumber] = Value(r->number);
        d[keys::kOwnerPID] = processID;
        d[keys::kOwnerName] = kOwnerName;
        if (!r->title.empty()) d[keys::kName] = r->title;
        d[keys::kLayer] = r->level;
        d[keys::kBounds] = windowBoundsDictionary(Rect(r->frame.minX(), primaryTop - r->frame.maxY(), r->frame.width(), r->frame.height()));
        d[keys::kAlpha] = r->alpha.valueAt(now);
        if (onScreen) d[keys::kIsOnscreen] = true;
        d[keys::kSharingState] = 1;
        d[keys::kStoreType] = 2;
        d[keys::kMemoryUsage] = 2176;
        // Front to back: before the first entry of a lower layer, after our panels placed so far.
        while (position < list.size() && layerOf(list[position]) >= r->level) ++position;
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(position), Value(std::move(d)));
        ++position;
    }
}

std::vector<ui::Panel*> SimWindowSystem::panels() const {
    auto guard = session_.lock();
    std::vector<ui::Panel*> result;
    for (const Record* r : ordered()) result.push_back(r->panel);
    return result;
}

std::vector<ui::Panel*> SimWindowSystem::onScreenPanels() const {
    auto guard = session_.lock();
    std::vector<ui::Panel*> result;
    for (const Record* r : ordered())
        if (r->shown && onActiveSpace(*r)) result.push_back(r->panel);
    return result;
}

ui::Panel* SimWindowSystem::panelAt(Point location) const {
    for (auto* panel : onScreenPanels())
        if (!panel->ignoresMouseEvents() && panel->frame().contains(location)) return panel;
    return nullptr;
}

ui::Panel* SimWindowSystem::panelTitled(std::string_view title) const {
    for (auto* panel : panels())
        if (panel->title() == title) return panel;
    return nullptr;
}

ui::Panel* SimWindowSystem::panelLabelled(std::string_view accessibilityLabel) const {
    for (auto* panel : panels())
        if (panel->accessibilityLabel() == accessibilityLabel) return panel;
    return nullptr;
}

ui::Panel* SimWindowSystem::panelShowing(std::string_view text) const {
    for (auto* panel : onScreenPanels()) {
        const auto texts = panel->shownTexts();
        if (std::find(texts.begin(), texts.end(), text) != texts.end()) return panel;
    }
    return nullptr;
}

std::vector<ui::Panel*> SimWindowSystem::panelsOnDisplay(std::uint32_t displayID) const {
    std::vector<ui::Panel*> result;
    for (auto* panel : onScreenPanels()) {
        auto screen = panel->screen();
        if (screen && ui::displayID(*screen) == displayID) result.push_back(panel);
    }
    return result;
}

void SimWindowSystem::movePointer(Point location) {
    {
        auto guard = session_.lock();
        pointer_ = location;
    }
    updateTracking();
}

SimClick SimWindowSystem::click(Point location, std::optional<platform::ModifierFlags> modifierFlags, int clickCount) {
    return press(location, modifierFlags, clickCount, false);
}

SimClick SimWindowSystem::rightClick(Point location, std::optional<platform::ModifierFlags> modifierFlags,
                                     int clickCount) {
    return press(location, modifierFlags, clickCount, true);
}

SimClick SimWindowSystem::press(Point location, std::optional<platform::ModifierFlags> modifierFlags, int clickCount,
                                bool right) {
    namespace types = ui::event_type;
    SimEvents& events = session_.events();
    const platform::ModifierFlags modifiers = modifierFlags ? *modifierFlags : events.modifierFlags();
    SimClick result{location, modifiers, clickCount, right, nullptr, nullptr, false, std::nullopt};
    movePointer(location);
    const int downType = right ? types::kRightMouseDown : types::kLeftMouseDown;
    const int upType = right ? types::kRightMouseUp : types::kLeftMouseUp;
    platform::Event down{downType, modifiers, clickCount, location, 0, false, 0};
    platform::Event up{upType, modifiers, clickCount, location, 0, false, 0};

    if (ui::Panel* panel = panelAt(location)) {
        result.panel = panel;
        down.windowNumber = up.windowNumber = panel->windowNumber();
        const auto mouseEvent = [&](const platform::Event& e) {
            ui::MouseEvent event;
            event.type = e.type;
            event.locationInWindow = Point{e.locationInScreen.x - panel->frame().origin.x,
                                           e.locationInScreen.y - panel->frame().origin.y};
            event.modifierFlags = e.modifierFlags;
            event.clickCount = e.clickCount;
            return event;
        };
        auto alive = panel->weak();
        auto passed = events.passLocalMonitors(down);
        if (!passed || !alive.get()) {
            result.swallowed = true;
            return result;
        }
        // A left click into a window that can become key makes it key and brings it forward first
        // (and our application with it, unless the window is a panel that does not activate it).
        // That first click reaches a view only when the view takes first clicks, as on any window
        // that is not key.
        const bool activates = !(panel->styleMask() & ui::style_mask::kNonactivatingPanel);
        if (!right && panel->canBecomeKey() &&
            (!panel->isKeyWindow() || (activates && !session_.ownApplicationActive()))) {
            const bool wasKey = panel->isKeyWindow();
            focus(*panel);
            if (!alive.get()) return result;
            if (!wasKey) {
                const ui::MouseEvent event = mouseEvent(*passed);
                ui::View* hit = panel->contentView() ? panel->contentView()->hitTest(event.locationInWindow) : nullptr;
                if (!hit || !hit->acceptsFirstMouse(event)) return result;
            }
        }
        {
            SimEvents::Handling handling(events, *passed);
            result.view = right ? panel->rightMouseDown(mouseEvent(*passed)) : panel->mouseDown(mouseEvent(*passed));
        }
        // The release comes where the press was, to the view that took it.
        if (!alive.get()) return result;
        auto released = events.passLocalMonitors(up);
        if (!released || !alive.get()) return result;
        SimEvents::Handling handling(events, *released);
        if (right)
            panel->rightMouseUp(mouseEvent(*released));
        else
            panel->mouseUp(mouseEvent(*released));
        return result;
    }
    auto guard = session_.lock();
    events.sentToOtherApplication(down);
    events.sentToOtherApplication(up);
    if (!right && clickCount == 1) result.pressedDesktop = desktopButtonAt(location);
    clicksPast_.push_back(result);
    if (result.pressedDesktop) session_.pressDesktopButton(result.pressedDesktop->first, result.pressedDesktop->second);
    return result;
}

std::pair<SimClick, SimClick> SimWindowSystem::doubleClick(Point location) {
    SimClick first = click(location, std::nullopt, 1);
    SimClick second = click(location, std::nullopt, 2);
    return {first, second};
}

std::optional<SimWindowSystem::Desktop> SimWindowSystem::desktopButtonAt(Point location) const {
    if (!session_.missionControlOpen) return std::nullopt;
    const auto screens = session_.orderedScreens();
    const SimDisplay* primary = screens.empty() ? nullptr : session_.display(screens.front());
    if (!primary) return std::nullopt;
    // Mission Control's frames: origin at the top left of the primary screen, y down.
    const Point point{location.x, primary->bounds.height() - location.y};
    for (const auto& bar : MissionControlLayout::bars(session_, session_.loop().uptime()))
        for (const auto& button : bar.buttons)
            if (button.frame.contains(point) || button.caption.contains(point))
                return std::pair{bar.displayID, button.spaceID};
    return std::nullopt;
}

}  // namespace tarnwick::sim
