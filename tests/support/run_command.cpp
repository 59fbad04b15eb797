#include "tests/support/run_command.h"

#include <sys/wait.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

namespace test_support {

CommandResult RunShell(const std::string& command_line) {
    TempFolder folder;
    std::string out = folder.Path() + "out";
    std::string err = folder.Path() + "err";
    int status =
        std::system(("(" + command_line + ") >" + ShellQuote(out) + " 2>" + ShellQuote(err)).c_str());
    CommandResult result;
    if (status != -1 && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    result.out = platform::ReadFile(out).value_or(std::string());
    result.err = platform::ReadFile(err).value_or(std::string());
    return result;
}

std::string ShellQuote(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace test_support
