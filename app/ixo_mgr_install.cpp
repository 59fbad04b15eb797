// IxoMgr: the installers' command lines and running the installers of one phase.
#include <ctime>

#include "app/install_command_line.h"
#include "app/ixo_mgr.h"
#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "system/process_launch.h"
#include "system/simple_log.h"
#include "system/system_folders.h"

namespace {

constexpr char kCompatibilityLayersKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers\\";

int64_t Now() {
    return int64_t(std::time(nullptr));
}

// The layer is kept for the package in both registry views, as whichever view the installer reads decides.
void SetCompatibilityLayer(const std::u16string& package_path, const std::u16string& layer) {
    for (platform::RegistryView view : {platform::RegistryView::k64Bit, platform::RegistryView::k32Bit}) {
        platform::RegistryKey key;
        if (key.Create(platform::RegistryHive::kLocalMachine, kCompatibilityLayersKey, view)) {
            key.WriteString(Utf16ToUtf8(package_path), Utf16ToUtf8(layer));
        }
    }
}

}  // namespace

void IxoMgr::BuildInstallPara(const std::u16string& language_code) {
    // Without the user's choice the default parent stands in: an empty one would make the folders relative
    // to whatever the current folder happens to be.
    const std::u16string& parent = run_config_.InstallPath.empty() ? install_parent_ : run_config_.InstallPath;
    std::u16string product_folder =
        parent + product_config_.ProductBrand + u"/" + product_config_.ProductName + u"/";
    std::u16string dependent_folder;
    for (const DownTask& task : tasks_) {
        if (task.kind == kTaskDependent && task.startup)
            dependent_folder = parent + product_config_.ProductBrand + u"/" + task.product_name + u"/";
    }

    InstallLineContext context;
    context.language_code = language_code;
    context.temp_folder = GetTempFolder();
    context.window = main_window_;
    context.privacy_post = product_config_.PrivacyPost == u"1";
    context.clipboard_value = product_config_.ClipboardValue;
    context.fork_mode = fork_mode_;
    context.host_info_path = host_info_path_;

    for (DownTask& task : tasks_) {
        if (task.kind == kTaskProduct) {
            WriteLog(kLogInfo, "[INFO] BuildInstallPara, product startup=[%d].", task.startup ? 1 : 0);
            task.install_folder = task.startup ? product_folder : dependent_folder;
            if (services_.statistics)
                services_.statistics->SetInstallerLogPath(InstallerLogPath(context.temp_folder, task.id));
            task.executable_path = task.install_folder + task.executable;
            task.command_line = BuildProductInstallLine(task, task.install_folder, context);
            if (!task.install_argument.empty()) {
                WriteLog(kLogInfo, "[INFO] BuildInstallPara product arg.");
                if (services_.statistics) services_.statistics->SetStatText("token", task.install_argument);
            }
        } else if (task.kind == kTaskDependent) {
            WriteLog(kLogInfo, "[INFO] BuildInstallPara dependent startup=[%d].", task.startup ? 1 : 0);
            if (task.startup) {
                task.install_folder = dependent_folder;
                task.executable_path = task.install_folder + task.executable;
            }
            task.command_line = BuildDependentInstallLine(task, task.install_folder, context);
            if (!task.install_argument.empty()) {
                WriteLog(kLogInfo, "[INFO] BuildInstallPara dependent arg.");
                if (services_.statistics) services_.statistics->SetStatText("token", task.install_argument);
            }
        } else {
            WriteLog(kLogInfo, "[INFO] BuildInstallPara, common.");
            task.command_line = kDotNetInstallLine;
            task.install_folder.clear();
        }
    }
}

bool IxoMgr::InstallTask(int32_t kind) {
    int32_t of_kind = 0;
    int32_t finished = 0;
    for (DownTask& task : tasks_) {
        if (task.kind != kind) continue;
        ++of_kind;
        if (task.download_state == kStateDone && task.install_state == kStateNotStarted) {
            RunInstaller(task, finished);
        }
        if (IsInstallFinished(task)) ++finished;
    }
    return finished == of_kind;
}

bool IxoMgr::IsInstallFinished(const DownTask& task) {
    if (task.install_state == kStateDone) return true;
    return task.kind == kTaskDependent && !task.mandatory &&
           (task.download_state == kStateFailed || task.install_state == kStateFailed);
}

void IxoMgr::RunInstaller(DownTask& task, int32_t finished_before) {
    WriteLog(kLogInfo, "[INFO] IxoMgr InstallTask pid: %d", task.id);
    if (task.install_attempt_count == 0 && services_.analytics) {
        TaskEvent download;
        download.type = TaskKindName(task.kind);
        download.state = "finish";
        int64_t seconds = task.download_end - task.download_start;
        download.speed = seconds > 0 ? task.total_size / seconds : 0;
        services_.analytics->SendDownloadEvent(download);
        TaskEvent install;
        install.type = TaskKindName(task.kind);
        install.state = "begin";
        services_.analytics->SendInstallEvent(install);
        services_.analytics->SendPopEvent("installing");
    }

    task.install_start = Now();
    task.install_state = kStateRunning;
    if (!task.compatibility_layer.empty()) SetCompatibilityLayer(task.package_path, task.compatibility_layer);

    int code = RunExe(task.package_path, task.command_line, false);
    task.exit_code = code;
    WriteLog(kLogInfo, "[INFO] IxoMgr InstallTask res: %d", code);
    task.install_end = Now();

    int32_t passed_on = code;
    if (code == 0) {
        task.install_state = kStateDone;
    } else {
        if (services_.statistics)
            services_.statistics->SetStatNumber("install_err_" + std::to_string(task.id), code);
        // A .NET installer that keeps failing usually means the framework is there in another form: the
        // product is tried all the same.
        if (task.id == kDotNetTaskId && task.install_attempt_count > 1) {
            task.install_state = kStateDone;
            passed_on = 0;
        } else {
            task.install_state = kStateFailed;
        }
        if (!IsMd5Confirmed(task.id)) platform::DeleteFile(Utf16ToUtf8(task.package_path));
    }

    if (task.install_state == kStateDone && services_.analytics) {
        TaskEvent install;
        install.type = TaskKindName(task.kind);
        install.state = "finish";
        install.duration = task.install_end - task.install_start;
        install.times = task.install_attempt_count + 1;
        install.error_code = passed_on;
        services_.analytics->SendInstallEvent(install);
    }
    if (task.install_state == kStateFailed && CountReportedError(code + kInstallErrorKeyBase) &&
        services_.statistics) {
        services_.statistics->AutoReportErrorLog(
            true, "pid=" + std::to_string(task.id) + ", install err=" + std::to_string(code));
    }
    WriteLog(kLogInfo, "[INFO] IxoMgr InstallTask: %d, %d, %d, %d, %d",
             finished_before + (IsInstallFinished(task) ? 1 : 0), task.kind, task.mandatory ? 1 : 0,
             task.download_state, task.install_state);
    if (notify_handler_) notify_handler_->OnInstall(task, passed_on);
}
