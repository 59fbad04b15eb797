// CCombo: a closed box that shows the selected item's text and opens a drop-down list of CListItem entries
// when clicked. A choice made by the user in the list raises "itemselect" (wParam the new index, lParam the
// old one); the program's own SelectItem raises nothing.
#pragma once

#include <memory>
#include <vector>

#include "ui/toolkit/button.h"

namespace skinui {

class CCombo;

// One entry of a combo's list; height is fixed by the program (32 for the language list).
class CListItem : public CLabel {
public:
    std::u16string_view GetClass() const override { return u"ListLabelElement"; }
    bool IsSelected() const { return selected_; }
    CCombo* GetOwner() const { return owner_; }

private:
    friend class CCombo;
    CCombo* owner_ = nullptr;
    bool selected_ = false;
};

class CCombo : public CButton {
public:
    std::u16string_view GetClass() const override { return u"Combo"; }

    // Takes ownership; returns false for a null item.
    bool Add(std::unique_ptr<CListItem> item);
    bool AddAt(std::unique_ptr<CListItem> item, int index);
    bool RemoveAt(int index);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(items_.size()); }
    CListItem* GetItemAt(int index) const;

    int GetCurSel() const { return selected_; }
    // Selects the item (or nothing with -1); raises "itemselect" only when `notify` is true.
    bool SelectItem(int index, bool notify = false);
    // The closed box shows the selected item's text.
    std::u16string GetText() const override;

    void SetDropBoxSize(CSize size) { drop_box_size_ = size; }
    CSize GetDropBoxSize() const { return drop_box_size_; }
    void SetSelectedItemBkColor(Color color) { selected_item_bk_color_ = color; }
    Color GetSelectedItemBkColor() const { return selected_item_bk_color_; }
    void SetHotItemBkColor(Color color) { hot_item_bk_color_ = color; }
    Color GetHotItemBkColor() const { return hot_item_bk_color_; }
    const CRect& GetItemTextPadding() const { return item_text_padding_; }
    bool IsDropDownOpen() const { return drop_down_open_; }

    // Opens the list (as a click does) and closes it.
    bool Activate() override;
    // From the back end: the user chose `index` in the open list (-1: the list was dismissed).
    void OnNativeItemChosen(int index);

    void SetAttribute(std::u16string_view name, std::u16string_view value) override;
    void DoPaint(CRenderContext& context) override;

private:
    std::vector<std::unique_ptr<CListItem>> items_;
    int selected_ = -1;
    CSize drop_box_size_{0, 150};
    Color selected_item_bk_color_ = 0xFFC1E3FF;
    Color hot_item_bk_color_ = 0xFFE9F5FF;
    CRect item_text_padding_;
    bool drop_down_open_ = false;
};

}  // namespace skinui
