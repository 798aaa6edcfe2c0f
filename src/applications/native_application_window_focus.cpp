#include "applications/native_application_window_focus.h"

#include "platform/platform.h"
#include "support/run_loop.h"

namespace tarnwick {

namespace {

namespace ax = platform::ax_error;

template <typename Function>
Function lookUp(platform::SymbolNamespace& library, const char* name) {
    auto found = library.lookUp(name);
    if (!found) return {};
    if (auto* function = std::get_if<Function>(&*found)) return *function;
    return {};
}

platform::Accessibility& accessibility() { return *platform::current().accessibility; }

// Every element gets a short messaging timeout before it is asked anything, so a hung app
// cannot stall the main loop.
ElementRef prepared(ElementRef element) {
    accessibility().setMessagingTimeout(element, NativeApplicationWindowFocus::kMessagingTimeout);
    return element;
}

ElementRef applicationElement(std::int32_t pid) { return prepared(accessibility().createApplication(pid)); }

// The elements of a list value; nothing unless every entry is an element.
std::optional<std::vector<ElementRef>> elementList(const Value& value) {
    const Array* items = value.asArray();
    if (!items) return std::nullopt;
    std::vector<ElementRef> elements;
    for (const auto& item : *items) {
        const ElementRef* element = item.asElement();
        if (!element) return std::nullopt;
        elements.push_back(*element);
    }
    return elements;
}

}  // namespace

NativeApplicationWindowFocus::NativeApplicationWindowFocus() {
    auto* functions = platform::current().privateFunctions;
    library_ = functions ? functions->openGlobalNamespace() : nullptr;
    if (!library_) return;
    getPSN_ = lookUp<platform::GetProcessForPIDFunction>(*library_, "GetProcessForPID");
    setFront_ = lookUp<platform::SetFrontProcessWithOptionsFunction>(*library_, "_SLPSSetFrontProcessWithOptions");
    keyRecord_ = lookUp<platform::PostEventRecordToFunction>(*library_, "SLPSPostEventRecordTo");
    getWindow_ = lookUp<platform::AXUIElementGetWindowFunction>(*library_, "_AXUIElementGetWindow");
}

NativeApplicationWindowFocus::~NativeApplicationWindowFocus() = default;

NativeApplicationWindowFocus& NativeApplicationWindowFocus::shared() {
    static NativeApplicationWindowFocus instance;
    return instance;
}

platform::EventRecordBytes NativeApplicationWindowFocus::eventRecord(std::uint32_t windowID, std::uint8_t sequence) {
    platform::EventRecordBytes bytes{};
    bytes[0x04] = 0xF8;
    bytes[0x08] = sequence;
    for (int i = 0x20; i < 0x30; ++i) bytes[i] = 0xFF;
    bytes[0x3A] = 0x10;
    for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<std::uint8_t>(windowID >> (8 * i));
    return bytes;
}

std::optional<std::int32_t> NativeApplicationWindowFocus::request(const SpaceApplicationFocusTarget& target) {
    if (target.ownerPID <= 0 || target.windowID == 0) return std::nullopt;
    if (!getPSN_ || !setFront_ || !keyRecord_ || !getWindow_) return std::nullopt;
    platform::ProcessSerialNumber psn;
    if (auto status = getPSN_(target.ownerPID, &psn); status != 0) return status;
    if (auto status = setFront_(&psn, target.windowID, kFrontProcessOptions); status != 0) return status;
    // Both records are needed for the window to become key; their statuses say nothing useful.
    const auto first = eventRecord(target.windowID, 0x01);
    keyRecord_(&psn, first.data());
    const auto second = eventRecord(target.windowID, 0x02);
    keyRecord_(&psn, second.data());
    return 0;
}

std::optional<std::uint32_t> NativeApplicationWindowFocus::windowID(ElementRef element) {
    if (!getWindow_) return std::nullopt;
    std::uint32_t id = 0;
    if (getWindow_(element, &id) != ax::kSuccess || id == 0) return std::nullopt;
    return id;
}

std::optional<std::uint32_t> NativeApplicationWindowFocus::focusedWindowID(std::int32_t pid) {
    Value value;
    if (accessibility().copyAttributeValue(applicationElement(pid), "AXFocusedWindow", value) != ax::kSuccess)
        return std::nullopt;
    const ElementRef* window = value.asElement();
    if (!window) return std::nullopt;
    return windowID(prepared(*window));
}

std::set<std::uint32_t> NativeApplicationWindowFocus::accessibleWindowIDs(std::int32_t pid) {
    Value value;
    if (accessibility().copyAttributeValue(applicationElement(pid), "AXWindows", value) != ax::kSuccess) return {};
    auto windows = elementList(value);
    if (!windows) return {};
    std::set<std::uint32_t> ids;
    const double start = systemUptime();
    for (auto window : *windows) {
        if (systemUptime() - start >= kWalkBudget) break;
        if (auto id = windowID(prepared(window))) ids.insert(*id);
    }
    return ids;
}

std::map<std::string, std::int32_t> NativeApplicationWindowFocus::restoreAndRaise(
    const SpaceApplicationFocusTarget& target) {
    auto& ax = accessibility();
    const ElementRef application = applicationElement(target.ownerPID);
    Value value;
    const std::int32_t windowsRead = ax.copyAttributeValue(application, "AXWindows", value);
    auto windows = elementList(value);
    if (!windows) return {{"found", 0}, {"windowsRead", windowsRead}};

    const double start = systemUptime();
    for (auto candidate : *windows) {
        if (systemUptime() - start >= kWalkBudget) break;
        const ElementRef window = prepared(candidate);
        auto id = windowID(window);
        if (!id || *id != target.windowID) continue;
        Value minimized;
        if (ax.copyAttributeValue(window, "AXMinimized", minimized) == ax::kSuccess && minimized.asBool() == true)
            ax.setAttributeValue(window, "AXMinimized", Value(false));
        const std::int32_t main = ax.setAttributeValue(window, "AXMain", Value(true));
        const std::int32_t focus = ax.setAttributeValue(application, "AXFocusedWindow", Value(window));
        const std::int32_t raise = ax.performAction(window, "AXRaise");
        return {{"found", 1}, {"main", main}, {"focus", focus}, {"raise", raise}};
    }
    return {{"found", 0}, {"windowsRead", windowsRead}};
}

}  // namespace tarnwick
