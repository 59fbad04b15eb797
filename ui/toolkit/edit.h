// CEdit and CRichEdit: text fields. On a window with a back end the text lives in a native text field placed
// over the control; the control keeps a copy, draws the background, border and the placeholder ("tip value")
// shown while the field is empty and not focused. User edits raise "textchanged"; gaining and losing the
// keyboard focus raise "setfocus" and "killfocus".
#pragma once

#include <memory>

#include "ui/toolkit/label.h"

namespace skinui {

class INativeTextEntry;

class CEdit : public CLabel {
public:
    CEdit();
    ~CEdit() override;
    std::u16string_view GetClass() const override { return u"Edit"; }

    void SetText(const std::u16string& text) override;
    void SetTipValue(const std::u16string& text);
    const std::u16string& GetTipValue() const { return tip_value_; }
    void SetTipValueColor(Color color);
    bool IsReadOnly() const { return read_only_; }
    void SetReadOnly(bool read_only);
    bool IsMultiLine() const { return multiline_; }
    bool IsFocused() const { return focused_; }
    void SetFocus();

    void SetEnabled(bool enabled) override;
    void SetAttribute(std::u16string_view name, std::u16string_view value) override;
    void SetManager(CPaintManager* manager, CControl* parent) override;
    void DoPaint(CRenderContext& context) override;

    // From the back end: the user changed the text / the field gained or lost the focus.
    void OnNativeTextChanged(const std::u16string& text);
    void OnNativeFocus(bool focused);
    // Called after every layout pass: moves and shows or hides the native field.
    void SyncNativeEntry();
    INativeTextEntry* GetNativeEntry() const { return entry_.get(); }

protected:
    void ApplyStyle();

    std::unique_ptr<INativeTextEntry> entry_;
    std::u16string tip_value_;
    Color tip_value_color_ = 0xFFA0A0A0;
    Color native_bk_color_ = 0;
    bool read_only_ = false;
    bool multiline_ = false;
    bool want_return_ = false;
    bool focused_ = false;
};

class CRichEdit : public CEdit {
public:
    CRichEdit();
    std::u16string_view GetClass() const override { return u"RichEdit"; }
    void SetAttribute(std::u16string_view name, std::u16string_view value) override;

private:
    bool transparent_ = false;
};

}  // namespace skinui
