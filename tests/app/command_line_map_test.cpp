#include "app/command_line_map.h"

#include "formats/command_line_split.h"

#include <gtest/gtest.h>

namespace {

struct LookupCase {
    const char* what;
    std::vector<std::u16string> arguments;
    std::u16string key;
    std::u16string expected;
};

TEST(CommandLineMapTest, SplitsEachArgumentAtTheFirstEqualsSign) {
    const LookupCase cases[] = {
        {"no options", {}, u"OnlyForkInstallDependent", u""},
        {"fork switch", {u"OnlyForkInstallDependent=1"}, u"OnlyForkInstallDependent", u"1"},
        {"empty value", {u"HostHwnd="}, u"HostHwnd", u""},
        {"last one wins", {u"HostLang=Deutsch", u"HostLang=English"}, u"HostLang", u"English"},
        {"value keeps further equals signs", {u"a=b=c"}, u"a", u"b=c"},
        {"lone word is a key", {u"word"}, u"word", u""},
        {"keys are case-sensitive", {u"onlyforkinstalldependent=1"}, u"OnlyForkInstallDependent", u""},
        {"nothing is trimmed from keys", {u" HostLang=Deutsch"}, u"HostLang", u""},
        {"nothing is trimmed from values", {u"HostLang= Deutsch "}, u"HostLang", u" Deutsch "},
        {"a value with blanks stays whole", {u"HostLang=Bahasa Indonesia"}, u"HostLang", u"Bahasa Indonesia"},
    };
    for (const LookupCase& c : cases) {
        EXPECT_EQ(CommandLineMap::FromArguments(c.arguments).Get(c.key), c.expected) << c.what;
    }
}

TEST(CommandLineMapTest, ProgramArgumentsAreUtf8AndSkipTheProgramPath) {
    const char* argv[] = {"/opt/ixo-setup", "HostLang=Fran\xC3\xA7" "ais", "OnlyForkInstallDependent=1"};
    CommandLineMap map = CommandLineMap::FromArguments(3, argv);
    EXPECT_EQ(map.Get(u"HostLang"), u"Fran\u00E7ais");
    EXPECT_EQ(map.Get(u"OnlyForkInstallDependent"), u"1");
    EXPECT_EQ(map.size(), 2u);
}

TEST(ForkCommandLineTest, HasTheExactTextAndSurvivesTheRoundTrip) {
    EXPECT_EQ(BuildForkCommandLine(u"/tmp/setup", u"English", u"5.1.0.3", 1234),
              u"\"/tmp/setup\" OnlyForkInstallDependent=1 HostLang=English HostVersion=5.1.0.3 HostHwnd=1234");
    EXPECT_EQ(BuildForkCommandLine(u"/tmp/setup", u"English", u"", -5),
              u"\"/tmp/setup\" OnlyForkInstallDependent=1 HostLang=English HostVersion= HostHwnd=-5");

    struct RoundTrip {
        std::u16string path, lang, version;
        int32_t window;
    };
    const RoundTrip trips[] = {
        {u"/opt/my setup/ixo-setup", u"Bahasa Indonesia", u"5.1.0.3", 77},
        {u"/tmp/x", u"", u"", 0},
        {u"/tmp/x", u"odd \"name\"", u"1.0 beta\\", 2147483647},
    };
    for (const RoundTrip& trip : trips) {
        std::vector<std::u16string> argv =
            SplitCommandLine(BuildForkCommandLine(trip.path, trip.lang, trip.version, trip.window));
        ASSERT_EQ(argv.size(), 5u);
        EXPECT_EQ(argv[0], trip.path);
        CommandLineMap map = CommandLineMap::FromArguments(std::vector<std::u16string>(argv.begin() + 1, argv.end()));
        EXPECT_EQ(map.size(), 4u);
        EXPECT_EQ(map.Get(u"OnlyForkInstallDependent"), u"1");
        EXPECT_EQ(map.Get(u"HostLang"), trip.lang);
        EXPECT_EQ(map.Get(u"HostVersion"), trip.version);
        std::string window = std::to_string(trip.window);
        EXPECT_EQ(map.Get(u"HostHwnd"), std::u16string(window.begin(), window.end()));
    }
}

}  // namespace
