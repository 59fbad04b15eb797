#include "ui/toolkit/window_registry.h"

#include <map>
#include <memory>
#include <mutex>

#include "formats/utf_conversion.h"
#include "platform/window_endpoint.h"
#include "system/simple_log.h"
#include "ui/toolkit/backend.h"
#include "ui/toolkit/skin_window_base.h"

namespace skinui {
namespace {

struct Entry {
    SkinWindowBase* window = nullptr;
    std::unique_ptr<platform::WindowEndpoint> endpoint;  // null when the system's table was unusable
};

struct Registry {
    std::mutex lock;
    std::map<WindowHandle, Entry> windows;
    // Handles for windows that the system's table could not take: negative in its
    // numbering, so never equal to a handle it gives out.
    WindowHandle next_local = 0xFFFF0000u;
};

Registry& Windows() {
    static Registry registry;
    return registry;
}

// On the main loop: what another process (or this one, through the system's
// table) posted to the window.
void Deliver(WindowHandle handle, const platform::WindowMessage& message) {
    SkinWindowBase* window = LookUpTopLevelWindow(handle);
    if (!window) return;
    if (message.message == platform::kMessageShowWindow ||
        message.message == platform::kMessageSetForeground) {
        window->ShowWindow(true, true);
        return;
    }
    if (message.has_data) {
        CopyDataStruct data;
        data.cbData = static_cast<uint32_t>(message.data.size() * sizeof(char16_t));
        data.lpData = message.data.data();
        window->SendMessage(message.message, static_cast<uintptr_t>(message.wparam),
                            reinterpret_cast<intptr_t>(&data));
        return;
    }
    window->SendMessage(message.message, static_cast<uintptr_t>(message.wparam),
                        static_cast<intptr_t>(message.lparam));
}

}  // namespace

WindowHandle RegisterTopLevelWindow(SkinWindowBase* window, const std::u16string& class_name,
                                    const std::u16string& title) {
    auto endpoint = std::make_unique<platform::WindowEndpoint>();
    // The handle is known only after Create; the handler looks it up through the
    // endpoint it belongs to.
    platform::WindowEndpoint* raw = endpoint.get();
    bool registered = endpoint->Create(
        Utf16ToUtf8(class_name), Utf16ToUtf8(title),
        [](std::function<void()> task) { PostToMainLoop(std::move(task)); },
        [raw](const platform::WindowMessage& message) {
            Deliver(static_cast<WindowHandle>(raw->Handle()), message);
        });
    Registry& registry = Windows();
    std::lock_guard guard(registry.lock);
    WindowHandle handle;
    if (registered) {
        handle = static_cast<WindowHandle>(endpoint->Handle());
        if (window->GetNativeWindow())
            endpoint->SetNativeWindow(window->GetNativeWindow()->GetNativeTopLevel());
    } else {
        WriteLog(kLogError,
                 "[ERROR] RegisterTopLevelWindow, the window table is unusable, "
                 "class=[%s].",
                 Utf16ToUtf8(class_name).c_str());
        handle = registry.next_local++;
        endpoint.reset();
    }
    registry.windows[handle] = Entry{window, std::move(endpoint)};
    return handle;
}

void UnregisterTopLevelWindow(WindowHandle handle) {
    std::unique_ptr<platform::WindowEndpoint> endpoint;
    {
        Registry& registry = Windows();
        std::lock_guard guard(registry.lock);
        auto found = registry.windows.find(handle);
        if (found == registry.windows.end()) return;
        endpoint = std::move(found->second.endpoint);
        registry.windows.erase(found);
    }
    // Outside the lock: the endpoint joins its reader thread.
    endpoint.reset();
}

SkinWindowBase* LookUpTopLevelWindow(WindowHandle handle) {
    Registry& registry = Windows();
    std::lock_guard guard(registry.lock);
    auto found = registry.windows.find(handle);
    return found == registry.windows.end() ? nullptr : found->second.window;
}

bool IsTopLevelWindow(WindowHandle handle) {
    return LookUpTopLevelWindow(handle) != nullptr;
}

}  // namespace skinui
