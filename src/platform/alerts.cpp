#include "platform/alerts.h"

#include "platform/platform.h"
#include "platform/ui/screens.h"

namespace tarnwick::platform {

std::optional<ScreenDescription> AlertWindow::screen() const { return ui::screenContaining(frame_); }

void Alert::layout() { window_.setContentSize(current().alerts->layoutSize(*this)); }

ModalResponse Alert::runModal() { return current().alerts->runModal(*this); }

}  // namespace tarnwick::platform
