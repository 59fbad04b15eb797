#include "ui/toolkit/window_registry.h"

#include <map>
#include <mutex>

namespace skinui {
namespace {

struct Registry {
    std::mutex lock;
    std::map<WindowHandle, SkinWindowBase*> windows;
    WindowHandle next = 0x10010;
};

Registry& Windows() {
    static Registry registry;
    return registry;
}

}  // namespace

WindowHandle RegisterTopLevelWindow(SkinWindowBase* window, const std::u16string& /*class_name*/,
                                    const std::u16string& /*title*/) {
    Registry& registry = Windows();
    std::lock_guard guard(registry.lock);
    // Handles of this process only, until the system's window table takes over the numbering.
    WindowHandle handle = registry.next;
    registry.next += 4;
    registry.windows[handle] = window;
    return handle;
}

void UnregisterTopLevelWindow(WindowHandle handle) {
    Registry& registry = Windows();
    std::lock_guard guard(registry.lock);
    registry.windows.erase(handle);
}

SkinWindowBase* LookUpTopLevelWindow(WindowHandle handle) {
    Registry& registry = Windows();
    std::lock_guard guard(registry.lock);
    auto found = registry.windows.find(handle);
    return found == registry.windows.end() ? nullptr : found->second;
}

bool IsTopLevelWindow(WindowHandle handle) {
    return LookUpTopLevelWindow(handle) != nullptr;
}

}  // namespace skinui
