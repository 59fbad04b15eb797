// MD5 digests (RFC 1321) as 32 lowercase hexadecimal characters, the form in which downloads are checked.
#pragma once

#include <cstddef>
#include <string>

// Digest of a whole file; empty when the file cannot be opened or read to its end.
std::string Md5File(const std::u16string& path);

std::string Md5Buffer(const void* data, size_t length);
