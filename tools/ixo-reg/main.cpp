// ixo-reg: reads and writes the installer's registry store, for package installers and tests.
//
//   ixo-reg [--root FOLDER] get  HIVE KEY NAME
//   ixo-reg [--root FOLDER] set  HIVE KEY NAME sz|dword VALUE
//   ixo-reg [--root FOLDER] del  HIVE KEY [NAME]
//   ixo-reg [--root FOLDER] list HIVE KEY
//
// HIVE is HKLM, HKCU, HKLM/32 or HKLM/64 (HKLM alone is the 32-bit view, as the installer sees it). --root
// keeps both hives in FOLDER instead of their real places. Exit status: 0 done, 1 not found or not written,
// 2 wrong usage.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

struct HiveChoice {
    platform::RegistryHive hive;
    platform::RegistryView view;
};

int Usage(const char* problem) {
    std::fprintf(stderr,
                 "ixo-reg: %s\n"
                 "usage: ixo-reg [--root FOLDER] get HIVE KEY NAME\n"
                 "       ixo-reg [--root FOLDER] set HIVE KEY NAME sz|dword VALUE\n"
                 "       ixo-reg [--root FOLDER] del HIVE KEY [NAME]\n"
                 "       ixo-reg [--root FOLDER] list HIVE KEY\n"
                 "HIVE is HKLM, HKCU, HKLM/32 or HKLM/64\n",
                 problem);
    return kUsage;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "ixo-reg: %s\n", message.c_str());
    return kFailed;
}

std::optional<HiveChoice> ParseHive(const std::string& text) {
    using platform::RegistryHive;
    using platform::RegistryView;
    if (text == "HKLM") return HiveChoice{RegistryHive::kLocalMachine, RegistryView::kDefault};
    if (text == "HKLM/32") return HiveChoice{RegistryHive::kLocalMachine, RegistryView::k32Bit};
    if (text == "HKLM/64") return HiveChoice{RegistryHive::kLocalMachine, RegistryView::k64Bit};
    if (text == "HKCU") return HiveChoice{RegistryHive::kCurrentUser, RegistryView::kDefault};
    return std::nullopt;
}

// Decimal, or hexadecimal after "0x"; the whole text must be a number that fits 32 bits.
std::optional<uint32_t> ParseDword(const std::string& text) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) return std::nullopt;
    errno = 0;
    unsigned long long number = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno != 0 || number > 0xFFFFFFFFull) return std::nullopt;
    return uint32_t(number);
}

int Run(const std::vector<std::string>& args) {
    if (args.size() < 3) return Usage("missing arguments");
    const std::string& command = args[0];
    std::optional<HiveChoice> hive = ParseHive(args[1]);
    if (!hive) return Usage(("unknown hive '" + args[1] + "'").c_str());
    const std::string& key_path = args[2];
    std::string where = args[1] + "\\" + key_path;
    platform::RegistryKey key;

    if (command == "get") {
        if (args.size() != 4) return Usage("get takes HIVE KEY NAME");
        if (!key.Open(hive->hive, key_path, hive->view)) return Fail(where + ": no such key");
        std::optional<platform::RegistryValue> value = key.ReadValue(args[3]);
        if (!value) return Fail(where + ": no value named '" + args[3] + "'");
        if (value->type == platform::RegistryValueType::kDword) {
            std::printf("%u\n", unsigned(value->number));
        } else {
            std::printf("%s\n", value->text.c_str());
        }
        return 0;
    }
    if (command == "set") {
        if (args.size() != 6) return Usage("set takes HIVE KEY NAME sz|dword VALUE");
        const std::string& type = args[4];
        std::optional<uint32_t> number;
        if (type == "dword") {
            number = ParseDword(args[5]);
            if (!number) return Usage(("'" + args[5] + "' is not a 32-bit unsigned number").c_str());
        } else if (type != "sz") {
            return Usage(("unknown value type '" + type + "'").c_str());
        }
        if (!key.Create(hive->hive, key_path, hive->view)) return Fail(where + ": cannot create the key");
        bool written = number ? key.WriteDword(args[3], *number) : key.WriteString(args[3], args[5]);
        if (!written) return Fail(where + ": cannot write the value '" + args[3] + "'");
        return 0;
    }
    if (command == "del") {
        if (args.size() == 3) {
            if (!platform::DeleteRegistryKey(hive->hive, key_path, hive->view))
                return Fail(where + ": no such key, or it cannot be deleted");
            return 0;
        }
        if (args.size() != 4) return Usage("del takes HIVE KEY [NAME]");
        if (!key.Open(hive->hive, key_path, hive->view)) return Fail(where + ": no such key");
        if (!key.DeleteValue(args[3]))
            return Fail(where + ": no value named '" + args[3] + "', or it cannot be deleted");
        return 0;
    }
    if (command == "list") {
        if (args.size() != 3) return Usage("list takes HIVE KEY");
        if (!key.Open(hive->hive, key_path, hive->view)) return Fail(where + ": no such key");
        for (const std::string& name : key.ListSubKeys()) std::printf("%s\n", name.c_str());
        return 0;
    }
    return Usage(("unknown command '" + command + "'").c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--root") {
        if (args[1].empty()) return Usage("--root needs a folder");
        platform::SetRegistryRootForTesting(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    return Run(args);
}
