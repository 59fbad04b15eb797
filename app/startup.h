// The process entry's work: start-up in its fixed order, the main loop, and shutdown.
#pragma once

#include "app/command_line_map.h"

// Returns the process exit code: 0 after a normal run, -1 when start-up fails (the process then ends with
// status 255). In fork mode nothing is ever shown to the user; failures go to the log only.
int RunInstaller(const CommandLineMap& options);
