#include "ui/settings_place.h"

#include <algorithm>

namespace {

// start moved back so that [start, start + length) lies in [low, high).
int32_t Within(int32_t start, int32_t length, int32_t low, int32_t high)
{
    return std::max(low, std::min(start, high - length));
}

}  // namespace

int32_t SettingsWindowPlace(Edges mainOuter, int32_t width, int32_t height, Edges workArea, int32_t* x, int32_t* y)
{
    const Edges& m = mainOuter;
    const Edges& a = workArea;
    const int32_t gap = kSettingsPlaceGap;
    if (width > a.right - a.left || height > a.bottom - a.top)
        return 0;
    const int32_t alongY = Within(m.top, height, a.top, a.bottom);
    const int32_t alongX = Within(m.left, width, a.left, a.right);
    if (m.right + gap + width <= a.right) {
        *x = m.right + gap;
        *y = alongY;
    } else if (m.left - gap - width >= a.left) {
        *x = m.left - gap - width;
        *y = alongY;
    } else if (m.bottom + gap + height <= a.bottom) {
        *x = alongX;
        *y = m.bottom + gap;
    } else if (m.top - gap - height >= a.top) {
        *x = alongX;
        *y = m.top - gap - height;
    } else {
        return 0;
    }
    return 1;
}
