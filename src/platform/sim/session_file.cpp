// Reads a session file (docs/session-format.md) into a SimulatedSession.

#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/sim/sim_accessibility.h"
#include "platform/sim/session_file_reading.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"
#include "support/json.h"

namespace tarnwick::sim {

extern const std::string_view kDefaultSessionJson;

using namespace session_file;

namespace {

Rect rect(const Value& value, const std::string& where) {
    const Array& a = session_file::array(value, where);
    if (a.size() != 4) fail(where, "must list x, y, width and height");
    return Rect(number(a[0], where), number(a[1], where), number(a[2], where), number(a[3], where));
}

// A display's frame, within a range that any arrangement of real screens fits in many times over,
// so that its size in pixels is always a number the window server can hold.
constexpr double kLargestDisplayCoordinate = 1'000'000;
constexpr double kLargestBackingScale = 16;

Rect displayBounds(const Value& value, const std::string& where) {
    const Rect bounds = rect(value, where);
    const double limit = kLargestDisplayCoordinate;
    const auto within = [limit](double v) { return v >= -limit && v <= limit; };
    if (!within(bounds.origin.x) || !within(bounds.origin.y) || !within(bounds.size.width) ||
        !within(bounds.size.height) || bounds.size.width < 0 || bounds.size.height < 0)
        fail(where, "must hold x and y from -1000000 to 1000000 and a width and height from 0 to 1000000");
    return bounds;
}

double backingScale(const Value& value, const std::string& where) {
    const double scale = number(value, where);
    if (!(scale > 0 && scale <= kLargestBackingScale)) fail(where, "must be a number above 0 and at most 16");
    return scale;
}

platform::ActivationPolicy policy(const std::string& text, const std::string& where) {
    if (text == "regular") return platform::ActivationPolicy::regular;
    if (text == "accessory") return platform::ActivationPolicy::accessory;
    if (text == "prohibited") return platform::ActivationPolicy::prohibited;
    fail(where, "must be \"regular\", \"accessory\" or \"prohibited\"");
}

// Values inside Accessibility trees and raw window-server data: JSON, plus tagged objects for
// what JSON cannot hold ({"$point": [x, y]}, {"$size": [w, h]}, {"$double": "nan"},
// {"$date": seconds}, {"$ref": "name"} for an element).
struct TreeBuilder {
    SimulatedSession& session;
    std::int32_t pid;
    std::map<std::string, std::uint64_t> named;
    std::vector<std::pair<std::uint64_t, std::string>> pendingRefs;  // resolved after the tree is built
    std::vector<std::uint64_t> created;

    Value decode(const Value& value, const std::string& where) {
        if (auto items = value.asArray()) {
            Array out;
            for (size_t i = 0; i < items->size(); ++i)
                out.push_back(decode((*items)[i], where + "[" + std::to_string(i) + "]"));
            return Value(std::move(out));
        }
        auto object = value.asDictionary();
        if (!object) return value;
        if (object->size() == 1) {
            const auto& [tag, payload] = *object->begin();
            if (tag == "$point" || tag == "$size") {
                const Array& a = session_file::array(payload, where + "." + tag);
                if (a.size() != 2) fail(where + "." + tag, "must hold two numbers");
                auto first = decode(a[0], where), second = decode(a[1], where);
                double x = number(first, where), y = number(second, where);
                return tag == "$point" ? Value(GeometryValue::makePoint(x, y)) : Value(GeometryValue::makeSize(x, y));
            }
            if (tag == "$double") {
                std::string text = session_file::text(payload, where + ".$double");
                if (text == "nan") return Value(std::nan(""));
                if (text == "inf") return Value(INFINITY);
                if (text == "-inf") return Value(-INFINITY);
                fail(where + ".$double", "must be \"nan\", \"inf\" or \"-inf\"");
            }
            if (tag == "$date") return Value(Date{number(payload, where + ".$date")});
            if (tag == "$node") return Value(ElementRef{build(payload, where + ".$node")});
            if (tag == "$ref") {
                // Placeholder resolved once every named node exists.
                auto placeholder = session.makeNode(pid).id;
                pendingRefs.emplace_back(placeholder, session_file::text(payload, where + ".$ref"));
                return Value(ElementRef{placeholder});
            }
        }
        Dictionary out;
        for (const auto& [key, item] : *object) out[key] = decode(item, where + "." + key);
        return Value(std::move(out));
    }

    // A node: {"name": "...", "attributes": {...}, "errors": {...}, "latency": {...},
    // "settable": [...], "children": [nodes], "windows": [nodes], "windowID": n}.
    std::uint64_t build(const Value& nodeDescription, const std::string& where) {
        const Dictionary& object = session_file::object(nodeDescription, where);
        AXNode& node = session.makeNode(pid);
        const auto id = node.id;
        created.push_back(id);
        if (auto name = member(object, "name")) named[session_file::text(*name, where + ".name")] = id;
        if (auto attributes = member(object, "attributes"))
            for (const auto& [key, value] : session_file::object(*attributes, where + ".attributes")) {
                auto decoded = decode(value, where + ".attributes." + key);
                session.node(id).attributes[key].value = std::move(decoded);
            }
        for (const char* list : {"children", "windows"}) {
            if (auto items = member(object, list)) {
                Array refs;
                const Array& specs = session_file::array(*items, where + "." + list);
                for (size_t i = 0; i < specs.size(); ++i) {
                    const std::string childWhere = where + "." + list + "[" + std::to_string(i) + "]";
                    if (auto ref = specs[i].find("$ref"); ref && specs[i].asDictionary()->size() == 1)
                        refs.push_back(decode(specs[i], childWhere));
                    else
                        refs.emplace_back(ElementRef{build(specs[i], childWhere)});
                }
                session.node(id).attributes[std::string(list) == "children" ? "AXChildren" : "AXWindows"].value =
                    Value(std::move(refs));
            }
        }
        if (auto errors = member(object, "errors"))
            for (const auto& [key, value] : session_file::object(*errors, where + ".errors"))
                session.node(id).attributes[key].error = integer<platform::AXError>(value, where + ".errors." + key);
        if (auto latency = member(object, "latency"))
            for (const auto& [key, value] : session_file::object(*latency, where + ".latency"))
                session.node(id).attributes[key].latency = number(value, where + ".latency." + key);
        if (auto settable = member(object, "settable"))
            for (const auto& key : session_file::array(*settable, where + ".settable"))
                session.node(id).attributes[session_file::text(key, where + ".settable")].settable = true;
        if (auto windowID = member(object, "windowID"))
            session.node(id).windowID = integer<std::uint32_t>(*windowID, where + ".windowID");
        if (auto error = member(object, "namesError"))
            session.node(id).namesError = integer<platform::AXError>(*error, where + ".namesError");
        return id;
    }

    // Element identity matters (a node reached twice must be the same element), so every
    // reference to a placeholder is rewritten to the named node it stands for.
    void resolve(const std::string& where) {
        std::map<std::uint64_t, std::uint64_t> replacement;
        for (const auto& [placeholder, name] : pendingRefs) {
            auto it = named.find(name);
            if (it == named.end()) fail(where, "refers to an unknown node \"" + name + "\"");
            replacement[placeholder] = it->second;
        }
        if (replacement.empty()) return;
        std::function<void(Value&)> rewrite = [&](Value& value) {
            if (auto e = value.asElement()) {
                if (auto it = replacement.find(e->id); it != replacement.end()) value = Value(ElementRef{it->second});
            } else if (auto items = value.asArray()) {
                for (auto& item : *items) rewrite(item);
            } else if (auto object = value.asDictionary()) {
                for (auto& [key, item] : *object) rewrite(item);
            }
        };
        for (auto id : created)
            for (auto& [key, attribute] : session.node(id).attributes) rewrite(attribute.value);
    }
};

SimSpace parseSpace(const Value& value, const std::string& where) {
    const Dictionary& object = session_file::object(value, where);
    SimSpace space;
    auto id = member(object, "id64");
    if (!id) fail(where, "needs \"id64\"");
    space.id64 = integer<std::uint64_t>(*id, where + ".id64");
    if (auto uuid = member(object, "uuid")) space.uuid = session_file::text(*uuid, where + ".uuid");
    if (auto type = member(object, "type")) space.type = integer<int>(*type, where + ".type");
    if (auto title = member(object, "title")) space.fullScreenTitle = session_file::text(*title, where + ".title");
    return space;
}

SimDisplay parseDisplay(const Value& value, const std::string& where) {
    const Dictionary& object = session_file::object(value, where);
    SimDisplay display;
    auto id = member(object, "id");
    if (!id) fail(where, "needs \"id\"");
    display.id = integer<std::uint32_t>(*id, where + ".id");
    if (auto uuid = member(object, "uuid")) {
        if (!uuid->isNull()) display.uuid = session_file::text(*uuid, where + ".uuid");
    }
    if (auto name = member(object, "name")) display.name = session_file::text(*name, where + ".name");
    auto bounds = member(object, "bounds");
    if (!bounds) fail(where, "needs \"bounds\"");
    display.bounds = displayBounds(*bounds, where + ".bounds");
    if (auto scale = member(object, "scale")) display.scale = backingScale(*scale, where + ".scale");
    if (auto flag = member(object, "hasScreenNumber")) display.hasScreenNumber = boolean(*flag, where + ".hasScreenNumber");
    if (auto spaces = member(object, "spaces")) {
        const Array& list = session_file::array(*spaces, where + ".spaces");
        for (size_t i = 0; i < list.size(); ++i)
            display.spaces.push_back(parseSpace(list[i], where + ".spaces[" + std::to_string(i) + "]"));
    }
    if (auto current = member(object, "current"))
        display.currentSpace = integer<std::uint64_t>(*current, where + ".current");
    else if (!display.spaces.empty())
        display.currentSpace = display.spaces.front().id64;
    return display;
}

SimApplication parseApplication(const Value& value, const std::string& where) {
    const Dictionary& object = session_file::object(value, where);
    SimApplication app;
    auto pid = member(object, "pid");
    if (!pid) fail(where, "needs \"pid\"");
    app.pid = integer<std::int32_t>(*pid, where + ".pid");
    if (auto v = member(object, "bundleID")) app.bundleIdentifier = session_file::text(*v, where + ".bundleID");
    if (auto v = member(object, "name")) app.name = session_file::text(*v, where + ".name");
    if (auto v = member(object, "bundleURL")) app.bundleURL = session_file::text(*v, where + ".bundleURL");
    if (auto v = member(object, "policy")) app.policy = policy(session_file::text(*v, where + ".policy"), where + ".policy");
    if (auto v = member(object, "hidden")) app.hidden = boolean(*v, where + ".hidden");
    return app;
}

SimWindow parseWindow(const Value& value, const std::string& where) {
    const Dictionary& object = session_file::object(value, where);
    SimWindow window;
    auto id = member(object, "id");
    auto pid = member(object, "pid");
    if (!id || !pid) fail(where, "needs \"id\" and \"pid\"");
    window.id = integer<std::uint32_t>(*id, where + ".id");
    window.pid = integer<std::int32_t>(*pid, where + ".pid");
    if (auto v = member(object, "title")) window.title = session_file::text(*v, where + ".title");
    if (auto v = member(object, "layer")) window.layer = integer<int>(*v, where + ".layer");
    if (auto v = member(object, "bounds")) window.bounds = rect(*v, where + ".bounds");
    if (auto v = member(object, "alpha")) window.alpha = number(*v, where + ".alpha");
    if (auto v = member(object, "minimized")) window.minimized = boolean(*v, where + ".minimized");
    if (auto v = member(object, "spaces"))
        for (const auto& space : session_file::array(*v, where + ".spaces"))
            window.spaces.push_back(integer<std::uint64_t>(space, where + ".spaces"));
    return window;
}

}  // namespace

void SimulatedSession::load(std::string_view sessionJson, const std::filesystem::path& file) {
    const json::Reading reading = json::parseDocument(sessionJson, json::RepeatedKeys::refused);
    if (!reading.value) {
        const std::string named = file.empty() ? "The session file" : "The session file " + file.string();
        if (reading.refusal != json::Reading::Refusal::repeatedKey) throw Error(named + " " + reading.why() + ".");
        throw Error(named + " is not valid: " + (reading.place.empty() ? "the top level" : reading.place.substr(1)) +
                    " " + reading.why() + ".");
    }
    const auto& parsed = reading.value;
    const Dictionary& root = session_file::object(*parsed, "the top level");

    if (auto system = member(root, "system")) {
        const Dictionary& object = session_file::object(*system, "\"system\"");
        if (auto v = member(object, "osVersion")) system_.osVersion = session_file::text(*v, "system.osVersion");
        if (auto v = member(object, "processID")) system_.processID = integer<std::int32_t>(*v, "system.processID");
        if (auto v = member(object, "userID")) system_.uid = integer<std::uint32_t>(*v, "system.userID");
        if (auto v = member(object, "accessibilityTrusted")) accessibilityTrusted = boolean(*v, "system.accessibilityTrusted");
        if (auto v = member(object, "screenCaptureAllowed"))
            system_.screenCaptureAllowed = boolean(*v, "system.screenCaptureAllowed");
    }
    if (auto list = member(root, "displays")) {
        displays.clear();
        const Array& items = session_file::array(*list, "\"displays\"");
        for (size_t i = 0; i < items.size(); ++i)
            displays.push_back(parseDisplay(items[i], "displays[" + std::to_string(i) + "]"));
    }
    if (auto list = member(root, "screenOrder")) {
        screenOrder.clear();
        for (const auto& id : session_file::array(*list, "\"screenOrder\""))
            screenOrder.push_back(integer<std::uint32_t>(id, "screenOrder"));
    }
    if (auto list = member(root, "applications")) {
        applications.clear();
        const Array& items = session_file::array(*list, "\"applications\"");
        for (size_t i = 0; i < items.size(); ++i)
            applications.push_back(parseApplication(items[i], "applications[" + std::to_string(i) + "]"));
    }
    if (auto list = member(root, "windows")) {
        windows.clear();
        const Array& items = session_file::array(*list, "\"windows\"");
        for (size_t i = 0; i < items.size(); ++i)
            windows.push_back(parseWindow(items[i], "windows[" + std::to_string(i) + "]"));
    }
    if (auto v = member(root, "frontmost")) frontmostPID = integer<std::int32_t>(*v, "frontmost");
    if (auto mc = member(root, "missionControl")) {
        const Dictionary& object = session_file::object(*mc, "\"missionControl\"");
        if (auto v = member(object, "open")) missionControlOpen = boolean(*v, "missionControl.open");
        if (missionControlOpen) capture.missionControlOpenedAt = loop_.uptime();
        if (auto v = member(object, "expanded")) spacesBarExpanded = boolean(*v, "missionControl.expanded");
    }
    if (auto login = member(root, "session")) {
        const Dictionary& object = session_file::object(*login, "\"session\"");
        if (auto v = member(object, "present")) loginSession.present = boolean(*v, "session.present");
        if (auto v = member(object, "onConsole")) loginSession.onConsole = boolean(*v, "session.onConsole");
        if (auto v = member(object, "loginDone")) loginSession.loginDone = boolean(*v, "session.loginDone");
        if (auto v = member(object, "locked")) loginSession.locked = boolean(*v, "session.locked");
        // Any value at all: the dictionary is read as the system hands it out, odd types included.
        if (auto v = member(object, "dictionary")) loginSession.dictionary = *v;
    }
    if (auto sky = member(root, "skyLight")) {
        const Dictionary& object = session_file::object(*sky, "\"skyLight\"");
        if (auto v = member(object, "available")) skyLight.available = boolean(*v, "skyLight.available");
        if (auto v = member(object, "missingSymbols"))
            for (const auto& name : session_file::array(*v, "skyLight.missingSymbols"))
                skyLight.missingSymbols.insert(session_file::text(name, "skyLight.missingSymbols"));
        if (auto v = member(object, "managedDisplaySpaces")) {
            TreeBuilder decoder{*this, 0, {}, {}, {}};
            skyLight.managedDisplaySpaces =
                v->isNull() ? std::optional<Value>() : std::optional<Value>(decoder.decode(*v, "skyLight.managedDisplaySpaces"));
        }
    }
    if (auto v = member(root, "windowList")) {
        TreeBuilder decoder{*this, 0, {}, {}, {}};
        windowListOverride = v->isNull() ? std::optional<Value>() : std::optional<Value>(decoder.decode(*v, "windowList"));
    }
    if (auto ax = member(root, "accessibility")) {
        const Dictionary& object = session_file::object(*ax, "\"accessibility\"");
        if (auto trees = member(object, "trees")) {
            const Array& items = session_file::array(*trees, "accessibility.trees");
            for (size_t i = 0; i < items.size(); ++i) {
                const std::string where = "accessibility.trees[" + std::to_string(i) + "]";
                const Dictionary& tree = session_file::object(items[i], where);
                std::int32_t pid = 0;
                if (auto v = member(tree, "pid")) {
                    pid = integer<std::int32_t>(*v, where + ".pid");
                } else if (auto v = member(tree, "bundleID")) {
                    const auto* app = applicationWithBundleID(session_file::text(*v, where + ".bundleID"));
                    if (!app) fail(where + ".bundleID", "names no application of the session");
                    pid = app->pid;
                } else {
                    fail(where, "needs \"pid\" or \"bundleID\"");
                }
                auto root = member(tree, "root");
                if (!root) fail(where, "needs \"root\"");
                TreeBuilder builder{*this, pid, {}, {}, {}};
                explicitTreeRoots[pid] = builder.build(*root, where + ".root");
                builder.resolve(where);
            }
        }
    }
    if (auto v = member(root, "defaults")) {
        Dictionary values;
        for (const auto& [key, item] : session_file::object(*v, "\"defaults\"")) {
            if (auto malformed = findMalformedDefaultsTag(item))
                fail("defaults." + key + malformed->path, malformed->expectation);
            values[key] = decodeDefaultsValue(item);
        }
        // The domain's initial content: a domain the user already has (even an unreadable one)
        // is never changed by a session file.
        if (defaults_->startedFresh())
            for (auto& [key, item] : values) defaults_->set(key, std::move(item));
    }
    loadKeyboardSections(root);
    loadInstallationState(root);
    loadNavigationSection(root);
    loadCaptureSections(root);
    loadUserInterfaceSections(root);
    loadUpdatesSection(root);
    loadApplicationSections(root);
    rebuildAccessibility();
}

void SimulatedSession::loadFile(const std::filesystem::path& file) {
    std::string text;
    try {
        text = json::readFile(file);
    } catch (const Error&) {
        throw Error("The session file " + file.string() + " could not be read.");
    }
    load(text, file);
}

void SimulatedSession::loadDefaultSession() { load(kDefaultSessionJson); }

std::filesystem::path homeFolder(const char* homeVariable, const char* accountHome) {
    if (homeVariable && *homeVariable) return homeVariable;
    // Never a shared folder such as the temporary one: others could read or plant the user's
    // names and settings there.
    if (accountHome && *accountHome) return accountHome;
    throw Error("Tarnwick cannot tell where your files belong: HOME is not set and your account has no home folder.");
}

std::filesystem::path programHomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    const bool known = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found;
    return homeFolder(home, known ? found->pw_dir : nullptr);
}

std::unique_ptr<SimulatedSession> makeProgramSession(RunLoop& loop) {
    auto session = std::make_unique<SimulatedSession>(loop, programHomeFolder(), true);
    const char* file = std::getenv("TARNWICK_SESSION");
    if (file && *file)
        session->loadFile(file);
    else
        session->loadDefaultSession();
    return session;
}

}  // namespace tarnwick::sim
