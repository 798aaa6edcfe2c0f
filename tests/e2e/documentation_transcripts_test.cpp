// The transcripts the documentation shows are what the program prints: each is run through the
// built program and compared line by line, so that a page cannot drift from the binary.
//
// A transcript is an indented block of a page whose lines are commands (`> <command>`) and what
// the program printed. Lines before the first command are what the program printed up to
// `ready`. A line that is only `...` stands for any number of lines; a line ending in ` ...` for
// any line that begins as it does. An HTML comment on the line before the block says how the
// run is set up, as JSON: `<!-- transcript {...} -->` with "session" (a session file of the
// source tree), "names" (the saved names, desktop UUID to name), "bundle" (true: the bundled
// copy `make run` starts) and "setup" (commands typed first, whose output is not shown).

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "testkit/console_process.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
const fs::path kSource = TARNWICK_SOURCE_DIR;

struct Transcript {
    std::string page;
    int line = 0;  // of the block's first line on the page, for failure messages
    nlohmann::json setup = nlohmann::json::object();
    Lines start;  // printed up to ready
    struct Step {
        std::string command;
        Lines printed;
    };
    std::vector<Step> steps;
};

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Every block of the page that follows a transcript comment.
std::vector<Transcript> transcriptsOf(const std::string& page) {
    std::vector<Transcript> found;
    std::istringstream in(readText(kSource / page));
    Lines lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const std::string marker = "<!-- transcript";
    const auto indentOf = [](const std::string& line) { return line.find_first_not_of(' '); };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto at = indentOf(lines[i]);
        if (at == std::string::npos || lines[i].compare(at, marker.size(), marker) != 0) continue;
        Transcript transcript;
        transcript.page = page;
        transcript.line = static_cast<int>(i + 2);
        const std::string comment = lines[i].substr(at + marker.size());
        const std::string json = comment.substr(0, comment.rfind("-->"));
        transcript.setup = nlohmann::json::parse(json.find('{') == std::string::npos ? "{}" : json);
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j].empty()) ++j;
        // The block is as deep as its first line (a page's list item indents its blocks further).
        const std::string indent(j < lines.size() ? std::min(indentOf(lines[j]), lines[j].size()) : 0, ' ');
        for (; j < lines.size() && !lines[j].empty() && lines[j].rfind(indent, 0) == 0; ++j) {
            const std::string text = lines[j].substr(indent.size());
            if (text.rfind("> ", 0) == 0)
                transcript.steps.push_back({text.substr(2), {}});
            else if (transcript.steps.empty())
                transcript.start.push_back(text);
            else
                transcript.steps.back().printed.push_back(text);
        }
        found.push_back(std::move(transcript));
        i = j;
    }
    return found;
}

// Whether a printed line is the expected one, where " ... " in it stands for any run of text and
// a " ..." at its end for any rest.
bool lineMatches(std::string expected, const std::string& printed) {
    const std::string gap = " ... ";
    if (expected.size() >= 4 && expected.compare(expected.size() - 4, 4, " ...") == 0) expected += " ";
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (std::size_t at; (at = expected.find(gap, from)) != std::string::npos; from = at + gap.size())
        pieces.push_back(expected.substr(from, at - from));
    pieces.push_back(expected.substr(from));
    if (pieces.size() == 1) return expected == printed;
    const std::string& last = pieces.back();
    if (printed.rfind(pieces.front(), 0) != 0 || printed.size() < pieces.front().size() + last.size() ||
        printed.compare(printed.size() - last.size(), last.size(), last) != 0)
        return false;
    std::size_t at = pieces.front().size();
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        at = printed.find(pieces[i], at);
        if (at == std::string::npos || at + pieces[i].size() > printed.size() - last.size()) return false;
        at += pieces[i].size();
    }
    return true;
}

// Whether the printed lines are the expected ones, a `...` line standing for any run of lines.
bool linesMatch(const Lines& expected, std::size_t e, const Lines& printed, std::size_t p) {
    if (e == expected.size()) return p == printed.size();
    if (expected[e] == "...") {
        for (std::size_t skip = p; skip <= printed.size(); ++skip)
            if (linesMatch(expected, e + 1, printed, skip)) return true;
        return false;
    }
    return p < printed.size() && lineMatches(expected[e], printed[p]) && linesMatch(expected, e + 1, printed, p + 1);
}

std::string shown(const Lines& lines) {
    std::string text;
    for (const auto& line : lines) text += "    " + line + "\n";
    return text;
}

void writeNames(const fs::path& home, const nlohmann::json& names) {
    const fs::path folder = home / "Library/Application Support/Tarnwick";
    fs::create_directories(folder);
    std::ofstream(folder / "names.json") << nlohmann::json{{"version", 1}, {"names", names}}.dump();
}

// The page's "/tmp/" stands for a folder of the test's own, so that no transcript writes outside it.
std::string localised(std::string text, const fs::path& tmp) {
    const std::string from = "/tmp/", to = tmp.string() + "/";
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

Lines localised(Lines lines, const fs::path& tmp) {
    for (auto& line : lines) line = localised(line, tmp);
    return lines;
}

void run(const Transcript& transcript) {
    SCOPED_TRACE(transcript.page + ":" + std::to_string(transcript.line));
    const nlohmann::json& setup = transcript.setup;
    testkit::TempFolder home;
    const fs::path tmp = home.path() / "tmp";
    fs::create_directory(tmp);
    if (setup.contains("names")) writeNames(home.path(), setup["names"]);
    testkit::ConsoleProcess::Options options;
    options.home = home.path();
    options.session = kSource / setup.value("session", "sessions/default.json");
    if (setup.value("bundle", false))
        options.program = fs::path(TARNWICK_BUNDLE) / "Contents/MacOS" / TARNWICK_BUNDLE_EXECUTABLE;
    testkit::ConsoleProcess program(options);
    const Lines started = program.ready();
    if (!transcript.start.empty()) {
        EXPECT_TRUE(linesMatch(transcript.start, 0, started, 0))
            << "the page shows\n" << shown(transcript.start) << "the program printed\n" << shown(started);
    }
    for (const auto& command : setup.value("setup", std::vector<std::string>{})) {
        const Lines answered = program.send(localised(command, tmp));
        ASSERT_FALSE(answered.empty()) << command;
        ASSERT_EQ(answered.back(), "ok") << command << "\n" << shown(answered);
    }
    for (const auto& step : transcript.steps) {
        const Lines printed = program.send(localised(step.command, tmp));
        const Lines expected = localised(step.printed, tmp);
        EXPECT_TRUE(linesMatch(expected, 0, printed, 0))
            << "> " << step.command << "\nthe page shows\n"
            << shown(expected) << "the program printed\n"
            << shown(printed);
    }
}

TEST(DocumentationTranscriptsTest, TheConsolePagesTranscriptsAreWhatTheProgramPrints) {
    const auto transcripts = transcriptsOf("docs/console.md");
    EXPECT_GE(transcripts.size(), 5u);
    for (const auto& transcript : transcripts) run(transcript);
}

TEST(DocumentationTranscriptsTest, TheReadmesTranscriptsAreWhatTheProgramPrints) {
    const auto transcripts = transcriptsOf("README.md");
    EXPECT_GE(transcripts.size(), 1u);
    for (const auto& transcript : transcripts) run(transcript);
}

// The matching rules themselves, so that a transcript cannot pass by matching too much.
TEST(DocumentationTranscriptsTest, ElisionsStandForWhatTheySayAndNoMore) {
    EXPECT_TRUE(linesMatch({"a", "...", "d"}, 0, {"a", "b", "c", "d"}, 0));
    EXPECT_TRUE(linesMatch({"a", "...", "d"}, 0, {"a", "d"}, 0));
    EXPECT_FALSE(linesMatch({"a", "...", "d"}, 0, {"a", "b", "c"}, 0));
    EXPECT_FALSE(linesMatch({"a", "b"}, 0, {"a", "b", "c"}, 0));
    EXPECT_TRUE(linesMatch({"texts \"x\" ...", "ok"}, 0, {"texts \"x\" \"y\"", "ok"}, 0));
    EXPECT_FALSE(linesMatch({"texts \"x\" ..."}, 0, {"texts \"y\""}, 0));
    EXPECT_TRUE(lineMatches("a ... c ... e", "a b c d e"));
    EXPECT_FALSE(lineMatches("a ... c ... e", "a b d e"));
    EXPECT_FALSE(lineMatches("a ... a", "a"));
    EXPECT_TRUE(linesMatch({"..."}, 0, {}, 0));
}

}  // namespace
}  // namespace tarnwick
