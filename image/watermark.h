#pragma once
// The semi-transparent image blended into the top-left corner of every
// recorded frame: decoded once when chosen, scaled once per recording,
// blended per frame after scaling and before the duplicate test.

#include <cstdint>

struct WatermarkImage {
    int32_t inUse;          // 1: blended into recorded frames
    uint8_t* pixels;        // decoded source, B, G, R, A straight alpha; null until a load succeeds
    int32_t width;
    int32_t height;
    uint8_t* scaled;        // source scaled for the current output width, or null
    int32_t scaledWidth;    // both 0 whenever there is no scaled image
    int32_t scaledHeight;
};

extern WatermarkImage watermarkImage;

// Decoders: 1 on success, 0 on failure. A failed load keeps the previous
// image; neither touches inUse or scaled. (Platform files: GDI+ on Windows,
// libpng natively.)
int LoadWatermarkFile(const char* path);
int LoadWatermarkEmbedded();

// Picks "watermark.png" beside the executable, else the embedded image, and
// sets inUse by whether either could be decoded.
void DiscoverWatermark();

// Rebuilds scaled for an output width: about a sixth of it, 60 to 120
// pixels, never wider than the frame.
void PrepareWatermark(int32_t outWidth);

// Blends scaled into a frame in place at its top-left corner; the fourth
// byte of the frame's pixels is never changed.
void BlendWatermark(uint8_t* frame, int32_t frameWidth, int32_t frameHeight);

// The loaders' last step: frees the old source and installs a new one.
void InstallWatermarkPixels(uint8_t* pixels, int32_t width, int32_t height);
