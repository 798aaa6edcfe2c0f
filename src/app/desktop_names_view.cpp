#include "app/desktop_names_view.h"

#include <memory>
#include <utility>
#include <vector>

#include "model/preference_limits.h"
#include "support/text.h"

namespace tarnwick {

namespace ui = platform::ui;
using ui::Node;

namespace {

Node caption(std::string text) {
    return ui::text(std::move(text)).font(ui::TextStyle::caption).foreground(ui::Color::secondaryLabel());
}

ui::Node fixedWidth(Node node, double width, ui::HorizontalAlignment alignment) {
    ui::FrameSpec frame;
    frame.width = width;
    frame.alignment = ui::Alignment{alignment, ui::VerticalAlignment::center};
    return std::move(node).frame(frame);
}

}  // namespace

DesktopNamesView::DesktopNamesView(DesktopNamesModel& model, DesktopApplicationInventory& applications,
                                   SettingsModel& settings)
    : model_(model), applications_(applications), settings_(settings) {}

void DesktopNamesView::observe(ui::ViewHost& host) {
    host.watch(model_.monitors);
    host.watch(model_.drafts);
    host.watch(model_.errorMessage);
    host.watch(model_.displayAliases);
    host.watch(applications_.entries);
    host.watch(applications_.activationError);
    host.watch(settings_.preferences);
    host.watch(focusedApplication);
}

std::optional<std::string> DesktopNamesView::applicationsText(const Entry* entry) {
    if (!entry) return kReading;
    if (!entry->apps.empty()) return std::nullopt;
    switch (entry->status) {
        case DesktopApplicationInventory::Status::ready:
            return kNoApps;
        case DesktopApplicationInventory::Status::loading:
            return kReading;
        case DesktopApplicationInventory::Status::incomplete:
        case DesktopApplicationInventory::Status::unavailable:
            break;
    }
    return kUnavailable;
}

std::optional<std::string> DesktopNamesView::bottomMessage() const {
    if (const auto& message = model_.errorMessage.get()) return message;
    return applications_.activationError.get();
}

Node DesktopNamesView::nativeButton(std::string title, std::function<void()> action) {
    return ui::button(ui::text(std::move(title)), std::move(action), ui::ButtonStyle::glassProminent)
        .controlSize(ui::ControlSize::large)
        .tint(ui::Color::systemBlue());
}

Node DesktopNamesView::body(ui::ViewContext& context) {
    const RenderInputs inputs{applications_.entries.get(), ApplicationIconSize::clamped(settings_.preferences->applicationIconSize),
                              context.environment().reduceMotion};
    const auto& monitors = model_.monitors.get();
    std::vector<Node> sections;
    sections.reserve(std::max<std::size_t>(monitors.size(), 1));
    for (const auto& monitor : monitors) sections.push_back(monitorSection(monitor, inputs).id(monitor.id));
    if (monitors.empty()) sections.push_back(ui::text(kEmptyText).foreground(ui::Color::secondaryLabel()));

    ui::FrameSpec minimum;
    minimum.minWidth = 580;
    minimum.minHeight = 400;
    return ui::vstack(ui::HorizontalAlignment::center, 8,
                      ui::nodes(ui::form(std::move(sections), ui::FormStyle::grouped), bottomBar()))
        .tint(ui::Color::systemBlue())
        .padding(16)
        .frame(minimum);
}

Node DesktopNamesView::monitorSection(const DesktopMonitor& monitor, const RenderInputs& inputs) {
    const std::string displayName = model_.displayName(monitor);
    auto header = ui::hstack(ui::VerticalAlignment::center, 8,
                             ui::nodes(ui::label(displayName, monitor.symbolName()).help(monitor.name).accessibilityHeader(),
                                       ui::spacer(), caption(text::desktopCountText(monitor.desktops.size()))));
    std::vector<Node> rows;
    rows.reserve(monitor.desktops.size());
    for (const auto& desktop : monitor.desktops) rows.push_back(desktopRow(desktop, displayName, inputs).id(desktop.id));
    return ui::section(std::move(header), std::move(rows));
}

Node DesktopNamesView::desktopRow(const ManagedDesktop& desktop, const std::string& displayName,
                                  const RenderInputs& inputs) {
    DesktopNamesModel* model = &model_;
    const std::string id = desktop.id;
    // The field shows what was last given for the desktop; every edit saves the whole text.
    Binding<std::string> name{[model, id] {
                                  const auto& drafts = model->drafts.get();
                                  const auto it = drafts.find(id);
                                  return it == drafts.end() ? std::string() : it->second;
                              },
                              [model, id](const std::string& text) { model->rename(text, id); }};
    auto field = ui::textField(desktop.nativeTitle, std::move(name),
                               ui::TextFieldOptions{kPlaceholder, true, ui::TextFieldStyle::roundedBorder})
                     .accessibilityLabel(desktop.nativeTitle + " on " + displayName)
                     .accessibilityIdentifier(nameIdentifier(id));
    auto column = ui::vstack(ui::HorizontalAlignment::leading, 5,
                             ui::nodes(std::move(field), applicationIcons(desktop, displayName, inputs)))
                      .fillWidth(ui::Alignment::leading());
    // A filler where "Current" would be keeps every row's field the same width.
    Node current = desktop.isCurrent
                       ? fixedWidth(caption(kCurrent), 48, ui::HorizontalAlignment::trailing)
                       : ui::shape(ui::ShapeKind::rectangle, 0, ui::CornerCurve::circular, ui::Color::clear(), 0)
                             .frame(48, 1)
                             .accessibilityHidden();
    return ui::hstack(ui::VerticalAlignment::center, 12,
                      ui::nodes(fixedWidth(ui::text(desktop.nativeTitle), 86, ui::HorizontalAlignment::leading),
                                std::move(column), std::move(current)));
}

Node DesktopNamesView::applicationIcons(const ManagedDesktop& desktop, const std::string& displayName,
                                        const RenderInputs& inputs) {
    const auto found = inputs.entries.find(desktop.id);
    const Entry* entry = found == inputs.entries.end() ? nullptr : &found->second;
    if (auto line = applicationsText(entry)) return caption(std::move(*line));

    const double size = inputs.iconSize;
    const std::optional<ui::Animation> animation =
        inputs.reduceMotion ? std::nullopt : std::optional(ui::Animation::easeOut(kIconAnimationDuration));
    const auto& focused = focusedApplication.get();
    // The icons' actions share one copy of the desktop's apps, so a render copies them once.
    struct Apps {
        DesktopApplicationInventory* inventory;
        std::string desktopID;
        std::vector<SpaceApplication> apps;
    };
    const auto shared = std::make_shared<const Apps>(Apps{&applications_, desktop.id, entry->apps});
    std::vector<Node> cells;
    cells.reserve(entry->apps.size());
    for (std::size_t i = 0; i < entry->apps.size(); ++i) {
        const SpaceApplication& app = entry->apps[i];
        std::string focus = focusValue(desktop.id, app.id);
        const bool hasFocus = focused && *focused == focus;
        auto icon = ui::image(applications_.icon(app), true, ui::ImageInterpolation::high)
                        .frame(size, size)
                        .scaleEffect(hasFocus ? kIconScale : 1.0)
                        .animation(animation, hasFocus);
        std::string help = "Open " + app.name + " on " + desktop.nativeTitle;
        std::string label = help + " on " + displayName;
        // The padding lies around the scaled icon, and the whole square takes clicks.
        auto open = [shared, i] { shared->inventory->activate(shared->apps[i], shared->desktopID); };
        cells.push_back(ui::button(std::move(icon), std::move(open), ui::ButtonStyle::plain)
                            .padding(2)
                            .contentShape()
                            .focusEffectDisabled()
                            .focused(focusedApplication, focus)
                            .help(std::move(help))
                            .accessibilityLabel(std::move(label))
                            .accessibilityIdentifier("open-app." + focus)
                            .id(app.id));
    }
    auto grid = ui::lazyVGrid(size + 4, size + 4, 4, 4, ui::HorizontalAlignment::leading, std::move(cells))
                    .accessibilityContainer("Apps on " + desktop.nativeTitle);
    if (entry->status != DesktopApplicationInventory::Status::incomplete) return grid;
    return ui::group(ui::nodes(std::move(grid), caption(kIncomplete)));
}

Node DesktopNamesView::bottomBar() {
    std::vector<Node> lines;
    if (auto message = bottomMessage())
        lines.push_back(ui::label(std::move(*message), "exclamationmark.circle").foreground(ui::Color::systemRed()));
    lines.push_back(ui::text(kSavingHint));
    lines.push_back(ui::text(kOpeningHint));
    auto notes = ui::vstack(ui::HorizontalAlignment::leading, 4, std::move(lines))
                     .font(ui::TextStyle::caption)
                     .foreground(ui::Color::secondaryLabel())
                     .fixedSize(false, true);
    return ui::hstack(ui::VerticalAlignment::center, 16, ui::nodes(std::move(notes), ui::spacer(0), refreshButton()))
        .padding(ui::EdgeInsets::horizontal(16));
}

Node DesktopNamesView::refreshButton() {
    return nativeButton(kRefresh,
                        [this] {
                            model_.refreshForUser();
                            applications_.refresh();
                        })
        .keyboardShortcut(ui::KeyboardShortcut{"r", platform::modifier_flags::kCommand});
}

}  // namespace tarnwick
