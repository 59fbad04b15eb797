// English texts of numeric outcomes, for reports and the user interface. They are fixed texts, not taken from
// the language table.
#pragma once

#include <string>

// A shell launch result: codes above 32 mean the launch succeeded and give "".
std::string ShellErrorText(int code);

// The exit code of a product installer; below 0 means it could not be started.
std::string InstallerExitText(int code);

// A result code of the download engine; 0 (success) gives "".
std::string DownloadResultText(int code);

// A transfer error code of the HTTP library, in the library's own words; 0 gives "".
std::string TransferErrorText(int code);
