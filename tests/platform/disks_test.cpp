#include "platform/disks.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace {

const char kMounts[] =
    "overlay / overlay rw,relatime 0 0\n"
    "proc /proc proc rw 0 0\n"
    "/dev/sda2 /home ext4 rw 0 0\n"
    "/dev/sdb1 /media/usb\\040disk vfat rw 0 0\n"
    "/dev/sda3 /home2 ext4 rw 0 0\n"
    "/dev/sda2 /home ext4 rw 0 0\n"
    "tmpfs /tmp tmpfs rw 0 0\n"
    "broken line\n";

bool FromSd(const platform::MountEntry& mount) {
    return mount.source.compare(0, 7, "/dev/sd") == 0;
}

TEST(DisksTest, MountTableDecodesEscapedNames) {
    std::vector<platform::MountEntry> mounts = platform::ParseMountTable(kMounts);
    ASSERT_EQ(mounts.size(), 7u);
    EXPECT_EQ(mounts[3].source, "/dev/sdb1");
    EXPECT_EQ(mounts[3].mount_point, "/media/usb disk");
    EXPECT_EQ(mounts[3].type, "vfat");
}

TEST(DisksTest, FixedDrivesStartWithTheRootAndAppearOnce) {
    std::vector<std::string> drives = platform::FixedDrivesOf(platform::ParseMountTable(kMounts), FromSd);
    EXPECT_EQ(drives, (std::vector<std::string>{"/", "/home/", "/media/usb disk/", "/home2/"}));
    std::vector<std::string> real = platform::GetFixedDrives();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real[0], "/");
}

TEST(DisksTest, DriveRootIsTheLongestMountOnAComponentBoundary) {
    std::vector<platform::MountEntry> mounts = platform::ParseMountTable(kMounts);
    struct Case {
        const char* path;
        const char* root;
    };
    const Case cases[] = {
        {"/home2/user/x", "/home2/"},
        {"/home/user", "/home/"},
        {"/home", "/home/"},
        {"/homeX/a", "/"},
        {"/home/../home2/a", "/home2/"},
        {"/media/usb disk/f", "/media/usb disk/"},
        {"/opt/ixo/", "/"},
        {"/tmp//x/./y", "/tmp/"},
        {"/../home", "/home/"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(platform::DriveRootOf(mounts, test.path), test.root) << test.path;
}

TEST(DisksTest, NormalizePathAppliesDotsToTheText) {
    struct Case {
        const char* path;
        const char* normal;
    };
    const Case cases[] = {
        {"/a/./b/../c//", "/a/c/"}, {"/a/b", "/a/b"}, {"/..", "/"}, {"/", "/"}, {"//x/", "/x/"}};
    for (const Case& test : cases) EXPECT_EQ(platform::NormalizePath(test.path), test.normal) << test.path;
}

TEST(DisksTest, FreeBytesOfAFolderAndOfNothing) {
    test_support::TempFolder folder;
    EXPECT_GT(platform::GetFreeDiskBytes(folder.Path()), 0u);
    EXPECT_EQ(platform::GetFreeDiskBytes(folder.Path() + "missing/"), 0u);
    EXPECT_EQ(platform::GetFreeDiskBytes(""), 0u);
}

}  // namespace
