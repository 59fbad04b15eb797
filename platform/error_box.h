// The system's own error message box: no owner window, an error icon and a single OK button.
#pragma once

#include <string>

namespace platform {

// Blocks until the user closes the box. Without a display the message becomes one line on standard error:
// "<caption>: <text>". Texts are UTF-8.
void ShowErrorBox(const std::string& caption, const std::string& text);

}  // namespace platform
