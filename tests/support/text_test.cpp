#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/text.h"

namespace tarnwick {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::string joined(const std::vector<std::string_view>& pieces) {
    std::string all;
    for (auto piece : pieces) all += piece;
    return all;
}

struct Pieces {
    std::string bytes;
    std::vector<std::string> expected;
};

// Counting, listing the scalars and telling validity read the same pieces: each ill-formed piece
// is the longest start that could still have been a sequence, and counts once.
TEST(TextDecodingTest, EveryReaderCutsIllFormedTextIntoTheSamePieces) {
    const std::vector<Pieces> cases = {
        {"\xC0\xAF", {"\xC0", "\xAF"}},                  // an overlong "/": C0 never leads
        {"\xE0\x80", {"\xE0", "\x80"}},                  // an overlong start
        {"\xED\xA0\x80", {"\xED", "\xA0", "\x80"}},      // an encoded surrogate
        {"\xF0\x9F\x98", {"\xF0\x9F\x98"}},              // an emoji cut short
        {"a\xF0\x9F\x98" "b", {"a", "\xF0\x9F\x98", "b"}},
        {"\xF4\x90\x80\x80", {"\xF4", "\x90", "\x80", "\x80"}},  // past U+10FFFF
        {"\xF8\x88\x80\x80\x80", {"\xF8", "\x88", "\x80", "\x80", "\x80"}},
        {"\x80\xBF", {"\x80", "\xBF"}},                  // stray continuation bytes
        {"\xE2\x82" "\xE2\x82\xAC", {"\xE2\x82", "\xE2\x82\xAC"}},
        {"\xFF\xC3", {"\xFF", "\xC3"}},
    };
    for (const auto& [bytes, expected] : cases) {
        const auto pieces = text::scalars(bytes);
        EXPECT_EQ(std::vector<std::string>(pieces.begin(), pieces.end()), expected) << bytes;
        EXPECT_EQ(text::characterCount(bytes), expected.size()) << bytes;
        EXPECT_EQ(joined(pieces), bytes);
        EXPECT_FALSE(text::isValidUTF8(bytes)) << bytes;
        size_t at = 0;
        for (const auto& piece : expected) {
            const auto read = text::wellFormedAt(bytes, at);
            EXPECT_EQ(read.length, piece.size()) << bytes << " at " << at;
            at += read.length;
        }
    }
    const std::string good = "a\u00E9\u20AC\U0001F642";
    EXPECT_TRUE(text::isValidUTF8(good));
    EXPECT_EQ(text::characterCount(good), 4u);
    EXPECT_EQ(text::scalars(good).back(), "\U0001F642");
    EXPECT_EQ(text::wellFormedAt(good, 6).scalar, U'\U0001F642');
    EXPECT_TRUE(text::isValidUTF8(""));
    EXPECT_EQ(text::characterCount(""), 0u);
    EXPECT_EQ(text::wellFormedAt(good, good.size()).length, 0u);
    EXPECT_EQ(text::characterCount(std::string(3, '\0')), 3u);
}

TEST(TextDecodingTest, TheScalarAtOrBeforeAnIllFormedPieceOrInsideOneIsTheReplacement) {
    const std::string text = "\u00E9\xC3" "a\U0001F600\x80";  // é, a lone lead, a, 😀, a stray byte
    EXPECT_EQ(text::scalarAt(text, 0), U'\u00E9');
    EXPECT_EQ(text::scalarAt(text, 1), kReplacement);  // inside é
    EXPECT_EQ(text::scalarAt(text, 2), kReplacement);
    EXPECT_EQ(text::scalarAt(text, 3), U'a');
    EXPECT_EQ(text::scalarAt(text, 4), U'\U0001F600');
    EXPECT_EQ(text::scalarAt(text, 8), kReplacement);
    EXPECT_EQ(text::scalarAt(text, 9), std::nullopt);

    EXPECT_EQ(text::scalarBefore(text, 0), std::nullopt);
    EXPECT_EQ(text::scalarBefore(text, 1), kReplacement);  // inside é
    EXPECT_EQ(text::scalarBefore(text, 2), U'\u00E9');
    EXPECT_EQ(text::scalarBefore(text, 3), kReplacement);
    EXPECT_EQ(text::scalarBefore(text, 4), U'a');
    EXPECT_EQ(text::scalarBefore(text, 8), U'\U0001F600');
    EXPECT_EQ(text::scalarBefore(text, 9), kReplacement);
    EXPECT_EQ(text::scalarBefore(text, 10), std::nullopt);
    EXPECT_EQ(text::scalarBefore("\xF0\x9F\x98", 3), kReplacement);
    EXPECT_EQ(text::scalarBefore("\xC0\xAF", 2), kReplacement);  // no overlong "/"
    EXPECT_EQ(text::scalarBefore("\xED\xA0\x80", 3), kReplacement);
}

TEST(TextEncodingTest, OnlyScalarValuesAreEncodedAndEverythingElseIsTheReplacement) {
    const std::string replacement = "\uFFFD";
    EXPECT_EQ(text::fromScalar(U'\0'), std::string(1, '\0'));
    EXPECT_EQ(text::fromScalar(0x7FF), "\u07FF");
    EXPECT_EQ(text::fromScalar(0xD7FF), "\uD7FF");
    EXPECT_EQ(text::fromScalar(0xE000), "\uE000");
    EXPECT_EQ(text::fromScalar(0x10FFFF), "\xF4\x8F\xBF\xBF");
    for (char32_t bad : {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0x110000}, char32_t{0xFFFFFFFF}})
        EXPECT_EQ(text::fromScalar(bad), replacement) << static_cast<unsigned>(bad);
    for (char32_t c : {char32_t{0x41}, char32_t{0xE9}, char32_t{0x20AC}, char32_t{0x1F642}}) {
        const std::string bytes = text::fromScalar(c);
        EXPECT_EQ(text::wellFormedAt(bytes, 0).scalar, c);
        EXPECT_EQ(text::wellFormedAt(bytes, 0).length, bytes.size());
    }

    EXPECT_EQ(text::fromUTF16(u"a\U0001F642"), "a\U0001F642");
    EXPECT_EQ(text::fromUTF16(u"a\xD83D"), "a" + replacement);                  // a lead at the end
    EXPECT_EQ(text::fromUTF16(u"\xDE42\xD83D" "b"), replacement + replacement + "b");  // the pair reversed
    EXPECT_EQ(text::fromUTF16(u""), "");
}

// Every character of Unicode's White_Space property.
const std::vector<std::string> kWhiteSpace = {
    "\t", "\n", "\v", "\f", "\r", " ", "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003",
    "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u2028", "\u2029", "\u202F",
    "\u205F", "\u3000"};

TEST(TextTrimmingTest, EveryWhiteSpaceCharacterGoesFromBothEnds) {
    EXPECT_EQ(text::trimmed("Mail\u00A0"), "Mail");
    EXPECT_EQ(text::trimmed("\u0085\u3000 Mail \u2028\t"), "Mail");
    EXPECT_EQ(text::trimmed(" Studio \u00A0 Display "), "Studio \u00A0 Display");  // inside stays
    for (const auto& space : kWhiteSpace) {
        EXPECT_EQ(text::trimmed(space + "x" + space + space), "x") << space;
        EXPECT_TRUE(text::isBlank(space + space)) << space;
    }
    EXPECT_EQ(text::trimmed(""), "");
    EXPECT_TRUE(text::isBlank(""));
    EXPECT_EQ(text::trimmed(" \u3000\n"), "");
}

TEST(TextTrimmingTest, InvisibleCharactersThatAreNoWhiteSpaceStay) {
    // The zero-width space, the byte order mark, the Mongolian vowel separator and the word joiner.
    for (const std::string kept : {"\u200B", "\uFEFF", "\u180E", "\u2060"}) {
        EXPECT_EQ(text::trimmed(" " + kept + "x" + kept + " "), kept + "x" + kept) << kept;
        EXPECT_FALSE(text::isBlank(kept)) << kept;
    }
}

TEST(TextTrimmingTest, AnIllFormedByteIsNeverWhiteSpace) {
    // Stray bytes of the same values as the no-break space and the next-line character.
    EXPECT_EQ(text::trimmed(" \xA0x \x85 "), "\xA0x \x85");
    EXPECT_FALSE(text::isBlank("\xA0"));
    EXPECT_FALSE(text::isBlank(" \x85"));
    // A no-break space cut short, and white space beyond an ill-formed byte, stay.
    EXPECT_EQ(text::trimmed("x\xC2"), "x\xC2");
    EXPECT_EQ(text::trimmed("\xC2 \u00A0"), "\xC2");
    EXPECT_EQ(text::trimmed("\u3000\xE3\x80"), "\xE3\x80");
    EXPECT_EQ(text::trimmed("\x80\u00A0"), "\x80");
}

TEST(TextWordCharacterTest, LettersMarksNumbersAndConnectorsOfAnyScriptAreWordCharacters) {
    for (char32_t c : {U'a', U'Z', U'7', U'_', U'\u00AA', U'\u00B2', U'\u00E9', U'\u0301', U'\u0661', U'\u0915',
                       U'\u094D', U'\u2167', U'\u203F', U'\u4E2D', U'\u3042', U'\uFF3F', U'\uFF21',
                       U'\U0001D400', U'\U00020000'})
        EXPECT_TRUE(text::isWordCharacter(c)) << static_cast<unsigned>(c);
}

TEST(TextWordCharacterTest, SpacesPunctuationSymbolsAndWhatIsNoCharacterAreNot) {
    for (char32_t c : {U' ', U'-', U'$', U'\0', U'\u00A0', U'\u00AB', U'\u00D7', U'\u2014', U'\u20AC', U'\u2192',
                       U'\u200D', U'\u3001', U'\uFF01', U'\uFFFD', U'\uE000', U'\U0001F642', U'\U0010FFFD'})
        EXPECT_FALSE(text::isWordCharacter(c)) << static_cast<unsigned>(c);
    for (char32_t c : {char32_t{0xD800}, char32_t{0x0378}, char32_t{0x110000}, char32_t{0xFFFFFFFF}})
        EXPECT_FALSE(text::isWordCharacter(c)) << static_cast<unsigned>(c);
}

}  // namespace
}  // namespace tarnwick
