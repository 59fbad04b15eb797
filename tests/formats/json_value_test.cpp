#include "formats/json_value.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using jsonw::CJsonValue;

const std::string kParseError = "parse json string error at ";

TEST(JsonValueTest, FailedParseLeavesNoNodeAndNamesTheRestOfTheInput) {
    struct Case {
        std::string text;
        std::string rest;
    };
    const std::string deep = std::string(1001, '[') + std::string(1001, ']');
    const Case cases[] = {
        {"", ""},
        {"   ", ""},
        {"<html>", "<html>"},
        {"nul", ""},
        {"{\"a\":x}", "x}"},
        {"{\"a\":1", ""},
        {"[1,2,]", "]"},
        {"{} x", "x"},
        {"{\"a\":1,}", "}"},
        {"{\"a\" 1}", "1}"},
        {"\"\xFF\"", "\xFF\""},
        {"{\"n\":1e999,\"m\":2}", "1e999,\"m\":2}"},
        {"[\"1e999\",-2E+999]", "-2E+999]"},
        {deep, std::string("[") + std::string(1001, ']')},
    };
    for (const Case& c : cases) {
        CJsonValue value(c.text);
        EXPECT_EQ(value.GetErrorMessage(), kParseError + c.rest) << c.text.substr(0, 40);
        EXPECT_EQ(value.ToString(), "");
        std::string text = "unchanged";
        int32_t number = -1;
        CJsonValue target;
        EXPECT_FALSE(value.Get("a", text));
        EXPECT_FALSE(value.Get("a", number));
        EXPECT_FALSE(value.Get("a", target));
        EXPECT_FALSE(value.IsNull("a"));
        EXPECT_EQ(text, "unchanged");
        EXPECT_EQ(number, -1);
    }
}

TEST(JsonValueTest, NestingUpToTheLimitIsAccepted) {
    const std::string deep =
        std::string(CJsonValue::kMaxDepth, '[') + std::string(CJsonValue::kMaxDepth, ']');
    CJsonValue value;
    ASSERT_TRUE(value.Parse(deep)) << value.GetErrorMessage().substr(0, 80);
    EXPECT_EQ(value.ToString(), deep);
}

TEST(JsonValueTest, PrintsCompactlyInMemberOrderWithTheDocumentedEscapes) {
    struct Case {
        std::string text;
        std::string printed;
    };
    const Case cases[] = {
        {" { \"z\" : 1 , \"a\" : [ true , false , null ] } ", "{\"z\":1,\"a\":[true,false,null]}"},
        {"{\"s\":\"q\\\" b\\\\ \\/ \\b\\f\\n\\r\\t\"}", "{\"s\":\"q\\\" b\\\\ / \\b\\f\\n\\r\\t\"}"},
        {"[\"\\u0001\\u001F\\u007f\"]", "[\"\\u0001\\u001f\x7f\"]"},
        {"[\"\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80\", \"\\u00e4\"]",
         "[\"\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80\",\"\xC3\xA4\"]"},
        {"[18446744073709551615,-9223372036854775808,10310875932697,-0,0]",
         "[18446744073709551615,-9223372036854775808,10310875932697,0,0]"},
        {"[1.5,-2.25e-3]", "[1.5,-0.00225]"},
        {"\"bare\"", "\"bare\""},
        {"{\"a\":1,\"a\":2,\"A\":3}", "{\"a\":1,\"a\":2,\"A\":3}"},
        {"{}", "{}"},
        {"[]", "[]"},
    };
    for (const Case& c : cases) {
        CJsonValue value;
        ASSERT_TRUE(value.Parse(c.text)) << c.text << ": " << value.GetErrorMessage();
        EXPECT_EQ(value.ToString(), c.printed) << c.text;
    }
}

TEST(JsonValueTest, IntegerGettersTakeLowBitsOrTruncateAndLeaveOtherKindsAlone) {
    struct Case {
        std::string text;
        bool found;
        int32_t as32;
        int64_t as64;
    };
    const Case cases[] = {
        {"{\"code\":0}", true, 0, 0},
        {"{\"code\":1.9}", true, 1, 1},
        {"{\"code\":-1.9}", true, -1, -1},
        {"{\"code\":-401}", true, -401, -401},
        {"{\"code\":4294967301}", true, 5, 4294967301LL},
        {"{\"code\":18446744073709551615}", true, -1, -1},
        {"{\"code\":1e300}", true, INT32_MAX, INT64_MAX},
        {"{\"code\":-1e300}", true, INT32_MIN, INT64_MIN},
        {"{\"code\":\"0\"}", false, 77, 77},
        {"{\"code\":null}", false, 77, 77},
        {"{\"code\":true}", false, 77, 77},
        {"{\"code\":{}}", false, 77, 77},
        {"{\"other\":0}", false, 77, 77},
        {"[0]", false, 77, 77},
    };
    for (const Case& c : cases) {
        CJsonValue value(c.text);
        int32_t as32 = 77;
        int64_t as64 = 77;
        EXPECT_EQ(value.Get("code", as32), c.found) << c.text;
        EXPECT_EQ(value.Get("code", as64), c.found) << c.text;
        EXPECT_EQ(as32, c.as32) << c.text;
        EXPECT_EQ(as64, c.as64) << c.text;
    }
}

TEST(JsonValueTest, StringGetterReadsOnlyStrings) {
    CJsonValue value("{\"msg\":\"bad token\",\"n\":5,\"o\":{\"x\":1}}");
    std::string text = "preset";
    EXPECT_FALSE(value.Get("n", text));
    EXPECT_FALSE(value.Get("o", text));
    EXPECT_FALSE(value.Get("missing", text));
    EXPECT_EQ(text, "preset");
    EXPECT_TRUE(value.Get("MSG", text));
    EXPECT_EQ(text, "bad token");
}

TEST(JsonValueTest, IsNullOnlyForAPresentNullMember) {
    struct Case {
        std::string text;
        bool is_null;
    };
    const Case cases[] = {
        {"{\"data\":null}", true}, {"{\"Data\":null}", true}, {"{\"data\":{}}", false}, {"{}", false},
        {"{\"data\":0}", false},   {"[null]", false},
    };
    for (const Case& c : cases) EXPECT_EQ(CJsonValue(c.text).IsNull("data"), c.is_null) << c.text;
}

TEST(JsonValueTest, KeysMatchWithoutCaseAndTheFirstOfEqualKeysWins) {
    CJsonValue value("{\"Code\":1,\"code\":2,\"dup\":\"first\",\"dup\":\"second\"}");
    int32_t code = -1;
    ASSERT_TRUE(value.Get("CODE", code));
    EXPECT_EQ(code, 1);
    std::string dup;
    ASSERT_TRUE(value.Get("Dup", dup));
    EXPECT_EQ(dup, "first");

    CJsonValue body;
    ASSERT_TRUE(body.Add("code", 0));
    EXPECT_FALSE(body.Add("Code", std::string("x")));
    EXPECT_EQ(body.GetErrorMessage(), "key exists!");
    EXPECT_FALSE(body.AddEmptyArray("CODE"));
    EXPECT_EQ(body.ToString(), "{\"code\":0}");
}

TEST(JsonValueTest, AddingAKeyTwiceKeepsTheFirstValue) {
    CJsonValue value;
    EXPECT_TRUE(value.Add("a", std::string("x")));
    EXPECT_FALSE(value.Add("a", std::string("y")));
    EXPECT_EQ(value.GetErrorMessage(), "key exists!");
    EXPECT_EQ(value.ToString(), "{\"a\":\"x\"}");
    // The error text stays until the next failure.
    EXPECT_TRUE(value.Add("b", 1));
    EXPECT_EQ(value.GetErrorMessage(), "key exists!");
}

TEST(JsonValueTest, AddKeepsInsertionOrderAndExactIntegers) {
    CJsonValue value;
    EXPECT_TRUE(value.Add("title", std::string("t\"1\n")));
    EXPECT_TRUE(value.Add("ticket_form_id", int64_t{10310875932697}));
    EXPECT_TRUE(value.Add("min", INT64_MIN));
    EXPECT_TRUE(value.Add("neg", int32_t{-7}));
    EXPECT_TRUE(value.AddEmptyArray("attachment"));
    EXPECT_TRUE(value.Add("raw", std::string("\xFF\x01")));
    EXPECT_EQ(value.ToString(),
              "{\"title\":\"t\\\"1\\n\",\"ticket_form_id\":10310875932697,\"min\":-9223372036854775808,"
              "\"neg\":-7,\"attachment\":[],\"raw\":\"\xFF\\u0001\"}");
}

TEST(JsonValueTest, KindMismatchesAreRefusedWithTheirTexts) {
    CJsonValue array("[1]");
    EXPECT_FALSE(array.Add("a", 1));
    EXPECT_EQ(array.GetErrorMessage(), "not a json object! json array?");
    EXPECT_FALSE(array.AddEmptyArray("a"));
    EXPECT_EQ(array.ToString(), "[1]");

    CJsonValue object("{}");
    CJsonValue element("{\"x\":1}");
    EXPECT_FALSE(object.Add(element));
    EXPECT_EQ(object.GetErrorMessage(), "not a json array! json object?");

    CJsonValue scalar("5");
    EXPECT_FALSE(scalar.Add("a", 1));
    EXPECT_EQ(scalar.GetErrorMessage(), "not a json object! json array?");
}

TEST(JsonValueTest, ArrayAppendIsADeepCopy) {
    CJsonValue element("{\"id\":1,\"tags\":[\"a\"]}");
    CJsonValue list;
    ASSERT_TRUE(list.Add(element));
    ASSERT_TRUE(element["tags"].Add(CJsonValue("\"b\"")));
    ASSERT_TRUE(element.Add("later", 2));
    ASSERT_TRUE(list.Add(element));
    EXPECT_EQ(list.ToString(), "[{\"id\":1,\"tags\":[\"a\"]},{\"id\":1,\"tags\":[\"a\",\"b\"],\"later\":2}]");

    // An element with no value cannot be copied.
    CJsonValue nothing;
    EXPECT_FALSE(list.Add(nothing));
    EXPECT_EQ(list.GetErrorMessage(), kParseError);
}

TEST(JsonValueTest, KeyOperatorChangesTheParentInPlace) {
    CJsonValue report;
    ASSERT_TRUE(report.Add("client_sign", std::string("abc")));
    ASSERT_TRUE(report.AddEmptyArray("files"));
    CJsonValue& files = report["files"];
    EXPECT_EQ(&files, &report["files"]);
    ASSERT_TRUE(files.Add(CJsonValue("{\"n\":1}")));
    // The parent grows after the child was handed out; the child must still reach its member.
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(report.Add("k" + std::to_string(i), i));
    ASSERT_TRUE(files.Add(CJsonValue("{\"n\":2}")));
    EXPECT_EQ(files.ToString(), "[{\"n\":1},{\"n\":2}]");
    EXPECT_EQ(report.ToString().substr(0, 53),
              "{\"client_sign\":\"abc\",\"files\":[{\"n\":1},{\"n\":2}],\"k0\":0");

    // A missing key gives an empty wrapper of its own; what is added to it stays out of the parent.
    CJsonValue& missing = report["missing"];
    EXPECT_EQ(missing.ToString(), "");
    ASSERT_TRUE(missing.Add("x", 1));
    EXPECT_EQ(missing.ToString(), "{\"x\":1}");
    EXPECT_EQ(report.ToString().find("missing"), std::string::npos);

    // Nested wrappers read through two levels.
    CJsonValue reply("{\"data\":{\"tips\":{\"title\":\"T\"}}}");
    std::string title;
    EXPECT_TRUE(reply["data"]["tips"].Get("title", title));
    EXPECT_EQ(title, "T");
}

TEST(JsonValueTest, IndexWrappersForNewElementsAreRenewedByAppend) {
    CJsonValue list("[10]");
    CJsonValue& first = list[0];
    CJsonValue& beyond = list[1];
    EXPECT_EQ(first.ToString(), "10");
    EXPECT_EQ(beyond.ToString(), "");
    ASSERT_TRUE(list.Add(CJsonValue("20")));
    EXPECT_EQ(&list[0], &first);
    EXPECT_EQ(list[1].ToString(), "20");
}

TEST(JsonValueTest, ObjectGetterCopiesTheValue) {
    CJsonValue reply("{\"code\":0,\"data\":{\"access_token\":\"T\",\"n\":[1,2]}}");
    CJsonValue data;
    ASSERT_TRUE(reply.Get("DATA", data));
    std::string token;
    ASSERT_TRUE(data.Get("access_token", token));
    EXPECT_EQ(token, "T");
    ASSERT_TRUE(data.Add("extra", 1));
    EXPECT_EQ(reply.ToString(), "{\"code\":0,\"data\":{\"access_token\":\"T\",\"n\":[1,2]}}");

    CJsonValue scalar;
    ASSERT_TRUE(reply.Get("code", scalar));
    EXPECT_EQ(scalar.ToString(), "0");
    EXPECT_FALSE(reply.Get("absent", scalar));
    EXPECT_EQ(scalar.ToString(), "0");

    // A target that already held children loses them with its old value.
    CJsonValue target("{\"old\":1}");
    CJsonValue& old_child = target["old"];
    EXPECT_EQ(old_child.ToString(), "1");
    ASSERT_TRUE(reply.Get("data", target));
    EXPECT_EQ(target["old"].ToString(), "");
}

TEST(JsonValueTest, ParseAndClearDiscardEverything) {
    CJsonValue value("{\"a\":1}");
    ASSERT_EQ(value["a"].ToString(), "1");
    EXPECT_FALSE(value.Parse("{"));
    EXPECT_EQ(value.ToString(), "");
    EXPECT_EQ(value["a"].ToString(), "");
    ASSERT_TRUE(value.Parse("{\"b\":2}"));
    value.Clear();
    EXPECT_EQ(value.ToString(), "");
    // After Clear the first Add starts a new object.
    EXPECT_TRUE(value.Add("c", 3));
    EXPECT_EQ(value.ToString(), "{\"c\":3}");
}

}  // namespace
