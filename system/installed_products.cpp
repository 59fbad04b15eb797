#include "system/installed_products.h"

#include <cstdlib>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace {

using platform::RegistryHive;
using platform::RegistryKey;
using platform::RegistryView;

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kUninstallKey32[] = "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kCompanionKey[] = "Software\\Kelvarosoft\\Kelvarosoft Atelier Hub";
constexpr char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer";

// A decimal number as the C library reads one; 0 for text that is none.
uint32_t ToNumber(const std::u16string& text) {
    return uint32_t(std::strtoul(Utf16ToUtf8(text).c_str(), nullptr, 10));
}

std::optional<std::string> ReadString(RegistryHive hive, const std::string& path, RegistryView view,
                                      const std::string& name) {
    RegistryKey key;
    if (!key.Open(hive, path, view)) return std::nullopt;
    return key.ReadString(name);
}

}  // namespace

std::u16string GetInstalledValue(const std::u16string& brand, const std::u16string& product_id,
                                 const std::u16string& value_name) {
    std::string base = "Software\\" + Utf16ToUtf8(brand);
    RegistryKey products;
    if (!products.Open(RegistryHive::kLocalMachine, base)) return {};
    uint32_t wanted = ToNumber(product_id);
    for (const std::string& name : products.ListSubKeys()) {
        RegistryKey product;
        if (!product.Open(RegistryHive::kLocalMachine, base + "\\" + name)) continue;
        if (product.ReadDword("PID") != wanted) continue;
        std::optional<std::string> info = product.ReadString("InstallInfo");
        if (!info || info->empty()) continue;
        return Utf8ToUtf16(product.ReadString(Utf16ToUtf8(value_name)).value_or(""));
    }
    return {};
}

bool IsProductInstalled(const std::u16string& brand, const std::u16string& product_id) {
    return !GetInstalledValue(brand, product_id, u"Version").empty();
}

std::u16string GetUninstallVersion(const std::u16string& product_id) {
    std::string wanted = Utf16ToUtf8(product_id);
    for (auto [path, view] :
         {std::pair{kUninstallKey, RegistryView::k64Bit}, {kUninstallKey32, RegistryView::k32Bit}}) {
        RegistryKey entries;
        if (!entries.Open(RegistryHive::kLocalMachine, path, view)) continue;
        for (const std::string& name : entries.ListSubKeys()) {
            RegistryKey entry;
            if (!entry.Open(RegistryHive::kLocalMachine, std::string(path) + "\\" + name, view)) continue;
            if (entry.ReadString("PID") != wanted) continue;
            if (std::optional<std::string> version = entry.ReadString("Version"))
                return Utf8ToUtf16(*version);
        }
    }
    return {};
}

std::u16string GetCompanionInstallName() {
    std::optional<std::string> native =
        ReadString(RegistryHive::kLocalMachine, kCompanionKey, RegistryView::k64Bit, "InstallName");
    if (native && !native->empty() && platform::FileExists(*native)) return Utf8ToUtf16(*native);
    std::optional<std::string> x86 =
        ReadString(RegistryHive::kLocalMachine, kCompanionKey, RegistryView::k32Bit, "InstallName");
    return Utf8ToUtf16(x86.value_or(""));
}

bool IsCompanionInstalled() {
    std::u16string name = GetCompanionInstallName();
    return !name.empty() && platform::FileExists(Utf16ToUtf8(name));
}

std::optional<uint32_t> GetUserDword(const std::u16string& key, const std::u16string& name) {
    RegistryKey user;
    if (!user.Open(RegistryHive::kCurrentUser, Utf16ToUtf8(key))) return std::nullopt;
    return user.ReadDword(Utf16ToUtf8(name));
}

bool SetUserDword(const std::u16string& key, const std::u16string& name, uint32_t value) {
    RegistryKey user;
    return user.Create(RegistryHive::kCurrentUser, Utf16ToUtf8(key)) &&
           user.WriteDword(Utf16ToUtf8(name), value);
}

std::u16string GetIeVersion() {
    std::optional<std::string> version =
        ReadString(RegistryHive::kLocalMachine, kBrowserKey, RegistryView::k32Bit, "Version");
    return version ? Utf8ToUtf16(*version) : u"-";
}
