#include "platform/large_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

using platform::LargeBuffer;

// Sizes below a page, of exactly one large page, and past large pages by one byte: each is zero-filled and
// writable to its last byte.
TEST(LargeBufferTest, BlocksOfEverySizeAreZeroFilledAndWritableToTheEnd) {
    for (size_t size : {size_t(1), size_t(4095), size_t(2) << 20, (size_t(5) << 20) + 1}) {
        LargeBuffer buffer;
        ASSERT_TRUE(buffer.Allocate(size)) << size;
        ASSERT_EQ(buffer.Size(), size);
        const char* data = buffer.Data();
        EXPECT_TRUE(std::all_of(data, data + size, [](char c) { return c == 0; })) << size;
        std::memset(buffer.Data(), 0x5a, size);
        EXPECT_EQ(buffer.Data()[size - 1], 0x5a) << size;
    }
}

TEST(LargeBufferTest, ReallocatingGivesAFreshBlockAndMovingHandsItOver) {
    LargeBuffer first;
    ASSERT_TRUE(first.Allocate(3 << 20));
    std::memset(first.Data(), 1, first.Size());
    ASSERT_TRUE(first.Allocate(3 << 20));
    EXPECT_EQ(first.Data()[0], 0);

    first.Data()[7] = 9;
    LargeBuffer second = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(first.Size(), 0u);
    ASSERT_TRUE(second);
    EXPECT_EQ(second.Data()[7], 9);

    EXPECT_FALSE(second.Allocate(0));
    EXPECT_FALSE(second);
}

}  // namespace
