#include "image/changed_area.h"

#include <cstring>

namespace {

bool PixelDiffers(const uint8_t* a, const uint8_t* b, int32_t x)
{
    return std::memcmp(a + static_cast<size_t>(x) * 4, b + static_cast<size_t>(x) * 4, 4) != 0;
}

}  // namespace

ChangedArea FindChangedArea(const uint8_t* prev, const uint8_t* next,
                            int32_t width, int32_t height, int32_t firstRow)
{
    ChangedArea none{0, 0, 0, 0};
    if (width <= 0 || height <= 0)
        return none;
    const size_t stride = static_cast<size_t>(width) * 4;
    auto rowA = [&](int32_t y) { return prev + stride * static_cast<size_t>(y); };
    auto rowB = [&](int32_t y) { return next + stride * static_cast<size_t>(y); };

    int32_t top = firstRow < 0 ? 0 : firstRow;
    while (top < height && std::memcmp(rowA(top), rowB(top), stride) == 0)
        top++;
    if (top == height)
        return none;
    int32_t bottom = height - 1;
    while (bottom > top && std::memcmp(rowA(bottom), rowB(bottom), stride) == 0)
        bottom--;

    // Each row only needs looking at outside the columns already known to
    // change, so the inner loops shrink as the rectangle grows.
    int32_t left = width;
    int32_t right = -1;
    for (int32_t y = top; y <= bottom; y++) {
        const uint8_t* a = rowA(y);
        const uint8_t* b = rowB(y);
        int32_t x = 0;
        while (x < left && !PixelDiffers(a, b, x))
            x++;
        if (x < left)
            left = x;
        if (x == width)
            continue;  // an unchanged row between changed ones
        x = width - 1;
        while (x > right && !PixelDiffers(a, b, x))
            x--;
        if (x > right)
            right = x;
    }
    return ChangedArea{left, top, right - left + 1, bottom - top + 1};
}
