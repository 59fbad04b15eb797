// The desktop's clipboard.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The clipboard's text (UTF-8); nullopt when no display is available or the clipboard holds no text. Call it
// on the main thread.
std::optional<std::string> ReadClipboardText();

}  // namespace platform
