// IxoMgr: preparing the run's task list from the product and server configurations, and the effective
// values that the window reads.
#include <algorithm>
#include <cstdlib>

#include "app/ixo_mgr.h"
#include "downloader/http_request.h"
#include "formats/utf_conversion.h"
#include "platform/child_process.h"
#include "platform/file_system.h"
#include "platform/resources.h"
#include "system/dotnet_check.h"
#include "system/identifiers.h"
#include "system/installed_products.h"
#include "system/process_launch.h"
#include "system/simple_log.h"
#include "system/system_folders.h"

namespace {

constexpr int kDotNetCheckerResource = 105;
constexpr int kDotNetCheckerConfigResource = 109;
constexpr int32_t kDefaultInstallTime = 240;

int32_t ToInt32(const std::u16string& text) {
    return int32_t(std::strtol(Utf16ToUtf8(text).c_str(), nullptr, 10));
}

int64_t ToInt64(const std::u16string& text) {
    return int64_t(std::strtoll(Utf16ToUtf8(text).c_str(), nullptr, 10));
}

const std::u16string& Either(const std::u16string& server, const std::u16string& local) {
    return server.empty() ? local : server;
}

}  // namespace

void IxoMgr::PrepareDown() {
    WriteLog(kLogInfo, "[INFO] PrepareDown");
    if (services_.server_config) services_.server_config->LoadServerXml(server_config_, product_config_);
    if (services_.redeem) {
        services_.redeem->QueryOffer(Utf16ToUtf8(GetClientSign(product_config_.ProductBrand)),
                                     ToInt32(product_config_.ProductID), Utf16ToUtf8(GetModuleVersion()));
    }

    if (!server_config_.netfx_minver.empty() && !server_config_.netfxlite_url.empty()) {
        dotnet_min_version_ = server_config_.netfx_minver;
        dotnet_url_ = server_config_.netfxlite_url;
    } else if (!product_config_.Dotnetminver.empty() && !product_config_.Dotneturl.empty()) {
        dotnet_min_version_ = product_config_.Dotnetminver;
        dotnet_url_ = product_config_.Dotneturl;
    } else {
        dotnet_min_version_.clear();
        dotnet_url_.clear();
    }

    if (!IsDotNetReady()) {
        DownTask task;
        task.id = kDotNetTaskId;
        task.kind = kTaskDotNet;
        task.product_name = u".NET Framework";
        task.url = dotnet_url_;
        task.save_folder = working_folder_;
        tasks_.push_back(task);
    }
    if (services_.statistics) services_.statistics->SetStatText("dotnetver", dotnet_min_version_);

    BuildProductAndDepentTask();

    thank_you_page_ = product_config_.InstallUrl;
    const std::u16string& server_install_url = server_config_.install_url;
    if (!server_install_url.empty()) {
        if (product_config_.InstallUrlOnlyLocal == u"0") {
            thank_you_page_ = server_install_url;
        } else if (size_t at = server_install_url.find(u"back_url="); at != std::u16string::npos) {
            thank_you_page_ = server_install_url.substr(0, at + 9) + product_config_.InstallUrl;
        }
    }
    banner_page_ = Either(server_config_.banner_url, product_config_.BannerImg);
    license_page_ = Either(server_config_.oiap_url, product_config_.Url_License);
    language_list_ = Either(server_config_.languages, product_config_.Languages);
    install_time_ = ToInt32(product_config_.InstallTime);
    if (install_time_ < 120 || install_time_ > 600) install_time_ = kDefaultInstallTime;

    std::u16string installed =
        GetInstalledValue(product_config_.ProductBrand, product_config_.ProductID, u"Version");
    if (installed.empty()) installed = GetUninstallVersion(product_config_.ProductID);
    if (!installed.empty()) {
        WriteLog(kLogInfo, "[INFO] pid=[%d] already install version=[%s].",
                 ToInt32(product_config_.ProductID), Utf16ToUtf8(installed).c_str());
        if (services_.analytics) services_.analytics->SetFirstInstall(false);
    }
}

bool IxoMgr::Uses64BitPackage() const {
    if (!is_64bit_) return false;
    for (const DependentItem& item : product_config_.Dependents) {
        if (item.Url_Downx64.empty()) return false;
    }
    bool has_x64 = !product_config_.DownUrlX64.empty() || !server_config_.download_url_x64.empty();
    return has_x64 || (is_arm64_ && HasArm64Address());
}

bool IxoMgr::HasArm64Address() const {
    return !product_config_.DownUrlArm64.empty() || !server_config_.download_url_arm64.empty();
}

void IxoMgr::BuildProductAndDepentTask() {
    bool use_64bit = Uses64BitPackage();
    const char* bits = use_64bit ? "64" : "32";
    WriteLog(kLogInfo, "[INFO] BuildProductAndDepentTask, bit=[%s] package.", bits);

    ProgramFilesFolders program_files = GetProgramFilesFolders();
    install_parent_ = use_64bit ? program_files.native : program_files.x86;
    if (services_.statistics) services_.statistics->SetStatText("downpackagebits", Utf8ToUtf16(bits));
    if (std::u16string parent = GetInstallParent(); !parent.empty()) install_parent_ = parent;

    int32_t startup_product = ToInt32(product_config_.StartupProduct);
    if (startup_product == 0) {
        product_config_.StartupProduct = product_config_.ProductID;
        startup_product = ToInt32(product_config_.ProductID);
    }
    if (services_.statistics) services_.statistics->SetStatNumber("startupproduct", startup_product);

    DownTask product;
    product.id = ToInt32(product_config_.ProductID);
    product.kind = kTaskProduct;
    std::u16string md5;
    std::u16string alternate;
    if (!use_64bit) {
        product.url = server_config_.download_url;
        md5 = server_config_.md5;
        alternate = server_config_.history_md5_32;
        product.expected_size = ToInt64(server_config_.filesize);
        if (product.url.empty() || product_config_.DownUrlOnlyLocal == u"1") {
            WriteLog(kLogInfo, "[INFO] BuildProductAndDepentTask, use local x86 down url.");
            product.url = product_config_.DownUrl;
        }
    } else if (is_arm64_ && HasArm64Address()) {
        product.url = server_config_.download_url_arm64;
        md5 = server_config_.md5_arm64;
        alternate = server_config_.history_md5_arm64;
        if (product.url.empty() || product_config_.DownUrlArm64OnlyLocal == u"1") {
            WriteLog(kLogInfo, "[INFO] BuildProductAndDepentTask, use local arm64 down url.");
            product.url = product_config_.DownUrlArm64;
        }
    } else {
        product.url = server_config_.download_url_x64;
        md5 = server_config_.md5_64;
        alternate = server_config_.history_md5_64;
        if (product.url.empty() || product_config_.DownUrlX64OnlyLocal == u"1") {
            WriteLog(kLogInfo, "[INFO] BuildProductAndDepentTask, use local x64 down url.");
            product.url = product_config_.DownUrlX64;
        }
        if (product.url.empty()) {
            WriteLog(kLogWarn, "[WARN] BuildProductAndDepentTask, x64 url empty, back to x86.");
            product.url = server_config_.download_url;
            if (product.url.empty()) {
                product.url = product_config_.DownUrl;
                WriteLog(kLogWarn, "[WARN] BuildProductAndDepentTask, use local x86 down url.");
            }
            if (!server_config_.md5.empty() || !server_config_.history_md5_32.empty()) {
                md5 = server_config_.md5 + u"," + server_config_.history_md5_32;
            }
        }
    }

    package_size_ =
        package_size_probe_ ? package_size_probe_(product.url) : ns_IXD::ProbeContentLength(product.url);
    WriteLog(kLogInfo, "[INFO] query package size=[%llu] by domain_url.", (unsigned long long)package_size_);
    bool folder_switched = false;
    if (package_size_ == 0) {
        WriteLog(kLogInfo, "[INFO] save the package on the max free disk.");
        working_folder_ = ::GetWorkingFolder(product_config_.ProductBrand, true, Places());
        folder_switched = true;
    }

    bool kept_left_over = false;
    if (resume_ && !run_config_.TmpPackagePath.empty()) {
        std::string left_over = Utf16ToUtf8(run_config_.TmpPackagePath);
        if (std::optional<int64_t> size = platform::GetFileSize(left_over)) {
            if (*size < package_size_) {
                WriteLog(kLogInfo, "[INFO] delete old temp package.");
                platform::DeleteFile(left_over);
            } else {
                kept_left_over = true;
            }
        }
    }
    if (!kept_left_over && !folder_switched) UpdateSaveFolder();

    // The comma stays even when the alternate digest is empty: the engine reads the list as it is.
    product.md5_list = md5 + u"," + alternate;
    product.alternate_md5 = alternate;
    product.save_folder = working_folder_;
    product.expected_version = server_config_.version;
    product.product_name = product_config_.ProductName;
    product.executable = product_config_.ProductExe;
    product.argument = product_config_.ProductArg;
    product.platform_base = product_config_.ServerHost;
    product.install_argument = product_config_.ProductInstallArg;
    product.compatibility_layer = product_config_.ProductInsCmple;
    product.scene_code = product_config_.SceneCode;
    product.startup = product.id == startup_product;
    if (!fork_mode_) tasks_.push_back(product);

    for (const DependentItem& item : product_config_.Dependents) {
        DownTask task;
        task.id = ToInt32(item.ProductID);
        task.kind = kTaskDependent;
        std::u16string item_md5 = use_64bit ? item.md5_64 : item.md5;
        std::u16string item_alternate = use_64bit ? item.history_md5_64 : item.history_md5_32;
        task.url = use_64bit ? item.Url_Downx64 : item.Url_Down;
        task.md5_list = !item_md5.empty() && !item_alternate.empty() ? item_md5 + u"," + item_alternate
                                                                     : item_md5 + item_alternate;
        task.alternate_md5 = item_alternate;
        task.mandatory = item.ForceInstall == u"true";
        task.expected_size = ToInt64(item.filesize);
        task.save_folder = working_folder_;
        task.product_name = item.ProductName;
        task.executable = item.ProductExe;
        task.argument = item.ProductArg;
        task.install_argument = item.ProductInstallArg;
        task.compatibility_layer = item.ProductInsCmple;
        task.startup = task.id == startup_product;
        if (task.id == kCompanionProductId && IsCompanionInstalled()) {
            WriteLog(kLogInfo, "[INFO] already install ahb.");
            continue;
        }
        if (item.ForkInstall == u"1") {
            fork_companion_ = true;
            if (fork_mode_) tasks_.push_back(task);
        } else if (!fork_mode_) {
            tasks_.push_back(task);
        }
    }
}

bool IxoMgr::IsNotSupportX86() const {
    WriteLog(kLogInfo, "[INFO] IsNotSupportX86 local config = %s",
             Utf16ToUtf8(product_config_.NotSupportWin32).c_str());
    WriteLog(kLogInfo, "[INFO] IsNotSupportX86 server config = %s",
             Utf16ToUtf8(server_config_.not_support_win32).c_str());
    if (!server_config_.not_support_win32.empty()) {
        WriteLog(kLogInfo, "[INFO] IsNotSupportX86 use server judge");
        return server_config_.not_support_win32 == u"1";
    }
    WriteLog(kLogInfo, "[INFO] IsNotSupportX86 use local judge");
    return product_config_.NotSupportWin32 == u"1";
}

std::u16string IxoMgr::GetInstallParent() const {
    return ::GetInstallParent(server_config_.custom_install_path, product_config_);
}

std::u16string IxoMgr::GetWorkingFolder(const std::u16string& brand, bool any_disk) const {
    return ::GetWorkingFolder(brand, any_disk, Places());
}

std::u16string IxoMgr::GetLargestFreeFolder(const std::u16string& brand) const {
    return ::GetLargestFreeFolder(brand, Places());
}

FolderPlaces IxoMgr::Places() const {
    return places_for_testing_ ? *places_for_testing_ : FolderPlaces::OfThisMachine();
}

bool IxoMgr::IsDotNetReady() {
    if (dotnet_min_version_.empty()) return true;
    bool ready = IsDotNetVersionPresent(dotnet_min_version_);
    if (dotnet_min_version_ != u"2.0") return ready;

    std::optional<std::string_view> checker = platform::FindResource("EXE", kDotNetCheckerResource);
    std::optional<std::string_view> checker_config =
        platform::FindResource("XML", kDotNetCheckerConfigResource);
    std::string program = Utf16ToUtf8(working_folder_) + "NFWCHK.exe";
    std::string config = program + ".config";
    ready = checker && checker_config && platform::WriteFileAtomically(program, std::string(*checker)) &&
            platform::WriteFileAtomically(config, std::string(*checker_config)) &&
            platform::MakeExecutable(program) && RunHidden(u"\"" + Utf8ToUtf16(program) + u"\"");
    platform::DeleteFile(program);
    platform::DeleteFile(config);
    return ready;
}

std::u16string IxoMgr::GetDisplayName() const {
    return Either(server_config_.name, product_config_.ProductName);
}

std::u16string IxoMgr::GetUserAgreementPage() const {
    return Either(server_config_.user_agreement_url, product_config_.UserAgreementUrl);
}

std::u16string IxoMgr::GetPrivacyPage() const {
    return Either(server_config_.privacy_agreement_url, product_config_.PrivacyAgreementUrl);
}

std::u16string IxoMgr::GetExpectedProductVersion() const {
    int32_t kind = fork_mode_ ? kTaskDependent : kTaskProduct;
    auto task =
        std::find_if(tasks_.begin(), tasks_.end(), [kind](const DownTask& t) { return t.kind == kind; });
    return task == tasks_.end() ? std::u16string() : task->package_version;
}
