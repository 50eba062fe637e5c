// Native watermark loading: the PNG decoded with libpng, the embedded image
// compiled into the program as bytes.
#include <cstdio>

#include "common/memory.h"
#include "image/embedded_watermark.h"
#include "image/png_decode_posix.h"
#include "image/watermark.h"

namespace {

int InstallDecoded(const uint8_t* data, size_t size)
{
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0;
    if (!DecodePng(data, size, &pixels, &width, &height))
        return 0;
    InstallWatermarkPixels(pixels, width, height);
    return 1;
}

}  // namespace

int LoadWatermarkFile(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return 0;
    uint8_t* bytes = nullptr;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size > 0 && size <= kPngMaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0)
        bytes = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(size)));
    int ok = bytes && std::fread(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size) &&
             InstallDecoded(bytes, static_cast<size_t>(size));
    memoryApi.release(bytes);
    std::fclose(file);
    return ok;
}

int LoadWatermarkEmbedded()
{
    return InstallDecoded(kEmbeddedWatermarkPng, kEmbeddedWatermarkPngSize);
}
