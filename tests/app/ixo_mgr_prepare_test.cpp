// Building the task list: the package architecture and its addresses, the effective values, the dependents.
#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "tests/app/orchestrator_fixture.h"

namespace orchestrator_test {
namespace {

using PrepareTest = OrchestratorTest;

struct ArchitectureCase {
    const char* name;
    bool is_64bit;
    bool is_arm64;
    const char16_t* local_x64;
    const char16_t* local_arm64;
    const char16_t* server_x64;
    const char16_t* server_arm64;
    const char16_t* x64_only_local;
    bool dependent_has_x64;
    const char* bits;
    const char16_t* url;
    const char16_t* md5_list;
    std::vector<const char*> lines;
};

TEST_F(PrepareTest, PackageArchitectureAndAddressChoices) {
    const std::vector<ArchitectureCase> cases = {
        {"32-bit system",
         false,
         false,
         u"http://l/x64",
         u"",
         u"http://s/x64",
         u"",
         u"",
         true,
         "32",
         u"http://s/x86",
         u"m32,h32",
         {}},
        {"64-bit system with a server x64 address",
         true,
         false,
         u"",
         u"",
         u"http://s/x64",
         u"",
         u"",
         true,
         "64",
         u"http://s/x64",
         u"m64,h64",
         {}},
        {"64-bit system, a dependent without x64 address",
         true,
         false,
         u"http://l/x64",
         u"",
         u"http://s/x64",
         u"",
         u"",
         false,
         "32",
         u"http://s/x86",
         u"m32,h32",
         {}},
        {"64-bit system without any x64 address",
         true,
         false,
         u"",
         u"",
         u"",
         u"",
         u"",
         true,
         "32",
         u"http://s/x86",
         u"m32,h32",
         {}},
        {"x64 only local but no local x64 address: back to x86",
         true,
         false,
         u"",
         u"",
         u"http://s/x64",
         u"",
         u"1",
         true,
         "64",
         u"http://s/x86",
         u"m32,h32,h64",
         {"[INFO] BuildProductAndDepentTask, use local x64 down url.",
          "[WARN] BuildProductAndDepentTask, x64 url empty, back to x86."}},
        {"x64 only local with a local address",
         true,
         false,
         u"http://l/x64",
         u"",
         u"http://s/x64",
         u"",
         u"1",
         true,
         "64",
         u"http://l/x64",
         u"m64,h64",
         {"[INFO] BuildProductAndDepentTask, use local x64 down url."}},
        {"ARM64 system with an ARM64 address",
         true,
         true,
         u"",
         u"",
         u"http://s/x64",
         u"http://s/arm64",
         u"",
         true,
         "64",
         u"http://s/arm64",
         u"ma,ha",
         {}},
        {"ARM64 system with only x64 addresses",
         true,
         true,
         u"",
         u"",
         u"http://s/x64",
         u"",
         u"",
         true,
         "64",
         u"http://s/x64",
         u"m64,h64",
         {}},
        {"ARM64 system with only a local ARM64 address",
         true,
         true,
         u"",
         u"http://l/arm64",
         u"",
         u"",
         u"",
         true,
         "64",
         u"http://l/arm64",
         u",",
         {"[INFO] BuildProductAndDepentTask, use local arm64 down url."}},
    };
    for (const ArchitectureCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        mgr().SetArchitectureForTesting(c.is_64bit, c.is_arm64);
        ProductConfig product = BaseProduct();
        product.DownUrlX64 = c.local_x64;
        product.DownUrlArm64 = c.local_arm64;
        product.DownUrlX64OnlyLocal = c.x64_only_local;
        DependentItem dependent;
        dependent.ProductID = u"555";
        dependent.Url_Down = u"http://s/dep32";
        dependent.Url_Downx64 = c.dependent_has_x64 ? u"http://s/dep64" : u"";
        product.Dependents = {dependent};
        ServerRuntimeConfig server;
        server.download_url = u"http://s/x86";
        server.download_url_x64 = c.server_x64;
        server.download_url_arm64 = c.server_arm64;
        server.md5 = u"m32";
        server.history_md5_32 = u"h32";
        server.md5_64 = u"m64";
        server.history_md5_64 = u"h64";
        server.md5_arm64 = c.server_arm64[0] ? u"ma" : u"";
        server.history_md5_arm64 = c.server_arm64[0] ? u"ha" : u"";
        Prepare(product, server, 1000);

        const DownTask* task = mgr().FindTask(1234);
        ASSERT_NE(task, nullptr);
        EXPECT_EQ(Utf16ToUtf8(task->url), Utf16ToUtf8(c.url));
        EXPECT_EQ(Utf16ToUtf8(task->md5_list), Utf16ToUtf8(c.md5_list));
        EXPECT_EQ(statistics_.Value("downpackagebits"), c.bits);
        EXPECT_EQ(mgr().FindTask(555)->url,
                  std::string(c.bits) == "64" ? u"http://s/dep64" : u"http://s/dep32");
        std::string log = log_.NewText();
        EXPECT_NE(log.find(std::string("[INFO] BuildProductAndDepentTask, bit=[") + c.bits + "] package."),
                  std::string::npos);
        for (const char* line : c.lines) EXPECT_NE(log.find(line), std::string::npos) << line;
    }
}

TEST_F(PrepareTest, LocalOnlyAddressWinsButDigestsStayTheServers) {
    mgr().SetArchitectureForTesting(false, false);
    ProductConfig product = BaseProduct();
    product.DownUrlOnlyLocal = u"1";
    ServerRuntimeConfig server;
    server.download_url = u"http://s/x86";
    server.md5 = u"m32";
    server.filesize = u"123456";
    Prepare(product, server, 1000);
    const DownTask* task = mgr().FindTask(1234);
    EXPECT_EQ(task->url, product.DownUrl);
    EXPECT_EQ(task->md5_list, u"m32,");
    EXPECT_EQ(task->expected_size, 123456);
    EXPECT_NE(log_.NewText().find("[INFO] BuildProductAndDepentTask, use local x86 down url."),
              std::string::npos);
}

TEST_F(PrepareTest, EffectiveValues) {
    struct Case {
        const char16_t* install_time;
        int32_t expected;
    };
    for (Case c : std::vector<Case>{{u"100", 240}, {u"600", 600}, {u"120", 120}, {u"", 240}, {u"x", 240}}) {
        TearDown();
        SetUp();
        ProductConfig product = BaseProduct();
        product.InstallTime = c.install_time;
        product.InstallUrl = u"http://local/thanks";
        product.InstallUrlOnlyLocal = u"1";
        product.BannerImg = u"http://local/banner";
        ServerRuntimeConfig server;
        server.install_url = u"http://s/page?x=1&back_url=";
        server.oiap_url = u"http://s/license";
        Prepare(product, server, 1000);
        EXPECT_EQ(mgr().GetInstallTime(), c.expected) << Utf16ToUtf8(c.install_time);
        EXPECT_EQ(mgr().GetThankYouPage(), u"http://s/page?x=1&back_url=http://local/thanks");
        EXPECT_EQ(mgr().GetBannerPage(), u"http://local/banner");
        EXPECT_EQ(mgr().GetLicensePage(), u"http://s/license");
    }
    ProductConfig product = BaseProduct();
    product.InstallUrl = u"http://local/thanks";
    product.InstallUrlOnlyLocal = u"0";
    ServerRuntimeConfig server;
    server.install_url = u"http://s/thanks";
    TearDown();
    SetUp();
    Prepare(product, server, 1000);
    EXPECT_EQ(mgr().GetThankYouPage(), u"http://s/thanks");
}

TEST_F(PrepareTest, StartupProductAndForkCompanion) {
    ProductConfig product = BaseProduct();
    DependentItem companion;
    companion.ProductID = u"10819";
    companion.Url_Down = u"http://s/hub";
    companion.ForkInstall = u"1";
    product.Dependents = {companion};
    Prepare(product, {}, 1000);
    EXPECT_EQ(mgr().GetProductConfig().StartupProduct, u"1234");
    EXPECT_EQ(statistics_.Value("startupproduct"), "1234");
    EXPECT_TRUE(mgr().FindTask(1234)->startup);
    EXPECT_EQ(mgr().FindTask(10819), nullptr);  // the fork-mode copy installs it
    EXPECT_TRUE(mgr().IsCompanionOffered());
    EXPECT_EQ(mgr().Tasks().size(), 1u);
}

TEST_F(PrepareTest, UnknownPackageSizeSavesOnTheLargestDisk) {
    Prepare(BaseProduct(), {}, 0);
    std::string log = log_.NewText();
    EXPECT_NE(log.find("[INFO] query package size=[0] by domain_url."), std::string::npos);
    EXPECT_NE(log.find("[INFO] save the package on the max free disk."), std::string::npos);
    EXPECT_EQ(mgr().FindTask(1234)->save_folder, Utf8ToUtf16(Working()) + u"Kelvarosoft/Download/");
}

TEST_F(PrepareTest, DotNet20IsDecidedByTheCarriedChecker) {
    ProductConfig product = BaseProduct();
    product.Dotnetminver = u"2.0";
    product.Dotneturl = u"http://127.0.0.1:9/netfx";
    Prepare(product, {}, 1000);
    const DownTask* dotnet = mgr().FindTask(kDotNetTaskId);
    ASSERT_NE(dotnet, nullptr);
    EXPECT_EQ(dotnet->kind, kTaskDotNet);
    EXPECT_EQ(dotnet->url, u"http://127.0.0.1:9/netfx");
    EXPECT_EQ(mgr().Tasks().front().id, kDotNetTaskId);
    EXPECT_EQ(statistics_.Value("dotnetver"), "2.0");
    EXPECT_FALSE(platform::FileExists(Working() + "NFWCHK.exe"));
    EXPECT_FALSE(platform::FileExists(Working() + "NFWCHK.exe.config"));

    platform::RegistryKey framework;
    ASSERT_TRUE(framework.Create(platform::RegistryHive::kLocalMachine,
                                 "SOFTWARE\\Microsoft\\.NETFramework\\policy\\v2.0.50727"));
    ASSERT_TRUE(
        framework.Create(platform::RegistryHive::kLocalMachine, "SOFTWARE\\Microsoft\\.NETFramework"));
    ASSERT_TRUE(framework.WriteString("InstallRoot", "/opt/netfx/"));
    EXPECT_TRUE(mgr().IsDotNetReady());
    EXPECT_FALSE(platform::FileExists(Working() + "NFWCHK.exe"));
}

TEST_F(PrepareTest, InstalledProductIsFoundAndGivesTheInstallParent) {
    platform::RegistryKey key;
    ASSERT_TRUE(key.Create(platform::RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\Demo"));
    key.WriteDword("PID", 1234);
    key.WriteString("InstallInfo", "1");
    key.WriteString("Version", "1.0.0.0");
    key.WriteString("InstallPath", "/srv/apps/Kelvarosoft/Demo/");
    Prepare(BaseProduct(), {}, 1000);
    EXPECT_NE(log_.NewText().find("[INFO] pid=[1234] already install version=[1.0.0.0]."), std::string::npos);
    EXPECT_EQ(mgr().GetInstallParentFolder(), u"/srv/apps/");
}

TEST_F(PrepareTest, IsNotSupportX86PrefersTheServer) {
    ProductConfig product = BaseProduct();
    product.NotSupportWin32 = u"1";
    mgr().SetProductConfigForTesting(product);
    EXPECT_TRUE(mgr().IsNotSupportX86());
    EXPECT_NE(log_.NewText().find("[INFO] IsNotSupportX86 use local judge"), std::string::npos);
    ServerRuntimeConfig server;
    server.not_support_win32 = u"0";
    mgr().SetServerConfigForTesting(server);
    EXPECT_FALSE(mgr().IsNotSupportX86());
    EXPECT_NE(log_.NewText().find("[INFO] IsNotSupportX86 use server judge"), std::string::npos);
}

}  // namespace
}  // namespace orchestrator_test
