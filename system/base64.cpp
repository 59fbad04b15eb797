#include "system/base64.h"

#include <array>

#include "formats/utf_conversion.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int, 256> MakeReverseTable() {
    std::array<int, 256> table{};
    for (int& entry : table) entry = -1;
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
}

constexpr std::array<int, 256> kReverse = MakeReverseTable();

int Value(char c) {
    return kReverse[static_cast<unsigned char>(c)];
}

}  // namespace

std::u16string Base64Encode(const std::u16string& text) {
    std::string bytes = Utf16ToUtf8(text);
    std::u16string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t left = bytes.size() - i;
        uint32_t group = uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (left > 1) group |= uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
        encoded += char16_t(kAlphabet[(group >> 18) & 63]);
        encoded += char16_t(kAlphabet[(group >> 12) & 63]);
        encoded += left > 1 ? char16_t(kAlphabet[(group >> 6) & 63]) : u'=';
        encoded += left > 2 ? char16_t(kAlphabet[group & 63]) : u'=';
    }
    return encoded;
}

std::string Base64Decode(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    // A short last group is read only as far as it goes, never past the end of the text.
    for (size_t i = 0; i + 1 < text.size(); i += 4) {
        int first = Value(text[i]);
        int second = Value(text[i + 1]);
        bytes += char((first << 2) | (second >> 4));
        if (i + 2 >= text.size() || text[i + 2] == '=') break;
        int third = Value(text[i + 2]);
        bytes += char(((second & 0x0F) << 4) | (third >> 2));
        if (i + 3 >= text.size() || text[i + 3] == '=') break;
        int fourth = Value(text[i + 3]);
        bytes += char(((third & 0x03) << 6) | fourth);
    }
    return bytes;
}
