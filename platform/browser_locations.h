// Where web browsers live on this system: the stand-in for the registered application paths of browsers.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class Browser { kChrome, kFirefox, kSafari, kOpera };

// The first executable file among the places where the browser is installed: its usual command names along
// $PATH, then the fixed install, snap and flatpak locations. Empty when none exists (always for Safari,
// which has no edition for this system).
std::string FindBrowserExecutable(Browser browser);

// Tests place a fake file system under `root`: the fixed locations are then looked up below it (PATH is
// still taken from the environment). An empty root restores the real places.
void SetBrowserRootForTesting(const std::string& root);

}  // namespace platform
