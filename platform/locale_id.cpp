#include "platform/locale_id.h"

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "platform/file_system.h"

namespace platform {
namespace {

struct LocaleRow {
    const char* language;
    const char* territory;
    uint32_t id;
};

// The first row of each language is its main locale, used when the territory is missing or unknown.
// clang-format off
constexpr LocaleRow kLocales[] = {
    {"en", "US", 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "JM", 0x2009},
    {"en", "BZ", 0x2809}, {"en", "TT", 0x2C09}, {"en", "ZW", 0x3009}, {"en", "PH", 0x3409},
    {"en", "HK", 0x3C09}, {"en", "IN", 0x4009}, {"en", "MY", 0x4409}, {"en", "SG", 0x4809},
    {"fr", "FR", 0x040C}, {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C},
    {"fr", "LU", 0x140C}, {"fr", "MC", 0x180C},
    {"de", "DE", 0x0407}, {"de", "CH", 0x0807}, {"de", "AT", 0x0C07}, {"de", "LU", 0x1007},
    {"de", "LI", 0x1407},
    {"ja", "JP", 0x0411},
    {"pt", "BR", 0x0416}, {"pt", "PT", 0x0816},
    {"es", "ES", 0x0C0A}, {"es", "MX", 0x080A}, {"es", "GT", 0x100A}, {"es", "CR", 0x140A},
    {"es", "PA", 0x180A}, {"es", "DO", 0x1C0A}, {"es", "VE", 0x200A}, {"es", "CO", 0x240A},
    {"es", "PE", 0x280A}, {"es", "AR", 0x2C0A}, {"es", "EC", 0x300A}, {"es", "CL", 0x340A},
    {"es", "UY", 0x380A}, {"es", "PY", 0x3C0A}, {"es", "BO", 0x400A}, {"es", "SV", 0x440A},
    {"es", "HN", 0x480A}, {"es", "NI", 0x4C0A}, {"es", "PR", 0x500A}, {"es", "US", 0x540A},
    {"it", "IT", 0x0410}, {"it", "CH", 0x0810},
    {"zh", "CN", 0x0804}, {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004},
    {"zh", "MO", 0x1404},
    {"ru", "RU", 0x0419}, {"ru", "MD", 0x0819},
    {"nl", "NL", 0x0413}, {"nl", "BE", 0x0813},
    {"ko", "KR", 0x0412},
    {"id", "ID", 0x0421},
    {"sv", "SE", 0x041D}, {"sv", "FI", 0x081D},
    {"ar", "SA", 0x0401}, {"ar", "IQ", 0x0801}, {"ar", "EG", 0x0C01}, {"ar", "LY", 0x1001},
    {"ar", "DZ", 0x1401}, {"ar", "MA", 0x1801}, {"ar", "TN", 0x1C01}, {"ar", "OM", 0x2001},
    {"ar", "YE", 0x2401}, {"ar", "SY", 0x2801}, {"ar", "JO", 0x2C01}, {"ar", "LB", 0x3001},
    {"ar", "KW", 0x3401}, {"ar", "AE", 0x3801}, {"ar", "BH", 0x3C01}, {"ar", "QA", 0x4001},
    {"mr", "IN", 0x044E},
    {"te", "IN", 0x044A},
    {"ta", "IN", 0x0449},
    {"bn", "IN", 0x0445}, {"bn", "BD", 0x0845},
    {"hi", "IN", 0x0439},
    {"th", "TH", 0x041E},
    {"bg", "BG", 0x0402}, {"ca", "ES", 0x0403}, {"cs", "CZ", 0x0405}, {"da", "DK", 0x0406},
    {"el", "GR", 0x0408}, {"fi", "FI", 0x040B}, {"he", "IL", 0x040D}, {"hu", "HU", 0x040E},
    {"is", "IS", 0x040F}, {"nb", "NO", 0x0414}, {"nn", "NO", 0x0814}, {"pl", "PL", 0x0415},
    {"ro", "RO", 0x0418}, {"hr", "HR", 0x041A}, {"sk", "SK", 0x041B}, {"tr", "TR", 0x041F},
    {"ur", "PK", 0x0420}, {"uk", "UA", 0x0422}, {"sl", "SI", 0x0424}, {"et", "EE", 0x0425},
    {"lv", "LV", 0x0426}, {"lt", "LT", 0x0427}, {"fa", "IR", 0x0429}, {"vi", "VN", 0x042A},
    {"ms", "MY", 0x043E}, {"pa", "IN", 0x0446}, {"gu", "IN", 0x0447}, {"kn", "IN", 0x044B},
    {"ml", "IN", 0x044C}, {"sr", "RS", 0x241A},
};
// clang-format on

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower;
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return upper;
}

// LANG=... from a shell-style settings file, without quotes.
std::optional<std::string> ReadLangSetting(const std::string& path) {
    std::optional<std::string> text = ReadFile(path);
    if (!text) return std::nullopt;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 5, "LANG=") != 0) continue;
        std::string value = line.substr(5);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return std::nullopt;
}

}  // namespace

uint32_t LocaleIdFromName(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") return kLocaleEnglishUnitedStates;
    size_t separator = name.find_first_of("_-");
    std::string language = Lower(name.substr(0, separator));
    std::string territory =
        separator == std::string_view::npos ? std::string() : Upper(name.substr(separator + 1));
    const LocaleRow* main = nullptr;
    for (const LocaleRow& row : kLocales) {
        if (language != row.language) continue;
        if (territory == row.territory) return row.id;
        if (!main) main = &row;
    }
    return main ? main->id : kLocaleCustomUnspecified;
}

uint32_t GetUserDefaultLocaleId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return LocaleIdFromName(value);
    }
    return LocaleIdFromName("C");
}

uint32_t GetSystemDefaultLocaleId() {
    for (const char* path : {"/etc/default/locale", "/etc/locale.conf"}) {
        if (std::optional<std::string> lang = ReadLangSetting(path)) return LocaleIdFromName(*lang);
    }
    return LocaleIdFromName("C");
}

}  // namespace platform
