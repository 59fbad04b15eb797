#include "platform/file_handle.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system_error.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::FileHandle;
using test_support::TempFolder;

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char((i * 131 + i / 4099) & 0xFF);
    return bytes;
}

// Large writes go to the system in several pieces: every piece lands at its own offset, and nothing before or
// after the range is touched.
TEST(FileHandleTest, WriteLargerThanOnePieceLandsWholeAtItsOffset) {
    TempFolder folder;
    std::string path = folder.Write("f.bin", std::string(5 << 20, '.'));
    FileHandle file;
    ASSERT_TRUE(file.Open(path, FileHandle::Mode::kOpenExisting));
    const std::string bytes = Pattern((size_t(2) << 20) + (512 << 10) + 7);
    const int64_t offset = 123457;

    ASSERT_TRUE(file.WriteAt(offset, bytes.data(), int64_t(bytes.size())));

    std::string back(bytes.size() + 2, '\0');
    ASSERT_TRUE(file.ReadAt(offset - 1, back.data(), int64_t(back.size())));
    EXPECT_EQ(back.front(), '.');
    EXPECT_EQ(back.back(), '.');
    EXPECT_TRUE(back.substr(1, bytes.size()) == bytes);
    EXPECT_EQ(file.Size().value_or(0), int64_t(5 << 20));
}

TEST(FileHandleTest, NegativeOffsetsAndClosedHandlesFail) {
    TempFolder folder;
    FileHandle file;
    EXPECT_FALSE(file.WriteAt(0, "x", 1));
    ASSERT_TRUE(file.Open(folder.Path() + "g.bin", FileHandle::Mode::kCreateAlways));
    EXPECT_FALSE(file.WriteAt(-1, "x", 1));
    EXPECT_EQ(platform::LastSystemError(), platform::kErrorNegativeSeek);
    char byte = 0;
    EXPECT_FALSE(file.ReadAt(0, &byte, 1));
}

}  // namespace
