// Setting a text in a box: whatever the text, the box, the font and the mode, the lines that show
// are valid UTF-8; each fits the box's width unless it is a single grapheme cluster; each is made
// of whole grapheme clusters of the text (the "…" of a truncating mode aside); and a truncating
// mode shows "…" wherever something of the text was cut. ICU judges clusters and what shows,
// apart from the program's own text system.

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_support.h"
#include "platform/ui/text_lines.h"
#include "testkit/test_environment.h"

using namespace tarnwick;
namespace ui = platform::ui;

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";
// How far past the box's width a line may measure: rounding of advances, not a character.
constexpr double kWidthTolerance = 0.01;

struct Setting {
    ui::Font font;
    ui::TextBox box;
    std::string text;
};

// The first bytes choose the box, the mode and the font; the rest is the text.
Setting settingOf(const std::uint8_t* data, std::size_t size) {
    static constexpr double kWeights[] = {ui::font_weight::kUltraLight, ui::font_weight::kThin,
                                          ui::font_weight::kLight,      ui::font_weight::kRegular,
                                          ui::font_weight::kMedium,     ui::font_weight::kSemibold,
                                          ui::font_weight::kBold,       ui::font_weight::kHeavy,
                                          ui::font_weight::kBlack};
    static constexpr ui::LineBreakMode kModes[] = {
        ui::LineBreakMode::wordWrapping,   ui::LineBreakMode::charWrapping,   ui::LineBreakMode::clipping,
        ui::LineBreakMode::truncatingHead, ui::LineBreakMode::truncatingTail, ui::LineBreakMode::truncatingMiddle};
    fuzz::InputReader input(data, size);
    Setting setting;
    const double points = input.byte();
    setting.box.width = points + input.byte() / 256.0;
    setting.box.height = input.byte() * 0.75;  // 0: no limit
    setting.box.maximumLines = input.byte() % 5;
    const std::uint8_t flags = input.byte();
    setting.box.wraps = (flags & 1) != 0;
    setting.font.monospaced = (flags & 2) != 0;
    setting.box.lineBreakMode = kModes[(flags >> 2) % std::size(kModes)];
    setting.font.size = 4 + input.byte() % 40;
    setting.font.weight = kWeights[input.byte() % std::size(kWeights)];
    setting.text = fuzz::utf8ish(input.rest());
    return setting;
}

bool truncates(ui::LineBreakMode mode) {
    return mode == ui::LineBreakMode::truncatingHead || mode == ui::LineBreakMode::truncatingMiddle ||
           mode == ui::LineBreakMode::truncatingTail;
}

template <typename Visit>
bool eachScalar(std::string_view text, const Visit& visit) {
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(text.data(), i, length, c);
        if (c < 0) return false;
        visit(c);
    }
    return true;
}

bool validUtf8(std::string_view text) {
    return eachScalar(text, [](UChar32) {});
}

// What a line setter may leave out without cutting the text: spaces, line breaks and characters
// that show nothing.
bool showsNothing(UChar32 c) {
    return u_hasBinaryProperty(c, UCHAR_WHITE_SPACE) || u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT) ||
           u_charType(c) == U_CONTROL_CHAR;
}

std::size_t visibleCount(std::string_view text) {
    std::size_t count = 0;
    eachScalar(text, [&](UChar32 c) { count += showsNothing(c) ? 0 : 1; });
    return count;
}

// Whether each byte offset of the text (and its end) lies between grapheme clusters.
std::vector<bool> clusterBoundaries(std::string_view text) {
    static UBreakIterator* const characters = [] {
        UErrorCode status = U_ZERO_ERROR;
        UBreakIterator* iterator = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
        fuzz::require(U_SUCCESS(status), "ICU's grapheme cluster iterator opens");
        return iterator;
    }();
    std::vector<bool> boundaries(text.size() + 1, false);
    UText source = UTEXT_INITIALIZER;
    UErrorCode status = U_ZERO_ERROR;
    utext_openUTF8(&source, text.data(), static_cast<std::int64_t>(text.size()), &status);
    ubrk_setUText(characters, &source, &status);
    fuzz::require(U_SUCCESS(status), "ICU reads the text");
    for (std::int32_t at = ubrk_first(characters); at != UBRK_DONE; at = ubrk_next(characters))
        boundaries[static_cast<std::size_t>(at)] = true;
    utext_close(&source);
    return boundaries;
}

// The grapheme clusters of the text that show something.
std::size_t visibleClusterCount(std::string_view text) {
    const auto boundaries = clusterBoundaries(text);
    std::size_t count = 0;
    for (std::size_t from = 0, to = 1; to <= text.size(); ++to) {
        if (!boundaries[to]) continue;
        count += visibleCount(text.substr(from, to - from)) > 0 ? 1 : 0;
        from = to;
    }
    return count;
}

// The length of the line break at the offset (0 where there is none).
std::size_t lineBreakLength(std::string_view text, std::size_t at) {
    for (std::string_view lineBreak : {"\r\n", "\n", "\r", "\v", "\f", "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"})
        if (text.substr(at, lineBreak.size()) == lineBreak) return lineBreak.size();
    return 0;
}

// Where the piece ends when it is read from the text at `from`, a line break of the text reading
// as a space when `crlfSpaces` is more than 0 (a "\r\n" as that many spaces); npos where it does
// not read so.
std::size_t readsTo(std::string_view text, std::size_t from, std::string_view piece, std::size_t crlfSpaces) {
    std::size_t i = from;
    for (std::size_t j = 0; j < piece.size();) {
        const std::size_t lineBreak = crlfSpaces > 0 ? lineBreakLength(text, i) : 0;
        const std::size_t spaces = lineBreak == 2 && text[i] == '\r' ? crlfSpaces : 1;
        if (lineBreak > 0 && piece.substr(j, spaces) == std::string(spaces, ' ')) {
            i += lineBreak;
            j += spaces;
        } else if (i < text.size() && text[i] == piece[j]) {
            ++i;
            ++j;
        } else {
            return std::string_view::npos;
        }
    }
    return i;
}

// The end of the first place at or after `from` where the piece reads in the text, beginning and
// ending between grapheme clusters; nothing where it reads nowhere so.
std::optional<std::size_t> wholeClustersAt(std::string_view text, const std::vector<bool>& boundaries,
                                           std::size_t from, std::string_view piece, bool breaksAsSpaces) {
    if (piece.empty()) return from;
    const std::vector<std::size_t> crlfReadings = breaksAsSpaces ? std::vector<std::size_t>{2, 1} : std::vector<std::size_t>{0};
    for (std::size_t start = from; start < text.size(); ++start) {
        if (!boundaries[start]) continue;
        for (std::size_t crlfSpaces : crlfReadings) {
            const std::size_t end = readsTo(text, start, piece, crlfSpaces);
            if (end != std::string_view::npos && boundaries[end]) return end;
        }
    }
    return std::nullopt;
}

// One way to read the last line: the pieces of the text it shows, and whether a "…" of the
// setter's stood between them.
struct Reading {
    std::vector<std::string_view> pieces;
    bool ellipsis = false;
};

// The last line as it is, and, in a truncating mode, with a "…" taken away where the mode puts
// it (the text may hold "…" of its own).
std::vector<Reading> readingsOf(std::string_view line, ui::LineBreakMode mode) {
    std::vector<Reading> readings{Reading{{line}, false}};
    if (mode == ui::LineBreakMode::truncatingTail && line.ends_with(kEllipsis))
        readings.push_back(Reading{{line.substr(0, line.size() - kEllipsis.size())}, true});
    if (mode == ui::LineBreakMode::truncatingHead && line.starts_with(kEllipsis))
        readings.push_back(Reading{{line.substr(kEllipsis.size())}, true});
    if (mode == ui::LineBreakMode::truncatingMiddle)
        for (std::size_t at = line.find(kEllipsis); at != std::string_view::npos; at = line.find(kEllipsis, at + 1))
            readings.push_back(Reading{{line.substr(0, at), line.substr(at + kEllipsis.size())}, true});
    return readings;
}

// Each check answers the promise the lines break, or nothing when they keep them all.
using Broken = std::optional<std::string>;

Broken countsBroken(ui::TextMetrics& metrics, const Setting& setting, const std::vector<ui::ShownLine>& lines) {
    if (setting.text.empty() && !lines.empty()) return "an empty text shows no lines";
    if (!setting.box.wraps && lines.size() > 1) return "a text that does not wrap shows one line";
    if (setting.box.wraps && setting.box.maximumLines > 0 && lines.size() > static_cast<std::size_t>(setting.box.maximumLines))
        return "the line limit holds";
    const double lineHeight = metrics.defaultLineHeight(setting.font);
    if (setting.box.height > 0 && lineHeight > 0 &&
        static_cast<double>(lines.size()) > std::max(1.0, std::floor(setting.box.height / lineHeight + 0.05)))
        return "no more lines show than fit the height";
    return std::nullopt;
}

Broken linesBroken(const Setting& setting, const std::vector<ui::ShownLine>& lines) {
    const bool fitsWidth = setting.box.wraps || truncates(setting.box.lineBreakMode);
    for (const auto& line : lines) {
        if (!validUtf8(line.text)) return "every line is valid UTF-8";
        if (!std::isfinite(line.width) || line.width < 0) return "every line has a width";
        if (fitsWidth && line.width > setting.box.width + kWidthTolerance && visibleClusterCount(line.text) > 1)
            return "every line fits the box's width, or is one grapheme cluster";
    }
    return std::nullopt;
}

// Whether the lines read, in order, as whole grapheme clusters of the text, and whether a "…"
// marks the last one wherever something that shows was cut. On one line, the text's line breaks
// may read as spaces; a wrapped text's lines hold none of them.
Broken clustersBroken(ui::TextMetrics& metrics, const Setting& setting, const std::vector<ui::ShownLine>& lines,
                      bool breaksAsSpaces) {
    if (lines.empty()) return std::nullopt;
    const std::string& text = setting.text;
    const auto boundaries = clusterBoundaries(text);
    const auto find = [&](std::size_t from, std::string_view piece) {
        return wholeClustersAt(text, boundaries, from, piece, breaksAsSpaces);
    };
    std::size_t cursor = 0;
    std::size_t shown = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const auto end = find(cursor, lines[i].text);
        if (!end) return "every line is made of whole grapheme clusters of the text";
        cursor = *end;
        shown += visibleCount(lines[i].text);
    }
    const bool needsEllipsis = truncates(setting.box.lineBreakMode) &&
                               setting.box.width + kWidthTolerance >= metrics.lineWidth(kEllipsis, setting.font);
    const std::size_t total = visibleCount(text);
    bool whole = false, marked = false;
    for (const auto& reading : readingsOf(lines.back().text, setting.box.lineBreakMode)) {
        std::optional<std::size_t> end = cursor;
        std::size_t visible = shown;
        for (const auto piece : reading.pieces) {
            if (end) end = find(*end, piece);
            visible += visibleCount(piece);
        }
        if (!end) continue;
        whole = true;
        marked = marked || visible >= total || reading.ellipsis || !needsEllipsis;
    }
    if (!whole) return "every line is made of whole grapheme clusters of the text";
    if (!marked) return "a truncating mode shows \"…\" where the text was cut";
    return std::nullopt;
}

Broken brokenPromise(ui::TextMetrics& metrics, const Setting& setting, const std::vector<ui::ShownLine>& lines) {
    if (auto broken = countsBroken(metrics, setting, lines)) return broken;
    if (auto broken = linesBroken(setting, lines)) return broken;
    if (auto broken = clustersBroken(metrics, setting, lines, true)) return broken;
    // A wrapped text whose lines read only with its line breaks as spaces ran paragraphs together.
    if (setting.box.wraps && clustersBroken(metrics, setting, lines, false))
        return "the lines of a wrapped text keep its paragraphs apart";
    return std::nullopt;
}

// The text with what does not show written out as code points, so that the report shows it.
std::string printable(std::string_view text) {
    std::string shown;
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        const std::int32_t from = i;
        UChar32 c;
        U8_NEXT(text.data(), i, length, c);
        if (c >= 0 && c != '"' && c != '\\' && (c == ' ' || !showsNothing(c))) {
            shown.append(text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(i - from)));
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u{%X}", static_cast<unsigned>(c));
            shown += escaped;
        }
    }
    return shown;
}

// The setting and the lines, for the report of a broken promise.
void describe(const Setting& setting, const std::vector<ui::ShownLine>& lines) {
    static constexpr const char* kModeNames[] = {"word wrapping",   "char wrapping",   "clipping",
                                                 "truncating head", "truncating tail", "truncating middle"};
    std::fprintf(stderr, "box %.3f x %.2f, %d lines, %s, %s; font %.0f pt, weight %.2f%s\ntext \"%s\"\n",
                 setting.box.width, setting.box.height, setting.box.maximumLines, setting.box.wraps ? "wraps" : "one line",
                 kModeNames[static_cast<int>(setting.box.lineBreakMode)], setting.font.size, setting.font.weight,
                 setting.font.monospaced ? ", monospaced" : "", printable(setting.text).c_str());
    for (const auto& line : lines) std::fprintf(stderr, "line \"%s\" %.3f wide\n", printable(line.text).c_str(), line.width);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::preferMemoryForTemporaryFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The installed platform's text metrics, as the program's views measure with them.
    static testkit::TestEnvironment environment;
    ui::TextMetrics& metrics = ui::textMetrics();
    const Setting setting = settingOf(data, size);
    const auto lines = ui::shownLines(metrics, setting.text, setting.font, setting.box);
    if (const auto broken = brokenPromise(metrics, setting, lines)) {
        describe(setting, lines);
        fuzz::require(false, broken->c_str());
    }
    return 0;
}
