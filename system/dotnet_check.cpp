#include "system/dotnet_check.h"

#include <cstdlib>
#include <optional>

#include "formats/utf_conversion.h"
#include "platform/registry.h"
#include "system/process_launch.h"

namespace {

using platform::RegistryHive;
using platform::RegistryKey;

constexpr char kFrameworkKey[] = "SOFTWARE\\Microsoft\\.NETFramework";
constexpr char kSetupKey[] = "Software\\Microsoft\\NET Framework Setup\\NDP";

int ToNumber(const std::string& text) {
    return int(std::strtol(text.c_str(), nullptr, 10));
}

// The number after the first '.' of a version text (up to the second '.'); 0 without a '.'.
int MinorOf(const std::string& version) {
    size_t dot = version.find('.');
    return dot == std::string::npos ? 0 : ToNumber(version.substr(dot + 1));
}

bool KeyExists(const std::string& path) {
    RegistryKey key;
    return key.Open(RegistryHive::kLocalMachine, path);
}

}  // namespace

bool IsDotNet2Present() {
    if (!KeyExists(std::string(kFrameworkKey) + "\\policy\\v2.0") &&
        !KeyExists(std::string(kFrameworkKey) + "\\policy\\v2.0.50727")) {
        return false;
    }
    RegistryKey framework;
    if (!framework.Open(RegistryHive::kLocalMachine, kFrameworkKey)) return false;
    std::optional<std::string> root = framework.ReadString("InstallRoot");
    return root && !root->empty();
}

bool RunDotNetProbe(const std::u16string& command_line) {
    if (command_line.empty() || !IsDotNet2Present()) return false;
    RegistryKey framework;
    bool opened = framework.Open(RegistryHive::kLocalMachine, kFrameworkKey);
    bool set_here = false;
    if (opened && framework.ReadDword("NoGuiFromShim").value_or(0) == 0) {
        set_here = framework.WriteDword("NoGuiFromShim", 1);
    }
    bool ready = RunHidden(command_line);
    if (set_here) framework.DeleteValue("NoGuiFromShim");
    return ready;
}

bool IsDotNetVersionPresent(const std::u16string& required) {
    std::string wanted = Utf16ToUtf8(required);
    int major = ToNumber(wanted);
    int minor = MinorOf(wanted);
    if (major < 2 || major > 4) return false;

    RegistryKey setup;
    if (!setup.Open(RegistryHive::kLocalMachine, kSetupKey)) return false;
    for (const std::string& name : setup.ListSubKeys()) {
        // "v4.0" -> 4, "v3.5" -> 3, "v4" -> 4
        std::string rest = name.size() > 1 ? name.substr(1) : std::string();
        int installed_major = ToNumber(rest.substr(0, rest.find('.')));
        if (installed_major < 2 || installed_major > 4) continue;
        std::string path = std::string(kSetupKey) + "\\" + name + (installed_major == 4 ? "\\Full" : "");
        RegistryKey version_key;
        if (!version_key.Open(RegistryHive::kLocalMachine, path)) continue;
        if (version_key.ReadDword("Install") != 1u) continue;
        int installed_minor = MinorOf(version_key.ReadString("Version").value_or(""));
        bool present = installed_major < 4 ? (major < installed_major ||
                                              (major == installed_major && minor <= installed_minor))
                                           : (major == 4 && minor <= installed_minor);
        if (present) return true;
    }
    return false;
}
