// One fuzzed frame through the whole encoder and out as a file, followed by
// a fuzzed rectangle of it stored as a changed area: giflib must read back
// exactly the palette and the indices the encoder's own stages give for the
// frame, and the rectangle at its place showing its own colours.
#include <gif_lib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "encoder/output_file.h"
#include "fuzz/fuzz_check.h"
#include "image/output_geometry.h"
#include "tests/support/area_colours.h"
#include "tests/support/expected_indices.h"
#include "tests/support/reference_lzw.h"

namespace {

constexpr int32_t kMaxSide = 64;
constexpr size_t kHeaderBytes = 7;  // width, height, delay, the rectangle's left, top, width, height

std::string gifPath;

// An fsync per input would bound the run by the disk, and durability is not
// what is fuzzed here.
int FlushOnly(FILE* file)
{
    return std::fflush(file) == 0;
}

uint8_t ByteAt(const uint8_t* data, size_t size, size_t at)
{
    return at < size ? data[at] : 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("TMPDIR");
    if (!folder || !*folder)
        folder = "/tmp";
    gifPath = std::string(folder) + "/pixlo-fuzz-" + std::to_string(getpid()) + ".gif";
    outputFileApi.commit = FlushOnly;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t width = 1 + ByteAt(data, size, 0) % kMaxSide;
    const int32_t height = 1 + ByteAt(data, size, 1) % kMaxSide;
    const int32_t delayMs = ByteAt(data, size, 2) * 40;
    // Any rectangle inside the frame, from 1 x 1 to the whole frame.
    const int32_t left = ByteAt(data, size, 3) % width;
    const int32_t top = ByteAt(data, size, 4) % height;
    const int32_t areaWidth = 1 + ByteAt(data, size, 5) % (width - left);
    const int32_t areaHeight = 1 + ByteAt(data, size, 6) % (height - top);

    // The rest of the input, repeated to fill the frame: short inputs still
    // make large frames with structure LZW can find.
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
    if (size > kHeaderBytes) {
        const size_t have = size - kHeaderBytes;
        for (size_t i = 0; i < pixels.size(); i++)
            pixels[i] = data[kHeaderBytes + i % have];
    }

    ClearFrames();
    outputGeometry = {width, height};
    EncodeFrame(pixels.data(), width, height, delayMs);
    Require(frameStore.count == 1, "exactly one frame appended");
    EncodeFrameArea(pixels.data(), width, left, top, areaWidth, areaHeight, delayMs);
    Require(frameStore.count == 2, "the rectangle appended as a second frame");
    const FrameRecord& area = frameStore.records[1];
    Require(area.left == left && area.top == top && area.width == areaWidth && area.height == areaHeight,
            "the rectangle's place is stored");

    std::vector<uint8_t> cut;
    for (int32_t y = top; y < top + areaHeight; y++)
        cut.insert(cut.end(), pixels.begin() + (static_cast<long>(y) * width + left) * 4,
                   pixels.begin() + (static_cast<long>(y) * width + left + areaWidth) * 4);
    std::vector<uint8_t> areaIndices;
    Require(area.minCodeSize >= 2 && area.minCodeSize <= 8 && area.tableSize >= 2 && area.tableSize <= 256,
            "the rectangle's table and code size are ones a GIF can state");
    Require(ReferenceLzwDecode(area.data, static_cast<size_t>(area.length), cut.size() / 4, &areaIndices, nullptr,
                               area.minCodeSize),
            "the rectangle's stream decodes");
    Require(AreaColoursFault(area.palette, area.tableSize, areaIndices, cut).empty(),
            "the rectangle shows its own colours, or each pixel's nearest entry beyond 256 of them");

    const ExpectedFrame expected = ExpectedEncoding(pixels, width, height);
    const FrameRecord& record = frameStore.records[0];
    for (int i = 0; i < 768; i++)
        Require(record.palette[i] == expected.palette[i], "stored palette is the learned one");

    // giflib stops once it has every pixel, so it would miss a bad end of
    // stream; the reference decoder insists on the end code.
    std::vector<uint8_t> decoded;
    Require(ReferenceLzwDecode(record.data, static_cast<size_t>(record.length),
                               expected.indices.size(), &decoded, nullptr) &&
                decoded == expected.indices,
            "stored stream decodes to the expected indices");

    Require(WriteGif(gifPath.c_str()) == 1, "the file is written");
    int error = 0;
    GifFileType* gif = DGifOpenFileName(gifPath.c_str(), &error);
    Require(gif != nullptr, "giflib opens the file");
    Require(DGifSlurp(gif) == GIF_OK, "giflib reads the whole file");

    Require(gif->SWidth == width && gif->SHeight == height, "screen size");
    Require(gif->ImageCount == 2, "two images");
    const SavedImage& image = gif->SavedImages[0];
    Require(image.ImageDesc.Left == 0 && image.ImageDesc.Top == 0, "image at the origin");
    Require(image.ImageDesc.Width == width && image.ImageDesc.Height == height, "image size");
    Require(!image.ImageDesc.Interlace, "not interlaced");

    GraphicsControlBlock control;
    Require(DGifSavedExtensionToGCB(gif, 0, &control) == GIF_OK, "graphic control present");
    Require(control.DelayTime == record.delay, "delay is the stored one");

    const ColorMapObject* map = image.ImageDesc.ColorMap;
    Require(map != nullptr && map->ColorCount == 256, "local table of 256 entries");
    for (int i = 0; i < 256; i++) {
        Require(map->Colors[i].Red == expected.palette[3 * i] &&
                    map->Colors[i].Green == expected.palette[3 * i + 1] &&
                    map->Colors[i].Blue == expected.palette[3 * i + 2],
                "colour table equals the learned palette");
    }
    for (size_t p = 0; p < expected.indices.size(); p++)
        Require(image.RasterBits[p] == expected.indices[p], "every pixel has the expected index");

    const SavedImage& second = gif->SavedImages[1];
    Require(second.ImageDesc.Left == left && second.ImageDesc.Top == top, "the rectangle at its place");
    Require(second.ImageDesc.Width == areaWidth && second.ImageDesc.Height == areaHeight, "the rectangle's size");
    Require(!second.ImageDesc.Interlace, "the rectangle not interlaced");
    GraphicsControlBlock areaControl;
    Require(DGifSavedExtensionToGCB(gif, 1, &areaControl) == GIF_OK && areaControl.DisposalMode == DISPOSE_DO_NOT,
            "the frames under the rectangle stay in place");
    const ColorMapObject* areaMap = second.ImageDesc.ColorMap;
    Require(areaMap != nullptr && areaMap->ColorCount == area.tableSize,
            "the rectangle's local table of the entries it uses");
    std::vector<uint8_t> table;
    for (int i = 0; i < area.tableSize; i++)
        table.insert(table.end(), {areaMap->Colors[i].Red, areaMap->Colors[i].Green, areaMap->Colors[i].Blue});
    const std::vector<uint8_t> shown(second.RasterBits, second.RasterBits + areaIndices.size());
    Require(shown == areaIndices && AreaColoursFault(table.data(), area.tableSize, shown, cut).empty(),
            "giflib reads the rectangle as stored");

    DGifCloseFile(gif, &error);
    std::remove(gifPath.c_str());
    ClearFrames();
    return 0;
}
