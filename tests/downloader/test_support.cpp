#include "tests/downloader/test_support.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "formats/utf_conversion.h"
#include "platform/paths.h"
#include "platform/process_identity.h"
#include "system/md5.h"
#include "system/simple_log.h"

namespace ixo_test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    std::string base = platform::GetTempFolder() + "ixo-engine-test-" +
                       std::to_string(platform::CurrentProcessId()) + "-" + std::to_string(counter++);
    fs::remove_all(base);
    fs::create_directories(base);
    fs::permissions(base, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    path_ = base + "/";
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string PatternBytes(int64_t size, uint32_t seed) {
    std::string bytes(size_t(size), '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (int64_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[size_t(i)] = char(state & 0xFF);
    }
    return bytes;
}

bool WriteTestFile(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), std::streamsize(content.size()));
    out.close();
    if (!out) return false;
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read, ignored);
    return true;
}

std::string ReadTestFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string Md5Hex(const std::string& content) { return Md5Buffer(content.data(), content.size()); }

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int Shell(const std::string& command) {
    int status = std::system(command.c_str());
    // The shell's status word: the exit code sits in its second byte.
    return status < 0 ? status : (status >> 8) & 0xFF;
}

std::string ShellOutput(const std::string& command) {
    static std::atomic<int> counter{0};
    std::string file = platform::GetTempFolder() + "ixo-shell-" + std::to_string(platform::CurrentProcessId()) +
                       "-" + std::to_string(counter++);
    std::system((command + " > '" + file + "' 2>/dev/null").c_str());
    std::string output = ReadTestFile(file);
    std::error_code ignored;
    fs::remove(file, ignored);
    return output;
}

namespace {

struct LogFileRemover {
    std::string path;
    ~LogFileRemover() {
        std::error_code ignored;
        if (!path.empty()) fs::remove(path, ignored);
    }
};

LogFileRemover g_log_file;

}  // namespace

std::string EnsureTestLog() {
    if (!GetLog()) {
        InitLog(Utf8ToUtf16("engine-test-" + std::to_string(platform::CurrentProcessId()) + ".log"));
        g_log_file.path = GetLog()->GetPath();
    }
    return GetLog()->GetPath();
}

std::string ReadLog() { return ReadTestFile(EnsureTestLog()); }

std::string TestCertificateFolder() { return std::string(IXO_BINARY_DIR) + "/test-ca/"; }

}  // namespace ixo_test
