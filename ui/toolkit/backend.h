// What the toolkit needs of a windowing back end. Two exist: the GTK back end (real windows, drawn with cairo
// and pango) and the headless back end (the same windows and controls without a display, driven by tests).
// Everything here is called on the main thread unless it says otherwise.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/toolkit/ui_types.h"

namespace skinui {

class CCombo;
class CEdit;
class CRenderContext;

// What a native window reports to the toolkit window that owns it.
class INativeWindowEvents {
public:
    virtual ~INativeWindowEvents() = default;
    virtual void OnNativePaint(void* cairo) = 0;  // a cairo_t* to draw the whole client area on
    virtual void OnNativeMouseMove(CPoint client) = 0;
    virtual void OnNativeMouseLeave() = 0;
    // Returns true when the press started a window drag (the point is caption); the back end then moves the
    // window with the pointer until the button is released.
    virtual bool OnNativeButtonDown(CPoint client) = 0;
    virtual void OnNativeButtonUp(CPoint client) = 0;
    virtual void OnNativeDoubleClick(CPoint client) = 0;
    virtual void OnNativeWheel(CPoint client, int delta) = 0;
    // Returns true when the key was consumed.
    virtual bool OnNativeKeyDown(uint32_t virtual_key) = 0;
    virtual void OnNativeCloseRequest() = 0;  // the system close command (window manager, Alt+F4)
    virtual void OnNativeMoved(CPoint screen) = 0;
    virtual void OnNativeFocus(bool focused) = 0;
};

// The native text field of an Edit or RichEdit, placed over the control. User edits come back through
// CEdit::OnNativeTextChanged and CEdit::OnNativeFocus; setting the text from the program raises nothing.
class INativeTextEntry {
public:
    virtual ~INativeTextEntry() = default;
    virtual void SetText(const std::u16string& text) = 0;
    virtual void SetRect(const CRect& rect, bool visible) = 0;  // client rectangle of the text area
    virtual void SetReadOnly(bool read_only) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // `font` is a pango font description text; `align` a TextAlign value.
    virtual void SetStyle(const std::string& font, Color text_color, int align, bool want_return) = 0;
    virtual void SetToolTip(const std::u16string& text) = 0;
    virtual void Focus() = 0;
    // False when the control must draw the text itself (headless).
    virtual bool DrawsText() const = 0;
};

enum class CursorKind { kArrow, kHand };

class INativeWindow {
public:
    virtual ~INativeWindow() = default;
    virtual void Show(bool show, bool take_focus) = 0;
    virtual bool IsShown() const = 0;
    virtual void SetClientSize(CSize size) = 0;
    virtual CSize GetClientSize() const = 0;
    virtual void Move(CPoint screen) = 0;  // top-left corner of the client area
    virtual CPoint GetPosition() const = 0;
    virtual CRect GetWorkArea() const = 0;  // of the monitor that holds the window
    virtual void SetTopmost(bool topmost) = 0;
    virtual void SetTransparent(bool transparent) = 0;  // the window background may be see-through
    virtual void SetModal(bool modal) = 0;
    virtual void SetSensitive(bool sensitive) = 0;  // owner windows are insensitive under a modal box
    virtual void Invalidate() = 0;
    virtual void SetCursor(CursorKind cursor) = 0;
    virtual void SetToolTip(const std::u16string& text) = 0;  // of the control under the pointer; empty: none
    virtual std::unique_ptr<INativeTextEntry> CreateTextEntry(CEdit* edit, bool multiline) = 0;
    // The combo's list: the user's choice comes back through CCombo::OnNativeItemChosen.
    virtual void ShowDropDown(CCombo* combo) = 0;
    virtual void HideDropDown() = 0;
    // Opaque native pointer for code that hosts its own native widgets (web views): the GtkWidget of the
    // window's fixed container on GTK, null headless.
    virtual void* GetNativeContainer() const = 0;
    // The top-level native window (a GtkWindow* on GTK), null headless.
    virtual void* GetNativeTopLevel() const = 0;
    // Writes what the window shows now as a PNG file; false when it cannot.
    virtual bool SaveScreenshot(const std::string& path) = 0;
};

class CBackend {
public:
    virtual ~CBackend() = default;
    virtual std::unique_ptr<INativeWindow> CreateNativeWindow(INativeWindowEvents* events,
                                                              INativeWindow* owner,
                                                              const std::u16string& title,
                                                              const CRect& rect) = 0;
    // Runs the loop until Quit; nested runs are used for modal windows.
    virtual void Run(const std::function<bool()>& until) = 0;
    // Safe from any thread: the task runs on the main thread, in posting order.
    virtual void PostTask(std::function<void()> task) = 0;
    // A repeating timer; the id is never 0.
    virtual uint32_t StartTimer(uint32_t period_ms, std::function<void()> tick) = 0;
    virtual void StopTimer(uint32_t id) = 0;
    virtual bool IsHeadless() const = 0;
};

// The back end in use; null until one is installed. Installing another one is only for tests.
CBackend* GetBackend();
void InstallBackend(std::unique_ptr<CBackend> backend);

// Installs the GTK back end when a display can be opened; false (and nothing installed) otherwise.
bool InstallGtkBackend();
// Installs the headless back end.
void InstallHeadlessBackend();

// The main-loop services for the rest of the program.
// Runs the loop until QuitMessageLoop is called; returns at once without a back end.
void RunMessageLoop();
void QuitMessageLoop();  // safe from any thread
// Safe from any thread: `task` runs on the main thread. False (and the task dropped) without a back end.
bool PostToMainLoop(std::function<void()> task);

}  // namespace skinui
