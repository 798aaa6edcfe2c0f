#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/application_shell_services.h"
#include "applications/application_icon_cache.h"
#include "model/desktop_names_model.h"
#include "model/diagnostic_files.h"
#include "model/mission_control_geometry_reader.h"
#include "overlays/label_prototype.h"
#include "overlays/label_recognition_worker.h"
#include "overlays/rename_alert_placement.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/sim_accessibility.h"
#include "platform/sim/sim_window_server.h"
#include "platform/sim/ui/sim_window_system.h"
#include "support/json.h"
#include "testkit/test_environment.h"
#include "testkit/trace_records.h"

namespace tarnwick::testkit {

// A session with the real names model and a label controller fed by the shell's closures over
// it, with this test's geometry reader, recognition worker and icon cache (all on the test's
// loop), its hook calls recorded and its trace read back.
struct LabelWorld {
    // The default session: display 1 ("Built-in Retina Display", Desktops 1 to 3) and display 2
    // ("Studio Display", Desktops 4 to 6 and a full-screen Safari), Mission Control closed.
    static constexpr const char* kDisplay1 = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
    static constexpr const char* kDisplay2 = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";
    static constexpr const char* kDesktop1 = "00000000-0000-0000-0000-000000000001";  // space 1
    static constexpr const char* kDesktop2 = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";  // space 3
    static constexpr const char* kDesktop3 = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";  // space 5
    static constexpr const char* kDesktop4 = "1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101";  // space 4
    static constexpr const char* kDesktop5 = "2F3E4D5C-6B7A-4899-A8B7-C6D5E4F3A202";  // space 6
    static constexpr const char* kDesktop6 = "3A4F5E6D-7C8B-49AA-B9C8-D7E6F5A4B303";  // space 8

    using Names = std::map<std::string, std::string>;  // desktop UUID to saved name

    // The saved names are written to the names file before the model reads it.
    explicit LabelWorld(Names names = {}, std::string_view sessionJson = {})
        : prepared(env, std::move(names), sessionJson) {
        controller.report = [this](const std::string& text) { reports.push_back(text); };
        controller.visibilityChanged = [this](bool visible) { visibility.push_back(visible); };
        controller.applicationsChanged = [this](const std::vector<MissionControlApplicationSlot>& slots) {
            slotLists.push_back(slots);
        };
    }

    // ---- the trace
    std::vector<TraceRecord> trace() {
        controller.diagnosticTrace().flush();
        return readTraceRecords(DiagnosticFiles::location(LabelPrototype::traceFileName));
    }
    std::vector<std::string> events() { return eventNames(trace()); }
    std::vector<TraceRecord> records(const std::string& event) { return recordsOf(trace(), event); }

    // ---- the labels
    // The desktop's label panel while it is on screen.
    platform::ui::Panel* shownLabel(const std::string& desktopID) const {
        auto it = controller.presentations().find(desktopID);
        if (it == controller.presentations().end() || !it->second->panel().isVisible()) return nullptr;
        return &it->second->panel();
    }
    // The desktops whose labels are on screen, in desktop id order.
    std::vector<std::string> shownLabels() const {
        std::vector<std::string> ids;
        for (const auto& [id, presentation] : controller.presentations())
            if (presentation->panel().isVisible()) ids.push_back(id);
        return ids;
    }
    // Where the session draws a caption (Mission Control's frames: y down).
    std::optional<Rect> caption(const std::string& title) {
        for (const auto& bar : sim::MissionControlLayout::bars(env.session, env.clock.uptime()))
            for (const auto& button : bar.buttons)
                if (button.title == title) return button.caption;
        return std::nullopt;
    }
    // A point in Mission Control's frames in screen coordinates (y up from the primary's bottom).
    Point onScreen(Point p) const {
        const auto& primary = env.session.displays.front().bounds;
        return Point{p.x, primary.height() - p.y};
    }
    Point labelCentre(const std::string& desktopID) const {
        const Rect& frame = shownLabel(desktopID)->frame();
        return Point{frame.midX(), frame.midY()};
    }

    // ---- what ran
    int geometryReads() { return env.session.accessibility().applicationElements[*env.session.windowManagerPID()]; }
    int windowLists() const { return env.session.windowServer().windowListCopies; }
    std::size_t captures() const { return env.session.capture.captures.size(); }

    // Runs time forward in poll-sized steps until the condition holds (at most `limit` seconds);
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

    // ---- the owner's rename prompt, as the application shell shows it
    // Refreshes the catalog, finds the desktop, shows an alert with a field holding its saved name
    // on the desktop's display until the name is saved or the user cancels; true when saved.
    bool promptRename(const std::string& desktopID) {
        DesktopNamesModel& model = shell->model;
        auto find = [&]() -> std::pair<const DesktopMonitor*, const ManagedDesktop*> {
            for (const auto& monitor : model.monitors.get())
                for (const auto& desktop : monitor.desktops)
                    if (desktop.id == desktopID) return {&monitor, &desktop};
            return {nullptr, nullptr};
        };
        model.refresh(true);
        auto [monitor, desktop] = find();
        if (!desktop) return false;
        const std::string firstDisplay = monitor->id;
        platform::Alert alert;
        alert.messageText = "Rename " + desktop->nativeTitle;
        alert.informativeText = monitor->name + "\nLeave the name blank to use its default.";
        const auto names = model.store().names();
        const auto saved = names.find(desktopID);
        alert.textField = platform::AlertTextField{saved != names.end() ? saved->second : "", desktop->nativeTitle,
                                                   "Desktop name", Rect(0, 0, 280, 24), true};
        alert.buttons = {{"Save", "\r"}, {"Cancel", "\x1b"}};
        for (;;) {
            model.refresh(true);
            auto [now, unused] = find();
            const auto response = RenameAlertPlacement::run(alert, now ? now->id : firstDisplay);
            if (!response || *response != platform::kAlertFirstButtonReturn) return false;
            model.refresh(true);
            if (model.rename(alert.textField->stringValue, desktopID)) return true;
            alert.informativeText = model.errorMessage.get().value_or("This name could not be saved. Try again or Cancel.");
        }
    }

    TestEnvironment env;
    struct Prepared {
        Prepared(TestEnvironment& env, std::map<std::string, std::string> names, std::string_view json) {
            if (json.empty())
                env.session.loadDefaultSession();
            else
                env.session.load(json);
            if (names.empty()) return;
            Dictionary entries;
            for (auto& [id, name] : names) entries[id] = name;
            const auto folder = env.home.path() / "Library/Application Support/Tarnwick";
            std::filesystem::create_directories(folder);
            std::ofstream(folder / "names.json")
                << *json::write(Value(Dictionary{{"version", 1}, {"names", Value(std::move(entries))}}));
        }
    } prepared;
    MissionControlGeometryReader reader;
    LabelRecognitionWorker worker{std::make_shared<LoopExecutor>(env.loop)};
    ApplicationIconCache icons{systemUptime, ApplicationIconCache::workspaceResolver};
    // The application delegate's part: the names model, and the app-icon panels made on first use
    // with this test's icon cache.
    struct Shell final : app::ApplicationShellServiceOwner {
        explicit Shell(ApplicationIconCache& cache) : icons(&cache) {}
        DesktopNamesModel model;
        ApplicationIconCache* icons;
        std::unique_ptr<MissionControlApplicationPanels> panels;
        DesktopNamesModel& namesModel() override { return model; }
        MissionControlApplicationPanels& missionControlApplicationPanels() override {
            if (!panels)
                panels = std::make_unique<MissionControlApplicationPanels>(
                    nullptr, [cache = icons] { return std::make_unique<MissionControlApplicationPanel>(cache); });
            return *panels;
        }
    };
    std::shared_ptr<Shell> shell = std::make_shared<Shell>(icons);
    app::ApplicationShellServices services = app::ApplicationShellServices::make(shell);
    LabelPrototype controller{services.configurationProvider, LabelPrototypeServices{&reader, {&worker}, &icons}};

    std::vector<std::string> reports;
    std::vector<bool> visibility;
    std::vector<std::vector<MissionControlApplicationSlot>> slotLists;
};

}  // namespace tarnwick::testkit
