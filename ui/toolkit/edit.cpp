#include "ui/toolkit/edit.h"

#include "ui/toolkit/attribute_values.h"
#include "ui/toolkit/backend.h"
#include "ui/toolkit/paint_manager.h"
#include "ui/toolkit/render_context.h"

namespace skinui {

CEdit::CEdit() {
    text_color_ = 0xFF000000;
}

CEdit::~CEdit() = default;

void CEdit::SetText(const std::u16string& text) {
    CLabel::SetText(text);
    if (entry_) entry_->SetText(text_);
}

void CEdit::SetTipValue(const std::u16string& text) {
    tip_value_ = text;
    Invalidate();
}

void CEdit::SetTipValueColor(Color color) {
    tip_value_color_ = color;
    Invalidate();
}

void CEdit::SetReadOnly(bool read_only) {
    read_only_ = read_only;
    if (entry_) entry_->SetReadOnly(read_only);
}

void CEdit::SetFocus() {
    if (entry_) entry_->Focus();
}

void CEdit::SetEnabled(bool enabled) {
    CLabel::SetEnabled(enabled);
    if (entry_) entry_->SetEnabled(enabled);
}

void CEdit::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"readonly") {
        SetReadOnly(ParseBool(value));
    } else if (name == u"tipvalue") {
        SetTipValue(std::u16string(value));
    } else if (name == u"tipvaluecolor") {
        if (auto color = ParseColor(value)) SetTipValueColor(*color);
    } else if (name == u"nativebkcolor") {
        if (auto color = ParseColor(value)) native_bk_color_ = *color;
    } else if (name == u"multiline") {
        multiline_ = ParseBool(value);
    } else if (name == u"wantreturn") {
        want_return_ = ParseBool(value);
        ApplyStyle();
    } else {
        CLabel::SetAttribute(name, value);
        if (name == u"font" || name == u"textcolor" || name == u"align") ApplyStyle();
    }
}

void CEdit::SetManager(CPaintManager* manager, CControl* parent) {
    bool same_window = manager == manager_;
    CLabel::SetManager(manager, parent);
    if (same_window && entry_) return;
    entry_.reset();
    INativeWindow* native = manager ? manager->GetNativeWindow() : nullptr;
    if (!native) return;
    entry_ = native->CreateTextEntry(this, multiline_);
    if (!entry_) return;
    entry_->SetText(text_);
    entry_->SetReadOnly(read_only_);
    entry_->SetEnabled(enabled_);
    entry_->SetToolTip(tooltip_);
    ApplyStyle();
}

void CEdit::ApplyStyle() {
    if (!entry_ || !manager_) return;
    const FontSpec& font = manager_->GetFontOrDefault(font_);
    entry_->SetStyle(FontDescriptionText(font), text_color_, align_, want_return_ || multiline_);
}

void CEdit::SyncNativeEntry() {
    if (!entry_) return;
    CRect area{rect_.left + text_padding_.left, rect_.top + text_padding_.top,
               rect_.right - text_padding_.right, rect_.bottom - text_padding_.bottom};
    entry_->SetRect(area, IsVisible() && !area.IsEmpty());
    entry_->SetToolTip(tooltip_);
}

void CEdit::OnNativeTextChanged(const std::u16string& text) {
    if (text == text_) return;
    text_ = text;
    Invalidate();
    Notify(u"textchanged");
}

void CEdit::OnNativeFocus(bool focused) {
    if (focused == focused_) return;
    focused_ = focused;
    Invalidate();
    Notify(focused ? u"setfocus" : u"killfocus");
}

void CEdit::DoPaint(CRenderContext& context) {
    if (native_bk_color_ != 0 && bk_color_ == 0) context.FillRect(rect_, native_bk_color_);
    PaintBackground(context);
    CRect area = TextRect();
    if (text_.empty()) {
        if (!focused_ && !tip_value_.empty()) {
            TextStyle style = MakeTextStyle(tip_value_color_);
            if (multiline_) style.align = (style.align & kAlignHMask) | kAlignTop, style.wordbreak = true;
            context.DrawText(area, {TextRun{tip_value_}}, style);
        }
        return;
    }
    if (entry_ && entry_->DrawsText()) return;
    TextStyle style =
        MakeTextStyle(enabled_ || disabled_text_color_ == 0 ? text_color_ : disabled_text_color_);
    if (multiline_) style.align = (style.align & kAlignHMask) | kAlignTop, style.wordbreak = true;
    context.DrawText(area, {TextRun{text_}}, style);
}

CRichEdit::CRichEdit() {
    multiline_ = true;
}

void CRichEdit::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"transparent") {
        transparent_ = ParseBool(value);
    } else {
        CEdit::SetAttribute(name, value);
    }
}

}  // namespace skinui
