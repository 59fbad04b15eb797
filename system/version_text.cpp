#include "system/version_text.h"

#include <climits>
#include <cstdio>

#include "formats/utf_conversion.h"
#include "platform/system_version.h"
#include "platform/version_stamp.h"

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// One %d at `i`: blanks, a sign, digits (at least one). Out-of-range values stop at INT_MAX / INT_MIN.
bool ReadNumber(const std::u16string& text, size_t& i, int& value) {
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' ||
                               text[i] == u'\v' || text[i] == u'\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    if (i >= text.size() || !IsDigit(text[i])) return false;
    long long magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (text[i] - u'0');
    }
    if (negative) {
        value = magnitude > -(long long)INT_MIN ? INT_MIN : int(-magnitude);
    } else {
        value = magnitude > INT_MAX ? INT_MAX : int(magnitude);
    }
    return true;
}

}  // namespace

std::optional<std::u16string> GetFileVersionText(const std::u16string& path) {
    std::optional<platform::FileVersion> version = platform::ReadVersionStamp(Utf16ToUtf8(path));
    if (!version) return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", (*version)[0], (*version)[1], (*version)[2],
                  (*version)[3]);
    return Utf8ToUtf16(text);
}

std::vector<int> ParseVersion(const std::u16string& text) {
    std::vector<int> parts;
    size_t i = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= text.size() || text[i] != u'.') break;
            ++i;
        }
        int value = 0;
        if (!ReadNumber(text, i, value)) break;
        parts.push_back(value);
    }
    return parts;
}

int CompareVersions(const std::u16string& a, const std::u16string& b) {
    std::vector<int> left = ParseVersion(a);
    std::vector<int> right = ParseVersion(b);
    left.resize(4, 0);
    right.resize(4, 0);
    for (size_t i = 0; i < 4; ++i) {
        if (left[i] != right[i]) return left[i] > right[i] ? 1 : -1;
    }
    return 0;
}

std::u16string GetOsVersionText() {
    std::u16string release = Utf8ToUtf16(platform::GetKernelRelease());
    std::vector<int> parts;
    size_t i = 0;
    while (parts.size() < 3 && i < release.size() && IsDigit(release[i])) {
        int value = 0;
        for (; i < release.size() && IsDigit(release[i]); ++i) value = value * 10 + (release[i] - u'0');
        parts.push_back(value);
        if (i < release.size() && release[i] == u'.') ++i;
    }
    if (parts.empty()) return {};
    parts.resize(3, 0);
    return Utf8ToUtf16(std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
                       std::to_string(parts[2]));
}
