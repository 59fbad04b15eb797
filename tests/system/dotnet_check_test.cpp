#include "system/dotnet_check.h"

#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::RegistryHive;
using platform::RegistryKey;

constexpr char kSetup[] = "Software\\Microsoft\\NET Framework Setup\\NDP\\";
constexpr char kFramework[] = "SOFTWARE\\Microsoft\\.NETFramework";

class DotNetCheckTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetRegistryRootForTesting(Registry()); }
    void TearDown() override { platform::SetRegistryRootForTesting(""); }

    std::string Registry() const { return root_.Path() + "registry/"; }

    void Install(const std::string& key, uint32_t install, const std::string& version) {
        RegistryKey entry;
        ASSERT_TRUE(entry.Create(RegistryHive::kLocalMachine, kSetup + key));
        entry.WriteDword("Install", install);
        entry.WriteString("Version", version);
    }

    void InstallFramework2() {
        RegistryKey policy;
        ASSERT_TRUE(
            policy.Create(RegistryHive::kLocalMachine, std::string(kFramework) + "\\policy\\v2.0.50727"));
        RegistryKey framework;
        ASSERT_TRUE(framework.Create(RegistryHive::kLocalMachine, kFramework));
        framework.WriteString("InstallRoot", "/opt/dotnet/");
    }

    test_support::TempFolder root_;
};

struct VersionCase {
    const char16_t* required;
    bool present;
};

void ExpectPresence(const std::vector<VersionCase>& cases) {
    for (const VersionCase& test : cases) {
        EXPECT_EQ(IsDotNetVersionPresent(test.required), test.present) << Utf16ToUtf8(test.required);
    }
}

TEST_F(DotNetCheckTest, Version4OnlyMeetsFourWithALowerMinor) {
    Install("v4\\Full", 1, "4.8.04084");
    Install("v4\\Client", 1, "4.8.04084");
    ExpectPresence({{u"4.6", true},
                    {u"4.8", true},
                    {u"4.9", false},
                    {u"3.5", false},
                    {u"2.0", false},
                    {u"5.0", false},
                    {u"1.1", false},
                    {u"", false}});
}

TEST_F(DotNetCheckTest, OlderFamiliesMeetTheirOwnAndEarlierMajors) {
    Install("v3.5", 1, "3.5.30729.4926");
    Install("v4.0", 1, "4.0.0.0");  // no "Full" profile: not counted
    ExpectPresence({{u"2.0", true}, {u"3.0", true}, {u"3.5", true}, {u"3.6", false}, {u"4.0", false}});
}

TEST_F(DotNetCheckTest, RegistrationsNotMarkedInstalledDoNotCount) {
    Install("v4\\Full", 0, "4.8.04084");
    Install("v2.0.50727", 0, "2.0.50727.4927");
    ExpectPresence({{u"4.0", false}, {u"2.0", false}});
}

TEST_F(DotNetCheckTest, Framework2NeedsItsPolicyAndInstallRoot) {
    EXPECT_FALSE(IsDotNet2Present());
    RegistryKey policy;
    ASSERT_TRUE(policy.Create(RegistryHive::kLocalMachine, std::string(kFramework) + "\\policy\\v2.0"));
    EXPECT_FALSE(IsDotNet2Present());
    InstallFramework2();
    EXPECT_TRUE(IsDotNet2Present());
}

TEST_F(DotNetCheckTest, ProbeRunsWithDialogsOffAndRestoresTheSetting) {
    std::u16string probe_ok = u"/bin/sh -c \"exit 0\"";
    EXPECT_FALSE(RunDotNetProbe(probe_ok));  // no framework 2
    InstallFramework2();
    EXPECT_FALSE(RunDotNetProbe(u""));

    // The checker reads the setting while it runs, through the registry tool.
    std::string seen = root_.Path() + "seen";
    std::string command = "\"" IXO_BINARY_DIR "/bin/ixo-reg\" --root '" + Registry() + "' get HKLM '" +
                          kFramework + "' NoGuiFromShim > '" + seen + "'";
    std::u16string checker = u"/bin/sh -c \"" + Utf8ToUtf16(command) + u"\"";
    EXPECT_TRUE(RunDotNetProbe(checker));
    EXPECT_EQ(platform::ReadFile(seen).value_or(""), "1\n");
    RegistryKey framework;
    ASSERT_TRUE(framework.Open(RegistryHive::kLocalMachine, kFramework));
    EXPECT_EQ(framework.ReadDword("NoGuiFromShim"), std::nullopt);

    framework.WriteDword("NoGuiFromShim", 1);  // set by someone else: left alone
    EXPECT_FALSE(RunDotNetProbe(u"/bin/sh -c \"exit 3\""));
    EXPECT_EQ(framework.ReadDword("NoGuiFromShim"), 1u);
}

}  // namespace
