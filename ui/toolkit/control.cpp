#include "ui/toolkit/control.h"

#include "ui/toolkit/attribute_values.h"
#include "ui/toolkit/paint_manager.h"
#include "ui/toolkit/render_context.h"
#include "ui/toolkit/text_markup.h"

namespace skinui {

CControl::CControl() = default;

CControl::~CControl() {
    if (manager_) manager_->ForgetControl(this);
}

void CControl::SetName(const std::u16string& name) {
    if (manager_) manager_->UnregisterName(this);
    name_ = name;
    if (manager_) manager_->RegisterName(this);
}

void CControl::SetText(const std::u16string& text) {
    std::u16string shown = ReplaceTextLineBreaks(text);
    if (shown == text_) return;
    text_ = std::move(shown);
    Invalidate();
}

const CRect& CControl::GetPos() const {
    if (manager_) manager_->EnsureLayout();
    return rect_;
}

void CControl::SetFloat(bool value) {
    float_ = value;
    NeedUpdate();
}

void CControl::SetFixedXY(CPoint point) {
    fixed_x_ = point.x;
    fixed_y_ = point.y;
    NeedUpdate();
}

void CControl::SetFixedWidth(int width) {
    if (width < 0) return;
    fixed_width_ = width;
    NeedUpdate();
}

void CControl::SetFixedHeight(int height) {
    if (height < 0) return;
    fixed_height_ = height;
    NeedUpdate();
}

void CControl::SetToolTip(const std::u16string& text) {
    tooltip_ = ReplaceTooltipLineBreaks(text);
    if (manager_) manager_->OnToolTipChanged(this);
}

bool CControl::IsVisible() const {
    for (const CControl* control = this; control; control = control->parent_) {
        if (!control->visible_) return false;
    }
    return true;
}

void CControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    NeedUpdate();
}

void CControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

void CControl::SetBkImage(const std::u16string& image) {
    bk_image_ = image;
    Invalidate();
}

void CControl::SetBkColor(Color color) {
    bk_color_ = color;
    Invalidate();
}

void CControl::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"name") {
        SetName(std::u16string(value));
    } else if (name == u"text") {
        SetText(std::u16string(value));
    } else if (name == u"tooltip") {
        SetToolTip(std::u16string(value));
    } else if (name == u"userdata") {
        SetUserData(std::u16string(value));
    } else if (name == u"float") {
        SetFloat(ParseBool(value));
    } else if (name == u"pos") {
        // A right or bottom of 0 leaves the extent to width/height.
        if (auto rect = ParseRect(value)) {
            fixed_x_ = rect->left;
            fixed_y_ = rect->top;
            if (rect->right != 0) fixed_width_ = std::max(0, rect->right - rect->left);
            if (rect->bottom != 0) fixed_height_ = std::max(0, rect->bottom - rect->top);
            NeedUpdate();
        }
    } else if (name == u"width") {
        if (auto width = ParseInt(value)) SetFixedWidth(*width);
    } else if (name == u"height") {
        if (auto height = ParseInt(value)) SetFixedHeight(*height);
    } else if (name == u"visible") {
        SetVisible(ParseBool(value));
    } else if (name == u"enabled") {
        SetEnabled(ParseBool(value));
    } else if (name == u"mouse") {
        SetMouseEnabled(ParseBool(value));
    } else if (name == u"bkcolor") {
        if (auto color = ParseColor(value)) SetBkColor(*color);
    } else if (name == u"bkimage") {
        SetBkImage(std::u16string(value));
    } else if (name == u"bordersize") {
        if (auto size = ParseInt(value)) border_size_ = std::max(0, *size);
        Invalidate();
    } else if (name == u"bordercolor") {
        if (auto color = ParseColor(value)) border_color_ = *color;
        Invalidate();
    }
}

void CControl::SetManager(CPaintManager* manager, CControl* parent) {
    if (manager_ && manager_ != manager) manager_->ForgetControl(this);
    manager_ = manager;
    parent_ = parent;
    if (manager_) manager_->RegisterName(this);
}

void CControl::SetPos(const CRect& rect) {
    if (rect == rect_) return;
    rect_ = rect;
    Invalidate();
}

void CControl::PaintBackground(CRenderContext& context) {
    if (bk_color_ != 0) context.FillRect(rect_, bk_color_);
    if (!bk_image_.empty()) context.DrawImage(rect_, bk_image_);
    if (border_size_ > 0 && border_color_ != 0) context.DrawBorder(rect_, border_size_, border_color_);
}

void CControl::DoPaint(CRenderContext& context) {
    PaintBackground(context);
}

void CControl::DoEvent(const ControlEvent&) {}

CControl* CControl::FindControlAt(CPoint point) {
    if (!visible_ || !mouse_enabled_ || !rect_.Contains(point)) return nullptr;
    return this;
}

void CControl::NeedUpdate() {
    if (manager_) manager_->NeedLayout();
}

void CControl::Invalidate() {
    if (manager_) manager_->Invalidate();
}

void CControl::Notify(std::u16string_view type, uintptr_t wparam, intptr_t lparam) {
    if (manager_) manager_->SendNotify(this, type, wparam, lparam);
}

}  // namespace skinui
