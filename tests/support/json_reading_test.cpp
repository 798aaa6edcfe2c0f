#include <string>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/json.h"
#include "testkit/allocation_count.h"
#include "testkit/temp_folder.h"

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

std::string nested(int levels, const std::string& inside = "") {
    return std::string(static_cast<std::size_t>(levels), '[') + inside + std::string(static_cast<std::size_t>(levels), ']');
}

// Nesting reads up to the limit and no further, whatever mix of arrays and objects makes it;
// brackets inside strings, escaped quotes included, are text and not nesting.
TEST(JsonReadingTest, NestingIsReadUpToTheLimitAndRefusedPastIt) {
    const int limit = json::kMaximumDepth;
    EXPECT_TRUE(json::parse(nested(limit)));
    EXPECT_FALSE(json::parse(nested(limit + 1)));
    EXPECT_TRUE(json::parse(nested(limit - 1, R"({"a":1})")));
    EXPECT_FALSE(json::parse(nested(limit, R"({"a":1})")));
    EXPECT_FALSE(json::parse(nested(limit - 1, R"({"a":[]})")));
    // Siblings do not add up: each closes before the next opens.
    EXPECT_TRUE(json::parse("[" + nested(limit - 1) + "," + nested(limit - 1) + "]"));

    const std::string brackets = std::string(2000, '[') + std::string(2000, '{');
    for (const std::string& text : {"\"" + brackets + "\"", "\"\\\"" + brackets + "\\\\\"", "\"\\\\\\\"" + brackets + "\""}) {
        SCOPED_TRACE(text.substr(0, 8));
        const auto read = json::parse(nested(limit - 1, text));
        ASSERT_TRUE(read);
        const Value* inner = &*read;
        while (inner->asArray()) inner = &inner->asArray()->front();
        ASSERT_TRUE(inner->asString());
        EXPECT_NE(inner->asString()->find(brackets), std::string::npos);
    }
    // A backslash that ends a string's escape ends nothing else: the quote after it closes the
    // string, and the brackets after that count.
    EXPECT_FALSE(json::parse(nested(limit - 1, R"(["\\",[]])")));
    // A NUL byte that an escape would pass over is refused as any other.
    EXPECT_FALSE(json::parse("[\"\\\0\"]"s));
}

// Text nested past the limit is refused before anything is built from it, however long: the
// library's tree of a million brackets would take a hundred bytes a level.
TEST(JsonReadingTest, TextNestedPastTheLimitIsRefusedWithoutBuildingIt) {
    for (const int levels : {json::kMaximumDepth + 1, 1'000'000, 4'000'000}) {
        SCOPED_TRACE(levels);
        std::string objects;
        for (int level = 0; level < levels; ++level) objects += R"({"a":)";
        objects += "1" + std::string(static_cast<std::size_t>(levels), '}');
        for (const std::string& text : {nested(levels), R"({"version":1,"names":)" + nested(levels) + "}", objects}) {
            const std::size_t before = testkit::bytesAllocatedOnThisThread();
            EXPECT_FALSE(json::parse(text));
            EXPECT_LT(testkit::bytesAllocatedOnThisThread() - before, 1024u);
        }
    }
    // What is within the limit is built, and the count sees it.
    const std::size_t before = testkit::bytesAllocatedOnThisThread();
    EXPECT_TRUE(json::parse(nested(json::kMaximumDepth)));
    EXPECT_GT(testkit::bytesAllocatedOnThisThread() - before, 512u * 16u);
}

// Text that comes in pieces is judged as if it came whole, wherever it is cut: inside a string,
// between a backslash and what it escapes, between brackets.
TEST(JsonReadingTest, TextInPiecesIsCheckedAsAWhole) {
    const std::string deep = nested(json::kMaximumDepth - 1, R"(["\\",[]])");
    const std::string escaped = nested(json::kMaximumDepth - 1, R"(["\"[[",[]])");
    const std::string withinLimit = nested(json::kMaximumDepth - 1, R"(["\\\"[[{"])");
    const std::string nul = "[\"\\\0\"]"s;
    for (const auto& [text, accepted] : {std::pair{deep, false}, {escaped, false}, {withinLimit, true}, {nul, false}}) {
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            json::TextCheck check;
            const bool first = check.take(std::string_view(text).substr(0, cut));
            EXPECT_EQ(check.take(std::string_view(text).substr(cut)) && first, accepted) << "cut at " << cut;
        }
        EXPECT_EQ(json::parse(text).has_value(), accepted);
    }
}

// A file is read no further than the piece that refuses it; what it reads of the file is then
// refused as the whole would be. A file within the limit is read whole.
TEST(JsonReadingTest, AFileIsReadNoFurtherThanThePieceThatRefusesIt) {
    testkit::TempFolder folder;
    const std::string deep = R"({"version":1,"names":)" + nested(4'000'000) + "}";
    files::writeAtomically(folder / "deep.json", deep);
    const std::string read = json::readFile(folder / "deep.json");
    EXPECT_LE(read.size(), 1024u * 1024u);
    EXPECT_EQ(deep.compare(0, read.size(), read), 0);
    EXPECT_FALSE(json::parse(read));

    const std::string within = "[" + std::string(3'000'000, ' ') + nested(json::kMaximumDepth - 1) + "]";
    files::writeAtomically(folder / "within.json", within);
    EXPECT_EQ(json::readFile(folder / "within.json"), within);
}

// Why a text is refused, as a reader says it: no JSON, nesting past the limit (counted as the
// check counts it, so a NUL or a stray bracket before that depth is no JSON), or, where the reader
// asks, a key given twice in one object, which parse() reads with the last one counting.
TEST(JsonReadingTest, AReadingSaysWhyItRefusedTheText) {
    const auto why = [](const std::string& text) {
        const json::Reading reading = json::parseDocument(text, json::RepeatedKeys::refused);
        return reading.value ? "read" : reading.why() + (reading.place.empty() ? "" : " at " + reading.place);
    };
    EXPECT_EQ(why(R"({"a": tru})"), "is not valid JSON");
    EXPECT_EQ(why(nested(json::kMaximumDepth + 1)), "nests arrays and objects more than 512 levels deep");
    EXPECT_EQ(why("]" + nested(json::kMaximumDepth + 1)), "is not valid JSON");
    EXPECT_EQ(why("\0"s + nested(json::kMaximumDepth + 1)), "is not valid JSON");
    EXPECT_EQ(why(nested(json::kMaximumDepth)), "read");

    // The key as the text means it, escapes read, and the object that holds it, wherever it is.
    EXPECT_EQ(why(R"({"a":1,"a":2})"), "holds the key \u201Ca\u201D twice");
    EXPECT_EQ(why(R"({"a":1,"\u0061":2})"), "holds the key \u201Ca\u201D twice");
    EXPECT_EQ(why(R"({"":1,"":2})"), "holds the key \u201C\u201D twice");
    EXPECT_EQ(why(R"({"names":{"x":"A","y":"B","x":"C"}})"), "holds the key \u201Cx\u201D twice at .names");
    EXPECT_EQ(why(R"({"l":[0,{"a":1},[{"b":1,"b":1}]]})"), "holds the key \u201Cb\u201D twice at .l[2][0]");
    EXPECT_EQ(why(R"([{"a":1},{"a":1,"c":{"d":[]},"c":2}])"), "holds the key \u201Cc\u201D twice at [1]");
    // The same key in different objects, or at different depths, is no repetition.
    EXPECT_EQ(why(R"({"a":{"a":{"a":1}},"b":[{"a":1},{"a":2}]})"), "read");

    const std::string twice = R"({"a":"first","a":"last"})";
    EXPECT_EQ(*json::parse(twice)->find("a")->asString(), "last");
    EXPECT_EQ(*json::parseDocument(twice, json::RepeatedKeys::lastCounts).value->find("a")->asString(), "last");
}

// The depth of a value is the nesting its JSON text has, as the check counts it: what a writer
// makes of a value of the greatest depth reads back, and one level more does not.
TEST(JsonReadingTest, TheDepthOfAValueIsTheNestingOfItsText) {
    EXPECT_EQ(json::depth(Value(1)), 0);
    EXPECT_EQ(json::depth(Value(Array{})), 1);
    EXPECT_EQ(json::depth(Value(Dictionary{{"a", Value(Array{Value(1), Value(Dictionary{})})}})), 3);
    for (const int levels : {json::kMaximumDepth, json::kMaximumDepth + 1}) {
        Value value = Value(Dictionary{});
        for (int level = 1; level < levels; ++level) value = Value(Array{value, Value("[{")});
        EXPECT_EQ(json::depth(value), levels);
        EXPECT_EQ(json::parse(*json::write(value)).has_value(), levels <= json::kMaximumDepth);
    }
}

}  // namespace
}  // namespace tarnwick
