// The running program measured from outside, as a person would meet it: the release binary with
// the console, started on the built-in session. Start-up to "ready", "--diagnose" end to end,
// idle wake-ups, resident memory after "ready" and after many desktop switches, and a picture of
// the screen with the overview open.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "testkit/console_process.h"
#include "testkit/run_program.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A field of /proc/<pid>/status (or of one thread's), in its own unit; 0 when absent.
long statusField(const fs::path& status, const std::string& field) {
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    return 0;
}

long residentKilobytes(pid_t pid) { return statusField(fs::path("/proc") / std::to_string(pid) / "status", "VmRSS"); }
// The most the process has held resident since it started.
long peakResidentKilobytes(pid_t pid) { return statusField(fs::path("/proc") / std::to_string(pid) / "status", "VmHWM"); }

// Voluntary context switches of every thread of the process.
long voluntarySwitches(pid_t pid) {
    long total = 0;
    for (const auto& task : fs::directory_iterator(fs::path("/proc") / std::to_string(pid) / "task"))
        total += statusField(task.path() / "status", "voluntary_ctxt_switches");
    return total;
}

testkit::ConsoleProcess::Options realTime(const testkit::TempFolder& home) {
    return testkit::ConsoleProcess::Options{home.path(), std::nullopt, {}, {}, false};
}

void saveName(const testkit::TempFolder& home, const std::string& desktop, const std::string& name) {
    const auto folder = home.path() / "Library/Application Support/Tarnwick";
    fs::create_directories(folder);
    std::ofstream(folder / "names.json") << R"({"version": 1, "names": {")" << desktop << R"(": ")" << name << R"("}})";
}

// Process start to "ready" in real time; the resident memory then, and its peak so far.
void BM_StartupToReady(benchmark::State& state) {
    long resident = 0, peak = 0;
    for (auto _ : state) {
        testkit::TempFolder home;
        const auto start = Clock::now();
        testkit::ConsoleProcess program(realTime(home));
        program.ready();
        state.SetIterationTime(secondsSince(start));
        resident = residentKilobytes(program.pid());
        peak = peakResidentKilobytes(program.pid());
        program.send("quit");
        program.finish();
    }
    state.counters["rss_kb_after_ready"] = static_cast<double>(resident);
    state.counters["peak_rss_kb"] = static_cast<double>(peak);
}
BENCHMARK(BM_StartupToReady)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// "--diagnose" from process start to its exit.
void BM_DiagnoseEndToEnd(benchmark::State& state) {
    testkit::TempFolder home;
    for (auto _ : state) {
        const auto start = Clock::now();
        const auto result = testkit::runTarnwick({"--diagnose"}, {{"HOME", home.path().string()}});
        state.SetIterationTime(secondsSince(start));
        if (result.exitStatus != 0) state.SkipWithError("--diagnose failed");
    }
}
BENCHMARK(BM_DiagnoseEndToEnd)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// Voluntary context switches of all threads over 10 s of idle, after the run has settled:
// argument 0 with default preferences and no saved name, 1 with the current desktop named (the
// label controller polls Mission Control's visibility).
void BM_IdleWakeups(benchmark::State& state) {
    constexpr double kIdleSeconds = 10;
    double perSecond = 0;
    for (auto _ : state) {
        testkit::TempFolder home;
        if (state.range(0) == 1) saveName(home, "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40", "Work");  // Desktop 2
        testkit::ConsoleProcess program(realTime(home));
        program.ready();
        if (state.range(0) == 1) program.send("switch 2");
        std::this_thread::sleep_for(std::chrono::seconds(3));  // the banner comes and goes
        const long before = voluntarySwitches(program.pid());
        std::this_thread::sleep_for(std::chrono::duration<double>(kIdleSeconds));
        perSecond = static_cast<double>(voluntarySwitches(program.pid()) - before) / kIdleSeconds;
        program.send("quit");
        program.finish();
    }
    state.counters["voluntary_switches_per_s"] = perSecond;
}
BENCHMARK(BM_IdleWakeups)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

// Resident memory growth over 1,000 desktop switches, each showing its banner, on virtual time.
void BM_MemoryAfterDesktopSwitches(benchmark::State& state) {
    long growth = 0;
    for (auto _ : state) {
        testkit::TempFolder home;
        testkit::ConsoleProcess program({home.path(), std::nullopt, {}, {}, true});
        program.ready();
        program.send("wait 5");
        const long before = residentKilobytes(program.pid());
        for (int i = 0; i < 1000; ++i) {
            program.send("switch " + std::to_string((i + 1) % 3 + 1));
            program.send("wait 3");
        }
        growth = residentKilobytes(program.pid()) - before;
        program.send("quit");
        program.finish();
    }
    state.counters["rss_growth_kb"] = static_cast<double>(growth);
}
BENCHMARK(BM_MemoryAfterDesktopSwitches)->Iterations(1)->Unit(benchmark::kSecond);

// `screen svg` with the overview open: the command's round trip, the file's size and the
// program's peak resident memory after drawing it 50 times.
void BM_ScreenSvgWithOverviewOpen(benchmark::State& state) {
    testkit::TempFolder home;
    testkit::ConsoleProcess program({home.path(), std::nullopt, {}, {}, true});
    program.ready();
    program.send("hover status-item");
    program.send("wait 1");
    const fs::path picture = home.path() / "screen.svg";
    const std::string command = "screen svg " + picture.string();
    for (auto _ : state) {
        const auto start = Clock::now();
        program.send(command);
        state.SetIterationTime(secondsSince(start));
    }
    state.counters["svg_bytes"] = static_cast<double>(fs::file_size(picture));
    state.counters["peak_rss_kb"] = static_cast<double>(peakResidentKilobytes(program.pid()));
    program.send("quit");
    program.finish();
}
BENCHMARK(BM_ScreenSvgWithOverviewOpen)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
