#include "system/md5.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>

#include "formats/utf_conversion.h"
#include "system/hex_text.h"

namespace {

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextDeleter>;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Finish(EVP_MD_CTX* context) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context, digest, &length) != 1) return {};
    return LowercaseHex(digest, length);
}

}  // namespace

std::string Md5File(const std::u16string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(Utf16ToUtf8(path).c_str(), "rb"));
    if (!file) return {};
    DigestContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) return {};
    unsigned char chunk[65536];
    for (;;) {
        size_t count = std::fread(chunk, 1, sizeof chunk, file.get());
        if (count > 0) EVP_DigestUpdate(context.get(), chunk, count);
        if (count < sizeof chunk) break;
    }
    // A read error (a folder, a failing disk) must not pass for the digest of the bytes read so far.
    if (std::ferror(file.get())) return {};
    return Finish(context.get());
}

std::string Md5Buffer(const void* data, size_t length) {
    DigestContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) return {};
    EVP_DigestUpdate(context.get(), data, length);
    return Finish(context.get());
}
