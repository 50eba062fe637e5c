// The native recorder's end-to-end helper on an X display:
//   paint      makes the root window's background a known scene of flat
//              blocks (a server started with -noreset keeps it after this
//              program ends)
//   cursor     prints the XFixes cursor image: "W H XHOT YHOT X Y" and then
//              W x H premultiplied 0xAARRGGBB words in hex, a row a line
//   record X Y W H CURSOR
//              a recording of that rectangle through the native program's
//              capture loop and screen source, cursor drawn when CURSOR is 1:
//              the last frame it handed to the encoder (a still scene's only
//              one), as a binary PPM on standard output; standard error
//              says whether the screen was copied through shared memory
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <time.h>

#include "encoder/frame_store.h"
#include "image/output_geometry.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "recorder/screen_x11.h"
#include "settings/settings.h"

namespace {

struct Block {
    int x, y, w, h;  // negative x or y count from the right or bottom edge
    unsigned long rgb;
};

// Flat colours only, few enough for a GIF palette to hold them exactly. The
// corners are coloured so that rectangles reaching off the screen have
// something next to the black they must show.
constexpr unsigned long kBackground = 0x1E2832;
constexpr Block kBlocks[] = {
    {40, 30, 120, 90, 0xFF0000},   {200, 30, 120, 90, 0x00FF00},  {40, 160, 120, 90, 0x0000FF},
    {200, 160, 120, 90, 0xFFFF00}, {340, 60, 60, 150, 0xC08040},  {0, 0, 24, 16, 0xFF00FF},
    {-24, -16, 24, 16, 0x00FFFF},  {-24, 0, 24, 16, 0xFFFFFF},    {0, -16, 24, 16, 0x808080},
};

int PaintScene(Display* display)
{
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const int width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
    Pixmap scene = XCreatePixmap(display, root, width, height, DefaultDepth(display, screen));
    GC gc = XCreateGC(display, scene, 0, nullptr);
    // The default visual of Xvfb's 24-bit screen is TrueColor 0xRRGGBB.
    XSetForeground(display, gc, kBackground);
    XFillRectangle(display, scene, gc, 0, 0, width, height);
    for (const Block& b : kBlocks) {
        XSetForeground(display, gc, b.rgb);
        XFillRectangle(display, scene, gc, b.x < 0 ? width + b.x : b.x, b.y < 0 ? height + b.y : b.y, b.w, b.h);
    }
    XSetWindowBackgroundPixmap(display, root, scene);
    XClearWindow(display, root);
    XFreeGC(display, gc);
    XFreePixmap(display, scene);
    XSync(display, False);
    return 0;
}

int PrintCursor(Display* display)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase) || !XFixesQueryVersion(display, &major, &minor)) {
        std::fprintf(stderr, "the display has no XFixes\n");
        return 1;
    }
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image)
        return 1;
    std::printf("%d %d %d %d %d %d\n", image->width, image->height, image->xhot, image->yhot, image->x, image->y);
    for (int y = 0; y < image->height; y++)
        for (int x = 0; x < image->width; x++)
            std::printf("%08lx%c", image->pixels[y * image->width + x] & 0xFFFFFFFFul,
                        x + 1 == image->width ? '\n' : ' ');
    XFree(image);
    return 0;
}

int Record(int32_t x, int32_t y, int32_t w, int32_t h, int32_t cursor)
{
    UseX11Screen();
    settings.cursor = cursor;
    StartCapture(x, y, w, h, 10, 0, 0);
    // The first tick starts at once; a stop 150 ms later lets it finish.
    timespec pause = {0, 150 * 1000 * 1000};
    nanosleep(&pause, nullptr);
    recorderState.stopRequest.store(1);
    while (recorderState.recording.load() == 1) {
        pause.tv_nsec = 10 * 1000 * 1000;
        nanosleep(&pause, nullptr);
    }
    captureApi.waitThread(15000);
    if (frameStore.count < 1) {
        const char* why = X11ScreenFailure();
        std::fprintf(stderr, "no frame: %s\n", why ? why : "no tick ran");
        return 1;
    }
    // prevFrame keeps the last frame handed to the encoder.
    const int32_t width = outputGeometry.outWidth, height = outputGeometry.outHeight;
    std::printf("P6\n%d %d\n255\n", width, height);
    for (size_t i = 0; i < static_cast<size_t>(width) * height * 4; i += 4) {
        const uint8_t* p = recorderState.prevFrame + i;
        const char rgb[3] = {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
        std::fwrite(rgb, 1, 3, stdout);
    }
    std::fprintf(stderr, "%s\n", X11ScreenShared() ? "shared memory" : "plain requests");
    ClearFrames();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 7 && std::strcmp(argv[1], "record") == 0)
        return Record(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                      std::atoi(argv[6]));
    if (argc != 2 || (std::strcmp(argv[1], "paint") != 0 && std::strcmp(argv[1], "cursor") != 0)) {
        std::fprintf(stderr, "usage: pixlo_x11_probe paint|cursor|record X Y W H CURSOR\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const int status = std::strcmp(argv[1], "paint") == 0 ? PaintScene(display) : PrintCursor(display);
    XCloseDisplay(display);
    return status;
}
