// Resources embedded into the executable at build time (cmake/EmbedResources.cmake), found by type and id.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace platform {

struct ResourceEntry {
    const char* type;  // "XML", "ZIPRES", "PNG", "ICON", "EXE", ...
    int id;
    const char* begin;
    const char* end;
};

// Called by the generated table of each executable during static initialisation. Always returns true.
bool RegisterResources(std::span<const ResourceEntry> entries);

// The bytes of the resource, valid for the life of the process; nullopt when the executable has none.
std::optional<std::string_view> FindResource(std::string_view type, int id);

}  // namespace platform
