#include "ui/gtk/hotkey_x11.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include "ui/main_controller.h"

namespace {

struct Grab {
    Display* display = nullptr;
    Window root = 0;
    KeyCode keycode = 0;
    unsigned int modifiers = 0;
    unsigned int lockMasks[4] = {};  // the key with and without NumLock and CapsLock
    int32_t down = 0;                // a held key repeats its press: one toggle per press
};

Grab grab;

KeySym KeySymOf(uint32_t key)
{
    if (key >= 'A' && key <= 'Z')
        return XK_a + (key - 'A');
    if (key >= '0' && key <= '9')
        return XK_0 + (key - '0');
    if (key >= kKeyF1 && key < kKeyF1 + kFunctionKeyCount)
        return XK_F1 + (key - kKeyF1);
    switch (key) {
    case kKeySpace: return XK_space;
    case kKeyPageUp: return XK_Prior;
    case kKeyPageDown: return XK_Next;
    case kKeyEnd: return XK_End;
    case kKeyHome: return XK_Home;
    case kKeyInsert: return XK_Insert;
    case kKeyDelete: return XK_Delete;
    case kKeyPause: return XK_Pause;
    default: return NoSymbol;
    }
}

unsigned int MasksOf(uint32_t modifiers)
{
    unsigned int masks = 0;
    if (modifiers & kHotkeyAlt)
        masks |= Mod1Mask;
    if (modifiers & kHotkeyCtrl)
        masks |= ControlMask;
    if (modifiers & kHotkeyShift)
        masks |= ShiftMask;
    if (modifiers & kHotkeyWin)
        masks |= Mod4Mask;
    return masks;
}

// NumLock's modifier is the keyboard's choice; Mod2 on most.
unsigned int NumLockMask(Display* display)
{
    const unsigned int mask = XkbKeysymToModifiers(display, XK_Num_Lock);
    return mask ? mask : Mod2Mask;
}

GdkFilterReturn OnRootEvent(GdkXEvent* native, GdkEvent*, gpointer)
{
    const XEvent* event = static_cast<const XEvent*>(native);
    if ((event->type != KeyPress && event->type != KeyRelease) || event->xkey.keycode != grab.keycode)
        return GDK_FILTER_CONTINUE;
    if (event->type == KeyRelease) {
        grab.down = 0;
        return GDK_FILTER_REMOVE;
    }
    const unsigned int held = event->xkey.state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
    if (held != grab.modifiers)
        return GDK_FILTER_CONTINUE;
    // GDK asks the server for detectable repeats: a held key sends presses
    // without releases between them.
    if (!grab.down) {
        grab.down = 1;
        MainHotkey();
    }
    return GDK_FILTER_REMOVE;
}

void Ungrab()
{
    for (unsigned int locks : grab.lockMasks)
        XUngrabKey(grab.display, grab.keycode, grab.modifiers | locks, grab.root);
}

}  // namespace

int32_t RegisterHotkeyX11(const Hotkey& hotkey)
{
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    if (!GDK_IS_X11_DISPLAY(gdkDisplay))
        return 0;
    Display* display = gdk_x11_display_get_xdisplay(gdkDisplay);
    const KeySym symbol = KeySymOf(hotkey.key);
    const KeyCode keycode = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
    if (!keycode)
        return 0;
    const unsigned int numLock = NumLockMask(display);
    grab = {display, DefaultRootWindow(display), keycode, MasksOf(hotkey.modifiers),
            {0, LockMask, numLock, LockMask | numLock}};
    // Another client's grab of the key fails the request with BadAccess,
    // which arrives later: the trap waits for it.
    gdk_x11_display_error_trap_push(gdkDisplay);
    for (unsigned int locks : grab.lockMasks)
        XGrabKey(display, keycode, grab.modifiers | locks, grab.root, False, GrabModeAsync, GrabModeAsync);
    if (gdk_x11_display_error_trap_pop(gdkDisplay) != 0) {
        gdk_x11_display_error_trap_push(gdkDisplay);
        Ungrab();
        gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
        grab.keycode = 0;
        return 0;
    }
    gdk_window_add_filter(gdk_get_default_root_window(), OnRootEvent, nullptr);
    return 1;
}

void ReleaseHotkeyX11()
{
    if (!grab.keycode)
        return;
    gdk_window_remove_filter(gdk_get_default_root_window(), OnRootEvent, nullptr);
    Ungrab();
    XFlush(grab.display);
    grab.keycode = 0;
}
