// Where the analytics client reports dropped events and properties and failed sends. The windowed program
// never shows these lines; by default they go to standard error, one line each.
#pragma once

#include <functional>
#include <string>

namespace analytics {

// Writes one diagnostic line (without its line end) to the current sink. Safe from any thread.
void ReportDiagnostic(const std::string& line);

// Replaces the sink; an empty function restores standard error. The sink may be called from any thread.
void SetDiagnosticSinkForTesting(std::function<void(const std::string&)> sink);

}  // namespace analytics
