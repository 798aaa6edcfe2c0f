#include "platform/sim/sim_window_server.h"

#include <algorithm>
#include <set>

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"

namespace tarnwick::sim {

namespace {

constexpr const char* kSkyLightPath = "/System/Library/PrivateFrameworks/SkyLight.framework/SkyLight";
constexpr std::int32_t kConnectionID = 0x1d0f;
constexpr int kMissionControlLayer = 19;
constexpr int kDockLayer = 20;
constexpr std::uint32_t kExtraSpacesBarIDs = 910000;
constexpr std::uint32_t kStraySpacesBarIDs = 920000;

class SimSkyLightFramework final : public platform::SkyLightFramework {
public:
    SimSkyLightFramework(SimulatedSession& session, SimWindowServer& server) : session_(session), server_(server) {}
    // Opened and closed from the actors' threads as well as the main loop.
    ~SimSkyLightFramework() override {
        auto guard = session_.lock();
        ++server_.closeCount;
    }

    bool hasSymbol(std::string_view name) override {
        auto guard = session_.lock();
        static const std::set<std::string, std::less<>> known = {
            "SLSMainConnectionID", "SLSCopyManagedDisplaySpaces", "SLSCopyWindowsWithOptionsAndTags"};
        return known.count(name) && !session_.skyLight.missingSymbols.count(std::string(name));
    }
    std::int32_t mainConnectionID() override { return kConnectionID; }

    std::optional<Value> copyManagedDisplaySpaces(std::int32_t connection) override {
        auto guard = session_.lock();
        if (connection != kConnectionID) return std::nullopt;
        if (session_.skyLight.managedDisplaySpaces) return *session_.skyLight.managedDisplaySpaces;
        return server_.managedDisplaySpaces();
    }

    std::optional<Value> copyWindowsWithOptionsAndTags(std::int32_t connection, std::uint32_t, const Array& spaces,
                                                       std::uint32_t, std::uint64_t&, std::uint64_t&) override {
        auto guard = session_.lock();
        if (connection != kConnectionID || spaces.size() != 1) return std::nullopt;
        auto space = spaces.front().toUInt64();
        if (!space) return std::nullopt;
        ++session_.skyLight.windowQueries[*space];
        if (auto it = session_.skyLight.windowsForSpace.find(*space); it != session_.skyLight.windowsForSpace.end())
            return it->second;
        bool known = false;
        for (const auto& display : session_.displays)
            for (const auto& s : display.spaces) known = known || s.id64 == *space;
        if (!known) return std::nullopt;
        Array ids;
        for (const auto& window : session_.windows) {
            if (window.layer != 0) continue;
            const auto* app = session_.application(window.pid);
            if (!app || app->terminated) continue;
            // A window with no desktops of its own is on every desktop.
            if (window.spaces.empty() ||
                std::find(window.spaces.begin(), window.spaces.end(), *space) != window.spaces.end())
                ids.emplace_back(window.id);
        }
        return Value(std::move(ids));
    }

private:
    SimulatedSession& session_;
    SimWindowServer& server_;
};

Value spaceDictionary(const SimSpace& space) {
    Dictionary d;
    d["id64"] = Value(space.id64);
    d["ManagedSpaceID"] = Value(space.id64);
    d["uuid"] = space.uuid;
    d["type"] = space.type;
    return Value(std::move(d));
}

}  // namespace

Value windowBoundsDictionary(const Rect& bounds) {
    // In key order, each entry appended at the end: the window list is made on every poll.
    Dictionary d;
    d.emplace_hint(d.end(), "Height", bounds.size.height);
    d.emplace_hint(d.end(), "Width", bounds.size.width);
    d.emplace_hint(d.end(), "X", bounds.origin.x);
    d.emplace_hint(d.end(), "Y", bounds.origin.y);
    return Value(std::move(d));
}

std::unique_ptr<platform::SkyLightFramework> SimWindowServer::openSkyLight(const std::string& path, int) {
    auto guard = session_.lock();
    if (!session_.skyLight.available || path != kSkyLightPath) return nullptr;
    ++openCount;
    return std::make_unique<SimSkyLightFramework>(session_, *this);
}

Value SimWindowServer::managedDisplaySpaces() const {
    Array result;
    for (const auto& display : session_.displays) {
        Dictionary entry;
        entry["Display Identifier"] = display.uuid.value_or("");
        Array spaces;
        for (const auto& space : display.spaces) {
            spaces.push_back(spaceDictionary(space));
            if (space.id64 == display.currentSpace) entry["Current Space"] = spaceDictionary(space);
        }
        entry["Spaces"] = Value(std::move(spaces));
        result.emplace_back(std::move(entry));
    }
    return Value(std::move(result));
}

bool SimWindowServer::isVisible(const SimWindow& window) const {
    const auto* app = session_.application(window.pid);
    if (!app || app->terminated || app->hidden || window.minimized) return false;
    return session_.isOnCurrentDesktop(window);
}

Value SimWindowServer::describe(const SimWindow& window, bool onScreen) const {
    namespace keys = platform::window_list;
    // In key order, each entry appended at the end: the window list is made on every poll.
    Dictionary d;
    const auto add = [&d](const char* key, Value value) { d.emplace_hint(d.end(), key, std::move(value)); };
    add(keys::kAlpha, window.alpha);
    add(keys::kBounds, windowBoundsDictionary(window.bounds));
    if (onScreen) add(keys::kIsOnscreen, true);
    add(keys::kLayer, window.layer);
    add(keys::kMemoryUsage, 2176);
    if (!window.title.empty()) add(keys::kName, window.title);
    add(keys::kNumber, Value(window.id));
    const auto* app = session_.application(window.pid);
    if (app && app->name) add(keys::kOwnerName, *app->name);
    add(keys::kOwnerPID, window.pid);
    add(keys::kSharingState, 1);
    add(keys::kStoreType, 1);
    return Value(std::move(d));
}

std::vector<SimWindow> SimWindowServer::systemWindows() const {
    std::vector<SimWindow> result;
    if (auto manager = session_.windowManagerPID(); manager && session_.missionControlOpen) {
        const auto spacesBar = [&](std::uint32_t id, const Rect& frame) {
            SimWindow bar;
            bar.id = id;
            bar.pid = *manager;
            bar.title = "Spaces Bar";
            bar.layer = kMissionControlLayer;
            bar.bounds = frame;
            return bar;
        };
        const auto layout = MissionControlLayout::bars(session_, session_.loop().uptime());
        for (const auto& display : layout) {
            const std::uint32_t barID = session_.spacesBarWindowID(display.displayID);
            result.push_back(spacesBar(barID, display.bar));
            SimWindow backdrop;
            backdrop.id = barID + 1;
            backdrop.pid = *manager;
            backdrop.layer = kMissionControlLayer;
            backdrop.bounds = display.display;
            result.push_back(backdrop);
        }
        const auto& faults = session_.capture.faults;
        std::uint32_t extraID = kExtraSpacesBarIDs;
        for (auto displayID : faults.extraSpacesBars)
            for (const auto& display : layout)
                if (display.displayID == displayID) result.push_back(spacesBar(extraID++, display.bar));
        std::uint32_t strayID = kStraySpacesBarIDs;
        for (const auto& frame : faults.barsOutsideDisplays) result.push_back(spacesBar(strayID++, frame));
    }
    if (auto dock = session_.dockPID()) {
        for (auto id : session_.orderedScreens()) {
            const auto* display = session_.display(id);
            if (!display) continue;
            SimWindow dockWindow;
            dockWindow.id = 800000 + id;
            dockWindow.pid = *dock;
            dockWindow.title = "Dock";
            dockWindow.layer = kDockLayer;
            const Rect& b = display->bounds;
            dockWindow.bounds = Rect(b.minX(), b.maxY() - 70, b.width(), 70);
            result.push_back(dockWindow);
        }
    }
    return result;
}

std::optional<Value> SimWindowServer::copyWindowList(std::uint32_t options, std::uint32_t) {
    auto guard = session_.lock();
    ++windowListCopies;
    if (session_.windowListOverride) return *session_.windowListOverride;
    return Value(windowList(options & platform::window_list::kOptionOnScreenOnly));
}

Array SimWindowServer::windowList(bool onScreenOnly) const {
    auto guard = session_.lock();
    Array list;
    for (const auto& window : systemWindows()) list.push_back(describe(window, true));
    for (const auto& window : session_.windows) {
        bool visible = isVisible(window);
        if (onScreenOnly && !visible) continue;
        list.push_back(describe(window, visible));
    }
    session_.windowSystem().addToWindowList(list, onScreenOnly);
    return list;
}

std::optional<Value> SimWindowServer::copyWindowDescriptions(const std::vector<std::uint32_t>& windowIDs) {
    auto guard = session_.lock();
    // An injected window list also answers for descriptions: its entries whose number was asked
    // for, in its own order and with its repeats and faults; entries that are not dictionaries, and
    // a list that is not an array, are handed back as they are.
    if (session_.windowListOverride) {
        const auto& override = *session_.windowListOverride;
        if (!override || !override->asArray()) return override;
        Array picked;
        for (const auto& entry : *override->asArray()) {
            if (!entry.asDictionary()) {
                picked.push_back(entry);
                continue;
            }
            const Value* number = entry.find(platform::window_list::kNumber);
            const auto id = number ? number->toUInt32() : std::nullopt;
            if (id && std::find(windowIDs.begin(), windowIDs.end(), *id) != windowIDs.end()) picked.push_back(entry);
        }
        return Value(std::move(picked));
    }
    Array list;
    for (auto id : windowIDs) {
        const auto* window = session_.window(id);
        if (!window) continue;
        list.push_back(describe(*window, isVisible(*window)));
    }
    return Value(std::move(list));
}

std::optional<Value> SimWindowServer::copySessionDictionary() {
    auto guard = session_.lock();
    const auto& login = session_.loginSession;
    if (!login.present) return std::nullopt;
    if (login.dictionary) return login.dictionary;
    Dictionary d;
    d["kCGSSessionOnConsoleKey"] = login.onConsole;
    d["kCGSessionLoginDoneKey"] = login.loginDone;
    d["kCGSSessionUserIDKey"] = Value(session_.system().uid);
    if (login.locked) d["CGSSessionScreenIsLocked"] = true;
    return Value(std::move(d));
}

}  // namespace tarnwick::sim
