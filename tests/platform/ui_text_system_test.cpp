// The text system: real faces shaped by HarfBuzz, lines broken and cut where ICU allows, one
// cache of shaped texts, and a fallback when the fonts are missing.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/line_wrapping.h"
#include "platform/ui/text_lines.h"
#include "platform/ui/text_metrics.h"
#include "platform/ui/text_segmentation.h"
#include "platform/ui/text_work.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using Strings = std::vector<std::string>;

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

Strings texts(const std::vector<ui::ShownLine>& lines) {
    Strings out;
    for (const auto& line : lines) out.push_back(line.text);
    return out;
}

std::string withoutEllipsis(std::string line) {
    for (auto at = line.find(kEllipsis); at != std::string::npos; at = line.find(kEllipsis)) line.erase(at, kEllipsis.size());
    return line;
}

std::string repeated(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

class TextSystemTest : public ::testing::Test {
protected:
    ui::SystemFontMetrics& metrics = ui::systemFontMetrics();
    const ui::Font font = ui::Font::system(13);

    double width(std::string_view text) { return metrics.lineWidth(text, font); }
    std::vector<ui::ShownLine> lines(std::string_view text, double boxWidth, ui::LineBreakMode mode, int limit = 0,
                                     bool wraps = true) {
        return ui::shownLines(metrics, text, font, ui::TextBox{boxWidth, 0, limit, wraps, mode});
    }
    // Each line as measured on its own, and within the box unless it is one cluster.
    void expectWithin(const std::vector<ui::ShownLine>& shown, double boxWidth) {
        for (const auto& line : shown) {
            EXPECT_NEAR(line.width, width(line.text), 1e-9) << line.text;
            if (metrics.shape(line.text, font).size() > 1) {
                EXPECT_LE(line.width, boxWidth * (1 + 1e-9)) << line.text;
            }
        }
    }
};

// ---- measuring

TEST_F(TextSystemTest, MeasuresGraphemeClustersInTheFaceWithItsWeightsAndFigures) {
    EXPECT_GT(width("e"), 0);
    EXPECT_DOUBLE_EQ(width("e\u0301"), width("\u00E9"));  // a combining accent sits on its letter
    EXPECT_DOUBLE_EQ(width("a\nb"), width("a b"));         // a line break measures as a space
    EXPECT_LT(width("AV"), width("A") + width("V"));       // the face's kerning applies
    EXPECT_GT(metrics.lineWidth("Work", ui::Font::system(13, ui::font_weight::kBold)), width("Work"));
    // Tabular figures make every digit as wide; proportional ones are not.
    auto tabular = font;
    tabular.monospacedDigits = true;
    EXPECT_NE(width("1"), width("0"));
    EXPECT_DOUBLE_EQ(metrics.lineWidth("1", tabular), metrics.lineWidth("0", tabular));
    // The weights the views ask for are Inter's static weights; the monospaced font is DejaVu
    // Sans Mono, which has the modifier keys' symbols, all as wide as a digit.
    EXPECT_EQ(metrics.face(font).family(), "Inter");
    EXPECT_EQ(metrics.face(ui::Font::system(13, ui::font_weight::kSemibold)).cssWeight(), 600);
    EXPECT_EQ(metrics.face(ui::Font::system(13, ui::font_weight::kHeavy)).cssWeight(), 800);
    const auto mono = ui::Font::monospacedSystem(13, ui::font_weight::kMedium);
    EXPECT_EQ(metrics.face(mono).family(), "DejaVu Sans Mono");
    const auto keys = metrics.shape("\u2303\u2325\u2318\u21E7A", mono);
    ASSERT_EQ(keys.size(), 5u);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_FALSE(keys.missingGlyph(i)) << i;
        EXPECT_DOUBLE_EQ(keys.advance(i), metrics.lineWidth("0", mono));
    }
}

TEST_F(TextSystemTest, CharactersTheFaceLacksTakeTheirEastAsianWidth) {
    // Inter has no CJK, emoji or Hebrew: wide ones one em, the others the face's average.
    EXPECT_DOUBLE_EQ(width("\u4E2D"), 13);
    EXPECT_DOUBLE_EQ(width("\U0001F44D\U0001F3FD"), 13);        // a thumb with its skin tone
    EXPECT_DOUBLE_EQ(width("\U0001F1FA\U0001F1F8"), 13);        // a flag
    const double average = 13 * metrics.face(font).averageAdvance() / metrics.face(font).unitsPerEm();
    EXPECT_DOUBLE_EQ(width("\u05E9"), average);
    // Ill-formed bytes never split a scalar: each stray byte is a cluster of its own.
    const std::string bytes = "\xC3\xA9\xFF\xE4\xB8\xAD\x80";
    const auto run = metrics.shape(bytes, font);
    ASSERT_EQ(run.size(), 4u);
    EXPECT_EQ(run.offset(1), 2u);
    EXPECT_EQ(run.offset(2), 3u);
    EXPECT_EQ(run.offset(3), 6u);
}

TEST_F(TextSystemTest, LineMetricsAndInkComeFromTheFace) {
    const auto& face = metrics.face(font);
    EXPECT_DOUBLE_EQ(metrics.defaultLineHeight(font),
                     13 * (face.ascender() + face.descender() + face.lineGap()) / face.unitsPerEm());
    EXPECT_DOUBLE_EQ(metrics.firstBaselineOffset(font), 13 * face.ascender() / face.unitsPerEm());
    EXPECT_EQ(metrics.glyphImageBounds("   ", font), Rect());
    const Rect caps = metrics.glyphImageBounds("Desktop 1", font);
    const Rect low = metrics.glyphImageBounds("ace", font);
    EXPECT_LT(caps.minY(), -0.1 * 13);  // "p" descends well below the baseline
    EXPECT_GT(low.minY(), -0.05 * 13);  // round letters only overshoot it
    EXPECT_GT(caps.maxY(), low.maxY());
    EXPECT_GT(caps.minX(), 0);
    EXPECT_LT(caps.maxX(), width("Desktop 1"));
}

// ---- wrapping and cutting

TEST_F(TextSystemTest, WrapsAtBreakOpportunitiesWithinTheWidthAndLinesNeverPassIt) {
    const auto& f = font;
    const double line = metrics.defaultLineHeight(f);
    EXPECT_EQ(texts(lines("aaaa bbbb cccc", width("aaaa bbbb"), ui::LineBreakMode::wordWrapping)),
              (Strings{"aaaa bbbb", "cccc"}));
    EXPECT_DOUBLE_EQ(metrics.fittingSize("aaaa bbbb cccc", f, width("aaaa bbbb"), 0, true).height, 2 * line);
    EXPECT_DOUBLE_EQ(metrics.fittingSize("aaaa bbbb cccc", f, width("aaaa bbbb"), 1, true).height, line);
    EXPECT_DOUBLE_EQ(metrics.fittingSize("a\nb\n", f, 100, 0, true).height, 3 * line);
    EXPECT_DOUBLE_EQ(metrics.fittingSize("", f, 100, 2, true).height, line);
    EXPECT_DOUBLE_EQ(metrics.fittingSize("aaaa bbbb", f, 1, 0, false).height, line);

    // The character that forces a break is checked too: " 中中中" in 30 points.
    const auto cjk = lines(" \u4E2D\u4E2D\u4E2D", 30, ui::LineBreakMode::wordWrapping);
    EXPECT_EQ(texts(cjk), (Strings{" \u4E2D\u4E2D", "\u4E2D"}));
    expectWithin(cjk, 30);
    EXPECT_LE(metrics.fittingSize(" \u4E2D\u4E2D\u4E2D", f, 30, 0, true).width, 30);

    // The cluster after a space is checked with the space before it: "b" fits beside "aaaa" but
    // not beside "aaaa ".
    const double beside = width("aaaa b") - width(" ") / 2;
    ASSERT_GT(beside, width("aaaa") + width("b"));
    EXPECT_EQ(texts(lines("aaaa b", beside, ui::LineBreakMode::wordWrapping)), (Strings{"aaaa", "b"}));
    EXPECT_DOUBLE_EQ(metrics.fittingSize("aaaa b", f, beside, 0, true).height, 2 * line);

    // A no-break space is no place to break: the words around it go to the next line together.
    const std::string glued = "Work\u00A0Mail and more";
    EXPECT_EQ(texts(lines(glued, width("Work\u00A0Mail an"), ui::LineBreakMode::wordWrapping)),
              (Strings{"Work\u00A0Mail", "and more"}));
    const auto tight = lines("ab Work\u00A0Mail", width("ab Work\u00A0"), ui::LineBreakMode::wordWrapping);
    EXPECT_EQ(tight.at(0).text, "ab");
    expectWithin(tight, width("ab Work\u00A0"));

    // Cut inside kerning pairs, every line is measured as drawn and stays inside.
    for (double box = 12; box < 60; box += 3.7) {
        expectWithin(lines(repeated("AVATAR To Ty", 4), box, ui::LineBreakMode::charWrapping), box);
        expectWithin(lines(repeated("AVATAR", 6), box, ui::LineBreakMode::truncatingTail, 0, false), box);
    }
}

// A box made from a text's own width with padding or a bezel added and taken off again comes
// out a rounding hair narrower than the text; the text is still measured and set on one line,
// while a box visibly narrower wraps it.
TEST_F(TextSystemTest, ATextFitsABoxMadeFromItsOwnWidthEvenWhereTheSumsRoundDown) {
    int roundedDown = 0;
    for (const double weight : {ui::font_weight::kRegular, ui::font_weight::kSemibold}) {
        for (const double size : {11.0, 12.0, 13.0}) {
            const ui::Font f = ui::Font::system(size, weight);
            const double line = metrics.defaultLineHeight(f);
            for (const char* text : {"Preview", "Reset appearance", "Check for Updates\u2026", "Identify", "Check again"}) {
                const double own = metrics.lineWidth(text, f);
                for (const double padding : {12.0, 16.0, 24.0, 28.0, 0.1 + 0.2}) {
                    const double box = (own + padding) - padding;
                    if (box < own) ++roundedDown;
                    const Size fit = metrics.fittingSize(text, f, box, 0, true);
                    EXPECT_DOUBLE_EQ(fit.height, line) << text << " " << size << " " << padding;
                    EXPECT_LE(fit.width, box) << text;
                    EXPECT_EQ(ui::shownLines(metrics, text, f, ui::TextBox{box, 0, 0, true, ui::LineBreakMode::wordWrapping}).size(),
                              1u)
                        << text;
                }
                if (std::string_view(text).find(' ') != std::string_view::npos) {
                    EXPECT_DOUBLE_EQ(metrics.fittingSize(text, f, own - 0.5, 0, true).height, 2 * line) << text;
                }
            }
        }
    }
    // The sums above do round down for some of them, or this would test nothing.
    EXPECT_GT(roundedDown, 0);
}

TEST_F(TextSystemTest, WrappingAndTruncationCutOnlyBetweenGraphemeClusters) {
    const auto modes = {ui::LineBreakMode::charWrapping, ui::LineBreakMode::truncatingTail,
                        ui::LineBreakMode::truncatingHead, ui::LineBreakMode::truncatingMiddle};
    const auto eachLine = [&](const std::string& text, const auto& check) {
        for (double box = 20; box < 120; box += 7)
            for (const auto mode : modes) {
                const bool wraps = mode == ui::LineBreakMode::charWrapping;
                for (const auto& line : lines(text, box, mode, 0, wraps)) check(withoutEllipsis(line.text));
            }
    };
    // Flags: never a lone regional indicator.
    const std::string us = "\U0001F1FA\U0001F1F8", gb = "\U0001F1EC\U0001F1E7";
    eachLine("x" + repeated(us + gb, 30), [&](std::string line) {
        if (!line.empty() && line[0] == 'x') line.erase(0, 1);
        ASSERT_EQ(line.size() % 8, 0u) << line;
        for (std::size_t at = 0; at < line.size(); at += 8) {
            const auto flag = line.substr(at, 8);
            EXPECT_TRUE(flag == us || flag == gb) << line;
        }
    });
    // A skin tone stays with its hand.
    const std::string thumb = "\U0001F44D", tone = "\U0001F3FD";
    eachLine("ab" + repeated(thumb + tone, 12), [&](const std::string& line) {
        std::size_t thumbs = 0, tones = 0;
        for (auto at = line.find(thumb); at != std::string::npos; at = line.find(thumb, at + 1)) ++thumbs;
        for (auto at = line.find(tone); at != std::string::npos; at = line.find(tone, at + 1)) ++tones;
        EXPECT_EQ(thumbs, tones) << line;
    });
    // A family joined by U+200D is never parted at its joiners.
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    eachLine(repeated(family, 10), [&](const std::string& line) { EXPECT_EQ(line.size() % family.size(), 0u) << line; });
    // A combining accent stays on its letter, and jamo Hangul keeps its final consonant.
    eachLine(repeated("e\u0301", 20), [&](const std::string& line) { EXPECT_EQ(line.size() % 3, 0u) << line; });
    const std::string gak = "\u1100\u1161\u11A8";
    eachLine(repeated(gak, 12), [&](const std::string& line) { EXPECT_EQ(line.size() % gak.size(), 0u) << line; });
    // The accent is not put on "…".
    const auto accents = lines(repeated("e\u0301", 20), width("e\u0301e\u0301e\u0301") + width(kEllipsis),
                               ui::LineBreakMode::truncatingTail, 0, false);
    EXPECT_EQ(accents.at(0).text, repeated("e\u0301", 3) + std::string(kEllipsis));
}

// Texts of several bytes a character break between characters, never inside one: each line is
// whole UTF-8 within the width, and fittingSize breaks them the same way.
TEST_F(TextSystemTest, MultiByteTextWrapsBetweenCharactersWithinTheWidth) {
    const auto wholeUtf8 = [](const std::string& text) {
        std::size_t i = 0;
        while (i < text.size()) {
            const auto lead = static_cast<unsigned char>(text[i]);
            const std::size_t length =
                lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
            if (length == 0 || i + length > text.size()) return false;
            for (std::size_t k = 1; k < length; ++k)
                if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
            i += length;
        }
        return true;
    };
    const auto wrapped = [&](const std::string& text, double box) {
        const auto shown = lines(text, box, ui::LineBreakMode::clipping);
        for (const auto& line : shown) EXPECT_TRUE(wholeUtf8(line.text)) << text;
        expectWithin(shown, box);
        EXPECT_DOUBLE_EQ(metrics.fittingSize(text, font, box, 0, true).height,
                         static_cast<double>(shown.size()) * metrics.defaultLineHeight(font))
            << text;
        return texts(shown);
    };
    // Accented words break at the space; a word wider than the line breaks between characters.
    EXPECT_EQ(wrapped("Größe Straße", std::max(width("Größe"), width("Straße"))), (Strings{"Größe", "Straße"}));
    EXPECT_EQ(wrapped("日本語のテキスト", width("日本語")), (Strings{"日本語", "のテキ", "スト"}));
    EXPECT_EQ(wrapped("😀😀😀😀😀", width("😀😀")), (Strings{"😀😀", "😀😀", "😀"}));
    const std::string marked = "e\u0301";
    EXPECT_EQ(wrapped(repeated(marked, 4), width(repeated(marked, 3))), (Strings{repeated(marked, 3), marked}));
}

// A mark on a space makes one cluster with it that is seen: it never hangs past the line's end,
// unseen, as white space alone does.
TEST_F(TextSystemTest, AMarkOnASpaceIsKeptWhereSpacesHang) {
    const std::string marked = "\u0627 \u094D";  // alef, then a space carrying a virama
    const auto wrapped = lines(marked, width("\u0627"), ui::LineBreakMode::clipping);
    std::string joined;
    for (const auto& line : wrapped) joined += line.text;
    EXPECT_NE(joined.find("\u094D"), std::string::npos);
    const auto spaces = lines("ab   ", width("ab"), ui::LineBreakMode::clipping);
    ASSERT_EQ(spaces.size(), 1u);
    EXPECT_EQ(spaces[0].text, "ab");
}

TEST_F(TextSystemTest, ATextCutByItsLimitEndsWithAnEllipsisAndKeepsItsParagraphsApart) {
    const double box = width("Personal and more");
    // The rest would fit on the last line, but the text was cut: "…" shows.
    EXPECT_EQ(texts(lines("Work\nPersonal", box, ui::LineBreakMode::truncatingTail, 1)),
              Strings{"Work" + std::string(kEllipsis)});
    EXPECT_EQ(texts(ui::shownLines(metrics, "Work\nPersonal\nHome", font,
                                   ui::TextBox{box, 2.5 * metrics.defaultLineHeight(font), 0, true,
                                               ui::LineBreakMode::truncatingTail})),
              (Strings{"Work", "Personal" + std::string(kEllipsis)}));
    // The last line holds the rest of its own paragraph, cut short to the width: as much of it as
    // fits with "…".
    const std::string paragraph = "aaaa bbbb cccc dddd";
    const double narrow = width("aaaa bbbb");
    const auto cut = lines(paragraph + "\nnext", narrow, ui::LineBreakMode::truncatingTail, 1);
    ASSERT_EQ(cut.size(), 1u);
    const std::string kept = withoutEllipsis(cut[0].text);
    EXPECT_EQ(cut[0].text, kept + std::string(kEllipsis));
    EXPECT_EQ(paragraph.rfind(kept, 0), 0u) << cut[0].text;
    EXPECT_GT(kept.size(), std::string("aaaa").size());
    EXPECT_GT(width(paragraph.substr(0, kept.size() + 1) + std::string(kEllipsis)), narrow);
    expectWithin(cut, narrow);
    // Cut by the limit with room to spare, each mode keeps every cluster of the line once.
    EXPECT_EQ(texts(lines("abc\nd", 500, ui::LineBreakMode::truncatingTail, 1)), Strings{"abc" + std::string(kEllipsis)});
    EXPECT_EQ(texts(lines("abc\nd", 500, ui::LineBreakMode::truncatingHead, 1)), Strings{std::string(kEllipsis) + "abc"});
    EXPECT_EQ(texts(lines("abc\nd", 500, ui::LineBreakMode::truncatingMiddle, 1)),
              Strings{"ab" + std::string(kEllipsis) + "c"});
    EXPECT_EQ(texts(lines("abcd\ne", 500, ui::LineBreakMode::truncatingMiddle, 1)),
              Strings{"ab" + std::string(kEllipsis) + "cd"});
    // Clipped, the lines stay as laid out.
    EXPECT_EQ(texts(lines("Work\nPersonal", box, ui::LineBreakMode::clipping, 1)), Strings{"Work"});
    // One line: head, middle or tail gives way; no room even for "…" shows nothing.
    const double seven = width("Desktop\nnum");
    EXPECT_EQ(texts(lines("Desktop\nnumber 12", seven, ui::LineBreakMode::clipping, 1, false)),
              Strings{"Desktop number 12"});
    for (const auto mode : {ui::LineBreakMode::truncatingTail, ui::LineBreakMode::truncatingHead,
                            ui::LineBreakMode::truncatingMiddle}) {
        const auto shown = lines("Desktop\nnumber 12", seven, mode, 1, false);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0].text.find(kEllipsis), std::string::npos);
        expectWithin(shown, seven);
    }
    // Where not even "…" fits, "…" alone says the text was cut, to be clipped where it is drawn.
    EXPECT_EQ(texts(lines("abc", width(kEllipsis) / 2, ui::LineBreakMode::truncatingTail, 1, false)),
              Strings{std::string(kEllipsis)});
    EXPECT_TRUE(lines("", 100, ui::LineBreakMode::truncatingTail).empty());
}

TEST_F(TextSystemTest, EachLineKnowsItsParagraphsDirection) {
    const std::string hebrew = "\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD";
    const auto shown = lines("Desktop\n" + hebrew, 500, ui::LineBreakMode::wordWrapping);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_FALSE(shown[0].rightToLeft);
    EXPECT_TRUE(shown[1].rightToLeft);
    // A right-to-left name that starts with digits is still right to left; "…" at its logical end.
    const auto cut = lines("12 " + hebrew, width("12 \u05E9\u05DC"), ui::LineBreakMode::truncatingTail, 1, false);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_TRUE(cut[0].rightToLeft);
    EXPECT_EQ(cut[0].text.substr(cut[0].text.size() - kEllipsis.size()), kEllipsis);

    // The first strong character outside isolates decides; a mark alone decides too; a paragraph
    // with no strong character runs left to right.
    const auto directions = [&](const std::string& text) {
        std::vector<bool> rtl;
        for (const auto& shownLine : lines(text, 2000, ui::LineBreakMode::wordWrapping)) rtl.push_back(shownLine.rightToLeft);
        return rtl;
    };
    EXPECT_EQ(directions("\u2066Desk\u2069 " + hebrew), std::vector<bool>{true});   // an isolated run is skipped
    EXPECT_EQ(directions("\u2067" + hebrew + "\u2069 Desk"), std::vector<bool>{false});
    EXPECT_EQ(directions("\u200F12 Desk"), std::vector<bool>{true});                 // a right-to-left mark
    EXPECT_EQ(directions("12 \u0661\u0662"), std::vector<bool>{false});              // Arabic digits are weak
    EXPECT_EQ(directions("\u0627\u0644\u0639 1\u2029Desk\u2029\u2029" + hebrew),
              (std::vector<bool>{true, false, false, true}));                         // Arabic, then paragraphs

    // A character past the Basic Multilingual Plane is two units for the bidi and one scalar of
    // four bytes here: the paragraph after it still turns right to left where it begins.
    const std::string emojiThenHebrew = "\U0001F600\n\u05E9\u05DC\u05D5\u05DD";
    const std::string emojiThenArabic = "a\U0001F600b\n\u0645\u0631\u062D\u0628\u0627";
    EXPECT_EQ(directions(emojiThenHebrew), (std::vector<bool>{false, true}));
    EXPECT_EQ(directions(emojiThenArabic), (std::vector<bool>{false, true}));
    for (const auto& text : {emojiThenHebrew, emojiThenArabic}) {
        const std::size_t secondParagraph = text.find('\n') + 1;
        for (const auto& cluster : ui::segmentText(text))
            EXPECT_EQ(cluster.rightToLeft, cluster.from >= secondParagraph) << text << " at byte " << cluster.from;
    }
}

// ---- the cache, threads, and missing fonts

TEST_F(TextSystemTest, SettingATextCostsInProportionToItsLength) {
    // Shaping, wrapping at every cluster and measuring a text ten times as long goes over about
    // ten times as much (far more if any step went over the text again for each character or
    // each line), as the text system counts its own work; texts not shaped before, so the cache
    // does not decide.
    const auto workOf = [&](int characters) {
        std::string name = std::to_string(characters) + "-work";
        for (int i = 0; i < characters; ++i) name += (i % 7 == 0) ? "\u00E9 " : "w";
        const auto before = ui::textWorkOnThisThread();
        metrics.lineWidth(name, font);
        metrics.fittingSize(name, font, 1, 0, true);
        metrics.fittingSize(name, font, 200, 0, true);
        ui::shownLines(metrics, name, font, ui::TextBox{300, 0, 3, true, ui::LineBreakMode::truncatingMiddle});
        const auto after = ui::textWorkOnThisThread();
        EXPECT_GT(after.clustersWrapped, before.clustersWrapped);
        EXPECT_GT(after.bytesShaped, before.bytesShaped);
        return static_cast<double>(after.total() - before.total());
    };
    const double small = workOf(2000), large = workOf(20000);
    EXPECT_GT(large, 8 * small);
    EXPECT_LT(large, 13 * small);
}

TEST_F(TextSystemTest, ALayoutPassShapesEachTextOnceAndTheCacheStaysWithinItsBound) {
    ui::SystemFontMetrics own(ui::FontFaces::shared(), 64 * 1024);
    const std::string text = "Desktop names and their windows";
    own.lineWidth(text, font);
    const double widestWord = own.lineWidth("windows", font);
    const auto entries = own.cache().entries();
    // Broken only between words, at every width.
    for (double box = widestWord + 1; box < 200; box += 10) {
        own.fittingSize(text, font, box, 0, true);
        ui::shownLines(own, text, font, ui::TextBox{box, 0, 0, true, ui::LineBreakMode::wordWrapping});
    }
    own.lineWidth(text, ui::Font::system(20));  // shaped once for every size
    own.glyphImageBounds(text, font);
    EXPECT_EQ(own.cache().entries(), entries);
    // Cutting a text short tries candidate lines: they are measured, not kept.
    own.lineWidth(kEllipsis, font);
    const auto beforeCuts = own.cache().entries();
    for (double box = 30; box < 200; box += 7) {
        for (const auto mode : {ui::LineBreakMode::truncatingHead, ui::LineBreakMode::truncatingMiddle,
                                ui::LineBreakMode::truncatingTail})
            ui::shownLines(own, text, font, ui::TextBox{box, 0, 1, false, mode});
    }
    EXPECT_EQ(own.cache().entries(), beforeCuts);
    for (int i = 0; i < 5000; ++i) own.lineWidth("Desktop " + std::to_string(i), font);
    EXPECT_LE(own.cache().memoryBytes(), 64u * 1024);
    EXPECT_GT(own.cache().entries(), 10u);
    // A text too large for the cache is measured all the same.
    EXPECT_GT(own.lineWidth(repeated("word ", 20000), font), 0);
}

TEST_F(TextSystemTest, ThreadsMeasureTogetherAndAgree) {
    const std::vector<std::string> names{"Desktop 1", "Mail and Calendar", "\u4E2D\u6587", "AVATAR", "e\u0301t\u00E9"};
    std::vector<double> expected;
    for (const auto& name : names) expected.push_back(metrics.fittingSize(name, font, 40, 0, true).height);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            ui::SystemFontMetrics& shared = ui::systemFontMetrics();
            for (int round = 0; round < 200; ++round)
                for (std::size_t i = 0; i < names.size(); ++i) {
                    const std::string text = names[i] + (round % 2 ? "" : " " + std::to_string(round));
                    const double height = shared.fittingSize(names[i], font, 40, 0, true).height;
                    shared.lineWidth(text, ui::Font::system(11 + t));
                    if (height != expected[i]) ++mismatches[static_cast<std::size_t>(t)];
                }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(MissingFontsTest, AreReportedOnceNamingThePackageAndMeasuringGoesOn) {
    testkit::TempFolder empty;
    std::ostringstream report;
    const ui::FontFaces faces(empty.path(), report);
    EXPECT_FALSE(faces.complete());
    const std::string said = report.str();
    EXPECT_NE(said.find("fonts-inter"), std::string::npos) << said;
    EXPECT_NE(said.find("fonts-dejavu-core"), std::string::npos) << said;
    EXPECT_NE(said.find((empty.path() / "opentype/inter/Inter-Regular.otf").string()), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2);  // one sentence per package

    ui::SystemFontMetrics fallback(faces);
    const auto font = ui::Font::system(10);
    EXPECT_DOUBLE_EQ(fallback.lineWidth("\u4E2D", font), 10);  // wide: one em
    const double narrow = fallback.lineWidth("a", font);
    EXPECT_GT(narrow, 0);
    EXPECT_LT(narrow, 10);
    EXPECT_DOUBLE_EQ(fallback.lineWidth("e\u0301", font), narrow);  // one cluster
    EXPECT_GT(fallback.defaultLineHeight(font), fallback.firstBaselineOffset(font));
    const auto shown =
        ui::shownLines(fallback, "aaaa bbbb", font, ui::TextBox{5 * narrow, 0, 0, true, ui::LineBreakMode::wordWrapping});
    EXPECT_EQ(texts(shown), (Strings{"aaaa", "bbbb"}));
    EXPECT_FALSE(fallback.glyphImageBounds("a", font).isEmpty());
}

TEST(MissingFontsTest, AFontFileThatIsNotAFontIsReportedAtItsFirstUseAndMeasuredWithTheFallback) {
    testkit::TempFolder fonts;
    std::filesystem::create_directories(fonts.path() / "opentype/inter");
    std::ofstream(fonts.path() / "opentype/inter/Inter-Regular.otf") << "not a font";
    std::ostringstream report;
    const ui::FontFaces faces(fonts.path(), report);
    const auto before = report.str();
    EXPECT_EQ(before.find("Inter-Regular.otf"), std::string::npos);  // it is there
    ui::SystemFontMetrics metrics(faces);
    const auto font = ui::Font::system(10);
    EXPECT_DOUBLE_EQ(metrics.lineWidth("\u4E2D", font), 10);
    EXPECT_GT(metrics.lineWidth("Work", font), 0);
    metrics.lineWidth("Home", font);
    const std::string after = report.str().substr(before.size());
    EXPECT_NE(after.find("Inter-Regular.otf cannot be read"), std::string::npos) << after;
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 1);
}

}  // namespace
}  // namespace tarnwick
