// The process-wide diagnostic log: one plain-text file, one line per call, opened and closed for every line
// so that another process can copy it at any time.
#pragma once

#include <mutex>
#include <string>

// Levels of simpleLog::Write. The level is not written: the tag at the start of each format ("[ERROR] ",
// "[WARN] ", "[INFO] ") is what readers see.
enum LogLevel { kLogError = 1, kLogWarn = 2, kLogInfo = 3 };

class simpleLog {
public:
    explicit simpleLog(std::string configured_path);

    // Adopts the configured path, prunes old logs to five and moves the previous run's log to a dated back-up
    // name ("kxIXO_2021-03-07.log", then "_1", "_2" ...). Failures are ignored.
    void Open();

    // Appends "[yyyy-mm-dd h:mm:ss] <thread id> - <message>\n" under the write lock. Safe from any thread; a
    // line that cannot be written is dropped.
    void Write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

    const std::string& GetPath() const { return current_path_; }

private:
    std::string current_path_;
    std::mutex write_lock_;
    std::string configured_path_;
};

// Folder of the log files: <temporary folder>Kelvarosoft/IXO/, or the temporary folder itself when that folder
// cannot be created.
std::string GetLogFolder();

// Creates and opens the process-wide logger with <log folder><file_name>. Only the first call has an effect.
// Always returns 0.
int InitLog(const std::u16string& file_name);

// The process-wide logger; null until InitLog.
simpleLog* GetLog();

// simpleLog::Write on the process-wide logger; does nothing before InitLog.
void WriteLog(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
