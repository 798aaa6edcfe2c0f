// Replays a harness's inputs without libFuzzer: every file named on the command line, and every
// file of every folder named there (in name order), goes once through LLVMFuzzerTestOneInput.
// The normal build links each harness with this instead of libFuzzer, so the harnesses compile
// with the program and their seeds run as tests, under the sanitizers too. Whatever stops a
// replay (a crash, a sanitizer's report, a broken promise, an exception) names the input.

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Optional, as for libFuzzer.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));
// Present when a sanitizer's runtime is linked: it calls back before it ends the process.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

namespace fs = std::filesystem;

// The input being replayed, kept where a signal handler can read it without allocating.
char currentInput[4096];

void reportCurrentInput() {
    if (currentInput[0] == '\0') return;
    constexpr const char prefix[] = "replay: failed on ";
    [[maybe_unused]] auto written = ::write(STDERR_FILENO, prefix, sizeof prefix - 1);
    written = ::write(STDERR_FILENO, currentInput, std::strlen(currentInput));
    written = ::write(STDERR_FILENO, "\n", 1);
}

constexpr int kFatalSignals[] = {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction previousActions[std::size(kFatalSignals)];

// Names the input, then hands the signal back to whoever handled it before (a sanitizer, or the
// default): an abort raises it again, and a faulting instruction faults again on return.
void onFatalSignal(int signal) {
    reportCurrentInput();
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i)
        if (kFatalSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
}

void reportFailures() {
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) {
        struct sigaction action {};
        action.sa_handler = onFatalSignal;
        sigemptyset(&action.sa_mask);
        sigaction(kFatalSignals[i], &action, &previousActions[i]);
    }
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(reportCurrentInput);
}

// The files an argument names, in name order; nothing, with a complaint, when it names none.
std::vector<fs::path> inputsOf(const fs::path& argument) {
    std::error_code error;
    if (fs::is_regular_file(argument, error)) return {argument};
    std::vector<fs::path> files;
    if (fs::is_directory(argument, error))
        for (const auto& entry : fs::directory_iterator(argument, error))
            if (entry.is_regular_file(error)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) std::fprintf(stderr, "replay: %s names no input file\n", argument.c_str());
    return files;
}

std::vector<std::uint8_t> contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <input file or folder>...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const auto files = inputsOf(argv[i]);
        if (files.empty()) return 2;
        inputs.insert(inputs.end(), files.begin(), files.end());
    }
    reportFailures();
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    for (const auto& input : inputs) {
        std::snprintf(currentInput, sizeof currentInput, "%s", input.c_str());
        const auto bytes = contents(input);
        try {
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "replay: failed on %s: it threw \"%s\"\n", currentInput, error.what());
            return 1;
        } catch (...) {
            std::fprintf(stderr, "replay: failed on %s: it threw\n", currentInput);
            return 1;
        }
    }
    currentInput[0] = '\0';
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
