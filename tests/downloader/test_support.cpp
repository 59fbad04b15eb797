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
#include "tests/support/log_capture.h"
#include "tests/support/run_command.h"

namespace ixo_test {

namespace fs = std::filesystem;
using test_support::LogCapture;

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
    fs::permissions(
        path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
        ignored);
    return true;
}

std::string ReadTestFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string Md5Hex(const std::string& content) {
    return Md5Buffer(content.data(), content.size());
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int Shell(const std::string& command) {
    return test_support::RunShell(command).exit_code;
}

// Made by the first EnsureTestLog, before the code under test writes anything.
LogCapture& TestLog() {
    static LogCapture capture;
    return capture;
}

void EnsureTestLog() {
    TestLog();
}

std::string ReadLog() {
    return TestLog().NewText();
}

}  // namespace ixo_test
