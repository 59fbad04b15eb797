// CPaintManager: one per window. Owns the control tree, knows every control by name, lays the tree out over
// the client area, paints it, routes mouse input to controls, runs timers bound to controls, measures text in
// the window's fonts and delivers notifications to the window's sinks. Main thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/toolkit/control.h"
#include "ui/toolkit/render_context.h"

namespace skinui {

class INativeWindow;

// Receives every notification of a window.
class INotifySink {
public:
    virtual ~INotifySink() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

class CPaintManager {
public:
    CPaintManager();
    ~CPaintManager();
    CPaintManager(const CPaintManager&) = delete;
    CPaintManager& operator=(const CPaintManager&) = delete;

    // The native window the controls live on; null for a tree without a window.
    void SetNativeWindow(INativeWindow* native) { native_ = native; }
    INativeWindow* GetNativeWindow() const { return native_; }

    // Takes the root of a control tree and attaches every control to this manager (replacing any old tree).
    void AttachRoot(std::unique_ptr<CControl> root);
    CControl* GetRoot() const { return root_.get(); }
    void DestroyRoot();

    // Null when no control has that name.
    CControl* FindControl(std::u16string_view name) const;
    // The topmost visible control at a client point whose mouse attribute is not "false"; null if none.
    CControl* FindControl(CPoint point) const;

    // Window-level values from the layout's Window element.
    CRect GetCaptionRect() const { return caption_rect_; }
    void SetCaptionRect(const CRect& rect) { caption_rect_ = rect; }
    CSize GetInitSize() const { return init_size_; }
    void SetInitSize(CSize size) { init_size_ = size; }
    Color GetWindowBkColor() const { return window_bk_color_; }
    void SetWindowBkColor(Color color) { window_bk_color_ = color; }
    // bktrans, layeredimage or layeredopacity: the window's own background may be see-through.
    bool IsTransparent() const { return transparent_; }
    void SetTransparent(bool transparent) { transparent_ = transparent; }

    // The client area the root is laid out over.
    void SetClientSize(CSize size);
    CSize GetClientSize() const { return client_size_; }

    // A repeating timer raising "timer" from `control` with wParam `id`; starting it again restarts it.
    // False without a back end or for a control of another window.
    bool SetTimer(CControl* control, uint32_t id, uint32_t period_ms);
    // False when no such timer runs.
    bool KillTimer(CControl* control, uint32_t id);
    void KillTimers(CControl* control);

    // Font table. The first font marked default (else the font without id, 12 px) is used for id -1 and for
    // ids that are not in the table.
    void AddFont(int id, const FontSpec& font, bool is_default);
    const FontSpec* GetFont(int id) const;
    const FontSpec& GetFontOrDefault(int id) const;
    // Width and height in pixels of `text` in font `font_id`, wrapped at `wrap_width` when above 0.
    CSize GetTextSize(const std::u16string& text, int font_id, int wrap_width = 0, bool markup = false);

    void AddNotifier(INotifySink* sink);
    void RemoveNotifier(INotifySink* sink);
    void SendNotify(CControl* sender, std::u16string_view type, uintptr_t wparam = 0, intptr_t lparam = 0);

    // Input from the window, client coordinates.
    void OnMouseMove(CPoint point);
    void OnMouseLeave();
    void OnButtonDown(CPoint point);
    void OnButtonUp(CPoint point);
    CControl* GetHotControl() const { return hot_; }

    void Paint(CRenderContext& context);

    // --- for controls ---------------------------------------------------------------------------------
    void RegisterName(CControl* control);
    void UnregisterName(CControl* control);
    void ForgetControl(CControl* control);
    void NeedLayout();
    void EnsureLayout();
    void Invalidate();
    void OnToolTipChanged(CControl* control);

private:
    void SetHot(CControl* control);
    void SyncNativeChildren(CControl* control);

    INativeWindow* native_ = nullptr;
    std::unique_ptr<CControl> root_;
    std::unordered_map<std::u16string, CControl*> names_;
    std::map<std::pair<CControl*, uint32_t>, uint32_t> timers_;  // (control, id) -> back end timer
    std::map<int, FontSpec> fonts_;
    FontSpec default_font_;
    bool has_default_font_ = false;
    std::vector<INotifySink*> notifiers_;
    CRect caption_rect_;
    CSize init_size_;
    CSize client_size_;
    Color window_bk_color_ = 0;
    bool transparent_ = false;
    CControl* hot_ = nullptr;
    CControl* pushed_ = nullptr;
    bool layout_needed_ = true;
    bool in_layout_ = false;
};

}  // namespace skinui
