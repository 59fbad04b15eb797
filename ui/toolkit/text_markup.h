// The inline text markup of labels and buttons with showhtml="true", and the two line-break conventions of
// control texts and tooltips.
//
// Markup: "{f 1}...{/f}" font id 1 of the window's font table, "{c #7a7b7f}...{/c}" colour, "{u}...{/u}"
// underline. Tags nest; an unknown tag ("{l}", "{/l}", ...) is skipped without output; a "{" that does not
// start a closed tag is plain text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit/ui_types.h"

namespace skinui {

struct TextRun {
    std::u16string text;
    int font = -1;               // -1: the control's own font
    std::optional<Color> color;  // nullopt: the control's text colour
    bool underline = false;
};

// Adjacent runs with the same style are merged; empty runs are dropped.
std::vector<TextRun> ParseTextMarkup(const std::u16string& text);

// The text shown for a control's text: every "{\n}" (brace, backslash, n, brace) becomes a line break.
std::u16string ReplaceTextLineBreaks(const std::u16string& text);

// The text shown for a tooltip: every "<n>" becomes a line break.
std::u16string ReplaceTooltipLineBreaks(const std::u16string& text);

}  // namespace skinui
