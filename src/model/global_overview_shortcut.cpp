#include "model/global_overview_shortcut.h"

#include <utility>
#include <vector>

#include "platform/platform.h"

namespace tarnwick {

namespace {

namespace carbon = platform::carbon;
namespace symbolic = platform::symbolic_hot_key;

constexpr std::uint32_t kSignature = platform::fourCharCode("TKOV");
static_assert(kSignature == 0x544B4F56);

constexpr const char* kIncludeCommandOrControl = "Include Command or Control with your shortcut.";
constexpr const char* kUsedByMacOS = "That shortcut is used by macOS. Choose another combination.";
constexpr const char* kAlreadyInUse = "That shortcut is already in use. Choose another combination.";

std::string couldNotStart(platform::OSStatus status) {
    return "The keyboard shortcut could not start (" + std::to_string(status) + ").";
}

std::string couldNotRegister(platform::OSStatus status) {
    return "That shortcut could not be registered (" + std::to_string(status) + "). Try another combination.";
}

}  // namespace

GlobalOverviewShortcut::GlobalOverviewShortcut() : GlobalOverviewShortcut(OverviewShortcutStore()) {}

GlobalOverviewShortcut::GlobalOverviewShortcut(OverviewShortcutStore store)
    : hotKeys_(*platform::current().hotKeys),
      notificationCenter_(*platform::current().notificationCenter),
      store_(std::move(store)) {
    shortcut.set(store_.value());
}

// The event handler holds this object as raw user data, so nothing may reach it once it is gone.
GlobalOverviewShortcut::~GlobalOverviewShortcut() { releaseSystemResources(); }

void GlobalOverviewShortcut::start(std::function<void()> action) {
    action_ = std::move(action);
    started_ = true;
    if (!layoutObserver_) {
        layoutObserver_ = notificationCenter_.addObserver(
            platform::notification_names::kKeyboardSelectionDidChange,
            [this, alive = lifetime_.weak()](const platform::Notification&) {
                if (!alive) return;
                // Key codes do not depend on the layout: only the names change, the registration stays.
                objectWillChange.emit();
                if (alive) notifyChanged();
            });
    }
    synchronise();
}

void GlobalOverviewShortcut::setSuspended(bool suspended) {
    if (suspended == suspended_) return;
    suspended_ = suspended;
    synchronise();
}

void GlobalOverviewShortcut::beginRecording() {
    if (isRecording.get()) return;
    isRecording.set(true);
    setError(std::nullopt);
    unregister();
    notifyChanged();
}

void GlobalOverviewShortcut::cancelRecording() {
    if (!isRecording.get()) return;
    isRecording.set(false);
    synchronise();
}

void GlobalOverviewShortcut::rejectRecording() { setError(kIncludeCommandOrControl); }

bool GlobalOverviewShortcut::use(const std::optional<OverviewShortcut>& newShortcut) {
    if (newShortcut && !newShortcut->isValid()) {
        setError(kIncludeCommandOrControl);
        return false;
    }
    if (auto failure = install(newShortcut)) {
        isRecording.setIfChanged(false);
        synchronise();
        setError(std::move(failure));
        notifyChanged();
        return false;
    }
    shortcut.setIfChanged(newShortcut);
    store_.save(newShortcut);
    isRecording.setIfChanged(false);
    setError(std::nullopt);
    // Registering only proved the combination free; it stays off while held off.
    if (!started_ || suspended_) unregister();
    notifyChanged();
    return true;
}

void GlobalOverviewShortcut::dispose() {
    started_ = false;
    action_ = nullptr;
    isRecording.setIfChanged(false);
    releaseSystemResources();
}

void GlobalOverviewShortcut::releaseSystemResources() {
    unregister();
    if (handler_) {
        hotKeys_.removeEventHandler(*handler_);
        handler_.reset();
    }
    layoutObserver_.reset();
}

void GlobalOverviewShortcut::synchronise() {
    if (!started_ || suspended_ || isRecording.get())
        unregister();
    else
        setError(install(shortcut.get()));
    notifyChanged();
}

void GlobalOverviewShortcut::unregister() {
    if (hotKey_) {
        hotKeys_.unregisterEventHotKey(*hotKey_);
        hotKey_.reset();
    }
    installed_.reset();
    isRegistered_ = false;
    press_.reset();
}

std::optional<std::string> GlobalOverviewShortcut::install(const std::optional<OverviewShortcut>& wanted) {
    if (!wanted) {
        unregister();
        return std::nullopt;
    }
    if (installed_ == wanted && hotKey_) return std::nullopt;
    if (usedBySystem(*wanted)) return kUsedByMacOS;

    const auto target = hotKeys_.applicationEventTarget();
    if (!handler_) {
        const std::vector<platform::EventTypeSpec> types{{carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed},
                                                         {carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased}};
        platform::EventHandlerRef ref;
        auto status = hotKeys_.installEventHandler(target, &GlobalOverviewShortcut::handleHotKeyEvent, types, this, ref);
        if (status != carbon::kNoErr) return couldNotStart(status);
        handler_ = ref;
    }

    // The new combination is registered before the old one goes, so a failure keeps the old.
    const std::uint32_t attempt = identifier_ + 1;
    platform::EventHotKeyRef ref;
    auto status = hotKeys_.registerEventHotKey(wanted->keyCode, wanted->modifiers, {kSignature, attempt}, target,
                                               carbon::kEventHotKeyExclusive, ref);
    if (status == carbon::kEventHotKeyExistsErr) return kAlreadyInUse;
    if (status != carbon::kNoErr || !ref) return couldNotRegister(status);
    unregister();
    identifier_ = attempt;
    hotKey_ = ref;
    installed_ = wanted;
    isRegistered_ = true;
    return std::nullopt;
}

// Whether an enabled system shortcut has the same key and modifiers. An unreadable list counts
// as no conflict: the registration itself still refuses a taken combination.
bool GlobalOverviewShortcut::usedBySystem(const OverviewShortcut& candidate) {
    std::optional<Value> list;
    if (hotKeys_.copySymbolicHotKeys(list) != carbon::kNoErr || !list || !list->asArray()) return false;
    const Array& entries = *list->asArray();
    for (const auto& entry : entries)
        if (!entry.asDictionary()) return false;
    for (const auto& entry : entries) {
        const Value* enabled = entry.find(symbolic::kEnabled);
        const Value* code = entry.find(symbolic::kCode);
        const Value* modifiers = entry.find(symbolic::kModifiers);
        if (!enabled || enabled->toBool() != true) continue;
        if (!code || !code->isNumber() || !modifiers || !modifiers->isNumber()) continue;
        auto keyCode = code->toUInt32();
        auto bits = modifiers->toUInt64();
        if (keyCode == candidate.keyCode && bits && (*bits & OverviewShortcut::modifierMask) == candidate.modifiers)
            return true;
    }
    return false;
}

platform::OSStatus GlobalOverviewShortcut::handleHotKeyEvent(platform::EventRef event, void* userData) {
    if (!event || !userData) return carbon::kEventNotHandledErr;
    return static_cast<GlobalOverviewShortcut*>(userData)->handle(event);
}

platform::OSStatus GlobalOverviewShortcut::handle(platform::EventRef event) {
    platform::EventHotKeyID id;
    auto status =
        hotKeys_.getEventParameter(event, carbon::kEventParamDirectObject, carbon::kTypeEventHotKeyID, id);
    // Not ours, or from an earlier registration: let other handlers see it.
    if (status != carbon::kNoErr || id.signature != kSignature || id.id != identifier_ || !isRegistered_)
        return carbon::kEventNotHandledErr;
    if (hotKeys_.getEventKind(event) == carbon::kEventHotKeyReleased) {
        press_.released();
        return carbon::kNoErr;
    }
    if (started_ && !suspended_ && !isRecording.get() && press_.pressed() && action_) {
        // The action may dispose of or destroy this object; nothing is touched afterwards.
        auto action = action_;
        action();
    }
    return carbon::kNoErr;
}

void GlobalOverviewShortcut::setError(std::optional<std::string> message) { error.setIfChanged(std::move(message)); }

void GlobalOverviewShortcut::notifyChanged() {
    if (!changed) return;
    auto hook = changed;
    hook();
}

}  // namespace tarnwick
