// CXmlDocument's files, its counted UTF-8 conversions and entity escaping.
#include <cerrno>
#include <climits>
#include <cstring>

#include "formats/utf_conversion.h"
#include "formats/xml_document.h"
#include "formats/xml_node_scanner.h"
#include "platform/file_system.h"

namespace {

// The runtime's text for an error number, first line only.
std::u16string ErrorNumberText(int error, const char16_t* fallback) {
    if (!error) return fallback;
    std::string text = std::strerror(error);
    return ::Utf8ToUtf16(text.substr(0, text.find_first_of("\r\n")));
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The entity at text[amp] ('&'): the number of units it covers and its character, or 0 when it is none.
size_t DecodeEntity(std::u16string_view text, size_t amp, char16_t& decoded) {
    std::u16string_view rest = text.substr(amp + 1);
    if (!rest.empty() && rest[0] == u'#') {
        // The ';' must come within the 7 characters after the '&'.
        const bool hex = rest.size() > 1 && rest[1] == u'x';
        const size_t first_digit = hex ? 2 : 1;
        const size_t limit = std::min<size_t>(rest.size(), 7);
        uint32_t value = 0;
        size_t q = first_digit;
        for (; q < limit; ++q) {
            int digit = hex ? HexDigit(rest[q]) : (rest[q] >= u'0' && rest[q] <= u'9' ? rest[q] - u'0' : -1);
            if (digit < 0) break;
            value = value * (hex ? 16 : 10) + uint32_t(digit);
        }
        if (q == first_digit || q >= limit || rest[q] != u';' || (value & 0xFFFF) == 0) return 0;
        decoded = char16_t(value & 0xFFFF);
        return q + 2;
    }
    static constexpr struct {
        std::u16string_view name;
        char16_t character;
    } kNamed[] = {{u"lt;", u'<'}, {u"amp;", u'&'}, {u"gt;", u'>'}, {u"apos;", u'\''}, {u"quot;", u'"'}};
    for (const auto& entity : kNamed) {
        if (rest.starts_with(entity.name)) {
            decoded = entity.character;
            return entity.name.size() + 1;
        }
    }
    return 0;
}

// UTF-8 form of one code point; returns its byte count.
int EncodeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        out[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = char(0xC0 | (c >> 6));
        out[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = char(0xE0 | (c >> 12));
        out[1] = char(0x80 | ((c >> 6) & 0x3F));
        out[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (c >> 18));
    out[1] = char(0x80 | ((c >> 12) & 0x3F));
    out[2] = char(0x80 | ((c >> 6) & 0x3F));
    out[3] = char(0x80 | (c & 0x3F));
    return 4;
}

}  // namespace

std::u16string CXmlDocument::EscapeText(std::u16string_view text) {
    text = UntilNul(text);
    std::u16string escaped;
    escaped.reserve(text.size() + text.size() / 10 + 7);
    for (char16_t c : text) {
        if (c == u'<') {
            escaped += u"&lt;";
        } else if (c == u'&') {
            escaped += u"&amp;";
        } else if (c == u'>') {
            escaped += u"&gt;";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::u16string CXmlDocument::UnescapeText(std::u16string_view text) {
    std::u16string plain;
    plain.reserve(text.size());
    size_t from = 0;
    for (;;) {
        size_t amp = text.find(u'&', from);
        if (amp == std::u16string_view::npos) break;
        plain.append(text.substr(from, amp - from));
        char16_t decoded = 0;
        size_t covered = DecodeEntity(text, amp, decoded);
        plain += covered ? decoded : u'&';
        from = amp + (covered ? covered : 1);
    }
    plain.append(text.substr(from));
    return plain;
}

int CXmlDocument::Utf8ToUtf16(const char* bytes, int count, std::u16string* out) {
    if (out) out->clear();
    if (!bytes || count <= 0) return 0;
    auto byte = [bytes](int i) { return static_cast<unsigned char>(bytes[i]); };
    int units = 0;
    auto emit = [&](char16_t unit) {
        if (out) out->push_back(unit);
        ++units;
    };
    int i = 0;
    while (i < count) {
        // Runs of ASCII other than NUL are taken whole.
        int run = i;
        while (run < count && byte(run) - 1u < 0x7Fu) ++run;
        if (run > i) {
            if (out) out->append(bytes + i, bytes + run);
            units += run - i;
            i = run;
            continue;
        }
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            emit(lead);
            ++i;
            if (lead == 0) break;
            continue;
        }
        int length = 0;
        char32_t code_point = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, code_point = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code_point = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code_point = lead & 0x07, minimum = 0x10000;
        } else {
            emit(u'?');  // a continuation byte without a lead, or 0xF8 and above
            ++i;
            continue;
        }
        int taken = 1;
        while (taken < length && i + taken < count && (byte(i + taken) & 0xC0) == 0x80) {
            code_point = (code_point << 6) | (byte(i + taken) & 0x3F);
            ++taken;
        }
        if (taken < length) {
            if (i + taken == count) break;  // cut off by the end of the input: dropped
            emit(u'?');
            i += taken;  // the byte that broke it off starts the next character
            continue;
        }
        i += taken;
        if (code_point < minimum || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
            emit(u'?');
        } else if (code_point >= 0x10000) {
            emit(char16_t(0xD800 + ((code_point - 0x10000) >> 10)));
            emit(char16_t(0xDC00 + ((code_point - 0x10000) & 0x3FF)));
        } else {
            emit(char16_t(code_point));
        }
    }
    return out ? i : units;
}

int CXmlDocument::Utf16ToUtf8(const char16_t* text, char* out, int out_size) {
    const int64_t room = out ? std::max(out_size, 0) : INT_MAX;
    int64_t written = 0;
    for (const char16_t* p = text; p && *p; ++p) {
        char32_t code_point = *p;
        if (code_point >= 0xD800 && code_point <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            code_point = 0x10000 + ((code_point - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        } else if (code_point >= 0xD800 && code_point <= 0xDFFF) {
            code_point = u'?';
        }
        char encoded[4];
        int length = EncodeUtf8(code_point, encoded);
        if (written + length > room) break;
        if (out) std::memcpy(out + written, encoded, size_t(length));
        written += length;
    }
    if (out && written < room) out[written] = 0;
    return int(written);
}

bool CXmlDocument::LoadFile(const std::u16string& path) {
    errno = 0;
    std::optional<std::string> bytes = platform::ReadFile(::Utf16ToUtf8(path));
    if (!bytes) {
        result_ = ErrorNumberText(errno, u"File cannot be read");
        return false;
    }
    if (bytes->size() > kMaxTextLength) {
        result_ = u"File too large";
        return false;
    }
    const int count = int(bytes->size());
    const int units = Utf8ToUtf16(bytes->data(), count);
    std::u16string text;
    text.reserve(size_t(units));
    Utf8ToUtf16(bytes->data(), count, &text);
    bytes.reset();
    text_.assign(UntilNul(text));
    return Parse(XmlNumberText(count) + u" bytes to " + XmlNumberText(units) + u" wide chars");
}

bool CXmlDocument::SaveFile(const std::u16string& path) {
    if (text_.size() > INT_MAX / 3 - 1) {  // a unit takes at most 3 bytes; the counts are int
        result_ = u"Document too large";
        return false;
    }
    const int bytes = Utf16ToUtf8(text_.c_str());
    std::string encoded(size_t(bytes) + 1, '\0');
    Utf16ToUtf8(text_.c_str(), encoded.data(), bytes + 1);
    encoded.resize(size_t(bytes));
    errno = 0;
    if (!platform::WriteFileAtomically(::Utf16ToUtf8(path), encoded)) {
        result_ = ErrorNumberText(errno, u"File cannot be written");
        return false;
    }
    result_ = XmlNumberText(int64_t(text_.size())) + u" wide chars to " + XmlNumberText(bytes) + u" bytes";
    return true;
}
