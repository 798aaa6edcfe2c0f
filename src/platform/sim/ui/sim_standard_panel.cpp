#include "platform/sim/ui/sim_standard_panel.h"

#include <cmath>

#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/image_view.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_label.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

constexpr double kMargin = 20;
constexpr double kGap = 8;

// Escape closes a standard panel, as its close button does.
class StandardPanelWindow final : public ui::Panel {
public:
    using Panel::Panel;
    void cancelOperation() override { close(); }
};

// The row of a panel's button: the button at the trailing edge, chosen by Return.
class ButtonRow final : public ui::DeclarativeView {
public:
    explicit ButtonRow(StandardPanelButton button) : button_(std::move(button)) {}

    ui::Node body(ui::ViewContext&) override {
        // The bezel's insets come around the title's frame.
        ui::FrameSpec width;
        width.minWidth = StandardPanel::kButtonMinimumTitleWidth;
        return ui::hstack(ui::VerticalAlignment::center, 0,
                          ui::nodes(ui::spacer(), ui::button(ui::text(button_.title).frame(width), button_.action)
                                                      .keyboardShortcut(ui::KeyboardShortcut{"\r", 0})))
            .padding(ui::EdgeInsets::horizontal(kMargin));
    }
    void observe(ui::ViewHost&) override {}

private:
    StandardPanelButton button_;
};

}  // namespace

std::unique_ptr<ui::Panel> StandardPanel::make(const std::string& title) {
    auto panel = std::make_unique<StandardPanelWindow>(Rect(0, 0, kWidth, kWidth),
                                                       ui::style_mask::kTitled | ui::style_mask::kClosable);
    panel->setTitle(title);
    panel->isReleasedWhenClosed = false;
    return panel;
}

void StandardPanel::fill(ui::Panel& panel, const std::optional<platform::Image>& icon,
                         const std::vector<StandardPanelLine>& lines, const std::optional<StandardPanelButton>& button) {
    const double textWidth = kWidth - 2 * kMargin;
    // Laid out from the top down, then turned into the view's y-up frames.
    struct Placed {
        std::shared_ptr<ui::View> view;
        double top;
        double width;
        double height;
    };
    std::vector<Placed> placed;
    // The title bar is the top of the frame.
    double top = ui::Panel::kTitlebarHeight + kGap * 2;
    if (icon) {
        auto image = std::make_shared<ui::ImageView>(Rect(0, 0, kIconSize, kIconSize));
        image->image = *icon;
        image->accessibilityLabel = icon->accessibilityDescription;
        placed.push_back({image, top, kIconSize, kIconSize});
        top += kIconSize + kGap;
    }
    for (const auto& line : lines) {
        auto label = std::make_shared<ui::TextLabel>(line.text);
        label->font = line.font;
        label->textColor = line.color;
        label->alignment = ui::TextAlignment::center;
        label->maximumNumberOfLines = 0;
        label->usesSingleLineMode = false;
        label->lineBreakMode = ui::LineBreakMode::wordWrapping;
        label->preferredMaxLayoutWidth = textWidth;
        const double height = std::ceil(label->fittingSize().height);
        placed.push_back({label, top, textWidth, height});
        top += height + kGap / 2;
    }
    std::shared_ptr<ui::HostingView> buttonRow;
    if (button) {
        top += kGap * 1.5;
        buttonRow = std::make_shared<ui::HostingView>(std::make_unique<ButtonRow>(*button),
                                                      Rect(0, 0, kWidth, kButtonRowHeight));
        placed.push_back({buttonRow, top, kWidth, kButtonRowHeight});
        top += kButtonRowHeight + kGap / 2;
    }
    const double height = top - kGap / 2 + kMargin;
    auto content = std::make_shared<ui::View>(Rect(0, 0, kWidth, height));
    for (const auto& item : placed) {
        item.view->setFrame(Rect((kWidth - item.width) / 2, height - item.top - item.height, item.width, item.height));
        content->addSubview(item.view);
    }
    const Rect old = panel.frame();
    panel.setContentView(content);
    panel.setFrame(Rect(old.origin.x, old.maxY() - height, kWidth, height), false);
    if (buttonRow) panel.makeFirstResponder(buttonRow.get());
}

void StandardPanel::show(ui::Panel& panel, bool firstShow) {
    if (firstShow) panel.center();
    panel.orderFrontRegardless();
}

}  // namespace tarnwick::sim
