// Turns a layout (the element tree of a layout file) into a control tree. The Window element's values and the
// Font table go to the paint manager; every other element becomes a control of the class named by the
// element, or is asked of the window's control factory when the toolkit does not know the name (left out when
// the factory has nothing for it).
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/toolkit/control.h"

namespace skinui {

class CPaintManager;
class IControlFactory;

struct LayoutElement {
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;  // in document order
    std::vector<LayoutElement> children;

    // Empty when absent.
    std::u16string Attribute(std::u16string_view key) const;
};

// The toolkit's own element names ("Label", "Button", ...); null for any other name.
std::unique_ptr<CControl> CreateBuiltInControl(std::u16string_view element);

// Builds from the `Window` element. Returns the root control (null when the layout has none) and fills the
// manager's font table, initial size, caption rectangle and background colour.
std::unique_ptr<CControl> BuildControlTree(const LayoutElement& window, CPaintManager& manager,
                                           IControlFactory* factory);

}  // namespace skinui
