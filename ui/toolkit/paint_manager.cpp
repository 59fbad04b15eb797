#include "ui/toolkit/paint_manager.h"

#include <algorithm>

#include "ui/toolkit/backend.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/edit.h"
#include "ui/toolkit/text_markup.h"

namespace skinui {

CPaintManager::CPaintManager() {
    default_font_.name = u"Segoe UI";
}

CPaintManager::~CPaintManager() {
    DestroyRoot();
}

void CPaintManager::AttachRoot(std::unique_ptr<CControl> root) {
    DestroyRoot();
    root_ = std::move(root);
    if (root_) root_->SetManager(this, nullptr);
    NeedLayout();
}

void CPaintManager::DestroyRoot() {
    // Controls tell the manager when they go, so the tree is released while the manager is whole.
    root_.reset();
    names_.clear();
    for (auto& [key, timer] : timers_) {
        if (CBackend* backend = GetBackend()) backend->StopTimer(timer);
    }
    timers_.clear();
    hot_ = pushed_ = nullptr;
}

CControl* CPaintManager::FindControl(std::u16string_view name) const {
    auto found = names_.find(std::u16string(name));
    return found == names_.end() ? nullptr : found->second;
}

CControl* CPaintManager::FindControl(CPoint point) const {
    if (!root_) return nullptr;
    const_cast<CPaintManager*>(this)->EnsureLayout();
    return root_->FindControlAt(point);
}

void CPaintManager::SetClientSize(CSize size) {
    if (size == client_size_) return;
    client_size_ = size;
    NeedLayout();
}

bool CPaintManager::SetTimer(CControl* control, uint32_t id, uint32_t period_ms) {
    CBackend* backend = GetBackend();
    if (!backend || !control || control->GetManager() != this) return false;
    KillTimer(control, id);
    uint32_t timer = backend->StartTimer(period_ms, [this, control, id] {
        // The timer may have been stopped by an earlier tick's handler in the same loop turn.
        if (timers_.count({control, id})) SendNotify(control, u"timer", id, 0);
    });
    timers_[{control, id}] = timer;
    return true;
}

bool CPaintManager::KillTimer(CControl* control, uint32_t id) {
    auto found = timers_.find({control, id});
    if (found == timers_.end()) return false;
    if (CBackend* backend = GetBackend()) backend->StopTimer(found->second);
    timers_.erase(found);
    return true;
}

void CPaintManager::KillTimers(CControl* control) {
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->first.first == control) {
            if (CBackend* backend = GetBackend()) backend->StopTimer(it->second);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

void CPaintManager::AddFont(int id, const FontSpec& font, bool is_default) {
    fonts_[id] = font;
    if (is_default && !has_default_font_) {
        default_font_ = font;
        has_default_font_ = true;
    }
}

const FontSpec* CPaintManager::GetFont(int id) const {
    auto found = fonts_.find(id);
    return found == fonts_.end() ? nullptr : &found->second;
}

const FontSpec& CPaintManager::GetFontOrDefault(int id) const {
    const FontSpec* font = GetFont(id);
    return font ? *font : default_font_;
}

CSize CPaintManager::GetTextSize(const std::u16string& text, int font_id, int wrap_width, bool markup) {
    std::vector<TextRun> runs = markup ? ParseTextMarkup(text) : std::vector<TextRun>{TextRun{text}};
    TextStyle style;
    style.font = font_id;
    style.wordbreak = wrap_width > 0;
    return MeasureTextRuns(this, runs, style, wrap_width);
}

void CPaintManager::AddNotifier(INotifySink* sink) {
    if (sink && std::find(notifiers_.begin(), notifiers_.end(), sink) == notifiers_.end()) {
        notifiers_.push_back(sink);
    }
}

void CPaintManager::RemoveNotifier(INotifySink* sink) {
    notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), sink), notifiers_.end());
}

void CPaintManager::SendNotify(CControl* sender, std::u16string_view type, uintptr_t wparam,
                               intptr_t lparam) {
    TNotifyUI msg{std::u16string(type), sender, wparam, lparam};
    // A sink may remove itself (or close the window) while it handles the notification.
    std::vector<INotifySink*> sinks = notifiers_;
    for (INotifySink* sink : sinks) {
        if (std::find(notifiers_.begin(), notifiers_.end(), sink) != notifiers_.end()) sink->Notify(msg);
    }
}

void CPaintManager::SetHot(CControl* control) {
    if (control == hot_) return;
    CControl* old = hot_;
    hot_ = control;
    if (old) old->DoEvent({ControlEventType::kMouseLeave, {}});
    if (hot_) hot_->DoEvent({ControlEventType::kMouseEnter, {}});
    if (native_) {
        native_->SetCursor(hot_ && hot_->IsEnabled() && hot_->WantsHandCursor() ? CursorKind::kHand
                                                                                : CursorKind::kArrow);
        native_->SetToolTip(hot_ ? hot_->GetToolTip() : std::u16string());
    }
}

void CPaintManager::OnMouseMove(CPoint point) {
    CControl* hit = FindControl(point);
    // While a button is held, only the pressed control is hot (and only while the pointer is over it).
    if (pushed_) hit = hit == pushed_ ? pushed_ : nullptr;
    SetHot(hit);
    if (hot_) hot_->DoEvent({ControlEventType::kMouseMove, point});
}

void CPaintManager::OnMouseLeave() {
    if (!pushed_) SetHot(nullptr);
}

void CPaintManager::OnButtonDown(CPoint point) {
    CControl* hit = FindControl(point);
    SetHot(hit);
    pushed_ = hit;
    if (hit) hit->DoEvent({ControlEventType::kButtonDown, point});
}

void CPaintManager::OnButtonUp(CPoint point) {
    CControl* pushed = pushed_;
    pushed_ = nullptr;
    if (pushed) pushed->DoEvent({ControlEventType::kButtonUp, point});
    // The handler may have changed the tree; find the hot control again.
    if (root_) SetHot(FindControl(point));
}

void CPaintManager::Paint(CRenderContext& context) {
    EnsureLayout();
    if (window_bk_color_ != 0) context.FillRect({0, 0, client_size_.cx, client_size_.cy}, window_bk_color_);
    if (root_ && root_->IsOwnVisible()) root_->DoPaint(context);
}

void CPaintManager::RegisterName(CControl* control) {
    if (control->GetName().empty()) return;
    names_.emplace(control->GetName(), control);
}

void CPaintManager::UnregisterName(CControl* control) {
    auto found = names_.find(control->GetName());
    if (found != names_.end() && found->second == control) names_.erase(found);
}

void CPaintManager::ForgetControl(CControl* control) {
    UnregisterName(control);
    KillTimers(control);
    if (hot_ == control) hot_ = nullptr;
    if (pushed_ == control) pushed_ = nullptr;
}

void CPaintManager::NeedLayout() {
    layout_needed_ = true;
    Invalidate();
}

void CPaintManager::EnsureLayout() {
    if (!layout_needed_ || in_layout_ || !root_) return;
    in_layout_ = true;
    layout_needed_ = false;
    root_->SetPos({0, 0, client_size_.cx, client_size_.cy});
    SyncNativeChildren(root_.get());
    in_layout_ = false;
}

void CPaintManager::SyncNativeChildren(CControl* control) {
    if (auto* edit = dynamic_cast<CEdit*>(control)) edit->SyncNativeEntry();
    if (auto* container = dynamic_cast<CContainer*>(control)) {
        for (int i = 0; i < container->GetCount(); ++i) SyncNativeChildren(container->GetItemAt(i));
    }
}

void CPaintManager::Invalidate() {
    if (native_) native_->Invalidate();
}

void CPaintManager::OnToolTipChanged(CControl* control) {
    if (control == hot_ && native_) native_->SetToolTip(control->GetToolTip());
}

}  // namespace skinui
