#include "system/time_and_url.h"

#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "formats/utf_conversion.h"

namespace {

TEST(TimeAndUrlTest, TimestampParameterJoinsWithQuestionMarkOrAmpersand) {
    EXPECT_EQ(AddTimestampParam(u"https://x.test/page.html", 1700000000),
              u"https://x.test/page.html?_t=1700000000");
    EXPECT_EQ(AddTimestampParam(u"https://x.test/page.html?a=1", 5), u"https://x.test/page.html?a=1&_t=5");
    int64_t before = int64_t(std::time(nullptr));
    std::string stamped = Utf16ToUtf8(AddTimestampParam(u"p"));
    int64_t after = int64_t(std::time(nullptr));
    ASSERT_EQ(stamped.compare(0, 5, "p?_t="), 0);
    int64_t seconds = std::stoll(stamped.substr(5));
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
}

TEST(TimeAndUrlTest, HttpUrlNeedsTheSchemeAndSomethingAfterIt) {
    struct Case {
        const char16_t* text;
        bool valid;
    };
    const Case cases[] = {
        {u"http://a", true},   {u"http://", false},     {u"https://", false},
        {u"https://a", true},  {u"  http://a  ", true}, {u"\thttps://x\t", true},
        {u"ftp://a.b", false}, {u"HTTP://a", false},    {u"", false},
        {u"   ", false},       {u"x http://a", false},  {u"https:/a.b", false},
    };
    for (const Case& test : cases) EXPECT_EQ(IsHttpUrl(test.text), test.valid) << Utf16ToUtf8(test.text);
}

TEST(TimeAndUrlTest, TimestampTextIsFourteenDigits) {
    std::string text = Utf16ToUtf8(GetTimestampText());
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(20\d{2}(0[1-9]|1[0-2])\d{8})"))) << text;
}

}  // namespace
