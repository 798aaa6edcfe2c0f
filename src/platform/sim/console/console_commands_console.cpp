// The console's own commands: help, screen, wait, alert answers and quit.

#include <algorithm>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/console/key_combination.h"
#include "platform/sim/console/screen_report.h"
#include "platform/sim/console/screen_svg.h"
#include "platform/sim/console/terminal_line_editor.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"
#include "support/text.h"

namespace tarnwick::sim {

namespace {

// A usage longer than this takes a line of its own, so that one long usage does not push every
// description far to the right.
constexpr std::size_t kLongestInlineUsage = 44;
constexpr std::size_t kUsageGap = 2;
// Narrower than this beside its usage, a description goes under the usage instead, indented by
// kStackedIndent.
constexpr std::size_t kNarrowestDescription = 20;
constexpr std::size_t kStackedIndent = 4;

// The text cut at its blanks into lines of at most `width` columns (a longer word stands alone on
// its line); the whole text as one line when `width` is 0.
std::vector<std::string> wrapped(const std::string& text, std::size_t width) {
    if (width == 0) return {text};
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string word = text.substr(at, end - at);
        at = end + 1;
        if (word.empty()) continue;
        if (!line.empty() && terminalColumns(line) + 1 + terminalColumns(word) > width) {
            lines.push_back(std::move(line));
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    lines.push_back(std::move(line));
    return lines;
}

void help(CommandContext& context) {
    expectArguments(context, *findConsoleCommand("help"), 0, 0);
    const auto& commands = consoleCommands();
    // Every description starts in one column: two blanks past the longest usage that shares its line.
    std::size_t column = 0;
    for (const auto& command : commands) {
        const std::size_t width = text::characterCount(command.usage);
        if (width <= kLongestInlineUsage) column = std::max(column, width + kUsageGap);
    }
    // At a terminal too narrow for the lines, each description wraps at its blanks, under its
    // column; too narrow for the column, each usage stands on its own lines with its description
    // under it, a little indented, both wrapped at their blanks.
    const std::size_t terminal = context.console.terminalWidth();
    if (terminal != 0 && terminal < column + kNarrowestDescription) {
        const std::size_t indent = std::min(kStackedIndent, terminal / 4);
        for (const auto& command : commands) {
            for (const auto& line : wrapped(command.usage, terminal)) context.console.say(line);
            for (const auto& line : wrapped(command.summary, terminal - indent))
                context.console.say(std::string(indent, ' ') + line);
        }
    } else {
        const std::string indent(column, ' ');
        for (const auto& command : commands) {
            const std::size_t width = text::characterCount(command.usage);
            const auto lines = wrapped(command.summary, terminal == 0 ? 0 : terminal - column);
            auto line = lines.begin();
            if (width + kUsageGap <= column)
                context.console.say(command.usage + std::string(column - width, ' ') + *line++);
            else
                context.console.say(command.usage);
            for (; line != lines.end(); ++line) context.console.say(indent + *line);
        }
    }
    const std::string closing =
        "Words are separated by blanks; put text with blanks in double quotes; # starts a comment.";
    for (const auto& line : wrapped(closing, terminal))
        context.console.say(line);
}

void screen(CommandContext& context) {
    const auto& command = *findConsoleCommand("screen");
    expectArguments(context, command, 0, 2);
    if (context.arguments.empty()) {
        for (const auto& line : screenReport(context.session, context.console.openAlert())) context.console.say(line);
        return;
    }
    if (context.arguments[0] != "svg" || context.arguments.size() != 2)
        throw Error("screen takes nothing or svg and a file; type " + command.usage + ".");
    writeScreenSvg(context.session, context.console.openAlert(), context.arguments[1]);
}

void wait(CommandContext& context) {
    const auto& command = *findConsoleCommand("wait");
    expectArguments(context, command, 1, 1);
    context.console.waitFor(numberArgument(context.arguments[0], "The time to wait in seconds", 0, Console::kLongestWait));
}

platform::Alert& openAlert(CommandContext& context) {
    platform::Alert* alert = context.console.openAlert();
    if (!alert) throw Error("No alert is open; alert answers an alert that shows.");
    return *alert;
}

void alert(CommandContext& context) {
    const auto& command = *findConsoleCommand("alert");
    expectArguments(context, command, 2, 2);
    platform::Alert& shown = openAlert(context);
    const std::string action = choiceArgument(context.arguments[0], {"type", "press"}, command);
    const std::string& text = context.arguments[1];
    if (action == "type") {
        if (!shown.textField) throw Error("The alert " + quotedText(shown.messageText) + " has no text field to type into.");
        shown.textField->stringValue = text;
        return;
    }
    for (const auto& button : shown.buttons)
        if (button.title == text) return context.console.answerAlert(SimAlertAnswer(text));
    std::string titles;
    for (const auto& button : shown.buttons) titles += (titles.empty() ? "" : ", ") + quotedText(button.title);
    throw Error("The alert has no button " + quotedText(text) + "; press one of " + titles + ".");
}

void quit(CommandContext& context) {
    expectArguments(context, *findConsoleCommand("quit"), 0, 0);
    context.console.requestQuit();
}

}  // namespace

void addConsoleCommands(std::vector<ConsoleCommand>& commands) {
    commands.push_back({"help", "help", "lists the commands", true, false, help});
    commands.push_back({"screen", "screen [svg <file>]", "shows what is on screen, or draws it as an SVG file", true,
                        false, screen});
    commands.push_back({"wait", "wait <seconds>", "lets time pass (on virtual time only this moves the clock)", true,
                        false, wait});
    commands.push_back({"alert", "alert type|press \"<text>\"", "types into the open alert's field, or presses its button",
                        true, false, alert});
    commands.push_back({"quit", "quit", "logs out: the application ends and the console with it", false, false, quit});
}

}  // namespace tarnwick::sim
