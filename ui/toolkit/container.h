// Containers: CContainer places every non-floating child over its whole area; CVerticalLayout and
// CHorizontalLayout stack their visible non-floating children (a child with a fixed extent keeps it, the
// others share the rest). Floating children sit at their fixed x/y from the container's top-left corner.
#pragma once

#include <memory>
#include <vector>

#include "ui/toolkit/control.h"

namespace skinui {

class CContainer : public CControl {
public:
    std::u16string_view GetClass() const override { return u"Container"; }

    // Takes ownership; the child is attached to this container's window.
    void Add(std::unique_ptr<CControl> child);
    // Destroys the child; false when it is not a child of this container.
    bool Remove(CControl* child);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(children_.size()); }
    CControl* GetItemAt(int index) const;

    void SetManager(CPaintManager* manager, CControl* parent) override;
    void SetPos(const CRect& rect) override;
    void DoPaint(CRenderContext& context) override;
    CControl* FindControlAt(CPoint point) override;

protected:
    // The rectangle of a floating child inside `area`.
    static CRect FloatRect(const CControl& child, const CRect& area);
    virtual void LayoutChildren(const CRect& area);

    std::vector<std::unique_ptr<CControl>> children_;
};

class CVerticalLayout : public CContainer {
public:
    std::u16string_view GetClass() const override { return u"VerticalLayout"; }

protected:
    void LayoutChildren(const CRect& area) override;
};

class CHorizontalLayout : public CContainer {
public:
    std::u16string_view GetClass() const override { return u"HorizontalLayout"; }

protected:
    void LayoutChildren(const CRect& area) override;
};

}  // namespace skinui
