#include <gtest/gtest.h>

#include "support/digest.h"

namespace tarnwick {
namespace {

// Digests name temporaries and seal bundles across runs: they must never change, so they are
// checked against the algorithm's values, leading zeros and high bytes included.
TEST(DigestTest, Fnv1aHexGivesTheAlgorithmsKnownValuesInSixteenDigits) {
    EXPECT_EQ(digest::fnv1aHex(""), "cbf29ce484222325");
    EXPECT_EQ(digest::fnv1aHex("a"), "af63dc4c8601ec8c");
    EXPECT_EQ(digest::fnv1aHex("foobar"), "85944171f73967e8");
    EXPECT_EQ(digest::fnv1aHex("n0"), "08b37c07b558d673");
    // A byte above 0x7f counts as itself, not as a negative char.
    EXPECT_EQ(digest::fnv1aHex("\xff"), "af64724c8602eb6e");
    EXPECT_EQ(digest::fnv1aHex(std::string_view("\0", 1)), "af63bd4c8601b7df");
}

}  // namespace
}  // namespace tarnwick
