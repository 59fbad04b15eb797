// Reads a layout file (UTF-8 XML, root element Window) into the element tree the builder works from.
#pragma once

#include <optional>
#include <string>

#include "ui/toolkit/layout_builder.h"

namespace skinui {

// The Window element with its attributes and descendants; nullopt when the text has no Window root element.
// Only the attributes of the layout schema are read.
std::optional<LayoutElement> ReadLayout(const std::string& utf8_text);

// Reads the layout file of the skin; nullopt when the skin lacks it or it is not a layout.
std::optional<LayoutElement> ReadSkinLayout(const std::u16string& file_name);

}  // namespace skinui
