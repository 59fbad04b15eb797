// Base64 (RFC 4648 alphabet, '=' padding) as the services exchange it.
#pragma once

#include <string>

// Encodes the UTF-8 form of `text`.
std::u16string Base64Encode(const std::u16string& text);

// Lenient decoding, four characters at a time: the first two always give a byte, a third and a fourth that
// are not '=' give one more each, and the first '=' in third or fourth place ends the text. Characters
// outside the alphabet are not rejected; they decode as if their value were -1. A shorter last group gives
// what its characters give: one character nothing, two one byte, three two bytes.
std::string Base64Decode(const std::string& text);
