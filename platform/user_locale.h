// The user's locale as the environment names it.
#pragma once

#include <string>

namespace platform {

// The first non-empty of LC_ALL, LC_MESSAGES and LANG ("de_AT.UTF-8"), else "C".
std::string GetUserLocaleName();

// The language part of a locale name: "de_AT.UTF-8" -> "de", "pt-BR" -> "pt". "C", "POSIX" and the empty
// name, whose messages are English, give "en".
std::string LanguageOfLocale(const std::string& locale_name);

}  // namespace platform
