// The window stand-in, seen from any process: top-level windows known by a 32-bit handle, found by class and
// title, and messages posted to them. The owning side is WindowEndpoint (platform/window_endpoint.h).
//
// Every registered window has a record (class, title, owning process) and a datagram socket in the runtime
// folder (platform::GetRuntimeFolder()). A record whose process has ended is not a window.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A window handle; 0 is no window. Handles are positive and unique among the windows that exist.
using WindowHandle = int32_t;

// What a window receives. `data` is the UTF-16 payload of a WM_COPYDATA-style message (has_data true).
struct WindowMessage {
    uint32_t message = 0;
    int64_t wparam = 0;
    int64_t lparam = 0;
    bool has_data = false;
    std::u16string data;
};

inline constexpr uint32_t kMessageCopyData = 74;  // WM_COPYDATA: wparam is the sender's handle

// Requests that only the owner can carry out on its native window. Their ids lie in the range of messages
// that a system registers at run time (0xC000-0xFFFF), so they never meet a program's own ids.
inline constexpr uint32_t kMessageShowWindow = 0xC101;     // wparam: 5 show, 9 restore from minimised
inline constexpr uint32_t kMessageSetForeground = 0xC102;  // bring its last active pop-up to the front
inline constexpr int kShowNormal = 5;
inline constexpr int kShowRestore = 9;

// Largest payload of one message, in UTF-16 code units.
inline constexpr size_t kMaxMessageData = 32768;

// The first window (in handle order) whose class and title both equal the given texts (UTF-8, compared
// exactly); 0 when there is none.
WindowHandle FindWindow(const std::string& class_name, const std::string& title);

// True while the window is registered and its owning process runs.
bool IsWindow(WindowHandle window);

// The owner's last report of the window's minimised state (WindowEndpoint::SetMinimized); false for no
// window.
bool IsWindowMinimized(WindowHandle window);

// Queues a message for the window's owner without waiting for it to be handled. False when the handle names
// no window, the owner has not taken the message within two seconds (it no longer reads), or the data is
// longer than kMaxMessageData.
bool PostWindowMessage(WindowHandle window, uint32_t message, int64_t wparam, int64_t lparam);
bool PostWindowData(WindowHandle window, uint32_t message, int64_t wparam, const std::u16string& data);

}  // namespace platform
