#include <string>

#include <gtest/gtest.h>

#include "support/text.h"

namespace tarnwick {
namespace {

TEST(TextCaseTest, CaseMappingCoversAsciiAndTheLettersBeyondItAndKeepsMalformedBytes) {
    EXPECT_EQ(text::uppercased("9c4e1f7a-5b2d-4e8f"), "9C4E1F7A-5B2D-4E8F");
    EXPECT_EQ(text::lowercased("Studio Display 2"), "studio display 2");
    EXPECT_EQ(text::uppercased("caf\u00e9 stra\u00dfe \u00ff"), "CAF\u00c9 STRASSE \u0178");
    EXPECT_EQ(text::uppercased("\u03b1\u03c2 \u0436\u0451"), "\u0391\u03a3 \u0416\u0401");
    EXPECT_EQ(text::lowercased("\u00c9T\u00c9 \u0178"), "\u00e9t\u00e9 \u00ff");
    EXPECT_EQ(text::uppercased(std::string("a\xff" "b\xc3", 4)), std::string("A\xff" "B\xc3", 4));
    EXPECT_EQ(text::uppercased(""), "");
}

TEST(TextCaseTest, FullCaseMappingReachesEveryScriptAndLettersThatMapToSeveral) {
    EXPECT_EQ(text::uppercased("stra\u00dfe"), "STRASSE");
    EXPECT_EQ(text::uppercased("\ufb00"), "FF");                 // the ligature ff
    EXPECT_EQ(text::uppercased("\u0149"), "\u02bcN");           // n preceded by apostrophe
    EXPECT_EQ(text::uppercased("\u01c5"), "\u01c4");            // the title-case digraph
    EXPECT_EQ(text::lowercased("\u01c5"), "\u01c6");
    EXPECT_EQ(text::uppercased("\u0570\u0561\u0575"), "\u0540\u0531\u0545");  // Armenian
    EXPECT_EQ(text::lowercased("\u0540\u0531\u0545"), "\u0570\u0561\u0575");
    EXPECT_EQ(text::uppercased("\u10d0\u10d1"), "\u1c90\u1c91");            // Georgian
    EXPECT_EQ(text::uppercased("\u0463\u04d9"), "\u0462\u04d8");            // Cyrillic beyond Russian
    EXPECT_EQ(text::uppercased("\U00010428"), "\U00010400");                   // Deseret
    EXPECT_EQ(text::lowercased("\u0130"), "i\u0307");                          // no language's dotless rule
    EXPECT_EQ(text::uppercased("\u1f80"), "\u1f08\u0399");                    // Greek with a subscript iota
}

TEST(TextCaseTest, CapitalSigmaLowerCasesToTheFinalFormAtAWordsEnd) {
    EXPECT_EQ(text::lowercased("\u039f\u0394\u039f\u03a3"), "\u03bf\u03b4\u03bf\u03c2");
    EXPECT_EQ(text::lowercased("\u03a3\u0391"), "\u03c3\u03b1");
    EXPECT_EQ(text::lowercased("\u039f\u03a3 2"), "\u03bf\u03c2 2");
    EXPECT_EQ(text::lowercased("\u03a3"), "\u03c3");  // a lone capital ends no word
    // An ill-formed byte is no letter: it ends the word before it.
    EXPECT_EQ(text::lowercased("\u039f\u03a3\xff\u0391"), "\u03bf\u03c2\xff\u03b1");
}

TEST(TextCaseTest, IllFormedPiecesKeepTheirBytesBetweenMappedText) {
    EXPECT_EQ(text::uppercased("\u00df\xc0\xaf\u03c3\xed\xa0\x80\u00e9\xf0\x9f\x98"),
              "SS\xc0\xaf\u03a3\xed\xa0\x80\u00c9\xf0\x9f\x98");
    EXPECT_EQ(text::lowercased("\x80\u00c9\xc3"), "\x80\u00e9\xc3");
    EXPECT_EQ(text::caseFolded("\xfe\u00df"), "\xfess");
}

TEST(TextCaseTest, AsciiMapsAloneAsItDoesAmongOtherText) {
    // ASCII on its own takes a shorter way than text with other characters; both must agree.
    std::string ascii;
    for (int c = 0; c < 0x80; ++c) ascii += static_cast<char>(c);
    const std::string upper = text::uppercased(ascii);
    const std::string lower = text::lowercased(ascii);
    EXPECT_EQ(upper.size(), ascii.size());
    EXPECT_EQ(text::uppercased(ascii + "\u00e9"), upper + "\u00c9");
    EXPECT_EQ(text::lowercased(ascii + "\u00c9"), lower + "\u00e9");
    EXPECT_EQ(text::caseFolded(ascii + "\u00c9"), text::caseFolded(ascii) + "\u00e9");
    EXPECT_EQ(text::caseFolded(ascii), lower);
    EXPECT_EQ(upper.substr('a', 26), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(lower.substr('A', 26), "abcdefghijklmnopqrstuvwxyz");
}

TEST(TextCaseTest, TextsThatDifferOnlyInCaseFoldAlike) {
    // Their lower-case forms differ here: the sigma is final in one and not in the other.
    EXPECT_NE(text::lowercased("\u039f\u03a3"), text::lowercased("\u039f\u03c3"));
    EXPECT_EQ(text::caseFolded("\u039f\u03a3"), text::caseFolded("\u039f\u03c3"));
    EXPECT_EQ(text::caseFolded("\u03bf\u03c2"), text::caseFolded("\u039f\u03c3"));
    EXPECT_EQ(text::caseFolded("Stra\u00dfe"), text::caseFolded("STRASSE"));
    EXPECT_EQ(text::caseFolded("\u212a"), "k");  // the Kelvin sign
    EXPECT_EQ(text::caseFolded("AAAAAAAA-0000-4000-8000-00000000000A"), "aaaaaaaa-0000-4000-8000-00000000000a");
    EXPECT_NE(text::caseFolded("\u00e9"), text::caseFolded("e"));
}

}  // namespace
}  // namespace tarnwick
