// The settings view's shell: the split view, the sidebar, the header bar, the page switch, the
// width rule, and the parts the pages share.

#include "app/tarnwick_settings_view.h"

#include <array>
#include <cmath>
#include <memory>
#include <utility>

#include "app/settings_page_parts.h"
#include "app/settings_primary_button_style.h"
#include "app/settings_window_layout.h"
#include "overview/overview_shortcut_control.h"

namespace tarnwick {

namespace ui = platform::ui;
using ui::Node;
using namespace settings_parts;

namespace {

constexpr std::array<SettingsTab, 5> kTabs{SettingsTab::general, SettingsTab::desktopNames, SettingsTab::overview,
                                          SettingsTab::banner, SettingsTab::permissions};

std::vector<SettingsTab> allTabs() { return {kTabs.begin(), kTabs.end()}; }

std::vector<Node> tabLabels() {
    std::vector<Node> labels;
    for (SettingsTab tab : kTabs) labels.push_back(ui::label(std::string(title(tab)), std::string(symbol(tab))));
    return labels;
}

std::string wholeNumber(double value) {
    const double whole = std::trunc(value);
    if (!std::isfinite(whole)) return "0";
    return std::to_string(static_cast<long long>(whole));
}

}  // namespace

Node nativeButton(std::string title, std::function<void()> action) {
    static const auto style = std::make_shared<const SettingsPrimaryButtonStyle>();
    return ui::button(ui::text(std::move(title)), std::move(action), style).controlSize(ui::ControlSize::large);
}

TarnwickSettingsView::TarnwickSettingsView(SettingsModel& model, DesktopNamesModel& names, SoftwareUpdates& updates)
    : model_(model), names_(names), updates_(updates) {}

void TarnwickSettingsView::observe(ui::ViewHost& host) {
    host.watch(model_.preferences);
    host.watch(model_.accessibilityAllowed);
    host.watch(model_.screenAllowed);
    host.watch(model_.loginStatus);
    host.watch(model_.loginError);
    host.watch(model_.requestingPermissions);
    host.watch(model_.hasRequestedPermissions);
    host.watch(model_.displayIdentificationError);
    host.watch(model_.tab);
    host.watch(names_.monitors);
    host.watch(names_.displayAliases);
    host.watch(names_.displayNameDrafts);
    host.watch(updates_.canCheckForUpdates);
    host.watch(updates_.automaticallyChecksForUpdates);
    host.watch(updates_.automaticallyDownloadsUpdates);
    host.watch(updates_.allowsAutomaticUpdates);
    host.watch(updates_.startupError);
    host.watch(columns);
    host.watch(focusedDisplayAlias);
    OverviewShortcutControl::observe(host, model_.overviewShortcut());
}

// ---- rules

bool TarnwickSettingsView::usesCompactTitle(double width) const {
    return columns.get() == ui::ColumnVisibility::detailOnly || width < SettingsWindowLayout::kCompactWidth;
}

void TarnwickSettingsView::applySidebarRule(double width, std::optional<double> previousWidth) {
    const auto visible = SettingsWindowLayout::sidebarVisibility(width, previousWidth);
    if (!visible) return;
    columns.setIfChanged(*visible ? ui::ColumnVisibility::all : ui::ColumnVisibility::detailOnly);
}

void TarnwickSettingsView::toggleSidebar() {
    columns.set(columns.get() == ui::ColumnVisibility::detailOnly ? ui::ColumnVisibility::all
                                                                  : ui::ColumnVisibility::detailOnly);
}

void TarnwickSettingsView::selectFromSidebar(const std::optional<SettingsTab>& tab) {
    if (tab) model_.tab.setIfChanged(*tab);
}

void TarnwickSettingsView::pageChanged(SettingsTab previous, SettingsTab current) {
    if (previous == SettingsTab::overview && current != previous) model_.overviewShortcut().cancelRecording();
}

std::string TarnwickSettingsView::iconSizeReadout(double size) { return wholeNumber(size) + " pt"; }

std::string TarnwickSettingsView::iconSizeAccessibilityValue(double size) { return wholeNumber(size) + " points"; }

std::string TarnwickSettingsView::pageIdentifier(SettingsTab tab) {
    return "settings-page." + std::string(rawValue(tab));
}

std::function<void()> TarnwickSettingsView::hook(std::function<void()> SettingsModel::*hook) {
    return [this, hook] {
        // A copy: the hook may replace itself.
        if (auto action = model_.*hook) action();
    };
}

// ---- the view

Node TarnwickSettingsView::body(ui::ViewContext& context) {
    // The whole view's width, as a geometry reader around the split view gives it.
    const double width = context.containerSize().width;
    Binding<ui::ColumnVisibility> visibility{[this] { return columns.get(); },
                                             [this](const ui::ColumnVisibility& v) { columns.set(v); }};
    auto split = ui::navigationSplitView(std::move(visibility), sidebar(), detail(width).fillWidth(),
                                         ui::SplitColumnWidth{150, 180, 210}, ui::SplitViewStyle::balanced)
                     .onAppear([this, width] { applySidebarRule(width, std::nullopt); })
                     .onChangeFrom<double>(width, [this](const double& previous, const double& current) {
                         applySidebarRule(current, previous);
                     });
    ui::FrameSpec fill;
    fill.maxWidth = fill.maxHeight = ui::FrameSpec::infinity;
    return std::move(split)
        .frame(fill)
        .tint(SettingsPrimaryButtonStyle::accent())
        .padding(ui::EdgeInsets{28, 0, 0, 0})
        .onChangeFrom<SettingsTab>(model_.tab.get(), [this](const SettingsTab& previous, const SettingsTab& current) {
            pageChanged(previous, current);
        });
}

Node TarnwickSettingsView::sidebar() {
    Binding<std::optional<SettingsTab>> selection{[this] { return std::optional<SettingsTab>(model_.tab.get()); },
                                                  [this](const std::optional<SettingsTab>& tab) { selectFromSidebar(tab); }};
    std::vector<Node> rows;
    for (SettingsTab tab : kTabs)
        rows.push_back(ui::label(std::string(title(tab)), std::string(symbol(tab)))
                           .padding(ui::EdgeInsets::vertical(4))
                           .accessibilityIdentifier(pageIdentifier(tab)));
    return ui::list(std::move(selection), allTabs(), std::move(rows), ui::ListStyle::sidebar)
        .accessibilityLabel("Settings sections");
}

Node TarnwickSettingsView::detail(double width) {
    // The page needs the environment's locale: it is read when the body renders, through a
    // component that asks the context.
    struct Page {
        TarnwickSettingsView* view;
        Node body(ui::ViewContext& context) const { return view->page(context.environment()); }
    };
    ui::FrameSpec fill;
    fill.maxWidth = fill.maxHeight = ui::FrameSpec::infinity;
    return ui::vstack(ui::HorizontalAlignment::center, 0,
                      ui::nodes(headerBar(width), ui::component(Page{this}).frame(fill)));
}

Node TarnwickSettingsView::pageHeading() const {
    return ui::text(std::string(title(model_.tab.get())))
        .font(ui::TextStyle::title2)
        .fontWeight(ui::font_weight::kSemibold)
        .foreground(ui::Color::label())
        .accessibilityHeader();
}

Node TarnwickSettingsView::headerBar(double width) {
    auto toggle = ui::button(ui::systemImage("sidebar.left"), [this] { toggleSidebar(); }, ui::ButtonStyle::borderless)
                      .help("Show or hide settings sections")
                      .accessibilityLabel("Show or hide settings sections")
                      .accessibilityIdentifier(kSidebarToggleIdentifier);
    Node title;
    if (usesCompactTitle(width)) {
        Binding<SettingsTab> selection{[this] { return model_.tab.get(); },
                                       [this](const SettingsTab& tab) { model_.tab.setIfChanged(tab); }};
        auto picker = ui::picker("Settings section", std::move(selection), allTabs(), tabLabels(), ui::PickerStyle::inline_);
        title = ui::menu(pageHeading(), ui::nodes(std::move(picker)), ui::MenuStyle::borderlessButton, true)
                    .fixedSize()
                    .accessibilityLabel("Settings section")
                    .accessibilityValue(std::string(tarnwick::title(model_.tab.get())))
                    .accessibilityIdentifier(kSectionMenuIdentifier);
    } else {
        title = pageHeading();
    }
    return ui::hstack(ui::VerticalAlignment::center, 12, ui::nodes(std::move(toggle), std::move(title), ui::spacer()))
        .padding(ui::EdgeInsets{12, 20, 12, 20});
}

Node TarnwickSettingsView::page(const ui::Environment& environment) {
    switch (model_.tab.get()) {
        case SettingsTab::general:
            return general();
        case SettingsTab::desktopNames:
            return desktopNames();
        case SettingsTab::overview:
            return overview();
        case SettingsTab::banner:
            return banner(environment);
        case SettingsTab::permissions:
            return permissions();
    }
    return general();
}

Node TarnwickSettingsView::iconSizeRow(const IconSizeRow& row) {
    const double size = model_.preferences.get().*row.preference;
    return ui::hstack(ui::VerticalAlignment::center, kRowSpacing,
                      ui::nodes(width(ui::text(row.label), row.labelWidth, ui::HorizontalAlignment::leading),
                                ui::slider(model_.binding(row.preference), ApplicationIconSize::range.lowerBound,
                                           ApplicationIconSize::range.upperBound, 2)
                                    .accessibilityLabel(row.accessibilityLabel)
                                    .accessibilityValue(iconSizeAccessibilityValue(size)),
                                width(ui::text(iconSizeReadout(size)).monospacedDigit(), row.valueWidth,
                                      ui::HorizontalAlignment::trailing)));
}

}  // namespace tarnwick
