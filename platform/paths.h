// Well-known folders. Every folder returned here ends in '/'.
#pragma once

#include <string>

namespace platform {

// $TMPDIR when it is set and not empty, else "/tmp/".
std::string GetTempFolder();

// Folder for the files that stand in for kernel objects (instance locks, window sockets): $XDG_RUNTIME_DIR/ixo/
// when that variable names a folder, else /run/ixo/ for root, else <temp folder>ixo-<uid>/. Created on first use
// with mode 0700; empty when it cannot be created.
std::string GetRuntimeFolder();

// Full path of the running executable; empty when it cannot be read.
std::string GetExecutablePath();

}  // namespace platform
