#include "app/ixo_mgr.h"

#include "downloader/downloader_manager.h"
#include "formats/utf_conversion.h"
#include "platform/clipboard.h"
#include "platform/file_system.h"
#include "platform/machine.h"
#include "system/simple_log.h"
#include "system/system_folders.h"

IxoMgr& IxoMgr::Instance() {
    static IxoMgr instance;
    return instance;
}

IxoMgr::IxoMgr() {
    is_64bit_ = platform::IsSystem64Bit();
    is_arm64_ = is_64bit_ && platform::IsNativeArm64();
    ProgramFilesFolders program_files = GetProgramFilesFolders();
    install_parent_ = is_64bit_ ? program_files.native : program_files.x86;
    clipboard_reader_ = platform::ReadClipboardText;
    engine_ = std::make_unique<ns_IXD::DownloaderManager>();
    engine_->SetCallBack(this);
}

IxoMgr::~IxoMgr() {
    CancelAllDownloads();
    engine_.reset();
}

void IxoMgr::SetEngineForTesting(std::unique_ptr<ns_IXD::IDownloaderManager> engine) {
    if (engine_) CancelAllDownloads();
    engine_ = std::move(engine);
    if (engine_) engine_->SetCallBack(this);
}

std::vector<DownTask> IxoMgr::GetTasksSnapshot() const {
    std::lock_guard guard(task_lock_);
    return tasks_;
}

void IxoMgr::ReadRunConfig() {
    if (run_config_path_.empty()) return;
    WriteLog(kLogInfo, "[INFO] ReadRunConfig");
    ReadRunConfigFile(run_config_path_, run_config_);
    resume_ = IsResumeStatus(run_config_.Status);
}

void IxoMgr::WriteRunConfig() {
    if (fork_mode_ || run_config_path_.empty()) return;
    WriteLog(kLogInfo, "[INFO] WriteRunConfig");
    std::lock_guard guard(run_config_file_lock_);
    WriteRunConfigFile(run_config_path_, run_config_);
}

void IxoMgr::DeleteRunConfig() {
    resume_ = false;
    if (fork_mode_ || run_config_path_.empty()) return;
    std::lock_guard guard(run_config_file_lock_);
    platform::DeleteFile(Utf16ToUtf8(run_config_path_));
}

void IxoMgr::SetSelectLang(const std::u16string& display_name) {
    if (display_name.empty()) return;
    run_config_.SelectLang = display_name;
    WriteLog(kLogInfo, "[INFO] set select lang=[%s].", Utf16ToUtf8(display_name).c_str());
}

void IxoMgr::SetArchitectureForTesting(bool is_64bit, bool is_arm64) {
    is_64bit_ = is_64bit;
    is_arm64_ = is_64bit && is_arm64;
}

void IxoMgr::SetClipboardReaderForTesting(std::function<std::optional<std::string>()> reader) {
    clipboard_reader_ = reader ? std::move(reader) : platform::ReadClipboardText;
}

void IxoMgr::ResetForTesting() {
    ProgramFilesFolders program_files = GetProgramFilesFolders();
    install_parent_ = is_64bit_ ? program_files.native : program_files.x86;
    product_config_ = ProductConfig();
    run_config_ = RunConfig();
    working_folder_.clear();
    run_config_path_.clear();
    resume_ = false;
    fork_mode_ = false;
    host_version_.clear();
    host_window_ = 0;
    main_window_ = 0;
    server_config_ = ServerRuntimeConfig();
    banner_page_.clear();
    thank_you_page_.clear();
    license_page_.clear();
    language_list_.clear();
    install_time_ = 0;
    dotnet_min_version_.clear();
    dotnet_url_.clear();
    tasks_.clear();
    notify_handler_ = nullptr;
    fork_companion_ = false;
    first_retry_time_ = 0;
    package_size_ = 0;
    host_info_path_.clear();
    services_ = OrchestratorServices();
    statistics_ = nullptr;
    fork_starter_ = nullptr;
    package_size_probe_ = nullptr;
    std::lock_guard guard(sets_lock_);
    md5_confirmed_.clear();
    reported_errors_.clear();
}
