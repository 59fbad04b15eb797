// The hasher that follows a temporary file while connections write it out of order.
#include "downloader/prefix_hasher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_handle.h"
#include "tests/downloader/test_support.h"

namespace ixo_test {
namespace {

using ns_IXD::CPrefixHasher;

// A pre-sized file of zeros whose parts the test writes, as the connections do, telling the hasher after
// each write.
class PrefixHasherTest : public ::testing::Test {
protected:
    void SetUp() override {
        content_ = PatternBytes(5 * 1024 * 1024 + 333, 17);
        path_ = folder_.Path() + "f.bin.~P2S";
        ASSERT_TRUE(WriteTestFile(path_, std::string(content_.size(), '\0')));
        ASSERT_TRUE(file_.Open(path_, platform::FileHandle::Mode::kOpenExisting));
    }

    int64_t Size() const { return int64_t(content_.size()); }

    // Writes [start, end) of the content, or other bytes of that length.
    void Write(int64_t start, int64_t end, bool other_bytes = false) {
        std::string bytes = other_bytes ? std::string(size_t(end - start), 'x')
                                        : content_.substr(size_t(start), size_t(end - start));
        ASSERT_TRUE(file_.WriteAt(start, bytes.data(), int64_t(bytes.size())));
        if (other_bytes) content_.replace(size_t(start), bytes.size(), bytes);
        hasher_.MarkWritten(start, end - start);
    }

    TempFolder folder_;
    std::string content_;
    std::string path_;
    platform::FileHandle file_;
    CPrefixHasher hasher_;
};

TEST_F(PrefixHasherTest, HashesTheCompletePrefixWhileLaterPartsAreMissingAndEndsWithTheFilesDigest) {
    ASSERT_TRUE(hasher_.Begin(path_, Size(), {}));
    const int64_t third = Size() / 3;
    // The last third and the first one arrive; the middle is missing.
    Write(2 * third, Size());
    Write(0, third / 2);
    Write(third / 2, third);
    ASSERT_TRUE(WaitUntil([&] { return hasher_.HashedForTesting() == third; }));
    // The middle comes in pieces, out of order and overlapping each other.
    Write(third + 1000, 2 * third);
    Write(third, third + 5000);

    EXPECT_EQ(hasher_.Finish(), Md5Hex(content_));
}

TEST_F(PrefixHasherTest, PartsPresentFromAnEarlierRunAreHashedFromTheFile) {
    const int64_t half = Size() / 2;
    Write(100, half);  // written by "the earlier run": the hasher has not begun yet
    ASSERT_TRUE(hasher_.Begin(path_, Size(), {{100, half - 1}}));
    Write(half, Size());
    Write(0, 100);
    // A range table after the data is no part of the digest.
    ASSERT_TRUE(file_.WriteAt(Size(), "0123456789abcdef", 16));
    hasher_.MarkWritten(Size(), 16);

    EXPECT_EQ(hasher_.Finish(), Md5Hex(content_));
}

// Where the hasher cannot vouch for the file it gives nothing, and the caller hashes the file whole.
TEST_F(PrefixHasherTest, GivesNoDigestForAGapOrWhenAHashedPartIsWrittenAgain) {
    ASSERT_TRUE(hasher_.Begin(path_, Size(), {}));
    Write(0, 1000);
    Write(2000, Size());
    EXPECT_EQ(hasher_.Finish(), "");

    ASSERT_TRUE(hasher_.Begin(path_, Size(), {}));
    Write(0, Size() / 2);
    ASSERT_TRUE(WaitUntil([&] { return hasher_.HashedForTesting() == Size() / 2; }));
    Write(10, 20, true);
    Write(Size() / 2, Size());
    EXPECT_EQ(hasher_.Finish(), "");

    EXPECT_FALSE(hasher_.Begin(folder_.Path() + "missing.bin", Size(), {}));
    EXPECT_EQ(hasher_.Finish(), "");
}

}  // namespace
}  // namespace ixo_test
