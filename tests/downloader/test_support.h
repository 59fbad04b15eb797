// Small helpers of the engine's tests: a temporary folder, files of known content, waiting for a condition,
// running shell commands and reading the process log.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace ixo_test {

// A fresh world-traversable folder under the temporary folder, ending in '/', removed with its content.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Bytes that differ at every offset of a file (a simple generator seeded by seed), so that a byte put at the
// wrong offset is noticed.
std::string PatternBytes(int64_t size, uint32_t seed);
// Writes the content to path, world-readable. False on failure.
bool WriteTestFile(const std::string& path, const std::string& content);
std::string ReadTestFile(const std::string& path);
std::string Md5Hex(const std::string& content);

// Polls the condition every 10 ms until it holds or the limit passes; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(30));

// Runs a shell command; returns its exit status.
int Shell(const std::string& command);
// Runs a shell command and returns what it printed.
std::string ShellOutput(const std::string& command);

// Opens the process log (once) in a temporary folder; returns its path.
std::string EnsureTestLog();
// The log's content.
std::string ReadLog();

// The build's test certificate folder (ca.pem, server.pem, server.key ...).
std::string TestCertificateFolder();

}  // namespace ixo_test
