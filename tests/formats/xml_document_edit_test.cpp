// AddElement: the text written, and the index kept up without parsing again. After every addition the index
// is checked against the text and compared with the one a fresh parse of the same text builds.
#include <gtest/gtest.h>

#include <cstdint>

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"

namespace {

std::string Narrow(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

void ExpectIndexMatchesFreshParse(const CXmlDocument& document, const std::string& what = "") {
    EXPECT_EQ(document.CheckIndexForTesting(), "") << what;
    CXmlDocument fresh(document.GetDocumentText());
    EXPECT_EQ(document.DescribeTreeForTesting(), fresh.DescribeTreeForTesting())
        << what << "\n"
        << Narrow(document.GetDocumentText());
}

TEST(XmlDocumentEditTest, BuildsARunConfigurationFromADeclaration) {
    const std::u16string declaration = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    CXmlDocument document(declaration);
    EXPECT_EQ(document.GetResultText(), u"No root element");
    EXPECT_TRUE(document.AddElement(u"config"));
    EXPECT_TRUE(document.EnterElement());
    EXPECT_TRUE(document.AddElement(u"Status", u"1"));
    EXPECT_TRUE(document.AddElement(u"JoinExp", u""));
    EXPECT_EQ(document.GetDocumentText(),
              declaration + u"<config>\r\n<Status>1</Status>\r\n<JoinExp/>\r\n</config>\r\n");
    ExpectIndexMatchesFreshParse(document);
    EXPECT_TRUE(document.LeaveElement());
    document.ResetChildPosition();
    ASSERT_TRUE(document.FindChildElement(u"Status"));
    ASSERT_TRUE(document.EnterElement());
    EXPECT_EQ(document.GetElementText(), u"1");
}

TEST(XmlDocumentEditTest, ParentsWithoutContentGainIt) {
    const struct {
        const char* what;
        std::u16string before;
        std::u16string after;
    } cases[] = {
        {"empty element", u"<r><p/></r>", u"<r><p>\r\n<e/>\r\n</p></r>"},
        {"empty element with a blank", u"<r><p /></r>", u"<r><p >\r\n<e/>\r\n</p></r>"},
        {"empty element with an attribute", u"<r><p a=\"1\"/></r>", u"<r><p a=\"1\">\r\n<e/>\r\n</p></r>"},
        {"no content", u"<r><p></p></r>", u"<r><p>\r\n<e/>\r\n</p></r>"},
        {"text only: at the end of the content", u"<r><p>text</p></r>", u"<r><p>text<e/>\r\n</p></r>"},
        {"after the last child and the blanks after it", u"<r><p>\r\n  <a/>\r\n</p></r>",
         u"<r><p>\r\n  <a/>\r\n<e/>\r\n</p></r>"},
        {"after the last child when text follows it", u"<r><p><a/>tail</p></r>",
         u"<r><p><a/><e/>\r\ntail</p></r>"},
        // Never closed: it gains its end tag after its start tag, so its former children stay its siblings.
        {"unended", u"<r><p><a/></r>", u"<r><p>\r\n<e/>\r\n</p><a/></r>"},
        {"unended by an unquoted value ending in '/'", u"<r><p b=c/></r>",
         u"<r><p b=c/>\r\n<e/>\r\n</p></r>"},
    };
    for (const auto& c : cases) {
        CXmlDocument document(c.before);
        ASSERT_TRUE(document.FindElement(u"r") && document.EnterElement() && document.FindElement(u"p") &&
                    document.EnterElement())
            << c.what;
        EXPECT_TRUE(document.AddElement(u"e")) << c.what;
        EXPECT_EQ(Narrow(document.GetDocumentText()), Narrow(c.after)) << c.what;
        ExpectIndexMatchesFreshParse(document, c.what);
        EXPECT_TRUE(document.AddElement(u"f")) << c.what;  // after e, inside the now complete parent
        ExpectIndexMatchesFreshParse(document, c.what);
    }
}

TEST(XmlDocumentEditTest, InsertsAfterTheCurrentElementAndShiftsWhatFollows) {
    CXmlDocument document(u"<r>\r\n<a><x/></a>\r\n<b><y/><z/></b>\r\n</r>\r\n<!-- after -->");
    ASSERT_TRUE(document.FindElement(u"r") && document.EnterElement() && document.FindElement(u"a"));
    EXPECT_TRUE(document.AddElement(u"e", u"value"));
    EXPECT_EQ(document.GetDocumentText(),
              u"<r>\r\n<a><x/></a>\r\n<e>value</e>\r\n<b><y/><z/></b>\r\n</r>\r\n<!-- after -->");
    ExpectIndexMatchesFreshParse(document);
    // The cursor is on the new element; the following elements are found where they now are.
    EXPECT_EQ(document.GetElementText(), u"value");
    ASSERT_TRUE(document.FindElement(u"b") && document.EnterElement() && document.FindElement(u"z"));
    EXPECT_TRUE(document.AddElement(u"w"));
    ExpectIndexMatchesFreshParse(document);
}

TEST(XmlDocumentEditTest, AtTheDocumentLevelAddsAfterTheRoot) {
    CXmlDocument document(u"<a/>\r\n");
    EXPECT_TRUE(document.AddElement(u"b"));
    EXPECT_EQ(document.GetDocumentText(), u"<a/>\r\n<b/>\r\n");
    ExpectIndexMatchesFreshParse(document);
}

TEST(XmlDocumentEditTest, EscapesTheValueAndReadsItBackUnchanged) {
    const std::u16string values[] = {
        u"a<b & c>d",
        u"&amp; is not decoded twice, &#65; neither",
        u"quotes \" and ' stay",
        u"]]> and <![CDATA[",
        u"line\r\nbreaks\tand tabs",
        u"\u00E4\u4E2D\U0001F600",
    };
    CXmlDocument document(u"<r></r>");
    ASSERT_TRUE(document.FindElement() && document.EnterElement());
    for (const std::u16string& value : values) ASSERT_TRUE(document.AddElement(u"v", value));
    EXPECT_NE(document.GetDocumentText().find(u"<v>a&lt;b &amp; c&gt;d</v>"), std::u16string::npos);
    ExpectIndexMatchesFreshParse(document);
    document.ResetPosition();
    ASSERT_TRUE(document.FindElement() && document.EnterElement());
    for (const std::u16string& value : values) {
        ASSERT_TRUE(document.FindElement(u"v"));
        EXPECT_EQ(Narrow(document.GetElementText()), Narrow(value));
    }
}

TEST(XmlDocumentEditTest, RefusesWhatCannotBeReadBack) {
    CXmlDocument document(u"<r/>");
    ASSERT_TRUE(document.FindElement() && document.EnterElement());
    for (std::u16string name : {u"", u"1a", u"-a", u"a b", u"a/b", u"a>b", u"a=b", u"a\"", u"a&b", u"a?"}) {
        EXPECT_FALSE(document.AddElement(name, u"x")) << Narrow(name);
    }
    EXPECT_FALSE(document.AddElement(std::u16string(1021, u'n')));  // "</" + name + ">" would not fit
    EXPECT_EQ(document.GetDocumentText(), u"<r/>");
    EXPECT_TRUE(document.AddElement(std::u16string(1020, u'n')));
    EXPECT_TRUE(document.AddElement(u"ns:\u00E9l\u00E9ment_1.x"));
    EXPECT_TRUE(document.AddElement(u"cut", std::u16string(u"ab\0cd", 5)));  // a value ends at its NUL
    EXPECT_NE(document.GetDocumentText().find(u"<cut>ab</cut>"), std::u16string::npos);
    ExpectIndexMatchesFreshParse(document);

    // A parent whose own name is too long for an end tag cannot be given content.
    std::u16string long_parent = u"<" + std::u16string(1100, u'p') + u"/>";
    document.SetDocumentText(long_parent);
    ASSERT_TRUE(document.FindElement() && document.EnterElement());
    EXPECT_FALSE(document.AddElement(u"e"));
    EXPECT_EQ(document.GetDocumentText(), long_parent);

    // Nor one at the deepest level the index holds.
    std::u16string deep;
    for (int i = 0; i < 65536; ++i) deep += u"<a>";
    for (int i = 0; i < 65536; ++i) deep += u"</a>";
    ASSERT_TRUE(document.SetDocumentText(deep));
    while (document.FindElement() && document.EnterElement()) {
    }
    ASSERT_TRUE(document.LeaveElement());  // current: the innermost a, at depth 65,535
    EXPECT_TRUE(document.AddElement(u"sibling"));
    ASSERT_TRUE(document.EnterElement());
    EXPECT_FALSE(document.AddElement(u"too_deep"));
}

// Appended to a text that ends inside an unterminated node, the element would be part of that node for the
// next parse (found by the fuzz target).
TEST(XmlDocumentEditTest, DoesNotAppendInsideANodeLeftOpenAtTheEnd) {
    for (std::u16string open_end : {u"<?xml version=\"1.0\"?", u"<!DOCTYPE a [ <!ENTITY x \"y>", u"<!-- x"}) {
        CXmlDocument document(open_end);
        EXPECT_FALSE(document.AddElement(u"config")) << Narrow(open_end);
        EXPECT_EQ(document.GetDocumentText(), open_end);
        EXPECT_EQ(document.CheckIndexForTesting(), "");
    }
    // Before such a node there is room.
    CXmlDocument document(u"<a/>\r\n<!-- open");
    ASSERT_TRUE(document.FindElement(u"a"));
    EXPECT_TRUE(document.AddElement(u"b"));
    EXPECT_EQ(document.GetDocumentText(), u"<a/>\r\n<b/>\r\n<!-- open");
    ExpectIndexMatchesFreshParse(document);
}

// A run of additions at the end of a parent: the index stays exact without a parse.
TEST(XmlDocumentEditTest, LongRunOfAdditionsKeepsTheIndexExact) {
    CXmlDocument document(u"<?xml version=\"1.0\"?>\r\n<items>\r\n</items>\r\n");
    ASSERT_TRUE(document.FindElement(u"items") && document.EnterElement());
    for (int i = 0; i < 20000; ++i) {
        ASSERT_TRUE(document.AddElement(u"item", u"value " + std::u16string(1, char16_t(u'a' + i % 26))));
    }
    ExpectIndexMatchesFreshParse(document);
    document.ResetPosition();
    ASSERT_TRUE(document.FindElement(u"items") && document.EnterElement());
    int count = 0;
    while (document.FindElement(u"item")) ++count;
    EXPECT_EQ(count, 20000);
}

// Additions at cursor positions chosen by a fixed pseudo-random walk over a document with every kind of
// node, nested and broken parts included.
TEST(XmlDocumentEditTest, AdditionsAnywhereKeepTheIndexConsistent) {
    CXmlDocument document(
        u"<?xml version=\"1.0\"?>\n<!DOCTYPE r>\n<r a=\"1\">\n  <x>text<![CDATA[<raw>]]></x>\n"
        u"  <y><y1/><y2>t</y2><!-- c --><y3 q='a>b'></y3></y>\n  <z/>\n  <u><v></u>\n  <w b=c/>\n  "
        u"tail\n</r>\n");
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    for (int step = 0; step < 300; ++step) {
        switch (next(6)) {
            case 0:
                document.FindElement();
                break;
            case 1:
                document.EnterElement();
                break;
            case 2:
                document.LeaveElement();
                break;
            case 3:
                document.FindChildElement();
                break;
            case 4:
                if (next(4) == 0) document.ResetPosition();
                break;
            default:
                document.AddElement(u"n" + std::u16string(1, char16_t(u'a' + next(26))),
                                    next(2) ? std::u16string(next(5), u'&') : std::u16string());
                ASSERT_EQ(document.CheckIndexForTesting(), "") << "step " << step;
        }
    }
    EXPECT_EQ(document.CheckIndexForTesting(), "");
}

}  // namespace
