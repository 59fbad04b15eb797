#include "ui/toolkit/text_markup.h"

#include "ui/toolkit/attribute_values.h"

namespace skinui {
namespace {

struct Style {
    int font = -1;
    std::optional<Color> color;
    bool underline = false;
};

void Append(std::vector<TextRun>& runs, const Style& style, std::u16string_view text) {
    if (text.empty()) return;
    if (!runs.empty()) {
        TextRun& last = runs.back();
        if (last.font == style.font && last.color == style.color && last.underline == style.underline) {
            last.text.append(text);
            return;
        }
    }
    runs.push_back(TextRun{std::u16string(text), style.font, style.color, style.underline});
}

std::u16string ReplaceAll(const std::u16string& text, std::u16string_view from, std::u16string_view to) {
    std::u16string result;
    result.reserve(text.size());
    size_t start = 0;
    for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, start)) {
        result.append(text, start, at - start);
        result.append(to);
        start = at + from.size();
    }
    result.append(text, start, std::u16string::npos);
    return result;
}

}  // namespace

std::vector<TextRun> ParseTextMarkup(const std::u16string& text) {
    std::vector<TextRun> runs;
    // Each opening tag pushes the style it replaces, so a closing tag restores exactly what was before it.
    std::vector<Style> fonts, colors, underlines;
    Style style;
    size_t at = 0;
    size_t plain_start = 0;
    while (at < text.size()) {
        if (text[at] != u'{') {
            ++at;
            continue;
        }
        size_t close = text.find(u'}', at + 1);
        if (close == std::u16string::npos) break;
        Append(runs, style, std::u16string_view(text).substr(plain_start, at - plain_start));
        std::u16string_view tag = std::u16string_view(text).substr(at + 1, close - at - 1);
        char16_t kind = tag.empty() ? u'\0' : tag.front();
        bool closing = kind == u'/';
        if (closing) kind = tag.size() > 1 ? tag[1] : u'\0';
        std::u16string_view argument = tag.size() > 1 && !closing ? tag.substr(1) : std::u16string_view();
        // Only "f", "c" and "u" are known; the tag letter must be alone or followed by a blank and an
        // argument.
        bool bare = closing ? tag.size() == 2 : (tag.size() == 1 || (tag.size() > 1 && tag[1] == u' '));
        if (bare && kind == u'f') {
            if (closing) {
                if (!fonts.empty()) style.font = fonts.back().font, fonts.pop_back();
            } else {
                fonts.push_back(style);
                style.font = ParseInt(argument).value_or(-1);
            }
        } else if (bare && kind == u'c') {
            if (closing) {
                if (!colors.empty()) style.color = colors.back().color, colors.pop_back();
            } else {
                colors.push_back(style);
                if (auto color = ParseColor(argument)) style.color = *color;
            }
        } else if (bare && kind == u'u') {
            if (closing) {
                if (!underlines.empty()) style.underline = underlines.back().underline, underlines.pop_back();
            } else {
                underlines.push_back(style);
                style.underline = true;
            }
        }
        at = close + 1;
        plain_start = at;
    }
    Append(runs, style, std::u16string_view(text).substr(plain_start));
    return runs;
}

std::u16string ReplaceTextLineBreaks(const std::u16string& text) {
    return ReplaceAll(text, u"{\\n}", u"\n");
}

std::u16string ReplaceTooltipLineBreaks(const std::u16string& text) {
    return ReplaceAll(text, u"<n>", u"\n");
}

}  // namespace skinui
