// Running other programs: an installer, shown and waited for, and a hidden helper with a time limit.
#pragma once

#include <string>

// Runs the program at `path` with `parameters` (a parameter text, split by the quoting rules of
// formats/command_line_split.h) and waits without a limit. Unless `skip_lock`, the file is held open for
// reading, with a shared lock, until the program has ended, so that it cannot be swapped meanwhile. A
// downloaded program that lacks the execute permission is given it. Returns the exit code (0-255, or 128 +
// the signal that ended it); -1 when the file cannot be opened or the program cannot be started. Logs its
// start, its failures and its result.
int RunExe(const std::u16string& path, const std::u16string& parameters, bool skip_lock);

// Runs a command line (program first) without a window or terminal output. True only when it ends with exit
// code 0 within 20 seconds; a program still running then is killed.
bool RunHidden(const std::u16string& command_line);

// RunHidden with another limit, in milliseconds.
bool RunHiddenWithin(const std::u16string& command_line, int limit_ms);
