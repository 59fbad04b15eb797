#include "platform/locale_id.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_environment.h"

namespace {

TEST(LocaleIdTest, NamesMapToIdentifiers) {
    struct Case {
        const char* name;
        uint32_t id;
    };
    const Case cases[] = {
        {"de_AT.UTF-8", 0x0C07},
        {"de_DE", 0x0407},
        {"de_CH.ISO-8859-1", 0x0807},
        {"de", 0x0407},
        {"de_XX.UTF-8", 0x0407},
        {"en_US.UTF-8", 0x0409},
        {"en_GB", 0x0809},
        {"C", 0x0409},
        {"C.UTF-8", 0x0409},
        {"POSIX", 0x0409},
        {"", 0x0409},
        {"fr_CA.utf8", 0x0C0C},
        {"zh_TW.UTF-8", 0x0404},
        {"zh_CN", 0x0804},
        {"es_ES", 0x0C0A},
        {"es_AR", 0x2C0A},
        {"sv_FI", 0x081D},
        {"ar_EG", 0x0C01},
        {"hi_IN", 0x0439},
        {"th_TH", 0x041E},
        {"pt_PT", 0x0816},
        {"ru_RU@cyrillic", 0x0419},
        {"xx_YY", platform::kLocaleCustomUnspecified},
    };
    for (const Case& test : cases) EXPECT_EQ(platform::LocaleIdFromName(test.name), test.id) << test.name;
}

TEST(LocaleIdTest, UserLocaleTakesTheFirstNonEmptyVariable) {
    ScopedEnvironment environment;
    environment.Set("LC_ALL", "").Set("LC_MESSAGES", "fr_FR.UTF-8").Set("LANG", "de_AT.UTF-8");
    EXPECT_EQ(platform::GetUserDefaultLocaleId(), 0x040Cu);
    environment.Unset("LC_MESSAGES");
    EXPECT_EQ(platform::GetUserDefaultLocaleId(), 0x0C07u);
    environment.Set("LC_ALL", "ja_JP.UTF-8");
    EXPECT_EQ(platform::GetUserDefaultLocaleId(), 0x0411u);
    environment.Unset("LC_ALL").Unset("LANG");
    EXPECT_EQ(platform::GetUserDefaultLocaleId(), 0x0409u);
}

}  // namespace
