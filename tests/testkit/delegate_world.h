#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_delegate.h"
#include "overlays/label_presentation.h"
#include "platform/ui/declarative/hosting_view.h"
#include "model/diagnostic_files.h"
#include "support/json.h"
#include "testkit/test_environment.h"

namespace tarnwick::testkit {

// The application delegate in a simulated session, launched as the program launches it, with
// windows that record how they were opened.
struct DelegateWorld {
    // The default session: display 1 ("Built-in Retina Display", desktops 1, 3, 5) and display 2
    // ("Studio Display", desktops 4, 6, 8), Mission Control closed.
    static constexpr const char* kDisplay1 = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
    static constexpr const char* kDisplay2 = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";
    static constexpr const char* kDesktop1 = "00000000-0000-0000-0000-000000000001";
    static constexpr const char* kDesktop3 = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
    static constexpr const char* kDesktop4 = "1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101";

    struct Opening {
        std::optional<SettingsTab> tab;  // the names window: always nothing
        std::optional<std::uint32_t> display;
        friend bool operator==(const Opening&, const Opening&) = default;
    };
    struct Windows {
        std::vector<Opening> settings;
        std::vector<Opening> names;
        int settingsMade = 0;
        int namesMade = 0;
        platform::ui::Panel* settingsPanel = nullptr;
        platform::ui::Panel* namesPanel = nullptr;
    };
    struct SettingsWindow final : SettingsWindowHandle {
        explicit SettingsWindow(std::shared_ptr<Windows> log) : log(std::move(log)) {}
        void open(std::optional<SettingsTab> tab, std::optional<std::uint32_t> display) override {
            log->settings.push_back({tab, display});
        }
        platform::ui::Panel* window() override { return log->settingsPanel; }
        std::shared_ptr<Windows> log;
    };
    struct NamesWindow final : NamesWindowHandle {
        explicit NamesWindow(std::shared_ptr<Windows> log) : log(std::move(log)) {}
        void open(std::optional<std::uint32_t> display) override { log->names.push_back({std::nullopt, display}); }
        platform::ui::Panel* window() override { return log->namesPanel; }
        std::shared_ptr<Windows> log;
    };

    using Names = std::map<std::string, std::string>;

    explicit DelegateWorld(Names names = {}, std::string_view sessionJson = {}) : prepared(env, names, sessionJson) {}
    // With the program's own windows instead of recording ones.
    struct RealWindows {};
    DelegateWorld(RealWindows, Names names = {}) : prepared(env, names, {}), realWindows(true) {}

    AppDelegateWindows windows() {
        AppDelegateWindows w;
        if (realWindows) return w;
        auto log = opened;
        w.makeSettingsWindow = [log](std::shared_ptr<SettingsModel>, std::shared_ptr<DesktopNamesModel>,
                                     SoftwareUpdates&) {
            ++log->settingsMade;
            return std::make_unique<SettingsWindow>(log);
        };
        w.makeNamesWindow = [log](std::shared_ptr<DesktopNamesModel>, std::shared_ptr<SettingsModel>) {
            ++log->namesMade;
            return std::make_unique<NamesWindow>(log);
        };
        return w;
    }

    // Makes the delegate, hands it to the application object and finishes launching, as the
    // program does.
    AppDelegate& launch() {
        make();
        auto& application = *platform::current().application;
        application.setDelegate(delegate);
        application.finishLaunching();
        env.settle();
        return *delegate;
    }
    // A later launch in the same home (the application object launches only once per session).
    AppDelegate& launchAgain() {
        make();
        platform::current().application->setDelegate(delegate);
        delegate->applicationWillFinishLaunching();
        delegate->applicationDidFinishLaunching();
        env.settle();
        return *delegate;
    }
    AppDelegate& make() {
        delegate = std::make_shared<AppDelegate>(windows());
        return *delegate;
    }
    ~DelegateWorld() {
        if (delegate) delegate->settings().overviewShortcut().dispose();
    }

    // ---- reading
    std::filesystem::path snapshotFile() const { return DiagnosticFiles::location(AppDelegate::kPermissionSnapshotFile); }
    // The permission snapshot as written now (its writer runs on the test's loop).
    Dictionary snapshot() {
        env.settle();
        std::ifstream in(snapshotFile());
        if (!in) return {};
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        auto value = json::parse(text);
        if (!value || !value->asDictionary()) return {};
        return *value->asDictionary();
    }
    std::string snapshotEvent() {
        const auto fields = snapshot();
        const auto it = fields.find("event");
        return it != fields.end() && it->second.asString() ? *it->second.asString() : std::string();
    }

    // The desktop's name label while it is on screen.
    platform::ui::Panel* shownLabel(const std::string& desktopID) {
        const auto& presentations = delegate->prototype().presentations();
        auto it = presentations.find(desktopID);
        if (it == presentations.end() || !it->second->panel().isVisible()) return nullptr;
        return &it->second->panel();
    }
    std::size_t shownLabelCount() {
        std::size_t count = 0;
        for (const auto& [id, presentation] : delegate->prototype().presentations())
            if (presentation->panel().isVisible()) ++count;
        return count;
    }
    Point labelCentre(const std::string& desktopID) {
        const Rect& frame = shownLabel(desktopID)->frame();
        return Point{frame.midX(), frame.midY()};
    }
    // Runs time forward in small steps until the condition holds (at most `limit` seconds);
    // returns the time it took.
    template <typename Condition>
    double runUntil(Condition condition, double limit = 2.0, double step = 0.01) {
        double elapsed = 0;
        while (!condition() && elapsed < limit) {
            env.advance(step);
            elapsed += step;
        }
        return elapsed;
    }
    // The names file's entries.
    std::map<std::string, std::string> namesFile() {
        std::map<std::string, std::string> names;
        std::ifstream in(namesFilePath());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        auto parsed = json::parse(text);
        if (!parsed || !parsed->find("names") || !parsed->find("names")->asDictionary()) return names;
        for (const auto& [id, name] : *parsed->find("names")->asDictionary())
            if (name.asString()) names[id] = *name.asString();
        return names;
    }
    std::filesystem::path namesFilePath() const {
        return env.home.path() / "Library/Application Support/Tarnwick/names.json";
    }

    // The declarative host inside one of our windows.
    static platform::ui::ViewHost* hostIn(platform::ui::View& view) {
        if (auto* hosting = dynamic_cast<platform::ui::HostingView*>(&view)) return &hosting->host();
        for (const auto& subview : view.subviews())
            if (auto* found = hostIn(*subview)) return found;
        return nullptr;
    }
    // Clicks the button showing the text in the window; false when it shows no such button.
    static bool clickText(platform::ui::Panel* window, const std::string& shown) {
        auto* host = window && window->contentView() ? hostIn(*window->contentView()) : nullptr;
        if (!host) return false;
        host->renderIfNeeded();
        const auto* node = host->findText(shown);
        return node && host->scrollIntoView(*node) && host->click(*node);
    }

    std::string statusLine() const { return delegate->runStatus() ? delegate->runStatus()->title : std::string(); }

    void settle() {
        env.settle();
        env.settle();
    }

    TestEnvironment env;
    struct Prepared {
        Prepared(TestEnvironment& env, const Names& names, std::string_view json) {
            if (json.empty())
                env.session.loadDefaultSession();
            else
                env.session.load(json);
            if (names.empty()) return;
            Dictionary entries;
            for (const auto& [id, name] : names) entries[id] = name;
            const auto folder = env.home.path() / "Library/Application Support/Tarnwick";
            std::filesystem::create_directories(folder);
            std::ofstream(folder / "names.json")
                << *json::write(Value(Dictionary{{"version", 1}, {"names", Value(std::move(entries))}}));
        }
    } prepared;
    bool realWindows = false;
    std::shared_ptr<Windows> opened = std::make_shared<Windows>();
    std::shared_ptr<AppDelegate> delegate;
};

}  // namespace tarnwick::testkit
