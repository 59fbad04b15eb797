// CButton: a label that raises "click" when the primary button is pressed and released over it, with a face
// image per state (normal, hot, pushed, disabled). COption and CCheckBox add a selected state with faces of
// their own; a click on a check box toggles it before "click" is raised.
#pragma once

#include "ui/toolkit/label.h"

namespace skinui {

class CButton : public CLabel {
public:
    std::u16string_view GetClass() const override { return u"Button"; }

    bool IsHot() const { return hot_; }
    bool IsPushed() const { return pushed_; }
    // Raises "click" as a user click does (only when enabled and visible); true when it was raised.
    virtual bool Activate();

    void SetAttribute(std::u16string_view name, std::u16string_view value) override;
    void DoPaint(CRenderContext& context) override;
    void DoEvent(const ControlEvent& event) override;
    bool WantsHandCursor() const override { return hand_cursor_; }

protected:
    // The face image for the current state; empty when the state has none.
    virtual const std::u16string& StateImage() const;

    std::u16string normal_image_;
    std::u16string hot_image_;
    std::u16string pushed_image_;
    std::u16string disabled_image_;
    Color hot_text_color_ = 0;
    Color pushed_text_color_ = 0;
    bool hand_cursor_ = false;
    bool hot_ = false;
    bool pushed_ = false;
};

class COption : public CButton {
public:
    std::u16string_view GetClass() const override { return u"Option"; }

    bool IsSelected() const { return selected_; }
    // Changes the state without raising a notification.
    void Selected(bool selected);
    bool Activate() override;

    void SetAttribute(std::u16string_view name, std::u16string_view value) override;

protected:
    const std::u16string& StateImage() const override;

    std::u16string selected_image_;
    std::u16string selected_hot_image_;
    bool selected_ = false;
};

class CCheckBox : public COption {
public:
    std::u16string_view GetClass() const override { return u"CheckBox"; }
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check) { Selected(check); }
};

}  // namespace skinui
