// ixo-post HANDLE MESSAGE WPARAM LPARAM [TEXT]
//
// Posts one message to a window of the window stand-in, for installers and scripts (the demo installer
// reports its progress with it). Numbers are decimal or, with a 0x prefix, hexadecimal; the handle may be
// given either way, as programs print it in both. With TEXT the message carries it as its UTF-16 payload
// (what WM_COPYDATA carries) and LPARAM is ignored.
//
// Exit status: 0 posted, 1 no such window or the post failed, 2 wrong arguments.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/utf_conversion.h"
#include "platform/window_messages.h"

namespace {

bool ParseNumber(const char* text, int64_t& value) {
    std::string digits = text;
    bool negative = !digits.empty() && digits[0] == '-';
    if (negative) digits.erase(0, 1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    if (digits.empty() || digits[0] == '-' || digits[0] == '+') return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long magnitude = std::strtoull(digits.c_str(), &end, base);
    if (*end != '\0' || errno == ERANGE || magnitude > 0x8000000000000000ULL) return false;
    if (!negative && magnitude > 0x7fffffffffffffffULL) return false;
    value = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: ixo-post HANDLE MESSAGE WPARAM LPARAM [TEXT]\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 5 && argc != 6) return Usage();
    int64_t handle = 0, message = 0, wparam = 0, lparam = 0;
    if (!ParseNumber(argv[1], handle) || !ParseNumber(argv[2], message) || !ParseNumber(argv[3], wparam) ||
        !ParseNumber(argv[4], lparam) || handle <= 0 || handle > INT32_MAX || message < 0 ||
        message > UINT32_MAX) {
        return Usage();
    }
    bool posted = argc == 6 ? platform::PostWindowData(platform::WindowHandle(handle), uint32_t(message),
                                                       wparam, Utf8ToUtf16(argv[5]))
                            : platform::PostWindowMessage(platform::WindowHandle(handle), uint32_t(message),
                                                          wparam, lparam);
    if (!posted) {
        std::fprintf(stderr, "ixo-post: window %s did not take the message\n", argv[1]);
        return 1;
    }
    return 0;
}
