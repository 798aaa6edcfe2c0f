#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/console/command_words.h"
#include "platform/ui/color_in_space.h"

namespace tarnwick::sim {

class Console;
class SimulatedSession;

// What a command gets: the console, the session, the words after the command's name, the
// window named by `in "<title>"` before it, and the command's name (for sentences that give the
// command back).
struct CommandContext {
    Console& console;
    SimulatedSession& session;
    std::vector<std::string> arguments;
    std::optional<std::string> window;
    std::string name = {};
    // Where a `#` outside quotes cut the line short (the command's own words may have lost it).
    CommentCut comment = CommentCut::none;
};

// One console command. A command checks all of its input before it changes anything, and
// throws Error with a sentence saying what was wrong and what to type.
struct ConsoleCommand {
    std::string name;
    std::string usage;
    std::string summary;
    bool duringAlert = false;  // served while an alert waits for its answer
    bool takesWindow = false;  // may follow in "<window title>"
    std::function<void(CommandContext&)> run;
};

// Every command, in the order `help` lists them.
const std::vector<ConsoleCommand>& consoleCommands();
const ConsoleCommand* findConsoleCommand(const std::string& name);

// The groups, each in a file of its own.
void addConsoleCommands(std::vector<ConsoleCommand>& commands);   // help, screen, wait, alert, quit
void addSessionCommands(std::vector<ConsoleCommand>& commands);   // desktops, displays, apps, the session
void addWindowCommands(std::vector<ConsoleCommand>& commands);    // labels, window buttons, keys
void addControlCommands(std::vector<ConsoleCommand>& commands);   // the controls of a window's tree
void addStatusItemCommands(std::vector<ConsoleCommand>& commands);  // the status item and its menu

// `click status-item [option]`, which shares `click` with the labels.
void clickStatusItem(CommandContext& context);

// ---- reading arguments: each throws Error naming the command's usage
// Exactly `count` arguments (or between `least` and `most`).
void expectArguments(const CommandContext& context, const ConsoleCommand& command, std::size_t least, std::size_t most);
// A number within the range; a number out of it is named back as it was typed.
double numberArgument(const std::string& word, const std::string& what, double least, double most);
// A whole number within the range.
std::int64_t integerArgument(const std::string& word, const std::string& what, std::int64_t least, std::int64_t most);
// One of the choices.
std::string choiceArgument(const std::string& word, const std::vector<std::string>& choices, const ConsoleCommand& command);
// A colour in sRGB as a colour panel takes it typed: "#RRGGBB", or "#RRGGBBAA" with its opacity,
// in hexadecimal digits of either case.
platform::ui::ColorInSpace colourArgument(const std::string& word, const std::string& what);

}  // namespace tarnwick::sim
