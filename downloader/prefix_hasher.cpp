#include "downloader/prefix_hasher.h"

#include <algorithm>
#include <iterator>

#include "system/md5.h"

namespace ns_IXD {

namespace {

constexpr int64_t kReadChunk = 1 << 20;

}  // namespace

bool CPrefixHasher::Begin(const std::string& path, int64_t size, const std::vector<Piece>& present) {
    Stop();
    if (!file_.Open(path, platform::FileHandle::Mode::kOpenExisting)) return false;
    std::lock_guard<std::mutex> hold(lock_);
    size_ = size;
    for (const Piece& piece : present) MarkWrittenLocked(piece.start, piece.end - piece.start + 1);
    thread_ = std::thread(&CPrefixHasher::ThreadBody, this);
    return true;
}

void CPrefixHasher::MarkWritten(int64_t offset, int64_t length) {
    std::lock_guard<std::mutex> hold(lock_);
    MarkWrittenLocked(offset, length);
}

void CPrefixHasher::MarkWrittenLocked(int64_t offset, int64_t length) {
    if (size_ < 0 || length <= 0 || offset >= size_) return;
    int64_t begin = std::max<int64_t>(0, offset);
    int64_t end = std::min(offset + length, size_);
    if (begin < claimed_) {
        // What was hashed may no longer be what the file holds.
        spoiled_ = true;
        changed_.notify_all();
        return;
    }
    auto next = pieces_.upper_bound(begin);
    if (next != pieces_.begin()) {
        auto before = std::prev(next);
        if (before->second >= begin) {
            begin = before->first;
            end = std::max(end, before->second);
            next = pieces_.erase(before);
        }
    }
    while (next != pieces_.end() && next->first <= end) {
        end = std::max(end, next->second);
        next = pieces_.erase(next);
    }
    pieces_[begin] = end;
    if (begin == claimed_) changed_.notify_all();
}

void CPrefixHasher::ThreadBody() {
    Md5Stream stream;
    std::vector<char> chunk(size_t(std::min<int64_t>(kReadChunk, std::max<int64_t>(size_, 1))));
    std::unique_lock<std::mutex> hold(lock_);
    while (!stopping_ && !spoiled_) {
        if (hashed_ == size_) {
            digest_ = stream.Finish();
            break;
        }
        auto piece = pieces_.find(claimed_);
        if (piece == pieces_.end()) {
            // A gap that no connection is left to fill: the digest cannot be had this way.
            if (finishing_) break;
            changed_.wait(hold);
            continue;
        }
        int64_t from = claimed_;
        int64_t to = std::min(piece->second, from + int64_t(chunk.size()));
        int64_t piece_end = piece->second;
        pieces_.erase(piece);
        if (to < piece_end) pieces_[to] = piece_end;
        claimed_ = to;
        hold.unlock();
        bool read = file_.ReadAt(from, chunk.data(), to - from);
        if (read) stream.Update(chunk.data(), size_t(to - from));
        hold.lock();
        if (!read) {
            spoiled_ = true;
            break;
        }
        hashed_ = to;
    }
}

std::string CPrefixHasher::Finish() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        finishing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    std::string digest;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!spoiled_ && size_ >= 0 && hashed_ == size_) digest = digest_;
    }
    Stop();
    return digest;
}

void CPrefixHasher::Stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    file_.Close();
    std::lock_guard<std::mutex> hold(lock_);
    size_ = -1;
    pieces_.clear();
    claimed_ = 0;
    hashed_ = 0;
    spoiled_ = false;
    finishing_ = false;
    stopping_ = false;
    digest_.clear();
}

int64_t CPrefixHasher::HashedForTesting() {
    std::lock_guard<std::mutex> hold(lock_);
    return hashed_;
}

}  // namespace ns_IXD
