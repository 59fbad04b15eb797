#include "ui/toolkit/layout_reader.h"

#include <array>

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"
#include "ui/toolkit/skin_manager.h"

namespace skinui {
namespace {

// The element names of the layout schema.
constexpr std::u16string_view kElements[] = {
    u"Font",    u"VerticalLayout",   u"HorizontalLayout", u"Container",    u"Label",
    u"Text",    u"Button",           u"Option",           u"CheckBox",     u"Combo",
    u"Edit",    u"RichEdit",         u"Progress",         u"WebBrowserEx", u"WebBrowser",
    u"Control", u"ListLabelElement",
};

bool IsSchemaElement(std::u16string_view name) {
    for (std::u16string_view known : kElements) {
        if (known == name) return true;
    }
    return false;
}

// The attributes of the layout schema, in the order they are applied: extents before "pos", whose right and
// bottom override them when not 0.
constexpr std::u16string_view kAttributes[] = {
    // Window
    u"size",
    u"bktrans",
    u"showshadow",
    u"shadowcolor",
    u"shadowdarkness",
    u"shadowposition",
    u"shadowsize",
    u"shadowcorner",
    u"caption",
    u"layeredimage",
    u"layeredopacity",
    u"mininfo",
    u"maxinfo",
    // Font
    u"id",
    u"size",
    u"bold",
    u"italic",
    u"underline",
    u"default",
    // controls
    u"name",
    u"float",
    u"width",
    u"height",
    u"pos",
    u"visible",
    u"enabled",
    u"mouse",
    u"bkcolor",
    u"bkimage",
    u"bordersize",
    u"bordercolor",
    u"font",
    u"textcolor",
    u"disabledtextcolor",
    u"hottextcolor",
    u"pushedtextcolor",
    u"align",
    u"showhtml",
    u"wordbreak",
    u"textpadding",
    u"cursor",
    u"normalimage",
    u"hotimage",
    u"pushedimage",
    u"disabledimage",
    u"selectedimage",
    u"selectedhotimage",
    u"selected",
    u"itemtextpadding",
    u"dropboxsize",
    u"readonly",
    u"transparent",
    u"nativebkcolor",
    u"tipvalue",
    u"tipvaluecolor",
    u"multiline",
    u"wantreturn",
    u"min",
    u"max",
    u"value",
    u"hor",
    u"foreimage",
    u"clsid",
    u"delaycreate",
    u"homepage",
    u"tooltip",
    u"userdata",
    u"text",
};

std::vector<std::pair<std::u16string, std::u16string>> ReadAttributes(CXmlDocument& document) {
    std::vector<std::pair<std::u16string, std::u16string>> attributes;
    for (std::u16string_view name : kAttributes) {
        std::u16string key(name);
        bool seen = false;
        for (const auto& [existing, value] : attributes) seen = seen || existing == key;
        if (seen) continue;
        std::u16string value = document.GetAttribute(key);
        if (!value.empty()) attributes.emplace_back(std::move(key), std::move(value));
    }
    return attributes;
}

// Reads the current element's children; the cursor is back on the current element afterwards.
std::vector<LayoutElement> ReadChildren(CXmlDocument& document, int depth);

LayoutElement ReadCurrent(CXmlDocument& document, std::u16string name, int depth) {
    LayoutElement element;
    element.name = std::move(name);
    element.attributes = ReadAttributes(document);
    element.children = ReadChildren(document, depth);
    return element;
}

std::vector<LayoutElement> ReadChildren(CXmlDocument& document, int depth) {
    std::vector<LayoutElement> children;
    // Deeper than any real layout; a bound keeps a hostile file from exhausting the stack.
    if (depth > 64) return children;
    document.ResetChildPosition();
    while (document.FindChildElement(u"")) {
        if (!document.EnterElement()) break;
        std::u16string name = document.GetElementName();
        if (IsSchemaElement(name)) children.push_back(ReadCurrent(document, std::move(name), depth + 1));
        document.LeaveElement();  // the child position stays on this child
    }
    return children;
}

}  // namespace

std::optional<LayoutElement> ReadLayout(const std::string& utf8_text) {
    CXmlDocument document(Utf8ToUtf16(utf8_text));
    document.ResetPosition();
    if (!document.FindElement(u"Window")) return std::nullopt;
    return ReadCurrent(document, u"Window", 0);
}

std::optional<LayoutElement> ReadSkinLayout(const std::u16string& file_name) {
    std::optional<std::string> text = CSkinManager::Instance().GetLayout(file_name);
    if (!text) return std::nullopt;
    return ReadLayout(*text);
}

}  // namespace skinui
