#include "ui/toolkit/button.h"

#include "ui/toolkit/attribute_values.h"

namespace skinui {

bool CButton::Activate() {
    if (!IsVisible() || !enabled_) return false;
    Notify(u"click");
    return true;
}

void CButton::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"normalimage") {
        normal_image_ = value;
    } else if (name == u"hotimage") {
        hot_image_ = value;
    } else if (name == u"pushedimage") {
        pushed_image_ = value;
    } else if (name == u"disabledimage") {
        disabled_image_ = value;
    } else if (name == u"hottextcolor") {
        if (auto color = ParseColor(value)) hot_text_color_ = *color;
    } else if (name == u"pushedtextcolor") {
        if (auto color = ParseColor(value)) pushed_text_color_ = *color;
    } else if (name == u"cursor") {
        hand_cursor_ = value == u"hand";
    } else {
        CLabel::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

const std::u16string& CButton::StateImage() const {
    if (!enabled_ && !disabled_image_.empty()) return disabled_image_;
    if (enabled_ && pushed_ && hot_ && !pushed_image_.empty()) return pushed_image_;
    if (enabled_ && hot_ && !hot_image_.empty()) return hot_image_;
    return normal_image_;
}

void CButton::DoPaint(CRenderContext& context) {
    PaintBackground(context);
    const std::u16string& face = StateImage();
    if (!face.empty()) context.DrawImage(rect_, face);
    Color color = text_color_;
    if (!enabled_ && disabled_text_color_ != 0) {
        color = disabled_text_color_;
    } else if (enabled_ && pushed_ && hot_ && pushed_text_color_ != 0) {
        color = pushed_text_color_;
    } else if (enabled_ && hot_ && hot_text_color_ != 0) {
        color = hot_text_color_;
    }
    PaintText(context, color);
}

void CButton::DoEvent(const ControlEvent& event) {
    switch (event.type) {
        case ControlEventType::kMouseEnter:
            hot_ = true;
            break;
        case ControlEventType::kMouseLeave:
            hot_ = false;
            break;
        case ControlEventType::kButtonDown:
            pushed_ = enabled_;
            break;
        case ControlEventType::kButtonUp: {
            bool was_pushed = pushed_;
            pushed_ = false;
            // A press dragged off the button and released elsewhere is no click.
            if (was_pushed && rect_.Contains(event.point)) {
                Invalidate();
                Activate();
                return;
            }
            break;
        }
        case ControlEventType::kMouseMove:
            return;
    }
    Invalidate();
}

void COption::Selected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    Invalidate();
}

bool COption::Activate() {
    if (!IsVisible() || !enabled_) return false;
    Selected(!selected_);
    return CButton::Activate();
}

void COption::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"selected") {
        Selected(ParseBool(value));
    } else if (name == u"selectedimage") {
        selected_image_ = value;
        Invalidate();
    } else if (name == u"selectedhotimage") {
        selected_hot_image_ = value;
        Invalidate();
    } else {
        CButton::SetAttribute(name, value);
    }
}

const std::u16string& COption::StateImage() const {
    if (selected_) {
        if (hot_ && enabled_ && !selected_hot_image_.empty()) return selected_hot_image_;
        if (!selected_image_.empty()) return selected_image_;
    }
    return CButton::StateImage();
}

}  // namespace skinui
