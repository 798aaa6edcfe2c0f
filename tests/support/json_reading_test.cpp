#include <string>

#include <gtest/gtest.h>

#include "support/json.h"

namespace tarnwick {
namespace {

using namespace std::string_literals;

// A raw NUL byte has no place in JSON: after a whole document, before it, between its tokens or
// inside a string, the text is not JSON, as text after the document is. An escaped NUL inside a
// string is text like any other.
TEST(JsonReadingTest, ARawNulByteAnywhereIsNotJson) {
    for (const auto& text : {"{\"a\":1}\0{\"b\":2}"s, "{\"a\":1}\0"s, "{\"a\":1} \0 "s, "\0{\"a\":1}"s,
                                   "{\"a\":\0 1}"s, "{\"a\":\"x\0y\"}"s, "[1]\0"s, "7\0"s, "\0"s}) {
        EXPECT_FALSE(json::parse(text)) << testing::PrintToString(text);
    }
    EXPECT_FALSE(json::parse(R"({"a":1} {"b":2})"));
    EXPECT_TRUE(json::parse("{\"a\":1} \n\t\r"));

    const auto escaped = json::parse(R"({"a":"x\u0000y"})");
    ASSERT_TRUE(escaped);
    EXPECT_EQ(*escaped->find("a")->asString(), "x\0y"s);
    // What the writer makes of such a string reads back as it.
    EXPECT_EQ(json::parse(*json::write(*escaped)), escaped);
}

}  // namespace
}  // namespace tarnwick
