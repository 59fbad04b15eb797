// Locale identifiers: the user's and the system's locale mapped to the numeric locale identifiers
// (LCID) of the other platform, which the language tables are keyed by.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr uint32_t kLocaleEnglishUnitedStates = 0x0409;
inline constexpr uint32_t kLocaleCustomUnspecified = 0x1000;  // a locale that has no identifier

// "de_AT.UTF-8" -> 0x0C07. The codeset and modifier are ignored. A known language with an unknown or
// missing territory gets that language's main locale ("de" -> 0x0407); "C", "POSIX" and the empty name are
// 0x0409; an unknown language is kLocaleCustomUnspecified.
uint32_t LocaleIdFromName(std::string_view name);

// The user's locale for messages: the first non-empty of LC_ALL, LC_MESSAGES and LANG.
uint32_t GetUserDefaultLocaleId();

// The system's configured locale: LANG in /etc/default/locale, else in /etc/locale.conf, else "C".
uint32_t GetSystemDefaultLocaleId();

}  // namespace platform
