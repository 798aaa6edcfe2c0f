#include "overview/overview_shortcut_control.h"

namespace tarnwick {

bool OverviewShortcutControl::clearEnabled() const {
    return shortcut_.shortcut.get().has_value() || shortcut_.isRecording.get();
}

void OverviewShortcutControl::clear() { shortcut_.use(std::nullopt); }

std::string OverviewShortcutControl::helpText() const {
    return shortcut_.isRecording.get() ? kRecordingHelp : kIdleHelp;
}

void OverviewShortcutControl::useDefault() { shortcut_.use(OverviewShortcut::defaultShortcut); }

std::optional<std::string> OverviewShortcutControl::errorLine() const { return shortcut_.error.get(); }

std::string OverviewShortcutControl::recorderTitle() const {
    if (shortcut_.isRecording.get()) return kRecordingTitle;
    if (const auto& current = shortcut_.shortcut.get()) return current->displayName();
    return kEmptyTitle;
}

std::string OverviewShortcutControl::recorderAccessibilityValue() const {
    if (const auto& current = shortcut_.shortcut.get()) return current->displayName();
    return kNoShortcutAccessibilityValue;
}

}  // namespace tarnwick
