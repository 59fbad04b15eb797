// The GTK 3 back end: each toolkit window is an undecorated, fixed-size top-level window whose client area is
// a drawing area painted with cairo and pango; Edit and RichEdit fields are native GTK text widgets placed
// over their controls, and a combo's list is a GTK pop-up. Main thread only, except PostTask.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "ui/toolkit/backend.h"

namespace skinui {

class CGtkBackend : public CBackend {
public:
    CGtkBackend();
    ~CGtkBackend() override;

    std::unique_ptr<INativeWindow> CreateNativeWindow(INativeWindowEvents* events, INativeWindow* owner,
                                                      const std::u16string& title,
                                                      const CRect& rect) override;
    void Run(const std::function<bool()>& until) override;
    void PostTask(std::function<void()> task) override;
    uint32_t StartTimer(uint32_t period_ms, std::function<void()> tick) override;
    void StopTimer(uint32_t id) override;
    bool IsHeadless() const override { return false; }

private:
    static int RunTasks(void* self);
    static int Tick(void* timer);

    struct Timer {
        CGtkBackend* backend;
        uint32_t id;
        std::function<void()> tick;
    };
    std::mutex lock_;
    std::deque<std::function<void()>> tasks_;
    bool scheduled_ = false;             // an idle source that drains tasks_ is pending
    std::map<uint32_t, Timer*> timers_;  // main thread only; id = GLib source id
};

}  // namespace skinui
