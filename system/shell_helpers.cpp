#include "system/shell_helpers.h"

#include "formats/utf_conversion.h"
#include "platform/browser_locations.h"
#include "platform/desktop_shortcut.h"
#include "platform/folder_dialog.h"
#include "platform/paths.h"
#include "platform/window_placement.h"

namespace {

constexpr char kMainWindowClass[] = "IXO";

}  // namespace

bool CreateDesktopShortcut(const std::u16string& file_name, const std::u16string& folder) {
    std::string working_folder = Utf16ToUtf8(folder);
    std::string program = working_folder;
    if (!program.empty() && program.back() != '/') program += '/';
    program += Utf16ToUtf8(file_name);
    return platform::CreateDesktopShortcut(Utf16ToUtf8(file_name), program, working_folder);
}

bool RemoveDesktopShortcut() {
    std::string executable = platform::GetExecutablePath();
    std::string file_name = executable.substr(executable.rfind('/') + 1);
    return platform::RemoveDesktopShortcut(file_name) != platform::ShortcutRemoval::kFailed;
}

std::u16string FindPreferredBrowser() {
    for (platform::Browser browser : {platform::Browser::kChrome, platform::Browser::kFirefox,
                                      platform::Browser::kSafari, platform::Browser::kOpera}) {
        std::string found = platform::FindBrowserExecutable(browser);
        if (!found.empty()) return Utf8ToUtf16(found);
    }
    return {};
}

void ActivateInstance(const std::u16string& title) {
    platform::WindowHandle window = platform::FindWindow(kMainWindowClass, Utf16ToUtf8(title));
    if (window == 0) return;
    int show = platform::IsWindowMinimized(window) ? platform::kShowRestore : platform::kShowNormal;
    platform::PostWindowMessage(window, platform::kMessageShowWindow, show, 0);
    platform::PostWindowMessage(window, platform::kMessageSetForeground, 0, 0);
}

std::u16string BrowseForFolder(platform::WindowHandle owner, const std::u16string& title) {
    return Utf8ToUtf16(platform::BrowseForFolder(owner, Utf16ToUtf8(title)));
}

bool CenterWindow(platform::WindowHandle window) {
    return platform::CenterWindow(window);
}
