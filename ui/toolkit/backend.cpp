#include "ui/toolkit/backend.h"

#include <atomic>

#include "ui/toolkit/headless_backend.h"

namespace skinui {
namespace {

std::unique_ptr<CBackend>& Installed() {
    static std::unique_ptr<CBackend> backend;
    return backend;
}

// Written from any thread by QuitMessageLoop, read by the loop's predicate.
std::atomic<bool> g_quit_requested{false};

}  // namespace

CBackend* GetBackend() {
    return Installed().get();
}

void InstallBackend(std::unique_ptr<CBackend> backend) {
    Installed() = std::move(backend);
}

void InstallHeadlessBackend() {
    InstallBackend(std::make_unique<CHeadlessBackend>());
}

void RunMessageLoop() {
    CBackend* backend = GetBackend();
    if (!backend) return;
    backend->Run([] { return g_quit_requested.load(); });
    g_quit_requested = false;
}

void QuitMessageLoop() {
    g_quit_requested = true;
    // Wakes the loop so that it sees the request.
    PostToMainLoop([] {});
}

bool PostToMainLoop(std::function<void()> task) {
    CBackend* backend = GetBackend();
    if (!backend) return false;
    backend->PostTask(std::move(task));
    return true;
}

}  // namespace skinui
