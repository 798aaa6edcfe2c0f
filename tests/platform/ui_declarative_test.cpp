// The declarative view layer: rendering and its coalescing, layout, state by identity, change
// reactions, focus, appear and disappear, the pointer, keys, signals, animations and bridged
// retained views, through a hosting view in a panel of the simulated window system.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_metrics.h"
#include "testkit/printing.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace keys = platform::key_codes;
namespace flags = platform::modifier_flags;
using ui::Node;
using Strings = std::vector<std::string>;

// A root view whose body is the test's function, watching the test's values.
class TestView final : public ui::DeclarativeView {
public:
    std::function<Node(ui::ViewContext&)> makeBody;
    std::function<void(ui::ViewHost&)> watch;
    int bodies = 0;

    Node body(ui::ViewContext& context) override {
        ++bodies;
        return makeBody(context);
    }
    void observe(ui::ViewHost& host) override {
        if (watch) watch(host);
    }
};

// A counter button with its own state, keyed by its caller.
struct CounterButton {
    std::string title;
    Node body(ui::ViewContext& context) const {
        auto count = context.state<int>(0);
        return ui::button(ui::text(title + " " + std::to_string(count.get())), [count] { count.set(count.get() + 1); })
            .accessibilityIdentifier("counter." + title);
    }
};

// A retained view bridged into the tree, counting what the host asked of it.
struct Probe {
    struct Counts {
        int made = 0;
        int updated = 0;
        int dismantled = 0;
    };
    std::shared_ptr<Counts> counts;
    std::shared_ptr<ui::View> makeView() const {
        ++counts->made;
        return std::make_shared<ui::View>();
    }
    void updateView(ui::View&) const { ++counts->updated; }
    void dismantleView(ui::View&) const { ++counts->dismantled; }
};

// Fills the hosting view, content at the top left (a smaller tree is centred).
ui::FrameSpec fill() {
    ui::FrameSpec frame;
    frame.maxWidth = frame.maxHeight = ui::FrameSpec::infinity;
    frame.alignment = ui::Alignment::topLeading();
    return frame;
}

class DeclarativeTest : public ::testing::Test {
protected:
    DeclarativeTest() { env.session.loadDefaultSession(); }

    // Hosts the view in a shown 300 x 200 panel at (100, 100).
    void host(std::function<Node(ui::ViewContext&)> body, std::function<void(ui::ViewHost&)> watch = nullptr) {
        auto view = std::make_unique<TestView>();
        view->makeBody = std::move(body);
        view->watch = std::move(watch);
        root = view.get();
        hosting = std::make_shared<ui::HostingView>(std::move(view));
        panel = std::make_unique<ui::Panel>(Rect(100, 100, 300, 200), ui::style_mask::kNonactivatingPanel);
        panel->setContentView(hosting);
        hosting->layoutSubtreeIfNeeded();
    }
    ui::ViewHost& h() { return hosting->host(); }
    const Node& node(const std::string& identifier) {
        const Node* found = h().find(identifier);
        EXPECT_TRUE(found) << identifier;
        return *found;
    }
    double lineHeight(ui::TextStyle style) { return ui::textMetrics().defaultLineHeight(ui::fontFor(style)); }
    double width(const std::string& text, ui::TextStyle style = ui::TextStyle::body) {
        return ui::textMetrics().lineWidth(text, ui::fontFor(style));
    }

    testkit::TestEnvironment env;
    TestView* root = nullptr;
    std::shared_ptr<ui::HostingView> hosting;
    std::unique_ptr<ui::Panel> panel;
};

TEST_F(DeclarativeTest, ChangesInOneTurnRenderOnceOnALaterTurnAndLayoutRendersAtOnce) {
    Published<int> a{0}, b{0};
    host([&](ui::ViewContext&) { return ui::text(std::to_string(a.get() + b.get())); },
         [&](ui::ViewHost& host) {
             host.watch(a);
             host.watch(b);
         });
    EXPECT_EQ(root->bodies, 1);
    a.set(1);
    b.set(2);
    EXPECT_EQ(hosting->host().texts(), Strings{"0"});  // not yet
    env.settle();
    EXPECT_EQ(root->bodies, 2);
    EXPECT_EQ(hosting->shownTexts(), Strings{"3"});
    env.settle();
    EXPECT_EQ(root->bodies, 2);

    // A change pending makes the hosting view need layout; laid out (as a window does before it
    // shows), it renders now, and the posted render then has nothing to do.
    a.set(5);
    EXPECT_TRUE(hosting->needsLayout());
    panel->contentView()->layoutSubtreeIfNeeded();
    EXPECT_EQ(h().texts(), Strings{"7"});
    env.settle();
    EXPECT_EQ(root->bodies, 3);

    // The user turns Reduce Motion on: the environment changed, so the view renders again.
    EXPECT_FALSE(h().environment().reduceMotion);
    env.session.setReduceMotion(true);
    env.settle();
    EXPECT_EQ(root->bodies, 4);
    EXPECT_TRUE(h().environment().reduceMotion);
}

TEST_F(DeclarativeTest, StacksPaddingSpacersAndFramesGiveEveryNodeAFrame) {
    host([](ui::ViewContext&) {
        return ui::vstack(ui::HorizontalAlignment::leading, 8,
                          ui::nodes(ui::text("Title").font(ui::TextStyle::headline).accessibilityIdentifier("title"),
                                    ui::hstack(ui::VerticalAlignment::center, 10,
                                               ui::nodes(ui::text("Left").accessibilityIdentifier("left"), ui::spacer(4),
                                                         ui::text("Right").fixedSize().accessibilityIdentifier("right")))
                                        .accessibilityIdentifier("row"),
                                    ui::text("Boxed").frame(50, 30).accessibilityIdentifier("boxed"),
                                    ui::text("Wide").fillWidth(ui::Alignment::leading()).accessibilityIdentifier("wide")))
            .padding(12)
            .frame(fill());
    });
    const double body = lineHeight(ui::TextStyle::body);
    EXPECT_EQ(node("title").frame(), Rect(12, 12, width("Title", ui::TextStyle::headline), lineHeight(ui::TextStyle::headline)));
    const Rect row = node("row").frame();
    EXPECT_EQ(row.minX(), 12);
    EXPECT_DOUBLE_EQ(row.minY(), 12 + lineHeight(ui::TextStyle::headline) + 8);
    EXPECT_EQ(row.width(), 276);  // the spacer takes the room between the texts
    EXPECT_DOUBLE_EQ(node("right").frame().maxX(), 288);
    EXPECT_DOUBLE_EQ(node("left").frame().width(), width("Left"));
    EXPECT_EQ(node("boxed").frame().size, (Size{50, 30}));
    EXPECT_DOUBLE_EQ(node("boxed").frame().minY(), row.maxY() + 8);
    EXPECT_EQ(node("wide").frame().width(), 276);
    EXPECT_DOUBLE_EQ(node("wide").frame().height(), body);
}

// The smallest size a tree declares: the frames' minimum and fixed lengths around the outermost
// content, and the padding around each, along both axes even where the content declares nothing.
TEST_F(DeclarativeTest, TheMinimumSizeCountsThePaddingAroundWhatTheContentDeclares) {
    ui::FrameSpec wide;
    wide.minWidth = 200;
    const std::vector<std::pair<std::function<Node()>, Size>> cases{
        // Padding around a content that declares only its width.
        {[wide] { return ui::vstack(ui::HorizontalAlignment::leading, 0, ui::nodes(ui::text("a").frame(wide))).padding(12); },
         Size{224, 24}},
        // Padding inside a frame: the frame holds it, unless what it holds is larger.
        {[wide] {
             ui::FrameSpec outer;
             outer.minWidth = 210;
             outer.minHeight = 100;
             return ui::vstack(ui::HorizontalAlignment::leading, 0, ui::nodes(ui::text("a").frame(wide)))
                 .padding(ui::EdgeInsets{4, 8, 6, 8})
                 .frame(outer);
         },
         Size{216, 100}},
        // A fixed frame counts as its length, the padding on its node inside it; padding on an
        // outer node adds to it.
        {[] { return ui::vstack(ui::HorizontalAlignment::leading, 0, ui::nodes(ui::text("a").frame(50, 30).padding(5))).padding(10); },
         Size{70, 50}},
        // Nothing declared: the padding alone.
        {[] { return ui::text("a").padding(7); }, Size{14, 14}},
    };
    for (const auto& testCase : cases) {
        const auto& body = testCase.first;
        host([&body](ui::ViewContext&) { return body(); });
        EXPECT_EQ(hosting->minimumSize(), testCase.second);
    }
}

TEST_F(DeclarativeTest, AHorizontalStackSharesItsWidthWithTheLeastFlexibleFirstAndAlignsBaselines) {
    const std::string longName(100, 'w');
    host([&](ui::ViewContext&) {
        return ui::hstack(ui::VerticalAlignment::firstTextBaseline, 8,
                          ui::nodes(ui::text(longName).lineLimit(2).accessibilityIdentifier("name"), ui::spacer(4),
                                    ui::text("3 desktops").font(ui::TextStyle::caption).fixedSize().accessibilityIdentifier("count")));
    });
    const Node& name = node("name");
    const Node& count = node("count");
    // The count keeps its whole width; the name wraps onto two lines and is cut short there.
    EXPECT_DOUBLE_EQ(count.frame().width(), width("3 desktops", ui::TextStyle::caption));
    EXPECT_DOUBLE_EQ(name.frame().width(), 300 - 8 - 4 - 8 - count.frame().width());
    EXPECT_DOUBLE_EQ(name.frame().height(), 2 * lineHeight(ui::TextStyle::body));
    EXPECT_EQ(name.as<ui::TextContent>()->lines, 2);
    EXPECT_TRUE(name.as<ui::TextContent>()->truncated);
    auto& metrics = ui::textMetrics();
    EXPECT_DOUBLE_EQ(name.frame().minY() + metrics.firstBaselineOffset(ui::fontFor(ui::TextStyle::body)),
                     count.frame().minY() + metrics.firstBaselineOffset(ui::fontFor(ui::TextStyle::caption)));
}

TEST_F(DeclarativeTest, GridColumnsFollowTheWidth) {
    std::vector<Node> cells;
    host([](ui::ViewContext&) {
        std::vector<Node> cells;
        for (int i = 0; i < 30; ++i) cells.push_back(ui::spacer().frame(20, 20).id(i));
        return ui::lazyVGrid(20, 20, 4, 4, ui::HorizontalAlignment::leading, std::move(cells))
            .accessibilityIdentifier("grid");
    });
    const Node& grid = node("grid");
    // (300 + 4) / (20 + 4): 12 columns, so 3 rows.
    EXPECT_EQ(grid.as<ui::GridContent>()->columns, 12);
    EXPECT_EQ(grid.frame().height(), 3 * 20 + 2 * 4);
    EXPECT_EQ(grid.children()[13].frame(), Rect(24, grid.frame().minY() + 24, 20, 20));
}

TEST_F(DeclarativeTest, StateFollowsIdentityAcrossRendersAndShowingsAndLeavesWithItsNode) {
    Published<Strings> titles{Strings{"a", "b"}};
    host(
        [&](ui::ViewContext&) {
            return ui::vstack(ui::HorizontalAlignment::leading, 4,
                              ui::nodes(ui::forEach(
                                  titles.get(), [](const std::string& t) { return t; },
                                  [](const std::string& t) { return ui::component(CounterButton{t}); })));
        },
        [&](ui::ViewHost& host) { host.watch(titles); });
    ASSERT_TRUE(h().click(node("counter.b")));
    ASSERT_TRUE(h().click(node("counter.b")));
    env.settle();
    EXPECT_EQ(h().texts(), (Strings{"a 0", "b 2"}));

    // Moved to the front, "b" keeps its count; ordered out and in again, too.
    titles.set({"b", "a"});
    env.settle();
    EXPECT_EQ(h().texts(), (Strings{"b 2", "a 0"}));
    panel->orderFrontRegardless();
    panel->orderOut();
    panel->orderFrontRegardless();
    env.settle();
    EXPECT_EQ(h().texts(), (Strings{"b 2", "a 0"}));

    // Gone and back: it starts again.
    titles.set({"a"});
    env.settle();
    titles.set({"a", "b"});
    env.settle();
    EXPECT_EQ(h().texts(), (Strings{"a 0", "b 0"}));

    // Two items with one key never share a count.
    titles.set({"a", "a"});
    env.settle();
    const Node& first = h().root()->children()[0].children()[0];
    ASSERT_TRUE(h().click(first));
    env.settle();
    EXPECT_EQ(h().texts(), (Strings{"a 1", "a 0"}));
}

TEST_F(DeclarativeTest, ChangeReactionsRunAfterARenderInTreeOrderOnlyForValuesThatChanged) {
    Published<int> outer{0}, inner{0};
    Strings ran;
    host(
        [&](ui::ViewContext&) {
            return ui::vstack(ui::HorizontalAlignment::center, 0,
                              ui::nodes(ui::text("x").onChange<int>(inner.get(), [&](const int& v) {
                                  ran.push_back("inner " + std::to_string(v));
                              })))
                .onChange<int>(outer.get(), [&](const int& v) { ran.push_back("outer " + std::to_string(v)); })
                .onChange<int>(outer.get() + inner.get(), [&](const int& v) { ran.push_back("sum " + std::to_string(v)); });
        },
        [&](ui::ViewHost& host) {
            host.watch(outer);
            host.watch(inner);
        });
    EXPECT_TRUE(ran.empty());  // the first values are no change
    inner.set(1);
    outer.set(1);
    EXPECT_TRUE(ran.empty());
    env.settle();
    EXPECT_EQ(ran, (Strings{"outer 1", "sum 2", "inner 1"}));
    ran.clear();
    // One going up and one down: the sum stays, so its reaction does not run.
    outer.set(2);
    inner.set(0);
    env.settle();
    EXPECT_EQ(ran, (Strings{"outer 2", "inner 0"}));
    ran.clear();
    // A change undone before the render is no change.
    outer.set(7);
    outer.set(2);
    env.settle();
    EXPECT_TRUE(ran.empty());
}

TEST_F(DeclarativeTest, FocusFollowsTheBoundValueAndAValueNoNodeCarriesGivesNone) {
    Published<std::optional<std::string>> focus;
    Published<Strings> items{Strings{"one", "two"}};
    host(
        [&](ui::ViewContext&) {
            std::vector<Node> rows;
            for (const auto& item : items.get())
                rows.push_back(ui::button(ui::text(item), [] {}).focused(focus, item).accessibilityIdentifier(item));
            return ui::vstack(ui::HorizontalAlignment::center, 0, std::move(rows));
        },
        [&](ui::ViewHost& host) {
            host.watch(focus);
            host.watch(items);
        });
    EXPECT_EQ(h().focusedNode(), nullptr);
    EXPECT_EQ(h().focusableNodes().size(), 2u);
    focus.set("two");
    env.settle();
    ASSERT_TRUE(h().focusedNode());
    EXPECT_EQ(h().focusedNode()->modifiers().accessibility().identifier, "two");

    // The platform moves focus, then drops it.
    h().moveFocus(node("one"));
    EXPECT_EQ(focus.get(), "one");
    h().dropFocus();
    EXPECT_EQ(focus.get(), std::nullopt);

    // A value no node carries, and a focused node that leaves: no focus.
    focus.set("three");
    env.settle();
    EXPECT_EQ(focus.get(), std::nullopt);
    focus.set("two");
    env.settle();
    items.set({"one"});
    env.settle();
    EXPECT_EQ(focus.get(), std::nullopt);
    // Also once no node is bound any more.
    focus.set("one");
    env.settle();
    items.set({});
    focus.set("one");
    env.settle();
    EXPECT_EQ(focus.get(), std::nullopt);
}

TEST_F(DeclarativeTest, AppearEachTimeTheWindowIsOrderedInAndForNodesThatJoinWhileShown) {
    Published<bool> extra{false};
    Strings events;
    host(
        [&](ui::ViewContext&) {
            std::vector<Node> rows;
            rows.push_back(ui::text("main").onAppear([&] { events.push_back("main in"); }).onDisappear([&] {
                events.push_back("main out");
            }));
            if (extra.get())
                rows.push_back(ui::text("extra").onAppear([&] { events.push_back("extra in"); }).onDisappear([&] {
                    events.push_back("extra out");
                }));
            return ui::vstack(ui::HorizontalAlignment::center, 0, std::move(rows));
        },
        [&](ui::ViewHost& host) { host.watch(extra); });
    extra.set(true);  // joins while the window is not shown: nothing
    env.settle();
    EXPECT_TRUE(events.empty());
    panel->orderFrontRegardless();
    panel->orderFrontRegardless();  // already shown
    EXPECT_EQ(events, (Strings{"main in", "extra in"}));
    events.clear();
    extra.set(false);
    env.settle();
    extra.set(true);
    env.settle();
    EXPECT_EQ(events, (Strings{"extra out", "extra in"}));
    events.clear();
    panel->orderOut();
    EXPECT_EQ(events, (Strings{"main out", "extra out"}));
}

TEST_F(DeclarativeTest, ClicksReachTheButtonUnderThePointThroughItsContentShapeUnlessDisabled) {
    Strings clicked;
    Published<bool> disabled{false};
    host(
        [&](ui::ViewContext&) {
            return ui::vstack(
                       ui::HorizontalAlignment::leading, 0,
                       ui::nodes(ui::button(ui::text("Text only").fillWidth(ui::Alignment::leading()),
                                            [&] { clicked.push_back("text only"); }, ui::ButtonStyle::plain)
                                     .accessibilityIdentifier("plain"),
                                 ui::button(ui::text("Whole row").fillWidth(ui::Alignment::leading()).contentShape(),
                                            [&] { clicked.push_back("whole row"); }, ui::ButtonStyle::plain)
                                     .accessibilityIdentifier("shaped")
                                     .disabled(disabled.get())))
                .frame(fill());
        },
        [&](ui::ViewHost& host) { host.watch(disabled); });
    const Rect plain = node("plain").frame();
    const Rect shaped = node("shaped").frame();
    EXPECT_EQ(h().click(Point{5, plain.midY()}), h().find("plain"));
    EXPECT_EQ(h().click(Point{290, plain.midY()}), nullptr);  // beyond the text
    EXPECT_TRUE(h().click(Point{290, shaped.midY()}));
    EXPECT_EQ(h().click(Point{150, 190}), nullptr);  // below both
    EXPECT_EQ(clicked, (Strings{"text only", "whole row"}));

    // Through the window: the panel's point, y up from its bottom left.
    panel->orderFrontRegardless();
    const auto click = env.session.windowSystem().click(Point{100 + 290, 100 + 200 - shaped.midY()});
    EXPECT_EQ(click.view, hosting.get());
    EXPECT_EQ(clicked.size(), 3u);

    disabled.set(true);
    env.settle();
    EXPECT_FALSE(h().click(node("shaped")));
    EXPECT_EQ(clicked.size(), 3u);
}

TEST_F(DeclarativeTest, HoverEntersBeforeItLeavesAndCoversNestedNodes) {
    Strings events;
    host([&](ui::ViewContext&) {
        auto row = [&](const std::string& name) {
            return ui::hstack(ui::VerticalAlignment::center, 0,
                              ui::nodes(ui::text(name + " icon").frame(40, 20).onHover([&, name](bool in) {
                                  events.push_back(name + " icon " + (in ? "in" : "out"));
                              }),
                                        ui::spacer()))
                .frame(300, 50)
                .onHover([&, name](bool in) { events.push_back(name + (in ? " in" : " out")); })
                .accessibilityIdentifier(name);
        };
        return ui::vstack(ui::HorizontalAlignment::leading, 0, ui::nodes(row("a"), row("b"))).frame(fill());
    });
    h().hover(Point{150, 25});
    h().hover(Point{10, 25});
    EXPECT_EQ(events, (Strings{"a in", "a icon in"}));
    events.clear();
    h().hover(Point{10, 75});
    EXPECT_EQ(events, (Strings{"b in", "b icon in", "a out", "a icon out"}));
    events.clear();
    h().unhover();
    EXPECT_EQ(events, (Strings{"b out", "b icon out"}));
    events.clear();
    // Ordered out, the pointer's place is forgotten without leave actions.
    panel->orderFrontRegardless();
    h().hover(node("a"));
    panel->orderOut();
    h().unhover();
    EXPECT_EQ(events, (Strings{"a in"}));
}

TEST_F(DeclarativeTest, KeysGoFromTheFocusedNodeOutwardUntilOneIsHandled) {
    Published<std::optional<int>> focus;
    Strings seen;
    auto handler = [&](const std::string& name, ui::KeyPressResult result) {
        return [&seen, name, result](const ui::KeyPress& press) {
            seen.push_back(name + " " + std::to_string(press.keyCode()));
            return result;
        };
    };
    host([&](ui::ViewContext&) {
        return ui::vstack(ui::HorizontalAlignment::center, 0,
                          ui::nodes(ui::button(ui::text("a"), [] {})
                                        .focused(focus, 1)
                                        .onKeyPress({keys::kReturn}, static_cast<ui::KeyPhases>(ui::KeyPhase::down),
                                                    handler("button", ui::KeyPressResult::ignored)),
                                    ui::button(ui::text("b"), [] {}).focused(focus, 2)))
            .onKeyPress({keys::kReturn, keys::kTab}, static_cast<ui::KeyPhases>(ui::KeyPhase::down),
                        handler("outer", ui::KeyPressResult::handled));
    });
    // Nothing focused: the view as a whole.
    EXPECT_TRUE(hosting->keyDown({keys::kTab, "\t", 0}));
    EXPECT_FALSE(hosting->keyDown({0, "a", 0}));
    focus.set(1);
    EXPECT_TRUE(hosting->keyDown({keys::kReturn, "\r", 0}));
    EXPECT_EQ(seen, (Strings{"outer 48", "button 36", "outer 36"}));
    // A key held down repeats; these handlers take the first press only.
    seen.clear();
    EXPECT_FALSE(hosting->keyDown({keys::kReturn, "\r", 0, true}));
    EXPECT_TRUE(seen.empty());
}

TEST_F(DeclarativeTest, ASignalReachesTheLatestActionWhileItsNodeStays) {
    Signal<int> signal;
    Published<int> generation{0};
    Published<bool> listening{true};
    Strings heard;
    host(
        [&](ui::ViewContext&) {
            if (!listening.get()) return ui::text("deaf");
            const int g = generation.get();
            return ui::text("ear").onReceive<int>(signal, [&heard, g](const int& v) {
                heard.push_back(std::to_string(g) + ":" + std::to_string(v));
            });
        },
        [&](ui::ViewHost& host) {
            host.watch(generation);
            host.watch(listening);
        });
    signal.emit(1);
    generation.set(5);
    env.settle();
    signal.emit(2);
    EXPECT_EQ(signal.observerCount(), 1u);
    listening.set(false);
    env.settle();
    signal.emit(3);
    EXPECT_EQ(heard, (Strings{"0:1", "5:2"}));
    EXPECT_EQ(signal.observerCount(), 0u);
}

TEST_F(DeclarativeTest, AWatchedChangeAnimatesOnTheLoopClockOrAtOnce) {
    Published<bool> on{false};
    Published<bool> animated{true};
    host(
        [&](ui::ViewContext&) {
            return ui::vstack(ui::HorizontalAlignment::center, 0,
                              ui::nodes(ui::text("inner").scaleEffect(on.get() ? 1.5 : 1).accessibilityIdentifier("inner")))
                .animation(animated.get() ? std::optional(ui::Animation::easeOut(0.12)) : std::nullopt, on.get());
        },
        [&](ui::ViewHost& host) {
            host.watch(on);
            host.watch(animated);
        });
    EXPECT_FALSE(h().animationInFlight(node("inner")));  // the first values do not animate
    on.set(true);
    env.settle();
    const auto running = h().animationInFlight(node("inner"));
    ASSERT_TRUE(running);
    EXPECT_EQ(running->animation, ui::Animation::easeOut(0.12));
    EXPECT_EQ(node("inner").modifiers().scale, 1.5);
    env.advance(0.11);
    EXPECT_TRUE(h().animationInFlight(node("inner")));
    env.advance(0.01);
    EXPECT_FALSE(h().animationInFlight(node("inner")));

    animated.set(false);
    env.settle();
    on.set(false);
    env.settle();
    EXPECT_FALSE(h().animationInFlight(node("inner")));
    EXPECT_EQ(node("inner").modifiers().scale, 1);
}

TEST_F(DeclarativeTest, BridgedViewsAreMadeOnceUpdatedEachRenderAndDismantledWhenTheyLeave) {
    auto counts = std::make_shared<Probe::Counts>();
    Published<bool> shown{true};
    Published<int> tick{0};
    host(
        [&](ui::ViewContext&) {
            std::vector<Node> rows;
            rows.push_back(ui::text(std::to_string(tick.get())));
            if (shown.get()) rows.push_back(ui::bridged(Probe{counts}).frame(150, 26).accessibilityIdentifier("probe"));
            return ui::vstack(ui::HorizontalAlignment::leading, 0, std::move(rows)).frame(fill());
        },
        [&](ui::ViewHost& host) {
            host.watch(shown);
            host.watch(tick);
        });
    auto view = h().bridgedView(node("probe"));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->superview(), hosting.get());
    // In the hosting view's coordinates, y up.
    const Rect frame = node("probe").frame();
    EXPECT_EQ(view->frame(), Rect(0, 200 - frame.maxY(), 150, 26));
    tick.set(1);
    env.settle();
    EXPECT_EQ(h().bridgedView(node("probe")), view);
    EXPECT_EQ(counts->made, 1);
    EXPECT_EQ(counts->updated, 2);
    shown.set(false);
    env.settle();
    EXPECT_EQ(counts->dismantled, 1);
    EXPECT_EQ(view->superview(), nullptr);
}

TEST_F(DeclarativeTest, AFormScrollsANodeToTheMiddleWithinItsContent) {
    Published<int> target{0};
    host(
        [&](ui::ViewContext& context) {
            std::vector<Node> rows;
            for (int i = 0; i < 40; ++i) rows.push_back(ui::text("Row " + std::to_string(i)).frame(100, 20).id(i));
            auto proxy = context.scrollProxy();
            return ui::scrollReader(ui::form(ui::nodes(ui::section(ui::text("Header"), std::move(rows))))
                                        .accessibilityIdentifier("form")
                                        .onChange<int>(target.get(), [proxy](const int& row) { proxy.scrollTo(row); }));
        },
        [&](ui::ViewHost& host) { host.watch(target); });
    const Node& form = node("form");
    EXPECT_EQ(form.frame(), Rect(0, 0, 300, 200));
    const auto* content = form.as<ui::FormContent>();
    EXPECT_GT(content->contentHeight, 40 * 20);
    const Node* row20 = h().findText("Row 20");
    EXPECT_TRUE(h().visibleFrame(*row20).size == (Size{}));  // below the fold
    EXPECT_FALSE(h().click(*row20));

    target.set(20);
    env.settle();
    ASSERT_TRUE(h().lastScrollTarget());
    EXPECT_EQ(h().lastScrollTarget()->id, ui::AnyValue(20));
    row20 = h().findText("Row 20");
    EXPECT_DOUBLE_EQ(row20->frame().midY(), 100);
    // Never beyond the ends.
    target.set(39);
    env.settle();
    content = node("form").as<ui::FormContent>();
    EXPECT_DOUBLE_EQ(h().scrollOffset(node("form")), content->contentHeight - 200);
    EXPECT_DOUBLE_EQ(h().findText("Row 39")->frame().maxY(), 200 - ui::FormContent::kInset - ui::FormContent::kBoxInsetY);
}

// A capsule behind padded text, as the app's prominent buttons are drawn.
struct CapsuleButtonStyle final : ui::CustomButtonStyle {
    static constexpr double kPaddingX = 14;
    static constexpr double kPaddingY = 6;
    static ui::Font font() {
        ui::Font f = ui::fontFor(ui::TextStyle::callout);
        f.weight = ui::font_weight::kSemibold;
        return f;
    }
    Node makeBody(ui::ButtonStyleConfiguration configuration) const override {
        return std::move(configuration.label)
            .font(ui::TextStyle::callout)
            .fontWeight(ui::font_weight::kSemibold)
            .padding(ui::EdgeInsets{kPaddingY, kPaddingX, kPaddingY, kPaddingX})
            .background(ui::shape(ui::ShapeKind::capsule, 0, ui::CornerCurve::continuous, ui::Color::label()))
            .contentShape();
    }
};

// In a form, each row takes the size its content asks for at the row's leading edge: texts and
// buttons their own, switches, fields and stacks with a spacer the row's width. A button's
// label and its capsule stay one line high even where the stack's sums round its width down.
TEST_F(DeclarativeTest, FormRowsTakeTheirContentsSizeAtTheLeadingEdgeAndFlexibleRowsFill) {
    static const auto capsule = std::make_shared<const CapsuleButtonStyle>();
    const auto prominent = [](const std::string& title) {
        return ui::button(ui::text(title), [] {}, capsule).accessibilityIdentifier(title);
    };
    Published<bool> on{false};
    Published<std::string> name{""};
    host([&](ui::ViewContext&) {
        return ui::form(ui::nodes(
            ui::section(ui::text("Header"),
                        ui::nodes(ui::toggle("Switch", Binding<bool>{[&] { return on.get(); }, [](const bool&) {}})
                                      .accessibilityIdentifier("switch"),
                                  ui::text("A caption").accessibilityIdentifier("caption"),
                                  ui::button(ui::text("Check again"), [] {}, ui::ButtonStyle::bordered)
                                      .accessibilityIdentifier("bordered"),
                                  prominent("Check for Updates\u2026"),
                                  ui::textField("Name", Binding<std::string>{[&] { return name.get(); }, [](const std::string&) {}})
                                      .accessibilityIdentifier("field"),
                                  ui::hstack(ui::VerticalAlignment::center, 12,
                                             ui::nodes(prominent("Reset appearance"), ui::spacer(), prominent("Preview")))
                                      .accessibilityIdentifier("actions"))),
            prominent("Outside"),
            ui::hstack(ui::VerticalAlignment::center, 12, ui::nodes(prominent("Reset"), ui::spacer(), prominent("Apply")))
                .accessibilityIdentifier("loose actions")));
    });
    using Form = ui::FormContent;
    const double rowX = Form::kInset + Form::kBoxInsetX;
    const double rowWidth = 300 - 2 * rowX;
    for (const char* filling : {"switch", "field", "actions"}) {
        EXPECT_DOUBLE_EQ(node(filling).frame().minX(), rowX) << filling;
        EXPECT_DOUBLE_EQ(node(filling).frame().width(), rowWidth) << filling;
    }
    EXPECT_EQ(node("caption").frame().origin.x, rowX);
    EXPECT_DOUBLE_EQ(node("caption").frame().width(), width("A caption"));

    const Node& bordered = node("bordered");
    const auto insets = bordered.as<ui::ButtonContent>()->bezelInsets(ui::ControlSize::regular);
    EXPECT_EQ(bordered.frame().minX(), rowX);
    EXPECT_DOUBLE_EQ(bordered.frame().width(), width("Check again") + insets.width());
    EXPECT_DOUBLE_EQ(bordered.frame().height(), lineHeight(ui::TextStyle::body) + insets.height());

    auto& metrics = ui::textMetrics();
    const double capsuleHeight = metrics.defaultLineHeight(CapsuleButtonStyle::font()) + 2 * CapsuleButtonStyle::kPaddingY;
    const auto expectCapsule = [&](const std::string& title, double x) {
        const Node& button = node(title);
        const Size wanted{metrics.lineWidth(title, CapsuleButtonStyle::font()) + 2 * CapsuleButtonStyle::kPaddingX,
                          capsuleHeight};
        EXPECT_DOUBLE_EQ(button.frame().minX(), x) << title;
        EXPECT_NEAR(button.frame().width(), wanted.width, 1e-9) << title;
        EXPECT_DOUBLE_EQ(button.frame().height(), wanted.height) << title;
        // The capsule is the body's background: as large as the padded label, no larger.
        const Node& body = button.children().front();
        ASSERT_EQ(body.modifiers().backgrounds.size(), 1u) << title;
        EXPECT_EQ(body.modifiers().backgrounds.front().frame(), button.frame()) << title;
        EXPECT_EQ(body.as<ui::TextContent>()->lines, 1) << title;
    };
    expectCapsule("Check for Updates\u2026", rowX);
    expectCapsule("Reset appearance", rowX);
    const Node& preview = node("Preview");
    expectCapsule("Preview", rowX + rowWidth - preview.frame().width());
    EXPECT_DOUBLE_EQ(preview.frame().midY(), node("actions").frame().midY());
    // Between the sections, a row is a box of its own, inset as a section's rows are: a button
    // keeps its own width there, and a stack with a spacer fills the box without passing it.
    expectCapsule("Outside", rowX);
    EXPECT_DOUBLE_EQ(node("loose actions").frame().minX(), rowX);
    EXPECT_DOUBLE_EQ(node("loose actions").frame().width(), rowWidth);
    expectCapsule("Reset", rowX);
    expectCapsule("Apply", rowX + rowWidth - node("Apply").frame().width());
    // Its box has the insets of a section's box above and below it.
    EXPECT_DOUBLE_EQ(node("Outside").frame().minY(),
                     node("actions").frame().maxY() + Form::kBoxInsetY + Form::kSectionSpacing + Form::kBoxInsetY);
    EXPECT_DOUBLE_EQ(node("loose actions").frame().minY(),
                     node("Outside").frame().maxY() + Form::kBoxInsetY + Form::kSectionSpacing + Form::kBoxInsetY);
}

// An inner view whose body fails after others were expanded.
struct Fragile {
    bool fails = false;
    Node body(ui::ViewContext&) const {
        if (fails) throw std::runtime_error("no body");
        return ui::text("fragile");
    }
};

TEST_F(DeclarativeTest, ABodyThatThrowsLeavesTheShownTreeAndTheHostAbleToRenderAgain) {
    auto counts = std::make_shared<Probe::Counts>();
    Published<int> phase{0};
    Strings events;
    host(
        [&](ui::ViewContext&) {
            std::vector<Node> rows;
            rows.push_back(ui::bridged(Probe{counts}).frame(10, 10).id(phase.get() == 1 ? 1 : 0));
            rows.push_back(ui::text("kept").onDisappear([&] { events.push_back("gone"); }).id(std::string("kept")));
            rows.push_back(ui::component(Fragile{phase.get() == 1}));
            return ui::vstack(ui::HorizontalAlignment::leading, 0, std::move(rows));
        },
        [&](ui::ViewHost& host) { host.watch(phase); });
    panel->orderFrontRegardless();
    phase.set(1);  // a new bridged view is made, then an inner body fails
    EXPECT_THROW(h().render(), std::runtime_error);
    EXPECT_EQ(h().texts(), (Strings{"kept", "fragile"}));
    EXPECT_EQ(hosting->subviews().size(), 1u);
    phase.set(2);
    env.settle();
    EXPECT_EQ(h().texts(), (Strings{"kept", "fragile"}));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(hosting->subviews().size(), 1u);
    panel->orderOut();
    EXPECT_EQ(events, Strings{"gone"});
}

}  // namespace
}  // namespace tarnwick
