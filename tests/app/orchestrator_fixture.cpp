#include "tests/app/orchestrator_fixture.h"

#include <cstdlib>

#include "formats/utf_conversion.h"
#include "platform/child_process.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace orchestrator_test {

void RecordingStatistics::SetStatText(const std::string& key, const std::u16string& value) {
    Set(key, Utf16ToUtf8(value));
}

void RecordingStatistics::SetTaskPackageVersion(int32_t id, const std::u16string& version) {
    Set("package_version_" + std::to_string(id), Utf16ToUtf8(version));
}

void RecordingStatistics::SetInstallerLogPath(const std::u16string& path) {
    Set("installer_log", Utf16ToUtf8(path));
}

bool RecordingStatistics::AutoReportErrorLog(bool with_installer_log, const std::string& remark) {
    std::lock_guard guard(lock_);
    reports_.push_back((with_installer_log ? "install: " : "download: ") + remark);
    return true;
}

std::string RecordingStatistics::Value(const std::string& key) const {
    std::lock_guard guard(lock_);
    auto entry = values_.find(key);
    return entry == values_.end() ? std::string() : entry->second;
}

std::vector<std::string> RecordingStatistics::Reports() const {
    std::lock_guard guard(lock_);
    return reports_;
}

void RecordingStatistics::Clear() {
    std::lock_guard guard(lock_);
    values_.clear();
    reports_.clear();
}

void RecordingStatistics::Set(const std::string& key, const std::string& value) {
    std::lock_guard guard(lock_);
    values_[key] = value;
}

void RecordingWindow::OnFinished(const DownTask& task, int32_t result) {
    Add("finished " + std::to_string(task.id) + " " + std::to_string(result), true);
}

void RecordingWindow::OnDownloadProgress(int64_t total, int64_t received, int32_t task_count, int32_t) {
    std::lock_guard guard(lock_);
    last_total_ = total;
    last_received_ = received;
    std::string event = "progress " + std::to_string(task_count);
    // One line per run of progress calls keeps the order readable.
    if (events_.empty() || events_.back() != event) events_.push_back(event);
}

void RecordingWindow::OnInstall(const DownTask& task, int32_t code) {
    Add("install " + std::to_string(task.id) + " " + std::to_string(code), false);
}

std::vector<std::string> RecordingWindow::Events() const {
    std::lock_guard guard(lock_);
    return events_;
}

bool RecordingWindow::WaitForFinished(size_t count, std::chrono::seconds limit) {
    std::unique_lock guard(lock_);
    return changed_.wait_for(guard, limit, [&] { return finished_ >= count; });
}

int64_t RecordingWindow::LastTotal() const {
    std::lock_guard guard(lock_);
    return last_total_;
}

int64_t RecordingWindow::LastReceived() const {
    std::lock_guard guard(lock_);
    return last_received_;
}

void RecordingWindow::Clear() {
    std::lock_guard guard(lock_);
    events_.clear();
    finished_ = 0;
}

void RecordingWindow::Add(const std::string& event, bool finished) {
    {
        std::lock_guard guard(lock_);
        events_.push_back(event);
        if (finished) ++finished_;
    }
    changed_.notify_all();
}

void OrchestratorTest::SetUp() {
    statistics_.Clear();
    window_.Clear();
    platform::SetRegistryRootForTesting(registry_.Path());
    setenv("IXO_TEST_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    mgr().ResetForTesting();
    mgr().SetArchitectureForTesting(true, false);
    auto engine = std::make_unique<RecordingEngine>();
    engine_ = engine.get();
    mgr().SetEngineForTesting(std::move(engine));
    FolderPlaces places;
    places.fixed_drives = {Utf8ToUtf16(working_.Path())};
    places.system_drive = u"/nonexistent-system-drive/";
    places.shared_data = Utf8ToUtf16(working_.Path());
    places.executable_folder = Utf8ToUtf16(working_.Path());
    places.temp_folder = Utf8ToUtf16(working_.Path());
    places.free_bytes = [](const std::u16string&) { return uint64_t(1) << 40; };
    mgr().SetFolderPlacesForTesting(places);
    mgr().SetWorkingFolderForTesting(Utf8ToUtf16(working_.Path()));
    mgr().EditRunConfig().InstallPath = Utf8ToUtf16(working_.Path() + "apps/");
    mgr().SetNotifyHandler(&window_);
    OrchestratorServices services;
    services.statistics = &statistics_;
    mgr().ConnectServices(services);
}

void OrchestratorTest::TearDown() {
    mgr().SetEngineForTesting(nullptr);
    mgr().ResetForTesting();
    mgr().SetFolderPlacesForTesting(std::nullopt);
    mgr().SetPackageSizeProbeForTesting(nullptr);
    unsetenv("IXO_TEST_REGISTRY_ROOT");
    platform::SetRegistryRootForTesting("");
}

ProductConfig OrchestratorTest::BaseProduct() {
    ProductConfig product;
    product.ProductBrand = u"Kelvarosoft";
    product.ProductName = u"Demo";
    product.ProductID = u"1234";
    product.ProductExe = u"demo-product";
    product.DownUrl = u"http://127.0.0.1:9/demo-setup";
    product.PrivacyPost = u"0";
    return product;
}

void OrchestratorTest::Prepare(const ProductConfig& product, const ServerRuntimeConfig& server,
                               int64_t package_size) {
    mgr().SetProductConfigForTesting(product);
    mgr().SetServerConfigForTesting(server);
    mgr().SetPackageSizeProbeForTesting([package_size](const std::u16string&) { return package_size; });
    mgr().PrepareDown();
}

void OrchestratorTest::CompleteDownload(int32_t id, const std::string& file_name,
                                        const std::string& content) {
    std::string path = working_.Write(file_name, content);
    platform::MakeExecutable(path);
    mgr().OnStart(id);
    mgr().OnFileName(id, Utf8ToUtf16(file_name).c_str());
    mgr().OnFileSize(id, int64_t(content.size()));
    mgr().OnProgress(id, int64_t(content.size()), int64_t(content.size()), 1000);
    mgr().OnComplete(id);
}

std::string OrchestratorTest::DemoInstaller() const {
    return platform::ReadFile(IXO_BINARY_DIR "/bin/ixo-demo-setup").value_or("");
}

}  // namespace orchestrator_test
