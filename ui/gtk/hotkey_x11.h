#pragma once
// The global hotkey on an X display: a passive grab of the key on the root
// window, so it reaches the program whichever window has the focus.

#include <cstdint>

#include "settings/hotkey.h"

// 1 when the key is grabbed; 0 when the key has no code on this keyboard or
// another client holds it. Presses then go to MainHotkey.
int32_t RegisterHotkeyX11(const Hotkey& hotkey);
void ReleaseHotkeyX11();
