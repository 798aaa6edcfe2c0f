#include "platform/sim/console/console_commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/sim/console/command_words.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace {

// "The width" as it reads inside a sentence.
std::string inSentence(const std::string& what) {
    std::string text = what;
    if (text.rfind("The ", 0) == 0) text[0] = 't';
    return text;
}

}  // namespace

const std::vector<ConsoleCommand>& consoleCommands() {
    static const std::vector<ConsoleCommand> commands = [] {
        std::vector<ConsoleCommand> all;
        addConsoleCommands(all);
        addSessionCommands(all);
        addWindowCommands(all);
        addControlCommands(all);
        addStatusItemCommands(all);
        return all;
    }();
    return commands;
}

const ConsoleCommand* findConsoleCommand(const std::string& name) {
    for (const auto& command : consoleCommands())
        if (command.name == name) return &command;
    return nullptr;
}

void expectArguments(const CommandContext& context, const ConsoleCommand& command, std::size_t least, std::size_t most) {
    const std::size_t count = context.arguments.size();
    if (count >= least && count <= most) return;
    throw Error(std::string(count < least ? "Too few" : "Too many") + " words for " + command.name + "; type " +
                command.usage + ".");
}

double numberArgument(const std::string& word, const std::string& what, double least, double most) {
    double value = 0;
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value);
    // A number past what a double holds ("1e999", "-1e-999") is still a number: the nearest one
    // a double holds, an infinity or the least one of its sign, tells where it lies.
    const bool pastDouble = error == std::errc::result_out_of_range && stop == end;
    if (pastDouble) {
        value = std::strtod(word.c_str(), nullptr);
        if (value == 0) value = std::copysign(std::numeric_limits<double>::denorm_min(), word[0] == '-' ? -1.0 : 1.0);
    }
    if (!pastDouble && (error != std::errc() || stop != end || !std::isfinite(value)))
        throw Error(quotedText(word) + " is no number; " + inSentence(what) + " is a number from " +
                    formatNumber(least) + " to " + formatNumber(most) + ".");
    // The number as it was typed: printed back, a tiny or huge one would read as another.
    if (value < least || value > most)
        throw Error(what + " must be from " + formatNumber(least) + " to " + formatNumber(most) + ", not " + word +
                    ".");
    return value;
}

platform::ui::ColorInSpace colourArgument(const std::string& word, const std::string& what) {
    const bool shaped = (word.size() == 7 || word.size() == 9) && word[0] == '#' &&
                        std::all_of(word.begin() + 1, word.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    if (!shaped)
        throw Error(quotedText(word) + " is no colour; " + inSentence(what) +
                    " is #RRGGBB, or #RRGGBBAA with its opacity, in hexadecimal digits (#FF8800).");
    const auto component = [&](std::size_t at) { return std::stoi(word.substr(at, 2), nullptr, 16) / 255.0; };
    return platform::ui::ColorInSpace::sRGB(component(1), component(3), component(5), word.size() == 9 ? component(7) : 1);
}

std::int64_t integerArgument(const std::string& word, const std::string& what, std::int64_t least, std::int64_t most) {
    std::int64_t value = 0;
    const char* end = word.data() + word.size();
    auto [stop, error] = std::from_chars(word.data(), end, value);
    // All digits, yet past what 64 bits hold: a whole number, only out of every range.
    const bool pastRange = error == std::errc::result_out_of_range && stop == end;
    if (!pastRange && (error != std::errc() || stop != end))
        throw Error(quotedText(word) + " is no whole number; " + inSentence(what) + " is a whole number from " +
                    std::to_string(least) + " to " + std::to_string(most) + ".");
    // Named back as it was typed, as numberArgument does.
    if (pastRange || value < least || value > most)
        throw Error(what + " must be from " + std::to_string(least) + " to " + std::to_string(most) + ", not " + word +
                    ".");
    return value;
}

std::string choiceArgument(const std::string& word, const std::vector<std::string>& choices,
                                  const ConsoleCommand& command) {
    for (const auto& choice : choices)
        if (word == choice) return choice;
    // Name the words that would do, so the answer says what to type instead.
    std::string known;
    for (std::size_t i = 0; i < choices.size(); ++i)
        known += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
    throw Error(quotedText(word) + " is not something " + command.name + " knows here; type " + known + ".");
}

}  // namespace tarnwick::sim
