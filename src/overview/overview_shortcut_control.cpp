#include "overview/overview_shortcut_control.h"

#include "overview/shortcut_recorder.h"

namespace tarnwick {

namespace ui = platform::ui;

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

ui::Node OverviewShortcutControl::body(ui::ViewContext&) const {
    const auto weak = shortcut_.weak();
    std::vector<ui::Node> rows;
    rows.push_back(ui::hstack(
        ui::VerticalAlignment::center, kRowSpacing,
        ui::nodes(ui::text(kLabel), ui::spacer(), ShortcutRecorder{weak}
                                               .node()
                                               .frame(kRecorderWidth, kRecorderHeight)
                                               .accessibilityIdentifier(kRecorderIdentifier),
                  ui::button(
                      ui::text(kClear),
                      [weak] {
                          if (auto* s = weak.get()) s->use(std::nullopt);
                      },
                      ui::ButtonStyle::bordered)
                      .disabled(!clearEnabled()))));
    rows.push_back(ui::hstack(ui::VerticalAlignment::center, kRowSpacing,
                              ui::nodes(ui::text(helpText()).font(ui::TextStyle::caption).foreground(ui::Color::secondaryLabel()),
                                        ui::spacer(kHelpSpacerMinimum),
                                        ui::button(
                                            ui::text(kUseDefault).font(ui::TextStyle::caption),
                                            [weak] {
                                                if (auto* s = weak.get()) s->use(OverviewShortcut::defaultShortcut);
                                            },
                                            ui::ButtonStyle::bordered))));
    if (auto error = errorLine())
        rows.push_back(ui::text(std::move(*error)).font(ui::TextStyle::caption).foreground(ui::Color::systemRed()));
    // The buttons draw in the primary colour, not the accent: they are quiet companions of the recorder.
    return ui::vstack(ui::HorizontalAlignment::leading, kSpacing, std::move(rows)).tint(ui::Color::label());
}

void OverviewShortcutControl::observe(ui::ViewHost& host, GlobalOverviewShortcut& shortcut) {
    host.watch(shortcut.shortcut);
    host.watch(shortcut.isRecording);
    host.watch(shortcut.error);
    host.watch(shortcut.objectWillChange);
}

ui::Node OverviewShortcutControl::Standalone::body(ui::ViewContext&) {
    return ui::component(OverviewShortcutControl(shortcut_));
}

}  // namespace tarnwick
