// The facts about this program and the machine that the install statistics record carries.
#pragma once

#include <string>

#include "services/statistics_record.h"

// Reads them afresh; a fact that cannot be read is left at its empty or zero value.
RunFacts ReadRunFacts();

// This executable's file version "%d.%d.%d.%d" from its version stamp; "0.0.0.0" when it carries none.
std::string ExecutableFileVersion();
