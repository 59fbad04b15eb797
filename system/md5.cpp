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

constexpr size_t kFileChunk = 1 << 20;

std::string FinishDigest(EVP_MD_CTX* context) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context, digest, &length) != 1) return {};
    return LowercaseHex(digest, length);
}

}  // namespace

struct Md5Stream::Context {
    DigestContext digest{EVP_MD_CTX_new()};
    bool usable = false;

    void Start() { usable = digest && EVP_DigestInit_ex(digest.get(), EVP_md5(), nullptr) == 1; }
};

Md5Stream::Md5Stream() : context_(std::make_unique<Context>()) {
    context_->Start();
}

Md5Stream::~Md5Stream() = default;

void Md5Stream::Update(const void* data, size_t length) {
    if (context_->usable && EVP_DigestUpdate(context_->digest.get(), data, length) != 1)
        context_->usable = false;
}

std::string Md5Stream::Finish() {
    std::string digest = context_->usable ? FinishDigest(context_->digest.get()) : std::string();
    context_->Start();
    return digest;
}

std::string Md5File(const std::u16string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(Utf16ToUtf8(path).c_str(), "rb"));
    if (!file) return {};
    Md5Stream stream;
    // Large reads: a downloaded installer is hashed as a whole, and each read is a call into the system.
    std::unique_ptr<unsigned char[]> chunk(new unsigned char[kFileChunk]);
    for (;;) {
        size_t count = std::fread(chunk.get(), 1, kFileChunk, file.get());
        if (count > 0) stream.Update(chunk.get(), count);
        if (count < kFileChunk) break;
    }
    // A read error (a folder, a failing disk) must not pass for the digest of the bytes read so far.
    if (std::ferror(file.get())) return {};
    return stream.Finish();
}

std::string Md5Buffer(const void* data, size_t length) {
    Md5Stream stream;
    stream.Update(data, length);
    return stream.Finish();
}
