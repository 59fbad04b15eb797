// The product configuration compiled into the executable (resource "XML" 106). Every value is text; "1" means
// yes for a switch and the empty string means not configured.
#pragma once

#include <string>
#include <vector>

// A product installed together with the main product.
struct DependentItem {
    std::u16string ProductID;
    std::u16string ProductName;
    std::u16string ProductExe;
    std::u16string ProductArg;
    std::u16string Reserved;  // always empty
    std::u16string ProductInstallArg;
    std::u16string ProductInsCmple;
    std::u16string Url_Down;
    std::u16string Url_Downx64;
    std::u16string Url_Down_arm64;
    std::u16string ForceInstall = u"true";  // "true": mandatory; anything else: optional
    // Digests and size come only from the server's runtime configuration.
    std::u16string md5;
    std::u16string history_md5_32;
    std::u16string md5_64;
    std::u16string history_md5_64;
    std::u16string md5_arm64;
    std::u16string history_md5_arm64;
    std::u16string filesize;
    std::u16string ForkInstall;  // "1": only the fork-mode copy installs it
};

struct ProductConfig {
    std::u16string ProductSkin;
    std::u16string ProductBrand;
    std::u16string ProductName;
    std::u16string ProductExe;
    std::u16string ProductArg;
    std::u16string FoldBottom = u"1";
    std::u16string ServerHost;  // ends in "/" once loaded
    std::u16string ProductInstallArg;
    std::u16string ProductInsCmple;
    std::u16string ProductID;
    std::u16string AppID;
    std::u16string Channel;
    std::u16string DownUrlOnlyLocal;
    std::u16string DownUrl;
    std::u16string DownUrlX64OnlyLocal;    // read only on a 64-bit system
    std::u16string DownUrlX64;
    std::u16string DownUrlArm64OnlyLocal;  // read only on a 64-bit ARM64 system
    std::u16string DownUrlArm64;
    std::u16string Dotnetminver;
    std::u16string Dotneturl;
    std::u16string InstallUrlOnlyLocal;
    std::u16string InstallUrl;
    std::u16string Languages;  // comma-separated display names
    std::u16string Url_License;
    std::u16string InstallTime;
    std::u16string AgreeUserLicense;
    std::u16string CustomInstallPath;
    std::u16string IsAllowInstallAdminPath;
    std::u16string StartupProduct;
    std::u16string Url_Jump;
    std::u16string InstallErrorUrl;
    std::u16string InstallSalvageTitle;
    std::u16string InstallSalvageContent;
    std::vector<DependentItem> Dependents;  // accepted items only, in document order
    std::u16string UserAgreementUrl;
    std::u16string PrivacyAgreementUrl;
    std::u16string NotSupportWin32;
    std::u16string SceneCode;
    std::u16string BannerImg;
    std::u16string AllowRunTimeInstall;
    std::u16string PrivacyPost = u"1";
    std::u16string ClipboardValue;
};
