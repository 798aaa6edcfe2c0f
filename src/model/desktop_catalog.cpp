#include "model/desktop_catalog.h"

#include <set>

#include "support/text.h"
#include "support/uuid.h"

namespace tarnwick {

namespace {

[[noreturn]] void fail(const char* message) { throw DesktopCatalog::Unavailable(message); }

// The descriptor a raw display belongs to: the first whose id matches ignoring case.
// `foldedIDs` holds the descriptors' ids case-folded, in the same order.
const MonitorDescriptor& matchingDescriptor(const Value& rawDisplay, const std::vector<MonitorDescriptor>& monitors,
                                            const std::vector<std::string>& foldedIDs) {
    const auto* dictionary = rawDisplay.asDictionary();
    if (!dictionary || dictionary->empty() || monitors.empty()) fail(DesktopCatalog::kMonitorUnmatched);
    const auto* identifier = rawDisplay.find("Display Identifier");
    const auto* text = identifier ? identifier->asString() : nullptr;
    if (!text) fail(DesktopCatalog::kMonitorUnmatched);
    const std::string wanted = text::caseFolded(*text);
    for (size_t i = 0; i < monitors.size(); ++i)
        if (foldedIDs[i] == wanted) return monitors[i];
    fail(DesktopCatalog::kMonitorUnmatched);
}

// The display's spaces; every entry must be a dictionary.
const Array& spacesOf(const Value& rawDisplay) {
    const auto* spaces = rawDisplay.find("Spaces");
    const auto* array = spaces ? spaces->asArray() : nullptr;
    if (!array) fail(DesktopCatalog::kMonitorUnmatched);
    for (const auto& space : *array)
        if (!space.asDictionary()) fail(DesktopCatalog::kMonitorUnmatched);
    return *array;
}

// The display's current space id; a missing or unrepresentable id means no current desktop.
std::optional<std::uint64_t> currentSpaceOf(const Value& rawDisplay) {
    const auto* current = rawDisplay.find("Current Space");
    if (!current || !current->asDictionary()) return std::nullopt;
    const auto* id = current->find("id64");
    return id ? id->toUInt64() : std::nullopt;
}

// The space's type: a whole number. Booleans, fractions and numbers beyond the integer range
// mean the data's format changed; any other whole number is a kind of space.
std::int64_t typeOf(const Value& space) {
    const auto* type = space.find("type");
    auto value = type ? type->toInt64() : std::nullopt;
    if (!value) fail(DesktopCatalog::kInformationChanged);
    return *value;
}

std::uint64_t spaceIDOf(const Value& space) {
    const auto* id = space.find("id64");
    auto value = id ? id->toUInt64() : std::nullopt;
    if (!value || *value == 0) fail(DesktopCatalog::kIdentitiesUnverified);
    return *value;
}

// The desktop's identity: its uuid in upper case, or the reserved identity for the first space,
// which the window server keeps without a uuid.
std::string identityOf(const Value& space, std::uint64_t spaceID) {
    const auto* uuid = space.find("uuid");
    const auto* text = uuid ? uuid->asString() : nullptr;
    if (!text) fail(DesktopCatalog::kIdentitiesUnverified);
    if (text->empty() && spaceID == 1) return DesktopCatalog::kFirstSpaceIdentity;
    auto canonical = uuid::canonical(*text);
    if (!canonical || *canonical == DesktopCatalog::kFirstSpaceIdentity) fail(DesktopCatalog::kIdentitiesUnverified);
    return *canonical;
}

}  // namespace

std::vector<DesktopMonitor> DesktopCatalog::parse(const Array& rawDisplays,
                                                  const std::vector<MonitorDescriptor>& monitors) {
    if (rawDisplays.empty()) fail(kNotAvailable);

    std::vector<std::string> foldedIDs;
    foldedIDs.reserve(monitors.size());
    for (const auto& monitor : monitors) foldedIDs.push_back(text::caseFolded(monitor.id));

    std::set<std::string> matchedDisplays;
    std::set<std::string> desktopIDs;
    std::set<std::uint64_t> spaceIDs;
    std::vector<DesktopMonitor> recorded;
    int counter = 0;

    for (const auto& rawDisplay : rawDisplays) {
        const MonitorDescriptor& monitor = matchingDescriptor(rawDisplay, monitors, foldedIDs);
        if (!matchedDisplays.insert(monitor.id).second) fail(kMonitorUnmatched);
        const Array& spaces = spacesOf(rawDisplay);
        const auto currentSpace = currentSpaceOf(rawDisplay);

        DesktopMonitor display{monitor.id, monitor.name, monitor.bounds, {}};
        for (const auto& space : spaces) {
            if (typeOf(space) != 0) continue;  // full-screen apps and other kinds are not desktops
            const std::uint64_t spaceID = spaceIDOf(space);
            std::string identity = identityOf(space, spaceID);
            if (!desktopIDs.insert(identity).second || !spaceIDs.insert(spaceID).second)
                fail(kIdentitiesUnverified);
            ++counter;
            display.desktops.push_back({std::move(identity), spaceID, "Desktop " + std::to_string(counter),
                                        currentSpace == spaceID});
        }
        recorded.push_back(std::move(display));
    }

    // Numbers follow the window server's display order; the result follows the screens' order.
    std::vector<DesktopMonitor> result;
    result.reserve(recorded.size());
    for (const auto& monitor : monitors)
        for (const auto& display : recorded)
            if (display.id == monitor.id) {
                result.push_back(display);
                break;
            }
    return result;
}

}  // namespace tarnwick
