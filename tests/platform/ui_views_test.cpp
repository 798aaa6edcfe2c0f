#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/ui/effect_views.h"
#include "platform/ui/text_label.h"
#include "platform/ui/transaction.h"
#include "platform/ui/view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using testkit::TestEnvironment;

// ---- views

class ViewTest : public ::testing::Test {
protected:
    TestEnvironment env;
};

struct RecordingView : ui::View {
    using View::View;
    int layouts = 0;
    int clicks = 0;
    bool firstMouse = false;
    void layout() override { ++layouts; }
    void mouseDown(const ui::MouseEvent&) override { ++clicks; }
    bool acceptsFirstMouse(const ui::MouseEvent&) override { return firstMouse; }
};

TEST_F(ViewTest, HitTestingFindsTheFrontmostVisibleViewInLocalCoordinates) {
    auto root = std::make_shared<ui::View>(Rect(0, 0, 200, 100));
    auto back = std::make_shared<ui::View>(Rect(10, 10, 100, 50));
    auto front = std::make_shared<ui::View>(Rect(50, 20, 100, 50));
    auto inner = std::make_shared<ui::View>(Rect(5, 5, 10, 10));
    root->addSubview(back);
    root->addSubview(front);
    back->addSubview(inner);
    EXPECT_EQ(root->hitTest({60, 30}), front.get());
    EXPECT_EQ(root->hitTest({16, 16}), inner.get());  // (16,16) is (1,1) inside `inner`
    EXPECT_EQ(root->hitTest({190, 90}), root.get());
    EXPECT_EQ(root->hitTest({250, 10}), nullptr);
    front->setHidden(true);
    EXPECT_EQ(root->hitTest({60, 30}), back.get());
    // Ordered above the back view instead of in front of everything.
    auto middle = std::make_shared<ui::View>(Rect(0, 0, 200, 100));
    root->addSubview(middle, *back);
    ASSERT_EQ(root->subviews().size(), 3u);
    EXPECT_EQ(root->subviews()[1], middle);
    EXPECT_EQ(root->hitTest({60, 30}), middle.get());
}

TEST_F(ViewTest, LayoutRunsOnlyWhenNeededAndASizeChangeAsksForIt) {
    auto parent = std::make_shared<RecordingView>(Rect(0, 0, 100, 100));
    auto child = std::make_shared<RecordingView>(Rect(0, 0, 10, 10));
    parent->addSubview(child);
    parent->layoutSubtreeIfNeeded();
    parent->layoutSubtreeIfNeeded();
    EXPECT_EQ(parent->layouts, 1);
    EXPECT_EQ(child->layouts, 1);
    child->setFrame(Rect(5, 5, 10, 10));  // moved, same size
    parent->layoutSubtreeIfNeeded();
    EXPECT_EQ(child->layouts, 1);
    child->setFrame(Rect(5, 5, 20, 10));
    parent->layoutSubtreeIfNeeded();
    EXPECT_EQ(child->layouts, 2);
}

TEST_F(ViewTest, UnhandledClicksGoToTheSuperviewAndShownTextSkipsHiddenLabels) {
    auto parent = std::make_shared<RecordingView>(Rect(0, 0, 100, 100));
    auto child = std::make_shared<ui::View>(Rect(0, 0, 10, 10));
    parent->addSubview(child);
    child->mouseDown(ui::MouseEvent{});
    EXPECT_EQ(parent->clicks, 1);

    auto shown = std::make_shared<ui::TextLabel>("Work");
    auto hidden = std::make_shared<ui::TextLabel>("Secret");
    hidden->setHidden(true);
    parent->addSubview(shown);
    parent->addSubview(hidden);
    EXPECT_EQ(parent->shownTexts(), std::vector<std::string>{"Work"});
}

TEST_F(ViewTest, GlassContentViewMovesBetweenGlassAndOtherParents) {
    auto host = std::make_shared<ui::View>(Rect(0, 0, 100, 40));
    auto glass = std::make_shared<ui::GlassEffectView>();
    auto content = std::make_shared<ui::View>();
    host->addSubview(glass);
    glass->setContentView(content);
    EXPECT_EQ(content->superview(), glass.get());
    glass->setContentView(nullptr);
    EXPECT_EQ(content->superview(), nullptr);
    host->addSubview(content, *glass);
    glass->setContentView(content);
    EXPECT_EQ(content->superview(), glass.get());
    EXPECT_EQ(host->subviews().size(), 1u);
}

TEST_F(ViewTest, SubviewsFollowTheirSuperviewsSizeAsTheirMasksSay) {
    auto parent = std::make_shared<ui::View>(Rect(0, 0, 100, 40));
    auto filling = std::make_shared<ui::View>(Rect(5, 5, 90, 30));
    filling->autoresizingMask = ui::autoresizing::kWidthSizable | ui::autoresizing::kHeightSizable;
    auto pinnedRight = std::make_shared<ui::View>(Rect(80, 0, 20, 10));
    pinnedRight->autoresizingMask = ui::autoresizing::kMinXMargin;
    auto centred = std::make_shared<ui::View>(Rect(40, 0, 20, 10));
    centred->autoresizingMask = ui::autoresizing::kMinXMargin | ui::autoresizing::kMaxXMargin;
    auto fixed = std::make_shared<ui::View>(Rect(1, 2, 3, 4));
    auto inner = std::make_shared<ui::View>(Rect(0, 0, 90, 30));
    inner->autoresizingMask = ui::autoresizing::kWidthSizable;
    for (auto& view : {filling, pinnedRight, centred, fixed}) parent->addSubview(view);
    filling->addSubview(inner);
    filling->layoutSubtreeIfNeeded();

    parent->setFrame(Rect(10, 10, 160, 60));
    EXPECT_EQ(filling->frame(), Rect(5, 5, 150, 50));
    EXPECT_TRUE(filling->needsLayout());
    EXPECT_EQ(inner->frame(), Rect(0, 0, 150, 30));  // resizing goes down the tree
    EXPECT_EQ(pinnedRight->frame(), Rect(140, 0, 20, 10));
    EXPECT_EQ(centred->frame(), Rect(70, 0, 20, 10));
    EXPECT_EQ(fixed->frame(), Rect(1, 2, 3, 4));
    // A move alone resizes nothing.
    parent->setFrame(Rect(0, 0, 160, 60));
    EXPECT_EQ(filling->frame(), Rect(5, 5, 150, 50));
}

TEST_F(ViewTest, AGlassContentViewStartsFillingTheGlass) {
    auto glass = std::make_shared<ui::GlassEffectView>(Rect(0, 0, 120, 30));
    auto content = std::make_shared<ui::View>();
    content->autoresizingMask = ui::autoresizing::kWidthSizable | ui::autoresizing::kHeightSizable;
    glass->setContentView(content);
    EXPECT_EQ(content->frame(), Rect(0, 0, 120, 30));
    glass->setFrame(Rect(0, 0, 200, 40));
    EXPECT_EQ(content->frame(), Rect(0, 0, 200, 40));
}

// ---- layers and motion

TEST_F(ViewTest, AnAnimationRunsForItsDurationThenItsTransactionCompletes) {
    auto layer = std::make_shared<ui::Layer>();
    int completions = 0;
    {
        ui::Transaction transaction;
        transaction.setDisableActions(true);
        EXPECT_TRUE(ui::Transaction::actionsDisabled());
        transaction.setCompletion([&] { ++completions; });
        layer->addAnimation(ui::BasicAnimation{"position.x", -105, 0, 0.14, ui::TimingFunction::easeInEaseOut}, "reveal");
        transaction.commit();
    }
    EXPECT_FALSE(ui::Transaction::actionsDisabled());
    ASSERT_NE(layer->animation("reveal"), nullptr);
    EXPECT_EQ(layer->animation("reveal")->beginTime, 1000.0);
    EXPECT_EQ(layer->animation("reveal")->animation.fromValue, -105);
    env.advance(0.13);
    EXPECT_EQ(completions, 0);
    env.advance(0.02);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(layer->animations().empty());
}

TEST_F(ViewTest, ReplacingOrRemovingAnAnimationEndsItAndAZeroSecondOneEndsOnTheNextTurn) {
    auto layer = std::make_shared<ui::Layer>();
    std::vector<std::string> ended;
    auto add = [&](const std::string& name, double duration) {
        ui::Transaction transaction;
        transaction.setCompletion([&ended, name] { ended.push_back(name); });
        layer->addAnimation(ui::BasicAnimation{"opacity", 0, 1, duration}, "fade");
    };
    add("first", 1);
    add("second", 1);  // replaces the first under the same key
    env.settle();
    EXPECT_EQ(ended, std::vector<std::string>{"first"});
    layer->removeAllAnimations();
    EXPECT_EQ(ended.size(), 1u);  // completions run on a later turn, never inside the call
    env.settle();
    EXPECT_EQ(ended, (std::vector<std::string>{"first", "second"}));
    add("instant", 0);
    EXPECT_EQ(layer->animations().size(), 1u);
    env.settle();
    EXPECT_EQ(ended.back(), "instant");
    // A transaction without animations completes on the next turn.
    add("none", 0);
    env.settle();
    {
        ui::Transaction empty;
        empty.setCompletion([&] { ended.push_back("empty"); });
    }
    EXPECT_NE(ended.back(), "empty");
    env.settle();
    EXPECT_EQ(ended.back(), "empty");
}

}  // namespace
}  // namespace tarnwick
