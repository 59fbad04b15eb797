#include "ui/toolkit/text_markup.h"

#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "ui/toolkit/attribute_values.h"

namespace skinui {
namespace {

struct MarkupCase {
    const char16_t* input;
    std::vector<TextRun> expected;
};

bool SameRuns(const std::vector<TextRun>& a, const std::vector<TextRun>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].font != b[i].font || a[i].color != b[i].color ||
            a[i].underline != b[i].underline) {
            return false;
        }
    }
    return true;
}

TEST(TextMarkupTest, FontColourUnderlineAndUnknownTags) {
    const Color grey = 0xFF7A7B7F;
    const MarkupCase cases[] = {
        {u"plain", {{u"plain"}}},
        {u"a{f 1}b{/f}c", {{u"a"}, {u"b", 1}, {u"c"}}},
        {u"{c #7a7b7f}grey{/c}", {{u"grey", -1, grey}}},
        {u"{u}under{/u}line", {{u"under", -1, std::nullopt, true}, {u"line"}}},
        // Link tags are not known to the renderer: skipped, their text stays plain.
        {u"read {l}the terms{/l} now", {{u"read the terms now"}}},
        // Nesting restores the outer style on each closing tag.
        {u"{f 2}{c #7a7b7f}x{/c}y{/f}z", {{u"x", 2, grey}, {u"y", 2}, {u"z"}}},
        // A brace that opens no closed tag is text.
        {u"50{ percent", {{u"50{ percent"}}},
        // A stray closing tag changes nothing.
        {u"{/f}a", {{u"a"}}},
        {u"", {}},
    };
    for (const MarkupCase& test : cases) {
        std::vector<TextRun> runs = ParseTextMarkup(test.input);
        EXPECT_TRUE(SameRuns(runs, test.expected)) << Utf16ToUtf8(test.input);
    }
}

TEST(TextMarkupTest, LineBreakMarksOfTextsAndTooltips) {
    EXPECT_EQ(ReplaceTextLineBreaks(u"one{\\n}two{\\n}"), u"one\ntwo\n");
    // A tooltip mark is not a text mark and the other way round.
    EXPECT_EQ(ReplaceTextLineBreaks(u"a<n>b"), u"a<n>b");
    EXPECT_EQ(ReplaceTooltipLineBreaks(u"first<n>second"), u"first\nsecond");
    EXPECT_EQ(ReplaceTooltipLineBreaks(u"a{\\n}b"), u"a{\\n}b");
}

TEST(AttributeValuesTest, ColoursRectanglesAndBadValues) {
    EXPECT_EQ(ParseColor(u"#FF1398F0"), 0xFF1398F0u);
    EXPECT_EQ(ParseColor(u"#7a7b7f"), 0xFF7A7B7Fu);
    EXPECT_EQ(ParseColor(u"#01ffffff"), 0x01FFFFFFu);
    EXPECT_FALSE(ParseColor(u"7a7b7f"));
    EXPECT_FALSE(ParseColor(u"#7a7b7"));
    EXPECT_FALSE(ParseColor(u"#GG0000"));

    EXPECT_EQ(ParseRect(u"174,404,442,428"), (CRect{174, 404, 442, 428}));
    EXPECT_EQ(ParseRect(u" 0, -2 ,3,4"), (CRect{0, -2, 3, 4}));
    EXPECT_FALSE(ParseRect(u"1,2,3"));
    EXPECT_FALSE(ParseRect(u"1,2,3,4,5"));
    EXPECT_FALSE(ParseRect(u"1,2,x,4"));
    EXPECT_EQ(ParseSize(u"600,400"), (CSize{600, 400}));
}

TEST(AttributeValuesTest, ImageDescriptors) {
    ImageDescriptor bare = ParseImageDescriptor(u"down.png");
    EXPECT_EQ(bare.file, u"down.png");
    EXPECT_FALSE(bare.corner);

    ImageDescriptor patch = ParseImageDescriptor(u"file='folder_bk.png' corner='5,5,5,5'");
    EXPECT_EQ(patch.file, u"folder_bk.png");
    EXPECT_EQ(patch.corner, (CRect{5, 5, 5, 5}));

    ImageDescriptor escaped =
        ParseImageDescriptor(u"file=&apos;cbx_normal.png&apos; dest=&apos;0,2,16,18&apos;");
    EXPECT_EQ(escaped.file, u"cbx_normal.png");
    EXPECT_EQ(escaped.dest, (CRect{0, 2, 16, 18}));

    ImageDescriptor resource = ParseImageDescriptor(u"res='136' restype='PNG'");
    EXPECT_TRUE(resource.file.empty());
    EXPECT_EQ(resource.resource_id, 136);
    EXPECT_EQ(resource.resource_type, u"PNG");
    EXPECT_FALSE(resource.IsEmpty());

    EXPECT_TRUE(ParseImageDescriptor(u"").IsEmpty());
}

}  // namespace
}  // namespace skinui
