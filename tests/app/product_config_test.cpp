// Loading the product configuration: documents, registry and machine seeded per case.
#include <gtest/gtest.h>

#include "app/ixo_mgr.h"
#include "formats/utf_conversion.h"
#include "platform/registry.h"
#include "system/deployment_profile.h"
#include "system/identifiers.h"
#include "tests/support/log_capture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::RegistryHive;
using platform::RegistryKey;
using platform::RegistryView;

std::u16string U(const std::string& text) {
    return Utf8ToUtf16(text);
}

// Records what the statistics record is told, in order.
class RecordedStatistics : public IConfigStatistics {
public:
    void SetStatisticsBase(const std::u16string& base) override {
        calls.push_back("base " + Utf16ToUtf8(base));
    }
    void SetTaskSelected(int32_t id, bool mandatory) override {
        calls.push_back("task " + std::to_string(id) + (mandatory ? " mandatory" : " optional"));
    }
    void SetStatText(const std::string& key, const std::u16string& value) override {
        calls.push_back(key + "=" + Utf16ToUtf8(value));
    }
    bool PostSeriesInfo(const std::string& product_id, const std::string& client_sign) override {
        calls.push_back("series " + product_id + " " + client_sign);
        return true;
    }
    std::vector<std::string> calls;
};

class ProductConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetRegistryRootForTesting(folder_.Path() + "registry/");
        IxoMgr& manager = IxoMgr::Instance();
        manager.ResetForTesting();
        FolderPlaces places;
        places.fixed_drives = {U(folder_.Path() + "disk/")};
        places.system_drive = places.fixed_drives[0];
        places.shared_data = U(folder_.Path() + "shared/");
        places.executable_folder = U(folder_.Path() + "exe/");
        places.temp_folder = U(folder_.Path() + "temp/");
        places.free_bytes = [](const std::u16string&) { return uint64_t(1) << 40; };
        manager.SetFolderPlacesForTesting(places);
        manager.SetArchitectureForTesting(true, false);
        manager.SetClipboardReaderForTesting([this] { return clipboard_; });
        manager.SetConfigStatistics(&statistics_);
    }
    void TearDown() override {
        IxoMgr& manager = IxoMgr::Instance();
        manager.SetConfigStatistics(nullptr);
        manager.SetClipboardReaderForTesting(nullptr);
        manager.SetFolderPlacesForTesting(std::nullopt);
        manager.ResetForTesting();
        platform::SetRegistryRootForTesting("");
    }

    const ProductConfig& Load(const std::string& children) {
        EXPECT_TRUE(IxoMgr::Instance().LoadLocalXmlDocument(
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Product>" + children + "</Product>"));
        return IxoMgr::Instance().GetProductConfig();
    }

    test_support::TempFolder folder_;
    test_support::LogCapture capture_;
    RecordedStatistics statistics_;
    std::optional<std::string> clipboard_;
};

TEST_F(ProductConfigTest, EmptyProductTakesEveryDefault) {
    const ProductConfig& config = Load("");
    EXPECT_EQ(config.FoldBottom, u"1");
    EXPECT_EQ(config.PrivacyPost, u"1");
    EXPECT_EQ(config.ServerHost, U(GetDeploymentProfile().statistics_base));
    EXPECT_EQ(config.Url_License, U(GetDeploymentProfile().license_page));
    EXPECT_EQ(config.ProductName, u"");
    EXPECT_EQ(config.ProductID, u"");
    EXPECT_EQ(config.DownUrl, u"");
    EXPECT_EQ(config.Languages, u"");
    EXPECT_TRUE(config.Dependents.empty());
    EXPECT_EQ(config.ClipboardValue, u"");
    std::string log = capture_.NewText();
    EXPECT_NE(log.find("[INFO] config folder=[" + folder_.Path() + "shared/Kelvarosoft/]."),
              std::string::npos)
        << log;
}

TEST_F(ProductConfigTest, UnusableDocumentsFailWithTheirLine) {
    struct Case {
        std::string document;
        const char* line;
    };
    const Case cases[] = {
        {"<Product><ProductName>x</ProductName>", "[ERROR] LoadLocalXml err 3"},
        {"", "[ERROR] LoadLocalXml err 3"},
        {"<Products><ProductName>x</ProductName></Products>", "[ERROR] LoadLocalXml, not find product."},
    };
    for (const Case& test : cases) {
        test_support::LogCapture capture;
        EXPECT_FALSE(IxoMgr::Instance().LoadLocalXmlDocument(test.document)) << test.document;
        EXPECT_NE(capture.NewText().find(test.line), std::string::npos) << capture.NewText();
    }
}

TEST_F(ProductConfigTest, ValuesAreTakenAsTheyStandAndTheFirstOccurrenceWins) {
    const ProductConfig& config = Load(
        "<ProductName>Kelvarosoft Mendrake</ProductName><ProductName>Second</ProductName>"
        "<ProductArg></ProductArg><Url_License></Url_License><InstallTime> 100 </InstallTime>"
        "<ProductID>5120</ProductID><Url_Jump><![CDATA[https://a.test/x?a=1&b=2;https://b.test/]]></Url_Jump>"
        "<Languages>Deutsch,English</Languages><Unknown>x</Unknown>");
    EXPECT_EQ(config.ProductName, u"Kelvarosoft Mendrake");
    EXPECT_EQ(config.ProductArg, u"");
    EXPECT_EQ(config.Url_License, U(GetDeploymentProfile().license_page));  // empty gets the fixed page
    EXPECT_EQ(config.InstallTime, u" 100 ");
    EXPECT_EQ(config.Url_Jump, u"https://a.test/x?a=1&b=2;https://b.test/");
    EXPECT_EQ(config.Languages, u"Deutsch,English");
    EXPECT_EQ(IxoMgr::Instance().GetRunConfigPath(),
              U(folder_.Path() + "shared/Kelvarosoft/IXO_DOWNTASK_5120.xml"));
}

TEST_F(ProductConfigTest, ServerHostEndsWithASlash) {
    const std::pair<const char*, const char16_t*> kCases[] = {
        {"<ServerHost>http://stat.test</ServerHost>", u"http://stat.test/"},
        {"<ServerHost>http://stat.test/</ServerHost>", u"http://stat.test/"},
        {"<ServerHost>http://stat.test/v2</ServerHost>", u"http://stat.test/v2/"},
    };
    for (auto [element, host] : kCases) {
        statistics_.calls.clear();
        EXPECT_EQ(Load(element).ServerHost, host) << element;
        ASSERT_FALSE(statistics_.calls.empty());
        EXPECT_EQ(statistics_.calls.front(), "base " + Utf16ToUtf8(host));
    }
}

TEST_F(ProductConfigTest, ArchitectureGroupsAreReadOnlyWhereTheyApply) {
    const std::string groups =
        "<Downurl><OnlyUseLocalUrl>1</OnlyUseLocalUrl><Url_Down>x86</Url_Down></Downurl>"
        "<Downurl_x64><OnlyUseLocalUrl>1</OnlyUseLocalUrl><Url_Down>x64</Url_Down></Downurl_x64>"
        "<Downurl_arm64><OnlyUseLocalUrl>1</OnlyUseLocalUrl><Url_Down>arm64</Url_Down></Downurl_arm64>";
    struct Case {
        bool is_64bit, is_arm64;
        const char16_t *x64, *arm64;
    };
    const Case cases[] = {{false, false, u"", u""},
                          {false, true, u"", u""},
                          {true, false, u"x64", u""},
                          {true, true, u"x64", u"arm64"}};
    for (const Case& test : cases) {
        IxoMgr::Instance().SetArchitectureForTesting(test.is_64bit, test.is_arm64);
        const ProductConfig& config = Load(groups);
        EXPECT_EQ(config.DownUrl, u"x86");
        EXPECT_EQ(config.DownUrlOnlyLocal, u"1");
        EXPECT_EQ(config.DownUrlX64, test.x64);
        EXPECT_EQ(config.DownUrlX64OnlyLocal, test.x64[0] ? u"1" : u"");
        EXPECT_EQ(config.DownUrlArm64, test.arm64);
        EXPECT_EQ(config.DownUrlArm64OnlyLocal, test.arm64[0] ? u"1" : u"");
    }
}

TEST_F(ProductConfigTest, DependentsNeedAnIdAndAnAddressAndAreMandatoryByDefault) {
    const ProductConfig& config = Load(
        "<Dependent>"
        "<item><ProductID>101</ProductID><Url_Down>http://d.test/101</Url_Down></item>"
        "<item><ProductID>102</ProductID><ProductName>No address</ProductName></item>"
        "<item><ProductName>No id</ProductName><Url_Down>http://d.test/x</Url_Down></item>"
        "<item><ProductID>10819</ProductID><Url_Downx64>http://d.test/hub</Url_Downx64>"
        "<ForceInstall>false</ForceInstall><ForkInstall>1</ForkInstall></item>"
        "<item><ProductID>104</ProductID><Url_Down_arm64>http://d.test/arm</Url_Down_arm64>"
        "<ForceInstall>TRUE</ForceInstall></item>"
        "</Dependent>");
    ASSERT_EQ(config.Dependents.size(), 3u);
    EXPECT_EQ(config.Dependents[0].ProductID, u"101");
    EXPECT_EQ(config.Dependents[0].ForceInstall, u"true");
    EXPECT_EQ(config.Dependents[1].ProductID, u"10819");
    EXPECT_EQ(config.Dependents[1].ForkInstall, u"1");
    EXPECT_EQ(config.Dependents[2].ProductID, u"104");
    std::string log = capture_.NewText();
    for (const char* pid : {"101", "102", "", "10819", "104"}) {
        EXPECT_NE(log.find("[INFO] LoadLocalXml, dependent.item pid=[" + std::string(pid) + "]."),
                  std::string::npos)
            << pid;
    }
    std::vector<std::string> tasks;
    for (const std::string& call : statistics_.calls) {
        if (call.compare(0, 5, "task ") == 0) tasks.push_back(call);
    }
    EXPECT_EQ(tasks,
              (std::vector<std::string>{"task 101 mandatory", "task 10819 optional", "task 104 optional"}));
}

TEST_F(ProductConfigTest, ClipboardValueMustStartWithTheKeyword) {
    struct Case {
        std::string group;
        std::optional<std::string> clipboard;
        const char16_t* value;
    };
    const Case cases[] = {
        {"<Access>1</Access><Keyword>abc</Keyword>", "abc123", u"abc123"},
        {"<Access>1</Access><Keyword>abc</Keyword>", "xabc", u""},
        {"<Access>1</Access><Keyword>abc</Keyword>", "ABC123", u""},
        {"<Access>1</Access><Keyword>abc</Keyword>", std::nullopt, u""},
        {"<Access>1</Access><Keyword></Keyword>", "abc123", u""},
        {"<Access>0</Access><Keyword>abc</Keyword>", "abc123", u""},
        {"<Keyword>abc</Keyword>", "abc123", u""},
        {"<Access>1</Access><Keyword>Grüß</Keyword>", "Grüße", u"Grüße"},
    };
    for (const Case& test : cases) {
        clipboard_ = test.clipboard;
        EXPECT_EQ(Load("<Clipboard>" + test.group + "</Clipboard>").ClipboardValue, test.value) << test.group;
    }
}

TEST_F(ProductConfigTest, ChannelRecordKeepsTheFirstChannelAsItsDefault) {
    Load("<ProductID>5120</ProductID><Channel>web</Channel>");
    RegistryKey record;
    ASSERT_TRUE(record.Open(RegistryHive::kLocalMachine, "Software\\IxrCX", RegistryView::k32Bit));
    EXPECT_EQ(record.ReadString(""), "web");
    EXPECT_EQ(record.ReadString("5120"), "web");

    Load("<ProductID>5120</ProductID><AppID>A1</AppID><Channel>ads</Channel>");
    EXPECT_EQ(record.ReadString(""), "web");
    EXPECT_EQ(record.ReadString("A1"), "ads");
    EXPECT_EQ(record.ReadString("5120"), "web");
}

TEST_F(ProductConfigTest, StatisticsLearnTheProductAndTheSeriesIsPosted) {
    RegistryKey record;
    ASSERT_TRUE(record.Create(RegistryHive::kLocalMachine, "Software\\IxrCX", RegistryView::k32Bit));
    record.WriteString("", "first");
    Load(
        "<ProductBrand>Kelvarosoft</ProductBrand><ProductID>5120</ProductID><Channel>web</Channel>"
        "<SceneCode>spring</SceneCode>");
    std::string sign = Utf16ToUtf8(GetClientSign(u"Kelvarosoft"));
    ASSERT_FALSE(sign.empty());
    std::vector<std::string> expected = {"base " + GetDeploymentProfile().statistics_base,
                                         "product_id=5120",
                                         "client_sign=" + sign,
                                         "channel=web",
                                         "defchannel=first",
                                         "scene_code=spring",
                                         "series 5120 " + sign};
    EXPECT_EQ(statistics_.calls, expected);
}

TEST_F(ProductConfigTest, WithoutTheStatisticsRecordNothingIsSentButTheMachineIsStillRecorded) {
    IxoMgr::Instance().SetConfigStatistics(nullptr);
    Load("<ProductBrand>Kelvarosoft</ProductBrand><ProductID>5120</ProductID><Channel>web</Channel>");
    EXPECT_TRUE(statistics_.calls.empty());
    RegistryKey signature;
    ASSERT_TRUE(
        signature.Open(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\IXR", RegistryView::k32Bit));
    EXPECT_FALSE(signature.ReadString("ClientSign").value_or("").empty());
}

TEST_F(ProductConfigTest, InstallParentPrefersTheConfiguredFolder) {
    ScopedEnvironment environment;
    environment.Unset("PKEXEC_UID").Unset("SUDO_UID").Unset("WAYLAND_DISPLAY").Unset("DISPLAY");
    environment.Unset("XDG_DATA_HOME").Set("HOME", folder_.Path() + "home/");
    RegistryKey installed;
    ASSERT_TRUE(installed.Create(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\Mendrake"));
    installed.WriteDword("PID", 5120);
    installed.WriteString("InstallInfo", "ok");
    installed.WriteString("InstallPath", "/srv/apps/Kelvarosoft/Mendrake/");
    const std::string product = "<ProductBrand>Kelvarosoft</ProductBrand><ProductID>5120</ProductID>";
    struct Case {
        std::string custom;
        std::u16string parent;
    };
    const Case cases[] = {
        {"<CustomInstallPath>/data/apps/</CustomInstallPath>", u"/data/apps/"},
        {"<CustomInstallPath>%LocalAppData%</CustomInstallPath>", U(folder_.Path() + "home/.local/share/")},
        {"<CustomInstallPath>Q:\\Apps</CustomInstallPath>",
         u"/srv/apps/"},  // not a path here: the installation's
        {"", u"/srv/apps/"},
    };
    for (const Case& test : cases) {
        Load(product + test.custom);
        EXPECT_EQ(IxoMgr::Instance().GetInstallParentFolder(), test.parent) << test.custom;
        IxoMgr::Instance().ResetForTesting();
    }
    platform::DeleteRegistryKey(RegistryHive::kLocalMachine, "Software\\Kelvarosoft\\Mendrake");
    Load(product);
    EXPECT_EQ(IxoMgr::Instance().GetInstallParentFolder(), u"/opt/");
}

}  // namespace
