#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>

#include "platform/file_system.h"
#include "platform/registry.h"

// Each hive view is one text file: "hklm32.reg" and "hklm64.reg" under /var/lib/ixo/registry/, "hkcu.reg"
// under the user's data folder. A change takes an exclusive flock on "<file>.lock", rereads the file, applies
// the change and replaces the file by rename; readers take no lock, since a rename shows them the whole old
// or the whole new file. The format, one item a line:
//
//   ; ixo registry 1
//   [Software\Kelvarosoft\IXR]
//   "ClientSign"=sz:"{...}"
//   "PID"=dword:42
//
// Every key is listed, parents included, so that empty keys survive. In key paths, names and string data '%',
// '"' and control characters are written as %HH, which keeps every item on one line.

namespace platform {
namespace {

constexpr char kHeader[] = "; ixo registry 1";
constexpr char kLocalMachineFolder[] = "/var/lib/ixo/registry/";

std::mutex g_root_lock;
std::string g_test_root;  // guarded by g_root_lock

struct StoredValue {
    std::string name;
    RegistryValue value;
};

struct StoredKey {
    std::string path;
    std::map<std::string, StoredValue> values;  // by folded name
};

using Store = std::map<std::string, StoredKey>;  // by folded path

std::string Fold(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return text;
}

bool HasControlCharacter(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return false;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i) {
        if (i) path += '\\';
        path += parts[i];
    }
    return path;
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string CurrentUserFolder() {
    const char* data_home = std::getenv("XDG_DATA_HOME");
    if (data_home && data_home[0] == '/') return WithSlash(data_home) + "ixo/registry/";
    const char* home = std::getenv("HOME");
    std::string base = home && home[0] == '/' ? home : "";
    if (base.empty()) {
        if (const passwd* entry = getpwuid(geteuid())) base = entry->pw_dir ? entry->pw_dir : "";
    }
    if (base.empty()) return {};
    return WithSlash(base) + ".local/share/ixo/registry/";
}

// Where a key lives: the store file of its hive view and its path inside that file.
struct Location {
    std::string store_file;  // empty when the hive has no place (no home folder)
    std::vector<std::string> parts;
};

Location Locate(RegistryHive hive, const std::string& path, RegistryView view) {
    Location location;
    location.parts = SplitPath(path);
    std::string root;
    {
        std::lock_guard guard(g_root_lock);
        root = g_test_root;
    }
    if (hive == RegistryHive::kCurrentUser) {
        std::string folder = root.empty() ? CurrentUserFolder() : root;
        if (!folder.empty()) location.store_file = folder + "hkcu.reg";
        return location;
    }
    bool wow_node = location.parts.size() >= 2 && Fold(location.parts[0]) == "software" &&
                    Fold(location.parts[1]) == "wow6432node";
    if (wow_node) {
        location.parts.erase(location.parts.begin() + 1);
        view = RegistryView::k32Bit;
    }
    std::string folder = root.empty() ? kLocalMachineFolder : root;
    location.store_file = folder + (view == RegistryView::k64Bit ? "hklm64.reg" : "hklm32.reg");
    return location;
}

std::string Escape(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F || c == '%' || c == '"') {
            escaped += '%';
            escaped += kHex[c >> 4];
            escaped += kHex[c & 15];
        } else {
            escaped += char(c);
        }
    }
    return escaped;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescape(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            plain += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int high = HexDigit(text[i + 1]);
        int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        plain += char(high * 16 + low);
        i += 2;
    }
    return plain;
}

// Adds the key and each missing parent; the existing ones keep the case they were created with.
void AddKey(Store& store, const std::vector<std::string>& parts) {
    for (size_t count = 1; count <= parts.size(); ++count) {
        std::string path = JoinPath(parts, count);
        StoredKey& key = store[Fold(path)];
        if (key.path.empty()) key.path = path;
    }
}

std::string Serialise(const Store& store) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [folded, key] : store) {
        text += "[" + Escape(key.path) + "]\n";
        for (const auto& [folded_name, stored] : key.values) {
            text += "\"" + Escape(stored.name) + "\"=";
            if (stored.value.type == RegistryValueType::kDword) {
                text += "dword:" + std::to_string(stored.value.number) + "\n";
            } else {
                text += "sz:\"" + Escape(stored.value.text) + "\"\n";
            }
        }
    }
    return text;
}

// Parses a whole store file; nullopt for anything malformed, so that a damaged file is never overwritten with
// the little that could be read from it.
std::optional<Store> Parse(const std::string& text) {
    Store store;
    StoredKey* current = nullptr;
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (first) {
            if (line != kHeader) return std::nullopt;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 2) return std::nullopt;
            std::optional<std::string> path = Unescape(line.substr(1, line.size() - 2));
            if (!path) return std::nullopt;
            std::vector<std::string> parts = SplitPath(*path);
            if (parts.empty()) return std::nullopt;
            AddKey(store, parts);
            current = &store[Fold(JoinPath(parts, parts.size()))];
            continue;
        }
        if (line.front() != '"' || !current) return std::nullopt;
        size_t close = line.find('"', 1);
        if (close == std::string::npos || line.compare(close + 1, 1, "=") != 0) return std::nullopt;
        std::optional<std::string> name = Unescape(line.substr(1, close - 1));
        if (!name) return std::nullopt;
        std::string data = line.substr(close + 2);
        StoredValue stored{*name, {}};
        if (data.rfind("dword:", 0) == 0) {
            std::string digits = data.substr(6);
            if (digits.empty() || digits.size() > 10 ||
                digits.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            unsigned long long number = std::strtoull(digits.c_str(), nullptr, 10);
            if (number > 0xFFFFFFFFull) return std::nullopt;
            stored.value.type = RegistryValueType::kDword;
            stored.value.number = uint32_t(number);
        } else if (data.rfind("sz:\"", 0) == 0 && data.size() >= 5 && data.back() == '"') {
            std::optional<std::string> content = Unescape(data.substr(4, data.size() - 5));
            if (!content) return std::nullopt;
            stored.value.type = RegistryValueType::kString;
            stored.value.text = std::move(*content);
        } else {
            return std::nullopt;
        }
        current->values[Fold(*name)] = std::move(stored);
    }
    return store;
}

// A missing file is an empty store; an unreadable or damaged one is nullopt.
std::optional<Store> Load(const std::string& store_file) {
    std::optional<std::string> text = ReadFile(store_file);
    if (text) return Parse(*text);
    if (access(store_file.c_str(), F_OK) != 0 && errno == ENOENT) return Store{};
    return std::nullopt;
}

// Applies `change` to the store under the store's lock and writes the result when `change` returns true.
// False when the lock or the store cannot be had, `change` declines, or the write fails.
bool Update(const std::string& store_file, const std::function<bool(Store&)>& change) {
    std::string folder = store_file.substr(0, store_file.rfind('/') + 1);
    if (!CreateFolderWithParents(folder)) return false;
    int lock = open((store_file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0) return false;
    int locked;
    do {
        locked = flock(lock, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    bool ok = false;
    if (locked == 0) {
        std::optional<Store> store = Load(store_file);
        ok = store && change(*store) && WriteFileAtomically(store_file, Serialise(*store));
    }
    close(lock);  // releases the lock
    return ok;
}

const StoredKey* FindKey(const Store& store, const std::string& folded_path) {
    auto found = store.find(folded_path);
    return found == store.end() ? nullptr : &found->second;
}

}  // namespace

bool RegistryKey::Open(RegistryHive hive, const std::string& path, RegistryView view) {
    store_file_.clear();
    Location location = Locate(hive, path, view);
    if (location.store_file.empty()) return false;
    std::string normalised = JoinPath(location.parts, location.parts.size());
    if (!normalised.empty()) {
        std::optional<Store> store = Load(location.store_file);
        if (!store || !FindKey(*store, Fold(normalised))) return false;
    }
    store_file_ = location.store_file;
    path_ = normalised;
    return true;
}

bool RegistryKey::Create(RegistryHive hive, const std::string& path, RegistryView view) {
    if (Open(hive, path, view)) return true;
    Location location = Locate(hive, path, view);
    if (location.store_file.empty() || HasControlCharacter(path)) return false;
    bool created = Update(location.store_file, [&](Store& store) {
        AddKey(store, location.parts);
        return true;
    });
    if (!created) return false;
    store_file_ = location.store_file;
    path_ = JoinPath(location.parts, location.parts.size());
    return true;
}

std::optional<RegistryValue> RegistryKey::ReadValue(const std::string& name) const {
    if (!IsOpen()) return std::nullopt;
    std::optional<Store> store = Load(store_file_);
    if (!store) return std::nullopt;
    const StoredKey* key = FindKey(*store, Fold(path_));
    if (!key) return std::nullopt;
    auto found = key->values.find(Fold(name));
    if (found == key->values.end()) return std::nullopt;
    return found->second.value;
}

std::optional<std::string> RegistryKey::ReadString(const std::string& name) const {
    std::optional<RegistryValue> value = ReadValue(name);
    if (!value || value->type != RegistryValueType::kString) return std::nullopt;
    return value->text;
}

std::optional<uint32_t> RegistryKey::ReadDword(const std::string& name) const {
    std::optional<RegistryValue> value = ReadValue(name);
    if (!value || value->type != RegistryValueType::kDword) return std::nullopt;
    return value->number;
}

bool RegistryKey::Write(const std::string& name, const RegistryValue& value) {
    // A hive's root holds no values.
    if (!IsOpen() || path_.empty() || HasControlCharacter(name)) return false;
    return Update(store_file_, [&](Store& store) {
        auto found = store.find(Fold(path_));
        if (found == store.end()) return false;
        StoredValue& stored = found->second.values[Fold(name)];
        if (stored.name.empty()) stored.name = name;
        stored.value = value;
        return true;
    });
}

bool RegistryKey::WriteString(const std::string& name, const std::string& text) {
    return Write(name, RegistryValue{RegistryValueType::kString, text, 0});
}

bool RegistryKey::WriteDword(const std::string& name, uint32_t number) {
    return Write(name, RegistryValue{RegistryValueType::kDword, {}, number});
}

bool RegistryKey::DeleteValue(const std::string& name) {
    if (!IsOpen()) return false;
    return Update(store_file_, [&](Store& store) {
        auto key = store.find(Fold(path_));
        return key != store.end() && key->second.values.erase(Fold(name)) == 1;
    });
}

std::vector<std::string> RegistryKey::ListSubKeys() const {
    std::vector<std::string> names;
    if (!IsOpen()) return names;
    std::optional<Store> store = Load(store_file_);
    if (!store) return names;
    std::string prefix = path_.empty() ? std::string() : Fold(path_) + "\\";
    if (!path_.empty() && !FindKey(*store, Fold(path_))) return names;
    for (auto it = store->lower_bound(prefix); it != store->end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        std::string rest = it->first.substr(prefix.size());
        if (rest.empty() || rest.find('\\') != std::string::npos) continue;
        names.push_back(it->second.path.substr(it->second.path.size() - rest.size()));
    }
    return names;
}

bool DeleteRegistryKey(RegistryHive hive, const std::string& path, RegistryView view) {
    Location location = Locate(hive, path, view);
    if (location.store_file.empty() || location.parts.empty()) return false;
    std::string folded = Fold(JoinPath(location.parts, location.parts.size()));
    return Update(location.store_file, [&](Store& store) {
        if (store.erase(folded) == 0) return false;
        std::string prefix = folded + "\\";
        for (auto it = store.lower_bound(prefix);
             it != store.end() && it->first.compare(0, prefix.size(), prefix) == 0;)
            it = store.erase(it);
        return true;
    });
}

void SetRegistryRootForTesting(const std::string& folder) {
    std::lock_guard guard(g_root_lock);
    g_test_root = WithSlash(folder);
}

}  // namespace platform
