// Small helpers of the engine's tests over the shared test support: files of known content, waiting for a
// condition, shell commands and the process log.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "tests/support/temp_folder.h"

namespace ixo_test {

using test_support::TempFolder;

// Bytes that differ at every offset of a file (a simple generator seeded by seed), so that a byte put at the
// wrong offset is noticed.
std::string PatternBytes(int64_t size, uint32_t seed);
// Writes the content to path, world-readable. False on failure.
bool WriteTestFile(const std::string& path, const std::string& content);
std::string ReadTestFile(const std::string& path);
std::string Md5Hex(const std::string& content);

// Polls the condition every 10 ms until it holds or the limit passes; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(30));

// Runs a shell command; returns its exit status.
int Shell(const std::string& command);

// Opens the process log in a private temporary folder (once per process, before any server starts).
void EnsureTestLog();
// Everything logged since.
std::string ReadLog();

}  // namespace ixo_test
