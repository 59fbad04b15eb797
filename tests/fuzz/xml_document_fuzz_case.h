// One fuzz input run through CXmlDocument with every consistency check; shared by the libFuzzer target and by
// the unit tests that replay the inputs which once found a fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The first byte chooses how the rest is read: odd, as little-endian UTF-16 units; even, as UTF-8 through the
// document's own conversion (whose counting, buffer and round-trip rules are checked on the way). The text is
// parsed, walked with the cursor, and edited by cursor moves and additions that the last bytes choose.
// Returns a description of the first check that failed, empty when all held.
std::string CheckXmlDocumentFuzzCase(const uint8_t* data, size_t size);
