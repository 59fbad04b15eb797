#include "tests/support/log_capture.h"

#include <cstdlib>
#include <mutex>

#include "platform/file_system.h"
#include "system/simple_log.h"
#include "tests/support/temp_folder.h"

namespace test_support {
namespace {

std::string LogText() {
    simpleLog* log = GetLog();
    if (!log) return {};
    return platform::ReadFile(log->GetPath()).value_or(std::string());
}

}  // namespace

LogCapture::LogCapture() {
    static std::once_flag once;
    std::call_once(once, [] {
        static TempFolder folder;  // lives as long as the process
        setenv("TMPDIR", folder.Path().c_str(), 1);
        InitLog(u"ixo-test.log");
    });
    start_ = LogText().size();
}

std::string LogCapture::NewText() const {
    std::string text = LogText();
    return start_ <= text.size() ? text.substr(start_) : text;
}

}  // namespace test_support
