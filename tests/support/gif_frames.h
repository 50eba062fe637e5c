#pragma once
// Reads a GIF file the way a viewer does, with its own parser and the
// reference LZW decoder: every image with its place, palette and graphic
// control, and the pictures a viewer shows after each image is drawn over
// the previous picture. It also runs under Wine, where giflib is absent.

#include <cstdint>
#include <string>
#include <vector>

struct GifImage {
    int32_t left = 0, top = 0, width = 0, height = 0;
    int32_t delay = 0;         // hundredths of a second
    int disposal = 0;          // 0 none given, 1 leave in place, 2 background, 3 previous
    bool transparent = false;  // the graphic control's flag
    uint8_t transparentIndex = 0;
    bool interlaced = false;
    std::vector<uint8_t> palette;  // the local table (or the global one), R, G, B
    std::vector<uint8_t> indices;  // width x height, rows in display order
};

struct GifAnimation {
    int32_t width = 0, height = 0;
    std::vector<GifImage> images;
};

// False, with a reason in *error, for anything a strict reader refuses:
// a bad signature, a truncated block, an image outside the logical screen,
// an LZW stream that is malformed or does not give exactly width x height
// indices, an index beyond the colour table.
bool ReadGifAnimation(const std::vector<uint8_t>& file, GifAnimation* out, std::string* error);

// The picture after each image, 4 bytes per pixel R, G, B, A, screen size.
// The canvas starts with every pixel at alpha 0 (never painted); an image
// paints its rectangle with alpha 255, skipping pixels of its transparent
// index, and the disposal methods 0 and 1 leave the picture for the next
// image (2 and 3 are applied as well, although the recorder writes neither).
std::vector<std::vector<uint8_t>> ComposeGifPictures(const GifAnimation& animation);
