#pragma once
// Windows watermark decoding through the GDI+ flat API, reached through
// PlatformApi so that a system without it simply has no watermark.

#include "common/platform_api_win.h"

// Copies a decoded bitmap into the watermark's source pixels; always disposes
// the bitmap. 1 on success.
int BitmapToPixels(GpBitmap* bitmap);
