#include "platform/sim/console/command_words.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "support/error.h"
#include "support/text.h"

namespace tarnwick::sim {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::vector<std::string> splitCommandWords(std::string_view line) { return splitCommandLine(line).words; }

CommandLine splitCommandLine(std::string_view line) {
    if (line.size() > kLongestConsoleLine)
        throw Error("The line is longer than " + std::to_string(kLongestConsoleLine) +
                    " bytes; type a shorter command.");
    if (!text::isValidUTF8(line)) throw Error("The line is not valid UTF-8 text; type it again as plain text.");
    for (char c : line)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
            throw Error("The line holds a control character; type it again without one (\\n, \\t or \\xHH in quotes "
                        "stand for one).");

    CommandLine parsed;
    auto& words = parsed.words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') {
            // Unless the word before it already ended at this `#`.
            if (parsed.comment == CommentCut::none) parsed.comment = CommentCut::afterBlank;
            break;
        }
        std::string word;
        // A word may join plain and quoted parts ("a"b is ab), as shells do.
        while (i < line.size() && !isBlank(line[i])) {
            if (line[i] != '"') {
                if (line[i] == '#') {
                    parsed.comment = CommentCut::inWord;
                    break;
                }
                word += line[i++];
                continue;
            }
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    word += c;
                    continue;
                }
                if (i >= line.size()) break;
                const char escaped = line[i++];
                switch (escaped) {
                case '"': word += '"'; break;
                case '\\': word += '\\'; break;
                case 'n': word += '\n'; break;
                case 't': word += '\t'; break;
                case 'x': {
                    const int high = i < line.size() ? hexDigit(line[i]) : -1;
                    const int low = i + 1 < line.size() ? hexDigit(line[i + 1]) : -1;
                    if (high < 0 || low < 0)
                        throw Error("\\x in quotes needs two hexadecimal digits, as in \"\\x41\".");
                    word += static_cast<char>(high * 16 + low);
                    i += 2;
                    break;
                }
                default:
                    throw Error(std::string("Unknown escape \\") + escaped +
                                " in quotes; use \\\", \\\\, \\n, \\t or \\xHH.");
                }
            }
            if (!closed) throw Error("A quoted text is not closed; end it with a double quote.");
        }
        // What the escapes made must still be text a person could type.
        if (!text::isValidUTF8(word) || word.find('\0') != std::string::npos)
            throw Error("\\x in quotes made no valid UTF-8 text (or a NUL character); type the characters themselves.");
        words.push_back(std::move(word));
    }
    return parsed;
}

std::string listed(const std::vector<std::string>& items, std::string_view last) {
    std::string sentence;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) sentence += i + 1 == items.size() ? " " + std::string(last) + " " : ", ";
        sentence += items[i];
    }
    return sentence;
}

namespace {

// A control character as the console's escapes write it; false for any other byte.
bool appendEscapedControl(std::string& out, unsigned char byte) {
    if (byte == '\n') {
        out += "\\n";
    } else if (byte == '\t') {
        out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        out += escaped;
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::string quotedText(std::string_view text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            result += '\\';
            result += c;
        } else if (!appendEscapedControl(result, static_cast<unsigned char>(c))) {
            result += c;
        }
    }
    result += '"';
    return result;
}

std::string oneLine(std::string_view sentence) {
    std::string result;
    for (char c : sentence)
        if (!appendEscapedControl(result, static_cast<unsigned char>(c))) result += c;
    return result;
}

std::string formatNumber(double value) {
    if (!std::isfinite(value)) return value != value ? "nan" : value > 0 ? "inf" : "-inf";
    char buffer[32];
    if (std::abs(value) >= kLeastInExponentForm) {
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
        if (error == std::errc()) return std::string(buffer, end);
    }
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return text;
}

}  // namespace tarnwick::sim
