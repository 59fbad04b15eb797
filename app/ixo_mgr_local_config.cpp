// IxoMgr: reading the product configuration compiled into the executable.
#include <cstdlib>
#include <optional>

#include "app/ixo_mgr.h"
#include "formats/utf_conversion.h"
#include "formats/xml_document.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "system/deployment_profile.h"
#include "system/identifiers.h"
#include "system/simple_log.h"

namespace {

constexpr int kProductConfigResource = 106;
constexpr char kChannelKey[] = "Software\\IxrCX\\";

// Reads the configuration document. Every lookup starts again at the first child of the element it looks
// in, so the order of elements does not matter and the first of two equal elements wins.
class ConfigReader {
public:
    explicit ConfigReader(CXmlDocument& document) : document_(document) {}

    // The text of the current element's child `name`; nullopt when there is no such child.
    std::optional<std::u16string> Child(std::u16string_view name) {
        document_.ResetChildPosition();
        if (!document_.FindChildElement(name)) return std::nullopt;
        document_.EnterElement();
        std::u16string text = document_.GetElementText();
        document_.LeaveElement();
        return text;
    }

    void Read(std::u16string_view name, std::u16string& field) {
        if (std::optional<std::u16string> text = Child(name)) field = std::move(*text);
    }

    // Runs `read` inside the current element's child `group`; false when there is no such child.
    template <typename Read>
    bool InGroup(std::u16string_view group, Read read) {
        document_.ResetChildPosition();
        if (!document_.FindChildElement(group)) return false;
        document_.EnterElement();
        read();
        document_.LeaveElement();
        return true;
    }

    CXmlDocument& Document() { return document_; }

private:
    CXmlDocument& document_;
};

bool IsAccepted(const DependentItem& item) {
    return !item.ProductID.empty() &&
           (!item.Url_Down.empty() || !item.Url_Downx64.empty() || !item.Url_Down_arm64.empty());
}

DependentItem ReadDependent(ConfigReader& reader) {
    DependentItem item;
    reader.Read(u"ProductID", item.ProductID);
    reader.Read(u"ProductName", item.ProductName);
    reader.Read(u"ProductExe", item.ProductExe);
    reader.Read(u"ProductArg", item.ProductArg);
    reader.Read(u"ProductInstallArg", item.ProductInstallArg);
    reader.Read(u"ProductInsCmple", item.ProductInsCmple);
    reader.Read(u"Url_Down", item.Url_Down);
    reader.Read(u"Url_Downx64", item.Url_Downx64);
    reader.Read(u"Url_Down_arm64", item.Url_Down_arm64);
    reader.Read(u"ForceInstall", item.ForceInstall);
    reader.Read(u"ForkInstall", item.ForkInstall);
    return item;
}

int32_t ToNumber(const std::u16string& text) {
    return int32_t(std::strtol(Utf16ToUtf8(text).c_str(), nullptr, 10));
}

}  // namespace

bool IxoMgr::LoadLocalXml() {
    WriteLog(kLogInfo, "[INFO] LoadLocalXml");
    std::optional<std::string_view> document = platform::FindResource("XML", kProductConfigResource);
    if (!document) {
        WriteLog(kLogError, "[ERROR] LoadLocalXml, find failed!");
        return false;
    }
    if (document->empty()) {
        WriteLog(kLogError, "[ERROR] LoadLocalXml, size error!");
        return false;
    }
    return LoadLocalXmlDocument(*document);
}

bool IxoMgr::LoadLocalXmlDocument(std::string_view utf8_document) {
    CXmlDocument document;
    if (!document.SetDocumentText(Utf8ToUtf16(utf8_document))) {
        WriteLog(kLogError, "[ERROR] LoadLocalXml err 3");
        return false;
    }
    document.ResetPosition();
    if (!document.FindElement(u"Product")) {
        WriteLog(kLogError, "[ERROR] LoadLocalXml, not find product.");
        return false;
    }
    ConfigReader reader(document);
    ProductConfig config;

    reader.Read(u"ProductSkin", config.ProductSkin);
    reader.Read(u"ProductBrand", config.ProductBrand);
    reader.Read(u"ProductName", config.ProductName);
    reader.Read(u"ProductExe", config.ProductExe);
    reader.Read(u"ProductArg", config.ProductArg);
    reader.Read(u"FoldBottom", config.FoldBottom);
    reader.Read(u"ProductInstallArg", config.ProductInstallArg);
    reader.Read(u"ProductInsCmple", config.ProductInsCmple);
    reader.Read(u"CustomInstallPath", config.CustomInstallPath);
    reader.Read(u"PrivacyPost", config.PrivacyPost);
    reader.Read(u"IsAllowInstallAdminPath", config.IsAllowInstallAdminPath);
    config.ServerHost =
        reader.Child(u"ServerHost").value_or(Utf8ToUtf16(GetDeploymentProfile().statistics_base));

    if (config.ServerHost.empty() || config.ServerHost.back() != u'/') config.ServerHost += u'/';
    if (statistics_) statistics_->SetStatisticsBase(config.ServerHost);

    working_folder_ =
        ::GetWorkingFolder(config.ProductBrand, false,
                           places_for_testing_ ? *places_for_testing_ : FolderPlaces::OfThisMachine());
    WriteLog(kLogInfo, "[INFO] config folder=[%s].", Utf16ToUtf8(working_folder_).c_str());

    reader.Read(u"ProductID", config.ProductID);
    run_config_path_ = working_folder_ + u"IXO_DOWNTASK_" + config.ProductID + u".xml";
    reader.Read(u"AppID", config.AppID);
    reader.Read(u"Channel", config.Channel);

    reader.InGroup(u"Downurl", [&] {
        reader.Read(u"OnlyUseLocalUrl", config.DownUrlOnlyLocal);
        reader.Read(u"Url_Down", config.DownUrl);
    });
    if (is_64bit_ && is_arm64_) {
        reader.InGroup(u"Downurl_arm64", [&] {
            reader.Read(u"OnlyUseLocalUrl", config.DownUrlArm64OnlyLocal);
            reader.Read(u"Url_Down", config.DownUrlArm64);
        });
    }
    if (is_64bit_) {
        reader.InGroup(u"Downurl_x64", [&] {
            reader.Read(u"OnlyUseLocalUrl", config.DownUrlX64OnlyLocal);
            reader.Read(u"Url_Down", config.DownUrlX64);
        });
    }

    reader.Read(u"InstallTime", config.InstallTime);
    reader.InGroup(u"Installurl", [&] {
        reader.Read(u"OnlyUseLocalUrl", config.InstallUrlOnlyLocal);
        reader.Read(u"Url_Install", config.InstallUrl);
    });
    reader.Read(u"Url_License", config.Url_License);
    if (config.Url_License.empty()) config.Url_License = Utf8ToUtf16(GetDeploymentProfile().license_page);
    reader.Read(u"UserAgreementUrl", config.UserAgreementUrl);
    reader.Read(u"PrivacyAgreementUrl", config.PrivacyAgreementUrl);
    reader.Read(u"Languages", config.Languages);
    reader.Read(u"Dotnetminver", config.Dotnetminver);
    reader.Read(u"Dotneturl", config.Dotneturl);
    reader.Read(u"AgreeUserLicense", config.AgreeUserLicense);
    reader.Read(u"StartupProduct", config.StartupProduct);
    reader.Read(u"Url_Jump", config.Url_Jump);
    reader.Read(u"InstallErrorUrl", config.InstallErrorUrl);
    reader.Read(u"InstallSalvageTitle", config.InstallSalvageTitle);
    reader.Read(u"InstallSalvageContent", config.InstallSalvageContent);
    reader.Read(u"NotSupportWin32", config.NotSupportWin32);
    reader.Read(u"SceneCode", config.SceneCode);
    reader.Read(u"BannerImg", config.BannerImg);
    reader.Read(u"AllowRunTimeInstall", config.AllowRunTimeInstall);

    reader.InGroup(u"Dependent", [&] {
        CXmlDocument& dependents = reader.Document();
        dependents.ResetChildPosition();
        while (dependents.FindChildElement(u"item")) {
            dependents.EnterElement();
            DependentItem item = ReadDependent(reader);
            dependents.LeaveElement();
            if (IsAccepted(item)) {
                if (statistics_)
                    statistics_->SetTaskSelected(ToNumber(item.ProductID), item.ForceInstall == u"true");
                config.Dependents.push_back(item);
            }
            WriteLog(kLogInfo, "[INFO] LoadLocalXml, dependent.item pid=[%s].",
                     Utf16ToUtf8(item.ProductID).c_str());
        }
    });

    reader.InGroup(u"Clipboard", [&] {
        if (reader.Child(u"Access") != u"1") return;
        std::string keyword = Utf16ToUtf8(reader.Child(u"Keyword").value_or(u""));
        if (keyword.empty()) return;
        std::optional<std::string> clipboard = clipboard_reader_ ? clipboard_reader_() : std::nullopt;
        if (clipboard && clipboard->compare(0, keyword.size(), keyword) == 0) {
            config.ClipboardValue = Utf8ToUtf16(*clipboard);
        }
    });

    product_config_ = std::move(config);
    RecordChannel();

    std::u16string install_parent = ::GetInstallParent(u"", product_config_);
    if (!install_parent.empty()) install_parent_ = install_parent;

    std::u16string client_sign = GetClientSign(product_config_.ProductBrand);
    if (statistics_) {
        platform::RegistryKey channel_key;
        std::u16string default_channel;
        if (channel_key.Open(platform::RegistryHive::kLocalMachine, kChannelKey,
                             platform::RegistryView::k32Bit)) {
            default_channel = Utf8ToUtf16(channel_key.ReadString("").value_or(""));
        }
        statistics_->SetStatText("product_id", product_config_.ProductID);
        statistics_->SetStatText("client_sign", client_sign);
        statistics_->SetStatText("channel", product_config_.Channel);
        statistics_->SetStatText("defchannel", default_channel);
        statistics_->SetStatText("scene_code", product_config_.SceneCode);
        statistics_->PostSeriesInfo(Utf16ToUtf8(product_config_.ProductID), Utf16ToUtf8(client_sign));
    }
    return true;
}

// HKLM Software\IxrCX\ (32-bit view): its default value keeps the first channel ever recorded on this
// machine; the value named after the application (or product) holds this product's channel.
void IxoMgr::RecordChannel() {
    platform::RegistryKey key;
    if (!key.Create(platform::RegistryHive::kLocalMachine, kChannelKey, platform::RegistryView::k32Bit))
        return;
    if (!key.ReadString("")) key.WriteString("", Utf16ToUtf8(product_config_.Channel));
    const std::u16string& name =
        product_config_.AppID.empty() ? product_config_.ProductID : product_config_.AppID;
    key.WriteString(Utf16ToUtf8(name), Utf16ToUtf8(product_config_.Channel));
}
