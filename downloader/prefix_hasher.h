// The MD5 of a download's temporary file, kept up to date while the file is written out of order: a thread
// of its own follows the part that is complete from the first byte on, reading it back moments after the
// connections wrote it (from the page cache), so that when the last byte lands only what lay beyond that part
// is left to hash. The digest it gives is that of the bytes on disk: a write into a part already hashed
// spoils it, and the caller then hashes the file whole.
//
// Threads: Begin, Finish and Stop from the download thread; MarkWritten from the connection threads, any
// number at once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_handle.h"

namespace ns_IXD {

class CPrefixHasher {
public:
    struct Piece {
        int64_t start = 0;
        int64_t end = 0;  // inclusive
    };

    CPrefixHasher() = default;
    ~CPrefixHasher() { Stop(); }
    CPrefixHasher(const CPrefixHasher&) = delete;
    CPrefixHasher& operator=(const CPrefixHasher&) = delete;

    // Starts following the first size bytes of the file at path (what lies beyond, the range table, is not
    // hashed). present: parts already in the file, from an earlier run. False when the file cannot be opened;
    // the hasher then stays idle and Finish gives nothing.
    bool Begin(const std::string& path, int64_t size, const std::vector<Piece>& present);
    // [offset, offset + length) of the file now holds what the server sent for it.
    void MarkWritten(int64_t offset, int64_t length);
    // Call once nothing writes any more. Waits until the hashed part reaches the end of the file and returns
    // the digest (lowercase hex), or an empty text when it cannot stand for the file: some part was never
    // written, a part already hashed was written again, or a read failed. Closes the file.
    std::string Finish();
    // Ends the thread at once and forgets the file.
    void Stop();

    // The length of the part that is hashed (for tests).
    int64_t HashedForTesting();

private:
    void ThreadBody();
    void MarkWrittenLocked(int64_t offset, int64_t length);

    platform::FileHandle file_;
    int64_t size_ = -1;  // -1 while no file is followed
    std::thread thread_;
    std::mutex lock_;
    std::condition_variable changed_;
    // Written parts beyond the claimed length, merged: start -> end (exclusive).
    std::map<int64_t, int64_t> pieces_;
    int64_t claimed_ = 0;  // bytes hashed or being read for hashing, from the first byte on
    int64_t hashed_ = 0;
    bool spoiled_ = false;
    bool finishing_ = false;
    bool stopping_ = false;
    std::string digest_;  // set by the thread when the last byte is hashed
};

}  // namespace ns_IXD
