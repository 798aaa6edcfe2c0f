#include "overlays/rename_alert_placement.h"

#include <algorithm>
#include <cctype>

#include "platform/platform.h"
#include "platform/ui/screens.h"

namespace tarnwick {

namespace ui = platform::ui;

namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool sameScreen(const platform::ScreenDescription& a, const platform::ScreenDescription& b) {
    return ui::displayID(a) == ui::displayID(b) && a.frame == b.frame;
}

}  // namespace

std::optional<platform::ModalResponse> RenameAlertPlacement::run(platform::Alert& alert, const std::string& displayID) {
    const auto screens = ui::screens();
    std::optional<platform::ScreenDescription> chosen;
    auto& displays = *platform::current().displays;
    for (const auto& screen : screens) {
        const auto number = ui::displayID(screen);
        if (!number) continue;
        const auto uuid = displays.uuidString(*number);
        if (uuid && equalIgnoringCase(*uuid, displayID)) {
            chosen = screen;
            break;
        }
    }
    if (!chosen) {
        const auto own = alert.window().screen();
        if (own && std::any_of(screens.begin(), screens.end(), [&](const auto& s) { return sameScreen(s, *own); }))
            chosen = own;
        else
            chosen = ui::mainScreen();
    }
    if (!chosen) return std::nullopt;

    alert.layout();
    const Rect& visible = chosen->visibleFrame;
    const Size size = alert.window().frame().size;
    alert.window().setFrameOrigin(Point{visible.midX() - size.width / 2, visible.midY() - size.height / 2});
    alert.window().makeKeyAndOrderFront();
    return alert.runModal();
}

}  // namespace tarnwick
