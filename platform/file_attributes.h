// The hidden mark of a file. Kept as an extended attribute ("user.ixo.hidden") because names here carry no
// such flag; file systems without user attributes cannot hold the mark and the calls then fail.
#pragma once

#include <string>

namespace platform {

bool SetFileHidden(const std::string& path, bool hidden);
bool IsFileHidden(const std::string& path);

}  // namespace platform
