#include "platform/window_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacementTest, CentredPositionOrNothingWhenTheWindowIsLarger) {
    struct Case {
        int screen_width, screen_height, window_width, window_height;
        std::optional<std::pair<int, int>> position;
    };
    const Case cases[] = {
        {1280, 1024, 600, 400, std::pair{340, 312}}, {1280, 1024, 1280, 1024, std::pair{0, 0}},
        {1281, 1025, 600, 400, std::pair{340, 312}},  // halves are cut
        {1280, 300, 600, 400, std::nullopt},          // taller than the screen
        {500, 1024, 600, 400, std::nullopt},
    };
    for (const Case& test : cases) {
        std::optional<platform::WindowPosition> position = platform::CenteredPosition(
            test.screen_width, test.screen_height, test.window_width, test.window_height);
        ASSERT_EQ(position.has_value(), test.position.has_value());
        if (position) {
            EXPECT_EQ(position->x, test.position->first);
            EXPECT_EQ(position->y, test.position->second);
        }
    }
}

TEST(WindowPlacementTest, WindowWithoutNativeWindowIsNotMoved) {
    EXPECT_FALSE(platform::CenterWindow(0));
    EXPECT_FALSE(platform::CenterWindow(0x12345));
}

}  // namespace
