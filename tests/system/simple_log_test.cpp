#include "system/simple_log.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/local_time.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::TempFolder;

std::string ReadWholeFile(const std::string& path) { return platform::ReadFile(path).value_or(""); }

const std::regex kLinePattern(R"(\[\d{4}-\d{2}-\d{2} \d{1,2}:\d{2}:\d{2}\] \d+ - .*)");

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

void SetModificationTime(const std::string& path, time_t seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

std::string TodaysBackup(const std::string& folder, int index = 0) {
    platform::LocalTime today;
    platform::GetLocalTime(today);
    char name[64];
    if (index == 0) {
        std::snprintf(name, sizeof name, "kxIXO_%4d-%02d-%02d.log", today.year, today.month, today.day);
    } else {
        std::snprintf(name, sizeof name, "kxIXO_%4d-%02d-%02d_%d.log", today.year, today.month, today.day, index);
    }
    return folder + name;
}

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SimpleLogTest, FirstRunCreatesTheFileWithOneFormattedLinePerWrite) {
    TempFolder folder;
    simpleLog log(folder.Path() + "kxIXO.log");
    log.Open();  // nothing to prune or back up
    EXPECT_EQ(log.GetPath(), folder.Path() + "kxIXO.log");
    log.Write(kLogWarn, "[INFO] start, fork=[%d].", 0);  // the tag comes from the text, not the level
    log.Write(kLogError, "[ERROR] %s %d", "value", 42);

    std::vector<std::string> lines = Lines(ReadWholeFile(folder.Path() + "kxIXO.log"));
    ASSERT_EQ(lines.size(), 2u);
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, kLinePattern)) << line;
    EXPECT_TRUE(lines[0].ends_with(" - [INFO] start, fork=[0]."));
    EXPECT_TRUE(lines[1].ends_with(" - [ERROR] value 42"));
    EXPECT_EQ(FileNames(folder.Path()), std::vector<std::string>{"kxIXO.log"});
}

// Seven logs with distinct times: the two oldest go, and the previous log moves to today's first free name.
TEST(SimpleLogTest, OpenPrunesToFiveAndBacksUpThePreviousLog) {
    TempFolder folder;
    const std::string names[] = {"kxIXO_2020-01-01.log", "kxIXO_2020-01-02.log", "kxIXO_2020-01-03.log",
                                 "kxIXO_2020-01-04.log", "kxIXO_2020-01-05.log", "kxIXO_2020-01-06.log",
                                 "kxIXO.log"};
    for (int i = 0; i < 7; ++i) {
        folder.Write(names[i], names[i]);
        SetModificationTime(folder.Path() + names[i], 1600000000 + i * 60);
    }
    // Files of the fork-mode log and unrelated files are not candidates.
    folder.Write("kxForkIXO.log", "fork");
    SetModificationTime(folder.Path() + "kxForkIXO.log", 1500000000);
    folder.Write("notes.txt", "other");
    SetModificationTime(folder.Path() + "notes.txt", 1500000000);

    simpleLog log(folder.Path() + "kxIXO.log");
    log.Open();

    std::vector<std::string> expected = {"kxForkIXO.log",        "kxIXO_2020-01-03.log", "kxIXO_2020-01-04.log",
                                         "kxIXO_2020-01-05.log", "kxIXO_2020-01-06.log", "notes.txt"};
    std::string backup = TodaysBackup(folder.Path());
    expected.push_back(backup.substr(folder.Path().size()));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FileNames(folder.Path()), expected);
    EXPECT_EQ(ReadWholeFile(backup), "kxIXO.log");

    log.Write(kLogInfo, "[INFO] fresh");
    EXPECT_TRUE(ReadWholeFile(folder.Path() + "kxIXO.log").ends_with(" - [INFO] fresh\n"));
}

TEST(SimpleLogTest, FilesWithTheSameTimeCountOnce) {
    TempFolder folder;
    const std::string names[] = {"kxIXO_a.log", "kxIXO_b.log", "kxIXO_c.log", "kxIXO_d.log",
                                 "kxIXO_e.log", "kxIXO_f.log", "kxIXO.log"};
    // a and b share the oldest time: six distinct times for seven files, so only one file is deleted.
    const time_t times[] = {1600000000, 1600000000, 1600000100, 1600000200, 1600000300, 1600000400, 1600000500};
    for (int i = 0; i < 7; ++i) {
        folder.Write(names[i], names[i]);
        SetModificationTime(folder.Path() + names[i], times[i]);
    }
    simpleLog log(folder.Path() + "kxIXO.log");
    log.Open();

    bool a = platform::FileExists(folder.Path() + "kxIXO_a.log");
    bool b = platform::FileExists(folder.Path() + "kxIXO_b.log");
    EXPECT_NE(a, b) << "exactly one of the two files with the same time survives";
    for (const char* kept : {"kxIXO_c.log", "kxIXO_d.log", "kxIXO_e.log", "kxIXO_f.log"}) {
        EXPECT_TRUE(platform::FileExists(folder.Path() + kept)) << kept;
    }
    EXPECT_FALSE(platform::FileExists(folder.Path() + "kxIXO.log"));
    EXPECT_EQ(FileNames(folder.Path()).size(), 6u);
}

TEST(SimpleLogTest, LaterRunsOfTheSameDayTakeNumberedBackups) {
    TempFolder folder;
    for (int run = 0; run < 3; ++run) {
        simpleLog log(folder.Path() + "kxIXO.log");
        log.Open();
        log.Write(kLogInfo, "[INFO] run %d", run);
    }
    EXPECT_TRUE(ReadWholeFile(TodaysBackup(folder.Path())).ends_with("[INFO] run 0\n"));
    EXPECT_TRUE(ReadWholeFile(TodaysBackup(folder.Path(), 1)).ends_with("[INFO] run 1\n"));
    EXPECT_TRUE(ReadWholeFile(folder.Path() + "kxIXO.log").ends_with("[INFO] run 2\n"));
}

// The time zone is chosen so that the local hour has one digit, whatever the hour is in UTC now.
TEST(SimpleLogTest, HourHasNoLeadingZeroWhileMonthAndDayHaveTwoDigits) {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    int offset = utc.tm_hour - 5;  // POSIX "UTC+N" is N hours behind UTC: local hour 5 (or 6 past the hour turn)
    std::string zone = "UTC" + std::string(offset >= 0 ? "+" : "") + std::to_string(offset);
    setenv("TZ", zone.c_str(), 1);
    tzset();

    TempFolder folder;
    simpleLog log(folder.Path() + "kxIXO.log");
    log.Open();
    log.Write(kLogInfo, "[INFO] x");
    std::string line = ReadWholeFile(folder.Path() + "kxIXO.log");
    EXPECT_TRUE(std::regex_search(line, std::regex(R"(^\[\d{4}-\d{2}-\d{2} [56]:\d{2}:\d{2}\] )"))) << line;
    unsetenv("TZ");
    tzset();
}

TEST(SimpleLogTest, LinesFromManyThreadsNeverInterleave) {
    TempFolder folder;
    simpleLog log(folder.Path() + "kxIXO.log");
    log.Open();
    constexpr int kThreads = 8;
    constexpr int kLinesEach = 200;
    const std::string payload(300, 'x');
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < kLinesEach; ++i) log.Write(kLogInfo, "[INFO] t%d i%d %s", t, i, payload.c_str());
        });
    }
    for (std::thread& writer : writers) writer.join();

    std::vector<std::string> lines = Lines(ReadWholeFile(folder.Path() + "kxIXO.log"));
    ASSERT_EQ(lines.size(), size_t(kThreads * kLinesEach));
    const std::regex whole(R"(\[\d{4}-\d{2}-\d{2} \d{1,2}:\d{2}:\d{2}\] \d+ - \[INFO\] t\d i\d+ x{300})");
    for (const std::string& line : lines) ASSERT_TRUE(std::regex_match(line, whole)) << line;
}

TEST(SimpleLogTest, UnwritableLogDropsLinesQuietly) {
    TempFolder folder;
    simpleLog log(folder.Path() + "missing-folder/kxIXO.log");
    log.Open();
    log.Write(kLogInfo, "[INFO] dropped");
    EXPECT_FALSE(platform::FileExists(folder.Path() + "missing-folder/kxIXO.log"));

    simpleLog empty("");
    empty.Open();
    empty.Write(kLogInfo, "[INFO] dropped too");
}

}  // namespace
