#include "ui/toolkit/combo.h"

#include "ui/toolkit/attribute_values.h"
#include "ui/toolkit/backend.h"
#include "ui/toolkit/paint_manager.h"

namespace skinui {

bool CCombo::Add(std::unique_ptr<CListItem> item) {
    return AddAt(std::move(item), GetCount());
}

bool CCombo::AddAt(std::unique_ptr<CListItem> item, int index) {
    if (!item || index < 0 || index > GetCount()) return false;
    item->owner_ = this;
    item->selected_ = false;
    items_.insert(items_.begin() + index, std::move(item));
    if (selected_ >= index) ++selected_;
    Invalidate();
    return true;
}

bool CCombo::RemoveAt(int index) {
    if (index < 0 || index >= GetCount()) return false;
    items_.erase(items_.begin() + index);
    if (selected_ == index) {
        selected_ = -1;
    } else if (selected_ > index) {
        --selected_;
    }
    Invalidate();
    return true;
}

void CCombo::RemoveAll() {
    items_.clear();
    selected_ = -1;
    Invalidate();
}

CListItem* CCombo::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

bool CCombo::SelectItem(int index, bool notify) {
    if (index < -1 || index >= GetCount()) return false;
    int old = selected_;
    if (old >= 0) items_[static_cast<size_t>(old)]->selected_ = false;
    selected_ = index;
    if (index >= 0) items_[static_cast<size_t>(index)]->selected_ = true;
    Invalidate();
    if (notify && index != old) Notify(u"itemselect", static_cast<uintptr_t>(index), old);
    return true;
}

std::u16string CCombo::GetText() const {
    if (CListItem* item = GetItemAt(selected_)) return item->GetText();
    return {};
}

bool CCombo::Activate() {
    if (!IsVisible() || !enabled_ || !manager_) return false;
    INativeWindow* native = manager_->GetNativeWindow();
    if (!native) return false;
    drop_down_open_ = true;
    native->ShowDropDown(this);
    return true;
}

void CCombo::OnNativeItemChosen(int index) {
    drop_down_open_ = false;
    if (index >= 0) SelectItem(index, true);
}

void CCombo::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"itemtextpadding") {
        if (auto rect = ParseRect(value)) item_text_padding_ = *rect;
    } else if (name == u"dropboxsize") {
        if (auto size = ParseSize(value)) drop_box_size_ = *size;
    } else {
        CButton::SetAttribute(name, value);
    }
}

void CCombo::DoPaint(CRenderContext& context) {
    PaintBackground(context);
    const std::u16string& face = StateImage();
    if (!face.empty()) context.DrawImage(rect_, face);
    std::u16string text = GetText();
    if (text.empty()) return;
    TextStyle style =
        MakeTextStyle(enabled_ || disabled_text_color_ == 0 ? text_color_ : disabled_text_color_);
    context.DrawText(TextRect(), {TextRun{text}}, style);
}

}  // namespace skinui
