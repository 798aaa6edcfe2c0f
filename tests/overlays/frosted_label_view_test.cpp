#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/frosted_label_view.h"
#include "overlays/label_reveal.h"
#include "platform/ui/panel.h"
#include "testkit/scripted_text_metrics.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
using Shape = FrostedLabelView::ContainerShape;
using testkit::TestEnvironment;

std::vector<SpaceApplication> threeApps() {
    return {{"a", "A", std::nullopt}, {"b", "B", std::nullopt}, {"c", "C", std::nullopt}};
}

class FrostedLabelViewTest : public ::testing::Test {
protected:
    FrostedLabelViewTest() {
        env.session.loadDefaultSession();
        metrics.fittingHeight = 20;
    }
    std::shared_ptr<FrostedLabelView> make(Rect frame) {
        auto view = std::make_shared<FrostedLabelView>(frame, &icons);
        view->setContainerShape(Shape::banner);
        return view;
    }

    TestEnvironment env;
    testkit::ScriptedTextMetrics metrics;
    testkit::TextMetricsScope metricsScope{env.session.platform(), metrics};
    ApplicationIconCache icons{[] { return 0.0; }, [](const std::string&) { return std::nullopt; }};
};

TEST_F(FrostedLabelViewTest, StartsAsGlassHostingTheTitleWithTheFrostHidden) {
    auto view = make(Rect(0, 0, 120, 44));
    EXPECT_TRUE(view->frost().isHidden());
    EXPECT_EQ(view->glass().contentView().get(), &view->titleHost());
    EXPECT_EQ(view->label().stringValue(), "Work");
    EXPECT_EQ(view->label().alignment, ui::TextAlignment::center);
    EXPECT_TRUE(view->applicationRow().isHidden());
    EXPECT_TRUE(view->wantsLayer());
    EXPECT_EQ(view->frost().material, ui::VisualEffectMaterial::popover);
    EXPECT_EQ(view->glass().style, ui::GlassStyle::regular);
}

TEST_F(FrostedLabelViewTest, ConfigureSetsTheStringOnlyWhenItChangedButAlwaysTheRest) {
    auto view = make(Rect(0, 0, 120, 44));
    view->configure("Work", 17, 1);
    EXPECT_EQ(view->label().stringSetCount(), 0);
    EXPECT_EQ(view->label().font, ui::Font::system(17, ui::font_weight::kMedium));
    view->layoutSubtreeIfNeeded();
    view->configure("Work", 20, 2, ui::font_weight::kBold);
    EXPECT_EQ(view->label().stringSetCount(), 0);
    EXPECT_TRUE(view->needsLayout());
    EXPECT_EQ(view->label().font, ui::Font::system(20, ui::font_weight::kBold));
    EXPECT_EQ(view->label().maximumNumberOfLines, 2);
    EXPECT_FALSE(view->label().usesSingleLineMode);
    EXPECT_EQ(view->label().lineBreakMode, ui::LineBreakMode::wordWrapping);
    view->configure("Mail", 20, 1);
    EXPECT_EQ(view->label().stringSetCount(), 1);
    EXPECT_EQ(view->label().lineBreakMode, ui::LineBreakMode::truncatingTail);
}

TEST_F(FrostedLabelViewTest, TheIconRowShowsFromSixtySixPointsPerScaleAndLiftsTheText) {
    auto view = make(Rect(0, 0, 200, 65.9));
    view->configure("Work", 17, 1);
    view->configureApplications(threeApps(), 1);
    view->layoutSubtreeIfNeeded();
    EXPECT_TRUE(view->applicationRow().isHidden());
    EXPECT_DOUBLE_EQ(view->label().frame().minY(), (65.9 - 20) / 2);

    view->setFrame(Rect(0, 0, 200, 66));
    view->layoutSubtreeIfNeeded();
    EXPECT_FALSE(view->applicationRow().isHidden());
    EXPECT_EQ(view->label().frame(), Rect(8, 22 + 12, 184, 20));  // 11 above the centred 23
    EXPECT_EQ(view->applicationRow().frame(), Rect(20, 12, 160, 16));

    // At scale 2 the same height is too low; no apps hides the row too.
    view->configureApplications(threeApps(), 2);
    view->layoutSubtreeIfNeeded();
    EXPECT_TRUE(view->applicationRow().isHidden());
    view->setFrame(Rect(0, 0, 200, 132));
    view->configureApplications({}, 2);
    view->layoutSubtreeIfNeeded();
    EXPECT_TRUE(view->applicationRow().isHidden());
    EXPECT_EQ(view->applicationScale(), 2);
}

TEST_F(FrostedLabelViewTest, TextIsMeasuredAtTheWidthLessTheSideAllowanceAndNeverBelowOnePoint) {
    auto view = make(Rect(0, 0, 1, 1));
    view->configure("Work", 13, 1);
    EXPECT_EQ(view->textHeight(200), 20);
    EXPECT_EQ(metrics.fittingRequests.back().width, 184);
    view->configure("Work", 13, 2);
    view->textHeight(200);
    EXPECT_EQ(metrics.fittingRequests.back().width, 188);
    EXPECT_TRUE(metrics.fittingRequests.back().wraps);

    view->layoutSubtreeIfNeeded();  // a 1 x 1 view
    EXPECT_EQ(metrics.fittingRequests.back().width, 1);
    EXPECT_EQ(view->label().frame().width(), 0);
    view->textHeight(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(metrics.fittingRequests.back().width, 1);
    metrics.fittingHeight = 20.2;
    EXPECT_EQ(view->textHeight(200), 21);  // rounded up to a whole point
}

TEST_F(FrostedLabelViewTest, CornerRadiusFollowsTheShape) {
    auto view = make(Rect(0, 0, 200, 44));
    view->layoutSubtreeIfNeeded();
    EXPECT_EQ(view->glass().cornerRadius, 14);
    view->configureApplications({}, 0.75);
    view->layoutSubtreeIfNeeded();
    EXPECT_EQ(view->glass().cornerRadius, 10.5);
    view->setContainerShape(Shape::roundedRectangle);
    view->layoutSubtreeIfNeeded();
    EXPECT_EQ(view->glass().cornerRadius, 5);
    view->setContainerShape(Shape::capsule);
    view->layoutSubtreeIfNeeded();
    EXPECT_EQ(view->glass().cornerRadius, 22);
    EXPECT_EQ(view->glass().frame(), Rect(0, 0, 200, 44));
    EXPECT_FALSE(view->layer()->masksToBounds);
    EXPECT_EQ(view->layer()->cornerCurve, ui::CornerCurve::continuous);
}

TEST_F(FrostedLabelViewTest, GlassStyleAndTintComeFromThePreferences) {
    auto view = make(Rect(0, 0, 120, 44));
    view->applyGlass(BannerGlassStyle::clear, GlassTint{0.1, 0.2, 0.3});
    EXPECT_EQ(view->glass().style, ui::GlassStyle::clear);
    EXPECT_EQ(view->glass().tintColor, ui::Color::sRGB(0.1, 0.2, 0.3, 0.22));
    view->applyGlass(BannerGlassStyle::regular, std::nullopt);
    EXPECT_EQ(view->glass().style, ui::GlassStyle::regular);
    EXPECT_FALSE(view->glass().tintColor);
}

TEST_F(FrostedLabelViewTest, CaptionModeIsOneWayAndARepeatChangesNothing) {
    auto view = make(Rect(0, 0, 200, 80));
    view->configureApplications(threeApps(), 1);
    view->configureCaption("Desktop 1", false);
    view->layoutSubtreeIfNeeded();
    EXPECT_TRUE(view->applicationRow().isHidden());  // never in caption mode
    EXPECT_EQ(view->label().textColor, ui::Color::white());
    EXPECT_EQ(view->glass().style, ui::GlassStyle::clear);
    EXPECT_EQ(view->frost().material, ui::VisualEffectMaterial::headerView);
    EXPECT_EQ(view->glass().contentView(), nullptr);
    EXPECT_EQ(view->titleHost().superview(), view.get());
    ASSERT_EQ(view->subviews().size(), 3u);
    EXPECT_EQ(view->subviews()[2].get(), &view->titleHost());  // above the glass
    EXPECT_EQ(view->glass().frame(), Rect(-6, -6, 212, 92));
    EXPECT_EQ(view->glass().cornerRadius, 20);  // 14 + 6
    EXPECT_TRUE(view->layer()->masksToBounds);
    EXPECT_EQ(view->layer()->cornerRadius, 14);

    view->configureCaption("Desktop 1", false);
    EXPECT_FALSE(view->needsLayout());

    view->configureCaption("Desktop 1", true);
    EXPECT_TRUE(view->needsLayout());
    EXPECT_EQ(view->glass().contentView().get(), &view->titleHost());
    EXPECT_EQ(view->glass().style, ui::GlassStyle::regular);
    EXPECT_EQ(view->frost().material, ui::VisualEffectMaterial::popover);
    view->applyGlass(BannerGlassStyle::regular, GlassTint{1, 0, 0});
    view->configureCaption("Desktop 1", true);
    EXPECT_TRUE(view->glass().tintColor);  // untouched by the repeat
}

TEST_F(FrostedLabelViewTest, ACaptionSitsOnTheNativeCaptionsBaselineForOneLineOnly) {
    auto view = make(Rect(0, 0, 200, 40));
    view->configure("Work", 17, 1);
    view->configureCaption("Desktop 1", true);
    view->layoutSubtreeIfNeeded();
    ASSERT_EQ(metrics.glyphRequests, std::vector<std::string>{"Desktop 1"});  // the caption's glyphs, not the name's
    auto& model = ui::systemFontMetrics();
    const auto font = ui::Font::system(17, ui::font_weight::kMedium);
    const Rect ink = model.glyphImageBounds("Desktop 1", font);
    const double expected = std::min(std::max(20 - ink.midY() - (20 - model.firstBaselineOffset(font)), 0.0), 20.0);
    EXPECT_DOUBLE_EQ(view->label().frame().minY(), expected);
    EXPECT_EQ(view->label().frame().minX(), 8);

    // Too low a view: the text is kept inside it.
    view->setFrame(Rect(0, 0, 200, 18));
    view->layoutSubtreeIfNeeded();
    EXPECT_EQ(view->label().frame().minY(), 0);

    // Two lines keep the centred frame.
    metrics.glyphRequests.clear();
    metrics.fittingHeight = 40;
    view->setFrame(Rect(0, 0, 200, 60));
    view->configure("A longer name", 17, 2);
    view->layoutSubtreeIfNeeded();
    EXPECT_TRUE(metrics.glyphRequests.empty());
    EXPECT_EQ(view->label().frame(), Rect(6, 10, 188, 40));
}

TEST_F(FrostedLabelViewTest, ARevealMasksTheViewAndItsCompletionClearsOnlyItsOwnMask) {
    auto view = make(Rect(0, 0, 100, 40));
    ASSERT_TRUE(view->revealFromLeft());
    EXPECT_TRUE(view->isRevealing());
    auto* mask = dynamic_cast<ui::GradientLayer*>(view->layer()->mask().get());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->bounds, Rect(0, 0, 105, 42));
    EXPECT_EQ(mask->position, (Point{0, 20}));
    EXPECT_EQ(mask->anchorPoint, (Point{0, 0.5}));
    EXPECT_EQ(mask->locations, (std::vector<double>{0, 100.0 / 105, 1}));
    EXPECT_EQ(mask->colors.back(), ui::Color::clear());
    const auto* slide = mask->animation(FrostedLabelView::revealAnimationKey);
    ASSERT_NE(slide, nullptr);
    EXPECT_EQ(slide->animation.keyPath, "position.x");
    EXPECT_EQ(slide->animation.fromValue, -105);
    EXPECT_EQ(slide->animation.toValue, 0);
    EXPECT_EQ(slide->animation.duration, LabelReveal::duration);
    EXPECT_EQ(slide->animation.timingFunction, ui::TimingFunction::easeInEaseOut);

    // A second reveal cancels the first; the first completion then leaves the new mask alone.
    env.advance(0.1);
    ASSERT_TRUE(view->revealFromLeft());
    EXPECT_EQ(view->revealGeneration(), 1);
    env.advance(0.1);
    EXPECT_TRUE(view->isRevealing());
    env.advance(0.04);
    EXPECT_FALSE(view->isRevealing());
    EXPECT_EQ(view->revealGeneration(), 2);
    view->cancelReveal();  // no mask: the generation stays
    EXPECT_EQ(view->revealGeneration(), 2);
}

TEST_F(FrostedLabelViewTest, NoRevealUnderReduceMotionWithoutALayerOrWithoutSize) {
    auto view = make(Rect(0, 0, 100, 40));
    ASSERT_TRUE(view->revealFromLeft());
    env.session.setReduceMotion(true);
    EXPECT_FALSE(view->revealFromLeft());
    EXPECT_FALSE(view->isRevealing());  // the running one was cancelled too
    env.session.setReduceMotion(false);

    auto empty = make(Rect(0, 0, 0, 40));
    EXPECT_FALSE(empty->revealFromLeft());
    auto layerless = make(Rect(0, 0, 100, 40));
    layerless->setWantsLayer(false);
    EXPECT_FALSE(layerless->revealFromLeft());
    EXPECT_FALSE(layerless->isRevealing());
}

TEST_F(FrostedLabelViewTest, OptionAloneTurnsClicksIntoTheRenameHooks) {
    EXPECT_TRUE(FrostedLabelView::quickRenameModifier(flags::kOption));
    EXPECT_TRUE(FrostedLabelView::quickRenameModifier(flags::kOption | flags::kCapsLock | flags::kFunction));
    EXPECT_FALSE(FrostedLabelView::quickRenameModifier(flags::kOption | flags::kShift));
    EXPECT_FALSE(FrostedLabelView::quickRenameModifier(flags::kOption | flags::kCommand));
    EXPECT_FALSE(FrostedLabelView::quickRenameModifier(flags::kOption | flags::kControl));
    EXPECT_FALSE(FrostedLabelView::quickRenameModifier(0));

    auto view = make(Rect(0, 0, 100, 40));
    std::vector<std::string> calls;
    view->quickRenameBegan = [&] { calls.push_back("began"); };
    auto click = [&](platform::ModifierFlags modifiers, int count) {
        view->mouseDown(ui::MouseEvent{ui::event_type::kLeftMouseDown, {50, 20}, modifiers, count});
    };
    click(flags::kOption, 1);
    click(flags::kOption, 2);  // no rename hook yet
    view->quickRename = [&] { calls.push_back("rename"); };
    click(flags::kOption | flags::kCapsLock, 2);
    click(flags::kOption, 3);
    click(flags::kOption | flags::kShift, 2);
    click(0, 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"began", "rename"}));
    EXPECT_TRUE(view->acceptsFirstMouse(ui::MouseEvent{}));
}

TEST_F(FrostedLabelViewTest, WithTheRenameHookTheLabelItselfTakesEveryClickInside) {
    auto view = make(Rect(0, 0, 100, 40));
    view->layoutSubtreeIfNeeded();
    EXPECT_NE(view->hitTest({50, 20}), view.get());  // a part of it without the hook
    view->quickRename = [] {};
    EXPECT_EQ(view->hitTest({50, 20}), view.get());
    EXPECT_EQ(view->hitTest({150, 20}), nullptr);
}

}  // namespace
}  // namespace tarnwick
