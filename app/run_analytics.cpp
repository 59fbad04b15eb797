#include "app/run_analytics.h"

#include "analytics/event_catalogue.h"

void CRunAnalytics::SendDownloadEvent(const TaskEvent& event) {
    analytics::DownloadEvent download;
    download.type = event.type;
    download.state = event.state;
    download.domain = event.domain;
    download.resumedown = event.resumedown;
    download.times = event.times;
    download.speed = event.speed;
    download.duration = event.duration;
    download.error_code = event.error_code;
    download.thread = event.thread;
    download.buffer = event.buffer;
    analytics::SendDownloadEvent(download);
}

void CRunAnalytics::SendInstallEvent(const TaskEvent& event) {
    analytics::InstallEvent install;
    install.type = event.type;
    install.state = event.state;
    install.times = event.times;
    install.speed = event.speed;
    install.duration = event.duration;
    install.error_code = event.error_code;
    analytics::SendInstallEvent(install);
}

void CRunAnalytics::SendPopEvent(const std::string& pop_name) {
    analytics::SendPopEvent(pop_name);
}

void CRunAnalytics::SendDnsEvent(const std::string& domain, const std::string& ips) {
    analytics::SendDnsEvent(domain, ips);
}

void CRunAnalytics::SetFirstInstall(bool first_install) {
    analytics::SetFirstInstall(first_install);
}
