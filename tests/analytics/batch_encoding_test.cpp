#include "analytics/batch_encoding.h"

#include <gtest/gtest.h>

#include "tests/analytics/analytics_test_support.h"

namespace {

TEST(BatchEncodingTest, PercentEncodingKeepsOnlyUnreservedCharacters) {
    EXPECT_EQ(analytics::PercentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(analytics::PercentEncode("a+b/c=d e&"), "a%2Bb%2Fc%3Dd%20e%26");
    EXPECT_EQ(analytics::PercentEncode(std::string("\x00\xFF\xC3\xA9", 4)), "%00%FF%C3%A9");
}

TEST(BatchEncodingTest, GzipOutputHasTheGzipHeaderAndMaximumCompressionFlag) {
    std::string compressed;
    ASSERT_TRUE(analytics::GzipCompress(std::string(100000, 'r'), compressed));
    ASSERT_GE(compressed.size(), 18u);
    EXPECT_EQ(static_cast<unsigned char>(compressed[0]), 0x1F);
    EXPECT_EQ(static_cast<unsigned char>(compressed[1]), 0x8B);
    EXPECT_EQ(compressed[2], 8);  // deflate
    EXPECT_EQ(compressed[8], 2);  // extra flags: slowest, best compression (level 9)
    EXPECT_LT(compressed.size(), 1000u);
}

TEST(BatchEncodingTest, BodyDecodesBackToTheBatchText) {
    // Enough incompressible text that the compressed output spans several 32 KB chunks.
    std::vector<std::string> records;
    uint32_t state = 12345;
    for (int i = 0; i < 30; ++i) {
        std::string noise;
        for (int k = 0; k < 4000; ++k) {
            state = state * 1103515245u + 12345u;
            noise += static_cast<char>('!' + (state >> 16) % 90);
        }
        records.push_back("{\"n\":" + std::to_string(i) + ",\"x\":\"" + noise + "\"}");
    }
    std::string body;
    ASSERT_TRUE(analytics::BuildBatchBody(records, body));
    EXPECT_EQ(body.rfind("data_list=", 0), 0u);
    EXPECT_EQ(body.substr(body.size() - 7), "&gzip=1");
    std::string encoded = body.substr(10, body.size() - 17);
    EXPECT_EQ(encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%"),
              std::string::npos);
    EXPECT_EQ(analyticstest::DecodeBatchBody(body), analytics::BuildBatchText(records));
}

TEST(BatchEncodingTest, BatchTextIsAJsonArrayOfTheRecords) {
    EXPECT_EQ(analytics::BuildBatchText({}), "[]");
    EXPECT_EQ(analytics::BuildBatchText({"{\"a\":1}", "{\"b\":2}"}), "[{\"a\":1},{\"b\":2}]");
}

}  // namespace
