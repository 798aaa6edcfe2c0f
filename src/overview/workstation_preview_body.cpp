// What the overview shows: the rules of WorkstationPreviewView mapped onto nodes.

#include <algorithm>
#include <utility>

#include "overview/workstation_app_icon_button.h"
#include "overview/workstation_preview_view.h"
#include "overview/workstation_row_cursor.h"
#include "support/text.h"

namespace tarnwick {

namespace ui = platform::ui;
namespace keys = platform::key_codes;
using ui::Node;
using Target = OverviewFocusTarget;

namespace {

Node caption(std::string text) {
    return ui::text(std::move(text)).font(ui::TextStyle::caption).foreground(ui::Color::secondaryLabel());
}

}  // namespace

void WorkstationPreviewView::observe(ui::ViewHost& host) {
    // A rename publishes only the drafts (the saved names are read from the store), and aliases
    // are published on their own: every value counts.
    host.watch(model_.monitors);
    host.watch(model_.drafts);
    host.watch(model_.errorMessage);
    host.watch(model_.displayAliases);
    host.watch(model_.displayNameDrafts);
    host.watch(applications_.entries);
    host.watch(applications_.activationError);
    host.watch(status_.errorMessage);
    host.watch(status_.interactionMode);
    host.watch(status_.focusGeneration);
    host.watch(settings_.preferences);
    host.watch(settings_.accessibilityAllowed);
    host.watch(settings_.screenAllowed);
    host.watch(settings_.loginStatus);
    host.watch(settings_.loginError);
    host.watch(settings_.requestingPermissions);
    host.watch(settings_.hasRequestedPermissions);
    host.watch(settings_.displayIdentificationError);
    host.watch(settings_.tab);
    host.watch(hoveredDesktopID);
    host.watch(keyboardFocus);
    host.watch(keyboardSelection);
}

std::function<void()> WorkstationPreviewView::pickAction(std::shared_ptr<const SpaceNavigationTarget> target,
                                                        std::optional<std::string> appID) const {
    struct Pick {
        const SelectionHandler* handler;
        std::shared_ptr<const SpaceNavigationTarget> target;
        std::optional<std::string> appID;
    };
    auto pick = std::make_shared<const Pick>(Pick{&selection_, std::move(target), std::move(appID)});
    return [pick] {
        const auto& handler = *pick->handler;
        if (!handler) return;
        handler(pick->appID ? WorkstationSelection::application(*pick->appID, *pick->target)
                            : WorkstationSelection::desktop(*pick->target));
    };
}

std::optional<ui::Animation> WorkstationPreviewView::highlightAnimation(bool reduceMotion) const {
    if (reduceMotion) return std::nullopt;
    return ui::Animation::easeOut(kHighlightAnimationDuration);
}

Node WorkstationPreviewView::body(ui::ViewContext& context) {
    // The saved names are a copy: read them once per render, not once per desktop.
    const RenderInputs inputs{model_.store().names(), applications_.entries.get(), iconSize(),
                              context.environment().reduceMotion};
    std::vector<Node> parts;
    parts.push_back(header());
    parts.push_back(list(inputs, context.scrollProxy()));
    if (acceptsKeyboardNow()) parts.push_back(caption(kKeyboardHint).padding(ui::EdgeInsets::horizontal(4)));
    if (const auto& message = model_.errorMessage.get()) parts.push_back(errorLine(*message, ui::Color::secondaryLabel()));
    if (const auto& message = status_.errorMessage.get()) parts.push_back(errorLine(*message, ui::Color::systemRed()));

    return ui::vstack(ui::HorizontalAlignment::leading, 8, std::move(parts))
        .padding(12)
        .onAppear([this] { applyRequestedFocus(); })
        .onChange<std::uint64_t>(status_.focusGeneration.get(), [this](const std::uint64_t&) { applyRequestedFocus(); })
        .onChange<OverviewInteractionMode>(status_.interactionMode.get(),
                                           [this](const OverviewInteractionMode& mode) { interactionModeChanged(mode); })
        .onChange<std::optional<Target>>(keyboardFocus.get(),
                                         [this](const std::optional<Target>& focus) { keyboardFocusChanged(focus); })
        .onChange<std::vector<Target>>(focusOrder(), [this](const std::vector<Target>& order) { focusOrderChanged(order); })
        .onReceive<OverviewKeyboardCommand>(status_.keyboardCommands,
                                            [this](const OverviewKeyboardCommand& command) { handleKeyboardCommand(command); })
        .onKeyPress({keys::kTab, keys::kReturn, keys::kSpace, keys::kEscape}, static_cast<ui::KeyPhases>(ui::KeyPhase::down),
                    [this](const ui::KeyPress& press) {
                        return handleKeyPress(press.event) ? ui::KeyPressResult::handled : ui::KeyPressResult::ignored;
                    });
}

Node WorkstationPreviewView::header() const {
    const auto& monitors = model_.monitors.get();
    return ui::vstack(ui::HorizontalAlignment::leading, 3,
                      ui::nodes(ui::text(kTitle).font(ui::TextStyle::headline).accessibilityHeader(),
                                caption(countsLine(monitors.size(), desktopCount()))))
        .padding(ui::EdgeInsets::horizontal(4));
}

Node WorkstationPreviewView::errorLine(const std::string& message, ui::Color color) {
    return ui::label(message, kErrorSymbol)
        .font(ui::TextStyle::caption)
        .foreground(std::move(color))
        .fixedSize(false, true)
        .padding(ui::EdgeInsets::horizontal(4));
}

Node WorkstationPreviewView::list(const RenderInputs& inputs, ui::ScrollProxy proxy) {
    const auto& monitors = model_.monitors.get();
    std::vector<Node> sections;
    sections.reserve(std::max<std::size_t>(monitors.size(), 1));
    if (monitors.empty()) {
        auto empty = ui::vstack(ui::HorizontalAlignment::leading, 4,
                                ui::nodes(ui::text(emptyTitle(model_.errorMessage->has_value())).font(ui::TextStyle::subheadline),
                                          caption(kEmptyExplanation)))
                         .fixedSize(false, true);
        sections.push_back(ui::section(std::nullopt, ui::nodes(std::move(empty))));
    }
    for (const auto& monitor : monitors) {
        const std::string displayName = model_.displayName(monitor);
        auto title = ui::label(displayName, displaySymbol(monitor)).lineLimit(2).help(monitor.name).accessibilityHeader();
        auto sectionHeader = ui::hstack(ui::VerticalAlignment::firstTextBaseline, 8,
                                        ui::nodes(std::move(title), ui::spacer(4),
                                                  caption(text::desktopCountText(monitor.desktops.size())).fixedSize()));
        std::vector<Node> rows;
        rows.reserve(std::max<std::size_t>(monitor.desktops.size(), 1) + 1);  // and the header
        if (monitor.desktops.empty()) rows.push_back(caption(kNoDesktopsOnMonitor));
        for (const auto& desktop : monitor.desktops)
            rows.push_back(desktopRow(desktop, monitor, displayName, inputs).id(desktop.id));
        sections.push_back(ui::section(std::move(sectionHeader), std::move(rows)).id(monitor.id));
    }
    // A new selection scrolls its control to the middle of the list.
    return ui::scrollReader(ui::form(std::move(sections), ui::FormStyle::grouped, true)
                                .onChange<std::optional<Target>>(keyboardSelection.get(),
                                                                 [proxy](const std::optional<Target>& target) {
                                                                     if (target) proxy.scrollTo(*target, ui::UnitPoint::center());
                                                                 }));
}

Node WorkstationPreviewView::desktopRow(const ManagedDesktop& desktop, const DesktopMonitor& monitor,
                                        const std::string& displayName, const RenderInputs& inputs) {
    const std::string name = savedName(desktop, inputs.names);
    const std::string help = switchHelp(name, displayName);
    const auto target = std::make_shared<const SpaceNavigationTarget>(navigationTarget(monitor, desktop));
    const auto focusTarget = Target::desktop(desktop.id);

    std::vector<Node> titles;
    titles.reserve(2);
    titles.push_back(ui::text(name).font(ui::TextStyle::subheadline).lineLimit(2));
    if (auto nativeTitle = subtitle(name, desktop)) titles.push_back(caption(std::move(*nativeTitle)));
    const bool selected = keyboardSelected(focusTarget);
    std::vector<Node> label;
    label.reserve(3);
    label.push_back(ui::vstack(ui::HorizontalAlignment::leading, 2, std::move(titles))
                        .scaleEffect(titleScale(selected), ui::UnitPoint::leading())
                        .animation(highlightAnimation(inputs.reduceMotion), selected));
    label.push_back(ui::spacer(0));
    if (desktop.isCurrent)
        label.push_back(ui::label(kCurrent, kCurrentSymbol)
                            .font(ui::TextStyle::caption)
                            .foreground(ui::Color::systemBlue())
                            .fixedSize()
                            .accessibilityLabel(kCurrentAccessibilityLabel));

    auto button = ui::button(ui::hstack(ui::VerticalAlignment::firstTextBaseline, 10, std::move(label))
                                 .fillWidth(ui::Alignment::leading())
                                 .contentShape(),
                             pickAction(target, std::nullopt), ui::ButtonStyle::plain)
                      .focused(keyboardFocus, focusTarget)
                      .focusEffectDisabled()
                      .id(focusTarget)
                      .background(WorkstationRowCursor().node())
                      .help(help)
                      .accessibilityLabel(help)
                      .accessibilityValue(desktop.isCurrent ? kCurrentAccessibilityLabel : "")
                      .accessibilityIdentifier(desktopIdentifier(desktop.id));

    std::vector<Node> parts;
    parts.reserve(3);
    parts.push_back(std::move(button));
    for (auto& part : applicationIcons(desktop, name, displayName, target, inputs)) parts.push_back(std::move(part));
    const std::string id = desktop.id;
    return ui::vstack(ui::HorizontalAlignment::leading, 5, std::move(parts))
        .padding(6)
        .fillWidth(ui::Alignment::leading())
        .background(ui::shape(ui::ShapeKind::roundedRectangle, 8, ui::CornerCurve::continuous, ui::Color::systemBlue(),
                              rowFillOpacity(desktop.id)))
        .onHover([this, id](bool inside) { inside ? pointerEntered(id) : pointerExited(id); })
        .animation(highlightAnimation(inputs.reduceMotion), hoveredDesktopID.get());
}

std::vector<Node> WorkstationPreviewView::applicationIcons(const ManagedDesktop& desktop, const std::string& name,
                                                           const std::string& displayName,
                                                           const std::shared_ptr<const SpaceNavigationTarget>& target,
                                                           const RenderInputs& inputs) {
    std::vector<Node> parts;
    const auto found = inputs.entries.find(desktop.id);
    const Entry* entry = found == inputs.entries.end() ? nullptr : &found->second;
    const double size = inputs.iconSize;
    if (showsApplicationIcons(entry)) {
        std::vector<Node> cells;
        cells.reserve(entry->apps.size());
        for (const auto& app : entry->apps) {
            const auto focusTarget = Target::application(desktop.id, app.id);
            WorkstationAppIconButton button{applications_.icon(app), size, keyboardSelected(focusTarget),
                                            pickAction(target, app.id)};
            cells.push_back(ui::component(std::move(button))
                                .focused(keyboardFocus, focusTarget)
                                .focusEffectDisabled()
                                .id(focusTarget)
                                .background(WorkstationRowCursor().node())
                                .help(applicationHelp(app.name, name))
                                .accessibilityLabel(applicationAccessibilityLabel(app.name, name, displayName))
                                .accessibilityIdentifier(applicationIdentifier(desktop.id, app.id)));
        }
        const double column = WorkstationAppIconButton::frameSize(size);
        parts.push_back(ui::lazyVGrid(column, column, 4, 4, ui::HorizontalAlignment::leading, std::move(cells))
                            .accessibilityContainer(applicationsLabel(name)));
    }
    if (auto line = applicationStatusLine(entry)) parts.push_back(caption(std::move(*line)).fixedSize(false, true));
    return parts;
}

}  // namespace tarnwick
