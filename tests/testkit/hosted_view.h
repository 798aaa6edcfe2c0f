#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/panel.h"

namespace tarnwick::testkit {

// A declarative view hosted in a panel of the simulated window system, as a window hosts one:
// tests give the root view (or a body function), show it and act on the tree as the user would.
class HostedView {
public:
    // A root view whose body is a function, watching what the function asks.
    class FunctionView final : public platform::ui::DeclarativeView {
    public:
        std::function<platform::ui::Node(platform::ui::ViewContext&)> makeBody;
        std::function<void(platform::ui::ViewHost&)> watch;
        int bodies = 0;
        platform::ui::Node body(platform::ui::ViewContext& context) override {
            ++bodies;
            return makeBody(context);
        }
        void observe(platform::ui::ViewHost& host) override {
            if (watch) watch(host);
        }
    };

    // The view laid out in a titled panel of the given frame (screen coordinates), not yet shown.
    HostedView(std::unique_ptr<platform::ui::DeclarativeView> view, Rect frame)
        : panel(std::make_unique<platform::ui::Panel>(frame, platform::ui::style_mask::kTitled)) {
        root = view.get();
        hosting = std::make_shared<platform::ui::HostingView>(std::move(view));
        panel->setContentView(hosting);
        hosting->layoutSubtreeIfNeeded();
    }

    static HostedView function(std::function<platform::ui::Node(platform::ui::ViewContext&)> body,
                               std::function<void(platform::ui::ViewHost&)> watch = nullptr,
                               Rect frame = Rect(100, 100, 400, 300)) {
        auto view = std::make_unique<FunctionView>();
        view->makeBody = std::move(body);
        view->watch = std::move(watch);
        return HostedView(std::move(view), frame);
    }

    platform::ui::ViewHost& host() { return hosting->host(); }
    // Brings the panel up as key window (its appear actions run).
    void show() { panel->makeKeyAndOrderFront(); }
    // The window is resized; the hosting view lays out (and renders when the body read the size).
    void resize(double width, double height) {
        const Rect f = panel->frame();
        panel->setFrame(Rect(f.minX(), f.minY(), width, height), false);
        hosting->layoutSubtreeIfNeeded();
    }
    // Renders whatever is pending now, as the next turn of the loop would.
    void renderNow() { host().renderIfNeeded(); }
    const platform::ui::Node& node(const std::string& identifier) {
        renderNow();
        const platform::ui::Node* found = host().find(identifier);
        if (!found) {
            ADD_FAILURE() << "no node with identifier " << identifier;
            static const platform::ui::Node none;
            return none;
        }
        return *found;
    }
    const platform::ui::Node* text(const std::string& shown) {
        renderNow();
        return host().findText(shown);
    }
    // The identifier of the node that has the keyboard: "none" when none has it.
    std::string keyFocus() {
        const platform::ui::Node* n = host().keyFocusNode();
        return n ? n->modifiers().accessibility().identifier.value_or("?") : "none";
    }
    // Clicks a button (scrolled into view first); false when nothing of it can be clicked.
    bool click(const std::string& identifier) {
        const auto& n = node(identifier);
        return host().scrollIntoView(n) && host().click(n);
    }

    platform::ui::DeclarativeView* root = nullptr;
    std::unique_ptr<platform::ui::Panel> panel;
    std::shared_ptr<platform::ui::HostingView> hosting;
};

}  // namespace tarnwick::testkit
