// SkinWindowBase: the base of every skinned window. It builds its controls from a layout file of the skin,
// turns native input into window messages, routes each message through the message filter, the virtual
// operations below (in this order of slots) and the toolkit's default handling, and delivers notifications
// through a notification map. Windows live on the main thread; PostMessage is the one operation that is safe
// from any thread.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/toolkit/backend.h"
#include "ui/toolkit/paint_manager.h"
#include "ui/toolkit/ui_types.h"

namespace skinui {

// Sees every window message before the toolkit; setting `handled` stops the message there.
class IMessageFilter {
public:
    virtual ~IMessageFilter() = default;
    virtual LRESULT MessageHandler(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled) = 0;
};

// Asked for an element name of a layout that the toolkit does not know; null leaves the element out.
class IControlFactory {
public:
    virtual ~IControlFactory() = default;
    virtual std::unique_ptr<CControl> CreateControl(std::u16string_view element) = 0;
};

// Text of list items supplied by the window; no window of the program uses it.
class ITextProvider {
public:
    virtual ~ITextProvider() = default;
    virtual std::u16string GetItemText(CControl* control, int item, int column) = 0;
};

class SkinWindowBase : public INotifySink,
                       public IMessageFilter,
                       public IControlFactory,
                       public ITextProvider,
                       private INativeWindowEvents {
public:
    SkinWindowBase();

    // --- virtual operations, in slot order ---------------------------------------------------------------
    virtual std::u16string GetWindowClassName() const = 0;
    virtual std::u16string GetSuperClassName() const { return {}; }
    virtual uint32_t GetClassStyle() const { return 0; }
    // Every message that passed the filter; the default dispatches to the operations below.
    virtual LRESULT HandleMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam);
    // The window is gone (native window destroyed, unregistered); the object may delete itself here.
    virtual void OnFinalMessage(WindowHandle hwnd);
    ~SkinWindowBase() override;
    virtual void InitResource() {}
    // The controls exist.
    virtual void InitWindow() {}
    virtual void OnClick(TNotifyUI& msg);
    virtual bool IsControlStatic(CControl* control) const;
    virtual std::u16string GetSkinFolder() const { return {}; }
    virtual std::u16string GetSkinFile() const = 0;
    virtual std::u16string GetManagerName() const { return {}; }
    // Enter and Escape; the default consumes neither (no key closes or confirms a window by itself).
    virtual LRESULT ResponseDefaultKeyEvent(uintptr_t key);
    virtual LRESULT OnClose(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnDestroy(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnNcActivate(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnNcCalcSize(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnPaint(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    // lParam holds the screen point; answers HTCAPTION or HTCLIENT.
    virtual LRESULT OnNcHitTest(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnMouseWheel(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnMouseHover(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnSize(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnChar(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnSysCommand(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnCreate(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnKeyDown(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnKillFocus(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnSetFocus(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnLButtonDown(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnLButtonUp(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual LRESULT OnMouseMove(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    // Any message not consumed above.
    virtual LRESULT HandleCustomMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled);
    virtual uint32_t GetStyle() const { return 0; }

    // --- callback interfaces ------------------------------------------------------------------------------
    // Default: the notification map, and "click" to OnClick when the map has no entry for it.
    void Notify(TNotifyUI& msg) override;
    LRESULT MessageHandler(uint32_t msg, uintptr_t wparam, intptr_t lparam, bool& handled) override;
    std::unique_ptr<CControl> CreateControl(std::u16string_view element) override;
    std::u16string GetItemText(CControl* control, int item, int column) override;

    // --- window operations
    // ---------------------------------------------------------------------------------- Creates the native
    // window, registers it, builds the controls from the skin file and runs InitWindow. A width or height of
    // 0 takes the layout's size. Returns the handle, 0 without a back end.
    WindowHandle Create(WindowHandle owner, const std::u16string& window_name, int x, int y, int width,
                        int height);
    // Shows the window modally and returns the code given to Close.
    int ShowModal();
    // Posts a close request carrying the code.
    void Close(int code = IDOK);
    // Centres on the owner (the work area when there is none), kept inside the owner's work area.
    void CenterWindow();
    void ShowWindow(bool show = true, bool take_focus = true);
    bool IsWindowVisible() const;
    // Safe from any thread; false when the window no longer exists.
    bool PostMessage(uint32_t msg, uintptr_t wparam = 0, intptr_t lparam = 0);
    // Handles the message at once (main thread).
    LRESULT SendMessage(uint32_t msg, uintptr_t wparam = 0, intptr_t lparam = 0);
    void ResizeClient(int width, int height);
    WindowHandle GetHWND() const { return handle_; }
    CPoint GetWindowPos() const;
    void MoveWindow(CPoint screen);
    CPoint ScreenToClient(CPoint screen) const;
    void SetTopmost(bool topmost);
    INativeWindow* GetNativeWindow() const { return native_.get(); }

    // The notification map.
    void AddNotifyHandler(const std::u16string& type, std::function<void(TNotifyUI&)> handler);

    CPaintManager m_pm;

private:
    // INativeWindowEvents
    void OnNativePaint(void* cairo) override;
    void OnNativeMouseMove(CPoint client) override;
    void OnNativeMouseLeave() override;
    bool OnNativeButtonDown(CPoint client) override;
    void OnNativeButtonUp(CPoint client) override;
    void OnNativeDoubleClick(CPoint client) override;
    void OnNativeWheel(CPoint client, int delta) override;
    bool OnNativeKeyDown(uint32_t virtual_key) override;
    void OnNativeCloseRequest() override;
    void OnNativeMoved(CPoint screen) override;
    void OnNativeFocus(bool focused) override;

    // The filter, HandleMessage and the default handling.
    LRESULT Dispatch(uint32_t msg, uintptr_t wparam, intptr_t lparam);
    LRESULT DefaultHandling(uint32_t msg, uintptr_t wparam, intptr_t lparam);
    void DestroyWindow();
    void ReleaseNative();

    std::unique_ptr<INativeWindow> native_;
    WindowHandle handle_ = 0;
    WindowHandle owner_ = 0;
    CSize requested_size_;  // of Create; 0 takes the layout's
    std::map<std::u16string, std::function<void(TNotifyUI&)>> notify_map_;
    bool modal_ = false;
    bool closed_ = false;
    int close_code_ = 0;
};

// The window with this handle in this process; null when there is none (main thread).
SkinWindowBase* FindSkinWindow(WindowHandle handle);

// Safe from any thread: posts a message to the window with this handle; false when it does not exist.
bool PostMessageToWindow(WindowHandle handle, uint32_t msg, uintptr_t wparam, intptr_t lparam);

}  // namespace skinui
