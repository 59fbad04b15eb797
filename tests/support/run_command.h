// Runs a shell command line and collects what it printed and how it ended.
#pragma once

#include <string>
#include <vector>

namespace test_support {

struct CommandResult {
    int exit_code = -1;  // -1 when the command did not end normally
    std::string out;
    std::string err;
};

// Runs `command_line` with /bin/sh.
CommandResult RunShell(const std::string& command_line);

// `argument` quoted for /bin/sh.
std::string ShellQuote(const std::string& argument);

}  // namespace test_support
