// Every control that `screen` names is reachable through the console: a walk over the built
// program that reads each screen it reaches, presses every identifier, label and button title
// its view trees list, chooses every menu row, answers every alert button and clicks every name
// label, each in a fresh program brought to that screen, and follows what opens to walk the
// windows and pages it shows in turn. What a person can click must answer `ok` (or that it is
// disabled); what takes no click must be refused with a sentence that says why.

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

#include <gtest/gtest.h>

#include "testkit/console_process.h"
#include "testkit/screen_reading.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testkit::ShownNode;
using testkit::ShownScreen;
using testkit::ShownWindow;

const fs::path kRenameSession = fs::path(TARNWICK_SOURCE_DIR) / "tests/e2e/roads/rename.json";
constexpr int kDeepestWalk = 4;  // probes in a row, each on the screen the one before it left
constexpr unsigned kPrograms = 3;  // walked side by side

std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') result += '\\';
        result += c;
    }
    return result + "\"";
}

// ---- what the screen says a press on a node must do

// The node takes a click itself, as the screen lists it: a button, switch, text field, pop-up
// (a picker that shows its chosen option alone), pull-down menu, bridged view, or row of a list.
bool takesAClick(const ShownWindow& window, std::size_t index) {
    const ShownNode& node = window.nodes[index];
    static const std::set<std::string> kinds{"button", "toggle", "textField", "menu", "bridged"};
    if (kinds.count(node.kind)) return true;
    if (node.kind == "picker") return window.subtree(index).size() == 1;
    const auto up = window.parent(index);
    return up && window.nodes[*up].kind == "list";
}

// A control that is set rather than clicked, as a whole.
bool isSetNotClicked(const ShownWindow& window, std::size_t index) {
    const std::string& kind = window.nodes[index].kind;
    return kind == "slider" || kind == "stepper" || kind == "colorWell" || kind == "list" ||
           (kind == "picker" && window.subtree(index).size() > 1);
}

// The nodes under the node that take a click, not looking inside them.
std::vector<std::size_t> clickableUnder(const ShownWindow& window, std::size_t index) {
    std::vector<std::size_t> found;
    const auto under = window.subtree(index);
    for (std::size_t i = 0; i < under.size(); ++i) {
        if (!takesAClick(window, under[i])) continue;
        found.push_back(under[i]);
        const auto inside = window.subtree(under[i]).size();
        i += inside;
    }
    return found;
}

bool insideAControl(const ShownWindow& window, std::size_t index) {
    for (auto up = window.parent(index); up; up = window.parent(*up))
        if (takesAClick(window, *up) || window.nodes[*up].kind == "picker") return true;
    return false;
}

// The names the walk presses the node by: its identifier and its label, and a control's title
// (a switch's, a button's, a segmented control's) where it has neither.
std::vector<std::string> namesOf(const ShownWindow& window, std::size_t index) {
    const ShownNode& node = window.nodes[index];
    std::vector<std::string> names;
    if (node.identifier) names.push_back(*node.identifier);
    if (node.label) names.push_back(*node.label);
    const bool control = takesAClick(window, index) || isSetNotClicked(window, index);
    if (names.empty() && control && !node.texts.empty()) names.push_back(node.texts.front());
    return names;
}

// Whether another node of the window goes by the same name.
bool sharedName(const ShownWindow& window, std::size_t index, const std::string& name) {
    for (std::size_t i = 0; i < window.nodes.size(); ++i) {
        if (i == index) continue;
        const ShownNode& other = window.nodes[i];
        if (other.identifier == name || other.label == name ||
            std::find(other.texts.begin(), other.texts.end(), name) != other.texts.end())
            return true;
    }
    return false;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// ---- the walk

// Judges an act's answer and the screen a second later: empty when they are right, else what is
// wrong.
using Judge = std::function<std::string(const std::string& answer, const ShownScreen& after)>;

struct Probe {
    fs::path session;  // empty: the built-in session
    bool namedDesktop = false;  // Desktop 3 is named "Home" in the names file
    Lines path;        // from a fresh start to the screen the probe was read on
    std::string act;
    int depth = 0;     // probes before this one on its path
    Judge judge;
};

struct Outcome {
    std::string answer;
    ShownScreen after;  // a second after the act
    bool ended = false;
};

Outcome run(const Probe& probe) {
    const testkit::TempFolder home;
    if (probe.namedDesktop) {
        const fs::path folder = home.path() / "Library/Application Support/Tarnwick";
        fs::create_directories(folder);
        std::ofstream(folder / "names.json") << R"({"version": 1, "names": {"A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D": "Home"}})";
    }
    testkit::ConsoleProcess::Options options{home.path(), std::nullopt, {}, {}, true};
    if (!probe.session.empty()) options.session = probe.session;
    testkit::ConsoleProcess program(options);
    program.ready();
    for (const auto& command : probe.path) program.send(command);
    Outcome outcome;
    Lines acted = probe.act.empty() ? Lines{"ok"} : program.send(probe.act);
    outcome.answer = acted.empty() ? "" : acted.back();
    if (testkit::printed(acted, "application ended")) {
        outcome.ended = true;
        program.finish();
        return outcome;
    }
    program.send("wait 1");
    outcome.after = testkit::readScreen(program.send("screen"));
    // An alert left open takes no quit: the end of input answers it, and the run ends.
    program.send("quit");
    program.closeInput();
    program.finish();
    return outcome;
}

// While it lives, a write to a program that has just ended (a menu row that quits, answered
// before the end) fails instead of ending the test with SIGPIPE.
class BrokenPipesIgnored {
public:
    BrokenPipesIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &before_);
    }
    ~BrokenPipesIgnored() { sigaction(SIGPIPE, &before_, nullptr); }
    BrokenPipesIgnored(const BrokenPipesIgnored&) = delete;
    BrokenPipesIgnored& operator=(const BrokenPipesIgnored&) = delete;

private:
    struct sigaction before_ {};
};

class PressWalk {
public:
    // Walks from the screens the paths lead to.
    void start(const Probe& state) { pending_.push_back(state); }

    void walk() {
        const BrokenPipesIgnored ignored;
        while (!pending_.empty()) {
            std::vector<Probe> level = std::move(pending_);
            pending_.clear();
            std::vector<Outcome> outcomes(level.size());
            std::atomic<std::size_t> next{0};
            std::vector<std::thread> programs;
            for (unsigned i = 0; i < kPrograms; ++i)
                programs.emplace_back([&] {
                    for (std::size_t at; (at = next++) < level.size();) outcomes[at] = run(level[at]);
                });
            for (auto& program : programs) program.join();
            for (std::size_t i = 0; i < level.size(); ++i) judge(level[i], outcomes[i]);
        }
    }

    std::size_t probes = 0;
    std::set<std::string> walked;  // what has been acted on, by window and name
    std::vector<std::string> faults;

private:
    void judge(const Probe& probe, const Outcome& outcome) {
        if (!probe.act.empty()) {
            ++probes;
            const std::string fault = probe.judge ? probe.judge(outcome.answer, outcome.after) : "";
            if (!fault.empty()) {
                std::string path;
                for (const auto& command : probe.path) path += command + "; ";
                faults.push_back(probe.act + " after " + path + "answered wrong: " + fault);
            }
        }
        if (outcome.ended || (!probe.act.empty() && outcome.answer != "ok") || probe.depth >= kDeepestWalk) return;
        Lines path = probe.path;
        if (!probe.act.empty()) path.push_back(probe.act);
        path.push_back("wait 1");
        offer(probe, path, outcome.after);
    }

    // A probe for each thing the screen names that no probe acted on yet.
    void offer(const Probe& from, const Lines& path, const ShownScreen& screen) {
        const auto add = [&](const std::string& key, std::string act, const Judge& judge) {
            if (!walked.insert(key).second) return;
            pending_.push_back(Probe{from.session, from.namedDesktop, path, std::move(act), from.depth + 1, judge});
        };
        if (screen.alertMessage) {
            // A modal alert takes only its own answers.
            for (const auto& button : screen.alertButtons)
                add("alert " + *screen.alertMessage + " " + button, "alert press " + quoted(button), answersOk);
            return;
        }
        for (const auto& row : screen.menuRows) {
            const bool opensSubmenu = std::any_of(screen.menuRows.begin(), screen.menuRows.end(), [&](const auto& other) {
                return other.path.size() > 1 && other.path.front() == row.path.front() && row.path.size() == 1;
            });
            if (opensSubmenu) continue;
            std::string act = "menu";
            for (const auto& title : row.path) act += " " + quoted(title);
            add(act, act, row.enabled ? answersOk : refused);
        }
        for (const auto& window : screen.windows) offerWindow(window, screen, add);
    }

    template <typename Add>
    void offerWindow(const ShownWindow& window, const ShownScreen& screen, const Add& add) {
        const std::string in = "in " + quoted(window.title) + " ";
        bool named = false;
        for (std::size_t i = 0; i < window.nodes.size(); ++i)
            for (const auto& name : namesOf(window, i)) {
                named = true;
                add(window.title + "\x1f" + name, in + "press " + quoted(name), pressJudge(window, i, name));
            }
        if (named || window.texts.empty()) return;
        // A window whose tree names nothing (or that lists no tree: retained views) offers
        // nothing to press by name, and says so; the name labels over Mission Control's
        // captions take their clicks by number.
        add("bare " + window.title + " " + window.texts.front(), in + "press " + quoted(window.texts.front()),
            refusedFor(window.nodes.empty() ? "has no controls" : "which takes no click"));
        for (std::size_t n = 0; n < screen.captions.size(); ++n)
            if (window.nodes.empty() && window.level > 0 && screen.captions[n].frame.intersects(window.frame)) {
                const std::string number = std::to_string(n + 1);
                add("label " + number, "click label " + number, answersOk);
                add("rename " + number, "option-double-click label " + number, answersOk);
            }
    }

    static std::string answersOk(const std::string& answer, const ShownScreen&) {
        return answer == "ok" ? "" : "answered " + answer;
    }
    static std::string refused(const std::string& answer, const ShownScreen&) {
        return answer.rfind("error: ", 0) == 0 ? "" : "answered " + answer + " for a disabled row";
    }
    static Judge refusedFor(std::string reason) {
        return [reason](const std::string& answer, const ShownScreen&) {
            return contains(answer, reason) ? "" : "answered " + answer + ", not that it " + reason;
        };
    }

    // What a press on the node must answer, as the screen lists the node and what it holds.
    static Judge pressJudge(const ShownWindow& window, std::size_t index, const std::string& name) {
        const ShownNode node = window.nodes[index];
        const bool ambiguous = sharedName(window, index, name);
        const auto inside = clickableUnder(window, index);
        const bool clickable = takesAClick(window, index) || insideAControl(window, index) ||
                               (!isSetNotClicked(window, index) && inside.size() == 1);
        bool disabled = node.disabled;
        for (auto up = window.parent(index); up; up = window.parent(*up)) disabled = disabled || window.nodes[*up].disabled;
        if (inside.size() == 1) disabled = disabled || window.nodes[inside.front()].disabled;
        const std::string title = window.title;
        const std::string setHint = "; set " + quoted(name);
        const std::string holding = " holding " + std::to_string(inside.size()) + " controls";
        const bool setNotClicked = isSetNotClicked(window, index);
        return [=](const std::string& answer, const ShownScreen& after) -> std::string {
            if (ambiguous && contains(answer, " controls: ")) return "";
            if (disabled && contains(answer, " is disabled.")) return "";
            const std::string what = "(" + node.line + ") answered " + answer;
            if (clickable) {
                if (answer != "ok") return what;
                if (node.kind == "toggle") {
                    // A switch the press flipped shows the other value.
                    for (const auto& shown : after.windows)
                        if (shown.title == title)
                            for (const auto& flipped : shown.nodes)
                                if (flipped.kind == "toggle" && flipped.texts == node.texts && flipped.value == node.value)
                                    return what + ", and the switch still shows " + node.value.value_or("");
                }
                return "";
            }
            if (setNotClicked) return contains(answer, setHint) ? "" : what + ", not how to set it";
            if (inside.size() > 1) return contains(answer, holding) ? "" : what + ", not the controls it holds";
            return contains(answer, "which takes no click") ? "" : what + ", not that it takes no click";
        };
    }

    std::vector<Probe> pending_;
};

std::string faultList(const std::vector<std::string>& faults) {
    std::string list;
    for (const auto& fault : faults) list += "\n  " + fault;
    return list;
}

TEST(ConsolePressWalkTest, EveryControlThatTheScreenNamesInTheBuiltInSessionAnswersItsPress) {
    PressWalk walk;
    // The screens a person reaches without pressing: the overview a hover opens, the status menu
    // (with Option held, its Testing submenu too), a settings window too narrow for its
    // sidebar, and the desktop banner.
    const Lines menu{"click status-item", "wait 0.5"};
    walk.start(Probe{{}, false, {"hover status-item", "wait 1"}, "", 0, {}});
    walk.start(Probe{{}, false, menu, "", 0, {}});
    walk.start(Probe{{}, false, {"click status-item option", "wait 0.5"}, "", 0, {}});
    walk.start(Probe{{}, false, {"click status-item", "wait 0.5", "menu \"Settings…\"", "resize \"Tarnwick Settings\" 520 560"},
                     "", 0, {}});
    walk.start(Probe{{}, false, {"switch 2", "wait 0.2"}, "", 0, {}});
    walk.walk();
    EXPECT_TRUE(walk.faults.empty()) << walk.faults.size() << " of " << walk.probes << faultList(walk.faults);
    // The windows the walk reached by what it pressed and chose.
    for (const char* window : {"Workstation Overview", "Tarnwick Settings", "Desktop Names", "About Tarnwick",
                               "Software Update", "Space Name"}) {
        const bool reached = std::any_of(walk.walked.begin(), walk.walked.end(), [&](const std::string& key) {
            return key.rfind(std::string(window) + "\x1f", 0) == 0 || key.rfind("bare " + std::string(window), 0) == 0;
        });
        EXPECT_TRUE(reached) << window;
    }
    EXPECT_TRUE(std::any_of(walk.walked.begin(), walk.walked.end(), [](const std::string& key) {
        return key.rfind("Workstation Overview\x1fOpen Mail on Desktop 5", 0) == 0;
    }));
}

TEST(ConsolePressWalkTest, MissionControlsNameLabelsAndTheRenamePromptAnswerTheirClicks) {
    PressWalk walk;
    walk.start(Probe{kRenameSession, true, {"mission-control open", "wait 1"}, "", 0, {}});
    walk.walk();
    EXPECT_TRUE(walk.faults.empty()) << walk.faults.size() << " of " << walk.probes << faultList(walk.faults);
    EXPECT_TRUE(walk.walked.count("label 3"));
    EXPECT_TRUE(walk.walked.count("alert Rename Desktop 3 Save"));
    EXPECT_TRUE(walk.walked.count("alert Rename Desktop 3 Cancel"));
}

}  // namespace
}  // namespace tarnwick
