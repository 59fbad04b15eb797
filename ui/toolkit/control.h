// CControl: the base of every element of a skinned window. A control has a name (unique in its window), a
// position computed by its parent's layout from its float/pos/width/height attributes, a text, state flags
// and a background (colour, image, border). Controls belong to their parent container; the window's paint
// manager knows every control by name and owns the root.
#pragma once

#include <string>
#include <string_view>

#include "ui/toolkit/ui_types.h"

namespace skinui {

class CPaintManager;
class CRenderContext;

// Mouse and focus events that the paint manager hands to a control.
enum class ControlEventType { kMouseEnter, kMouseLeave, kButtonDown, kButtonUp, kMouseMove };
struct ControlEvent {
    ControlEventType type;
    CPoint point;  // client coordinates
};

class CControl {
public:
    CControl();
    virtual ~CControl();
    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

    // The element name of the class ("Control", "Label", "Button" ...).
    virtual std::u16string_view GetClass() const { return u"Control"; }

    const std::u16string& GetName() const { return name_; }
    void SetName(const std::u16string& name);
    CPaintManager* GetManager() const { return manager_; }
    CControl* GetParent() const { return parent_; }

    virtual std::u16string GetText() const { return text_; }
    // Every "{\n}" in the text becomes a line break.
    virtual void SetText(const std::u16string& text);

    // The rectangle in client pixels from the last layout (the layout is brought up to date first).
    const CRect& GetPos() const;
    int GetWidth() const { return GetPos().Width(); }
    int GetHeight() const { return GetPos().Height(); }

    // For floating controls: the offset from the parent's top-left corner and the fixed extent.
    bool IsFloat() const { return float_; }
    void SetFloat(bool value);
    CPoint GetFixedXY() const { return {fixed_x_, fixed_y_}; }
    void SetFixedXY(CPoint point);
    int GetFixedWidth() const { return fixed_width_; }
    void SetFixedWidth(int width);
    int GetFixedHeight() const { return fixed_height_; }
    void SetFixedHeight(int height);

    const std::u16string& GetToolTip() const { return tooltip_; }
    // Every "<n>" in the tooltip becomes a line break.
    void SetToolTip(const std::u16string& text);
    const std::u16string& GetUserData() const { return user_data_; }
    void SetUserData(const std::u16string& data) { user_data_ = data; }

    // Visible when its own flag is set and every ancestor is visible.
    bool IsVisible() const;
    bool IsOwnVisible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    bool IsMouseEnabled() const { return mouse_enabled_; }
    void SetMouseEnabled(bool enabled) { mouse_enabled_ = enabled; }

    const std::u16string& GetBkImage() const { return bk_image_; }
    void SetBkImage(const std::u16string& image);
    Color GetBkColor() const { return bk_color_; }
    void SetBkColor(Color color);

    // Applies one layout attribute; unknown names are ignored.
    virtual void SetAttribute(std::u16string_view name, std::u16string_view value);

    // --- toolkit internals -------------------------------------------------------------------------------
    // Attaches this control (and its children) to a window; `parent` is its container or null for the root.
    virtual void SetManager(CPaintManager* manager, CControl* parent);
    // Called by the parent's layout with the control's new rectangle.
    virtual void SetPos(const CRect& rect);
    virtual void DoPaint(CRenderContext& context);
    virtual void DoEvent(const ControlEvent& event);
    // The topmost visible, mouse-enabled control at `point` within this one, or null.
    virtual CControl* FindControlAt(CPoint point);
    // cursor="hand": the pointer becomes a hand over the control.
    virtual bool WantsHandCursor() const { return false; }
    // Asks for a new layout pass and a repaint.
    void NeedUpdate();
    void Invalidate();

protected:
    void PaintBackground(CRenderContext& context);
    // Raises a notification through the manager, if attached.
    void Notify(std::u16string_view type, uintptr_t wparam = 0, intptr_t lparam = 0);

    CPaintManager* manager_ = nullptr;
    CControl* parent_ = nullptr;
    std::u16string name_;
    std::u16string text_;
    std::u16string tooltip_;
    std::u16string user_data_;
    CRect rect_;
    bool float_ = false;
    int fixed_x_ = 0;
    int fixed_y_ = 0;
    int fixed_width_ = 0;
    int fixed_height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    bool mouse_enabled_ = true;
    Color bk_color_ = 0;
    std::u16string bk_image_;
    int border_size_ = 0;
    Color border_color_ = 0;
};

}  // namespace skinui
