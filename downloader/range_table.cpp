#include "downloader/range_table.h"

#include "platform/file_handle.h"

namespace ns_IXD {

namespace {

void AppendInt64(std::string& out, int64_t value) {
    uint64_t bits = uint64_t(value);
    for (int i = 0; i < 8; ++i) out.push_back(char((bits >> (8 * i)) & 0xFF));
}

std::optional<int64_t> ReadInt64(platform::FileHandle& file, int64_t offset) {
    unsigned char bytes[8];
    if (offset < 0 || !file.ReadAt(offset, bytes, sizeof bytes)) return std::nullopt;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes[i];
    return int64_t(bits);
}

}  // namespace

std::string EncodeRangeTable(const std::vector<RemainingRange>& ranges) {
    std::string out;
    out.reserve(ranges.size() * 16 + 8);
    for (const RemainingRange& range : ranges) {
        AppendInt64(out, range.start);
        AppendInt64(out, range.end);
    }
    AppendInt64(out, int64_t(ranges.size()));
    return out;
}

std::optional<std::map<int64_t, int64_t>> ReadRangeTable(platform::FileHandle& file, int64_t total) {
    std::optional<int64_t> size = file.Size();
    if (!size || total <= 0 || *size <= total) return std::nullopt;
    std::optional<int64_t> count = ReadInt64(file, *size - 8);
    if (!count || *count <= 0) return std::nullopt;
    // A table that does not fill the tail exactly is not ours (or was cut mid-write).
    if (*count > (*size - total) / 16 || total + 16 * *count + 8 != *size) return std::nullopt;

    std::map<int64_t, int64_t> ranges;
    int64_t sum = 0;
    for (int64_t k = 0; k < *count; ++k) {
        std::optional<int64_t> end = ReadInt64(file, *size - 16 * k - 16);
        std::optional<int64_t> start = ReadInt64(file, *size - 16 * k - 24);
        if (!start || !end || *start < 0 || *start > *end || *end >= total) return std::nullopt;
        if (ranges.count(*start)) return std::nullopt;
        sum += *end - *start + 1;
        if (sum > total) return std::nullopt;
        ranges[*start] = *end;
    }
    return ranges;
}

}  // namespace ns_IXD
