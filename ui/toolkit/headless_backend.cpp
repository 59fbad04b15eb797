#include "ui/toolkit/headless_backend.h"

#include <cairo.h>

#include <algorithm>

#include "ui/toolkit/combo.h"
#include "ui/toolkit/edit.h"

namespace skinui {

// --- loop -----------------------------------------------------------------------------------------------

std::unique_ptr<INativeWindow> CHeadlessBackend::CreateNativeWindow(INativeWindowEvents* events,
                                                                    INativeWindow*,
                                                                    const std::u16string& title,
                                                                    const CRect& rect) {
    return std::make_unique<CHeadlessNativeWindow>(events, title, rect);
}

void CHeadlessBackend::PostTask(std::function<void()> task) {
    {
        std::lock_guard guard(lock_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

uint32_t CHeadlessBackend::StartTimer(uint32_t period_ms, std::function<void()> tick) {
    uint32_t id = next_timer_++;
    auto period = std::chrono::milliseconds(std::max<uint32_t>(1, period_ms));
    timers_[id] = Timer{period, std::chrono::steady_clock::now() + period, std::move(tick)};
    return id;
}

void CHeadlessBackend::StopTimer(uint32_t id) {
    timers_.erase(id);
}

bool CHeadlessBackend::RunOne() {
    std::function<void()> task;
    {
        std::lock_guard guard(lock_);
        if (!tasks_.empty()) {
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
    }
    if (task) {
        task();
        return true;
    }
    auto now = std::chrono::steady_clock::now();
    for (auto& [id, timer] : timers_) {
        if (timer.due > now) continue;
        timer.due = now + timer.period;
        // The tick may stop this or any other timer, so the map is not touched after it.
        std::function<void()> tick = timer.tick;
        tick();
        return true;
    }
    return false;
}

void CHeadlessBackend::RunPending() {
    while (RunOne()) {
    }
}

void CHeadlessBackend::Run(const std::function<bool()>& until) {
    while (!until()) {
        if (RunOne()) continue;
        std::unique_lock guard(lock_);
        if (!tasks_.empty()) continue;
        if (timers_.empty()) {
            wake_.wait(guard, [this] { return !tasks_.empty(); });
        } else {
            auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
                            return a.second.due < b.second.due;
                        })->second.due;
            wake_.wait_until(guard, next, [this] { return !tasks_.empty(); });
        }
    }
}

// --- windows ------------------------------------------------------------------------------------------

CHeadlessNativeWindow::CHeadlessNativeWindow(INativeWindowEvents* events, const std::u16string& title,
                                             const CRect& rect)
    : events_(events), title_(title), position_{rect.left, rect.top}, size_{rect.Width(), rect.Height()} {}

CHeadlessNativeWindow::~CHeadlessNativeWindow() {
    for (CHeadlessTextEntry* entry : entries_) entry->window_ = nullptr;
}

void CHeadlessNativeWindow::Show(bool show, bool take_focus) {
    shown_ = show;
    if (show && take_focus) events_->OnNativeFocus(true);
}

void CHeadlessNativeWindow::Move(CPoint screen) {
    if (screen.x == position_.x && screen.y == position_.y) return;
    position_ = screen;
    events_->OnNativeMoved(screen);
}

std::unique_ptr<INativeTextEntry> CHeadlessNativeWindow::CreateTextEntry(CEdit* edit, bool multiline) {
    return std::make_unique<CHeadlessTextEntry>(this, edit, multiline);
}

void CHeadlessNativeWindow::HideDropDown() {
    if (CCombo* combo = drop_down_) {
        drop_down_ = nullptr;
        combo->OnNativeItemChosen(-1);
    }
}

void CHeadlessNativeWindow::MouseMove(CPoint point) {
    if (dragging_) {
        // Same as the GTK back end: the window follows the pointer while the button is held.
        CPoint screen{position_.x + point.x, position_.y + point.y};
        Move({drag_origin_.x + screen.x - drag_start_.x, drag_origin_.y + screen.y - drag_start_.y});
        return;
    }
    events_->OnNativeMouseMove(point);
}

void CHeadlessNativeWindow::MouseDown(CPoint point) {
    if (!sensitive_) return;
    if (events_->OnNativeButtonDown(point)) {
        dragging_ = true;
        drag_start_ = {position_.x + point.x, position_.y + point.y};
        drag_origin_ = position_;
    }
}

void CHeadlessNativeWindow::MouseUp(CPoint point) {
    if (dragging_) {
        dragging_ = false;
        return;
    }
    if (!sensitive_) return;
    events_->OnNativeButtonUp(point);
}

void CHeadlessNativeWindow::Click(CPoint point) {
    MouseMove(point);
    MouseDown(point);
    MouseUp(point);
}

bool CHeadlessNativeWindow::PressKey(uint32_t virtual_key) {
    return events_->OnNativeKeyDown(virtual_key);
}

void CHeadlessNativeWindow::RequestClose() {
    events_->OnNativeCloseRequest();
}

bool CHeadlessNativeWindow::ChooseDropDownItem(int index) {
    CCombo* combo = drop_down_;
    if (!combo || index >= combo->GetCount()) return false;
    drop_down_ = nullptr;
    combo->OnNativeItemChosen(index);
    return true;
}

CHeadlessTextEntry* CHeadlessNativeWindow::FindTextEntry(const CEdit* edit) const {
    for (CHeadlessTextEntry* entry : entries_) {
        if (entry->GetEdit() == edit) return entry;
    }
    return nullptr;
}

std::vector<uint32_t> CHeadlessNativeWindow::RenderPixels() {
    std::vector<uint32_t> pixels;
    if (size_.cx <= 0 || size_.cy <= 0) return pixels;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size_.cx, size_.cy);
    cairo_t* cr = cairo_create(surface);
    events_->OnNativePaint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    pixels.reserve(static_cast<size_t>(size_.cx) * size_.cy);
    for (int y = 0; y < size_.cy; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        pixels.insert(pixels.end(), row, row + size_.cx);
    }
    cairo_surface_destroy(surface);
    return pixels;
}

bool CHeadlessNativeWindow::RenderToPng(const std::string& path) {
    if (size_.cx <= 0 || size_.cy <= 0) return false;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size_.cx, size_.cy);
    cairo_t* cr = cairo_create(surface);
    events_->OnNativePaint(cr);
    cairo_destroy(cr);
    bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

// --- text entries ---------------------------------------------------------------------------------

CHeadlessTextEntry::CHeadlessTextEntry(CHeadlessNativeWindow* window, CEdit* edit, bool multiline)
    : window_(window), edit_(edit), multiline_(multiline) {
    window_->entries_.push_back(this);
}

CHeadlessTextEntry::~CHeadlessTextEntry() {
    if (window_)
        window_->entries_.erase(std::remove(window_->entries_.begin(), window_->entries_.end(), this),
                                window_->entries_.end());
}

void CHeadlessTextEntry::SetRect(const CRect& rect, bool visible) {
    rect_ = rect;
    visible_ = visible;
}

void CHeadlessTextEntry::SetStyle(const std::string& font, Color, int, bool) {
    font_ = font;
}

const CRect& CHeadlessTextEntry::GetRect() const {
    edit_->GetPos();
    return rect_;
}

bool CHeadlessTextEntry::IsVisible() const {
    edit_->GetPos();
    return visible_;
}

void CHeadlessTextEntry::Focus() {
    if (!window_ || !IsVisible()) return;
    for (CHeadlessTextEntry* other : window_->entries_) {
        if (other != this && other->edit_->IsFocused()) other->edit_->OnNativeFocus(false);
    }
    edit_->OnNativeFocus(true);
}

void CHeadlessTextEntry::Blur() {
    edit_->OnNativeFocus(false);
}

bool CHeadlessTextEntry::Type(const std::u16string& text) {
    if (read_only_ || !enabled_ || !IsVisible()) return false;
    Focus();
    text_ = text;
    edit_->OnNativeTextChanged(text);
    return true;
}

}  // namespace skinui
