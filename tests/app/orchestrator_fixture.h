// What the orchestrator's tests share: a recording engine, statistics record and window, and a fixture that
// gives IxoMgr a private registry, working folder and product configuration.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/ixo_mgr.h"
#include "downloader/downloader_interfaces.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace orchestrator_test {

// Records what the orchestrator asks of the engine; downloads nothing.
class RecordingEngine : public ns_IXD::IDownloaderManager {
public:
    struct Added {
        int32_t id;
        std::u16string url;
        std::u16string md5;
    };
    std::vector<Added> added;
    std::vector<int32_t> removed;

    bool PauseTask(int32_t) override { return false; }
    bool ResumeTask(int32_t) override { return false; }
    int AddTask(const char16_t* url, const char16_t*, const char16_t*, int32_t task_id, const char16_t*,
                const char16_t* md5, int32_t) override {
        added.push_back({task_id, url ? url : u"", md5 ? md5 : u""});
        return task_id;
    }
    bool RemoveTask(int32_t task_id) override {
        removed.push_back(task_id);
        return true;
    }
    bool GetTaskInfo(int32_t, ns_IXD::TaskInfo*) override { return false; }
    bool RemoveTaskIfExists(int32_t) override { return false; }
    bool StopAll() override { return true; }
    void SetNotifyWindow(uint32_t, uint32_t) override {}
    void SetCallBack(ns_IXD::IDownloaderManagerCallBack*) override {}
    std::u16string GetVersion() override { return u""; }
};

// Keeps every value and report the orchestrator hands to the statistics record.
class RecordingStatistics : public IRunStatistics {
public:
    void SetStatText(const std::string& key, const std::u16string& value) override;
    void SetStatNumber(const std::string& key, int32_t value) override { Set(key, std::to_string(value)); }
    void SetStatNumber64(const std::string& key, int64_t value) override { Set(key, std::to_string(value)); }
    void AddCdnAddress(const std::string& address) override { Set("cdn_address:" + address, "1"); }
    void AddCdnUrl(const std::string& url) override { Set("cdn_url:" + url, "1"); }
    void SetTaskDownloadFailure(int32_t id, int32_t result) override {
        Set("download_failure_" + std::to_string(id), std::to_string(result));
    }
    void SetTaskDownloadTimes(int32_t, int64_t, int64_t) override {}
    void SetTaskInstallTimes(int32_t, int64_t, int64_t) override {}
    void SetTaskPackageVersion(int32_t id, const std::u16string& version) override;
    void SetInstallerLogPath(const std::u16string& path) override;
    bool AutoReportErrorLog(bool with_installer_log, const std::string& remark) override;

    std::string Value(const std::string& key) const;
    std::vector<std::string> Reports() const;
    void Clear();

private:
    void Set(const std::string& key, const std::string& value);
    mutable std::mutex lock_;
    std::map<std::string, std::string> values_;
    std::vector<std::string> reports_;
};

// The window's side: every notification as a line, in arrival order.
class RecordingWindow : public IxoNotifyHandler {
public:
    void OnFinished(const DownTask& task, int32_t result) override;
    void OnDownloadProgress(int64_t total, int64_t received, int32_t task_count,
                            int32_t active_count) override;
    void OnInstall(const DownTask& task, int32_t code) override;

    std::vector<std::string> Events() const;
    void Clear();
    // Waits (at most `limit`) until `count` OnFinished calls have arrived.
    bool WaitForFinished(size_t count, std::chrono::seconds limit);
    int64_t LastTotal() const;
    int64_t LastReceived() const;

private:
    void Add(const std::string& event, bool finished);
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
    size_t finished_ = 0;
    int64_t last_total_ = 0;
    int64_t last_received_ = 0;
};

class OrchestratorTest : public ::testing::Test {
public:
    // The product configuration the tests start from: brand "Kelvarosoft", product 1234 "Demo".
    static ProductConfig BaseProduct();

protected:
    void SetUp() override;
    void TearDown() override;
    // Runs PrepareDown over these configurations; the package size query answers `package_size`.
    void Prepare(const ProductConfig& product, const ServerRuntimeConfig& server, int64_t package_size);
    // Makes the task's download look finished with the file `file_name` in the working folder, holding
    // `content`.
    void CompleteDownload(int32_t id, const std::string& file_name, const std::string& content);
    // A copy of the demo installer in the working folder under `file_name`; its content.
    std::string DemoInstaller() const;

    IxoMgr& mgr() { return IxoMgr::Instance(); }
    std::string Working() const { return working_.Path(); }

    test_support::LogCapture log_;
    test_support::TempFolder registry_;
    test_support::TempFolder working_;
    RecordingStatistics statistics_;
    RecordingWindow window_;
    RecordingEngine* engine_ = nullptr;  // owned by IxoMgr
};

}  // namespace orchestrator_test
