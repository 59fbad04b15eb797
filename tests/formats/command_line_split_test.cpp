#include "formats/command_line_split.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    std::u16string text;
    std::vector<std::u16string> arguments;
};

TEST(CommandLineSplitTest, ParametersFollowTheQuoteAndBackslashRules) {
    const SplitCase cases[] = {
        {u"", {}},
        {u"   ", {}},
        {u"/S /LANG=ENG", {u"/S", u"/LANG=ENG"}},
        {uR"(/DIR="/opt/Kelvarosoft/My App/" /LOG=x)", {u"/DIR=/opt/Kelvarosoft/My App/", u"/LOG=x"}},
        {uR"(a\"b)", {uR"(a"b)"}},
        {uR"(a\\"b c")", {uR"(a\b c)"}},
        {uR"(a\\\"b)", {uR"(a\"b)"}},
        {uR"("a\\" b)", {uR"(a\)", u"b"}},
        {uR"(a\\b)", {uR"(a\\b)"}},
        {uR"("" x)", {u"", u"x"}},
        {uR"("a""b c" d)", {uR"(a"b)", u"c d"}},
        {uR"("open ended)", {u"open ended"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(SplitCommandLineArguments(c.text), c.arguments)
            << std::string(c.text.begin(), c.text.end());
    }
}

TEST(CommandLineSplitTest, ProgramPathTakesNoEscapes) {
    const SplitCase cases[] = {
        {u"", {u""}},
        {u"/bin/prog a", {u"/bin/prog", u"a"}},
        {uR"("/opt/my dir\" a)", {uR"(/opt/my dir\)", u"a"}},
        {uR"("/opt/x/NFWCHK" "quoted arg")", {u"/opt/x/NFWCHK", u"quoted arg"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.text), c.arguments) << std::string(c.text.begin(), c.text.end());
    }
}

}  // namespace
