#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "formats/utf_conversion.h"
#include "system/base64.h"
#include "system/md5.h"
#include "system/sha256.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::TempFolder;

struct DigestCase {
    std::string input;
    std::string digest;
};

TEST(Md5Test, BufferDigestsMatchTheRfc1321Vectors) {
    const DigestCase cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const DigestCase& c : cases)
        EXPECT_EQ(Md5Buffer(c.input.data(), c.input.size()), c.digest) << c.input;
}

TEST(Md5Test, FileDigestCoversTheWholeFileAndFailsAsEmptyText) {
    TempFolder folder;
    // Several read chunks and a ragged end, with every byte value.
    std::string content;
    for (int i = 0; i < 2 * 1048576 + 3; ++i) content += char((i * 7) & 0xFF);
    std::string big = folder.Write("big.bin", content);
    std::string empty = folder.Write("empty.bin", "");
    std::string named = folder.Write("N\xC3\xA4me.txt", "abc");

    EXPECT_EQ(Md5File(Utf8ToUtf16(big)), Md5Buffer(content.data(), content.size()));
    EXPECT_EQ(Md5File(Utf8ToUtf16(empty)), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5File(Utf8ToUtf16(named)), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5File(Utf8ToUtf16(folder.Path() + "missing.bin")), "");
    // A folder opens but cannot be read; that must not pass for the digest of zero bytes.
    EXPECT_EQ(Md5File(Utf8ToUtf16(folder.Path())), "");
}

TEST(Md5Test, StreamFedInUnevenPiecesGivesTheDigestOfTheWholeAndStartsOverAfterFinish) {
    std::string content;
    for (int i = 0; i < 100000; ++i) content += char((i * 13) & 0xFF);
    Md5Stream stream;
    // Pieces that cross the 64-byte blocks of the digest at every offset, an empty one among them.
    size_t at = 0;
    for (size_t piece = 0; at < content.size(); piece = (piece * 5 + 3) % 257) {
        size_t length = std::min(piece, content.size() - at);
        stream.Update(content.data() + at, length);
        at += length;
    }
    EXPECT_EQ(stream.Finish(), Md5Buffer(content.data(), content.size()));

    stream.Update("abc", 3);
    EXPECT_EQ(stream.Finish(), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(stream.Finish(), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Sha256Test, MatchesTheFips180VectorsAndGivesNothingForNothing) {
    const DigestCase cases[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"", ""},
    };
    for (const DigestCase& c : cases) EXPECT_EQ(Sha256(c.input), c.digest) << c.input.substr(0, 60);
}

TEST(Base64Test, EncodesTheUtf8FormWithPadding) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u""},           {u"f", u"Zg=="},        {u"fo", u"Zm8="},
        {u"foo", u"Zm9v"},    {u"foob", u"Zm9vYg=="}, {u"foobar", u"Zm9vYmFy"},
        {u"\u00E4", u"w6Q="}, {u"?>?", u"Pz4/"},
    };
    for (const auto& [text, encoded] : cases) EXPECT_EQ(Base64Encode(text), encoded) << Utf16ToUtf8(text);
}

TEST(Base64Test, EncodesAnyBytes) {
    EXPECT_EQ(Base64EncodeBytes(std::string("\xFB\xFF\xBF\x00", 4)), "+/+/AA==");
    EXPECT_EQ(Base64EncodeBytes(std::string("\x00\x80", 2)), "AIA=");
    EXPECT_EQ(Base64Decode(Base64EncodeBytes(std::string("\x1F\x8B\x08\x00\xFE", 5))),
              std::string("\x1F\x8B\x08\x00\xFE", 5));
}

TEST(Base64Test, DecodesLenientlyAndStopsAtTheFirstPadding) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Zm9vYmFy", "foobar"},
        {"Zm9vYg==", "foob"},
        {"Zm9vYmE=", "fooba"},
        {"AP8A", std::string("\x00\xFF\x00", 3)},
        // Text after a '=' in third or fourth place is ignored.
        {"Zg==Zm9v", "f"},
        {"Zm8=Zm9v", "fo"},
        // A short last group gives what its characters give, and no more.
        {"Zm9vYg", "foob"},
        {"Zm9vYmE", "fooba"},
        {"Zm9vY", "foo"},
        // Characters outside the alphabet decode through the value -1.
        {"Z!==", "\xFF"},
        {"!!!!", "\xFF\xFF\xFF"},
    };
    for (const auto& [text, bytes] : cases) EXPECT_EQ(Base64Decode(text), bytes) << text;
}

}  // namespace
