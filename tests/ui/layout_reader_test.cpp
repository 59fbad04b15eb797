// Reading layout files: element order among mixed element names, unknown elements left out with what they
// hold, attribute values unescaped, and texts that are not layouts.
#include "ui/toolkit/layout_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "formats/utf_conversion.h"

namespace skinui {
namespace {

// "Name[name]" for every element, depth first, children in braces.
std::string Describe(const LayoutElement& element) {
    std::string text = Utf16ToUtf8(element.name);
    std::u16string name = element.Attribute(u"name");
    if (!name.empty()) text += "[" + Utf16ToUtf8(name) + "]";
    if (!element.children.empty()) {
        text += "{";
        for (size_t i = 0; i < element.children.size(); ++i) {
            if (i > 0) text += " ";
            text += Describe(element.children[i]);
        }
        text += "}";
    }
    return text;
}

TEST(LayoutReaderTest, KeepsDocumentOrderAcrossElementNames) {
    std::optional<LayoutElement> layout = ReadLayout(R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- a comment before the root -->
<Window size="600,400">
  <Font id="1" name="Segoe UI" size="13"/>
  <VerticalLayout name="lay_main">
    <Label name="a"/>
    <Button name="b"/>
    <Label name="c"/>
    <Gadget name="odd"><Label name="inside_odd"/></Gadget>
    <Container name="page">
      <Edit name="d"/><Label name="e"/><Button name="f"/><Label name="g"/>
    </Container>
    <Button name="h"/>
  </VerticalLayout>
  <Font id="2" name="Segoe UI" size="14"/>
</Window>)");
    ASSERT_TRUE(layout);
    EXPECT_EQ(Describe(*layout),
              "Window{Font[Segoe UI] VerticalLayout[lay_main]{Label[a] Button[b] Label[c] "
              "Container[page]{Edit[d] Label[e] Button[f] Label[g]} Button[h]} Font[Segoe UI]}");
    EXPECT_EQ(layout->Attribute(u"size"), u"600,400");
}

TEST(LayoutReaderTest, AttributeValuesAreUnescapedAndOrderedForThePosition) {
    std::optional<LayoutElement> layout = ReadLayout(
        "<Window><Container><Label pos=\"58,403,0,0\" name=\"x\" width=\"130\" height=\"20\" "
        "bkimage=\"file=&apos;folder_bk.png&apos; corner=&apos;5,5,5,5&apos;\" text=\"a &amp; "
        "b\"/></Container>"
        "</Window>");
    ASSERT_TRUE(layout);
    const LayoutElement& label = layout->children.at(0).children.at(0);
    EXPECT_EQ(label.Attribute(u"bkimage"), u"file='folder_bk.png' corner='5,5,5,5'");
    EXPECT_EQ(label.Attribute(u"text"), u"a & b");
    // Extents come before "pos", whatever the order in the file.
    std::vector<std::u16string> order;
    for (const auto& [key, value] : label.attributes) order.push_back(key);
    auto at = [&](const char16_t* key) { return std::find(order.begin(), order.end(), key) - order.begin(); };
    EXPECT_LT(at(u"width"), at(u"pos"));
    EXPECT_LT(at(u"height"), at(u"pos"));
}

TEST(LayoutReaderTest, TextsThatAreNotLayouts) {
    EXPECT_FALSE(ReadLayout(""));
    EXPECT_FALSE(ReadLayout("<Dialog size=\"1,1\"/>"));
    EXPECT_FALSE(ReadLayout("not xml at all"));
    // A layout whose Window has no container has no root control, but is a layout.
    std::optional<LayoutElement> empty = ReadLayout("<Window size=\"10,10\"/>");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->children.empty());
}

}  // namespace
}  // namespace skinui
