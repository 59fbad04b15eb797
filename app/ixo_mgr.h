// The orchestrator: one process-wide object that holds the run's state outside the window.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/config_statistics.h"
#include "app/down_task.h"
#include "app/install_folders.h"
#include "app/ixo_notify_handler.h"
#include "app/orchestrator_services.h"
#include "app/product_config.h"
#include "app/run_config.h"
#include "app/server_runtime_config.h"
#include "downloader/downloader_interfaces.h"
#include "platform/window_messages.h"

using WindowHandle = platform::WindowHandle;

// The engine calls the IDownloaderManagerCallBack operations on the download thread of the task concerned;
// the window calls the rest from its workers (preparation, download, install monitor) and its own thread.
class IxoMgr : public ns_IXD::IDownloaderManagerCallBack {
public:
    static IxoMgr& Instance();

    // Error keys of the reported-error set: one automatic report per key and run.
    static constexpr int32_t kDownloadErrorKeyBase = 1000;
    static constexpr int32_t kInstallErrorKeyBase = 2000;

    // --- Preparation (once, on the window's preparation worker) ---

    // Loads the server runtime configuration, asks for the redeem offer, decides the effective values and
    // builds the task list (.NET Framework, product, dependents).
    void PrepareDown();
    void BuildProductAndDepentTask();
    // The server's not_support_win32 when set, else the configuration's NotSupportWin32, is "1".
    bool IsNotSupportX86() const;
    bool IsCompanionOffered() const { return fork_companion_ && !fork_mode_; }
    std::u16string GetInstallParent() const;
    // The folder rules over this machine's disks (or the test's places).
    std::u16string GetWorkingFolder(const std::u16string& brand, bool any_disk) const;
    std::u16string GetLargestFreeFolder(const std::u16string& brand) const;
    // Whether the effective .NET minimum version (if any) is installed.
    bool IsDotNetReady();

    // Effective values, set by PrepareDown.
    const std::u16string& GetBannerPage() const { return banner_page_; }
    const std::u16string& GetThankYouPage() const { return thank_you_page_; }
    const std::u16string& GetLicensePage() const { return license_page_; }
    const std::u16string& GetLanguageList() const { return language_list_; }
    int32_t GetInstallTime() const { return install_time_; }
    const std::u16string& GetDotNetMinVersion() const { return dotnet_min_version_; }
    const std::u16string& GetDotNetUrl() const { return dotnet_url_; }
    std::u16string GetDisplayName() const;
    std::u16string GetUserAgreementPage() const;
    std::u16string GetPrivacyPage() const;
    // The package version of the product task (in fork mode: of the first dependent); empty before its
    // download completed.
    std::u16string GetExpectedProductVersion() const;
    const ServerRuntimeConfig& GetServerConfig() const { return server_config_; }
    int64_t GetPackageSize() const { return package_size_; }

    // The task list, fixed after PrepareDown. Download fields are written by download threads while a task
    // downloads: GetTasksSnapshot reads them consistently.
    std::vector<DownTask>& Tasks() { return tasks_; }
    std::vector<DownTask> GetTasksSnapshot() const;
    DownTask* FindTask(int32_t id);

    // --- Download phases (window workers) ---

    void StartDownTask(int32_t kind);
    // Downloads the task again; a package that passed its MD5 check and still exists is only installed again.
    void RetryDownTask(int32_t id);
    void CancelAllDownloads();
    // Stops every task of the engine; called when the message loop has ended.
    void StopDownloadEngine();
    // Whether the disk of `folder` can take the installation: the package size, or with the margin four
    // times the package size, five times when the working folder is on the same disk. A package size of 0
    // (unknown) always passes.
    bool CheckInstallSpace(const std::u16string& folder, bool with_margin) const;
    void UpdateSaveFolder();
    // Fills the statistics record from the task list; true when the list is not empty.
    bool CompleteRunStatistics();
    bool IsMd5Confirmed(int32_t id) const;
    // How often the error key was met (0: never).
    int32_t GetReportedErrorCount(int32_t key) const;

    // --- Installation (window's install monitor) ---

    // Builds every task's install folder, installer command line and executable path.
    void BuildInstallPara(const std::u16string& language_code);
    // Runs the installers of the downloaded, not yet installed tasks of the kind, one after another; true
    // when every task of the kind counts as finished.
    bool InstallTask(int32_t kind);

    // --- Engine callbacks (download threads) ---

    void OnFileName(int32_t task_id, const char16_t* file_name) override;
    void OnFileSize(int32_t task_id, int64_t size) override;
    void OnProgress(int32_t task_id, int64_t downloaded, int64_t total, int32_t speed) override;
    void OnComplete(int32_t task_id) override;
    void OnError(int32_t task_id, int32_t result) override;
    void OnConnection(int32_t task_id, int32_t reserved, int32_t kind, int64_t value) override;
    void OnStart(int32_t task_id) override;
    void OnAddressUsed(int32_t task_id, const char* ip) override;
    void OnRetry(int32_t task_id, int32_t attempt) override;
    void OnAttemptEnd(int32_t task_id, int32_t attempt, int32_t result) override;
    void OnFileMd5(int32_t task_id, const char* md5) override;
    void OnMd5Match(int32_t task_id) override;
    void OnFileOperationFailed(int32_t task_id, int32_t operation, int32_t error) override;
    void OnGetInfoFailed(int32_t task_id, int32_t error) override;
    void OnDnsCacheCleared(int32_t task_id, int32_t value) override;
    void OnDnsResolved(int32_t task_id, const char* host, const char* ips) override;
    void OnPrepare(int32_t task_id) override;
    void OnDownloadConfig(int32_t task_id, int32_t threads, int32_t buffer_size) override;

    // --- Connections ---

    // The window registers itself when it is constructed (not owned; null disconnects).
    void SetNotifyHandler(IxoNotifyHandler* handler) { notify_handler_ = handler; }
    // The services of later start-up steps; missing ones leave their calls out.
    void ConnectServices(const OrchestratorServices& services) { services_ = services; }
    // Starts the fork-mode copy once every download is complete (connected by the companion install).
    void SetForkStarter(std::function<void()> starter) { fork_starter_ = std::move(starter); }
    // The companion's host information file, handed to its installer in fork mode.
    void SetHostInfoPath(std::u16string path) { host_info_path_ = std::move(path); }

    // Reads the product configuration compiled into the executable (resource "XML" 106), decides the working
    // folder, records the channel and hands the first values to the statistics record. False when the
    // resource is missing, empty, not well-formed or has no Product root.
    bool LoadLocalXml();
    // The same over the given document bytes (UTF-8), for LoadLocalXml and tests.
    bool LoadLocalXmlDocument(std::string_view utf8_document);

    // The run configuration file in the working folder. A missing or broken file leaves the record empty;
    // in fork mode the file is read but never written or deleted. Write and delete failures are ignored.
    void ReadRunConfig();
    void WriteRunConfig();
    void DeleteRunConfig();
    // Status was "1" when the run configuration was read; cleared when the file is deleted.
    bool IsResume() const { return resume_; }

    // Stores a non-empty language display name as the run configuration's SelectLang.
    void SetSelectLang(const std::u16string& display_name);

    const ProductConfig& GetProductConfig() const { return product_config_; }
    const RunConfig& GetRunConfig() const { return run_config_; }
    RunConfig& EditRunConfig() { return run_config_; }
    const std::u16string& GetWorkingFolder() const { return working_folder_; }
    const std::u16string& GetRunConfigPath() const { return run_config_path_; }
    const std::u16string& GetInstallParentFolder() const { return install_parent_; }
    bool Is64BitSystem() const { return is_64bit_; }
    bool IsArm64System() const { return is_arm64_; }

    // Start-up state, written once on the main thread before the window exists.
    void SetForkMode(bool fork) { fork_mode_ = fork; }
    bool IsForkMode() const { return fork_mode_; }
    void SetHostVersion(std::u16string version) { host_version_ = std::move(version); }
    const std::u16string& GetHostVersion() const { return host_version_; }
    void SetHostWindow(WindowHandle window) { host_window_ = window; }
    WindowHandle GetHostWindow() const { return host_window_; }
    void SetMainWindow(WindowHandle window) { main_window_ = window; }
    WindowHandle GetMainWindow() const { return main_window_; }

    // Connects the statistics record; null (the start) leaves the statistics calls out. Not owned.
    void SetConfigStatistics(IConfigStatistics* statistics) { statistics_ = statistics; }

    // Test hooks: the machine's architecture, its folders and its clipboard as a test wants them, and a
    // fresh record set.
    void SetArchitectureForTesting(bool is_64bit, bool is_arm64);
    void SetFolderPlacesForTesting(std::optional<FolderPlaces> places) {
        places_for_testing_ = std::move(places);
    }
    void SetClipboardReaderForTesting(std::function<std::optional<std::string>()> reader);
    void ResetForTesting();
    // Replaces the engine (null: none); the new one gets this object as its callback.
    void SetEngineForTesting(std::unique_ptr<ns_IXD::IDownloaderManager> engine);
    void SetPackageSizeProbeForTesting(std::function<int64_t(const std::u16string&)> probe) {
        package_size_probe_ = std::move(probe);
    }
    void SetPackageSizeForTesting(int64_t size) { package_size_ = size; }
    void SetWorkingFolderForTesting(std::u16string folder) { working_folder_ = std::move(folder); }
    void SetServerConfigForTesting(const ServerRuntimeConfig& config) { server_config_ = config; }
    void SetProductConfigForTesting(const ProductConfig& config) { product_config_ = config; }

private:
    IxoMgr();
    ~IxoMgr();
    void RecordChannel();
    bool Uses64BitPackage() const;
    bool HasArm64Address() const;
    FolderPlaces Places() const;
    void NotifyProgress();
    // Adds the key to the reported-error set; true when it was not there yet.
    bool CountReportedError(int32_t key);
    static bool IsInstallFinished(const DownTask& task);
    void RunInstaller(DownTask& task, int32_t finished_before);

    ProductConfig product_config_;
    RunConfig run_config_;
    std::u16string working_folder_;
    std::u16string run_config_path_;
    std::u16string install_parent_;
    bool resume_ = false;
    bool is_64bit_ = false;
    bool is_arm64_ = false;
    WindowHandle main_window_ = 0;
    bool fork_mode_ = false;
    std::u16string host_version_;
    WindowHandle host_window_ = 0;
    IConfigStatistics* statistics_ = nullptr;
    std::mutex run_config_file_lock_;  // a download thread and a window worker may both write the file

    std::optional<FolderPlaces> places_for_testing_;
    std::function<std::optional<std::string>()> clipboard_reader_;

    ServerRuntimeConfig server_config_;
    std::u16string banner_page_;
    std::u16string thank_you_page_;
    std::u16string license_page_;
    std::u16string language_list_;
    int32_t install_time_ = 0;
    std::u16string dotnet_min_version_;
    std::u16string dotnet_url_;
    std::vector<DownTask> tasks_;
    std::unique_ptr<ns_IXD::IDownloaderManager> engine_;
    IxoNotifyHandler* notify_handler_ = nullptr;
    bool fork_companion_ = false;
    int64_t first_retry_time_ = 0;
    int64_t package_size_ = 0;
    std::u16string host_info_path_;
    OrchestratorServices services_;
    std::function<void()> fork_starter_;
    std::function<int64_t(const std::u16string&)> package_size_probe_;

    // Download threads write task fields while the window's threads read the sums; each callback holds it
    // only for its own writes, never while it calls the window.
    mutable std::mutex task_lock_;
    // Several download threads add to these two at once.
    mutable std::mutex sets_lock_;
    std::set<int32_t> md5_confirmed_;
    std::map<int32_t, int32_t> reported_errors_;  // error key -> times met
};
