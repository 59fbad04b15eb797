#include "formats/utf_conversion.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t code_point) {
    if (code_point < 0x10000) {
        out += char16_t(code_point);
    } else {
        code_point -= 0x10000;
        out += char16_t(0xD800 + (code_point >> 10));
        out += char16_t(0xDC00 + (code_point & 0x3FF));
    }
}

void AppendUtf8(std::string& out, char32_t code_point) {
    if (code_point < 0x80) {
        out += char(code_point);
    } else if (code_point < 0x800) {
        out += char(0xC0 | (code_point >> 6));
        out += char(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        out += char(0xE0 | (code_point >> 12));
        out += char(0x80 | ((code_point >> 6) & 0x3F));
        out += char(0x80 | (code_point & 0x3F));
    } else {
        out += char(0xF0 | (code_point >> 18));
        out += char(0x80 | ((code_point >> 12) & 0x3F));
        out += char(0x80 | ((code_point >> 6) & 0x3F));
        out += char(0x80 | (code_point & 0x3F));
    }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = text[i];
        if (lead < 0x80) {
            out += char16_t(lead);
            ++i;
            continue;
        }
        int length = 0;
        char32_t code_point = 0;
        char32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code_point = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code_point = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code_point = lead & 0x07, minimum = 0x10000;
        }
        int taken = 1;
        while (length && taken < length && i + taken < text.size() &&
               (static_cast<unsigned char>(text[i + taken]) & 0xC0) == 0x80) {
            code_point = (code_point << 6) | (static_cast<unsigned char>(text[i + taken]) & 0x3F);
            ++taken;
        }
        bool valid = length && taken == length && code_point >= minimum && code_point <= 0x10FFFF &&
                     !(code_point >= 0xD800 && code_point <= 0xDFFF);
        AppendUtf16(out, valid ? code_point : kReplacement);
        i += taken;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}
