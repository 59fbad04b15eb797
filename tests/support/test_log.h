// The process-wide log of a test program, kept in a folder of its own for the life of the process, so that a
// test can read what the code under test logged since a mark.
#pragma once

#include <cstdlib>
#include <string>

#include "system/simple_log.h"
#include "tests/support/child_process.h"

class TestLog {
public:
    // Opens the log on first use (InitLog takes effect once per process) and returns its current size.
    static size_t Mark() { return Text().size(); }

    // What was logged after `mark`.
    static std::string Since(size_t mark) { return Text().substr(mark); }

private:
    static std::string Text() {
        static const std::string path = Open();
        return testsupport::ReadWholeFile(path);
    }

    static std::string Open() {
        static testsupport::TemporaryFolder folder;
        const char* old = std::getenv("TMPDIR");
        std::string saved = old ? old : "";
        setenv("TMPDIR", folder.Path().c_str(), 1);
        InitLog(u"test.log");
        if (old) {
            setenv("TMPDIR", saved.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        return GetLog() ? GetLog()->GetPath() : std::string();
    }
};
