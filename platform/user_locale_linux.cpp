#include <cstdlib>

#include "platform/user_locale.h"

namespace platform {

std::string GetUserLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return "C";
}

std::string LanguageOfLocale(const std::string& locale_name) {
    std::string language = locale_name.substr(0, locale_name.find_first_of("_-.@"));
    if (language.empty() || language == "C" || language == "POSIX") return "en";
    return language;
}

}  // namespace platform
