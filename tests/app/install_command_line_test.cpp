#include "app/install_command_line.h"

#include <gtest/gtest.h>

#include <vector>

#include "formats/utf_conversion.h"

namespace {

struct LineCase {
    const char* name;
    int32_t kind;
    int32_t id;
    bool startup;
    const char16_t* folder;
    const char16_t* scene_code;
    const char16_t* install_argument;
    bool privacy_post;
    const char16_t* clipboard;
    bool fork_mode;
    const char16_t* expected;
};

// The lines exactly as the installers receive them; the language code DEU, temporary folder /tmp/ and window
// 0x1A2B throughout.
const std::vector<LineCase> kCases = {
    {"product, plain", kTaskProduct, 1234, true, u"/opt/Kelvarosoft/Demo/", u"", u"", false, u"", false,
     u"/VERYSILENT /NOPAGE /LANG=DEU /LOG=\"/tmp/IXO-1234.log\" /installpath:\"/opt/Kelvarosoft/Demo/\""
     u" /DIR=\"/opt/Kelvarosoft/Demo/\" /IXOWIN=1A2B /PID=1234"},
    {"product, every optional switch", kTaskProduct, 1234, true, u"/opt/K/D/", u"sc9", u"tok=1", true,
     u"kxclip-77", false,
     u"/VERYSILENT /NOPAGE /LANG=DEU /LOG=\"/tmp/IXO-1234.log\" /installpath:\"/opt/K/D/\" /DIR=\"/opt/K/D/\""
     u" /IXOWIN=1A2B /PID=1234 /SCENE_CODE=sc9 /POP_PRIVACY /TOKEN_PRODUCTINSTALL_ARG=tok=1 kxclip-77"},
    {"product without a startup task: empty folder switches", kTaskProduct, 1234, false, u"", u"", u"", false,
     u"", false,
     u"/VERYSILENT /NOPAGE /LANG=DEU /LOG=\"/tmp/IXO-1234.log\" /installpath:\"\" /DIR=\"\" /IXOWIN=1A2B"
     u" /PID=1234"},
    {"companion as product", kTaskProduct, 10819, true, u"/opt/K/H/", u"", u"", false, u"", false,
     u"/VERYSILENT /NOPAGE /LANG=DEU /LOG=\"/tmp/IXO-10819.log\" /installpath:\"/opt/K/H/\" "
     u"/DIR=\"/opt/K/H/\""
     u" /IXOWIN=1A2B /PID=10819 /NOTRUN"},
    {"dependent, not the startup task", kTaskDependent, 555, false, u"", u"sc9", u"", true, u"kxclip", false,
     u"/VERYSILENT /NOPAGE /LANG=DEU /LOG=\"/tmp/IXO-555.log\" /IXOWIN=1A2B /PID=555"},
    {"dependent, startup task with an argument", kTaskDependent, 555, true, u"/opt/K/Dep/", u"", u"a b",
     false, u"", false,
     u"/VERYSILENT /NOPAGE /LANG=DEU /LOG=\"/tmp/IXO-555.log\" /IXOWIN=1A2B /PID=555 /installpath: "
     u"\"/opt/K/Dep/\" /DIR=\"/opt/K/Dep/\" /TOKEN_PRODUCTINSTALL_ARG=a b"},
    {"companion dependent in fork mode", kTaskDependent, 10819, false, u"", u"", u"", false, u"", true,
     u"/VERYSILENT /NOPAGE /LANG=DEU /LOG=\"/tmp/IXO-10819.log\" /IXOWIN=1A2B /PID=10819 /NOTRUN"
     u" /HOSTINFOPATH=\"/tmp/hostinfo.json\""},
    {"companion dependent in normal mode", kTaskDependent, 10819, false, u"", u"", u"", false, u"", false,
     u"/VERYSILENT /NOPAGE /LANG=DEU /LOG=\"/tmp/IXO-10819.log\" /IXOWIN=1A2B /PID=10819"},
};

TEST(InstallCommandLineTest, LinesOfProductsAndDependentsWithAndWithoutOptionalSwitches) {
    for (const LineCase& c : kCases) {
        DownTask task;
        task.kind = c.kind;
        task.id = c.id;
        task.startup = c.startup;
        task.scene_code = c.scene_code;
        task.install_argument = c.install_argument;
        InstallLineContext context;
        context.language_code = u"DEU";
        context.temp_folder = u"/tmp/";
        context.window = 0x1A2B;
        context.privacy_post = c.privacy_post;
        context.clipboard_value = c.clipboard;
        context.fork_mode = c.fork_mode;
        context.host_info_path = u"/tmp/hostinfo.json";
        std::u16string line = c.kind == kTaskProduct ? BuildProductInstallLine(task, c.folder, context)
                                                     : BuildDependentInstallLine(task, c.folder, context);
        EXPECT_EQ(Utf16ToUtf8(line), Utf16ToUtf8(c.expected)) << c.name;
    }
}

TEST(InstallCommandLineTest, DotNetLineKeepsItsTrailingBlank) {
    EXPECT_EQ(std::u16string(kDotNetInstallLine), u"/VERYSILENT /NOPAGE ");
    EXPECT_EQ(InstallerLogPath(u"/var/tmp/", 42), u"/var/tmp/IXO-42.log");
}

}  // namespace
