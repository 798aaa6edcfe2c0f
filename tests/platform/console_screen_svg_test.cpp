// `screen svg`: the simulated screen as a picture that parses as XML, with every display, caption,
// window and text where it is on screen, the same bytes for the same screen, written whole or not
// at all.

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "platform/file_url.h"
#include "platform/platform.h"
#include "platform/sim/console/picture_views.h"
#include "platform/sim/console/screen_svg.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/image_view.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_label.h"
#include "platform/ui/text_metrics.h"
#include "testkit/console_driver.h"
#include "testkit/temp_folder.h"
#include "testkit/test_environment.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using Lines = std::vector<std::string>;

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ConsoleScreenSvgTest : public ::testing::Test {
protected:
    ConsoleScreenSvgTest() {
        env.session.loadDefaultSession();
        console = std::make_unique<testkit::ConsoleDriver>(env.session);
    }
    // Draws the screen and parses the picture.
    testkit::XmlElement picture(const std::string& name = "screen.svg") {
        const auto file = folder / name;
        EXPECT_EQ(console->type("screen svg " + file.string()).back(), "ok");
        std::string problem;
        auto root = testkit::parseXml(contents(file), &problem);
        EXPECT_TRUE(root) << problem;
        return root ? *root : testkit::XmlElement{};
    }

    testkit::TestEnvironment env;
    std::unique_ptr<testkit::ConsoleDriver> console;
    testkit::TempFolder folder;
};

TEST_F(ConsoleScreenSvgTest, DisplaysCaptionsAndWindowsStandWhereTheyAreAndTextStaysText) {
    const std::string awkward = "<b>&\"' </svg>";
    console->type("display add 3 4072 0 1920 1080 \"" + std::string("<b>&\\\"' </svg>") + "\" 2");
    console->type("mission-control open");
    // A window of ours over the built-in display, titled and showing the same awkward text.
    ui::Panel panel(Rect(100, 682, 300, 100), ui::style_mask::kTitled);
    panel.setTitle(awkward);
    panel.setAlphaValue(0.5);
    panel.contentView()->addSubview(std::make_shared<ui::TextLabel>(awkward, Rect(10, 20, 200, 24)));
    // A label that clips what does not fit (the default) rather than truncating it.
    panel.contentView()->addSubview(std::make_shared<ui::TextLabel>("Clipped, not cut short", Rect(10, 60, 40, 16)));
    panel.orderFrontRegardless();

    const testkit::XmlElement svg = picture();
    EXPECT_EQ(svg.name, "svg");
    // The view box is the union of the displays, in global points (y down).
    EXPECT_EQ(svg.value("viewBox"), "0 -200 5992 1440");
    const auto displays = svg.all("rect", "display-frame");
    ASSERT_EQ(displays.size(), 3u);
    EXPECT_EQ(displays[2]->number("x"), 4072);
    EXPECT_EQ(displays[2]->number("y"), 0);
    EXPECT_EQ(displays[2]->number("width"), 1920);
    EXPECT_EQ(displays[1]->number("y"), -200);
    EXPECT_EQ(svg.all("text", "display-name")[2]->text, awkward);

    // Every desktop's caption while Mission Control is open (a full-screen app's too).
    const auto captions = svg.all("text", "caption");
    ASSERT_EQ(captions.size(), 9u);
    EXPECT_EQ(captions[0]->text, "Desktop 1");

    // The panel: its frame flipped into global points, its alpha, its title and label as text.
    const auto windows = svg.all("g", "window");
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(*windows[0]->attribute("opacity"), "0.5");
    const auto frame = windows[0]->all("rect", "window-frame");
    EXPECT_EQ(frame[0]->number("x"), 100);
    EXPECT_EQ(frame[0]->number("y"), 200);
    EXPECT_EQ(windows[0]->all("text", "window-title")[0]->text, awkward);
    const auto texts = windows[0]->all("text", "text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->text, awkward);
    // The clipping label's whole line, clipped to the label's frame (global: y flipped).
    EXPECT_EQ(texts[1]->text, "Clipped, not cut short");
    const auto regions = windows[0]->all("clipPath");
    EXPECT_TRUE(std::any_of(regions.begin(), regions.end(), [](const auto* region) {
        const auto* r = region->all("rect").at(0);
        return r->number("x") == 110 && r->number("y") == 224 && r->number("width") == 40 && r->number("height") == 16;
    }));
    // The label's text lies inside the panel.
    EXPECT_GE(texts[0]->number("x"), 100);
    EXPECT_LE(texts[0]->number("y"), 300);
    EXPECT_GE(texts[0]->number("y"), 200);
}

TEST_F(ConsoleScreenSvgTest, TheSameScreenGivesTheSameBytesAndTheFileIsReplacedWhole) {
    const auto first = folder / "a.svg";
    const auto second = folder / "b.svg";
    std::ofstream(first) << "an older picture, longer than nothing at all";
    EXPECT_EQ(console->type("screen svg " + first.string()), Lines{"ok"});
    EXPECT_EQ(console->type("screen svg " + second.string()), Lines{"ok"});
    EXPECT_EQ(contents(first), contents(second));
    EXPECT_EQ(contents(first).rfind("<?xml", 0), 0u);
    // No temporary file stays behind.
    EXPECT_EQ(folderEntries(folder.path()), (Lines{"a.svg", "b.svg"}));
}

TEST_F(ConsoleScreenSvgTest, AFileThatCannotBeWrittenGetsOneErrorAndLeavesNothing) {
    std::ofstream(folder / "plain") << "a file, not a folder";
    std::filesystem::create_directory(folder / "taken.svg");
    // Why it could not be written, and where.
    const auto cannot = [](const std::filesystem::path& target) {
        return "error: The picture could not be written to \"" + target.string() + "\"";
    };
    const auto missing = folder / "missing" / "screen.svg";
    EXPECT_EQ(console->type("screen svg " + missing.string()),
              Lines{cannot(missing) + " because the folder \"" + (folder / "missing").string() + "\" does not exist."});
    const auto inAFile = folder / "plain" / "screen.svg";
    EXPECT_EQ(console->type("screen svg " + inAFile.string()),
              Lines{cannot(inAFile) + " because \"" + (folder / "plain").string() + "\" is not a folder."});
    const auto tooLong = folder / (std::string(252, 'n') + ".svg");
    EXPECT_EQ(console->type("screen svg " + tooLong.string()),
              Lines{cannot(tooLong) + " because its name is too long: a file name may have at most 255 bytes."});
    // A name ending in a slash names a folder: one that is there is said to be a folder, as
    // without the slash; a file is said to be no folder; nothing there needs a file's name.
    const std::string plainWithSlash = (folder / "plain").string() + "/";
    EXPECT_EQ(console->type("screen svg " + plainWithSlash),
              Lines{cannot(plainWithSlash) + " because \"" + (folder / "plain").string() + "\" is not a folder."});
    const std::string nothingWithSlash = (folder / "nothing").string() + "/";
    EXPECT_EQ(console->type("screen svg " + nothingWithSlash),
              Lines{cannot(nothingWithSlash) + "; name a file in a folder that exists and that you may write to."});
    EXPECT_EQ(console->type("screen svg /"), Lines{cannot("/") + " because it is a folder."});
    // What is at the path and no file is named; it stays as it was (a FIFO is never opened).
    const auto fifo = folder / "fifo.svg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(fifo, folder / "link.svg");
    const std::string because = "\u201D couldn\u2019t be saved because ";
    for (const std::string slashes : {"", "/", "//"})
        EXPECT_EQ(console->type("screen svg " + (folder / "taken.svg").string() + slashes),
                  Lines{"error: The file \u201Ctaken.svg" + because + "it is a folder, not a regular file. Nothing was written."})
            << slashes;
    EXPECT_EQ(console->type("screen svg " + (folder / "link.svg").string()),
              Lines{"error: The file \u201Clink.svg" + because + "its link leads to " + fifo.string() +
                    ", which is a FIFO (named pipe), not a regular file. Nothing was written."});
    EXPECT_EQ(folderEntries(folder.path()), (Lines{"fifo.svg", "link.svg", "plain", "taken.svg"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "taken.svg"));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(contents(folder / "plain"), "a file, not a folder");
}

// A picture kept elsewhere and linked: the link stays and the picture it leads to is replaced.
TEST_F(ConsoleScreenSvgTest, APictureIsWrittenThroughALink) {
    testkit::TempFolder elsewhere;
    std::ofstream(elsewhere / "kept.svg") << "an older picture";
    std::filesystem::create_symlink(elsewhere / "kept.svg", folder / "screen.svg");
    EXPECT_EQ(picture("screen.svg").name, "svg");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "screen.svg"));
    EXPECT_EQ(contents(elsewhere / "kept.svg").rfind("<?xml", 0), 0u);
}

// A name may hold what XML cannot: U+FFFE, U+FFFF, control characters. The picture shows U+FFFD
// in their place and parses; the screen's text says the name as it is.
TEST_F(ConsoleScreenSvgTest, CharactersXmlCannotHoldAreReplacedInThePictureOnly) {
    console->type("display add 3 4072 0 1920 1080 \"A\\xEF\\xBF\\xBF\" 2");
    ui::Panel panel(Rect(100, 682, 300, 100), ui::style_mask::kTitled);
    panel.setTitle("T\xEF\xBF\xBE\x01");
    panel.contentView()->addSubview(std::make_shared<ui::TextLabel>("L\x1F\xEF\xBF\xBF!", Rect(10, 20, 200, 24)));
    panel.orderFrontRegardless();

    const testkit::XmlElement svg = picture();
    EXPECT_EQ(svg.all("text", "display-name").at(2)->text, "A\uFFFD");
    const auto* window = svg.all("g", "window").at(0);
    EXPECT_EQ(window->all("title").at(0)->text, "T\uFFFD\uFFFD");
    EXPECT_EQ(window->all("text", "window-title").at(0)->text, "T\uFFFD\uFFFD");
    EXPECT_EQ(window->all("text", "text").at(0)->text, "L\uFFFD\uFFFD!");
    const Lines screen = console->screen();
    EXPECT_NE(std::find_if(screen.begin(), screen.end(),
                           [](const std::string& line) { return line.rfind("display 3 \"A\xEF\xBF\xBF\" at", 0) == 0; }),
              screen.end());
    EXPECT_EQ(panel.title(), "T\xEF\xBF\xBE\x01");
}

// Each character XML cannot hold, and each ill-formed UTF-8 piece, becomes one U+FFFD; the rest
// stays, the five markup characters escaped.
TEST(XmlEscapedTest, WhatXmlCannotHoldBecomesOneReplacementCharacterEach) {
    const std::string r = "\uFFFD";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&apos;f"},
        {"tab\tline\ncr\r", "tab\tline\ncr\r"},
        {std::string("\x00\x01\x1F\x7F", 4), r + r + r + r},
        {"tab\vvertical\fpage\x08" "back", "tab" + r + "vertical" + r + "page" + r + "back"},
        {"\xEF\xBF\xBE\xEF\xBF\xBF", r + r},                      // U+FFFE, U+FFFF
        {"\xEF\xBF\xBD\xEE\x80\x80\xF4\x8F\xBF\xBF", "\uFFFD\uE000\U0010FFFF"},  // allowed neighbours
        {"\xED\xA0\x80", r + r + r},                              // a surrogate: no valid start
        {"\xC0\xAF\xE0\x80\xAF", r + r + r + r + r},                // overlong forms
        {"\xF4\x90\x80\x80", r + r + r + r},                       // past U+10FFFF
        {"\xE2\x82x\xF0\x9F\x98", r + "x" + r},                     // cut short, one each
        {"\x80\xBFok\xFF", r + r + "ok" + r},                        // stray bytes
        {"\xF0\x9F\x98\x80 \xE2\x82\xAC", "\U0001F600 \u20AC"},
    };
    // Of the controls below the space, XML holds only the tab and the two line ends.
    for (char c = 0; c < 0x20; ++c) {
        const std::string escaped = sim::xmlEscaped(std::string(1, c));
        EXPECT_EQ(escaped, c == '\t' || c == '\n' || c == '\r' ? std::string(1, c) : r) << int(c);
    }
    for (const auto& [input, escaped] : cases) {
        EXPECT_EQ(sim::xmlEscaped(input), escaped) << testing::PrintToString(input);
        EXPECT_TRUE(testkit::parseXml("<a b=\"" + sim::xmlEscaped(input) + "\">" + sim::xmlEscaped(input) + "</a>"))
            << testing::PrintToString(input);
    }
}

TEST_F(ConsoleScreenSvgTest, AnOpenAlertIsDrawnInFrontAndTheCommandIsServedWhileItWaits) {
    platform::Alert alert;
    alert.messageText = "Rename <Desktop 4>";
    alert.informativeText = "Studio Display\nLeave the name blank to use its default.";
    alert.buttons = {{"Save", "\r"}, {"Cancel", "\x1b"}};
    env.loop.postAfter(0.5, [&] { alert.runModal(); });
    const auto file = folder / "alert.svg";
    console->typeAll({"wait 1", "screen svg " + file.string(), "alert press Cancel"});
    auto svg = testkit::parseXml(contents(file));
    ASSERT_TRUE(svg);
    const auto messages = svg->all("text", "alert-message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0]->text, "Rename <Desktop 4>");
    EXPECT_EQ(svg->children.back().name, "g");
    EXPECT_EQ(svg->children.back().value("class"), "alert");
    EXPECT_EQ(svg->all("text", "alert-button-title").size(), 2u);
    // Each line of the informative text on its own, the buttons inside the alert.
    const auto lines = svg->all("text", "alert-informative");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]->text, "Leave the name blank to use its default.");
    EXPECT_GT(lines[1]->number("y"), lines[0]->number("y"));
    const auto* frame = svg->all("rect", "alert-frame").at(0);
    for (const auto* button : svg->all("rect", "alert-button")) {
        EXPECT_GE(button->number("x"), frame->number("x"));
        EXPECT_LE(button->number("y") + button->number("height"), frame->number("y") + frame->number("height"));
    }
}

// An app icon drawn without its image shows the first character of the name as a reader sees
// it, whole, in capitals where it has them.
TEST(IconPictureTest, TheInitialIsTheNamesFirstCharacterWholeInCapitals) {
    const auto initialOf = [](const std::string& name) {
        const auto icon = testkit::parseXml(sim::iconPicture(Rect(0, 0, 32, 32), name, std::nullopt));
        if (!icon) return std::string("(not XML)");
        const auto texts = icon->all("text", "icon-initial");
        return texts.empty() ? std::string("(none)") : texts[0]->text;
    };
    EXPECT_EQ(initialOf("safari"), "S");
    EXPECT_EQ(initialOf("9 Apps"), "9");
    EXPECT_EQ(initialOf("\u00E9lan"), "\u00C9");
    EXPECT_EQ(initialOf("e\u0301clair"), "E\u0301");                                // the accent stays on
    EXPECT_EQ(initialOf("\U0001F1EB\U0001F1F7 Maps"), "\U0001F1EB\U0001F1F7");           // a flag, not half of one
    EXPECT_EQ(initialOf("\U0001F469\u200D\U0001F4BB Dev"), "\U0001F469\u200D\U0001F4BB");
    EXPECT_EQ(initialOf("\u0438\u0432\u0430\u043D"), "\u0418");
    EXPECT_EQ(initialOf("\u00DFtudio"), "SS");
    EXPECT_EQ(initialOf("\xC0\xAF" "bc"), "\uFFFD");                                  // ill-formed: still XML
    EXPECT_EQ(initialOf(""), "(none)");
}

TEST_F(ConsoleScreenSvgTest, IconsNameTheirAppsGlassHidesWhatLiesBehindAndTitlesStayInside) {
    console->type("mission-control open");
    // A narrow glass panel over Desktop 2's caption with three icons: of an app's bundle, the
    // fallback symbol that names its app, and an empty image whose view names it.
    ui::Panel panel(Rect(716, 954, 80, 28), ui::style_mask::kBorderless);
    panel.setTitle("Mission Control apps");
    auto glass = std::make_shared<ui::GlassEffectView>(Rect(0, 0, 80, 28));
    panel.setContentView(glass);
    auto& icons = *platform::current().icons;
    const std::vector<platform::Image> images{
        icons.iconForFile(platform::pathFromFileURL("file:///Applications/Safari.app/")->string()),
        *icons.systemSymbolImage("app", "Notes"), platform::Image::empty({16, 16})};
    for (std::size_t i = 0; i < images.size(); ++i) {
        auto view = std::make_shared<ui::ImageView>(Rect(4 + 24.0 * static_cast<double>(i), 6, 16, 16));
        view->image = images[i];
        if (i == 2) view->accessibilityLabel = "Mail";
        glass->addSubview(view);
    }
    panel.orderFrontRegardless();

    const Lines screen = console->screen();
    EXPECT_NE(std::find(screen.begin(), screen.end(),
                        "window 600000 \"Mission Control apps\" at 716 0 80 28 level 0 alpha 1 icons \"Safari\" "
                        "\"Notes\" \"Mail\""),
              screen.end());
    const testkit::XmlElement svg = picture();
    const auto window = svg.all("g", "window").at(0);
    std::vector<std::string> apps, initials;
    for (const auto* icon : window->all("g", "icon")) {
        apps.push_back(icon->value("data-app"));
        initials.push_back(icon->all("text", "icon-initial").at(0)->text);
        EXPECT_EQ(icon->all("rect", "icon-frame").at(0)->number("width"), 16);
    }
    EXPECT_EQ(apps, (Lines{"Safari", "Notes", "Mail"}));
    EXPECT_EQ(initials, (Lines{"S", "N", "M"}));
    // The glass is opaque over the caption; a panel without a title bar has its title only as
    // the tooltip.
    const auto backdrop = window->all("rect", "glass");
    ASSERT_EQ(backdrop.size(), 1u);
    EXPECT_EQ(backdrop[0]->attribute("fill-opacity"), nullptr);
    EXPECT_TRUE(window->all("text", "window-title").empty());
    EXPECT_EQ(window->all("title").at(0)->text, "Mission Control apps");
}

// Texts are drawn in the faces they were measured in, at their measured widths; a right-to-left
// text with natural alignment stands at its frame's right edge and is marked right to left.
TEST_F(ConsoleScreenSvgTest, TextsAreDrawnInTheFacesTheyWereMeasuredInAndRightToLeftOnesFromTheRight) {
    ui::Panel panel(Rect(100, 100, 300, 60), ui::style_mask::kBorderless);
    auto content = std::make_shared<ui::View>(Rect(0, 0, 300, 60));
    panel.setContentView(content);
    const std::string hebrewName = "\u05E9\u05DC\u05D5\u05DD 12";
    auto hebrew = std::make_shared<ui::TextLabel>(hebrewName, Rect(10, 30, 200, 20));
    auto keys = std::make_shared<ui::TextLabel>("\u2303\u2325\u2318W", Rect(10, 5, 200, 20));
    keys->font = ui::Font::monospacedSystem(13, ui::font_weight::kBold);
    auto paragraphs = std::make_shared<ui::TextLabel>("a\U0001F600b\n\u0645\u0631\u062D\u0628\u0627", Rect(10, 0, 200, 60));
    paragraphs->maximumNumberOfLines = 0;
    paragraphs->usesSingleLineMode = false;
    paragraphs->lineBreakMode = ui::LineBreakMode::wordWrapping;
    content->addSubview(hebrew);
    content->addSubview(keys);
    content->addSubview(paragraphs);
    panel.orderFrontRegardless();

    const testkit::XmlElement svg = picture();
    EXPECT_EQ(svg.value("font-family"), "Inter");
    const auto drawn = [&](const std::string& text) -> const testkit::XmlElement* {
        for (const auto* element : svg.all("text"))
            if (element->text == text) return element;
        return nullptr;
    };
    const auto* rtl = drawn(hebrewName);
    ASSERT_NE(rtl, nullptr);
    EXPECT_EQ(rtl->value("direction"), "rtl");
    EXPECT_EQ(rtl->value("text-anchor"), "start");  // its start is its right end
    EXPECT_EQ(rtl->number("x"), 100 + 210);
    EXPECT_EQ(rtl->attribute("font-family"), nullptr);
    EXPECT_NEAR(rtl->number("textLength"), ui::systemFontMetrics().lineWidth(hebrewName, hebrew->font), 5e-4);

    // A right-to-left paragraph after a character past the Basic Multilingual Plane (an emoji)
    // stands at the right edge, while the paragraph before it stays at the left.
    const auto* emojiLine = drawn("a\U0001F600b");
    const auto* arabicLine = drawn("\u0645\u0631\u062D\u0628\u0627");
    ASSERT_NE(emojiLine, nullptr);
    ASSERT_NE(arabicLine, nullptr);
    EXPECT_EQ(emojiLine->attribute("direction"), nullptr);
    EXPECT_EQ(emojiLine->number("x"), 100 + 10);
    EXPECT_EQ(arabicLine->value("direction"), "rtl");
    EXPECT_EQ(arabicLine->value("text-anchor"), "start");
    EXPECT_EQ(arabicLine->number("x"), 100 + 210);

    const auto* mono = drawn(keys->stringValue());
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->value("font-family"), "DejaVu Sans Mono");
    EXPECT_EQ(mono->value("font-weight"), "700");
    EXPECT_EQ(mono->attribute("direction"), nullptr);
    EXPECT_EQ(mono->number("x"), 110);
    EXPECT_NEAR(mono->number("textLength"), ui::systemFontMetrics().lineWidth(keys->stringValue(), keys->font), 5e-4);
}

TEST(XmlDocumentTest, TheCheckRefusesWhatIsNotWellFormed) {
    EXPECT_TRUE(testkit::parseXml("<?xml version=\"1.0\"?>\n<a x=\"1\"><b>t &amp; &#65;</b><!-- c --></a>\n"));
    EXPECT_EQ(testkit::parseXml("<a>x &#65;&lt;</a>")->text, "x A<");
    for (const char* bad : {"", "<a>", "<a></b>", "<a><b></a></b>", "<a x=1/>", "<a x=\"1\" x=\"2\"/>", "<a>&foo;</a>",
                            "<a>1 < 2</a>", "<a>&</a>", "<a/><b/>", "<a x=\"<\"/>", "text",
                            // characters XML cannot hold, raw or as references, and ill-formed UTF-8
                            "<a>A\xEF\xBF\xBF</a>", "<a>\xEF\xBF\xBE</a>", "<a>\x01</a>", "<a x=\"\x1F\"/>",
                            "<a>&#1;</a>", "<a>&#xFFFF;</a>", "<a>\xED\xA0\x80</a>", "<a>\xFF</a>", "<a>\xC3</a>"})
        EXPECT_FALSE(testkit::parseXml(bad)) << testing::PrintToString(bad);
    std::string problem;
    EXPECT_FALSE(testkit::parseXml("<svg>\n<text>A\xEF\xBF\xBF</text></svg>", &problem));
    EXPECT_EQ(problem, "not well-formed (invalid token) at line 2, column 7");
}

}  // namespace
}  // namespace tarnwick
