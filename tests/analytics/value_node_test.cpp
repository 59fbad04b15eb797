#include "analytics/value_node.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cmath>

#include "analytics/properties.h"

namespace {

using analytics::CProperties;
using analytics::CValueNode;

TEST(ValueNodeTest, EachKindHasItsJsonForm) {
    // A fixed zone so that the date-time renders the same everywhere.
    setenv("TZ", "UTC0", 1);
    tzset();
    struct Case {
        const char* name;
        CValueNode node;
        std::string json;
    } cases[] = {
        {"integer", CValueNode::Integer(-9223372036854775807LL - 1), "-9223372036854775808"},
        {"number with six significant digits", CValueNode::Number(3.14159265), "3.14159"},
        {"large number", CValueNode::Number(1234567.0), "1.23457e+06"},
        {"not a number", CValueNode::Number(std::nan("")), "null"},
        {"true", CValueNode::Boolean(true), "true"},
        {"false", CValueNode::Boolean(false), "false"},
        {"string escapes", CValueNode::String("q\"b\\s\bf\fn\nr\rt\t"), R"("q\"b\\s\bf\fn\nr\rt\t")"},
        {"other bytes copied", CValueNode::String("caf\xC3\xA9 / \x7F"), "\"caf\xC3\xA9 / \x7F\""},
        {"other control bytes escaped", CValueNode::String(std::string("a\x01z\x1F", 4)),
         R"("a\u0001z\u001f")"},
        {"string list", CValueNode::StringList({"a", "b\"c"}), R"(["a","b\"c"])"},
        {"empty list", CValueNode::StringList({}), "[]"},
        {"date-time", CValueNode::DateTime(1700000000, 7), "\"2023-11-14 22:13:20.007\""},
        {"empty object", CValueNode::Object(), "{}"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.node.ToJson(), c.json) << c.name;
}

TEST(ValueNodeTest, DateTimeIsWrittenInTheUsersZone) {
    setenv("TZ", "IST-5:30", 1);
    tzset();
    EXPECT_EQ(CValueNode::DateTime(1700000000, 999).ToJson(), "\"2023-11-15 03:43:20.999\"");
}

TEST(ValueNodeTest, ObjectMembersAreOrderedByKeyBytesWhateverTheInsertionOrder) {
    CValueNode inner;
    inner.Set("z", CValueNode::Integer(1));
    inner.Set("a", CValueNode::Integer(2));
    CValueNode object;
    object.Set("b", CValueNode::String("x"));
    object.Set("\xC3\xA9", CValueNode::Integer(0));  // bytes above 0x7F sort after every ASCII key
    object.Set("_u", CValueNode::Boolean(false));
    object.Set("B", std::move(inner));
    object.Set("$lib", CValueNode::String("cpp"));
    EXPECT_EQ(object.ToJson(),
              "{\"$lib\":\"cpp\",\"B\":{\"a\":2,\"z\":1},\"_u\":false,\"b\":\"x\",\"\xC3\xA9\":0}");
}

TEST(ValueNodeTest, SettingAnExistingKeyReplacesItsValue) {
    CProperties properties;
    properties.SetString("k", "first");
    properties.SetInteger("k", 7);
    properties.SetString("j", "kept");
    EXPECT_EQ(properties.Node().ToJson(), R"({"j":"kept","k":7})");
}

TEST(ValueNodeTest, RejectedStringValueLeavesThePropertyAsItWas) {
    CProperties properties;
    ASSERT_TRUE(properties.SetString("k", "good"));
    EXPECT_FALSE(properties.SetString("k", std::string("bad\x01", 4)));
    EXPECT_EQ(properties.Node().ToJson(), R"({"k":"good"})");
}

}  // namespace
