// The table of ranges still to fetch, kept after the data area of a download's temporary file so that an
// interrupted download resumes. Fixed layout, every number an int64 little-endian:
//
//   total + 16*k      start of remaining range k
//   total + 16*k + 8  end of remaining range k (inclusive)
//   total + 16*n      n, the number of ranges
//
// The file ends right after n. The table is written in place (one write and a cut of the file after it), so a
// process killed at any moment leaves either the old or the new table readable.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class FileHandle;
}

namespace ns_IXD {

struct RemainingRange {
    int64_t start = 0;
    int64_t end = 0;  // inclusive
};

// The bytes of a table listing ranges in this order (pairs, then n).
std::string EncodeRangeTable(const std::vector<RemainingRange>& ranges);

// Reads the table at the end of an open file whose data area is total bytes. Every range must lie in the
// data area (0 <= start <= end < total), no two may start at the same byte, their lengths must not add up to
// more than total, and the file must end right after n. Returns the ranges keyed by start, or nothing when
// there is no valid table.
std::optional<std::map<int64_t, int64_t>> ReadRangeTable(platform::FileHandle& file, int64_t total);

}  // namespace ns_IXD
