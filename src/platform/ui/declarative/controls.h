#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/color_in_space.h"
#include "platform/ui/declarative/nodes.h"
#include "support/binding.h"

namespace tarnwick::platform::ui {

// The controls of forms: switches, sliders, steppers, text fields, pickers, menus, lists, the
// split view and the colour well. Each reads and writes its value through a binding when the
// user acts on it (ViewHost's user's side); the tree only shows what the binding gives.

// A binding whose value type the node does not know; an empty value is "no selection".
struct AnyBinding {
    std::function<AnyValue()> get;
    std::function<void(const AnyValue&)> set;
};

// ---- a switch with its label (its one child) on the leading side, the switch trailing

class ToggleContent final : public NodeContent {
public:
    explicit ToggleContent(Binding<bool> isOn) : isOn(std::move(isOn)) {}
    std::string_view kind() const override { return "toggle"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }

    bool value() const { return isOn.get && isOn.get(); }

    Binding<bool> isOn;
    Rect switchFrame;  // set by the layout

    static constexpr double kSwitchWidth = 32;
    static constexpr double kSwitchHeight = 18;
};

// ---- a slider over a range, moving in steps

class SliderContent final : public NodeContent {
public:
    SliderContent(Binding<double> value, double lower, double upper, double step)
        : binding(std::move(value)), lower(lower), upper(upper), step(step) {}
    std::string_view kind() const override { return "slider"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }

    double value() const { return binding.get ? binding.get() : lower; }
    // A value the slider can take: within the range, on a step from the lower end.
    double snapped(double value) const;

    Binding<double> binding;
    double lower;
    double upper;
    double step;  // 0: any value

    static constexpr double kIdealWidth = 160;
    static constexpr double kMinimumWidth = 40;
    static constexpr double kHeight = 20;
};

// ---- a stepper: its label (its one child) and the up and down arrows

class StepperContent final : public NodeContent {
public:
    StepperContent(Binding<double> value, double lower, double upper, double step)
        : binding(std::move(value)), lower(lower), upper(upper), step(step) {}
    std::string_view kind() const override { return "stepper"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;

    double value() const { return binding.get ? binding.get() : lower; }
    bool canIncrement() const { return value() < upper; }
    bool canDecrement() const { return value() > lower; }

    Binding<double> binding;
    double lower;
    double upper;
    double step;
    Rect arrowsFrame;  // set by the layout

    static constexpr double kArrowsWidth = 19;
    static constexpr double kArrowsHeight = 22;
};

// ---- a one-line text field; with its title shown, the title (its one child) before it

struct TextFieldOptions {
    std::string placeholder;  // shown, dimmed, while the field is empty
    bool titleHidden = false;
    TextFieldStyle style = TextFieldStyle::automatic;
};

class TextFieldContent final : public NodeContent {
public:
    TextFieldContent(std::string title, Binding<std::string> text, TextFieldOptions options)
        : title(std::move(title)), binding(std::move(text)), options(std::move(options)) {}
    std::string_view kind() const override { return "textField"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }
    // The text it holds; a placeholder is not text of the field's (it only stands in for it).
    void collectText(std::vector<std::string>& texts) const override;

    std::string text() const { return binding.get ? binding.get() : std::string(); }
    // The placeholder while it shows: the field is empty and has one.
    std::optional<std::string> shownPlaceholder() const;

    std::string title;
    Binding<std::string> binding;
    TextFieldOptions options;
    Rect fieldFrame;  // set by the layout
    // Where its text stands: inside the field, kTextInset from either side.
    Rect textFrame() const {
        return Rect(fieldFrame.minX() + kTextInset, fieldFrame.minY(), std::max(fieldFrame.width() - 2 * kTextInset, 0.0),
                    fieldFrame.height());
    }

    static constexpr double kIdealWidth = 120;
    static constexpr double kHeight = 22;
    // Between the field's edges and its text.
    static constexpr double kTextInset = 4;
};

// ---- a picker: a title and one option per child, each with its tag

class PickerContent final : public NodeContent {
public:
    PickerContent(std::string title, AnyBinding selection, std::vector<AnyValue> tags, PickerStyle style)
        : title(std::move(title)), selection(std::move(selection)), tags(std::move(tags)), style(style) {}
    std::string_view kind() const override { return "picker"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return style != PickerStyle::inline_; }
    void collectText(std::vector<std::string>& texts) const override;
    // Closed, a pop-up shows only the chosen option.
    bool showsChild(std::size_t index) const override { return style != PickerStyle::menu || selectedIndex() == index; }

    // The option whose tag the selection holds, if any.
    std::optional<std::size_t> selectedIndex() const;
    bool titleShown() const { return !title.empty() && style != PickerStyle::inline_; }

    std::string title;
    AnyBinding selection;
    std::vector<AnyValue> tags;  // one per option, in order
    PickerStyle style;
    Rect titleFrame;  // set by the layout: where the title shows, empty when it does not
    Rect popUpFrame;  // set by the layout: the pop-up button of the menu style, empty for the others

    static constexpr double kSpacing = 8;
    static constexpr double kPopUpPadding = 8;
    static constexpr double kIndicatorWidth = 12;
    static constexpr double kSegmentPadding = 10;
    static constexpr double kHeight = 22;
};

// ---- a pull-down menu: its label (first child) and its items (the other children), which show
// only while the menu is open

class MenuContent final : public NodeContent {
public:
    MenuContent(MenuStyle style, bool showsIndicator) : style(style), showsIndicator(showsIndicator) {}
    std::string_view kind() const override { return "menu"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node& node, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }
    // Closed, it shows only its label.
    bool showsChild(std::size_t index) const override { return index == 0; }

    MenuStyle style;
    bool showsIndicator;

    static constexpr double kIndicatorSpacing = 4;
    static constexpr double kIndicatorWidth = 8;
};

// ---- a list of rows (its children, each with its tag) with single selection; it fills the
// room it is given and scrolls what does not fit

class ListContent final : public NodeContent {
public:
    ListContent(AnyBinding selection, std::vector<AnyValue> tags, ListStyle style)
        : selection(std::move(selection)), tags(std::move(tags)), style(style) {}
    std::string_view kind() const override { return "list"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node&, Proposal, Layout&) override { return std::nullopt; }
    bool clipsChildren() const override { return true; }

    std::optional<std::size_t> selectedIndex() const;

    AnyBinding selection;
    std::vector<AnyValue> tags;  // one per row, in order
    ListStyle style;
    double contentHeight = 0;  // set by the layout
    double viewportHeight = 0;

    static constexpr double kInset = 8;
    static constexpr double kRowInsetX = 8;
    static constexpr double kRowSpacing = 2;
};

// ---- a split view: the sidebar column (first child) beside the detail column (second child)

struct SplitColumnWidth {
    double minimum = 150;
    double ideal = 180;
    double maximum = 210;
};

class SplitViewContent final : public NodeContent {
public:
    SplitViewContent(Binding<ColumnVisibility> columns, SplitColumnWidth sidebarWidth, SplitViewStyle style)
        : columns(std::move(columns)), sidebarWidth(sidebarWidth), style(style) {}
    std::string_view kind() const override { return "splitView"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node&, Proposal, Layout&) override { return std::nullopt; }
    // A hidden sidebar keeps its place in the tree with no room to show: nothing of it is seen.
    bool clipsChildren() const override { return true; }
    bool showsChild(std::size_t index) const override { return index != 0 || sidebarShown(); }

    ColumnVisibility visibility() const { return columns.get ? columns.get() : ColumnVisibility::all; }
    bool sidebarShown() const { return visibility() != ColumnVisibility::detailOnly; }
    // The sidebar's width within a split view of this width.
    double sidebarWidthWithin(double width) const;

    Binding<ColumnVisibility> columns;
    SplitColumnWidth sidebarWidth;
    SplitViewStyle style;

    static constexpr double kDividerWidth = 1;
};

// ---- a colour well; with its title shown, the title (its one child) before it

struct ColorWellOptions {
    bool supportsOpacity = true;
    bool titleHidden = false;
};

class ColorWellContent final : public NodeContent {
public:
    ColorWellContent(std::string title, Binding<ColorInSpace> color, ColorWellOptions options)
        : title(std::move(title)), binding(std::move(color)), options(options) {}
    std::string_view kind() const override { return "colorWell"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }

    ColorInSpace color() const { return binding.get ? binding.get() : ColorInSpace{}; }

    std::string title;
    Binding<ColorInSpace> binding;
    ColorWellOptions options;
    Rect wellFrame;  // set by the layout

    static constexpr double kWellWidth = 44;
    static constexpr double kWellHeight = 24;
};

// ---- builders

Node toggle(Node label, Binding<bool> isOn);
Node toggle(std::string title, Binding<bool> isOn);
Node slider(Binding<double> value, double lower, double upper, double step = 0);
Node stepper(Node label, Binding<double> value, double lower, double upper, double step = 1);
Node textField(std::string title, Binding<std::string> text, TextFieldOptions options = {});
Node menu(Node label, std::vector<Node> items, MenuStyle style = MenuStyle::automatic, bool showsIndicator = true);
Node navigationSplitView(Binding<ColumnVisibility> columns, Node sidebar, Node detail, SplitColumnWidth sidebarWidth = {},
                         SplitViewStyle style = SplitViewStyle::automatic);
Node colorWell(std::string title, Binding<ColorInSpace> color, ColorWellOptions options = {});

// A picker of one value among tagged options: `labels[i]` shows the option of `tags[i]`.
template <typename T>
Node picker(std::string title, Binding<T> selection, std::vector<T> tags, std::vector<Node> labels,
            PickerStyle style = PickerStyle::menu) {
    AnyBinding any{[get = selection.get] { return get ? AnyValue(get()) : AnyValue(); },
                   [set = selection.set](const AnyValue& value) {
                       if (const T* v = value.get<T>(); v && set) set(*v);
                   }};
    std::vector<AnyValue> anyTags;
    anyTags.reserve(tags.size());
    for (auto& tag : tags) anyTags.push_back(AnyValue(std::move(tag)));
    while (labels.size() < anyTags.size()) labels.push_back(text(""));
    labels.resize(anyTags.size());
    return Node(std::make_unique<PickerContent>(std::move(title), std::move(any), std::move(anyTags), style),
                std::move(labels));
}

// A list of tagged rows with single selection: `rows[i]` shows the row of `tags[i]`. Clearing the
// selection writes nothing (an empty optional).
template <typename T>
Node list(Binding<std::optional<T>> selection, std::vector<T> tags, std::vector<Node> rows,
          ListStyle style = ListStyle::automatic) {
    AnyBinding any{[get = selection.get] {
                       if (!get) return AnyValue();
                       auto value = get();
                       return value ? AnyValue(std::move(*value)) : AnyValue();
                   },
                   [set = selection.set](const AnyValue& value) {
                       if (!set) return;
                       if (!value.hasValue()) {
                           set(std::nullopt);
                           return;
                       }
                       if (const T* v = value.get<T>()) set(*v);
                   }};
    std::vector<AnyValue> anyTags;
    anyTags.reserve(tags.size());
    for (auto& tag : tags) anyTags.push_back(AnyValue(std::move(tag)));
    while (rows.size() < anyTags.size()) rows.push_back(text(""));
    rows.resize(anyTags.size());
    return Node(std::make_unique<ListContent>(std::move(any), std::move(anyTags), style), std::move(rows));
}

}  // namespace tarnwick::platform::ui
