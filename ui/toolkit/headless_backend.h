// The headless back end: windows, controls, timers and the posted-task loop without a display. Tests drive
// its windows with simulated user input (pointer, keys, typing, choosing in a drop-down) and can render a
// window into a PNG file with the same drawing code as the GTK back end.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "ui/toolkit/backend.h"

namespace skinui {

class CHeadlessTextEntry;

class CHeadlessBackend : public CBackend {
public:
    std::unique_ptr<INativeWindow> CreateNativeWindow(INativeWindowEvents* events, INativeWindow* owner,
                                                      const std::u16string& title,
                                                      const CRect& rect) override;
    void Run(const std::function<bool()>& until) override;
    void PostTask(std::function<void()> task) override;
    uint32_t StartTimer(uint32_t period_ms, std::function<void()> tick) override;
    void StopTimer(uint32_t id) override;
    bool IsHeadless() const override { return true; }

    // Runs what is due now (posted tasks, expired timers) without waiting; for tests between simulated
    // inputs.
    void RunPending();

private:
    struct Timer {
        std::chrono::milliseconds period;
        std::chrono::steady_clock::time_point due;
        std::function<void()> tick;
    };
    // Runs one due task or timer; false when nothing was due.
    bool RunOne();

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    std::map<uint32_t, Timer> timers_;  // main thread only
    uint32_t next_timer_ = 1;
};

class CHeadlessNativeWindow : public INativeWindow {
public:
    CHeadlessNativeWindow(INativeWindowEvents* events, const std::u16string& title, const CRect& rect);
    ~CHeadlessNativeWindow() override;

    void Show(bool show, bool take_focus) override;
    bool IsShown() const override { return shown_; }
    void SetClientSize(CSize size) override { size_ = size; }
    CSize GetClientSize() const override { return size_; }
    void Move(CPoint screen) override;
    CPoint GetPosition() const override { return position_; }
    CRect GetWorkArea() const override { return {0, 0, 1280, 1024}; }
    void SetTopmost(bool topmost) override { topmost_ = topmost; }
    void SetTransparent(bool transparent) override { transparent_ = transparent; }
    void SetModal(bool modal) override { modal_ = modal; }
    void SetSensitive(bool sensitive) override { sensitive_ = sensitive; }
    void Invalidate() override { ++invalidations_; }
    void SetCursor(CursorKind cursor) override { cursor_ = cursor; }
    void SetToolTip(const std::u16string& text) override { tooltip_ = text; }
    std::unique_ptr<INativeTextEntry> CreateTextEntry(CEdit* edit, bool multiline) override;
    void ShowDropDown(CCombo* combo) override { drop_down_ = combo; }
    void HideDropDown() override;
    void* GetNativeContainer() const override { return nullptr; }
    void* GetNativeTopLevel() const override { return nullptr; }
    bool SaveScreenshot(const std::string& path) override { return RenderToPng(path); }

    // --- simulated user input (client coordinates) ---
    void MouseMove(CPoint point);
    void MouseDown(CPoint point);
    void MouseUp(CPoint point);
    void Click(CPoint point);  // move, press, release
    bool PressKey(uint32_t virtual_key);
    void RequestClose();  // the system close command
    // The user picks an entry of the open drop-down (-1 dismisses it).
    bool ChooseDropDownItem(int index);

    // --- state for checks ---
    const std::u16string& GetTitle() const { return title_; }
    bool IsTopmost() const { return topmost_; }
    bool IsTransparent() const { return transparent_; }
    bool IsModal() const { return modal_; }
    bool IsSensitive() const { return sensitive_; }
    bool IsDragging() const { return dragging_; }
    CursorKind GetCursor() const { return cursor_; }
    const std::u16string& GetToolTip() const { return tooltip_; }
    CCombo* GetOpenDropDown() const { return drop_down_; }
    // The text entry of an edit on this window, or null.
    CHeadlessTextEntry* FindTextEntry(const CEdit* edit) const;

    // Paints the window with the toolkit's drawing code: into a PNG file (false when it cannot be written),
    // or into pixels, 0xAARRGGBB (premultiplied), row by row.
    bool RenderToPng(const std::string& path);
    std::vector<uint32_t> RenderPixels();

private:
    friend class CHeadlessTextEntry;
    INativeWindowEvents* events_;
    std::u16string title_;
    CPoint position_;
    CSize size_;
    bool shown_ = false;
    bool topmost_ = false;
    bool transparent_ = false;
    bool modal_ = false;
    bool sensitive_ = true;
    bool dragging_ = false;
    CPoint drag_start_;
    CPoint drag_origin_;
    CursorKind cursor_ = CursorKind::kArrow;
    std::u16string tooltip_;
    CCombo* drop_down_ = nullptr;
    int invalidations_ = 0;
    std::vector<CHeadlessTextEntry*> entries_;
};

class CHeadlessTextEntry : public INativeTextEntry {
public:
    CHeadlessTextEntry(CHeadlessNativeWindow* window, CEdit* edit, bool multiline);
    ~CHeadlessTextEntry() override;

    void SetText(const std::u16string& text) override { text_ = text; }
    void SetRect(const CRect& rect, bool visible) override;
    void SetReadOnly(bool read_only) override { read_only_ = read_only; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    void SetStyle(const std::string& font, Color text_color, int align, bool want_return) override;
    void SetToolTip(const std::u16string& text) override { tooltip_ = text; }
    void Focus() override;
    bool DrawsText() const override { return false; }

    // --- simulated user input ---
    // Replaces the text as typing would; refused (false) when read-only, disabled or hidden.
    bool Type(const std::u16string& text);
    void Blur();

    const std::u16string& GetText() const { return text_; }
    // The field's place as of the latest layout (which these bring up to date, as a paint would).
    const CRect& GetRect() const;
    bool IsVisible() const;
    bool IsReadOnly() const { return read_only_; }
    bool IsMultiLine() const { return multiline_; }
    const std::string& GetFont() const { return font_; }
    const std::u16string& GetToolTip() const { return tooltip_; }
    CEdit* GetEdit() const { return edit_; }

private:
    friend class CHeadlessNativeWindow;
    CHeadlessNativeWindow* window_;
    CEdit* edit_;
    bool multiline_;
    std::u16string text_;
    CRect rect_;
    bool visible_ = false;
    bool read_only_ = false;
    bool enabled_ = true;
    std::string font_;
    std::u16string tooltip_;
};

}  // namespace skinui
