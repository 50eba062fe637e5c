#include "ui/gtk/pick_x11.h"

#include <X11/Xlib.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ui/main_layout.h"

namespace {

constexpr int kOutlineWidth = 2;
constexpr int kGrabTries = 40;           // another client's grab may end soon
constexpr useconds_t kGrabRetryUs = 50000;

struct Picked {
    int x;
    int y;
    int w;
    int h;
};

// Both corner pixels belong to the rectangle, whichever way it was dragged.
Picked Between(int x0, int y0, int x1, int y1)
{
    return {std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1};
}

bool InShape(Display* display, Window window, int kind, int x, int y, int px, int py)
{
    int count = 0, ordering = 0;
    XRectangle* parts = XShapeGetRectangles(display, window, kind, &count, &ordering);
    bool inside = false;
    for (int i = 0; i < count && !inside; i++)
        inside = px >= x + parts[i].x && px < x + parts[i].x + parts[i].width && py >= y + parts[i].y &&
                 py < y + parts[i].y + parts[i].height;
    if (parts)
        XFree(parts);
    return inside;
}

// (px, py) lies in the part of window (its origin at x, y on the screen) that
// takes clicks: a click goes through a see-through or click-through part to
// what is beneath. The server takes input where both shapes have pixels (a
// window manager may copy a client's shape onto its frame's outline only).
bool TakesClickAt(Display* display, Window window, int x, int y, int px, int py)
{
    return InShape(display, window, ShapeBounding, x, y, px, py) && InShape(display, window, ShapeInput, x, y, px, py);
}

// A click without a drag picks the window under the pointer: the topmost
// one that would take the click, its frame included where a window manager
// gives it one (the frame is the root's child), cut to the screen. On no
// window at all, the whole screen.
Picked WindowAt(Display* display, Window root, Window outline, int px, int py)
{
    XWindowAttributes screen = {};
    XGetWindowAttributes(display, root, &screen);
    Picked found = {0, 0, screen.width, screen.height};
    Window rootOf = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &rootOf, &parent, &children, &count))
        return found;
    for (unsigned int i = count; i-- > 0;) {  // topmost first
        XWindowAttributes a = {};
        if (children[i] == outline || !XGetWindowAttributes(display, children[i], &a) ||
            a.map_state != IsViewable || a.c_class == InputOnly)
            continue;
        const int w = a.width + 2 * a.border_width, h = a.height + 2 * a.border_width;
        if (px < a.x || px >= a.x + w || py < a.y || py >= a.y + h ||
            !TakesClickAt(display, children[i], a.x + a.border_width, a.y + a.border_width, px, py))
            continue;
        const int left = std::max(a.x, 0), top = std::max(a.y, 0);
        found = {left, top, std::min(a.x + w, screen.width) - left, std::min(a.y + h, screen.height) - top};
        break;
    }
    if (children)
        XFree(children);
    return found;
}

// The outline is a window shaped to its border: nothing is drawn on other
// windows, so nothing is left behind, compositor or not.
Window MakeOutline(Display* display, Window root)
{
    const int screen = DefaultScreen(display);
    XColor colour = {};
    colour.red = static_cast<unsigned short>((kOutlineColour & 0xFF) * 257);
    colour.green = static_cast<unsigned short>(((kOutlineColour >> 8) & 0xFF) * 257);
    colour.blue = static_cast<unsigned short>(((kOutlineColour >> 16) & 0xFF) * 257);
    XSetWindowAttributes attributes = {};
    attributes.background_pixel =
        XAllocColor(display, DefaultColormap(display, screen), &colour) ? colour.pixel : WhitePixel(display, screen);
    attributes.override_redirect = True;
    return XCreateWindow(display, root, 0, 0, 1, 1, 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWBackPixel | CWOverrideRedirect, &attributes);
}

void ShowOutline(Display* display, Window outline, const Picked& r)
{
    const int t = kOutlineWidth;
    XRectangle sides[4] = {
        {0, 0, static_cast<unsigned short>(r.w), static_cast<unsigned short>(std::min(t, r.h))},
        {0, static_cast<short>(std::max(r.h - t, 0)), static_cast<unsigned short>(r.w),
         static_cast<unsigned short>(std::min(t, r.h))},
        {0, 0, static_cast<unsigned short>(std::min(t, r.w)), static_cast<unsigned short>(r.h)},
        {static_cast<short>(std::max(r.w - t, 0)), 0, static_cast<unsigned short>(std::min(t, r.w)),
         static_cast<unsigned short>(r.h)},
    };
    XMoveResizeWindow(display, outline, r.x, r.y, static_cast<unsigned>(r.w), static_cast<unsigned>(r.h));
    XShapeCombineRectangles(display, outline, ShapeBounding, 0, 0, sides, 4, ShapeSet, Unsorted);
    XMapRaised(display, outline);
    XFlush(display);
}

bool Grab(Display* display, Window root, Cursor cursor)
{
    const unsigned int mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    bool pointer = false, keyboard = false;
    for (int i = 0; i < kGrabTries && !(pointer && keyboard); i++) {
        if (i > 0)
            usleep(kGrabRetryUs);
        pointer = pointer || XGrabPointer(display, root, False, mask, GrabModeAsync, GrabModeAsync, None, cursor,
                                          CurrentTime) == GrabSuccess;
        keyboard = keyboard || XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
                                   GrabSuccess;
    }
    return pointer && keyboard;
}

}  // namespace

int PickRectangleX11()
{
    const char* name = std::getenv("DISPLAY");
    Display* display = name && name[0] ? XOpenDisplay(name) : nullptr;
    if (!display) {
        if (name && name[0])
            std::fprintf(stderr, "pixlo: cannot open the X display \"%s\"\n", name);
        else
            std::fputs("pixlo: no X display to pick on: DISPLAY is not set\n", stderr);
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    const Cursor crosshair = XCreateFontCursor(display, XC_crosshair);
    if (!Grab(display, root, crosshair)) {
        std::fputs("pixlo: another program holds the pointer or keyboard; try again\n", stderr);
        XCloseDisplay(display);
        return 1;
    }
    std::fputs("pixlo: drag over the area to record, or click a window; Escape cancels\n", stderr);
    const Window outline = MakeOutline(display, root);

    bool pressed = false, done = false, cancelled = false;
    int x0 = 0, y0 = 0;
    Picked picked = {};
    while (!done && !cancelled) {
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case ButtonPress:
            if (event.xbutton.button == Button1 && !pressed) {
                pressed = true;
                x0 = event.xbutton.x_root;
                y0 = event.xbutton.y_root;
                picked = Between(x0, y0, x0, y0);
                ShowOutline(display, outline, picked);
            }
            break;
        case MotionNotify:
            if (pressed) {
                // Only the latest position matters.
                while (XCheckTypedEvent(display, MotionNotify, &event)) {
                }
                picked = Between(x0, y0, event.xmotion.x_root, event.xmotion.y_root);
                ShowOutline(display, outline, picked);
            }
            break;
        case ButtonRelease:
            if (event.xbutton.button == Button1 && pressed) {
                picked = Between(x0, y0, event.xbutton.x_root, event.xbutton.y_root);
                if (picked.w == 1 && picked.h == 1)
                    picked = WindowAt(display, root, outline, x0, y0);
                done = true;
            }
            break;
        case KeyPress:
            if (XLookupKeysym(&event.xkey, 0) == XK_Escape)
                cancelled = true;
            break;
        default:
            break;
        }
    }
    XUngrabKeyboard(display, CurrentTime);
    XUngrabPointer(display, CurrentTime);
    XDestroyWindow(display, outline);
    XFreeCursor(display, crosshair);
    XSync(display, False);
    XCloseDisplay(display);
    if (cancelled) {
        std::fputs("pixlo: cancelled\n", stderr);
        return 1;
    }
    std::printf("%d %d %d %d\n", picked.x, picked.y, picked.w, picked.h);
    return 0;
}
