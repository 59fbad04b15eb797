#include "formats/utf_conversion.h"

#include <gtest/gtest.h>

namespace {

struct Utf8Case {
    const char* what;
    std::string utf8;
    std::u16string utf16;
};

TEST(UtfConversionTest, DecodesWellFormedAndReplacesIllFormedUtf8) {
    const Utf8Case cases[] = {
        {"ascii", "Install", u"Install"},
        {"two-byte", "Deutsch \xC3\xA4", u"Deutsch \u00E4"},
        {"three-byte", "\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},
        {"four-byte becomes a surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"stray continuation byte", "a\x80z", u"a\uFFFDz"},
        {"overlong encoding of '/'", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"truncated at the end", "ok\xE4\xB8", u"ok\uFFFD"},
        {"truncated before ascii", "\xE4\xB8z", u"\uFFFDz"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
        {"embedded NUL is kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const Utf8Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.what;
}

TEST(UtfConversionTest, EncodesUtf16AndReplacesUnpairedSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"Bahasa Indonesia"), "Bahasa Indonesia");
    EXPECT_EQ(Utf16ToUtf8(u"\u00E4\u4E2D\U0001F600"), "\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'x'}), "\xEF\xBF\xBDx");
    std::u16string all_planes = u"a\u07FF\u0800\uFFFF\U00010000\U0010FFFF";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all_planes)), all_planes);
}

}  // namespace
