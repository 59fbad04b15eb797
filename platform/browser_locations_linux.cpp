#include <cstdlib>
#include <mutex>

#include "platform/browser_locations.h"
#include "platform/child_process.h"

namespace platform {
namespace {

std::mutex g_root_lock;
std::string g_root;

struct Places {
    std::vector<std::string> commands;  // looked up along PATH
    std::vector<std::string> paths;     // fixed locations
};

Places PlacesOf(Browser browser) {
    switch (browser) {
        case Browser::kChrome:
            return {{"google-chrome-stable", "google-chrome", "chromium", "chromium-browser"},
                    {"/opt/google/chrome/google-chrome", "/opt/google/chrome/chrome",
                     "/usr/lib/chromium/chromium", "/snap/bin/chromium",
                     "/var/lib/flatpak/exports/bin/com.google.Chrome",
                     "/var/lib/flatpak/exports/bin/org.chromium.Chromium"}};
        case Browser::kFirefox:
            return {{"firefox", "firefox-esr"},
                    {"/opt/firefox/firefox", "/usr/lib/firefox/firefox", "/usr/lib/firefox-esr/firefox-esr",
                     "/snap/bin/firefox", "/var/lib/flatpak/exports/bin/org.mozilla.firefox"}};
        case Browser::kSafari:
            return {};
        case Browser::kOpera:
            return {{"opera"},
                    {"/usr/lib/x86_64-linux-gnu/opera/opera", "/usr/lib/aarch64-linux-gnu/opera/opera",
                     "/snap/bin/opera", "/var/lib/flatpak/exports/bin/com.opera.Opera"}};
    }
    return {};
}

}  // namespace

std::string FindBrowserExecutable(Browser browser) {
    Places places = PlacesOf(browser);
    const char* path_variable = std::getenv("PATH");
    std::string search = path_variable ? path_variable : "";
    for (const std::string& command : places.commands) {
        size_t begin = 0;
        while (begin <= search.size()) {
            size_t end = search.find(':', begin);
            if (end == std::string::npos) end = search.size();
            std::string folder = search.substr(begin, end - begin);
            begin = end + 1;
            if (folder.empty() || folder[0] != '/')
                continue;  // a relative PATH entry depends on where we are
            if (folder.back() != '/') folder += '/';
            if (IsExecutableFile(folder + command)) return folder + command;
        }
    }
    std::string root;
    {
        std::lock_guard guard(g_root_lock);
        root = g_root;
    }
    for (const std::string& path : places.paths) {
        if (IsExecutableFile(root + path)) return root + path;
    }
    return {};
}

void SetBrowserRootForTesting(const std::string& root) {
    std::lock_guard guard(g_root_lock);
    g_root = root;
    if (!g_root.empty() && g_root.back() == '/') g_root.pop_back();
}

}  // namespace platform
