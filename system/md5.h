// MD5 digests (RFC 1321) as 32 lowercase hexadecimal characters, the form in which downloads are checked.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

// Digest of a whole file; empty when the file cannot be opened or read to its end.
std::string Md5File(const std::u16string& path);

std::string Md5Buffer(const void* data, size_t length);

// A digest fed piece by piece, for data that comes in order over time.
class Md5Stream {
public:
    Md5Stream();
    ~Md5Stream();
    Md5Stream(const Md5Stream&) = delete;
    Md5Stream& operator=(const Md5Stream&) = delete;

    void Update(const void* data, size_t length);
    // The digest of everything fed since construction or the last Finish, after which the stream starts over
    // empty. Empty when the digest cannot be computed.
    std::string Finish();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};
