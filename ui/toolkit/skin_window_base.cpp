#include "ui/toolkit/skin_window_base.h"

#include <algorithm>

#include "ui/toolkit/layout_builder.h"
#include "ui/toolkit/layout_reader.h"
#include "ui/toolkit/window_registry.h"

namespace skinui {

SkinWindowBase::SkinWindowBase() = default;

SkinWindowBase::~SkinWindowBase() {
    // A window destroyed without closing: no virtual operation may run any more, only the release.
    ReleaseNative();
}

void SkinWindowBase::ReleaseNative() {
    m_pm.DestroyRoot();
    m_pm.RemoveNotifier(this);
    m_pm.SetNativeWindow(nullptr);
    if (handle_ != 0) UnregisterTopLevelWindow(handle_);
    native_.reset();
}

// --- window operations
// --------------------------------------------------------------------------------------

WindowHandle SkinWindowBase::Create(WindowHandle owner, const std::u16string& window_name, int x, int y,
                                    int width, int height) {
    CBackend* backend = GetBackend();
    if (!backend || native_) return 0;
    owner_ = owner;
    SkinWindowBase* owner_window = LookUpTopLevelWindow(owner);
    native_ = backend->CreateNativeWindow(this, owner_window ? owner_window->GetNativeWindow() : nullptr,
                                          window_name, {x, y, x + width, y + height});
    if (!native_) return 0;
    handle_ = RegisterTopLevelWindow(this, GetWindowClassName(), window_name);
    closed_ = false;
    requested_size_ = {width, height};
    m_pm.SetNativeWindow(native_.get());
    m_pm.SetClientSize({width, height});
    m_pm.AddNotifier(this);
    Dispatch(WM_CREATE, 0, 0);
    return handle_;
}

int SkinWindowBase::ShowModal() {
    CBackend* backend = GetBackend();
    if (!backend || !native_) return -1;
    SkinWindowBase* owner = LookUpTopLevelWindow(owner_);
    WindowHandle owner_handle = owner_;
    if (owner && owner->GetNativeWindow()) owner->GetNativeWindow()->SetSensitive(false);
    modal_ = true;
    native_->SetModal(true);
    ShowWindow(true, true);
    backend->Run([this] { return closed_; });
    modal_ = false;
    // The owner may have gone while the box was up.
    if (SkinWindowBase* still = LookUpTopLevelWindow(owner_handle); still && still->GetNativeWindow()) {
        still->GetNativeWindow()->SetSensitive(true);
    }
    return close_code_;
}

void SkinWindowBase::Close(int code) {
    PostMessage(WM_CLOSE, static_cast<uintptr_t>(code), 0);
}

void SkinWindowBase::CenterWindow() {
    if (!native_) return;
    CSize size = native_->GetClientSize();
    SkinWindowBase* owner = LookUpTopLevelWindow(owner_);
    INativeWindow* reference = owner && owner->GetNativeWindow() ? owner->GetNativeWindow() : native_.get();
    CRect work = reference->GetWorkArea();
    CRect around = work;
    if (owner && owner->GetNativeWindow() && owner->GetNativeWindow()->IsShown()) {
        CPoint origin = reference->GetPosition();
        CSize owner_size = reference->GetClientSize();
        around = {origin.x, origin.y, origin.x + owner_size.cx, origin.y + owner_size.cy};
    }
    int x = around.left + (around.Width() - size.cx) / 2;
    int y = around.top + (around.Height() - size.cy) / 2;
    x = std::max(work.left, std::min(x, work.right - size.cx));
    y = std::max(work.top, std::min(y, work.bottom - size.cy));
    native_->Move({x, y});
}

void SkinWindowBase::ShowWindow(bool show, bool take_focus) {
    if (native_) native_->Show(show, take_focus);
}

bool SkinWindowBase::IsWindowVisible() const {
    return native_ && native_->IsShown();
}

bool SkinWindowBase::PostMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    return PostMessageToWindow(handle_, msg, wparam, lparam);
}

LRESULT SkinWindowBase::SendMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    return Dispatch(msg, wparam, lparam);
}

void SkinWindowBase::ResizeClient(int width, int height) {
    if (!native_) return;
    native_->SetClientSize({width, height});
    m_pm.SetClientSize({width, height});
    Dispatch(WM_SIZE, 0, MakePointParam(width, height));
}

CPoint SkinWindowBase::GetWindowPos() const {
    return native_ ? native_->GetPosition() : CPoint{};
}

void SkinWindowBase::MoveWindow(CPoint screen) {
    if (native_) native_->Move(screen);
}

CPoint SkinWindowBase::ScreenToClient(CPoint screen) const {
    CPoint origin = GetWindowPos();
    return {screen.x - origin.x, screen.y - origin.y};
}

void SkinWindowBase::SetTopmost(bool topmost) {
    if (native_) native_->SetTopmost(topmost);
}

void SkinWindowBase::AddNotifyHandler(const std::u16string& type, std::function<void(TNotifyUI&)> handler) {
    notify_map_[type] = std::move(handler);
}

// --- message routing ---------------------------------------------------------------------------------------

LRESULT SkinWindowBase::Dispatch(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    bool handled = false;
    LRESULT result = MessageHandler(msg, wparam, lparam, handled);
    if (handled) return result;
    return HandleMessage(msg, wparam, lparam);
}

LRESULT SkinWindowBase::HandleMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    bool handled = true;
    LRESULT result = 0;
    switch (msg) {
        case WM_CLOSE:
            result = OnClose(msg, wparam, lparam, handled);
            break;
        case WM_DESTROY:
            result = OnDestroy(msg, wparam, lparam, handled);
            break;
        case WM_NCACTIVATE:
            result = OnNcActivate(msg, wparam, lparam, handled);
            break;
        case WM_NCCALCSIZE:
            result = OnNcCalcSize(msg, wparam, lparam, handled);
            break;
        case WM_PAINT:
            result = OnPaint(msg, wparam, lparam, handled);
            break;
        case WM_NCHITTEST:
            result = OnNcHitTest(msg, wparam, lparam, handled);
            break;
        case WM_GETMINMAXINFO:
            result = OnGetMinMaxInfo(msg, wparam, lparam, handled);
            break;
        case WM_MOUSEWHEEL:
            result = OnMouseWheel(msg, wparam, lparam, handled);
            break;
        case WM_MOUSEHOVER:
            result = OnMouseHover(msg, wparam, lparam, handled);
            break;
        case WM_SIZE:
            result = OnSize(msg, wparam, lparam, handled);
            break;
        case WM_CHAR:
            result = OnChar(msg, wparam, lparam, handled);
            break;
        case WM_SYSCOMMAND:
            result = OnSysCommand(msg, wparam, lparam, handled);
            break;
        case WM_CREATE:
            result = OnCreate(msg, wparam, lparam, handled);
            break;
        case WM_KEYDOWN:
            result = OnKeyDown(msg, wparam, lparam, handled);
            break;
        case WM_KILLFOCUS:
            result = OnKillFocus(msg, wparam, lparam, handled);
            break;
        case WM_SETFOCUS:
            result = OnSetFocus(msg, wparam, lparam, handled);
            break;
        case WM_LBUTTONDOWN:
            result = OnLButtonDown(msg, wparam, lparam, handled);
            break;
        case WM_LBUTTONUP:
            result = OnLButtonUp(msg, wparam, lparam, handled);
            break;
        case WM_MOUSEMOVE:
            result = OnMouseMove(msg, wparam, lparam, handled);
            break;
        default:
            handled = false;
            break;
    }
    if (handled) return result;
    handled = true;
    result = HandleCustomMessage(msg, wparam, lparam, handled);
    if (handled) return result;
    return DefaultHandling(msg, wparam, lparam);
}

LRESULT SkinWindowBase::DefaultHandling(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    switch (msg) {
        case WM_CLOSE:
            close_code_ = static_cast<int>(wparam);
            DestroyWindow();
            return 0;
        case WM_SYSCOMMAND:
            if ((wparam & 0xFFF0) == SC_CLOSE) Close(IDCLOSE);
            return 0;
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_LBUTTONDOWN:
            m_pm.OnButtonDown(PointFromParam(lparam));
            return 0;
        case WM_LBUTTONUP:
            m_pm.OnButtonUp(PointFromParam(lparam));
            return 0;
        case WM_MOUSEMOVE:
            m_pm.OnMouseMove(PointFromParam(lparam));
            return 0;
        case WM_KEYDOWN:
            if (wparam == VK_RETURN || wparam == VK_ESCAPE) return ResponseDefaultKeyEvent(wparam);
            return 0;
        default:
            return 0;
    }
}

void SkinWindowBase::DestroyWindow() {
    if (!native_) return;
    WindowHandle handle = handle_;
    Dispatch(WM_DESTROY, 0, 0);
    if (native_) native_->Show(false, false);
    ReleaseNative();
    handle_ = 0;
    closed_ = true;
    // Last: the window may delete itself here.
    OnFinalMessage(handle);
}

// --- default operations ----------------------------------------------------------------------------------

void SkinWindowBase::OnFinalMessage(WindowHandle) {}

void SkinWindowBase::OnClick(TNotifyUI&) {}

bool SkinWindowBase::IsControlStatic(CControl* control) const {
    // In the caption area, everything that does not react to the mouse drags the window.
    return !control || control->GetClass() == u"Label" || control->GetClass() == u"Control" ||
           control->GetClass() == u"Container" || control->GetClass() == u"VerticalLayout" ||
           control->GetClass() == u"HorizontalLayout" || control->GetClass() == u"Progress";
}

LRESULT SkinWindowBase::ResponseDefaultKeyEvent(uintptr_t) {
    return 0;
}

#define SKINUI_UNHANDLED(name)                                                   \
    LRESULT SkinWindowBase::name(uint32_t, uintptr_t, intptr_t, bool& handled) { \
        handled = false;                                                         \
        return 0;                                                                \
    }
SKINUI_UNHANDLED(OnClose)
SKINUI_UNHANDLED(OnDestroy)
SKINUI_UNHANDLED(OnNcActivate)
SKINUI_UNHANDLED(OnNcCalcSize)
SKINUI_UNHANDLED(OnPaint)
SKINUI_UNHANDLED(OnGetMinMaxInfo)
SKINUI_UNHANDLED(OnMouseWheel)
SKINUI_UNHANDLED(OnMouseHover)
SKINUI_UNHANDLED(OnSize)
SKINUI_UNHANDLED(OnChar)
SKINUI_UNHANDLED(OnSysCommand)
SKINUI_UNHANDLED(OnKeyDown)
SKINUI_UNHANDLED(OnKillFocus)
SKINUI_UNHANDLED(OnSetFocus)
SKINUI_UNHANDLED(OnLButtonDown)
SKINUI_UNHANDLED(OnLButtonUp)
SKINUI_UNHANDLED(OnMouseMove)
SKINUI_UNHANDLED(HandleCustomMessage)
#undef SKINUI_UNHANDLED

LRESULT SkinWindowBase::OnNcHitTest(uint32_t, uintptr_t, intptr_t lparam, bool& handled) {
    handled = true;
    CPoint point = ScreenToClient(PointFromParam(lparam));
    CRect caption = m_pm.GetCaptionRect();
    CSize size = m_pm.GetClientSize();
    // Caption margins: left, top, right from the edges; bottom is the caption's height.
    CRect area{caption.left, caption.top, size.cx - caption.right, caption.bottom};
    if (!area.IsEmpty() && area.Contains(point) && IsControlStatic(m_pm.FindControl(point))) return HTCAPTION;
    return HTCLIENT;
}

LRESULT SkinWindowBase::OnCreate(uint32_t, uintptr_t, intptr_t, bool& handled) {
    handled = true;
    InitResource();
    if (std::optional<LayoutElement> layout = ReadSkinLayout(GetSkinFile())) {
        m_pm.AttachRoot(BuildControlTree(*layout, m_pm, this));
        CSize size = requested_size_;
        CSize init = m_pm.GetInitSize();
        if (size.cx <= 0) size.cx = init.cx;
        if (size.cy <= 0) size.cy = init.cy;
        native_->SetTransparent(m_pm.IsTransparent());
        ResizeClient(size.cx, size.cy);
    }
    InitWindow();
    return 0;
}

void SkinWindowBase::Notify(TNotifyUI& msg) {
    auto found = notify_map_.find(msg.sType);
    if (found != notify_map_.end()) {
        // Copied: the handler may replace its own entry.
        auto handler = found->second;
        handler(msg);
        return;
    }
    if (msg.sType == u"click") OnClick(msg);
}

LRESULT SkinWindowBase::MessageHandler(uint32_t, uintptr_t, intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::unique_ptr<CControl> SkinWindowBase::CreateControl(std::u16string_view) {
    return nullptr;
}

std::u16string SkinWindowBase::GetItemText(CControl*, int, int) {
    return {};
}

// --- native events --------------------------------------------------------------------------------------

void SkinWindowBase::OnNativePaint(void* cairo) {
    CRenderContext context(cairo, &m_pm);
    m_pm.Paint(context);
}

void SkinWindowBase::OnNativeMouseMove(CPoint client) {
    Dispatch(WM_MOUSEMOVE, 0, MakePointParam(client.x, client.y));
}

void SkinWindowBase::OnNativeMouseLeave() {
    m_pm.OnMouseLeave();
}

bool SkinWindowBase::OnNativeButtonDown(CPoint client) {
    CPoint origin = GetWindowPos();
    LRESULT hit = Dispatch(WM_NCHITTEST, 0, MakePointParam(origin.x + client.x, origin.y + client.y));
    if (hit == HTCAPTION) return true;
    Dispatch(WM_LBUTTONDOWN, 0, MakePointParam(client.x, client.y));
    return false;
}

void SkinWindowBase::OnNativeButtonUp(CPoint client) {
    Dispatch(WM_LBUTTONUP, 0, MakePointParam(client.x, client.y));
}

void SkinWindowBase::OnNativeDoubleClick(CPoint client) {
    CPoint origin = GetWindowPos();
    CPoint screen{origin.x + client.x, origin.y + client.y};
    if (Dispatch(WM_NCHITTEST, 0, MakePointParam(screen.x, screen.y)) == HTCAPTION) {
        Dispatch(WM_NCLBUTTONDBLCLK, HTCAPTION, MakePointParam(screen.x, screen.y));
    }
}

void SkinWindowBase::OnNativeWheel(CPoint client, int delta) {
    CPoint origin = GetWindowPos();
    Dispatch(WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16,
             MakePointParam(origin.x + client.x, origin.y + client.y));
}

bool SkinWindowBase::OnNativeKeyDown(uint32_t virtual_key) {
    bool handled = false;
    MessageHandler(WM_KEYDOWN, virtual_key, 0, handled);
    if (handled) return true;
    return HandleMessage(WM_KEYDOWN, virtual_key, 0) != 0;
}

void SkinWindowBase::OnNativeCloseRequest() {
    Dispatch(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void SkinWindowBase::OnNativeMoved(CPoint screen) {
    Dispatch(WM_MOVE, 0, MakePointParam(screen.x, screen.y));
}

void SkinWindowBase::OnNativeFocus(bool focused) {
    Dispatch(focused ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
}

// --- handles --------------------------------------------------------------------------------------------

SkinWindowBase* FindSkinWindow(WindowHandle handle) {
    return LookUpTopLevelWindow(handle);
}

bool PostMessageToWindow(WindowHandle handle, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    if (handle == 0 || !IsTopLevelWindow(handle)) return false;
    return PostToMainLoop([handle, msg, wparam, lparam] {
        // The window may have gone since the message was posted.
        if (SkinWindowBase* window = LookUpTopLevelWindow(handle)) window->SendMessage(msg, wparam, lparam);
    });
}

}  // namespace skinui
