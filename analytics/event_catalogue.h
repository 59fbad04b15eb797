// The program's analytics events, one function each. Every function builds the event's properties and
// queues it on the process-wide tracker; none waits for the network. Texts are UTF-8. Safe from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace analytics {

// "downloader_pop": a page or dialog was shown.
void SendPopEvent(const std::string& pop_name);

// "downloader_click": a button was pressed. "button" only when not empty, "progress_rate" only when not 0.
void SendClickEvent(const std::string& pop_name, const std::string& button, int64_t progress_rate = 0);

// "downloader_click" with "pop_name" = "downloader_cover": the answer to the "already installed" question.
void SendCoverClickEvent(const std::string& cover_version, const std::string& button);

struct ConfigEvent {
    std::string name;      // the product name of the server runtime configuration
    std::string exe_name;  // its process name
    int64_t pkg_size = 0;
    std::string pkg_url;
    std::string pkg_md5;
    std::string x64_pkg_url;
    std::string x64_pkg_md5;
    std::string arm64_pkg_url;
    std::string arm64_pkg_md5;
    int64_t error_code = 0;  // the transfer's result; "error_msg" is its text
};
// "downloader_config": the server runtime configuration was read, or its request failed.
void SendConfigEvent(const ConfigEvent& event);

// "downloader_dns": a download host was resolved to `ip` (the addresses as the resolver's log line gives
// them).
void SendDnsEvent(const std::string& domain, const std::string& ip);

struct DownloadEvent {
    std::string type;   // the task's kind name: "donet", "depend" or "product"
    std::string state;  // "begin", "running", "finish"
    std::string domain;
    int64_t resumedown = 0;
    int64_t times = 0;
    int64_t speed = 0;
    int64_t duration = 0;
    int64_t error_code = 0;  // the download result; "error_msg" is its text
    int64_t thread = 0;
    int64_t buffer = 0;
};
// "downloader_download": a download phase began, runs or ended.
void SendDownloadEvent(const DownloadEvent& event);

struct InstallEvent {
    std::string type;
    std::string state;  // "begin", "finish"
    int64_t times = 0;
    int64_t speed = 0;
    int64_t duration = 0;
    int64_t error_code = 0;  // the installer's exit code; "error_msg" is its text
};
// "downloader_install": an installer began or finished. "is_first_install" is the first-install flag below.
void SendInstallEvent(const InstallEvent& event);

// "downloader_crash": the crash handler's record ("error_msg" is always empty).
void SendCrashEvent(const std::string& crash_address, const std::string& crash_offset,
                    const std::string& crash_file_name, const std::string& crash_section, int64_t error_code);

// "start_product": the product was started with the shell's result `error_code`.
void SendStartProductEvent(int64_t error_code);

// "redeem_failed": applying the retention offer failed.
void SendRedeemFailedEvent(const std::string& page, int64_t error);

// Any other event ("pop_view", "downloader_web", "downloader_startup", "language_changed",
// "installation_folder_changed"), with one string property when `key` is not empty.
void SendEvent(const std::string& event_name, const std::string& key = std::string(),
               const std::string& value = std::string());

// Whether this run installs the product for the first time: set at start, cleared by the orchestrator
// when it finds the product installed.
void SetFirstInstall(bool first_install);
bool IsFirstInstall();

}  // namespace analytics
