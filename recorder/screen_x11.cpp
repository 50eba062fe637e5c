// The capture table's screen on X11. The part of the capture rectangle that
// lies on the root window is fetched each tick, into one shared-memory image
// made for the whole recording when the server has MIT-SHM (no copy through
// the socket), else by a plain GetImage request; it is then copied into the
// capture frame, whose other pixels stay black.
#include "recorder/screen_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "common/memory.h"
#include "recorder/capture.h"
#include "recorder/cursor_x11.h"
#include "recorder/screen_clip.h"

namespace {

struct X11Screen {
    Display* display;
    Window root;
    Visual* visual;
    int depth;
    int32_t capW;
    int32_t capH;
    ScreenClip clip;
    uint8_t* frame;  // capW x capH x 4, handed to the capture loop
    XImage* shared;  // the clip's pixels in shared memory; null without MIT-SHM
    XShmSegmentInfo segment;
    int cursor;      // XFixes answered
    XErrorHandler previousHandler;
    XIOErrorHandler previousIoHandler;
    bool lost;       // the connection broke during the recording
};

X11Screen screen;
Display* brokenDisplay;
bool lastShared;
char failure[200];

// Xlib's default handler ends the process on any error. A request that may
// fail here (attaching shared memory that a server on another machine cannot
// reach; a grab while the screen shrinks) is counted instead.
int requestErrors;

int CountError(Display*, XErrorEvent*)
{
    requestErrors++;
    return 0;
}

// Xlib's own handlers end the process when the server goes away, and the
// frames recorded so far with it. Instead the grabs stop: the recording goes
// on to its end with the last picture and is written, and the reason is
// reported. Returning from the first handler hands over to the second, whose
// return keeps the process going.
int ConnectionBroke(Display* display)
{
    std::snprintf(failure, sizeof failure,
                  "the X display \"%s\" went away during the recording; its last picture fills the rest",
                  DisplayString(display));
    return 0;
}

void ConnectionLost(Display*, void*)
{
    screen.lost = true;
}

uint8_t* Fail(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(failure, sizeof failure, format, arguments);
    va_end(arguments);
    return nullptr;
}

// The common layout of 24- and 32-bit displays: the bytes B, G, R, X in
// memory, as the capture frame holds them.
bool IsFrameLayout(const XImage* image)
{
    return image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xFF0000 &&
           image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
}

uint8_t Channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = __builtin_ctzl(mask);
    const unsigned long largest = mask >> shift;
    return static_cast<uint8_t>((((pixel & mask) >> shift) * 255 + largest / 2) / largest);
}

void CopyImage(XImage* image)
{
    if (IsFrameLayout(image)) {
        CopyScreenRows(reinterpret_cast<const uint8_t*>(image->data), static_cast<size_t>(image->bytes_per_line),
                       screen.clip, screen.frame, screen.capW);
        return;
    }
    // Any other depth or order, pixel by pixel: slow, but only odd servers
    // take this path.
    const ScreenClip& clip = screen.clip;
    for (int32_t y = 0; y < clip.height; y++) {
        uint8_t* to = screen.frame + (static_cast<size_t>(clip.frameY + y) * screen.capW + clip.frameX) * 4;
        for (int32_t x = 0; x < clip.width; x++, to += 4) {
            const unsigned long pixel = XGetPixel(image, x, y);
            to[0] = Channel(pixel, image->blue_mask);
            to[1] = Channel(pixel, image->green_mask);
            to[2] = Channel(pixel, image->red_mask);
            to[3] = 0;
        }
    }
}

// One image in a shared segment for the whole recording. Any failure leaves
// the plain requests in charge.
void AttachShared()
{
    XShmSegmentInfo& segment = screen.segment;
    XImage* image = XShmCreateImage(screen.display, screen.visual, static_cast<unsigned>(screen.depth), ZPixmap,
                                    nullptr, &segment, static_cast<unsigned>(screen.clip.width),
                                    static_cast<unsigned>(screen.clip.height));
    if (!image)
        return;
    segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height, IPC_CREAT | 0600);
    if (segment.shmid < 0) {
        XDestroyImage(image);
        return;
    }
    segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    segment.readOnly = False;
    const int errorsBefore = requestErrors;
    const bool mapped = segment.shmaddr != reinterpret_cast<char*>(-1);
    const bool attached = mapped && XShmAttach(screen.display, &segment) && XSync(screen.display, False) &&
                          requestErrors == errorsBefore;
    // Removed now, so the segment goes away with its last user even when the
    // process is killed.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (mapped)
            shmdt(segment.shmaddr);
        XDestroyImage(image);  // its data pointer is still null
        segment = {};
        return;
    }
    image->data = segment.shmaddr;
    screen.shared = image;
}

uint8_t* OpenScreen(int32_t capX, int32_t capY, int32_t capW, int32_t capH)
{
    screen = {};
    failure[0] = '\0';
    lastShared = false;
    const int32_t bytes = PixelBufferBytes(capW, capH);
    if (bytes == 0)
        return Fail("a %d x %d rectangle is too large to record", capW, capH);
    const char* name = std::getenv("DISPLAY");
    if (!name || !name[0])
        return Fail("no X display to record: DISPLAY is not set");
    screen.display = XOpenDisplay(name);
    if (!screen.display)
        return Fail("cannot open the X display \"%s\"", name);
    screen.previousHandler = XSetErrorHandler(CountError);
    screen.previousIoHandler = XSetIOErrorHandler(ConnectionBroke);
    XSetIOErrorExitHandler(screen.display, ConnectionLost, nullptr);

    const int number = DefaultScreen(screen.display);
    screen.root = RootWindow(screen.display, number);
    screen.visual = DefaultVisual(screen.display, number);
    screen.depth = DefaultDepth(screen.display, number);
    screen.capW = capW;
    screen.capH = capH;
    screen.clip = ClipToScreen(capX, capY, capW, capH, DisplayWidth(screen.display, number),
                               DisplayHeight(screen.display, number));
    screen.frame = static_cast<uint8_t*>(memoryApi.allocateZeroed(static_cast<size_t>(bytes), 1));
    if (!screen.frame)
        return Fail("no memory for a %d x %d frame", capW, capH);
    if (screen.clip.width > 0 && XShmQueryExtension(screen.display))
        AttachShared();
    lastShared = screen.shared != nullptr;
    screen.cursor = OpenX11Cursor(screen.display);
    return screen.frame;
}

void GrabScreen()
{
    const ScreenClip& clip = screen.clip;
    if (clip.width == 0 || screen.lost)
        return;
    // A failed request (the screen shrank under the rectangle) keeps the
    // previous pixels for this tick.
    if (screen.shared) {
        if (XShmGetImage(screen.display, screen.root, screen.shared, clip.screenX, clip.screenY, AllPlanes))
            CopyImage(screen.shared);
        return;
    }
    XImage* image = XGetImage(screen.display, screen.root, clip.screenX, clip.screenY,
                              static_cast<unsigned>(clip.width), static_cast<unsigned>(clip.height), AllPlanes,
                              ZPixmap);
    if (!image)
        return;
    CopyImage(image);
    XDestroyImage(image);
}

void CloseScreen()
{
    CloseX11Cursor();
    if (screen.shared) {
        if (!screen.lost) {
            XShmDetach(screen.display, &screen.segment);
            XSync(screen.display, False);
        }
        screen.shared->data = nullptr;
        XDestroyImage(screen.shared);
        shmdt(screen.segment.shmaddr);
    }
    if (screen.display) {
        // libXext frees its record of the display twice on closing when the
        // connection broke while an extension was being set up (seen under
        // AddressSanitizer): a broken display is left open, and kept here.
        if (screen.lost)
            brokenDisplay = screen.display;
        else
            XCloseDisplay(screen.display);
        XSetErrorHandler(screen.previousHandler);
        XSetIOErrorHandler(screen.previousIoHandler);
    }
    memoryApi.release(screen.frame);
    screen = {};
}

int CursorStateOf(CursorState* state)
{
    return screen.cursor && !screen.lost ? X11CursorState(state) : 0;
}

void DrawCursor(int32_t x, int32_t y)
{
    DrawX11Cursor(screen.frame, screen.capW, screen.capH, x, y);
}

}  // namespace

void UseX11Screen()
{
    captureApi.openScreen = OpenScreen;
    captureApi.grabScreen = GrabScreen;
    captureApi.closeScreen = CloseScreen;
    captureApi.cursorState = CursorStateOf;
    captureApi.drawCursor = DrawCursor;
}

const char* X11ScreenFailure()
{
    return failure[0] ? failure : nullptr;
}

bool X11ScreenShared()
{
    return lastShared;
}
