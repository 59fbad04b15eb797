// Small value types shared by the whole toolkit: geometry, colours, window message numbers, notifications.
// Message numbers keep the values other processes already post (1135, 32871 ...), so they are the classic
// window-message numbers.
#pragma once

#include <cstdint>
#include <string>

namespace skinui {

struct CPoint {
    int x = 0;
    int y = 0;
};

struct CSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const CSize&) const = default;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool operator==(const CRect&) const = default;
};

// The 32-bit handle of a top-level window; 0 is no window.
using WindowHandle = uint32_t;

// What a window's message handling returns.
using LRESULT = intptr_t;

// The payload of WM_COPYDATA; lParam points at it while the message is handled.
struct CopyDataStruct {
    uintptr_t dwData = 0;
    uint32_t cbData = 0;  // bytes at lpData
    const void* lpData = nullptr;
};

// Close codes of dialogs.
enum : int { IDOK = 1, IDCANCEL = 2, IDCLOSE = 8 };

// 0xAARRGGBB; 0 means "not set" where a colour is optional.
using Color = uint32_t;

// Window messages (the subset the toolkit raises or routes).
enum : uint32_t {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_GETMINMAXINFO = 0x0024,
    WM_COPYDATA = 0x004A,
    WM_NCCALCSIZE = 0x0083,
    WM_NCHITTEST = 0x0084,
    WM_NCACTIVATE = 0x0086,
    WM_NCLBUTTONDBLCLK = 0x00A3,
    WM_KEYDOWN = 0x0100,
    WM_CHAR = 0x0102,
    WM_SYSCOMMAND = 0x0112,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_MOUSEWHEEL = 0x020A,
    WM_MOUSEHOVER = 0x02A1,
    WM_USER = 0x0400,
    WM_APP = 0x8000,
};

// WM_NCHITTEST answers, WM_SYSCOMMAND commands and the two keys the windows care about.
enum : int { HTCLIENT = 1, HTCAPTION = 2 };
enum : uint32_t { SC_CLOSE = 0xF060, SC_MINIMIZE = 0xF020 };
enum : uint32_t { VK_RETURN = 0x0D, VK_ESCAPE = 0x1B };

// Screen or client points travel in lParam as two signed 16-bit halves, x low.
inline intptr_t MakePointParam(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                                 static_cast<uint16_t>(x));
}
inline CPoint PointFromParam(intptr_t param) {
    return {static_cast<int16_t>(param & 0xFFFF), static_cast<int16_t>((param >> 16) & 0xFFFF)};
}

class CControl;

// A notification: its type ("click", "itemselect", "textchanged", "setfocus", "killfocus", "timer"), the
// control that raised it and two integers whose meaning depends on the type.
struct TNotifyUI {
    std::u16string sType;
    CControl* pSender = nullptr;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

}  // namespace skinui
