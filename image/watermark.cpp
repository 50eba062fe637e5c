#include "image/watermark.h"

#include <cstdio>
#include <cstring>

#include "common/memory.h"
#include "common/module_files.h"
#include "image/resampler.h"

WatermarkImage watermarkImage;

void InstallWatermarkPixels(uint8_t* pixels, int32_t width, int32_t height)
{
    memoryApi.release(watermarkImage.pixels);
    watermarkImage.pixels = pixels;
    watermarkImage.width = width;
    watermarkImage.height = height;
}

void DiscoverWatermark()
{
    char candidate[kModulePathSize + 16];
    int haveCandidate = ModuleSiblingPath("watermark.png", candidate, sizeof candidate);
    if (haveCandidate && moduleFilesApi.fileExists(candidate) && LoadWatermarkFile(candidate))
        watermarkImage.inUse = 1;
    else if (LoadWatermarkEmbedded())
        watermarkImage.inUse = 1;
    else
        watermarkImage.inUse = 0;
}

void PrepareWatermark(int32_t outWidth)
{
    WatermarkImage& wm = watermarkImage;
    memoryApi.release(wm.scaled);
    wm.scaled = nullptr;
    wm.scaledWidth = 0;
    wm.scaledHeight = 0;
    if (wm.inUse == 0 || wm.pixels == nullptr || outWidth <= 0)
        return;

    int32_t target = static_cast<int32_t>(outWidth / 6.0 + 0.5);
    if (target <= 59)
        target = 60;
    else if (target > 120)
        target = 120;
    int32_t width = outWidth < target ? outWidth : target;
    double h = static_cast<double>(wm.height) * width / wm.width + 0.5;
    // A very tall, narrow image could ask for more rows than any frame has;
    // the blend cuts at the frame's height anyway, so cap at what fits.
    int32_t height = h >= 65536.0 ? 65536 : static_cast<int32_t>(h);
    if (height <= 0)
        height = 1;

    int32_t bytes = PixelBufferBytes(width, height);
    uint8_t* scaled = bytes ? static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(bytes))) : nullptr;
    if (!scaled)
        return;
    ResampleBilinear(wm.pixels, wm.width, wm.height, scaled, width, height);
    wm.scaled = scaled;
    wm.scaledWidth = width;
    wm.scaledHeight = height;
}

void BlendWatermark(uint8_t* frame, int32_t frameWidth, int32_t frameHeight)
{
    const WatermarkImage& wm = watermarkImage;
    if (wm.inUse == 0 || wm.scaled == nullptr || frameHeight <= 0 || wm.scaledHeight <= 0 ||
        frameWidth <= 0 || wm.scaledWidth <= 0)
        return;
    const int32_t rows = wm.scaledHeight < frameHeight ? wm.scaledHeight : frameHeight;
    const int32_t columns = wm.scaledWidth < frameWidth ? wm.scaledWidth : frameWidth;
    for (int32_t y = 0; y < rows; y++) {
        const uint8_t* mark = wm.scaled + static_cast<size_t>(y) * wm.scaledWidth * 4;
        uint8_t* out = frame + static_cast<size_t>(y) * frameWidth * 4;
        for (int32_t x = 0; x < columns; x++, mark += 4, out += 4) {
            const int32_t a = mark[3];
            if (a == 0)
                continue;
            if (a == 255) {
                out[0] = mark[0];
                out[1] = mark[1];
                out[2] = mark[2];
                continue;
            }
            for (int c = 0; c < 3; c++)
                out[c] = static_cast<uint8_t>((mark[c] * a + out[c] * (255 - a)) / 255);
        }
    }
}
