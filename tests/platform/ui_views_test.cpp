#include <chrono>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/ui/effect_views.h"
#include "platform/ui/text_label.h"
#include "platform/ui/text_lines.h"
#include "platform/ui/text_metrics.h"
#include "platform/ui/transaction.h"
#include "platform/ui/view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using testkit::TestEnvironment;

// ---- text metrics

TEST(SystemFontMetricsTest, CountsCharactersNotBytes) {
    ui::SystemFontMetrics metrics;
    const auto font = ui::Font::system(17, ui::font_weight::kMedium);
    const double one = metrics.lineWidth("e", font);
    EXPECT_GT(one, 0);
    EXPECT_DOUBLE_EQ(metrics.lineWidth("é", font), one);              // two bytes, one character
    EXPECT_DOUBLE_EQ(metrics.lineWidth("e\u0301", font), one);        // a combining mark adds nothing
    EXPECT_DOUBLE_EQ(metrics.lineWidth("😀", font), 2 * one);         // four bytes, one wide character
    EXPECT_DOUBLE_EQ(metrics.lineWidth("Work", font), 4 * one);
    EXPECT_DOUBLE_EQ(metrics.lineWidth("a\nb", font), 3 * one);        // a line break measures as a space
    EXPECT_DOUBLE_EQ(metrics.lineWidth("\xff", font), one);            // a stray byte is one character
    EXPECT_GT(metrics.lineWidth("W", ui::Font::system(17, ui::font_weight::kBold)), metrics.lineWidth("W", ui::Font::system(17)));
}

TEST(SystemFontMetricsTest, WrapsAtWordsWithinTheLineLimitAndBreaksLongWords) {
    ui::SystemFontMetrics metrics;
    const auto font = ui::Font::system(10);
    const double a = ui::SystemFontMetrics::advance(font);
    const double line = metrics.defaultLineHeight(font);
    // "aaaa bbbb" in a width of six characters: two lines.
    EXPECT_DOUBLE_EQ(metrics.fittingSize("aaaa bbbb", font, 6 * a, 0, true).height, 2 * line);
    EXPECT_DOUBLE_EQ(metrics.fittingSize("aaaa bbbb", font, 6 * a, 1, true).height, line);
    // A word of twelve characters in six: broken into two lines.
    EXPECT_DOUBLE_EQ(metrics.fittingSize("aaaaaaaaaaaa", font, 6 * a, 0, true).height, 2 * line);
    // One line when it does not wrap, whatever the width; empty text still takes a line.
    EXPECT_DOUBLE_EQ(metrics.fittingSize("aaaa bbbb", font, 2 * a, 0, false).height, line);
    EXPECT_DOUBLE_EQ(metrics.fittingSize("", font, 100, 2, true).height, line);
    // Explicit line breaks start lines when the text wraps.
    EXPECT_DOUBLE_EQ(metrics.fittingSize("a\nb\nc", font, 100, 0, true).height, 3 * line);
    EXPECT_LE(metrics.fittingSize("aaaa bbbb cccc", font, 6 * a, 0, true).width, 6 * a);
}

TEST(SystemFontMetricsTest, MeasuresTenThousandCharactersInOnePass) {
    ui::SystemFontMetrics metrics;
    const auto font = ui::Font::system(17);
    std::string name;
    for (int i = 0; i < 10000; ++i) name += (i % 7 == 0) ? "é " : "w";
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 50; ++i) {
        metrics.lineWidth(name, font);
        metrics.fittingSize(name, font, 1, 0, true);
    }
    // Generous bound: a quadratic measurement of 10,000 characters takes far longer.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(SystemFontMetricsTest, GlyphBoundsFollowTheInkOfTheLine) {
    ui::SystemFontMetrics metrics;
    const auto font = ui::Font::system(20);
    EXPECT_EQ(metrics.glyphImageBounds("   ", font), Rect());
    const Rect caps = metrics.glyphImageBounds("Desktop 1", font);
    const Rect low = metrics.glyphImageBounds("ace", font);
    EXPECT_LT(caps.minY(), 0);   // "p" descends below the baseline
    EXPECT_EQ(low.minY(), 0);
    EXPECT_GT(caps.maxY(), low.maxY());
}

TEST(SystemFontMetricsTest, ShownLinesBreakAsTheLayoutDoesAndCutTheRestShortWithinTheWidth) {
    ui::SystemFontMetrics metrics;
    const auto font = ui::Font::system(10);
    const double a = ui::SystemFontMetrics::advance(font);
    const double line = metrics.defaultLineHeight(font);
    const auto texts = [](const std::vector<ui::ShownLine>& lines) {
        std::vector<std::string> out;
        for (const auto& l : lines) out.push_back(l.text);
        return out;
    };
    using Strings = std::vector<std::string>;
    const auto wrapped = [&](int limit, double height, ui::LineBreakMode mode = ui::LineBreakMode::truncatingTail) {
        return ui::shownLines(metrics, "aaaa bbbb cccc", font, ui::TextBox{6 * a, height, limit, true, mode});
    };
    // As many lines as fittingSize counts, spaces at their ends not shown, each within the width.
    EXPECT_EQ(texts(wrapped(0, 0)), (Strings{"aaaa", "bbbb", "cccc"}));
    EXPECT_EQ(metrics.fittingSize("aaaa bbbb cccc", font, 6 * a, 0, true).height, 3 * line);
    // The line limit, or the height, cuts the rest short on the last line; clipping keeps its words.
    EXPECT_EQ(texts(wrapped(2, 0)), (Strings{"aaaa", "bbbb…"}));
    EXPECT_EQ(texts(wrapped(0, 2.5 * line)), (Strings{"aaaa", "bbbb…"}));
    EXPECT_EQ(texts(wrapped(2, 0, ui::LineBreakMode::clipping)), (Strings{"aaaa", "bbbb"}));
    for (const auto& shown : wrapped(2, 0)) EXPECT_LE(shown.width, 6 * a);

    // One line: the head, the middle or the tail gives way to "…"; clipped, it stays whole.
    const auto oneLine = [&](ui::LineBreakMode mode) {
        return texts(ui::shownLines(metrics, "Desktop\nnumber 12", font, ui::TextBox{7 * a, 0, 1, false, mode}));
    };
    EXPECT_EQ(oneLine(ui::LineBreakMode::truncatingTail), Strings{"Deskto…"});
    EXPECT_EQ(oneLine(ui::LineBreakMode::truncatingHead), Strings{"…ber 12"});
    EXPECT_EQ(oneLine(ui::LineBreakMode::truncatingMiddle), Strings{"Desk…12"});
    EXPECT_EQ(oneLine(ui::LineBreakMode::clipping), Strings{"Desktop number 12"});
    // Characters, not bytes, give way; no room even for "…" shows nothing; a fitting text stays.
    EXPECT_EQ(texts(ui::shownLines(metrics, "éééé", font, ui::TextBox{3 * a})), Strings{"éé…"});
    EXPECT_EQ(texts(ui::shownLines(metrics, "abc", font, ui::TextBox{a / 2})), Strings{""});
    EXPECT_EQ(texts(ui::shownLines(metrics, "abc", font, ui::TextBox{3 * a})), Strings{"abc"});
    EXPECT_TRUE(ui::shownLines(metrics, "", font, ui::TextBox{100}).empty());
}

// Whether the bytes are whole UTF-8 sequences: no scalar cut in two.
bool wholeUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// Texts of several bytes a character break between characters, never inside one: each line is
// whole UTF-8 within the width, a combining mark stays with its letter, and the lines give the
// text back but for the spaces at the breaks. Widths come from the metrics, so the rule holds for
// any font model.
TEST(SystemFontMetricsTest, MultiByteTextWrapsBetweenCharactersWithinTheWidth) {
    ui::SystemFontMetrics metrics;
    const auto font = ui::Font::system(12);
    using Strings = std::vector<std::string>;
    const auto lines = [&](const std::string& text, double width) {
        Strings out;
        for (const auto& line : ui::shownLines(metrics, text, font, ui::TextBox{width, 0, 0, true, ui::LineBreakMode::clipping})) {
            EXPECT_TRUE(wholeUtf8(line.text)) << text;
            EXPECT_LE(line.width, width + 1e-9) << line.text;
            out.push_back(line.text);
        }
        // fittingSize breaks them the same way.
        EXPECT_DOUBLE_EQ(metrics.fittingSize(text, font, width, 0, true).height,
                         static_cast<double>(out.size()) * metrics.defaultLineHeight(font))
            << text;
        return out;
    };
    // Accented words break at the space; a word wider than the line breaks between characters.
    EXPECT_EQ(lines("Größe Straße", metrics.lineWidth("Straße", font)), (Strings{"Größe", "Straße"}));
    EXPECT_EQ(lines("日本語のテキスト", metrics.lineWidth("日本語", font)), (Strings{"日本語", "のテキ", "スト"}));
    EXPECT_EQ(lines("😀😀😀😀😀", metrics.lineWidth("😀😀", font)), (Strings{"😀😀", "😀😀", "😀"}));
    // A combining accent takes no room of its own: it stays on the line of the letter it marks.
    const std::string marked = "e\u0301";
    EXPECT_EQ(lines(marked + marked + marked + marked, metrics.lineWidth(marked + marked + marked, font)),
              (Strings{marked + marked + marked, marked}));
}

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
