#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "banner/space_banner_controller.h"
#include "model/desktop_names_model.h"
#include "model/diagnostic_files.h"
#include "model/settings_model.h"
#include "testkit/test_environment.h"
#include "testkit/trace_records.h"

namespace tarnwick::testkit {

// A session with the real desktop model, settings and banner controller over it, the app
// loader and icon cache of this test (never the program's shared ones), and the trace read back.
struct BannerWorld {
    // Default session: display 1 ("Built-in", desktops 1, 3, 5) and display 2 ("Studio", desktops
    // 4, 6, 8 and a full-screen space), Mission Control closed.
    static constexpr const char* kDisplay1 = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
    static constexpr const char* kDisplay2 = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";
    static constexpr const char* kDesktop4 = "1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101";
    static constexpr const char* kDesktop6 = "2F3E4D5C-6B7A-4899-A8B7-C6D5E4F3A202";
    static constexpr const char* kDesktop8 = "3A4F5E6D-7C8B-49AA-B9C8-D7E6F5A4B303";
    static constexpr const char* kDesktop3 = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";

    explicit BannerWorld(std::string_view sessionJson = {}) : loaded(env, sessionJson) {}
    // App reads wait until the test runs them with `heldReads->runAll()`.
    struct HoldReads {};
    explicit BannerWorld(HoldReads, std::string_view sessionJson = {})
        : loaded(env, sessionJson), heldReads(std::make_shared<ManualExecutor>()), reader(heldReads) {}

    std::vector<TraceRecord> trace() {
        controller.diagnosticTrace().flush();
        return readTraceRecords(DiagnosticFiles::location(SpaceBannerController::traceFileName));
    }
    std::vector<std::string> events() { return eventNames(trace()); }
    // The records of one event.
    std::vector<TraceRecord> records(const std::string& event) { return recordsOf(trace(), event); }

    TestEnvironment env;
    struct Loaded {
        Loaded(TestEnvironment& env, std::string_view json) {
            if (json.empty())
                env.session.loadDefaultSession();
            else
                env.session.load(json);
        }
    } loaded;
    std::shared_ptr<ManualExecutor> heldReads;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    SpaceApplicationSnapshotLoader loader{systemUptime, nullptr, &reader};
    ApplicationIconCache icons{systemUptime, ApplicationIconCache::workspaceResolver};
    DesktopNamesModel model;
    SettingsModel settings;
    SpaceBannerController controller{model, settings, SpaceBannerServices{&loader, &icons}};
};

}  // namespace tarnwick::testkit
