#include "overlays/frosted_label_view.h"

#include <algorithm>
#include <cmath>

#include "overlays/label_reveal.h"
#include "platform/platform.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_metrics.h"
#include "platform/ui/transaction.h"
#include "support/run_loop.h"

namespace tarnwick {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;

namespace {

constexpr double kGlassOutset = 6;
constexpr double kApplicationRowThreshold = 66;  // view heights from which the icon row shows, per scale
constexpr double kApplicationRowReserve = 22;
constexpr double kApplicationRowInset = 20;
constexpr double kApplicationRowHeight = 16;
constexpr double kRevealFade = 5;  // the soft right edge of the reveal mask

bool reduceMotion() { return platform::current().workspace->accessibilityDisplayShouldReduceMotion(); }

}  // namespace

FrostedLabelView::FrostedLabelView(Rect frame, ApplicationIconCache* icons)
    : View(frame),
      frost_(std::make_shared<ui::VisualEffectView>()),
      titleHost_(std::make_shared<ui::View>()),
      label_(std::make_shared<ui::TextLabel>("Work")),
      applicationRow_(std::make_shared<BannerApplicationRowView>(Rect(), icons)),
      glass_(std::make_shared<ui::GlassEffectView>()) {
    setWantsLayer(true);

    label_->alignment = ui::TextAlignment::center;
    label_->textColor = ui::Color::label();
    label_->lineBreakMode = ui::LineBreakMode::truncatingTail;
    label_->usesSingleLineMode = true;

    frost_->blendingMode = ui::VisualEffectBlending::behindWindow;
    frost_->material = ui::VisualEffectMaterial::popover;
    frost_->state = ui::VisualEffectState::active;
    frost_->setWantsLayer(true);
    frost_->layer()->masksToBounds = true;
    frost_->layer()->cornerCurve = ui::CornerCurve::continuous;

    glass_->style = ui::GlassStyle::regular;
    glass_->isInteractive = false;

    titleHost_->addSubview(label_);
    applicationRow_->setHidden(true);
    titleHost_->addSubview(applicationRow_);
    glass_->setContentView(titleHost_);

    addSubview(frost_);
    addSubview(glass_);
    // The glass is always there, so the frosted backdrop stays hidden behind it.
    frost_->setHidden(true);
}

void FrostedLabelView::setContainerShape(ContainerShape shape) {
    containerShape_ = shape;
    setNeedsLayout();
}

void FrostedLabelView::configure(std::string text, double fontSize, int maximumLines, double weight) {
    if (label_->stringValue() != text) label_->setStringValue(std::move(text));
    label_->font = ui::Font::system(fontSize, weight);
    label_->maximumNumberOfLines = maximumLines;
    label_->usesSingleLineMode = maximumLines == 1;
    label_->lineBreakMode = maximumLines == 1 ? ui::LineBreakMode::truncatingTail : ui::LineBreakMode::wordWrapping;
    setNeedsLayout();
}

void FrostedLabelView::configureCaption(std::string nativeTitle, bool highlighted) {
    if (captionTitle_ == nativeTitle && captionHighlighted_ == highlighted) return;
    captionTitle_ = std::move(nativeTitle);
    captionHighlighted_ = highlighted;
    label_->textColor = ui::Color::white();

    frost_->appearance = ui::Appearance::vibrantDark;
    frost_->material = highlighted ? ui::VisualEffectMaterial::popover : ui::VisualEffectMaterial::headerView;
    frost_->isEmphasized = false;

    glass_->appearance = ui::Appearance::darkAqua;
    glass_->style = highlighted ? ui::GlassStyle::regular : ui::GlassStyle::clear;
    glass_->tintColor.reset();
    glass_->setHidden(false);
    frost_->setHidden(true);

    if (highlighted) {
        glass_->setContentView(titleHost_);
    } else {
        // The text sits above the clear glass, which is grown and clipped by layout.
        glass_->setContentView(nullptr);
        addSubview(titleHost_, *glass_);
    }
    setNeedsLayout();
}

void FrostedLabelView::applyGlass(BannerGlassStyle style, std::optional<GlassTint> tint) {
    glass_->style = style == BannerGlassStyle::clear ? ui::GlassStyle::clear : ui::GlassStyle::regular;
    glass_->tintColor = tint ? std::optional(ui::Color::sRGB(tint->red, tint->green, tint->blue, glassTintAlpha))
                             : std::nullopt;
}

void FrostedLabelView::configureApplications(const std::vector<SpaceApplication>& applications, double scale) {
    applicationScale_ = BannerSize::clamped(scale);
    applicationRow_->configure(applications, BannerApplicationLayout::Scale{applicationScale_});
    setNeedsLayout();
}

FrostedLabelView::TextMeasure FrostedLabelView::measure(double viewWidth) {
    const double side = label_->maximumNumberOfLines == 1 ? 16 : 12;
    // Never below 1 point, also for a view width that is not a finite number.
    const double width = viewWidth - side > 1 ? viewWidth - side : 1;
    label_->preferredMaxLayoutWidth = width;
    return TextMeasure{side, width, std::ceil(label_->fittingSize().height)};
}

double FrostedLabelView::textHeight(double width) { return measure(width).height; }

double FrostedLabelView::cornerRadius() const {
    const double half = bounds().height() * 0.5;
    switch (containerShape_) {
        case ContainerShape::capsule:
            return half;
        case ContainerShape::roundedRectangle:
            return std::min(half, 5.0);
        case ContainerShape::banner:
            return std::min(half, 14 * applicationScale_);
    }
    return half;
}

void FrostedLabelView::layout() {
    const Rect area = bounds();
    const double H = area.height(), W = area.width();
    const double r = cornerRadius();

    ui::Layer* own = layer();
    if (captionHighlighted_ == false) {
        // Clear glass grown past the edges and clipped to the rounded bounds.
        if (own) {
            own->masksToBounds = true;
            own->cornerRadius = r;
        }
        glass_->setFrame(Rect(-kGlassOutset, -kGlassOutset, W + 2 * kGlassOutset, H + 2 * kGlassOutset));
        glass_->cornerRadius = r + kGlassOutset;
    } else {
        if (own) {
            own->masksToBounds = false;
            own->cornerRadius = 0;
        }
        glass_->setFrame(area);
        glass_->cornerRadius = r;
    }
    if (own) own->cornerCurve = ui::CornerCurve::continuous;

    frost_->setFrame(area);
    if (frost_->layer()) frost_->layer()->cornerRadius = r;
    titleHost_->setFrame(area);

    const TextMeasure text = measure(W);
    const double scale = applicationScale_;
    const bool showsRow = !captionTitle_ && applicationRow_->applicationCount() >= 1 && H >= kApplicationRowThreshold * scale;
    const double reserve = showsRow ? kApplicationRowReserve * scale : 0;
    const double margin = (H - reserve - text.height) * 0.5;
    const bool oneLine = label_->maximumNumberOfLines == 1;
    label_->setFrame(Rect(oneLine ? 8 : 6, reserve + margin, std::max(W - text.sideAllowance, 0.0), text.height));

    applicationRow_->setHidden(!showsRow);
    if (showsRow)
        applicationRow_->setFrame(Rect(kApplicationRowInset * scale, std::max(margin, 0.0),
                                       std::max(W - 2 * kApplicationRowInset * scale, 0.0), kApplicationRowHeight * scale));

    // In caption mode a one-line name sits on the baseline the native caption's own glyphs
    // would have if they were centred on the view's middle.
    if (captionTitle_) {
        auto& metrics = ui::textMetrics();
        const double t = text.height;
        if (t <= metrics.defaultLineHeight(label_->font) + 1) {
            const Rect ink = metrics.glyphImageBounds(*captionTitle_, label_->font);
            double y = std::max(area.midY() - ink.midY() - (t - label_->firstBaselineOffsetFromTop()), 0.0);
            y = std::min(y, std::max(H - t, 0.0));
            Rect frame = label_->frame();
            frame.origin.y = y;
            label_->setFrame(frame);
        }
    }
}

bool FrostedLabelView::revealFromLeft() {
    cancelReveal();
    layoutSubtreeIfNeeded();
    if (reduceMotion()) return false;
    ui::Layer* own = layer();
    const Rect area = bounds();
    if (!own || !(area.size.width > 0) || !(area.size.height > 0)) return false;

    const int generation = revealGeneration_;
    const double W = area.width(), M = W + kRevealFade;
    auto gradient = std::make_shared<ui::GradientLayer>();
    gradient->anchorPoint = Point{0, 0.5};
    gradient->bounds = Rect(0, 0, M, area.height() + 2);
    gradient->position = Point{0, area.midY()};
    gradient->startPoint = Point{0, 0.5};
    gradient->endPoint = Point{1, 0.5};
    gradient->colors = {ui::Color::black(), ui::Color::black(), ui::Color::clear()};
    gradient->locations = {0, W / M, 1};

    ui::BasicAnimation slide{"position.x", -M, 0, LabelReveal::duration, ui::TimingFunction::easeInEaseOut};

    std::weak_ptr<ui::View> weakView = weak_from_this();
    std::weak_ptr<ui::GradientLayer> weakGradient = gradient;
    ui::Transaction transaction;
    transaction.setDisableActions(true);
    transaction.setCompletion([weakView, weakGradient, generation] {
        RunLoop::main().post([weakView, weakGradient, generation] {
            auto view = std::static_pointer_cast<FrostedLabelView>(weakView.lock());
            auto mask = weakGradient.lock();
            if (!view || !mask || view->revealGeneration_ != generation) return;
            if (!view->layer() || view->layer()->mask() != mask) return;
            view->cancelReveal();
        });
    });
    own->setMask(gradient);
    gradient->addAnimation(slide, revealAnimationKey);
    transaction.commit();
    return true;
}

void FrostedLabelView::cancelReveal() {
    ui::Layer* own = layer();
    if (!own || !own->mask()) return;
    ++revealGeneration_;
    ui::Transaction transaction;
    transaction.setDisableActions(true);
    own->mask()->removeAllAnimations();
    own->setMask(nullptr);
    transaction.commit();
}

bool FrostedLabelView::isRevealing() const { return layer() && layer()->mask(); }

bool FrostedLabelView::quickRenameModifier(platform::ModifierFlags modifiers) {
    constexpr platform::ModifierFlags relevant = flags::kShift | flags::kControl | flags::kOption | flags::kCommand;
    return (modifiers & relevant) == flags::kOption;
}

bool FrostedLabelView::acceptsFirstMouse(const ui::MouseEvent&) { return true; }

ui::View* FrostedLabelView::hitTest(Point point) {
    ui::View* hit = View::hitTest(point);
    // With the rename hook set, the whole label takes the click, never one of its parts.
    if (hit && quickRename) return this;
    return hit;
}

void FrostedLabelView::mouseDown(const ui::MouseEvent& event) {
    if (!quickRenameModifier(event.modifierFlags)) return;
    if (event.clickCount == 1) {
        if (quickRenameBegan) quickRenameBegan();
    } else if (event.clickCount == 2) {
        if (quickRename) quickRename();
    }
}

void FrostedLabelView::resetCursorRects() {
    View::resetCursorRects();
    if (auto* panel = window(); panel && !panel->ignoresMouseEvents()) addCursorRect(bounds(), ui::Cursor::pointingHand);
}

}  // namespace tarnwick
