// The system's name resolution, IPv4 only. Addresses are 32-bit numbers in network byte order, as the system
// hands them out, so that their order in an ordered set is the system's numeric order of the raw value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The host's IPv4 addresses in the resolver's order, without duplicates; empty when it has none.
std::vector<uint32_t> ResolveIpv4(const std::string& host);

// Asks the system to forget cached name look-ups. Returns whether a flush was made; a system without a
// resolver cache has nothing to flush.
bool FlushResolverCache();

std::string Ipv4ToText(uint32_t address);
std::optional<uint32_t> TextToIpv4(const std::string& text);

}  // namespace platform
