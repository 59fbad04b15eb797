// Bytes as lowercase hexadecimal text, high nibble first: the one form in which digests are written.
#pragma once

#include <cstddef>
#include <string>

std::string LowercaseHex(const unsigned char* bytes, size_t length);
