// The product configuration compiled into the executable (resource "XML" 106). Every value is text; "1" means
// yes for a switch and the empty string means not configured.
#pragma once

#include <string>

struct ProductConfig {
    std::u16string ProductBrand;
    std::u16string ProductName;
};
