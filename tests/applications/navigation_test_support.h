#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "applications/application_window_focus.h"
#include "applications/native_application_window_focus.h"
#include "applications/space_application_reader.h"
#include "model/desktop_monitor.h"
#include "model/desktop_names_model.h"
#include "support/executor.h"
#include "testkit/test_environment.h"

namespace tarnwick::navigation_testing {

inline ManagedDesktop desktop(std::string id, std::uint64_t spaceID, bool current = false) {
    ManagedDesktop d;
    d.id = std::move(id);
    d.spaceID = spaceID;
    d.isCurrent = current;
    return d;
}

inline DesktopMonitor monitor(std::string id, std::vector<ManagedDesktop> desktops, Rect bounds = Rect(0, 0, 1512, 982)) {
    DesktopMonitor m;
    m.id = std::move(id);
    m.name = "Display";
    m.bounds = bounds;
    m.desktops = std::move(desktops);
    return m;
}

// Ids of the default session (sessions/default.json).
inline constexpr const char* kBuiltIn = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
inline constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";
inline constexpr const char* kNotesDesktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";   // space 3, built-in
inline constexpr const char* kProjectsDesktop = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";  // space 5, built-in
inline constexpr const char* kStudioFirst = "1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101";     // space 4, current
inline constexpr const char* kMailDesktop = "2F3E4D5C-6B7A-4899-A8B7-C6D5E4F3A202";     // space 6, studio
inline constexpr const char* kStudioThird = "3A4F5E6D-7C8B-49AA-B9C8-D7E6F5A4B303";     // space 8, studio

// The default session with the live catalog the application would use, and readers of the
// test's own.
struct NavigationFixture {
    testkit::TestEnvironment env;
    std::unique_ptr<DesktopNamesModel> model;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    std::unique_ptr<NativeApplicationWindowFocus> native;

    NavigationFixture() {
        env.session.loadDefaultSession();
        model = std::make_unique<DesktopNamesModel>();
        native = std::make_unique<NativeApplicationWindowFocus>();
    }

    DesktopCatalogFunction catalog() {
        return [this] {
            model->refresh(true);
            return model->monitors.get();
        };
    }
    ApplicationFocusServices services() { return {&reader, native.get()}; }

    std::uint64_t currentSpace(std::uint32_t displayID) { return env.session.display(displayID)->currentSpace; }
};

}  // namespace tarnwick::navigation_testing
