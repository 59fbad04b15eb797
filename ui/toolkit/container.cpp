#include "ui/toolkit/container.h"

#include <algorithm>

#include "ui/toolkit/paint_manager.h"
#include "ui/toolkit/render_context.h"

namespace skinui {

void CContainer::Add(std::unique_ptr<CControl> child) {
    if (!child) return;
    child->SetManager(manager_, this);
    children_.push_back(std::move(child));
    NeedUpdate();
}

bool CContainer::Remove(CControl* child) {
    auto found = std::find_if(children_.begin(), children_.end(),
                              [child](const std::unique_ptr<CControl>& item) { return item.get() == child; });
    if (found == children_.end()) return false;
    children_.erase(found);
    NeedUpdate();
    return true;
}

void CContainer::RemoveAll() {
    children_.clear();
    NeedUpdate();
}

CControl* CContainer::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return children_[static_cast<size_t>(index)].get();
}

void CContainer::SetManager(CPaintManager* manager, CControl* parent) {
    CControl::SetManager(manager, parent);
    for (auto& child : children_) child->SetManager(manager, this);
}

CRect CContainer::FloatRect(const CControl& child, const CRect& area) {
    CPoint offset = child.GetFixedXY();
    int left = area.left + offset.x;
    int top = area.top + offset.y;
    return {left, top, left + child.GetFixedWidth(), top + child.GetFixedHeight()};
}

void CContainer::SetPos(const CRect& rect) {
    CControl::SetPos(rect);
    LayoutChildren(rect);
}

void CContainer::LayoutChildren(const CRect& area) {
    for (auto& child : children_) {
        if (child->IsFloat()) {
            child->SetPos(FloatRect(*child, area));
            continue;
        }
        int width = child->GetFixedWidth() > 0 ? child->GetFixedWidth() : area.Width();
        int height = child->GetFixedHeight() > 0 ? child->GetFixedHeight() : area.Height();
        child->SetPos({area.left, area.top, area.left + width, area.top + height});
    }
}

void CVerticalLayout::LayoutChildren(const CRect& area) {
    int fixed_total = 0;
    int flexible = 0;
    for (auto& child : children_) {
        if (child->IsFloat() || !child->IsOwnVisible()) continue;
        if (child->GetFixedHeight() > 0) {
            fixed_total += child->GetFixedHeight();
        } else {
            ++flexible;
        }
    }
    int share = flexible > 0 ? std::max(0, area.Height() - fixed_total) / flexible : 0;
    int y = area.top;
    for (auto& child : children_) {
        if (child->IsFloat()) {
            child->SetPos(FloatRect(*child, area));
            continue;
        }
        if (!child->IsOwnVisible()) continue;
        int height = child->GetFixedHeight() > 0 ? child->GetFixedHeight() : share;
        int width = child->GetFixedWidth() > 0 ? child->GetFixedWidth() : area.Width();
        child->SetPos({area.left, y, area.left + width, y + height});
        y += height;
    }
}

void CHorizontalLayout::LayoutChildren(const CRect& area) {
    int fixed_total = 0;
    int flexible = 0;
    for (auto& child : children_) {
        if (child->IsFloat() || !child->IsOwnVisible()) continue;
        if (child->GetFixedWidth() > 0) {
            fixed_total += child->GetFixedWidth();
        } else {
            ++flexible;
        }
    }
    int share = flexible > 0 ? std::max(0, area.Width() - fixed_total) / flexible : 0;
    int x = area.left;
    for (auto& child : children_) {
        if (child->IsFloat()) {
            child->SetPos(FloatRect(*child, area));
            continue;
        }
        if (!child->IsOwnVisible()) continue;
        int width = child->GetFixedWidth() > 0 ? child->GetFixedWidth() : share;
        int height = child->GetFixedHeight() > 0 ? child->GetFixedHeight() : area.Height();
        child->SetPos({x, area.top, x + width, area.top + height});
        x += width;
    }
}

void CContainer::DoPaint(CRenderContext& context) {
    PaintBackground(context);
    for (auto& child : children_) {
        if (!child->IsOwnVisible() || child->GetPos().IsEmpty()) continue;
        child->DoPaint(context);
    }
}

CControl* CContainer::FindControlAt(CPoint point) {
    if (!visible_) return nullptr;
    // Later children are drawn over earlier ones, so they are tested first.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (CControl* found = (*it)->FindControlAt(point)) return found;
    }
    return CControl::FindControlAt(point);
}

}  // namespace skinui
