// Files, the document's own counted UTF-8 conversions, and entity escaping.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process_identity.h"

namespace {

std::string Narrow(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

class XmlDocumentFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = platform::GetTempFolder() + "ixo-xml-test-" + std::to_string(platform::CurrentProcessId()) +
                  "-" + testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        ASSERT_TRUE(platform::CreateFolderWithParents(folder_));
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::u16string Write(const std::string& name, const std::string& bytes) {
        EXPECT_TRUE(platform::WriteFileAtomically(folder_ + name, bytes));
        return Utf8ToUtf16(folder_ + name);
    }

    std::string folder_;
};

TEST_F(XmlDocumentFileTest, LoadNotesTheConversionBeforeTheParseMessage) {
    std::string ascii = "<?xml version=\"1.0\"?>\n<config>\n  <Status>1</Status>\n  <JoinExp/>\n</config>\n";
    ascii.insert(ascii.size() - 1, std::string(120 - ascii.size(), ' '));
    ASSERT_EQ(ascii.size(), 120u);
    CXmlDocument document;
    EXPECT_TRUE(document.LoadFile(Write("ascii.xml", ascii)));
    EXPECT_EQ(Narrow(document.GetResultText()), "120 bytes to 120 wide chars");
    ASSERT_TRUE(document.FindElement(u"config") && document.EnterElement() &&
                document.FindElement(u"Status"));
    EXPECT_EQ(document.GetElementText(), u"1");

    EXPECT_FALSE(document.LoadFile(Write("siblings.xml", "<a/><b/>")));
    EXPECT_EQ(Narrow(document.GetResultText()), "8 bytes to 8 wide chars, Root element has sibling");

    EXPECT_TRUE(document.LoadFile(Write("accents.xml", "<a>\xC3\xA4\xF0\x9F\x98\x80</a>")));
    EXPECT_EQ(Narrow(document.GetResultText()), "13 bytes to 10 wide chars");
}

TEST_F(XmlDocumentFileTest, LoadTurnsInvalidUtf8IntoQuestionMarks) {
    CXmlDocument document;
    EXPECT_TRUE(document.LoadFile(Write("bad.xml", "<a>x\xFFy\xE4\xB8z\xC0\xAF</a>")));
    ASSERT_TRUE(document.FindElement(u"a"));
    EXPECT_EQ(Narrow(document.GetElementText()), "x?y?z?");

    // A byte-order mark becomes a leading U+FEFF text node and does no harm.
    EXPECT_TRUE(document.LoadFile(Write("bom.xml", "\xEF\xBB\xBF<a>1</a>")));
    EXPECT_EQ(document.GetDocumentText(), u"\uFEFF<a>1</a>");
    EXPECT_EQ(Narrow(document.GetResultText()), "11 bytes to 9 wide chars");
}

TEST_F(XmlDocumentFileTest, LoadFailureGivesTheErrorTextAndKeepsTheDocument) {
    CXmlDocument document(u"<kept/>");
    EXPECT_FALSE(document.LoadFile(Utf8ToUtf16(folder_ + "missing.xml")));
    EXPECT_EQ(Narrow(document.GetResultText()), std::strerror(ENOENT));
    EXPECT_EQ(document.GetDocumentText(), u"<kept/>");
    EXPECT_FALSE(document.LoadFile(Utf8ToUtf16(folder_)));  // a folder
    EXPECT_EQ(Narrow(document.GetResultText()), std::strerror(EISDIR));
}

TEST_F(XmlDocumentFileTest, SaveWritesUtf8WithoutAByteOrderMark) {
    CXmlDocument document(u"<?xml version=\"1.0\"?>\n");
    ASSERT_TRUE(document.AddElement(u"config") && document.EnterElement());
    ASSERT_TRUE(document.AddElement(u"Name", u"\u00E4 & \U0001F600"));
    const std::string path = folder_ + "run.xml";
    EXPECT_TRUE(document.SaveFile(Utf8ToUtf16(path)));
    const std::string expected =
        "<?xml version=\"1.0\"?>\n<config>\r\n<Name>\xC3\xA4 &amp; \xF0\x9F\x98\x80</Name>\r\n</config>\r\n";
    EXPECT_EQ(platform::ReadFile(path).value_or(""), expected);
    EXPECT_EQ(Narrow(document.GetResultText()), std::to_string(document.GetDocumentText().size()) +
                                                    " wide chars to " + std::to_string(expected.size()) +
                                                    " bytes");
    // Written whole: no temporary file is left beside it.
    EXPECT_EQ(platform::ListFolder(folder_).size(), 1u);

    CXmlDocument loaded;
    EXPECT_TRUE(loaded.LoadFile(Utf8ToUtf16(path)));
    EXPECT_EQ(loaded.GetDocumentText(), document.GetDocumentText());

    EXPECT_FALSE(document.SaveFile(Utf8ToUtf16(folder_ + "no/such/folder/run.xml")));
    EXPECT_EQ(Narrow(document.GetResultText()), std::strerror(ENOENT));
}

TEST(XmlDocumentUtfTest, Utf8ToUtf16CountsThenConverts) {
    const struct {
        const char* what;
        std::string bytes;
        std::u16string text;
        int consumed;
    } cases[] = {
        {"ascii", "abc", u"abc", 3},
        {"two, three and four bytes", "\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80", u"\u00E4\u4E2D\U0001F600", 9},
        {"bad lead byte", "a\xF8z", u"a?z", 3},
        {"stray continuation bytes, one mark each", "a\x80\x80z", u"a??z", 4},
        {"missing continuation: the breaking byte is read again", "\xE4\xB8z", u"?z", 3},
        {"lead byte breaking off another", "\xC3\xC3\xA4", u"?\u00E4", 3},
        {"overlong form", "\xC0\xAF", u"?", 2},
        {"overlong zero does not end the text", "a\xC0\x80z", u"a?z", 4},
        {"encoded surrogate", "\xED\xA0\x80", u"?", 3},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"?", 4},
        {"cut off by the end: dropped", "ok\xE4\xB8", u"ok", 2},
        {"a zero ends the text and is stored", std::string("ab\0cd", 5), std::u16string(u"ab\0", 3), 3},
    };
    for (const auto& c : cases) {
        const int count = int(c.bytes.size());
        EXPECT_EQ(CXmlDocument::Utf8ToUtf16(c.bytes.data(), count), int(c.text.size())) << c.what;
        std::u16string out = u"old";
        EXPECT_EQ(CXmlDocument::Utf8ToUtf16(c.bytes.data(), count, &out), c.consumed) << c.what;
        EXPECT_EQ(Narrow(out), Narrow(c.text)) << c.what;
    }
    EXPECT_EQ(CXmlDocument::Utf8ToUtf16(nullptr, 5), 0);
    EXPECT_EQ(CXmlDocument::Utf8ToUtf16("abc", -1), 0);
}

TEST(XmlDocumentUtfTest, Utf16ToUtf8StopsBeforeACharacterThatDoesNotFit) {
    const std::u16string text = u"a\u00E4\u4E2D\U0001F600";  // 1 + 2 + 3 + 4 bytes
    EXPECT_EQ(CXmlDocument::Utf16ToUtf8(text.c_str()), 10);
    const struct {
        int size;
        int written;
        std::string bytes;  // with the NUL when one was appended
    } cases[] = {
        {11, 10, std::string("a\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80\0", 11)},
        {10, 10, "a\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80"},  // full: no room for the NUL
        {9, 6, std::string("a\xC3\xA4\xE4\xB8\xAD\0", 7)},
        {2, 1, std::string("a\0", 2)},
        {1, 1, "a"},
        {0, 0, ""},
    };
    for (const auto& c : cases) {
        std::string buffer(16, '#');
        EXPECT_EQ(CXmlDocument::Utf16ToUtf8(text.c_str(), buffer.data(), c.size), c.written) << c.size;
        EXPECT_EQ(buffer.substr(0, c.bytes.size()), c.bytes) << c.size;
        EXPECT_EQ(buffer.substr(c.bytes.size()), std::string(16 - c.bytes.size(), '#')) << c.size;
    }
    // Unpaired surrogates become '?' and do not swallow the unit after them.
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, u'c', 0xD83D, 0};
    EXPECT_EQ(CXmlDocument::Utf16ToUtf8(lone), 6);
    char buffer[8];
    CXmlDocument::Utf16ToUtf8(lone, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "a?b?c?");
    EXPECT_EQ(CXmlDocument::Utf16ToUtf8(nullptr), 0);
}

TEST(XmlDocumentEscapeTest, EscapeOnlyTheThreeMarkupCharacters) {
    EXPECT_EQ(CXmlDocument::EscapeText(u"a<b>&\"c\"'d'"), u"a&lt;b&gt;&amp;\"c\"'d'");
    EXPECT_EQ(CXmlDocument::EscapeText(u""), u"");
}

TEST(XmlDocumentEscapeTest, UnescapeEntitiesAndCharacterReferences) {
    const struct {
        std::u16string escaped;
        std::u16string plain;
    } cases[] = {
        {u"&lt;&amp;&gt;&apos;&quot;", u"<&>'\""},
        {u"&#65;&#x42;&#x4e2D;", u"AB\u4E2D"},
        {u"&#65535;&#xFFFF;", u"\uFFFF\uFFFF"},          // ';' 7 characters after the '&'
        {u"&#123456;&#x1F600;", u"&#123456;&#x1F600;"},  // further away: literal
        {u"&#65601;", u"A"},                             // the low 16 bits
        {u"&#0;&#x0;&#65536;", u"&#0;&#x0;&#65536;"},    // a value of 0 is not decoded
        {u"&#;&#x;&#12a;&#X41;&#-1;", u"&#;&#x;&#12a;&#X41;&#-1;"},
        {u"&bogus; & &amp &lt", u"&bogus; & &amp &lt"},
        {u"&&lt;", u"&<"},
        {u"&amp;lt;", u"&lt;"},
        {u"tail &", u"tail &"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Narrow(CXmlDocument::UnescapeText(c.escaped)), Narrow(c.plain)) << Narrow(c.escaped);
    }
    const std::u16string awkward = u"&amp;lt; <&> &#65; ]]>";
    EXPECT_EQ(CXmlDocument::UnescapeText(CXmlDocument::EscapeText(awkward)), awkward);
}

}  // namespace
