// Placing one label over a recognised native caption: the entrance decides when it shows, the
// caption rules its size, and the frame is raised to the display's top and converted to screen
// coordinates. The same placement measures the desktop preview's slot for the app-icon strips.

#include <algorithm>
#include <cmath>

#include "model/preference_limits.h"
#include "overlays/label_prototype.h"
#include "overlays/mission_control_application_layout.h"
#include "overlays/mission_control_caption.h"
#include "overlays/rectangle_dictionary.h"
#include "platform/platform.h"
#include "platform/ui/screens.h"
#include "platform/ui/text_metrics.h"
#include "platform/ui/transaction.h"

namespace tarnwick {

namespace ui = platform::ui;

namespace {

constexpr double kCollapsedFontSize = 14;
constexpr double kExpandedFontSize = 13;
constexpr double kCollapsedHeight = 24;
constexpr double kExpandedHeight = 20;
constexpr double kVerticalPadding = 4;
constexpr double kNeighborBand = 28;  // least vertical reach of a neighbouring caption

}  // namespace

bool LabelPrototype::presentationIsCurrent(const Presentation& presentation, const std::string& desktopID) const {
    const double date = wallClockNow();
    if (date <= presentation.expiry || date <= presentation.clickGraceUntil) return true;
    return captureLease_ && captureLease_->isValid(systemUptime()) && captureState_.pendingDesktopIDs().count(desktopID);
}

bool LabelPrototype::present(const Target& target, const Rect& native, const std::vector<Rect>& neighbors,
                             double observedAt) {
    // One panel per desktop, on its display.
    if (auto it = presentations_.find(target.id); it != presentations_.end() && it->second->monitorID != target.navigation.monitorID) {
        const std::shared_ptr<Presentation> moved = it->second;
        presentations_.erase(it);
        moved->hide(true);
    }
    std::shared_ptr<Presentation>& slot = presentations_[target.id];
    if (!slot) slot = std::make_shared<Presentation>(target.navigation.monitorID, services_.icons);
    const std::shared_ptr<Presentation> presentation = slot;

    // The caption must have held still.
    const LabelEntrance::Action action = presentation->entrance.observe(native, observedAt);
    switch (action.kind) {
    case LabelEntrance::Action::Kind::wait:
        applicationSlots_.remove(target.id);
        if (writesDetails())
            trace("waiting-for-settled-label", Dictionary{{"uuid", target.id}, {"nativeLabelCG", rectangleDictionary(native)}});
        return false;
    case LabelEntrance::Action::Kind::hide:
        presentation->hide(false);  // the entrance keeps the moved caption as its new candidate
        applicationSlots_.remove(target.id);
        trace("label-moved-during-presentation", Dictionary{{"uuid", target.id}});
        return false;
    case LabelEntrance::Action::Kind::begin:
    case LabelEntrance::Action::Kind::keep: break;
    }
    const bool begins = action.kind == LabelEntrance::Action::Kind::begin;
    const Rect caption = action.frame;

    // The primary screen turns the frame around.
    const auto screens = ui::screens();
    if (screens.empty()) {
        presentation->hide(true);
        applicationSlots_.remove(target.id);
        return false;
    }
    const double primaryTop = screens.front().frame.maxY();

    const auto mode = MissionControlCaption::mode(caption, target.nativeBar, target.nativeButton);

    // The preview's slot, for the app-icon strips.
    if (options_.applications && !sampleMode_) {
        const double reach = std::max(2 * caption.height(), kNeighborBand);
        std::optional<double> horizontalLimit;
        for (const auto& neighbor : neighbors) {
            if (!target.display.contains(neighbor) || std::abs(neighbor.midY() - caption.midY()) > reach) continue;
            const double distance = std::abs(neighbor.midX() - caption.midX());
            horizontalLimit = horizontalLimit ? std::min(*horizontalLimit, distance) : distance;
        }
        const MissionControlApplicationSlot measured{target.navigation, caption, target.nativeButton, target.nativeBar,
                                                     target.display, horizontalLimit.value_or(target.nativeButton.width())};
        if (MissionControlApplicationLayout::frame(measured, 1, ApplicationIconSize::range.lowerBound,
                                                   MissionControlApplicationPosition::bottom))
            applicationSlots_.store(measured, systemUptime() + LabelRefreshSchedule::placementLifetime);
        else
            applicationSlots_.remove(target.id);
    } else {
        applicationSlots_.remove(target.id);
    }

    // A slot-only target is confirmed at once, without a panel on screen.
    ui::Panel& panel = presentation->panel();
    if (!target.name) {
        if (panel.isVisible()) panel.orderOut();
        presentation->expiry = wallClockNow() + LabelRefreshSchedule::placementLifetime;
        return true;
    }
    const std::string& name = *target.name;
    FrostedLabelView* view = presentation->label();
    if (!view) {
        presentation->hide(true);
        return false;
    }

    // The text, at the largest size that fits the caption's width in two lines.
    const bool collapsed = mode == MissionControlCaption::Mode::collapsed;
    const bool highlighted = MissionControlCaption::highlighted(mode, target.isCurrent);
    const double proposed = std::min(caption.height(), collapsed ? kCollapsedFontSize : kExpandedFontSize);
    const double textWidth = ui::textMetrics().lineWidth(name, ui::Font::system(proposed));
    const auto width =
        MissionControlCaption::width(mode, caption, textWidth, target.maximumWidth, target.nativeButton, target.display);
    if (!width) {
        presentation->hide(true);
        return false;
    }
    const double fontSize = MissionControlCaption::fontSize(name, proposed, *width);

    view->configure(name, fontSize, 2, ui::font_weight::kRegular);
    view->configureCaption(target.nativeTitle, highlighted);

    const double height = std::max({collapsed ? kCollapsedHeight : kExpandedHeight, caption.height() + kVerticalPadding,
                                    view->textHeight(*width) + kVerticalPadding});

    // Centred on the caption, never above the display's top.
    double y = caption.midY() - height / 2;
    if (y < target.display.minY()) y = target.display.minY();
    const Rect frame(caption.midX() - *width / 2, y, *width, height);
    if (!target.display.contains(frame)) {
        presentation->hide(true);
        return false;
    }

    // Screen coordinates.
    const Rect converted(frame.minX(), primaryTop - frame.maxY(), frame.width(), frame.height());
    const bool onScreen = std::any_of(screens.begin(), screens.end(),
                                      [&](const platform::ScreenDescription& s) { return s.frame.contains(converted); });
    if (!onScreen) {
        presentation->hide(true);
        return false;
    }

    // Option-clicks ask for a rename.
    view->quickRename = [this, alive = lifetime_.weak(), id = target.id] {
        if (alive) renameOverlay(id);
    };
    view->quickRenameBegan = [weak = std::weak_ptr<Presentation>(presentation)] {
        if (auto p = weak.lock()) p->clickGraceUntil = wallClockNow() + platform::current().events->doubleClickInterval();
    };

    if (!begins && panel.frame() == converted) {
        // A kept label at its place: nothing to move.
    } else {
        ui::Transaction transaction;
        transaction.setDisableActions(true);
        panel.setFrame(converted, true, false);
        view->layoutSubtreeIfNeeded();
        transaction.commit();
        if (begins) trace(view->revealFromLeft() ? "reveal-started" : "shown-without-motion", Dictionary{{"uuid", target.id}});
    }

    if (!panel.isVisible()) panel.orderFrontRegardless();

    // The first drawing of this desktop since Mission Control opened.
    if (firstDrawn_.insert(target.id).second && detectedAt_) {
        const bool reduced = platform::current().workspace->accessibilityDisplayShouldReduceMotion();
        trace("first-overlay", Dictionary{{"uuid", target.id},
                                          {"secondsSinceDetection", systemUptime() - *detectedAt_},
                                          {"revealDuration", reduced ? Value(0) : Value(LabelEntrance::revealDuration)}});
    }

    presentation->expiry = wallClockNow() + LabelRefreshSchedule::placementLifetime;
    updateMouseRouting(platform::current().events->modifierFlags());

    if (writesDetails())
        trace("drawn", Dictionary{{"uuid", target.id},
                                  {"captionMode", std::string(rawValue(mode))},
                                  {"highlighted", highlighted},
                                  {"fontSize", fontSize},
                                  {"captionWidth", *width},
                                  {"nativeLabelCG", rectangleDictionary(caption)}});

    // A label just revealed is confirmed only when a later pass keeps it.
    return !begins;
}

}  // namespace tarnwick
