// The native window's end-to-end helper on an X display:
//   close WINDOW       asks the window to close as a window manager's close
//                      box does (a WM_DELETE_WINDOW client message)
//   listen X Y W H [managed]
//                      maps a plain white window there and prints "press X Y"
//                      for every button press it receives, until killed; with
//                      "managed" a window manager frames it (asked to keep
//                      the place), without it the window bypasses one
//   grab MS            holds the pointer and keyboard for MS milliseconds, as
//                      a program busy with a press does; prints "grabbed"
//                      once it has them and "released" when it lets go
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace {

int Close(Display* display, Window window)
{
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

int Listen(Display* display, int x, int y, int w, int h, bool managed)
{
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = WhitePixel(display, screen);
    attributes.override_redirect = managed ? False : True;
    attributes.event_mask = ButtonPressMask | ExposureMask;
    const Window window = XCreateWindow(display, RootWindow(display, screen), x, y, static_cast<unsigned>(w),
                                        static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                                        CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    if (managed) {
        // A user-given place, which a window manager keeps for the client
        // instead of placing the window itself.
        XSizeHints hints = {};
        hints.flags = USPosition | USSize;
        hints.x = x;
        hints.y = y;
        hints.width = w;
        hints.height = h;
        XSetWMNormalHints(display, window, &hints);
        XStoreName(display, window, "listener");
    }
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("mapped\n");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ButtonPress) {
            std::printf("press %d %d\n", event.xbutton.x_root, event.xbutton.y_root);
            std::fflush(stdout);
        }
    }
}

int Grab(Display* display, int milliseconds)
{
    const Window root = DefaultRootWindow(display);
    if (XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None, None, CurrentTime) !=
            GrabSuccess ||
        XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) != GrabSuccess) {
        std::fprintf(stderr, "the grab failed\n");
        return 1;
    }
    std::printf("grabbed\n");
    std::fflush(stdout);
    usleep(static_cast<useconds_t>(milliseconds) * 1000);
    XUngrabKeyboard(display, CurrentTime);
    XUngrabPointer(display, CurrentTime);
    XSync(display, False);
    std::printf("released\n");
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
    const bool listen = (argc == 6 || (argc == 7 && std::strcmp(argv[6], "managed") == 0)) &&
                        std::strcmp(argv[1], "listen") == 0;
    const bool grab = argc == 3 && std::strcmp(argv[1], "grab") == 0;
    if (!close && !listen && !grab) {
        std::fprintf(stderr, "usage: pixlo_x11_window_probe close WINDOW | listen X Y W H [managed] | grab MS\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    if (grab)
        return Grab(display, std::atoi(argv[2]));
    if (close)
        return Close(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
    return Listen(display, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), argc == 7);
}
