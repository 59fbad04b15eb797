#include "system/process_launch.h"

#include <vector>

#include "formats/command_line_split.h"
#include "formats/utf_conversion.h"
#include "platform/child_process.h"
#include "platform/read_only_hold.h"
#include "system/simple_log.h"

namespace {

constexpr int kHiddenLimitMs = 20000;

std::vector<std::string> ToUtf8(const std::vector<std::u16string>& arguments) {
    std::vector<std::string> narrow;
    narrow.reserve(arguments.size());
    for (const std::u16string& argument : arguments) narrow.push_back(Utf16ToUtf8(argument));
    return narrow;
}

}  // namespace

int RunExe(const std::u16string& path, const std::u16string& parameters, bool skip_lock) {
    std::string program = Utf16ToUtf8(path);
    WriteLog(kLogInfo, "[INFO] RunExe: \n path=[%s] \n param=[%s] \n hide=[%d], block=[%d].", program.c_str(),
             Utf16ToUtf8(parameters).c_str(), 0, 1);

    platform::ReadOnlyHold hold;
    int error = 0;
    if (!skip_lock && !hold.Open(program, &error)) {
        WriteLog(kLogError, "[ERROR] RunExe failed! err=[%d]", error);
        return -1;
    }
    platform::MakeExecutable(program);

    platform::ProcessStart start;
    start.program = program;
    start.arguments = ToUtf8(SplitCommandLineArguments(parameters));
    platform::ChildProcess child;
    if (!child.Start(start, &error)) {
        WriteLog(kLogError, "[ERROR] RunExe failed! err=[%d]", error);
        return -1;
    }
    int code = child.Wait().value_or(-1);
    hold.Close();
    WriteLog(kLogInfo, "[INFO] RunExe ret=[%d].", code);
    return code;
}

bool RunHidden(const std::u16string& command_line) {
    return RunHiddenWithin(command_line, kHiddenLimitMs);
}

bool RunHiddenWithin(const std::u16string& command_line, int limit_ms) {
    std::vector<std::string> arguments = ToUtf8(SplitCommandLine(command_line));
    if (arguments.empty() || arguments[0].empty()) return false;
    platform::ProcessStart start;
    start.program = arguments[0];
    start.arguments.assign(arguments.begin() + 1, arguments.end());
    start.hidden = true;
    platform::ChildProcess child;
    if (!child.Start(start)) return false;
    std::optional<int> code = child.Wait(limit_ms);
    if (!code) {
        child.Terminate();
        return false;
    }
    return *code == 0;
}
