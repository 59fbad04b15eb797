// The system registry: two hives (local machine, current user), the local-machine hive in a 32-bit and a
// 64-bit view, keys addressed by backslash paths ("Software\Kelvarosoft\IXR"), string and DWORD values.
//
// Key and value names compare without regard to ASCII case and keep the case they were created with. Empty
// path components are ignored, so "Software\IxrCX\" and "Software\IxrCX" are the same key; the empty path is
// the hive's root. Text is UTF-8.
//
// Every operation reads the store afresh: a RegistryKey is a name, not a snapshot, and sees the changes of
// other processes. Each change is atomic and is never lost to a concurrent change by another process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class RegistryHive { kLocalMachine, kCurrentUser };

// Views of the local-machine hive. The installer is by design a 32-bit program on a 64-bit system, so what it
// sees without asking (kDefault) is the 32-bit view. Paths that begin with "Software\WOW6432Node" reach the
// 32-bit view's "Software" in any view. The current-user hive has a single view; the value is ignored there.
enum class RegistryView { kDefault, k32Bit, k64Bit };

enum class RegistryValueType { kString, kDword };

struct RegistryValue {
    RegistryValueType type = RegistryValueType::kString;
    std::string text;     // kString
    uint32_t number = 0;  // kDword
};

class RegistryKey {
public:
    // Opens an existing key. False when it does not exist or the store cannot be read.
    bool Open(RegistryHive hive, const std::string& path, RegistryView view = RegistryView::kDefault);

    // Opens the key, first creating it and its missing parents when it does not exist. An existing key is
    // opened without writing anything. False when the key is missing and cannot be created (for the
    // local-machine hive: without the right to write its folder) or when a name holds a control character.
    bool Create(RegistryHive hive, const std::string& path, RegistryView view = RegistryView::kDefault);

    bool IsOpen() const { return !store_file_.empty(); }
    const std::string& Path() const { return path_; }

    // nullopt when the key or the value does not exist (anymore), or the store cannot be read. ReadString
    // and ReadDword also give nullopt for a value of the other type. "" names the key's default value.
    std::optional<RegistryValue> ReadValue(const std::string& name) const;
    std::optional<std::string> ReadString(const std::string& name) const;
    std::optional<uint32_t> ReadDword(const std::string& name) const;

    // Create or replace a value. False when the key has been deleted since it was opened, is a hive's root
    // (which holds no values), or the store cannot be written.
    bool WriteString(const std::string& name, const std::string& text);
    bool WriteDword(const std::string& name, uint32_t number);

    // False when the value does not exist or the store cannot be written.
    bool DeleteValue(const std::string& name);

    // Names of the direct sub-keys, in case-insensitive order (stable between calls); empty when the key is
    // gone or the store cannot be read.
    std::vector<std::string> ListSubKeys() const;

private:
    bool Write(const std::string& name, const RegistryValue& value);

    std::string store_file_;  // empty while not open
    std::string path_;        // as given, normalised
};

// Deletes the key with its sub-keys and values. False when it does not exist, is a hive's root, or the store
// cannot be written.
bool DeleteRegistryKey(RegistryHive hive, const std::string& path,
                       RegistryView view = RegistryView::kDefault);

// Keeps both hives under `folder` instead of their real places (created on first write), so that tests never
// touch the machine's store; an empty folder restores the real places. Applies to the whole process and to
// keys opened afterwards.
void SetRegistryRootForTesting(const std::string& folder);

}  // namespace platform
