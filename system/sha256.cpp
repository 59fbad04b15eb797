#include "system/sha256.h"

#include <openssl/sha.h>

#include "system/hex_text.h"

std::string Sha256(std::string_view text) {
    if (text.empty()) return {};
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
    return LowercaseHex(digest, sizeof digest);
}
