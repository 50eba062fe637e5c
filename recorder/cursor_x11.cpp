// XFixes hands out the cursor as premultiplied A, R, G, B pixels in longs;
// they are kept as 32-bit words for DrawCursorImage, which the capture frame
// shares with every platform that has the cursor as pixels.
#include "recorder/cursor_x11.h"

#include <X11/extensions/Xfixes.h>

#include "common/memory.h"
#include "recorder/cursor_image.h"

namespace {

struct X11Cursor {
    Display* display;  // null when the server has no XFixes
    uint32_t* pixels;  // the last image read
    size_t capacity;   // in pixels
    int32_t width;
    int32_t height;
};

X11Cursor cursor;

}  // namespace

int OpenX11Cursor(Display* display)
{
    CloseX11Cursor();
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    // The server answers XFixes requests only after the version exchange.
    if (!XFixesQueryExtension(display, &eventBase, &errorBase) || !XFixesQueryVersion(display, &major, &minor))
        return 0;
    cursor.display = display;
    return 1;
}

void CloseX11Cursor()
{
    memoryApi.release(cursor.pixels);
    cursor = {};
}

int X11CursorState(CursorState* state)
{
    if (!cursor.display)
        return 0;
    XFixesCursorImage* image = XFixesGetCursorImage(cursor.display);
    if (!image)
        return 0;
    const size_t count = static_cast<size_t>(image->width) * image->height;
    if (count > cursor.capacity) {
        void* grown = memoryApi.resize(cursor.pixels, count * sizeof(uint32_t));
        if (!grown) {
            XFree(image);
            return 0;
        }
        cursor.pixels = static_cast<uint32_t*>(grown);
        cursor.capacity = count;
    }
    for (size_t i = 0; i < count; i++)
        cursor.pixels[i] = static_cast<uint32_t>(image->pixels[i]);
    cursor.width = image->width;
    cursor.height = image->height;
    state->showing = count > 0;
    // The image's top-left corner goes to the pointer position, as DrawIconEx
    // at GetCursorInfo's position puts it on Windows: the hotspot (xhot,
    // yhot) is not subtracted, so both builds record the same frames.
    state->x = image->x;
    state->y = image->y;
    XFree(image);
    return 1;
}

void DrawX11Cursor(uint8_t* frame, int32_t frameW, int32_t frameH, int32_t x, int32_t y)
{
    if (cursor.pixels)
        DrawCursorImage(frame, frameW, frameH, x, y, cursor.pixels, cursor.width, cursor.height);
}
