#include "platform/resources.h"

#include <mutex>
#include <vector>

namespace platform {
namespace {

// Function-local so that registration from other translation units' static initialisers is safe.
struct ResourceTable {
    std::mutex lock;
    std::vector<ResourceEntry> entries;
};

ResourceTable& Table() {
    static ResourceTable table;
    return table;
}

}  // namespace

bool RegisterResources(std::span<const ResourceEntry> entries) {
    ResourceTable& table = Table();
    std::lock_guard guard(table.lock);
    table.entries.insert(table.entries.end(), entries.begin(), entries.end());
    return true;
}

std::optional<std::string_view> FindResource(std::string_view type, int id) {
    ResourceTable& table = Table();
    std::lock_guard guard(table.lock);
    for (const ResourceEntry& entry : table.entries) {
        if (entry.id == id && type == entry.type) return std::string_view(entry.begin, entry.end - entry.begin);
    }
    return std::nullopt;
}

}  // namespace platform
