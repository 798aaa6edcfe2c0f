#include "platform/sim/sim_hot_keys.h"

#include <algorithm>

namespace tarnwick::sim {

namespace carbon = platform::carbon;
using platform::OSStatus;

namespace {
constexpr std::uint64_t kApplicationTarget = 1;
// Parameter present but of another type.
constexpr OSStatus kTypeMismatch = -1700;
// Bits outside the four modifiers (the function key) that the system's arrow shortcuts carry.
constexpr std::uint32_t kFunctionKeyBit = 0x20000;

Value symbolic(bool enabled, int code, std::uint32_t modifiers) {
    Dictionary entry;
    entry[platform::symbolic_hot_key::kEnabled] = enabled;
    entry[platform::symbolic_hot_key::kCode] = code;
    entry[platform::symbolic_hot_key::kModifiers] = modifiers;
    return Value(std::move(entry));
}
}  // namespace

SimHotKeys::SimHotKeys(RunLoop& loop) : symbolicHotKeys(defaultSymbolicHotKeys()), loop_(loop) {}

Value SimHotKeys::defaultSymbolicHotKeys() {
    return Value(Array{
        symbolic(true, 49, carbon::kCmdKey),                                           // Spotlight
        symbolic(true, 49, carbon::kCmdKey | carbon::kOptionKey),                      // Finder search
        symbolic(true, 49, carbon::kControlKey),                                       // previous input source
        symbolic(true, 126, carbon::kControlKey | kFunctionKeyBit),                    // Mission Control
        symbolic(true, 125, carbon::kControlKey | kFunctionKeyBit),                    // application windows
        symbolic(true, 123, carbon::kControlKey | kFunctionKeyBit),                    // desktop to the left
        symbolic(true, 124, carbon::kControlKey | kFunctionKeyBit),                    // desktop to the right
        symbolic(true, 20, carbon::kCmdKey | carbon::kShiftKey),                       // screenshot
        symbolic(true, 21, carbon::kCmdKey | carbon::kShiftKey),                       // screenshot of an area
        symbolic(true, 2, carbon::kCmdKey | carbon::kOptionKey),                       // Dock hiding
        symbolic(false, 28, carbon::kCmdKey | carbon::kOptionKey | carbon::kControlKey),  // invert colours (off)
    });
}

platform::EventTargetRef SimHotKeys::applicationEventTarget() { return {kApplicationTarget}; }

OSStatus SimHotKeys::installEventHandler(platform::EventTargetRef target, platform::EventHandlerProc handler,
                                         const std::vector<platform::EventTypeSpec>& types, void* userData,
                                         platform::EventHandlerRef& handlerRef) {
    handlerRef = {};
    if (target.id != kApplicationTarget || !handler) return carbon::kParamErr;
    if (installHandlerStatus != carbon::kNoErr) return installHandlerStatus;
    ++handlerInstalls;
    handlerRef = {nextRef_++};
    handlers_.push_back(Handler{handlerRef, handler, types, userData});
    return carbon::kNoErr;
}

OSStatus SimHotKeys::removeEventHandler(platform::EventHandlerRef handlerRef) {
    auto removed = std::erase_if(handlers_, [&](const Handler& h) { return h.ref == handlerRef; });
    if (removed == 0) return carbon::kParamErr;
    ++handlerRemovals;
    return carbon::kNoErr;
}

const SimHotKeyRegistration* SimHotKeys::holder(std::uint32_t keyCode, std::uint32_t modifiers) const {
    for (const auto& r : registrations_)
        if (r.keyCode == keyCode && r.modifiers == modifiers) return &r;
    return nullptr;
}

OSStatus SimHotKeys::registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, platform::EventHotKeyID id,
                                         platform::EventTargetRef target, std::uint32_t options,
                                         platform::EventHotKeyRef& hotKeyRef) {
    ++registerCalls;
    hotKeyRef = {};
    if (target.id != kApplicationTarget) return carbon::kParamErr;
    if (registerStatus) return *registerStatus;
    if (holder(keyCode, modifiers)) return carbon::kEventHotKeyExistsErr;
    hotKeyRef = {nextRef_++};
    registrations_.push_back(SimHotKeyRegistration{hotKeyRef, keyCode, modifiers, id, options, {}});
    return carbon::kNoErr;
}

OSStatus SimHotKeys::unregisterEventHotKey(platform::EventHotKeyRef hotKeyRef) {
    ++unregisterCalls;
    auto removed = std::erase_if(registrations_, [&](const SimHotKeyRegistration& r) {
        return r.owner.empty() && r.ref == hotKeyRef;
    });
    return removed ? carbon::kNoErr : carbon::kEventHotKeyInvalidErr;
}

OSStatus SimHotKeys::getEventParameter(platform::EventRef event, std::uint32_t name, std::uint32_t type,
                                       platform::EventHotKeyID& value) {
    auto it = std::find_if(inFlight_.begin(), inFlight_.end(), [&](const Event& e) { return e.id == event.id; });
    if (it == inFlight_.end()) return carbon::kParamErr;
    if (name != carbon::kEventParamDirectObject || !it->hotKeyID) return carbon::kEventParameterNotFoundErr;
    if (type != carbon::kTypeEventHotKeyID) return kTypeMismatch;
    value = *it->hotKeyID;
    return carbon::kNoErr;
}

std::uint32_t SimHotKeys::getEventKind(platform::EventRef event) {
    for (const auto& e : inFlight_)
        if (e.id == event.id) return e.kind;
    return 0;
}

OSStatus SimHotKeys::copySymbolicHotKeys(std::optional<Value>& hotKeys) {
    if (symbolicHotKeysStatus != carbon::kNoErr) {
        hotKeys.reset();
        return symbolicHotKeysStatus;
    }
    hotKeys = symbolicHotKeys;
    return carbon::kNoErr;
}

std::vector<SimHotKeyRegistration> SimHotKeys::ownRegistrations() const {
    std::vector<SimHotKeyRegistration> own;
    for (const auto& r : registrations_)
        if (r.owner.empty()) own.push_back(r);
    return own;
}

bool SimHotKeys::registerForOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers, std::string application) {
    if (holder(keyCode, modifiers)) return false;
    registrations_.push_back(SimHotKeyRegistration{{nextRef_++}, keyCode, modifiers, {}, carbon::kEventHotKeyExclusive,
                                                   application.empty() ? "another application" : std::move(application)});
    return true;
}

OSStatus SimHotKeys::sendHotKeyEvent(std::optional<platform::EventHotKeyID> id, std::uint32_t kind) {
    const Event event{nextRef_++, carbon::kEventClassKeyboard, kind, id};
    inFlight_.push_back(event);
    // Handlers may come and go while the event travels; each is looked up before it is called.
    std::vector<platform::EventHandlerRef> chain;
    for (auto it = handlers_.rbegin(); it != handlers_.rend(); ++it)
        if (std::any_of(it->types.begin(), it->types.end(), [&](const platform::EventTypeSpec& t) {
                return t.eventClass == event.eventClass && t.eventKind == kind;
            }))
            chain.push_back(it->ref);
    OSStatus status = carbon::kEventNotHandledErr;
    for (auto ref : chain) {
        auto h = std::find_if(handlers_.begin(), handlers_.end(), [&](const Handler& x) { return x.ref == ref; });
        if (h == handlers_.end()) continue;
        const auto proc = h->proc;
        void* const userData = h->userData;
        status = proc(platform::EventRef{event.id}, userData);
        if (status != carbon::kEventNotHandledErr) break;
    }
    std::erase_if(inFlight_, [&](const Event& e) { return e.id == event.id; });
    deliveries_.push_back(SimHotKeyDelivery{id, kind, status, {}});
    return status;
}

void SimHotKeys::deliverLater(std::uint32_t keyCode, std::uint32_t modifiers, std::uint32_t kind) {
    const SimHotKeyRegistration* registration = holder(keyCode, modifiers);
    if (!registration) return;
    auto alive = lifetime_.weak();
    if (!registration->owner.empty()) {
        loop_.post([this, alive, kind, owner = registration->owner] {
            if (alive) deliveries_.push_back(SimHotKeyDelivery{std::nullopt, kind, carbon::kNoErr, owner});
        });
        return;
    }
    // The event carries the id the combination was registered with when the keys moved.
    loop_.post([this, alive, kind, id = registration->id] {
        if (alive) sendHotKeyEvent(id, kind);
    });
}

void SimHotKeys::keyDown(std::uint32_t keyCode, std::uint32_t modifiers) {
    deliverLater(keyCode, modifiers, carbon::kEventHotKeyPressed);
}

void SimHotKeys::keyUp(std::uint32_t keyCode, std::uint32_t modifiers) {
    deliverLater(keyCode, modifiers, carbon::kEventHotKeyReleased);
}

}  // namespace tarnwick::sim
