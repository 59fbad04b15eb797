#include "app/run_statistics_store.h"

#include "services/statistics_store.h"

namespace {

class StoreConnection : public IRunStatistics {
public:
    void SetStatText(const std::string& key, const std::u16string& value) override {
        Store().SetStatText(key, value);
    }
    void SetStatNumber(const std::string& key, int32_t value) override { Store().SetStatNumber(key, value); }
    void SetStatNumber64(const std::string& key, int64_t value) override {
        Store().SetStatNumber64(key, value);
    }
    void AddCdnAddress(const std::string& address) override { Store().AddCdnAddress(address); }
    void AddCdnUrl(const std::string& url) override { Store().AddCdnUrl(url); }
    void SetTaskDownloadFailure(int32_t task_id, int32_t result) override {
        Store().SetTaskDownloadFailure(task_id, result);
    }
    void SetTaskDownloadTimes(int32_t task_id, int64_t start, int64_t end) override {
        Store().SetTaskDownloadTimes(task_id, start, end);
    }
    void SetTaskInstallTimes(int32_t task_id, int64_t start, int64_t end) override {
        Store().SetTaskInstallTimes(task_id, start, end);
    }
    void SetTaskPackageVersion(int32_t task_id, const std::u16string& version) override {
        Store().SetTaskPackageVersion(task_id, version);
    }
    void SetInstallerLogPath(const std::u16string& path) override { Store().SetInstallerLogPath(path); }
    bool AutoReportErrorLog(bool with_installer_log, const std::string& remark) override {
        return Store().AutoReportErrorLog(with_installer_log, remark);
    }

private:
    static StatisticsStore& Store() { return StatisticsStore::Instance(); }
};

}  // namespace

IRunStatistics& RunStatisticsStore() {
    static StoreConnection connection;
    return connection;
}
