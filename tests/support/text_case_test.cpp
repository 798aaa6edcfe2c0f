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

}  // namespace
}  // namespace tarnwick
