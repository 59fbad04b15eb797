#include "platform/resources.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"

namespace {

std::string Fixture(const char* name) {
    return platform::ReadFile(std::string(IXO_SOURCE_DIR) + "/tests/platform/fixtures/" + name).value_or("");
}

TEST(ResourcesTest, FindsEmbeddedBytesByTypeAndId) {
    std::optional<std::string_view> text = platform::FindResource("TEXT", 7);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, Fixture("first.txt"));

    // Binary content with NUL bytes comes back whole.
    std::optional<std::string_view> image = platform::FindResource("PNG", 136);
    ASSERT_TRUE(image);
    EXPECT_EQ(*image, Fixture("image.bin"));

    // The same id under another type is another resource.
    std::optional<std::string_view> other_type = platform::FindResource("XML", 7);
    ASSERT_TRUE(other_type);
    EXPECT_EQ(*other_type, Fixture("image.bin"));
}

TEST(ResourcesTest, MissingTypeOrIdIsNotFound) {
    EXPECT_FALSE(platform::FindResource("TEXT", 8));
    EXPECT_FALSE(platform::FindResource("ZIPRES", 133));
    EXPECT_FALSE(platform::FindResource("text", 7));  // types are case-sensitive
}

}  // namespace
