#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/inventory_refresh_scheduler.h"
#include "applications/native_application_window_focus.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "model/diagnostic_files.h"
#include "overview/status_workstation_preview.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_item.h"
#include "support/executor.h"
#include "testkit/test_environment.h"
#include "testkit/trace_records.h"

namespace tarnwick::testkit {

// The Workstation Overview wired as the application delegate wires it: the status item in the
// menu bar with its menu (a "Workstation Overview" row that opens the overview, and a hidden
// "Testing" row that prepareMenu reveals), the presenter over the live desktop model, settings
// and navigation, and the global shortcut started and not suspended, toggling the overview at
// the pointer. The readers, loader, icons and refresh timer are the test's own.
struct OverviewWorld {
    static constexpr const char* kBuiltIn = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
    static constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";
    static constexpr const char* kFirstDesktop = "";                                        // space 1, no UUID
    static constexpr const char* kNotesDesktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";   // space 3, built-in
    static constexpr const char* kProjectsDesktop = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";  // space 5, built-in
    static constexpr const char* kStudioFirst = "1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101";     // space 4, current
    static constexpr const char* kMailDesktop = "2F3E4D5C-6B7A-4899-A8B7-C6D5E4F3A202";     // space 6, studio
    static constexpr const char* kStudioThird = "3A4F5E6D-7C8B-49AA-B9C8-D7E6F5A4B303";     // space 8, studio
    static constexpr std::int32_t kOwnPID = 4242;
    static constexpr std::int32_t kTerminal = 303;

    explicit OverviewWorld(std::string_view sessionJson = {}) : loaded(env, sessionJson) { wire(); }
    // App reads and trace writes wait until the test runs them with `held->runAll()`.
    struct HoldBackground {};
    explicit OverviewWorld(HoldBackground, std::string_view sessionJson = {})
        : loaded(env, sessionJson), held(std::make_shared<ManualExecutor>()) {
        heldFactory.emplace([this](const std::string&) { return held; });
        wire();
    }

    void wire() {
        item = std::make_unique<platform::ui::StatusItem>();
        menu = std::make_shared<platform::ui::Menu>();
        menu->addItem("Workstation Overview", [this] {
            if (preview) preview->showOverview();
        });
        menu->addItem("Testing").isHidden = true;
        preview = std::make_unique<StatusWorkstationPreview>(item->button(), menu, model, settings,
                                                             [this] { return presentable; }, services());
        preview->prepareMenu = [this](bool reveal) {
            prepared.push_back(reveal);
            menu->item("Testing")->isHidden = !reveal;
        };
        auto& shortcut = settings.overviewShortcut();
        shortcut.start([this] {
            if (preview) preview->toggleOverview(env.session.windowSystem().pointerLocation());
        });
        shortcut.setSuspended(false);
    }
    ~OverviewWorld() {
        settings.overviewShortcut().dispose();
        if (preview) preview->dispose();
    }

    StatusWorkstationPreviewServices services() {
        StatusWorkstationPreviewServices s;
        s.inventory.loader = &loader;
        s.inventory.icons = &icons;
        s.inventory.focus = ApplicationFocusServices{&reader, &native};
        s.scheduler = &scheduler;
        return s;
    }

    // ---- reading
    WorkstationPreviewPanel& panel() { return preview->panel(); }
    bool shown() { return panel().isVisible(); }
    platform::ui::ViewHost& host() { return preview->keyboardHost()->host(); }
    Rect anchor() { return *env.session.statusBar().buttonFrame(*item); }
    Point buttonCentre() { return env.session.statusBar().buttonCentre(*item); }
    Point panelCentre() { return Point{panel().frame().midX(), panel().frame().midY()}; }
    // The overview's node with the accessibility identifier, and the middle of what shows of it
    // on screen.
    const platform::ui::Node* node(const std::string& identifier) { return host().find(identifier); }
    Point onScreen(const platform::ui::Node& shown) {
        const Rect inTree = host().visibleFrame(shown);
        auto hosting = preview->keyboardHost();
        const Rect inView(inTree.midX(), hosting->bounds().height() - inTree.midY(), 0, 0);
        return panel().convertToScreen(hosting->convertToWindow(inView)).origin;
    }
    const platform::ui::Node* desktopRow(const std::string& desktopID) {
        return node(WorkstationPreviewView::desktopIdentifier(desktopID));
    }
    std::vector<TraceRecord> trace() {
        preview->diagnosticTrace().flush();
        return readTraceRecords(DiagnosticFiles::location(StatusWorkstationPreview::kTraceFileName));
    }
    std::vector<std::string> events() { return eventNames(trace()); }
    std::vector<TraceRecord> records(const std::string& event) { return recordsOf(trace(), event); }
    // The reasons of the "closed" records, in order.
    std::vector<std::string> closings() {
        std::vector<std::string> reasons;
        for (const auto& record : records("closed")) reasons.push_back(record.field("reason"));
        return reasons;
    }

    // ---- the user's side
    void moveTo(Point p) { env.session.windowSystem().movePointer(p); }
    void hoverButton() { moveTo(buttonCentre()); }
    // Somewhere on the built-in display, away from the button and the panel.
    void moveAway() { moveTo(Point{200, 300}); }
    void click(Point p, int count = 1) { env.session.windowSystem().click(p, std::nullopt, count); }
    void clickButton(int count = 1) { click(buttonCentre(), count); }
    void rightClickButton() { env.session.windowSystem().rightClick(buttonCentre()); }
    // The default shortcut, Control-Option-Command-W.
    void pressShortcut() {
        namespace flags = platform::modifier_flags;
        env.session.pressKeys(13, flags::kControl | flags::kOption | flags::kCommand);
        env.settle();
    }
    void press(std::uint16_t keyCode, platform::ModifierFlags modifiers = 0, std::string characters = {}) {
        env.session.pressKeys(keyCode, modifiers, std::move(characters));
        env.settle();
    }
    void settle() {
        env.settle();
        env.settle();
    }

    TestEnvironment env;
    struct Loaded {
        Loaded(TestEnvironment& env, std::string_view json) {
            if (json.empty())
                env.session.loadDefaultSession();
            else
                env.session.load(json);
        }
    } loaded;
    std::shared_ptr<ManualExecutor> held;
    std::optional<ExecutorFactoryScope> heldFactory;
    SpaceApplicationReader reader{held ? std::static_pointer_cast<SerialExecutor>(held)
                                       : std::static_pointer_cast<SerialExecutor>(std::make_shared<LoopExecutor>(env.loop))};
    NativeApplicationWindowFocus native;
    SpaceApplicationSnapshotLoader loader{systemUptime, nullptr, &reader};
    ApplicationIconCache icons{systemUptime, ApplicationIconCache::workspaceResolver};
    InventoryRefreshScheduler scheduler{InventoryRefreshScheduler::repeatingTimer};
    DesktopNamesModel model;
    SettingsModel settings;
    std::unique_ptr<platform::ui::StatusItem> item;
    std::shared_ptr<platform::ui::Menu> menu;
    bool presentable = true;
    std::vector<bool> prepared;
    std::unique_ptr<StatusWorkstationPreview> preview;
};

}  // namespace tarnwick::testkit
