// CLabel: a text with a font of the window's font table, colours, alignment, padding, optional word wrap and
// the inline markup (showhtml="true").
#pragma once

#include "ui/toolkit/control.h"
#include "ui/toolkit/render_context.h"

namespace skinui {

class CLabel : public CControl {
public:
    std::u16string_view GetClass() const override { return u"Label"; }

    void SetFont(int font_id);
    int GetFont() const { return font_; }
    void SetTextColor(Color color);
    Color GetTextColor() const { return text_color_; }
    void SetShowHtml(bool show_html);
    void SetWordBreak(bool wordbreak);

    void SetAttribute(std::u16string_view name, std::u16string_view value) override;
    void DoPaint(CRenderContext& context) override;

protected:
    void PaintText(CRenderContext& context, Color color);
    TextStyle MakeTextStyle(Color color) const;
    CRect TextRect() const;

    int font_ = -1;
    Color text_color_ = 0xFF000000;
    Color disabled_text_color_ = 0;
    int align_ = kAlignLeft;  // horizontal part; vertical from the v* flags or wordbreak
    CRect text_padding_;
    bool show_html_ = false;
    bool wordbreak_ = false;
};

// Parses an align attribute ("left", "center", "right", "top", "vcenter", "bottom", combinations with blanks
// or commas).
int ParseAlign(std::u16string_view value);

}  // namespace skinui
