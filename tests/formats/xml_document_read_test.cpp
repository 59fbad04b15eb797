// Reading: the three-position cursor, element text and attributes.
#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"

namespace {

std::string Narrow(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

TEST(XmlDocumentReadTest, ReadsALanguageTableTheWayTheLoadersDo) {
    CXmlDocument document(
        u"<?xml version=\"1.0\"?>\r\n"
        u"<Languages>\r\n"
        u"  <!-- shown in the language list -->\r\n"
        u"  <Lang id=\"1033\">\r\n"
        u"    <item name=\"Btn_Install\">Install</item>\r\n"
        u"    <other/>\r\n"
        u"    <item name='Btn_Close'>Close &amp; exit</item>\r\n"
        u"  </Lang>\r\n"
        u"</Languages>\r\n");
    ASSERT_EQ(document.GetResultText(), u"");
    document.ResetPosition();
    ASSERT_TRUE(document.FindElement(u"Languages"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindElement(u"Lang"));
    EXPECT_EQ(document.GetAttribute(u"id"), u"1033");
    ASSERT_TRUE(document.EnterElement());
    std::vector<std::pair<std::u16string, std::u16string>> items;
    while (document.FindElement(u"item"))
        items.emplace_back(document.GetAttribute(u"name"), document.GetElementText());
    EXPECT_EQ(items, (std::vector<std::pair<std::u16string, std::u16string>>{
                         {u"Btn_Install", u"Install"}, {u"Btn_Close", u"Close & exit"}}));
    ASSERT_TRUE(document.LeaveElement());
    EXPECT_EQ(document.GetAttribute(u"id"), u"1033");  // back on Lang
    ASSERT_TRUE(document.LeaveElement());              // on Languages, at the document level
    EXPECT_FALSE(document.LeaveElement());
    EXPECT_FALSE(document.FindChildElement(u"Lang"));  // searches after the child position: Lang itself
    document.ResetChildPosition();
    EXPECT_TRUE(document.FindChildElement(u"Lang"));
}

TEST(XmlDocumentReadTest, ReadsAChildsTextThroughTheChildPosition) {
    CXmlDocument document(
        u"<Product><ProductID>5120</ProductID><Product>Mendrake</Product><Skin/></Product>");
    ASSERT_TRUE(document.FindElement(u"Product"));
    auto child_text = [&](std::u16string_view name) {
        document.ResetChildPosition();
        if (!document.FindChildElement(name)) return std::u16string(u"<none>");
        document.EnterElement();
        std::u16string text = document.GetElementText();
        document.LeaveElement();
        return text;
    };
    EXPECT_EQ(child_text(u"Product"), u"Mendrake");  // not the ProductID before it
    EXPECT_EQ(child_text(u"ProductID"), u"5120");
    EXPECT_EQ(child_text(u"Skin"), u"");
    EXPECT_EQ(child_text(u"Produc"), u"<none>");
    EXPECT_EQ(child_text(u"ProductIDs"), u"<none>");
    // The continuation characters of a requested name still match.
    EXPECT_EQ(child_text(u"ProductID[0]"), u"5120");
}

TEST(XmlDocumentReadTest, CursorMovesFollowTheirRules) {
    CXmlDocument document(u"<r><a/><b><c/><d/></b><a/></r>");
    EXPECT_FALSE(document.EnterElement());         // no current element
    EXPECT_TRUE(document.FindChildElement(u"b"));  // takes the root first, then its child b
    EXPECT_TRUE(document.EnterElement());          // parent r, current b
    EXPECT_TRUE(document.EnterElement());          // parent b, no current element
    EXPECT_TRUE(document.FindElement());           // b's first child c
    EXPECT_FALSE(document.FindElement(u"c"));      // after c there is only d; the cursor stays on c
    EXPECT_TRUE(document.FindElement(u"d"));
    EXPECT_TRUE(document.LeaveElement());           // current b, child d
    EXPECT_FALSE(document.FindChildElement(u"c"));  // searches after the child position
    document.ResetChildPosition();
    EXPECT_TRUE(document.FindChildElement(u"c"));
    EXPECT_TRUE(document.FindElement(u"a"));  // the next a after b
    EXPECT_FALSE(document.FindElement(u"a"));
    document.ResetPosition();
    EXPECT_TRUE(document.FindElement(u"r"));
    EXPECT_FALSE(document.FindElement(u"r"));

    CXmlDocument empty;
    EXPECT_FALSE(empty.FindElement());
    EXPECT_FALSE(empty.FindChildElement());
    EXPECT_EQ(empty.GetElementText(), u"");
    EXPECT_EQ(empty.GetElementName(), u"");
    EXPECT_EQ(empty.GetAttribute(u"x"), u"");
}

TEST(XmlDocumentReadTest, ElementNamesAsTheStartTagsWriteThem) {
    CXmlDocument document(u"<Window size=\"1,2\"><Label\tname=\"x\"/><ns:Item/><Button></Button>text</Window>");
    ASSERT_TRUE(document.FindElement());
    EXPECT_EQ(document.GetElementName(), u"Window");
    ASSERT_TRUE(document.EnterElement());
    std::vector<std::u16string> names;
    while (document.FindElement()) names.push_back(document.GetElementName());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Label", u"ns:Item", u"Button"}));
}

TEST(XmlDocumentReadTest, ElementText) {
    const struct {
        std::u16string element;
        std::u16string text;
    } cases[] = {
        {u"<t>x &lt; y &#65;&#x42;&bogus;</t>", u"x < y AB&bogus;"},
        {u"<t>a<![CDATA[<b>]]>c</t>", u"a<b>c"},
        {u"<t><![CDATA[&lt;]]></t>", u"&lt;"},
        {u"<t><u>1</u></t>", u""},
        {u"<t/>", u""},
        {u"<t></t>", u""},
        {u"<t>a<!-- c -->b<?p?>c</t>", u"abc"},
        {u"<t>  <!-- c -->\r\n</t>", u""},
        {u"<t> a <!-- c --> b </t>", u" a  b "},
        {u"<t>a > b</t>", u"a > b"},
        {u"<t>\r\n  spaced\r\n</t>", u"\r\n  spaced\r\n"},
        {u"<t>a</x>b</t>", u"ab"},
    };
    for (const auto& c : cases) {
        CXmlDocument document(c.element);
        ASSERT_TRUE(document.FindElement()) << Narrow(c.element);
        EXPECT_EQ(Narrow(document.GetElementText()), Narrow(c.text)) << Narrow(c.element);
    }
}

TEST(XmlDocumentReadTest, Attributes) {
    const struct {
        std::u16string element;
        std::u16string name;
        std::u16string value;
    } cases[] = {
        {u"<a x=\"1>2\" y='q'/>", u"x", u"1>2"},
        {u"<a x=\"1>2\" y='q'/>", u"y", u"q"},
        {u"<a flag other=\"1\">", u"flag", u"flag"},
        {u"<a flag other=\"1\">", u"other", u"1"},
        {u"<a other=\"1\" flag/>", u"flag", u"flag"},
        {u"<a b=c/>", u"b", u"c/"},
        {u"<a ab=\"1\" b=\"2\"/>", u"b", u"2"},
        {u"<a b=\"1\"/>", u"ab", u""},
        {u"<a name = \"spaced\" />", u"name", u"spaced"},
        {u"<a v=\"&lt;&amp;&quot;\"/>", u"v", u"<&\""},
        {u"<a v='say \"hi\"'/>", u"v", u"say \"hi\""},
        {u"<a v=unquoted w=2>", u"v", u"unquoted"},
        {u"<a v=>", u"v", u""},
        {u"<a x='1'/>", u"a", u""},  // the tag name is not an attribute
        {u"<a x='1'/>", u"missing", u""},
        {u"<a x='1'/>", u"", u""},
        {u"<a x=\"a'b\" y=\"2\"/>", u"y", u"2"},
    };
    for (const auto& c : cases) {
        CXmlDocument document(c.element);
        ASSERT_TRUE(document.FindElement()) << Narrow(c.element);
        EXPECT_EQ(Narrow(document.GetAttribute(c.name)), Narrow(c.value))
            << Narrow(c.element) << " " << Narrow(c.name);
    }
}

TEST(XmlDocumentReadTest, NavigationWorksOnTheTreeOfABrokenDocument) {
    CXmlDocument document(u"<a><b><c>text</c></a>");
    EXPECT_EQ(Narrow(document.GetResultText()),
              "End tag 'a' at offset 18 does not match start tag 'b' at offset 3");
    ASSERT_TRUE(document.FindElement(u"a"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindElement(u"b"));
    EXPECT_EQ(document.GetElementText(), u"");  // unended: only its start tag
    ASSERT_TRUE(document.FindElement(u"c"));    // moved up beside b
    EXPECT_EQ(document.GetElementText(), u"text");
}

}  // namespace
