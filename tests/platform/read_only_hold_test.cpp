#include "platform/read_only_hold.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "tests/support/temp_folder.h"

namespace {

TEST(ReadOnlyHoldTest, FileShowsAsHeldWhileOpen) {
    test_support::TempFolder folder;
    std::string package = folder.Write("package.bin", "content");
    EXPECT_FALSE(platform::IsFileHeld(package));
    {
        platform::ReadOnlyHold hold;
        ASSERT_TRUE(hold.Open(package));
        EXPECT_TRUE(hold.IsOpen());
        EXPECT_TRUE(platform::IsFileHeld(package));
        platform::ReadOnlyHold second;  // readers share
        EXPECT_TRUE(second.Open(package));
    }
    EXPECT_FALSE(platform::IsFileHeld(package));
}

TEST(ReadOnlyHoldTest, OpenFailsWithTheReason) {
    test_support::TempFolder folder;
    platform::ReadOnlyHold hold;
    int error = 0;
    EXPECT_FALSE(hold.Open(folder.Path() + "missing", &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(hold.Open(folder.Path(), &error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_FALSE(hold.IsOpen());
}

}  // namespace
