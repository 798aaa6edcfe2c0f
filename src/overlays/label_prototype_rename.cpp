// Labels take the mouse only while Option alone is held, and an Option-double-click asks the
// owner to rename the desktop, once a fresh geometry read shows the label still where it was.

#include "overlays/label_prototype.h"
#include "platform/platform.h"

namespace tarnwick {

void LabelPrototype::startModifierMonitor() {
    if (modifierMonitor_) return;
    modifierMonitor_ = platform::current().events->addGlobalMonitor(
        platform::event_mask::kFlagsChanged, [this, alive = lifetime_.weak()](const platform::Event& event) {
            if (alive) updateMouseRouting(event.modifierFlags);
        });
}

void LabelPrototype::stopModifierMonitor() {
    if (!modifierMonitor_) return;
    platform::current().events->removeMonitor(*modifierMonitor_);
    modifierMonitor_.reset();
}

void LabelPrototype::updateMouseRouting(platform::ModifierFlags flags) {
    const bool modifier = FrostedLabelView::quickRenameModifier(flags);
    for (auto& [id, presentation] : presentations_) {
        platform::ui::Panel& panel = presentation->panel();
        FrostedLabelView* view = presentation->label();
        const bool clickable =
            modifier && !renaming_ && panel.isVisible() && view && presentationIsCurrent(*presentation, id);
        if (clickable) {
            // A label still revealing stays click-through until the next update after its reveal.
            const bool ignores = view->isRevealing();
            if (panel.ignoresMouseEvents() != ignores) {
                panel.setIgnoresMouseEvents(ignores);
                panel.invalidateCursorRects(*view);
            }
        } else if (!panel.ignoresMouseEvents()) {
            panel.setIgnoresMouseEvents(true);
            if (view) panel.invalidateCursorRects(*view);
        }
    }
}

void LabelPrototype::renameOverlay(const std::string& desktopID) {
    if (renaming_ || !quickRename) return;
    auto it = presentations_.find(desktopID);
    if (it == presentations_.end()) return;
    const std::shared_ptr<Presentation>& presentation = it->second;
    const FrostedLabelView* view = presentation->label();
    if (!presentation->panel().isVisible() || !view || view->isRevealing() ||
        !presentationIsCurrent(*presentation, desktopID))
        return;
    spawn(RunLoop::main(), runRename(lifetime_.weak(), desktopID, presentation, quickRename, generation_));
}

Task<void> LabelPrototype::runRename(Weak alive, std::string desktopID, std::weak_ptr<Presentation> weakPresentation,
                                     std::function<void(const std::string&)> hook, int generation) {
    // A geometry read that started after the double click.
    auto reading = readLiveState(alive, systemUptime(), true, true);
    const std::optional<LiveState> live = co_await std::move(reading);
    if (!alive || !live || generation_ != generation || renaming_) co_return;
    bool targeted = false;
    for (const auto& target : live->targets) targeted = targeted || target.id == desktopID;
    const auto presentation = weakPresentation.lock();
    if (!targeted || !presentation || !presentation->panel().isVisible() ||
        !presentationIsCurrent(*presentation, desktopID))
        co_return;

    renaming_ = true;
    cancelCapture();
    invalidateGeometry();
    applicationSlots_.reset();
    publishApplicationSlots();
    schedule_.geometryChanged(systemUptime());
    hideAll();
    stopModifierMonitor();
    trace("quick-rename-requested", Dictionary{{"uuid", desktopID}});

    // The owner's prompt runs modally: outside this task, on a later turn of the main loop.
    RunLoop::main().post([this, alive, desktopID, hook] {
        if (!alive) return;
        struct ClearRenaming {
            LabelPrototype* self;
            Weak alive;
            ~ClearRenaming() {
                if (alive) self->renaming_ = false;
            }
        } clear{this, alive};
        hook(desktopID);
    });
}

}  // namespace tarnwick
