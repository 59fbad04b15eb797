#include "ui/toolkit/web_view_control.h"

#include "ui/toolkit/attribute_values.h"

namespace skinui {

void CEmbeddedControl::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"clsid") {
        class_id_ = value;
    } else if (name == u"delaycreate") {
        delay_create_ = ParseBool(value);
    } else {
        CControl::SetAttribute(name, value);
    }
}

void CWebViewControl::Navigate2(const std::u16string& url) {
    current_url_ = url;
    OnNavigate(url);
}

void CWebViewControl::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name == u"homepage") {
        SetHomePage(std::u16string(value));
    } else {
        CEmbeddedControl::SetAttribute(name, value);
    }
}

}  // namespace skinui
