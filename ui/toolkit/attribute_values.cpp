#include "ui/toolkit/attribute_values.h"

#include <vector>

namespace skinui {
namespace {

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

std::optional<std::vector<int>> ParseIntList(std::u16string_view text, size_t count) {
    std::vector<int> values;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(u',', start);
        std::u16string_view part =
            text.substr(start, comma == std::u16string_view::npos ? text.size() - start : comma - start);
        std::optional<int> value = ParseInt(part);
        if (!value) return std::nullopt;
        values.push_back(*value);
        if (comma == std::u16string_view::npos) break;
        if (values.size() == count) return std::nullopt;  // more numbers than asked for
        start = comma + 1;
    }
    if (values.size() != count) return std::nullopt;
    return values;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

}  // namespace

std::optional<int> ParseInt(std::u16string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

std::optional<Color> ParseColor(std::u16string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() != u'#') return std::nullopt;
    text.remove_prefix(1);
    if (text.size() != 6 && text.size() != 8) return std::nullopt;
    uint32_t value = 0;
    for (char16_t c : text) {
        int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    if (text.size() == 6) value |= 0xFF000000u;
    return value;
}

std::optional<CRect> ParseRect(std::u16string_view text) {
    auto values = ParseIntList(text, 4);
    if (!values) return std::nullopt;
    return CRect{(*values)[0], (*values)[1], (*values)[2], (*values)[3]};
}

std::optional<CSize> ParseSize(std::u16string_view text) {
    auto values = ParseIntList(text, 2);
    if (!values) return std::nullopt;
    return CSize{(*values)[0], (*values)[1]};
}

bool ParseBool(std::u16string_view text) {
    return Trim(text) == u"true";
}

ImageDescriptor ParseImageDescriptor(std::u16string_view raw) {
    std::u16string text(Trim(raw));
    for (size_t at = text.find(u"&apos;"); at != std::u16string::npos; at = text.find(u"&apos;", at + 1)) {
        text.replace(at, 6, u"'");
    }
    ImageDescriptor image;
    if (text.find(u'\'') == std::u16string::npos) {
        image.file = text;
        return image;
    }
    // key='value' pairs separated by blanks; a key without a quoted value ends the scan.
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == u' ') ++at;
        size_t equals = text.find(u'=', at);
        if (equals == std::u16string::npos || equals + 1 >= text.size() || text[equals + 1] != u'\'') break;
        std::u16string key(Trim(std::u16string_view(text).substr(at, equals - at)));
        size_t close = text.find(u'\'', equals + 2);
        if (close == std::u16string::npos) break;
        std::u16string_view value = std::u16string_view(text).substr(equals + 2, close - equals - 2);
        if (key == u"file") {
            image.file = value;
        } else if (key == u"res") {
            image.resource_id = ParseInt(value).value_or(0);
        } else if (key == u"restype") {
            image.resource_type = value;
        } else if (key == u"corner") {
            image.corner = ParseRect(value);
        } else if (key == u"dest") {
            image.dest = ParseRect(value);
        }
        at = close + 1;
    }
    return image;
}

}  // namespace skinui
