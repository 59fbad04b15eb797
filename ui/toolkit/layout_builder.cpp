#include "ui/toolkit/layout_builder.h"

#include "ui/toolkit/attribute_values.h"
#include "ui/toolkit/button.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/edit.h"
#include "ui/toolkit/label.h"
#include "ui/toolkit/paint_manager.h"
#include "ui/toolkit/progress.h"
#include "ui/toolkit/skin_window_base.h"
#include "ui/toolkit/web_view_control.h"

namespace skinui {
namespace {

std::unique_ptr<CControl> BuildControl(const LayoutElement& element, IControlFactory* factory) {
    std::unique_ptr<CControl> control = CreateBuiltInControl(element.name);
    if (!control && factory) control = factory->CreateControl(element.name);
    if (!control) return nullptr;
    for (const auto& [key, value] : element.attributes) control->SetAttribute(key, value);
    if (auto* container = dynamic_cast<CContainer*>(control.get())) {
        for (const LayoutElement& child : element.children) {
            if (std::unique_ptr<CControl> built = BuildControl(child, factory))
                container->Add(std::move(built));
        }
    }
    return control;
}

void AddFont(const LayoutElement& element, CPaintManager& manager) {
    FontSpec font;
    font.name = element.Attribute(u"name");
    font.size = ParseInt(element.Attribute(u"size")).value_or(12);
    font.bold = ParseBool(element.Attribute(u"bold"));
    font.italic = ParseBool(element.Attribute(u"italic"));
    font.underline = ParseBool(element.Attribute(u"underline"));
    std::optional<int> id = ParseInt(element.Attribute(u"id"));
    manager.AddFont(id.value_or(-1), font, ParseBool(element.Attribute(u"default")));
}

}  // namespace

std::u16string LayoutElement::Attribute(std::u16string_view key) const {
    for (const auto& [name, value] : attributes) {
        if (name == key) return value;
    }
    return {};
}

std::unique_ptr<CControl> CreateBuiltInControl(std::u16string_view element) {
    if (element == u"Control") return std::make_unique<CControl>();
    if (element == u"Container") return std::make_unique<CContainer>();
    if (element == u"VerticalLayout") return std::make_unique<CVerticalLayout>();
    if (element == u"HorizontalLayout") return std::make_unique<CHorizontalLayout>();
    if (element == u"Label" || element == u"Text") return std::make_unique<CLabel>();
    if (element == u"Button") return std::make_unique<CButton>();
    if (element == u"Option") return std::make_unique<COption>();
    if (element == u"CheckBox") return std::make_unique<CCheckBox>();
    if (element == u"Progress") return std::make_unique<CProgress>();
    if (element == u"Combo") return std::make_unique<CCombo>();
    if (element == u"Edit") return std::make_unique<CEdit>();
    if (element == u"RichEdit") return std::make_unique<CRichEdit>();
    if (element == u"WebBrowser") return std::make_unique<CWebViewControl>();
    return nullptr;
}

std::unique_ptr<CControl> BuildControlTree(const LayoutElement& window, CPaintManager& manager,
                                           IControlFactory* factory) {
    if (auto size = ParseSize(window.Attribute(u"size"))) manager.SetInitSize(*size);
    if (auto caption = ParseRect(window.Attribute(u"caption"))) manager.SetCaptionRect(*caption);
    if (auto color = ParseColor(window.Attribute(u"bkcolor"))) manager.SetWindowBkColor(*color);
    manager.SetTransparent(ParseBool(window.Attribute(u"bktrans")) ||
                           !window.Attribute(u"layeredimage").empty() ||
                           !window.Attribute(u"layeredopacity").empty());
    std::unique_ptr<CControl> root;
    for (const LayoutElement& child : window.children) {
        if (child.name == u"Font") {
            AddFont(child, manager);
        } else if (!root) {
            root = BuildControl(child, factory);
        }
    }
    return root;
}

}  // namespace skinui
