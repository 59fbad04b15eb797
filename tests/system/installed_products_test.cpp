#include "system/installed_products.h"

#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "platform/registry.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::RegistryHive;
using platform::RegistryKey;
using platform::RegistryView;

// Every test sees an empty registry of its own.
class InstalledProductsTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetRegistryRootForTesting(root_.Path() + "registry/"); }
    void TearDown() override { platform::SetRegistryRootForTesting(""); }

    RegistryKey Key(const std::string& path, RegistryView view = RegistryView::kDefault,
                    RegistryHive hive = RegistryHive::kLocalMachine) {
        RegistryKey key;
        EXPECT_TRUE(key.Create(hive, path, view)) << path;
        return key;
    }

    test_support::TempFolder root_;
};

TEST_F(InstalledProductsTest, InstallRegistrationNeedsTheIdAndInstallInfo) {
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"5120", u"Version"), u"");
    RegistryKey other = Key("Software\\Kelvarosoft\\Atelier");
    other.WriteDword("PID", 10819);
    other.WriteString("InstallInfo", "x");
    other.WriteString("Version", "9.9");
    RegistryKey unfinished = Key("Software\\Kelvarosoft\\Alpha");  // right id, no InstallInfo
    unfinished.WriteDword("PID", 5120);
    unfinished.WriteString("InstallInfo", "");
    unfinished.WriteString("Version", "1.0");
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"5120", u"Version"), u"");
    EXPECT_FALSE(IsProductInstalled(u"Kelvarosoft", u"5120"));

    RegistryKey mendrake = Key("Software\\Kelvarosoft\\Mendrake");
    mendrake.WriteDword("PID", 5120);
    mendrake.WriteString("InstallInfo", "ok");
    mendrake.WriteString("Version", "5.1.0.3");
    mendrake.WriteString("InstallPath", "/opt/Kelvarosoft/Mendrake/");
    RegistryKey later = Key("Software\\Kelvarosoft\\Zeta");  // same id after it in the order: not reached
    later.WriteDword("PID", 5120);
    later.WriteString("InstallInfo", "ok");
    later.WriteString("Version", "7.0");
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"5120", u"Version"), u"5.1.0.3");
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"5120", u"InstallPath"), u"/opt/Kelvarosoft/Mendrake/");
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"5120", u"InstallName"), u"");  // a value it lacks
    EXPECT_TRUE(IsProductInstalled(u"Kelvarosoft", u"5120"));
    EXPECT_EQ(GetInstalledValue(u"Acme", u"5120", u"Version"), u"");
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"512", u"Version"), u"");
}

TEST_F(InstalledProductsTest, UninstallEntryOf64BitViewComesFirst) {
    const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    RegistryKey x86 = Key(std::string(kUninstall) + "Mendrake", RegistryView::k32Bit);
    x86.WriteString("PID", "5120");
    x86.WriteString("Version", "4.0");
    EXPECT_EQ(GetUninstallVersion(u"5120"), u"4.0");

    RegistryKey no_version = Key(std::string(kUninstall) + "A", RegistryView::k64Bit);
    no_version.WriteString("PID", "5120");
    EXPECT_EQ(GetUninstallVersion(u"5120"), u"4.0");

    RegistryKey native = Key(std::string(kUninstall) + "B", RegistryView::k64Bit);
    native.WriteString("PID", "5120");
    native.WriteString("Version", "5.0");
    EXPECT_EQ(GetUninstallVersion(u"5120"), u"5.0");
    EXPECT_EQ(GetUninstallVersion(u"05120"), u"");  // compared as text
}

TEST_F(InstalledProductsTest, CompanionIsTheFirstViewThatNamesAnExistingFile) {
    const char kCompanion[] = "Software\\Kelvarosoft\\Kelvarosoft Atelier Hub";
    std::string program = root_.Write("hub/atelier-hub", "program");
    EXPECT_EQ(GetCompanionInstallName(), u"");
    EXPECT_FALSE(IsCompanionInstalled());

    Key(kCompanion, RegistryView::k32Bit).WriteString("InstallName", root_.Path() + "gone/atelier-hub");
    EXPECT_EQ(GetCompanionInstallName(), Utf8ToUtf16(root_.Path() + "gone/atelier-hub"));  // the 32-bit text
    EXPECT_FALSE(IsCompanionInstalled());

    Key(kCompanion, RegistryView::k64Bit).WriteString("InstallName", program);
    EXPECT_EQ(GetCompanionInstallName(), Utf8ToUtf16(program));
    EXPECT_TRUE(IsCompanionInstalled());
}

TEST_F(InstalledProductsTest, UserNumbersAndBrowserVersion) {
    EXPECT_EQ(GetUserDword(u"Software\\Kelvarosoft\\IXO", u"Shown"), std::nullopt);
    ASSERT_TRUE(SetUserDword(u"Software\\Kelvarosoft\\IXO", u"Shown", 3));
    EXPECT_EQ(GetUserDword(u"Software\\Kelvarosoft\\IXO", u"Shown"), 3u);
    RegistryKey machine;
    EXPECT_FALSE(
        machine.Open(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXO"));  // the user's hive only

    EXPECT_EQ(GetIeVersion(), u"-");
    Key("Software\\Microsoft\\Internet Explorer", RegistryView::k32Bit).WriteString("Version", "11.0");
    EXPECT_EQ(GetIeVersion(), u"11.0");
}

}  // namespace
