#include "analytics/event_catalogue.h"

#include <atomic>

#include "analytics/analytics_tracker.h"
#include "system/result_texts.h"

namespace analytics {
namespace {

std::atomic<bool> g_first_install{true};

void Queue(const std::string& event_name, CProperties properties) {
    CAnalyticsTracker::Instance().Queue(event_name, std::move(properties));
}

}  // namespace

void SendPopEvent(const std::string& pop_name) {
    CProperties properties;
    properties.SetString("pop_name", pop_name);
    Queue("downloader_pop", std::move(properties));
}

void SendClickEvent(const std::string& pop_name, const std::string& button, int64_t progress_rate) {
    CProperties properties;
    properties.SetString("pop_name", pop_name);
    if (!button.empty()) properties.SetString("button", button);
    if (progress_rate != 0) properties.SetInteger("progress_rate", progress_rate);
    Queue("downloader_click", std::move(properties));
}

void SendCoverClickEvent(const std::string& cover_version, const std::string& button) {
    CProperties properties;
    properties.SetString("pop_name", "downloader_cover");
    properties.SetString("cover_version", cover_version);
    properties.SetString("button", button);
    Queue("downloader_click", std::move(properties));
}

void SendConfigEvent(const ConfigEvent& event) {
    CProperties properties;
    properties.SetString("name", event.name);
    properties.SetString("exe_name", event.exe_name);
    properties.SetInteger("pkg_size", event.pkg_size);
    properties.SetString("pkg_url", event.pkg_url);
    properties.SetString("pkg_md5", event.pkg_md5);
    properties.SetString("x64_pkg_url", event.x64_pkg_url);
    properties.SetString("x64_pkg_md5", event.x64_pkg_md5);
    properties.SetString("arm64_pkg_url", event.arm64_pkg_url);
    properties.SetString("arm64_pkg_md5", event.arm64_pkg_md5);
    properties.SetInteger("error_code", event.error_code);
    properties.SetString("error_msg", TransferErrorText(static_cast<int>(event.error_code)));
    Queue("downloader_config", std::move(properties));
}

void SendDnsEvent(const std::string& domain, const std::string& ip) {
    CProperties properties;
    properties.SetString("domain", domain);
    properties.SetString("ip", ip);
    Queue("downloader_dns", std::move(properties));
}

void SendDownloadEvent(const DownloadEvent& event) {
    CProperties properties;
    properties.SetString("type", event.type);
    properties.SetString("state", event.state);
    properties.SetString("domain", event.domain);
    properties.SetInteger("resumedown", event.resumedown);
    properties.SetInteger("times", event.times);
    properties.SetInteger("speed", event.speed);
    properties.SetInteger("duration", event.duration);
    properties.SetInteger("error_code", event.error_code);
    properties.SetString("error_msg", DownloadResultText(static_cast<int>(event.error_code)));
    properties.SetInteger("thread", event.thread);
    properties.SetInteger("buffer", event.buffer);
    Queue("downloader_download", std::move(properties));
}

void SendInstallEvent(const InstallEvent& event) {
    CProperties properties;
    properties.SetString("type", event.type);
    properties.SetString("state", event.state);
    properties.SetInteger("times", event.times);
    properties.SetInteger("speed", event.speed);
    properties.SetInteger("duration", event.duration);
    properties.SetInteger("error_code", event.error_code);
    properties.SetString("error_msg", InstallerExitText(static_cast<int>(event.error_code)));
    properties.SetInteger("is_first_install", IsFirstInstall() ? 1 : 0);
    Queue("downloader_install", std::move(properties));
}

void SendCrashEvent(const std::string& crash_address, const std::string& crash_offset,
                    const std::string& crash_file_name, const std::string& crash_section,
                    int64_t error_code) {
    CProperties properties;
    properties.SetString("crashaddr", crash_address);
    properties.SetString("crashoffset", crash_offset);
    properties.SetString("crashfilename", crash_file_name);
    properties.SetString("crashsection", crash_section);
    properties.SetInteger("error_code", error_code);
    properties.SetString("error_msg", "");
    Queue("downloader_crash", std::move(properties));
}

void SendStartProductEvent(int64_t error_code) {
    CProperties properties;
    properties.SetInteger("error_code", error_code);
    properties.SetString("error_msg", ShellErrorText(static_cast<int>(error_code)));
    Queue("start_product", std::move(properties));
}

void SendRedeemFailedEvent(const std::string& page, int64_t error) {
    CProperties properties;
    properties.SetString("page", page);
    properties.SetInteger("error", error);
    Queue("redeem_failed", std::move(properties));
}

void SendEvent(const std::string& event_name, const std::string& key, const std::string& value) {
    CProperties properties;
    if (!key.empty()) properties.SetString(key, value);
    Queue(event_name, std::move(properties));
}

void SetFirstInstall(bool first_install) {
    g_first_install = first_install;
}

bool IsFirstInstall() {
    return g_first_install;
}

}  // namespace analytics
