// What the orchestrator asks of the services that are connected to it at start-up: the server runtime
// configuration, the redeem offer, the install statistics record and the analytics events. A service that
// is not connected (null) leaves its calls out; the orchestrator never makes up what it would have answered.
#pragma once

#include <cstdint>
#include <string>

#include "app/product_config.h"
#include "app/server_runtime_config.h"

class IServerConfigLoader {
public:
    // Fills `server` from the maker's server and lets its dependent items replace those of `product`.
    virtual void LoadServerXml(ServerRuntimeConfig& server, ProductConfig& product) = 0;

protected:
    ~IServerConfigLoader() = default;
};

class IRedeemOffer {
public:
    // Asks for the retention offer of this run (texts UTF-8).
    virtual void QueryOffer(const std::string& client_sign, int32_t product_id,
                            const std::string& version) = 0;

protected:
    ~IRedeemOffer() = default;
};

// The install statistics record. Called from download threads as well as window workers: implementations
// lock.
class IRunStatistics {
public:
    virtual void SetStatText(const std::string& key, const std::u16string& value) = 0;
    virtual void SetStatNumber(const std::string& key, int32_t value) = 0;
    virtual void SetStatNumber64(const std::string& key, int64_t value) = 0;
    virtual void AddCdnAddress(const std::string& address) = 0;
    virtual void AddCdnUrl(const std::string& url) = 0;
    virtual void SetTaskDownloadFailure(int32_t task_id, int32_t result) = 0;
    virtual void SetTaskDownloadTimes(int32_t task_id, int64_t start, int64_t end) = 0;
    virtual void SetTaskInstallTimes(int32_t task_id, int64_t start, int64_t end) = 0;
    virtual void SetTaskPackageVersion(int32_t task_id, const std::u16string& version) = 0;
    virtual void SetInstallerLogPath(const std::u16string& path) = 0;
    // Sends the run's log (with the installer's log when asked) to the maker as an automatic report.
    virtual bool AutoReportErrorLog(bool with_installer_log, const std::string& remark) = 0;

protected:
    ~IRunStatistics() = default;
};

// One "downloader_download" or "downloader_install" event (texts UTF-8).
struct TaskEvent {
    std::string type;   // the task's kind name
    std::string state;  // "begin", "running", "finish"
    std::string domain;
    int64_t resumedown = 0;
    int64_t times = 0;
    int64_t speed = 0;
    int64_t duration = 0;
    int64_t error_code = 0;
    int64_t thread = 0;
    int64_t buffer = 0;
};

class IRunAnalytics {
public:
    virtual void SendDownloadEvent(const TaskEvent& event) = 0;
    virtual void SendInstallEvent(const TaskEvent& event) = 0;
    virtual void SendPopEvent(const std::string& pop_name) = 0;
    virtual void SendDnsEvent(const std::string& domain, const std::string& ips) = 0;
    // Cleared when the product is found installed already.
    virtual void SetFirstInstall(bool first_install) = 0;

protected:
    ~IRunAnalytics() = default;
};

struct OrchestratorServices {
    IServerConfigLoader* server_config = nullptr;
    IRedeemOffer* redeem = nullptr;
    IRunStatistics* statistics = nullptr;
    IRunAnalytics* analytics = nullptr;
};
