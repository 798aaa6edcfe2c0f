#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/geometry.h"

namespace tarnwick::testkit {

// Reading the console's `screen` lines as a person reads them: the windows with their texts and
// view trees, the open menu with its rows, the open alert with its buttons, Mission Control's
// captions.

// One word of a screen line: a quoted text (unescaped) or a bare word.
struct ScreenWord {
    std::string text;
    bool quoted = false;
};
std::vector<ScreenWord> screenWords(const std::string& line);

// A node of a declarative window's view tree, as its line lists it.
struct ShownNode {
    int depth = 0;                   // 0 for the tree's roots
    std::string kind;                // "button", "toggle", "stack", ...
    std::vector<std::string> texts;  // the quoted texts right after the kind
    std::optional<std::string> identifier;
    std::optional<std::string> label;
    std::optional<std::string> value;  // a bare word after the texts: "on", "off", a number
    bool disabled = false;
    std::string line;
};

struct ShownWindow {
    std::string title;
    Rect frame;  // global points, y down
    int level = 0;
    std::vector<std::string> texts;
    std::vector<ShownNode> nodes;  // in tree order
    // The nodes under `nodes[index]`, as indices, and the node it lies under.
    std::vector<std::size_t> subtree(std::size_t index) const;
    std::optional<std::size_t> parent(std::size_t index) const;
};

struct ShownMenuRow {
    std::vector<std::string> path;  // the submenu's title first for a submenu's row
    bool enabled = true;
    std::string keyEquivalent;  // as the menu shows it ("⌘Q"); empty: none
};

struct ShownCaption {
    std::string title;
    Rect frame;  // global points, y down
};

struct ShownScreen {
    std::vector<ShownWindow> windows;
    std::vector<ShownMenuRow> menuRows;  // empty while no menu is open
    std::optional<std::string> alertMessage;
    std::vector<std::string> alertButtons;
    std::vector<ShownCaption> captions;
};

// Reads the lines of one `screen` (its answer may be among them).
ShownScreen readScreen(const std::vector<std::string>& lines);

}  // namespace tarnwick::testkit
