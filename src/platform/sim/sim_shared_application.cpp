#include "platform/sim/sim_shared_application.h"

#include "platform/sim/sim_application_identity.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_standard_panel.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/screens.h"
#include "platform/ui/status_item.h"
#include "platform/ui/panel.h"

namespace tarnwick::sim {

namespace fs = std::filesystem;
namespace ui = platform::ui;

SimSharedApplication::~SimSharedApplication() = default;

void SimSharedApplication::finishLaunching() {
    {
        auto guard = session_.lock();
        auto& state = session_.applicationState;
        if (state.launched || state.terminated) return;
        state.launched = true;
    }
    // The delegate is asked afresh each time: it may let go of itself while launching.
    if (auto delegate = delegate_.lock()) delegate->applicationWillFinishLaunching();
    if (isTerminated()) return;
    if (auto delegate = delegate_.lock()) delegate->applicationDidFinishLaunching();
}

bool SimSharedApplication::isLaunched() {
    auto guard = session_.lock();
    return session_.applicationState.launched;
}

void SimSharedApplication::run() {
    if (isTerminated()) return;
    session_.loop().post([this] { finishLaunching(); });
    session_.loop().run();
}

void SimSharedApplication::setActivationPolicy(platform::ActivationPolicy policy) {
    auto guard = session_.lock();
    session_.applicationState.activationPolicy = policy;
}

platform::ActivationPolicy SimSharedApplication::activationPolicy() {
    auto guard = session_.lock();
    return session_.applicationState.activationPolicy.value_or(platform::ActivationPolicy::accessory);
}

void SimSharedApplication::activate(bool) {
    auto guard = session_.lock();
    ++session_.applicationState.activations;
    session_.activateApplication(session_.system().processID);
}

bool SimSharedApplication::isActive() { return session_.ownApplicationActive(); }

std::vector<ui::Panel*> SimSharedApplication::windows() { return session_.windowSystem().panels(); }

void SimSharedApplication::orderFrontStandardAboutPanel() {
    {
        auto guard = session_.lock();
        ++session_.applicationState.aboutPanelRequests;
        if (!session_.applicationState.aboutPanelShowsWindow) return;
    }
    const bool firstShow = !aboutPanel_;
    if (firstShow) aboutPanel_ = StandardPanel::make(std::string("About ") + kApplicationName);
    // The manifest is read at each showing, as the system reads the bundle's information; a panel
    // still on screen is only brought forward.
    if (firstShow || !aboutPanel_->isVisible()) {
        const auto identity = SimApplicationIdentity::of(session_);
        std::vector<StandardPanelLine> lines{{identity.name, ui::Font::system(14, ui::font_weight::kBold)}};
        if (auto version = identity.versionLine())
            lines.push_back({*version, ui::Font::system(11), ui::Color::secondaryLabel()});
        if (identity.copyright)
            lines.push_back({*identity.copyright, ui::Font::system(10), ui::Color::secondaryLabel()});
        StandardPanel::fill(*aboutPanel_, identity.icon(session_), lines);
    }
    // The system centres it on the main screen the first time; the user may move it later.
    StandardPanel::show(*aboutPanel_, firstShow);
}

void SimSharedApplication::terminate() {
    {
        auto guard = session_.lock();
        auto& state = session_.applicationState;
        ++state.terminations;
        state.terminated = true;
    }
    // Set before the delegate hears it: a terminate from inside will-terminate only stops the loop.
    if (!terminating_) {
        terminating_ = true;
        if (auto delegate = delegate_.lock()) delegate->applicationWillTerminate();
    }
    session_.loop().stop();
}

bool SimSharedApplication::isTerminated() {
    auto guard = session_.lock();
    return session_.applicationState.terminated;
}

bool SimSharedApplication::hasVisibleWindows() {
    for (const ui::Panel* panel : windows())
        if (panel->isVisible() && panel->level() != ui::window_level::kStatus) return true;
    return false;
}

std::optional<bool> SimSharedApplication::reopen() {
    if (!isLaunched() || isTerminated()) return std::nullopt;
    // The system brings the app to the front; that is not the program's own activation.
    session_.activateApplication(session_.system().processID);
    const bool visible = hasVisibleWindows();
    std::optional<bool> answer;
    if (auto delegate = delegate_.lock()) answer = delegate->applicationShouldHandleReopen(visible);
    auto guard = session_.lock();
    session_.applicationState.reopens.push_back({visible, answer});
    return answer;
}

fs::path SimMainBundle::bundleURL() {
    if (session_.fileSystem.mainBundle) return *session_.fileSystem.mainBundle;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::current_path(error);
    const fs::path macOS = executable.parent_path();
    const fs::path contents = macOS.parent_path();
    if (macOS.filename() == "MacOS" && contents.filename() == "Contents" &&
        contents.parent_path().extension() == ".app")
        return contents.parent_path();
    return macOS;
}

}  // namespace tarnwick::sim
