#include "ui/settings_place.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingsPlace, BesideTheMainWindowWhereTheScreenHasRoom)
{
    const Edges screen = {0, 0, 1024, 768};
    struct Case {
        const char* name;
        Edges main;
        Edges area;
        int32_t placed, x, y;
    } cases[] = {
        {"right, tops aligned", {0, 0, 492, 528}, screen, 1, 500, 0},
        {"right, pulled up onto the screen", {10, 600, 300, 760}, screen, 1, 308, 300},
        {"right fits to the last pixel", {0, 100, 586, 300}, screen, 1, 594, 100},
        {"one pixel short: left", {500, 100, 587, 300}, screen, 1, 62, 100},
        {"left fits to the first pixel", {438, 100, 1000, 300}, screen, 1, 0, 100},
        {"neither side: below, lefts aligned", {100, 0, 1000, 200}, screen, 1, 100, 208},
        {"below, pushed left onto the screen", {200, 0, 590, 200}, {0, 0, 600, 768}, 1, 170, 208},
        {"neither side nor below: above", {100, 500, 1000, 700}, screen, 1, 100, 24},
        {"no side at all", {0, 100, 1024, 700}, screen, 0, 0, 0},
        {"a work area off the origin", {100, 50, 500, 300}, {100, 50, 1024, 768}, 1, 508, 50},
        {"a window larger than the screen", {0, 0, 10, 10}, {0, 0, 400, 400}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int32_t x = 0, y = 0;
        EXPECT_EQ(SettingsWindowPlace(c.main, 430, 468, c.area, &x, &y), c.placed) << c.name;
        EXPECT_EQ(x, c.x) << c.name;
        EXPECT_EQ(y, c.y) << c.name;
    }
}

}  // namespace
