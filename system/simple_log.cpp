#include "system/simple_log.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <sstream>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/local_time.h"
#include "platform/paths.h"
#include "platform/process_identity.h"

namespace {

constexpr size_t kKeptLogFiles = 5;

// Written once by InitLog on the main thread before any other thread exists; read without a lock afterwards.
simpleLog* g_log = nullptr;

void WriteLine(std::FILE* file, const char* format, va_list arguments) {
    platform::LocalTime now;
    platform::GetLocalTime(now);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%4d-%02d-%02d %d:%02d:%02d]", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    std::ostringstream prefix;
    prefix << stamp << ' ' << platform::CurrentThreadId() << " - ";
    std::string first_line = prefix.str().substr(0, prefix.str().find('\n'));
    if (std::fprintf(file, "%s", first_line.c_str()) < 0) return;
    if (std::vfprintf(file, format, arguments) < 0) return;
    std::fputs("\n", file);
}

}  // namespace

simpleLog::simpleLog(std::string configured_path) : configured_path_(std::move(configured_path)) {}

void simpleLog::Open() {
    if (configured_path_.empty()) std::printf("[simpleLog::Log] log filename is empty\n");
    current_path_ = configured_path_;

    size_t slash = current_path_.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : current_path_.substr(0, slash + 1);
    std::string name = current_path_.substr(folder.size());
    size_t dot = name.rfind('.');
    std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);

    // Keyed by modification time: of two files with the same time only the later one listed is a candidate.
    std::map<int64_t, std::string> candidates;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder.empty() ? "./" : folder)) {
        std::string path = folder + entry.name;
        if (entry.is_folder) continue;
        if (path.find(stem) == std::string::npos || path.find(extension) == std::string::npos) continue;
        candidates[entry.modified_ns] = path;
    }
    while (candidates.size() > kKeptLogFiles) {
        platform::DeleteFile(candidates.begin()->second);
        candidates.erase(candidates.begin());
    }

    std::string backup;
    platform::LocalTime today;
    if (platform::GetLocalTime(today)) {
        for (int i = 0;; ++i) {
            char candidate[260];
            if (i == 0) {
                std::snprintf(candidate, sizeof candidate, "%s%s_%4d-%02d-%02d%s", folder.c_str(), stem.c_str(),
                              today.year, today.month, today.day, extension.c_str());
            } else {
                std::snprintf(candidate, sizeof candidate, "%s%s_%4d-%02d-%02d_%d%s", folder.c_str(), stem.c_str(),
                              today.year, today.month, today.day, i, extension.c_str());
            }
            std::FILE* existing = std::fopen(candidate, "r");
            if (!existing) {
                backup = candidate;
                break;
            }
            std::fclose(existing);
        }
    }
    platform::RenameFile(current_path_, backup);
}

void simpleLog::Write(int /*level*/, const char* format, ...) {
    std::lock_guard guard(write_lock_);
    std::FILE* file = std::fopen(current_path_.c_str(), "a");
    if (!file) return;
    va_list arguments;
    va_start(arguments, format);
    WriteLine(file, format, arguments);
    va_end(arguments);
    std::fclose(file);
}

std::string GetLogFolder() {
    std::string temp = platform::GetTempFolder();
    std::string folder = temp + "Kelvarosoft/IXO/";
    return platform::CreateFolderWithParents(folder) ? folder : temp;
}

int InitLog(const std::u16string& file_name) {
    if (g_log) return 0;
    g_log = new simpleLog(GetLogFolder() + Utf16ToUtf8(file_name));  // lives until the process ends
    g_log->Open();
    return 0;
}

simpleLog* GetLog() { return g_log; }

void WriteLog(int level, const char* format, ...) {
    if (!g_log) return;
    // Formats once here so that the logger's own Write does the locking and the file work.
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string message(length > 0 ? size_t(length) : 0, '\0');
    if (length > 0) std::vsnprintf(message.data(), message.size() + 1, format, arguments);
    va_end(arguments);
    g_log->Write(level, "%s", message.c_str());
}
