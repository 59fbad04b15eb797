// Parsing: the result messages, the well-formed flag and the element tree built from bad markup.
#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"

namespace {

std::string Narrow(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

struct ParseCase {
    const char* what;
    std::u16string text;
    bool well_formed;
    std::u16string result;
    // Every element in document order: "start,length,start-tag length,end-tag length,depth[,u];"
    std::string tree;
};

TEST(XmlDocumentParseTest, ReportsTheFirstProblemAndBuildsAUsableTree) {
    const ParseCase cases[] = {
        {"empty text", u"", false, u"Empty document", ""},
        {"no element at all", u"just text", false, u"No root element", ""},
        {"plain document", u"<a><b>1</b><c/></a>", true, u"", "0,19,3,4,0;3,8,3,4,1;11,4,4,0,1;"},
        {"comment and processing instruction before the root", u"<!-- x --><?pi?><a/>", true, u"",
         "16,4,4,0,0;"},
        {"end tag closes an outer element", u"<a><b></a>", false,
         u"End tag 'a' at offset 7 does not match start tag 'b' at offset 3", "0,10,3,4,0;3,3,3,0,1,u;"},
        {"stray end tag", u"<a></b></a>", false, u"No start tag for end tag 'b' at offset 3", "0,11,3,4,0;"},
        {"nothing closed: the inner element moves up beside the root", u"<a><b>", false,
         u"Root element has sibling", "0,3,3,0,0,u;3,3,3,0,0,u;"},
        {"two top-level elements", u"<a/><b/>", false, u"Root element has sibling", "0,4,4,0,0;4,4,4,0,0;"},
        {"quoted '>' in attributes, empty element", u"<a x=\"1>2\" y='q'/>", true, u"", "0,18,18,0,0;"},
        {"'/' of an unquoted value does not make the element empty", u"<a b=c/>", false,
         u"Element 'a' at offset 0 not ended", "0,8,8,0,0,u;"},
        {"'/' after a quote or a blank does", u"<a b='c'/><c />", false, u"Root element has sibling",
         "0,10,10,0,0;10,5,5,0,0;"},
        {"children of unended elements follow them, outermost first", u"<r><a><b><c/></r>", false,
         u"End tag 'r' at offset 14 does not match start tag 'b' at offset 6",
         "0,17,3,4,0;3,3,3,0,1,u;6,3,3,0,1,u;9,4,4,0,1;"},
        {"end tag matches the innermost element of that name", u"<a><a></a>", false,
         u"Root element has sibling", "0,3,3,0,0,u;3,7,3,4,0;"},
        {"end tag with blanks before '>'", u"<a><b></b\n></a >", true, u"", "0,16,3,5,0;3,8,3,5,1;"},
        {"bad character after '<'", u"<a>< b></a>", false, u"Incorrect tag name character at offset 3",
         "0,11,3,4,0;"},
        {"bad '<!'", u"<a><!x></a>", false, u"Incorrect ! tag at offset 3", "0,11,3,4,0;"},
        {"bad '<!-'", u"<a><!-x></a>", false, u"Incorrect comment tag at offset 3", "0,12,3,4,0;"},
        {"bad '<!['", u"<a><![x[]]></a>", false, u"Incorrect tag at offset 3", "0,15,3,4,0;"},
        {"error node ends before the next '<'", u"<a><1<b/></a>", false,
         u"Incorrect tag name character at offset 3", "0,13,3,4,0;5,4,4,0,1;"},
        {"unterminated comment", u"<a><!-- x", false, u"Comment at offset 3 unterminated", "0,3,3,0,0,u;"},
        {"unterminated CDATA", u"<a><![CDATA[ x", false, u"CDATA Section at offset 3 unterminated",
         "0,3,3,0,0,u;"},
        {"unterminated processing instruction", u"<a><?p ?", false,
         u"Processing instruction at offset 3 unterminated", "0,3,3,0,0,u;"},
        {"unterminated start tag (quote left open)", u"<a><b x='1></a>", false,
         u"Element tag at offset 3 unterminated", "0,3,3,0,0,u;"},
        {"unterminated end tag", u"<a></a", false, u"Element end tag at offset 3 unterminated",
         "0,3,3,0,0,u;"},
        {"unterminated document type", u"<a><!DOCTYPE a [ <!-- ]>", false,
         u"Doctype at offset 3 unterminated", "0,3,3,0,0,u;"},
        {"bare '<' at the end", u"<a><", false, u"tag at offset 3 unterminated", "0,3,3,0,0,u;"},
        {"document type with quotes, comments and declarations inside",
         u"<!DOCTYPE a [ <!ENTITY x 'y>'> <!-- > --> <?p > ?> ]><a/>", true, u"", "53,4,4,0,0;"},
        {"declaration outside a document type", u"<!ELEMENT a \"(>)\"><a/>", true, u"", "18,4,4,0,0;"},
        {"text with '>' and markup-like entities", u"<a>x > y &lt;</a>", true, u"", "0,17,3,4,0;"},
        {"CDATA hides markup", u"<a><![CDATA[<b></a>]]></a>", true, u"", "0,26,3,4,0;"},
    };
    for (const ParseCase& c : cases) {
        CXmlDocument document;
        EXPECT_EQ(document.SetDocumentText(c.text), c.well_formed) << c.what;
        EXPECT_EQ(Narrow(document.GetResultText()), Narrow(c.result)) << c.what;
        EXPECT_EQ(document.DescribeTreeForTesting(), c.tree) << c.what;
        EXPECT_EQ(document.CheckIndexForTesting(), "") << c.what;
    }
}

TEST(XmlDocumentParseTest, OnlyTheFirstScanProblemIsKept) {
    CXmlDocument document(u"<a></x><1></y></a>");
    EXPECT_EQ(Narrow(document.GetResultText()), "No start tag for end tag 'x' at offset 3");
    // A document-level finding replaces it.
    EXPECT_FALSE(document.SetDocumentText(u"<a></x></a><b/>"));
    EXPECT_EQ(Narrow(document.GetResultText()), "Root element has sibling");
}

TEST(XmlDocumentParseTest, ParsingAgainDiscardsTheOldIndexAndCursor) {
    CXmlDocument document(u"<a><b/></a>");
    ASSERT_TRUE(document.FindElement(u"a"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindElement(u"b"));
    EXPECT_TRUE(document.SetDocumentText(u"<c/>"));
    EXPECT_EQ(document.GetResultText(), u"");
    EXPECT_FALSE(document.LeaveElement());
    EXPECT_TRUE(document.FindElement(u"c"));
    EXPECT_FALSE(document.SetDocumentText(nullptr));
    EXPECT_EQ(document.GetResultText(), u"Empty document");
    EXPECT_FALSE(document.FindElement());
}

TEST(XmlDocumentParseTest, TextStopsAtItsFirstNul) {
    CXmlDocument document(std::u16string(u"<a/>\0<b/>", 9));
    EXPECT_EQ(document.GetDocumentText(), u"<a/>");
    EXPECT_EQ(document.GetResultText(), u"");
}

TEST(XmlDocumentParseTest, ManyElementsFillSeveralIndexPages) {
    // Far more elements than the initial index (length / 64 + 8) and than one page of 65,536 records.
    std::u16string text = u"<r>";
    for (int i = 0; i < 70000; ++i) text += u"<i/>";
    text += u"</r>";
    CXmlDocument document(text);
    EXPECT_EQ(document.GetResultText(), u"");
    EXPECT_EQ(document.CheckIndexForTesting(), "");
    ASSERT_TRUE(document.FindElement(u"r"));
    ASSERT_TRUE(document.EnterElement());
    int count = 0;
    while (document.FindElement(u"i")) ++count;
    EXPECT_EQ(count, 70000);
}

// Deep nesting left unclosed moves every element up; done naively, that is quadratic in the depth.
TEST(XmlDocumentParseTest, DeepUnclosedNestingIsFlattenedInOnePass) {
    std::u16string text;
    for (int i = 0; i < 60000; ++i) text += u"<a>";
    CXmlDocument document(text);
    EXPECT_EQ(Narrow(document.GetResultText()), "Root element has sibling");
    EXPECT_EQ(document.CheckIndexForTesting(), "");
    int count = 0;
    while (document.FindElement(u"a")) ++count;
    EXPECT_EQ(count, 60000);
}

TEST(XmlDocumentParseTest, LimitsOfTheIndexFieldsAreReportedNotOverrun) {
    CXmlDocument document;

    // A start tag of 4,194,304 units does not fit its 22-bit field: left out, its end tag is then stray.
    std::u16string long_tag = u"<r><b x=\"" + std::u16string((1 << 22) - 8, u'y') + u"\"></b><c/></r>";
    EXPECT_FALSE(document.SetDocumentText(long_tag));
    EXPECT_EQ(Narrow(document.GetResultText()), "Element tag at offset 3 too long");
    EXPECT_EQ(document.CheckIndexForTesting(), "");
    ASSERT_TRUE(document.FindElement(u"r"));
    ASSERT_TRUE(document.FindChildElement());
    EXPECT_FALSE(document.FindChildElement());  // only c is indexed under r
    std::u16string just_fits = u"<r x=\"" + std::u16string((1 << 22) - 9, u'y') + u"\"></r>";
    EXPECT_TRUE(document.SetDocumentText(just_fits));
    EXPECT_EQ(document.CheckIndexForTesting(), "");

    // An end tag over 1,023 units does not fit its 10-bit field: ignored like a stray end tag.
    EXPECT_FALSE(document.SetDocumentText(u"<a></a" + std::u16string(1020, u' ') + u">"));
    EXPECT_EQ(Narrow(document.GetResultText()), "Element end tag at offset 3 too long");
    EXPECT_EQ(document.CheckIndexForTesting(), "");
    EXPECT_TRUE(document.SetDocumentText(u"<a></a" + std::u16string(1019, u' ') + u">"));

    // Depth 65,535 is the deepest the 16-bit field holds; deeper elements are left out.
    std::u16string deep;
    for (int i = 0; i < 65537; ++i) deep += u"<a>";
    for (int i = 0; i < 65537; ++i) deep += u"</a>";
    EXPECT_FALSE(document.SetDocumentText(deep));
    EXPECT_EQ(Narrow(document.GetResultText()), "Element 'a' at offset 196608 nested too deeply");
    EXPECT_EQ(document.CheckIndexForTesting(), "");
    document.ResetPosition();
    int depth = 0;
    while (document.FindElement(u"a") && document.EnterElement()) ++depth;
    EXPECT_EQ(depth, 65536);
}

}  // namespace
