#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "support/json.h"
#include "support/value.h"

namespace tarnwick {
namespace {

TEST(ValueTest, ConversionsFollowThePlatformRules) {
    EXPECT_EQ(Value(true).toBool(), true);
    EXPECT_EQ(Value(0).toBool(), false);
    EXPECT_EQ(Value(1.0).toBool(), true);
    EXPECT_FALSE(Value(2).toBool());
    EXPECT_FALSE(Value("1").toBool());

    EXPECT_EQ(Value(true).toDouble(), 1.0);
    EXPECT_EQ(Value(7).toDouble(), 7.0);
    EXPECT_FALSE(Value("16").toDouble());
    EXPECT_FALSE(Value().toDouble());
}

TEST(ValueTest, IntegerReadsRejectWhatCannotConvertExactly) {
    EXPECT_EQ(Value(5.0).toUInt64(), 5u);
    EXPECT_FALSE(Value(-1).toUInt64());
    EXPECT_FALSE(Value(0.5).toUInt64());
    EXPECT_FALSE(Value(std::nan("")).toUInt64());
    EXPECT_FALSE(Value(std::numeric_limits<double>::infinity()).toInt64());
    EXPECT_FALSE(Value(1.8446744073709552e19).toUInt64());
    EXPECT_FALSE(Value(true).toUInt64());
    EXPECT_EQ(Value(4294967295.0).toUInt32(), 4294967295u);
    EXPECT_FALSE(Value(4294967296.0).toUInt32());
}

TEST(ValueTest, ObjectEqualityComparesNumbersByValue) {
    EXPECT_TRUE(isEqualObject(Value(true), Value(1)));
    EXPECT_TRUE(isEqualObject(Value(16), Value(16.0)));
    EXPECT_FALSE(isEqualObject(Value(16), Value("16")));
    EXPECT_TRUE(isEqualObject(Value(Array{1, 2.0}), Value(Array{1.0, 2})));
    EXPECT_FALSE(Value(16) == Value(16.0));
}

TEST(JsonTest, WritesSortedKeysWithEscapedSlashes) {
    Value record;
    record["b"] = 1;
    record["a"] = true;
    record["path"] = "a/b";
    EXPECT_EQ(json::write(record), R"({"a":true,"b":1,"path":"a\/b"})");
    EXPECT_EQ(json::write(record, json::Style::pretty), "{\n  \"a\" : true,\n  \"b\" : 1,\n  \"path\" : \"a\\/b\"\n}");
}

TEST(JsonTest, RefusesWhatJsonCannotHold) {
    EXPECT_FALSE(json::write(Value(Array{std::nan("")})));
    EXPECT_FALSE(json::write(Value(Array{Date{1}})));
    EXPECT_FALSE(json::write(Value(5)));
    EXPECT_TRUE(json::write(Value(5), json::Style::compact, true));
}

TEST(JsonTest, ParseKeepsIntegersApartFromFloatingNumbers) {
    auto parsed = json::parse(R"({"i": 3, "d": 3.0, "big": 18446744073709551615, "b": false})");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->find("i")->kind(), Value::Kind::integer);
    EXPECT_EQ(parsed->find("d")->kind(), Value::Kind::floating);
    EXPECT_EQ(parsed->find("big")->kind(), Value::Kind::unsignedInteger);
    EXPECT_EQ(parsed->find("b")->kind(), Value::Kind::boolean);
    EXPECT_FALSE(json::parse("{"));
}

}  // namespace
}  // namespace tarnwick

namespace tarnwick {
namespace {

TEST(SingleFloatTest, JsonWritesTheShortestSinglePrecisionDecimal) {
    Dictionary d;
    d["confidence"] = 0.97f;
    d["filterScale"] = 2.0f;
    d["seconds"] = static_cast<double>(0.97f);
    EXPECT_EQ(json::write(Value(d)), R"({"confidence":0.97,"filterScale":2,"seconds":0.9700000286102295})");
    EXPECT_FALSE(json::write(Value(Array{Value(std::nanf(""))})));
}

TEST(SingleFloatTest, ReadsAsTheNumberItWidensTo) {
    const Value v(0.5f);
    EXPECT_TRUE(v.isNumber());
    EXPECT_EQ(v.kind(), Value::Kind::singleFloating);
    EXPECT_EQ(v.toDouble(), 0.5);
    EXPECT_EQ(Value(3.0f).toInt64(), 3);
    EXPECT_FALSE(Value(0.5f).toInt64());
    EXPECT_TRUE(isEqualObject(Value(0.5f), Value(0.5)));
    EXPECT_FALSE(isEqualObject(Value(0.97f), Value(0.97)));
}

}  // namespace
}  // namespace tarnwick
