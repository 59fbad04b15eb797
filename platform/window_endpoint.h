// The owning side of the window stand-in (platform/window_messages.h): registers one top-level window and
// receives what other processes, or this one, post to it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/window_messages.h"

namespace platform {

class WindowEndpoint {
public:
    // Runs a task on the thread that owns the window (the main loop). Installed by the owner of that loop:
    // the plain MessageLoop's PostTask, or the toolkit's idle callback.
    using LoopPoster = std::function<void(std::function<void()>)>;
    // Called on the loop thread, once per message, in arrival order.
    using Handler = std::function<void(const WindowMessage&)>;

    WindowEndpoint() = default;
    ~WindowEndpoint() { Destroy(); }
    WindowEndpoint(const WindowEndpoint&) = delete;
    WindowEndpoint& operator=(const WindowEndpoint&) = delete;

    // Takes a free handle, opens the window's socket and publishes its record (class and title in UTF-8).
    // Records of ended processes are swept away on the way. False when the runtime folder is unusable.
    bool Create(const std::string& class_name, const std::string& title, LoopPoster poster, Handler handler);

    // Removes the record and the socket; no message is handed to the handler afterwards, even one already
    // queued on the loop. Call it on the loop thread.
    void Destroy();

    WindowHandle Handle() const { return handle_; }

    // Rewrite the record; other processes see the change at once.
    bool SetTitle(const std::string& title);
    bool SetMinimized(bool minimized);

    // The toolkit's own window object for this handle (a GtkWindow*), for the services that act on the native
    // window of this process (centring, dialog parents). Not owned.
    void SetNativeWindow(void* native_window);

private:
    void Receive();
    bool PublishRecord();

    WindowHandle handle_ = 0;
    std::string class_name_;
    std::string title_;
    bool minimized_ = false;
    int socket_ = -1;
    int stop_read_ = -1;
    int stop_write_ = -1;
    std::thread reader_;
    LoopPoster poster_;
    Handler handler_;
    std::shared_ptr<std::atomic<bool>> alive_;  // shared with the tasks queued on the loop
};

// The native window registered for a handle of this process (WindowEndpoint::SetNativeWindow); null for a
// window of another process or one without a native window (the headless toolkit).
void* FindNativeWindow(WindowHandle window);

}  // namespace platform
