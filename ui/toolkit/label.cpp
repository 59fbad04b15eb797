#include "ui/toolkit/label.h"

#include "ui/toolkit/attribute_values.h"
#include "ui/toolkit/text_markup.h"

namespace skinui {

int ParseAlign(std::u16string_view value) {
    int align = 0;
    size_t at = 0;
    while (at < value.size()) {
        size_t end = value.find_first_of(u" ,", at);
        if (end == std::u16string_view::npos) end = value.size();
        std::u16string_view word = value.substr(at, end - at);
        if (word == u"center") align |= kAlignCenter;
        if (word == u"right") align |= kAlignRight;
        if (word == u"top") align |= kAlignTop;
        if (word == u"vcenter") align |= kAlignVCenter;
        if (word == u"bottom") align |= kAlignBottom;
        at = end + 1;
    }
    return align;
}

void CLabel::SetFont(int font_id) {
    font_ = font_id;
    Invalidate();
}

void CLabel::SetTextColor(Color color) {
    text_color_ = color;
    Invalidate();
}

void CLabel::SetShowHtml(bool show_html) {
    show_html_ = show_html;
    Invalidate();
}

void CLabel::SetWordBreak(bool wordbreak) {
    wordbreak_ = wordbreak;
    Invalidate();
}

void CLabel::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"font") {
        if (auto id = ParseInt(value)) SetFont(*id);
    } else if (name == u"textcolor") {
        if (auto color = ParseColor(value)) SetTextColor(*color);
    } else if (name == u"disabledtextcolor") {
        if (auto color = ParseColor(value)) disabled_text_color_ = *color;
    } else if (name == u"align") {
        align_ = ParseAlign(value);
        Invalidate();
    } else if (name == u"textpadding") {
        if (auto rect = ParseRect(value)) text_padding_ = *rect;
        Invalidate();
    } else if (name == u"showhtml") {
        SetShowHtml(ParseBool(value));
    } else if (name == u"wordbreak") {
        SetWordBreak(ParseBool(value));
    } else {
        CControl::SetAttribute(name, value);
    }
}

TextStyle CLabel::MakeTextStyle(Color color) const {
    TextStyle style;
    style.font = font_;
    style.color = color;
    style.wordbreak = wordbreak_;
    int vertical = align_ & kAlignVMask;
    if (vertical == 0) vertical = wordbreak_ ? kAlignTop : kAlignVCenter;
    style.align = (align_ & kAlignHMask) | vertical;
    return style;
}

CRect CLabel::TextRect() const {
    return {rect_.left + text_padding_.left, rect_.top + text_padding_.top, rect_.right - text_padding_.right,
            rect_.bottom - text_padding_.bottom};
}

void CLabel::PaintText(CRenderContext& context, Color color) {
    if (text_.empty()) return;
    std::vector<TextRun> runs;
    if (show_html_) {
        runs = ParseTextMarkup(text_);
    } else {
        runs.push_back(TextRun{text_});
    }
    context.DrawText(TextRect(), runs, MakeTextStyle(color));
}

void CLabel::DoPaint(CRenderContext& context) {
    PaintBackground(context);
    Color color = !enabled_ && disabled_text_color_ != 0 ? disabled_text_color_ : text_color_;
    PaintText(context, color);
}

}  // namespace skinui
