#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "overlays/rendered_label_reader.h"
#include "scripted_text_recognition.h"
#include "support/error.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::ScriptedLine;
using testkit::ScriptedTextRecognition;
using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class RenderedLabelReaderTest : public ::testing::Test {
protected:
    void use(ScriptedTextRecognition::Script script) {
        recogniser = std::make_unique<ScriptedTextRecognition>(std::move(script));
        env.session.platform().textRecognition = recogniser.get();
    }
    // A 3000 x 48 pixel image of the bar at (0, 0, 1500, 24): two pixels per point.
    RenderedLabelReader::Result read(std::optional<std::vector<Rect>> regions = std::nullopt, bool merge = true,
                                     int tileWidth = 2048) {
        return RenderedLabelReader::read(platform::Screenshot(3000, 48), Rect(0, 0, 1500, 24), tileWidth, regions,
                                         merge);
    }
    testkit::TestEnvironment env;
    std::unique_ptr<ScriptedTextRecognition> recogniser;
};

// A caption box, normalised to a tile, from image pixels.
Rect inTile(const Rect& tile, double x, double width) {
    return Rect((x - tile.minX()) / tile.width(), 0.25, width / tile.width(), 0.5);
}

TEST_F(RenderedLabelReaderTest, WideCropsAreReadInOverlappingTiles) {
    use({});
    auto result = read();
    EXPECT_EQ(result.tileCount, 2);
    EXPECT_EQ(recogniser->tiles, (std::vector<Rect>{Rect(0, 0, 2048, 48), Rect(1792, 0, 1208, 48)}));
    EXPECT_FALSE(recogniser->requests[0].usesLanguageCorrection);
    EXPECT_EQ(recogniser->requests[0].recognitionLevel, platform::TextRecognitionLevel::accurate);

    recogniser->tiles.clear();
    read(std::nullopt, true, 1000);  // overlap 250, stride 750
    EXPECT_EQ(recogniser->tiles.size(), 4u);
    EXPECT_EQ(recogniser->tiles.back(), Rect(2250, 0, 750, 48));
}

TEST_F(RenderedLabelReaderTest, RegionsBecomeCropsClippedToTheFrameAndMergedWithinARow) {
    use({});
    auto empty = read(std::vector<Rect>{});
    EXPECT_EQ(empty.tileCount, 0);
    EXPECT_TRUE(recogniser->tiles.empty());

    // Given right to left; the middle two touch in one row and merge; the last lies outside.
    read(std::vector<Rect>{Rect(1400, 0, 200, 24), Rect(600, 0, 100, 24), Rect(500, 0, 100, 24),
                           Rect(100.25, 0, 10, 24), Rect(2000, 0, 10, 24), Rect(kNaN, 0, 10, 10), Rect::null()});
    EXPECT_EQ(recogniser->tiles, (std::vector<Rect>{Rect(200, 0, 21, 48), Rect(1000, 0, 400, 48),
                                                    Rect(2800, 0, 200, 48)}));

    recogniser->tiles.clear();
    read(std::vector<Rect>{Rect(600, 0, 100, 24), Rect(500, 0, 100, 24)}, false);
    EXPECT_EQ(recogniser->tiles, (std::vector<Rect>{Rect(1200, 0, 200, 48), Rect(1000, 0, 200, 48)}));

    recogniser->tiles.clear();
    read(std::vector<Rect>{Rect(500, 0, 100, 24), Rect(600, 2, 100, 20)});  // rows differ: not merged
    EXPECT_EQ(recogniser->tiles.size(), 2u);
}

TEST_F(RenderedLabelReaderTest, OnlyConfidentCaptionsCountAndEachMatchOfALineDoes) {
    use([](const Rect& tile) -> std::vector<ScriptedLine> {
        if (tile.minX() > 0) return {};
        return {
            {"Desktop 4", 1.0f, inTile(tile, 100, 60), {}},
            {"Desktop 5", 0.94f, inTile(tile, 200, 60), {}},
            {"Desktops 2", 1.0f, inTile(tile, 300, 60), {}},
            {"desktop 2", 1.0f, inTile(tile, 400, 60), {}},
            {"Desktop 2 Desktop 3", 0.95f, inTile(tile, 500, 130),
             {{{0, 9}, inTile(tile, 500, 60)}, {{10, 19}, inTile(tile, 570, 60)}}},
            {"Desktop 6 Desktop 7", 1.0f, inTile(tile, 700, 130), {{{10, 19}, inTile(tile, 770, 60)}}},
            {"Desktop 8", 1.0f, Rect(kNaN, 0.25, 0.01, 0.5), {}},
            {"Desktop 9", 1.0f, Rect(0.3, 0.25, 0, 0.5), {}},
        };
    });
    auto result = read();
    std::vector<std::string> texts;
    for (const auto& label : result.labels) texts.push_back(label.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Desktop 4", "Desktop 2", "Desktop 3", "Desktop 7"}));
    EXPECT_EQ(result.observationCount, 8);
    // Boxes in screen points: two pixels per point, rows running downwards.
    EXPECT_EQ(result.labels[0].bounds, Rect(50, 6, 30, 12));
    EXPECT_EQ(result.labels[2].bounds, Rect(285, 6, 30, 12));
    EXPECT_EQ(result.labels[1].confidence, 0.95f);
}

TEST_F(RenderedLabelReaderTest, BoxesTouchingAnInnerTileEdgeAreDroppedButNotAtTheImagesOwnEdges) {
    use([](const Rect& tile) -> std::vector<ScriptedLine> {
        return {{"Desktop 1", 1.0f, inTile(tile, tile.minX() + 4, 60), {}},
                {"Desktop 2", 1.0f, inTile(tile, tile.maxX() - 63, 60), {}}};
    });
    // One crop from x = 1000 read as a single tile: its left edge is inside the image.
    auto inner = read(std::vector<Rect>{Rect(500, 0, 100, 24)});
    ASSERT_EQ(inner.labels.size(), 0u);

    // The whole image: the first tile's left edge and the last tile's right edge are the image's.
    auto whole = read();
    std::vector<std::string> texts;
    for (const auto& label : whole.labels) texts.push_back(label.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Desktop 1", "Desktop 2"}));
    EXPECT_EQ(whole.labels[0].bounds.minX(), 2);
    EXPECT_EQ(whole.labels[1].bounds.maxX(), 1498.5);
}

TEST_F(RenderedLabelReaderTest, ACaptionSeenInTwoOverlappingTilesKeepsTheLargerBoxInItsPlace) {
    use([](const Rect& tile) -> std::vector<ScriptedLine> {
        if (tile.minX() == 0) return {{"Desktop 12", 1.0f, inTile(tile, 1900, 80), {}},
                                      {"Desktop 13", 1.0f, inTile(tile, 100, 80), {}},
                                      {"Desktop 14", 1.0f, inTile(tile, 1820, 151), {}}};
        return {{"Desktop 12", 1.0f, inTile(tile, 1898, 84), {}}, {"Desktop 13", 1.0f, inTile(tile, 2500, 80), {}},
                {"Desktop 14", 1.0f, inTile(tile, 1822, 151), {}}};
    });
    auto result = read();
    ASSERT_EQ(result.labels.size(), 4u);
    EXPECT_EQ(result.labels[0].text, "Desktop 12");
    EXPECT_EQ(result.labels[0].bounds.width(), 42);
    EXPECT_EQ(result.labels[1].text, "Desktop 13");
    // A box of exactly the same size is no better: the first reading stays.
    EXPECT_EQ(result.labels[2].text, "Desktop 14");
    EXPECT_EQ(result.labels[2].bounds.minX(), 910);
    EXPECT_EQ(result.labels[3].text, "Desktop 13");  // far apart: another caption
}

TEST_F(RenderedLabelReaderTest, AFailedRecognitionThrowsAndCancellationIsCheckedAroundEachTile) {
    use({});
    recogniser->error = "The request failed.";
    try {
        read();
        FAIL();
    } catch (const CancellationError&) {
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "The request failed.");
    }
    recogniser->error.reset();
    recogniser->tiles.clear();

    bool cancel = false;
    recogniser->onPerform = [&cancel] { cancel = true; };
    EXPECT_THROW(RenderedLabelReader::read(platform::Screenshot(3000, 48), Rect(0, 0, 1500, 24), 2048, std::nullopt,
                                           true, [&cancel] { return cancel; }),
                 CancellationError);
    EXPECT_EQ(recogniser->tiles.size(), 1u);  // a started recognition runs to its end, then it stops
    EXPECT_THROW(RenderedLabelReader::read(platform::Screenshot(3000, 48), Rect(0, 0, 1500, 24), 2048, std::nullopt,
                                           true, [] { return true; }),
                 CancellationError);
    EXPECT_EQ(recogniser->tiles.size(), 1u);
}

TEST_F(RenderedLabelReaderTest, AnUnusableFrameOrImageReadsNothing) {
    use({});
    EXPECT_EQ(RenderedLabelReader::read(platform::Screenshot(3000, 48), Rect(0, 0, kNaN, 24)).tileCount, 0);
    EXPECT_EQ(RenderedLabelReader::read(platform::Screenshot(3000, 48), Rect(0, 0, 0, 24)).tileCount, 0);
    EXPECT_EQ(RenderedLabelReader::read(platform::Screenshot(0, 48), Rect(0, 0, 1500, 24)).tileCount, 0);
    EXPECT_TRUE(recogniser->tiles.empty());
}

TEST(RenderedLabelReaderPatternTest, CaptionsAreWholeWordsOfAnyScript) {
    using Reader = RenderedLabelReader;
    EXPECT_EQ(Reader::titleMatches("Desktop 4"), (Ranges{{0, 9}}));
    EXPECT_EQ(Reader::titleMatches("Desktop 2 Desktop 13"), (Ranges{{0, 9}, {10, 20}}));
    EXPECT_EQ(Reader::titleMatches("(Desktop 2)."), (Ranges{{1, 10}}));
    for (const char* none : {"Desktops 2", "desktop 2", "Desktop", "Desktop x", "xDesktop 3", "Desktop 12a",
                             "_Desktop 1", "Desktop 3_", "\u00E9Desktop 2", "Desktop 2\u00E9", "Desktop \u0661",
                             "Desktop 7\u0661", "Desktop  2"})
        EXPECT_TRUE(Reader::titleMatches(none).empty()) << none;
    // Punctuation and symbols of other scripts are not word characters.
    EXPECT_EQ(Reader::titleMatches("\u00ABDesktop 5\u00BB"), (Ranges{{2, 11}}));
    EXPECT_EQ(Reader::titleMatches("\u3001Desktop 6\u3002"), (Ranges{{3, 12}}));
}

TEST(RenderedLabelReaderPatternTest, BoxesMapBackThroughTheCropToScreenPoints) {
    // A tile at pixels (1000, 10) of a 3000 x 48 image of the frame (100, 50, 1500, 24).
    const Rect bounds = RenderedLabelReader::displayBounds(Rect(0.5, 0.25, 0.25, 0.5), Rect(1000, 10, 200, 20),
                                                           Size{3000, 48}, Rect(100, 50, 1500, 24));
    EXPECT_EQ(bounds, Rect(100 + 1500 * 1100.0 / 3000, 50 + 24 * 15.0 / 48, 25, 5));
}

}  // namespace
}  // namespace tarnwick
