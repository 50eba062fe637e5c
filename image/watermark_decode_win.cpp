#include "image/watermark_decode_win.h"

#include <cstdio>
#include <cstring>

#include "common/memory.h"
#include "image/png_header.h"
#include "image/watermark.h"

namespace {

constexpr int kWatermarkResourceId = 200;

// The entries every load needs, plus the one that creates its bitmap.
int HaveDecoder(bool fromStream)
{
    const PlatformApi& api = platformApi;
    if (!api.GdipBitmapLockBits || !api.GdiplusStartup)
        return 0;
    if (fromStream)
        return api.CreateStreamOnHGlobal && api.GdipCreateBitmapFromStream;
    return api.GdipCreateBitmapFromFile != nullptr;
}

int StartGdiplus(ULONG_PTR* token)
{
    GdiplusStartupInputRecord input = {1, nullptr, FALSE, FALSE};
    *token = 0;
    return platformApi.GdiplusStartup(token, &input, nullptr) == 0;
}

void StopGdiplus(ULONG_PTR token)
{
    if (platformApi.GdiplusShutdown)
        platformApi.GdiplusShutdown(token);
}

void Dispose(GpBitmap* bitmap)
{
    if (bitmap && platformApi.GdipDisposeImage)
        platformApi.GdipDisposeImage(bitmap);
}

// GDI+ picks its codec by the content, not the name, and trusts the size a
// file declares: under Wine a PNG header of 65536 x 65536 pixels or an icon
// named .png crashes it inside the decoder, and a chunk whose length field
// says 1.5 GB has it take that much memory. So it gets only what the native
// decoder would take, judged by the same portable checks.
int AcceptableBytes(const void* bytes, size_t size)
{
    int32_t width = 0, height = 0;
    const uint8_t* png = static_cast<const uint8_t*>(bytes);
    return size <= static_cast<uint64_t>(kPngMaxFileBytes) && CheckPngHeader(png, size, &width, &height) &&
           CheckPngChunkLengths(png, size);
}

// The file is opened through the same UTF-16 path that GDI+ gets, so the
// bytes judged are those of the file it will decode. The chunk lengths need
// the whole file; it is at most 64 MiB and read once per load.
int AcceptableFile(const WCHAR* widePath)
{
    FILE* file = _wfopen(widePath, L"rb");
    if (!file)
        return 0;
    int64_t size = -1;
    if (_fseeki64(file, 0, SEEK_END) == 0)
        size = _ftelli64(file);
    uint8_t* bytes = size >= static_cast<int64_t>(kPngHeaderBytes) && size <= kPngMaxFileBytes
                         ? static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(size)))
                         : nullptr;
    const int ok = bytes && _fseeki64(file, 0, SEEK_SET) == 0 &&
                   std::fread(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size) &&
                   AcceptableBytes(bytes, static_cast<size_t>(size));
    memoryApi.release(bytes);
    std::fclose(file);
    return ok;
}

}  // namespace

int BitmapToPixels(GpBitmap* bitmap)
{
    const PlatformApi& api = platformApi;
    if (!api.GdipGetImageWidth || !api.GdipGetImageHeight || !api.GdipBitmapUnlockBits) {
        Dispose(bitmap);
        return 0;
    }
    UINT width = 0, height = 0;
    api.GdipGetImageWidth(bitmap, &width);
    api.GdipGetImageHeight(bitmap, &height);
    int32_t bytes = width <= INT32_MAX && height <= INT32_MAX
                        ? PixelBufferBytes(static_cast<int32_t>(width), static_cast<int32_t>(height))
                        : 0;
    uint8_t* pixels = bytes ? static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(bytes))) : nullptr;
    if (!pixels) {
        Dispose(bitmap);
        return 0;
    }

    GdipBitmapData view = {};
    if (api.GdipBitmapLockBits(bitmap, nullptr, kImageLockModeRead, kPixelFormat32bppARGB, &view) != 0) {
        memoryApi.release(pixels);
        Dispose(bitmap);
        return 0;
    }
    // The view's rows may be padded or run bottom-up; ours are packed top-down.
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (UINT row = 0; row < height; row++)
        std::memcpy(pixels + row * rowBytes, static_cast<const uint8_t*>(view.Scan0) + static_cast<ptrdiff_t>(row) * view.Stride,
                    rowBytes);
    api.GdipBitmapUnlockBits(bitmap, &view);
    Dispose(bitmap);

    InstallWatermarkPixels(pixels, static_cast<int32_t>(width), static_cast<int32_t>(height));
    return 1;
}

int LoadWatermarkFile(const char* path)
{
    ULONG_PTR token;
    if (!HaveDecoder(false) || !StartGdiplus(&token))
        return 0;

    int result = 0;
    int units = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    WCHAR* widePath = units > 0 ? static_cast<WCHAR*>(memoryApi.allocate(static_cast<size_t>(units) * sizeof(WCHAR))) : nullptr;
    if (widePath && MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, units) > 0 && AcceptableFile(widePath)) {
        GpBitmap* bitmap = nullptr;
        if (platformApi.GdipCreateBitmapFromFile(widePath, &bitmap) == 0 && bitmap)
            result = BitmapToPixels(bitmap);
        else
            Dispose(bitmap);
    }
    memoryApi.release(widePath);
    StopGdiplus(token);
    return result;
}

int LoadWatermarkEmbedded()
{
    ULONG_PTR token;
    if (!HaveDecoder(true) || !StartGdiplus(&token))
        return 0;

    int result = 0;
    IStream* stream = nullptr;
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(kWatermarkResourceId), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    DWORD size = resource ? SizeofResource(nullptr, resource) : 0;
    HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded && size ? LockResource(loaded) : nullptr;
    if (bytes && AcceptableBytes(bytes, size)) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        void* copy = block ? GlobalLock(block) : nullptr;
        if (copy) {
            std::memcpy(copy, bytes, size);
            GlobalUnlock(block);
            // The stream owns the block from here: releasing it frees the block.
            if (platformApi.CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
                stream = nullptr;
                GlobalFree(block);
            }
        } else if (block) {
            GlobalFree(block);
        }
    }
    if (stream) {
        GpBitmap* bitmap = nullptr;
        if (platformApi.GdipCreateBitmapFromStream(stream, &bitmap) == 0 && bitmap)
            result = BitmapToPixels(bitmap);
        else
            Dispose(bitmap);
        stream->Release();
    }
    StopGdiplus(token);
    return result;
}
