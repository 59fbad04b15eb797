// Parsing of layout attribute values: colours, rectangles, sizes, booleans and image descriptors. Bad values
// parse as "not given" (nullopt) so that a faulty skin attribute is ignored instead of half-applied.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/toolkit/ui_types.h"

namespace skinui {

// "#AARRGGBB" or "#RRGGBB" (opaque).
std::optional<Color> ParseColor(std::u16string_view text);

// Four comma-separated integers: "l,t,r,b" (also used for corners, paddings and caption margins).
std::optional<CRect> ParseRect(std::u16string_view text);

// Two comma-separated integers: "cx,cy".
std::optional<CSize> ParseSize(std::u16string_view text);

std::optional<int> ParseInt(std::u16string_view text);

// "true" is true; anything else is false.
bool ParseBool(std::u16string_view text);

// One image attribute: a bare file name, or quoted key/value pairs (file, corner, dest, res, restype, fade,
// source, mask ...; unknown keys are ignored). "&apos;" may stand for the quote.
struct ImageDescriptor {
    std::u16string file;           // archive file name; empty when `res` is used
    int resource_id = 0;           // res='136'
    std::u16string resource_type;  // restype='PNG'
    std::optional<CRect> corner;   // nine-patch margins that are not stretched
    std::optional<CRect> dest;     // sub-rectangle of the control to draw into

    bool IsEmpty() const { return file.empty() && resource_id == 0; }
};
ImageDescriptor ParseImageDescriptor(std::u16string_view text);

}  // namespace skinui
