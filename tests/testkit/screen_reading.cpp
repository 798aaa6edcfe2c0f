#include "testkit/screen_reading.h"

#include <cctype>
#include <cstdlib>
#include <utility>

namespace tarnwick::testkit {

namespace {

// The quoted words after the bare word `key`, up to the next bare word.
std::vector<std::string> quotedAfter(const std::vector<ScreenWord>& words, const std::string& key) {
    std::vector<std::string> found;
    bool reading = false;
    for (const auto& word : words) {
        if (!word.quoted) {
            if (reading) break;
            reading = word.text == key;
            continue;
        }
        if (reading) found.push_back(word.text);
    }
    return found;
}

// The four numbers after "at": a frame.
Rect frameAfterAt(const std::vector<ScreenWord>& words) {
    for (std::size_t i = 0; i + 4 < words.size(); ++i)
        if (!words[i].quoted && words[i].text == "at")
            return Rect(std::atof(words[i + 1].text.c_str()), std::atof(words[i + 2].text.c_str()),
                        std::atof(words[i + 3].text.c_str()), std::atof(words[i + 4].text.c_str()));
    return Rect();
}

ShownWindow windowOf(const std::vector<ScreenWord>& words) {
    ShownWindow window;
    if (words.size() > 2 && words[2].quoted) window.title = words[2].text;
    window.frame = frameAfterAt(words);
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (!words[i].quoted && words[i].text == "level") window.level = std::atoi(words[i + 1].text.c_str());
    window.texts = quotedAfter(words, "texts");
    return window;
}

ShownNode nodeOf(const std::vector<ScreenWord>& words, int depth, const std::string& line) {
    ShownNode node;
    node.depth = depth;
    node.line = line;
    node.kind = words.front().text;
    std::size_t i = 1;
    for (; i < words.size() && words[i].quoted; ++i) node.texts.push_back(words[i].text);
    if (i < words.size() && !words[i].quoted) {
        const std::string& bare = words[i].text;
        if (bare == "on" || bare == "off" || (!bare.empty() && (std::isdigit(static_cast<unsigned char>(bare[0])) || bare[0] == '-')))
            node.value = bare;
    }
    for (; i < words.size(); ++i) {
        if (words[i].quoted) continue;
        const bool next = i + 1 < words.size() && words[i + 1].quoted;
        if (words[i].text == "id" && next) node.identifier = words[i + 1].text;
        if (words[i].text == "label" && next) node.label = words[i + 1].text;
        if (words[i].text == "disabled") node.disabled = true;
    }
    return node;
}

void addMenuRows(const std::vector<ScreenWord>& words, const std::vector<std::string>& above,
                 std::vector<ShownMenuRow>& rows) {
    bool reading = false, keyNext = false;
    for (const auto& word : words) {
        if (!word.quoted) {
            if (reading && word.text == "disabled" && !rows.empty()) rows.back().enabled = false;
            keyNext = reading && word.text == "key" && !rows.empty();
            reading = reading || word.text == "rows";
            continue;
        }
        if (!reading) continue;
        // The text after `key` is the row's key equivalent, not a row of its own.
        if (std::exchange(keyNext, false)) {
            rows.back().keyEquivalent = word.text;
            continue;
        }
        ShownMenuRow row{above, true, {}};
        row.path.push_back(word.text);
        rows.push_back(std::move(row));
    }
}

}  // namespace

std::vector<ScreenWord> screenWords(const std::string& line) {
    std::vector<ScreenWord> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        ScreenWord word;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ') word.text += line[i++];
            words.push_back(std::move(word));
            continue;
        }
        word.quoted = true;
        for (++i; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] != '\\' || i + 1 >= line.size()) {
                word.text += line[i];
                continue;
            }
            const char escaped = line[++i];
            if (escaped == 'n') word.text += '\n';
            else if (escaped == 't') word.text += '\t';
            else if (escaped == 'x' && i + 2 < line.size()) {
                word.text += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else word.text += escaped;
        }
        ++i;  // the closing quote
        words.push_back(std::move(word));
    }
    return words;
}

std::vector<std::size_t> ShownWindow::subtree(std::size_t index) const {
    std::vector<std::size_t> under;
    for (std::size_t i = index + 1; i < nodes.size() && nodes[i].depth > nodes[index].depth; ++i) under.push_back(i);
    return under;
}

std::optional<std::size_t> ShownWindow::parent(std::size_t index) const {
    for (std::size_t i = index; i-- > 0;)
        if (nodes[i].depth < nodes[index].depth) return i;
    return std::nullopt;
}

ShownScreen readScreen(const std::vector<std::string>& lines) {
    ShownScreen screen;
    ShownWindow* window = nullptr;
    for (const auto& line : lines) {
        const std::size_t indent = line.find_first_not_of(' ');
        if (indent == std::string::npos) continue;
        const auto words = screenWords(line.substr(indent));
        if (words.empty() || words.front().quoted) continue;
        const std::string& first = words.front().text;
        if (indent == 0) window = nullptr;
        if (indent == 0 && first == "window") {
            screen.windows.push_back(windowOf(words));
            window = &screen.windows.back();
        } else if (indent == 0 && first == "menu") {
            addMenuRows(words, {}, screen.menuRows);
        } else if (indent == 2 && first == "submenu" && words.size() > 1) {
            addMenuRows(words, {words[1].text}, screen.menuRows);
        } else if (indent == 0 && first == "alert" && words.size() > 1) {
            screen.alertMessage = words[1].text;
            screen.alertButtons = quotedAfter(words, "buttons");
        } else if (indent == 0 && first == "caption" && words.size() > 1) {
            screen.captions.push_back({words[1].text, frameAfterAt(words)});
        } else if (window && indent >= 2 && !(indent == 2 && first == "glass")) {
            window->nodes.push_back(nodeOf(words, static_cast<int>(indent / 2) - 1, line));
        }
    }
    return screen;
}

}  // namespace tarnwick::testkit
