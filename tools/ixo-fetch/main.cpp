// ixo-fetch: downloads one file through the download engine and prints every callback it receives.
//
//   ixo-fetch [--md5 LIST] [--id N] [--save-every BYTES] [--memory BYTES] URL FOLDER
//
// One line per callback ("OnFileSize 1048576", "OnError 13" ...), then "result=<code> <text>". Exits 0 on
// success, else with the result code (2 for a wrong command line). SIGINT or SIGTERM cancels the task as a
// removal does: its range table is saved and the next run resumes. For tests and demonstrations,
// --save-every sets how often the range table is saved and --memory the available memory that the engine
// plans its connection buffers with (both in bytes).
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "downloader/downloader_manager.h"
#include "downloader/multi_downloader.h"
#include "formats/utf_conversion.h"
#include "platform/message_loop.h"
#include "system/result_texts.h"
#include "system/simple_log.h"

namespace {

// Prints each call as one line; tells the main thread when the task has ended.
class PrintingCallback : public ns_IXD::IDownloaderManagerCallBack {
public:
    explicit PrintingCallback(platform::MessageLoop& loop) : loop_(loop) {}

    void OnFileName(int32_t, const char16_t* name) override { Print("OnFileName " + Utf16ToUtf8(name)); }
    void OnFileSize(int32_t, int64_t size) override { Print("OnFileSize " + std::to_string(size)); }
    void OnProgress(int32_t, int64_t downloaded, int64_t total, int32_t speed) override {
        Print("OnProgress " + std::to_string(downloaded) + " " + std::to_string(total) + " " +
              std::to_string(speed));
    }
    void OnComplete(int32_t) override {
        Print("OnComplete");
        Finish(0);
    }
    void OnError(int32_t, int32_t result) override {
        Print("OnError " + std::to_string(result));
        Finish(result);
    }
    void OnConnection(int32_t, int32_t reserved, int32_t kind, int64_t value) override {
        Print("OnConnection " + std::to_string(reserved) + " " + std::to_string(kind) + " " +
              std::to_string(value));
    }
    void OnStart(int32_t) override { Print("OnStart"); }
    void OnAddressUsed(int32_t, const char* ip) override { Print(std::string("OnAddressUsed ") + ip); }
    void OnRetry(int32_t, int32_t attempt) override { Print("OnRetry " + std::to_string(attempt)); }
    void OnAttemptEnd(int32_t, int32_t attempt, int32_t result) override {
        Print("OnAttemptEnd " + std::to_string(attempt) + " " + std::to_string(result));
    }
    void OnFileMd5(int32_t, const char* md5) override { Print(std::string("OnFileMd5 ") + md5); }
    void OnMd5Match(int32_t) override { Print("OnMd5Match"); }
    void OnFileOperationFailed(int32_t, int32_t operation, int32_t error) override {
        Print("OnFileOperationFailed " + std::to_string(operation) + " " + std::to_string(error));
    }
    void OnGetInfoFailed(int32_t, int32_t error) override {
        Print("OnGetInfoFailed " + std::to_string(error));
    }
    void OnDnsCacheCleared(int32_t, int32_t value) override {
        Print("OnDnsCacheCleared " + std::to_string(value));
    }
    void OnDnsResolved(int32_t, const char* host, const char* ips) override {
        Print(std::string("OnDnsResolved ") + host + " " + ips);
    }
    void OnPrepare(int32_t) override { Print("OnPrepare"); }
    void OnDownloadConfig(int32_t, int32_t threads, int32_t buffer_size) override {
        Print("OnDownloadConfig " + std::to_string(threads) + " " + std::to_string(buffer_size));
    }

    // Waits for the task's final call; returns its result.
    int WaitResult() {
        std::unique_lock<std::mutex> hold(lock_);
        finished_signal_.wait(hold, [this] { return result_ >= 0; });
        return result_;
    }
    bool Finished() {
        std::lock_guard<std::mutex> hold(lock_);
        return result_ >= 0;
    }

private:
    void Print(const std::string& line) {
        std::lock_guard<std::mutex> hold(print_lock_);
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    void Finish(int result) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (result_ < 0) result_ = result;
        }
        finished_signal_.notify_all();
        loop_.PostQuit();
    }

    platform::MessageLoop& loop_;
    std::mutex print_lock_;
    std::mutex lock_;
    std::condition_variable finished_signal_;
    int result_ = -1;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: ixo-fetch [--md5 LIST] [--id N] [--save-every BYTES] [--memory BYTES] URL FOLDER\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string md5, url, folder;
    int32_t id = 1;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool with_value =
            argument == "--md5" || argument == "--id" || argument == "--save-every" || argument == "--memory";
        if (with_value && i + 1 < argc) {
            std::string value = argv[++i];
            if (argument == "--md5") {
                md5 = value;
            } else if (argument == "--id") {
                id = int32_t(std::atoi(value.c_str()));
            } else if (argument == "--save-every") {
                ns_IXD::CMultiDownloader::SetSaveIntervalForTesting(std::atoll(value.c_str()));
            } else {
                ns_IXD::CMultiDownloader::SetAvailableMemoryForTesting(std::atoll(value.c_str()));
            }
        } else if (url.empty()) {
            url = argument;
        } else if (folder.empty()) {
            folder = argument;
        } else {
            return Usage();
        }
    }
    if (url.empty() || folder.empty() || id < 1) return Usage();

    InitLog(u"ixo-fetch.log");
    std::printf("log=%s\n", GetLog()->GetPath().c_str());
    std::fflush(stdout);

    platform::MessageLoop loop;
    loop.QuitOnTerminationSignals();
    PrintingCallback callback(loop);
    auto manager = std::make_unique<ns_IXD::DownloaderManager>();
    manager->SetCallBack(&callback);
    std::u16string wide_url = Utf8ToUtf16(url), wide_folder = Utf8ToUtf16(folder),
                   wide_md5 = Utf8ToUtf16(md5);
    manager->AddTask(wide_url.c_str(), wide_folder.c_str(), u"", id, u"", wide_md5.c_str(), 0);

    // Ends when the task has ended or a termination signal came; a signal cancels the task, whose final
    // call (result 13) comes once its range table is saved.
    loop.Run();
    if (!callback.Finished()) manager->RemoveTask(id);
    int result = callback.WaitResult();
    manager->StopAll();
    manager.reset();

    std::printf("result=%d %s\n", result, DownloadResultText(result).c_str());
    std::fflush(stdout);
    return result;
}
