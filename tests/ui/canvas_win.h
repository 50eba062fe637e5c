#pragma once
// A memory DC over a top-down 32-bit bitmap, for tests that paint a window's
// picture with the window's own functions and read back its pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

class Canvas {
public:
    Canvas(int width, int height) : width(width)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // As 0x00BBGGRR, comparable with RGB().
    uint32_t At(int x, int y) const
    {
        GdiFlush();
        const uint32_t p = bits[y * width + x];  // B, G, R, X in memory
        return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
    }
    // Pixels in the box (right and bottom excluded) that differ from background.
    int Ink(int left, int top, int right, int bottom, uint32_t background) const
    {
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++)
                n += At(x, y) != background;
        return n;
    }
    HDC dc;

private:
    int width;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint32_t* bits = nullptr;
};

inline std::string Rgb(uint32_t c)
{
    char text[32];
    std::snprintf(text, sizeof text, "RGB(%u,%u,%u)", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return text;
}

struct Pixel {
    const char* what;
    int x, y;
    uint32_t colour;
};

inline void ExpectPixels(const Canvas& canvas, std::initializer_list<Pixel> pixels)
{
    for (const Pixel& p : pixels)
        EXPECT_EQ(Rgb(canvas.At(p.x, p.y)), Rgb(p.colour)) << p.what << " at (" << p.x << ", " << p.y << ")";
}
