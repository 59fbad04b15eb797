#include "system/identifiers.h"

#include <mutex>
#include <optional>

#include "formats/utf_conversion.h"
#include "platform/random_bytes.h"
#include "platform/registry.h"

namespace {

// The signature is read into room for 49 UTF-16 units and a terminator; a longer value counts as unreadable,
// and the lookup moves on to the next key.
constexpr size_t kLongestReadableSign = 49;

std::mutex g_random_lock;
uint64_t g_state[2] = {0, 0};  // guarded by g_random_lock

std::optional<std::u16string> ReadSign(platform::RegistryHive hive, const std::string& path,
                                       platform::RegistryView view) {
    platform::RegistryKey key;
    if (!key.Create(hive, path, view)) return std::nullopt;
    std::optional<std::string> value = key.ReadString("ClientSign");
    // An empty value is passed over like a missing one: stopping at it would make a new signature on every
    // call, and the machine would change its identity within a run.
    if (!value || value->empty()) return std::nullopt;
    std::u16string sign = Utf8ToUtf16(*value);
    if (sign.size() > kLongestReadableSign) return std::nullopt;
    return sign;
}

void StoreSign(const std::string& path, const std::u16string& sign) {
    platform::RegistryKey key;
    if (key.Create(platform::RegistryHive::kLocalMachine, path, platform::RegistryView::k32Bit))
        key.WriteString("ClientSign", Utf16ToUtf8(sign));
}

}  // namespace

uint64_t NextRandom() {
    std::lock_guard guard(g_random_lock);
    uint64_t x = g_state[0];
    uint64_t y = g_state[1];
    g_state[0] = y;
    x ^= x << 23;
    x ^= x >> 18;
    x ^= y ^ (y >> 5);
    g_state[1] = x;
    return x + y;
}

bool SeedRandom() {
    uint64_t seed[2];
    if (!platform::GetRandomBytes(seed, sizeof seed)) return false;
    std::lock_guard guard(g_random_lock);
    g_state[0] = seed[0];
    g_state[1] = seed[1];
    return true;
}

std::string NewUuid() {
    uint64_t numbers[2] = {NextRandom(), NextRandom()};
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i) bytes[i] = static_cast<unsigned char>(numbers[i / 8] >> (8 * (i % 8)));
    static const char kHex[] = "0123456789abcdef";
    static const char kVariant[] = "89ab";
    std::string uuid;
    int nibble_index = 0;
    for (char c : std::string_view("xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx")) {
        if (c != 'x' && c != 'y') {
            uuid += c;
            continue;
        }
        unsigned char byte = bytes[nibble_index / 2];
        int nibble = nibble_index % 2 == 0 ? (byte & 15) : (byte >> 4);
        uuid += c == 'x' ? kHex[nibble] : kVariant[nibble & 3];
        ++nibble_index;
    }
    return uuid;
}

std::u16string GetClientSign(const std::u16string& brand) {
    std::string name = Utf16ToUtf8(brand);
    std::string relay_key = "Software\\" + name + "\\" + name + " Relay Kit";
    std::string ixr_key = "Software\\" + name + "\\IXR";
    using platform::RegistryHive;
    using platform::RegistryView;
    std::optional<std::u16string> stored =
        ReadSign(RegistryHive::kCurrentUser, relay_key, RegistryView::kDefault);
    if (!stored) stored = ReadSign(RegistryHive::kLocalMachine, relay_key, RegistryView::k32Bit);
    if (!stored) stored = ReadSign(RegistryHive::kLocalMachine, ixr_key, RegistryView::k32Bit);
    if (stored) return *stored;

    SeedRandom();
    std::u16string sign = Utf8ToUtf16("{" + NewUuid() + "G}");
    StoreSign(relay_key, sign);
    StoreSign(ixr_key, sign);
    return sign;
}

void SetRandomStateForTesting(uint64_t s0, uint64_t s1) {
    std::lock_guard guard(g_random_lock);
    g_state[0] = s0;
    g_state[1] = s1;
}
