#include "system/version_text.h"

#include <gtest/gtest.h>

#include <regex>

#include "formats/utf_conversion.h"
#include "platform/version_stamp.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(VersionTextTest, CompareVersionsPadsAndComparesNumbers) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int result;
    };
    const Case cases[] = {
        {u"1.2", u"1.2.0.0", 0},  {u"1.10", u"1.9", 1}, {u"1.9", u"1.10", -1}, {u"5.1.0.3", u"5.1.0.3", 0},
        {u"2", u"1.99.99.99", 1}, {u"", u"0.0.0.0", 0}, {u"", u"0.0.0.1", -1}, {u"1.2.3.4.5", u"1.2.3.4", 0},
        {u"1.x", u"1.0", 0},      {u"-1", u"0", -1},    {u" 3. 4", u"3.4", 0}, {u"3 .4", u"3.0", 0},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(CompareVersions(test.a, test.b), test.result)
            << Utf16ToUtf8(test.a) << " vs " << Utf16ToUtf8(test.b);
    }
}

TEST(VersionTextTest, ParseVersionStopsAtTheFirstPartThatDoesNotFit) {
    EXPECT_EQ(ParseVersion(u"5.1.0.3"), (std::vector<int>{5, 1, 0, 3}));
    EXPECT_EQ(ParseVersion(u"5.1.x.3"), (std::vector<int>{5, 1}));
    EXPECT_EQ(ParseVersion(u"v5"), (std::vector<int>{}));
    EXPECT_EQ(ParseVersion(u"+7.-2"), (std::vector<int>{7, -2}));
    EXPECT_EQ(ParseVersion(u"99999999999.1"), (std::vector<int>{2147483647, 1}));
}

TEST(VersionTextTest, FileVersionComesFromTheStamp) {
    test_support::TempFolder folder;
    std::string package = folder.Write("setup.bin", "payload");
    EXPECT_EQ(GetFileVersionText(Utf8ToUtf16(package)), std::nullopt);
    ASSERT_TRUE(platform::WriteVersionStamp(package, {5, 1, 0, 3}));
    EXPECT_EQ(GetFileVersionText(Utf8ToUtf16(package)), u"5.1.0.3");
    EXPECT_EQ(GetFileVersionText(Utf8ToUtf16(folder.Path() + "missing")), std::nullopt);
}

TEST(VersionTextTest, OsVersionHasThreeNumbers) {
    std::string version = Utf16ToUtf8(GetOsVersionText());
    EXPECT_TRUE(std::regex_match(version, std::regex(R"(\d+\.\d+\.\d+)"))) << version;
}

}  // namespace
