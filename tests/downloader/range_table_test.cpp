// The range table's byte layout, pinned by a checked-in file, and the tables a resume must refuse.
#include "downloader/range_table.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_handle.h"
#include "tests/downloader/test_support.h"

namespace ixo_test {
namespace {

using ns_IXD::RemainingRange;

std::string Fixture(const std::string& name) {
    return ReadTestFile(std::string(IXO_SOURCE_DIR) + "/tests/downloader/fixtures/" + name);
}

std::optional<std::map<int64_t, int64_t>> ReadFrom(const std::string& bytes, int64_t total) {
    TempFolder folder;
    std::string path = folder.Path() + "t.~P2S";
    EXPECT_TRUE(WriteTestFile(path, bytes));
    platform::FileHandle file;
    EXPECT_TRUE(file.Open(path, platform::FileHandle::Mode::kOpenExisting));
    return ns_IXD::ReadRangeTable(file, total);
}

// A 64-byte data area followed by the ranges 10~19 and 40~63, as a download of an earlier build left it.
TEST(RangeTableTest, MatchesTheCheckedInLayout) {
    std::string fixture = Fixture("range_table_64.bin");
    ASSERT_EQ(fixture.size(), 64u + 2 * 16 + 8);

    EXPECT_EQ(ns_IXD::EncodeRangeTable({{10, 19}, {40, 63}}), fixture.substr(64));
    auto ranges = ReadFrom(fixture, 64);
    ASSERT_TRUE(ranges);
    EXPECT_EQ(*ranges, (std::map<int64_t, int64_t>{{10, 19}, {40, 63}}));
}

struct BadTable {
    const char* what;
    std::vector<RemainingRange> ranges;
    int64_t total;
    std::string tail;  // bytes appended after the table
};

TEST(RangeTableTest, RefusesTablesThatCannotDescribeTheFile) {
    const BadTable cases[] = {
        {"range beyond the data", {{10, 64}}, 64, ""},
        {"start after end", {{20, 10}}, 64, ""},
        {"lengths add up to more than the file", {{0, 63}, {1, 63}}, 64, ""},
        {"two ranges from one byte", {{5, 9}, {5, 9}}, 64, ""},
        {"no range", {}, 64, ""},
        {"bytes after the count", {{10, 19}}, 64, std::string(3, '\0')},
    };
    for (const BadTable& test : cases) {
        SCOPED_TRACE(test.what);
        std::string bytes =
            std::string(size_t(test.total), 'd') + ns_IXD::EncodeRangeTable(test.ranges) + test.tail;
        EXPECT_FALSE(ReadFrom(bytes, test.total));
    }
    // A file no longer than its data has no table at all.
    EXPECT_FALSE(ReadFrom(std::string(64, 'd'), 64));
}

}  // namespace
}  // namespace ixo_test
