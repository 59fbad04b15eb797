// A second process for the window tests: window_holder CLASS TITLE REPLY_HANDLE
//
// Registers a window with the given class and title, tells the test its handle (message kHello to
// REPLY_HANDLE, wparam = the handle), answers every kEcho with kEchoReply carrying wparam + 1 and the same
// text, and ends on WM_CLOSE (16).
#include <cstdlib>
#include <string>

#include "platform/message_loop.h"
#include "platform/window_endpoint.h"

namespace {

constexpr uint32_t kHello = 0x8001;
constexpr uint32_t kEcho = 0x8002;
constexpr uint32_t kEchoReply = 0x8003;
constexpr uint32_t kClose = 16;

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) return 2;
    platform::WindowHandle reply_to = platform::WindowHandle(std::strtol(argv[3], nullptr, 10));
    platform::MessageLoop loop;
    platform::WindowEndpoint window;
    bool created = window.Create(
        argv[1], argv[2], [&loop](std::function<void()> task) { loop.PostTask(std::move(task)); },
        [&](const platform::WindowMessage& message) {
            if (message.message == kEcho) {
                platform::PostWindowData(reply_to, kEchoReply, message.wparam + 1, message.data);
            } else if (message.message == kClose) {
                loop.PostQuit();
            }
        });
    if (!created) return 1;
    if (!platform::PostWindowMessage(reply_to, kHello, window.Handle(), 0)) return 1;
    loop.Run();
    return 0;
}
