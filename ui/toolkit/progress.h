// CProgress: a bar between min and max; the fore image is drawn over the background image into the filled
// part (from the left when horizontal, from the bottom otherwise).
#pragma once

#include "ui/toolkit/label.h"

namespace skinui {

class CProgress : public CLabel {
public:
    std::u16string_view GetClass() const override { return u"Progress"; }

    int GetValue() const { return value_; }
    // Clamped to [min, max].
    void SetValue(int value);
    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }

    void SetAttribute(std::u16string_view name, std::u16string_view value) override;
    void DoPaint(CRenderContext& context) override;

private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    bool horizontal_ = true;
    std::u16string fore_image_;
};

}  // namespace skinui
