#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/software_updates.h"
#include "app/tarnwick_settings_view.h"
#include "model/desktop_names_model.h"
#include "model/settings_model.h"
#include "testkit/hosted_view.h"
#include "testkit/test_environment.h"

namespace tarnwick::testkit {

// The settings view over the three shared models in a shown 760 x 560 window of the default
// session, as the settings window hosts it; the tests act on its tree as the user does.
class SettingsViewFixture : public ::testing::Test {
protected:
    using Node = platform::ui::Node;

    SettingsViewFixture() {
        env.session.loadDefaultSession();
        names = std::make_unique<DesktopNamesModel>();
        settings = std::make_unique<SettingsModel>();
        updates = std::make_unique<SoftwareUpdates>();
        settings->changed = [this](const AppPreferences& old, const AppPreferences& updated) {
            changes.emplace_back(old, updated);
        };
    }

    void open(double width = 760, double height = 560) {
        auto owned = std::make_unique<TarnwickSettingsView>(*settings, *names, *updates);
        view = owned.get();
        hosted = std::make_unique<HostedView>(std::move(owned), Rect(100, 100, width, height));
        hosted->show();
        env.settle();
    }
    void showPage(SettingsTab tab) {
        settings->tab.set(tab);
        env.settle();
    }

    platform::ui::ViewHost& host() { return hosted->host(); }
    const Node& node(const std::string& identifier) { return hosted->node(identifier); }
    bool has(const std::string& identifier) {
        hosted->renderNow();
        return host().find(identifier) != nullptr;
    }
    // The first node that shows exactly this text, if any.
    const Node* text(const std::string& shown) { return hosted->text(shown); }
    // The control whose label (or title) shows this text: the text's nearest control ancestor
    // of the kind.
    template <typename Content>
    const Node* control(const std::string& shown) {
        for (const Node* n = text(shown); n; n = n->parent())
            if (n->as<Content>()) return n;
        return nullptr;
    }
    // The control of the kind with this accessibility label.
    template <typename Content>
    const Node* labelled(const std::string& accessibilityLabel) {
        hosted->renderNow();
        return find(host().root(), [&](const Node& n) {
            const auto& label = n.modifiers().accessibility().label;
            return n.as<Content>() && label && *label == accessibilityLabel;
        });
    }
    // Clicks the button that shows this text; false when there is none or it cannot be clicked.
    bool clickText(const std::string& shown) {
        const Node* n = text(shown);
        return n && host().scrollIntoView(*n) && host().click(*n);
    }
    bool toggleText(const std::string& shown) {
        const Node* n = control<platform::ui::ToggleContent>(shown);
        return n && host().toggle(*n);
    }
    // The enclosing button of a text, for reading whether it is enabled.
    const Node* buttonShowing(const std::string& shown) {
        for (const Node* n = text(shown); n; n = n->parent())
            if (n->content()->asButton()) return n;
        return nullptr;
    }
    template <typename Match>
    static const Node* find(const Node* from, const Match& match) {
        if (!from) return nullptr;
        if (match(*from)) return from;
        for (const auto& child : from->children())
            if (const Node* found = find(&child, match)) return found;
        return nullptr;
    }

    TestEnvironment env;
    std::unique_ptr<DesktopNamesModel> names;
    std::unique_ptr<SettingsModel> settings;
    std::unique_ptr<SoftwareUpdates> updates;
    std::vector<std::pair<AppPreferences, AppPreferences>> changes;
    TarnwickSettingsView* view = nullptr;
    std::unique_ptr<HostedView> hosted;
};

}  // namespace tarnwick::testkit
