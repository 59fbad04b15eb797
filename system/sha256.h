// SHA-256 (FIPS 180-4) of a text, as 64 lowercase hexadecimal characters; used to sign short requests.
#pragma once

#include <string>
#include <string_view>

// The empty text gives the empty result, not the digest of zero bytes: signers rely on that.
std::string Sha256(std::string_view text);
