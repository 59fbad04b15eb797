// UTF-8 <-> UTF-16 for the whole program: narrow text is UTF-8 here, wide text UTF-16.
#pragma once

#include <string>
#include <string_view>

// Ill-formed input (a stray continuation byte, an overlong or truncated sequence, an unpaired surrogate)
// becomes U+FFFD, one replacement per offending unit; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
