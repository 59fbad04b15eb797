#include "app/ixo_mgr.h"

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
}
