#include "ui/toolkit/progress.h"

#include <algorithm>

#include "ui/toolkit/attribute_values.h"

namespace skinui {

void CProgress::SetValue(int value) {
    value = std::clamp(value, min_, std::max(min_, max_));
    if (value == value_) return;
    value_ = value;
    Invalidate();
}

void CProgress::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"min") {
        if (auto number = ParseInt(value)) min_ = *number;
    } else if (name == u"max") {
        if (auto number = ParseInt(value)) max_ = *number;
    } else if (name == u"value") {
        if (auto number = ParseInt(value)) SetValue(*number);
    } else if (name == u"hor") {
        horizontal_ = ParseBool(value);
    } else if (name == u"foreimage") {
        fore_image_ = value;
    } else {
        CLabel::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

void CProgress::DoPaint(CRenderContext& context) {
    PaintBackground(context);
    if (max_ > min_ && value_ > min_ && !fore_image_.empty()) {
        double fraction = static_cast<double>(value_ - min_) / (max_ - min_);
        CRect filled = rect_;
        if (horizontal_) {
            filled.right = rect_.left + static_cast<int>(rect_.Width() * fraction + 0.5);
        } else {
            filled.top = rect_.bottom - static_cast<int>(rect_.Height() * fraction + 0.5);
        }
        // A nine-patch fore image keeps its rounded ends at every width.
        context.DrawImage(filled, fore_image_);
    }
    PaintText(context, text_color_);
}

}  // namespace skinui
