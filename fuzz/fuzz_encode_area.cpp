// A two-frame optimized recording of a fuzzed picture: the first frame
// whole, as a recording's first frame is stored (it may lend its table to
// the file), then a fuzzed rectangle of a second picture drawn over it, on
// the shared table or its own. Each frame must show its own colours (or each
// pixel's nearest entry beyond 256 of them), and giflib must read back the
// tables and indices the store holds. Small frames keep this at hundreds of
// inputs a second, where the whole-frame target spends its time on the
// learned palette's reference.
#include <gif_lib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "encoder/output_file.h"
#include "fuzz/fuzz_check.h"
#include "image/output_geometry.h"
#include "tests/support/area_colours.h"
#include "tests/support/reference_lzw.h"

namespace {

constexpr int32_t kMaxSide = 32;
// width, height, the second rectangle's left, top, width, height, how its
// pixels change, and two bytes of the colour count
constexpr size_t kHeaderBytes = 9;
// Screens show many pixels of few colours: a picture is drawn from a
// palette of up to 512 colours the input gives, so areas beyond 256 colours
// are common while the nearest-entry search, whose cost grows with the
// distinct colours, keeps the target at a useful rate.
constexpr int32_t kMaxColours = 512;

std::string gifPath;

int FlushOnly(FILE* file)
{
    return std::fflush(file) == 0;
}

uint8_t ByteAt(const uint8_t* data, size_t size, size_t at)
{
    return at < size ? data[at] : 0;
}

struct Rect {
    int32_t left, top, width, height;
};

std::vector<uint8_t> Cut(const std::vector<uint8_t>& picture, int32_t frameWidth, Rect r)
{
    std::vector<uint8_t> cut;
    for (int32_t y = r.top; y < r.top + r.height; y++) {
        const auto row = picture.begin() + (static_cast<long>(y) * frameWidth + r.left) * 4;
        cut.insert(cut.end(), row, row + static_cast<long>(r.width) * 4);
    }
    return cut;
}

// The table a stored frame's indices refer to: its own, or the shared one.
std::vector<uint8_t> TableOf(const FrameRecord& record)
{
    if (record.tableSize == 0)
        return {frameStore.sharedPalette, frameStore.sharedPalette + frameStore.sharedTableSize * 3};
    return {record.palette, record.palette + record.tableSize * 3};
}

// Decodes stored frame i and checks that it shows the pixels it covers.
std::vector<uint8_t> CheckStoredFrame(int i, const std::vector<uint8_t>& cut)
{
    const FrameRecord& record = frameStore.records[i];
    Require(record.tableSize == 0 || (record.tableSize >= 2 && record.tableSize <= 256),
            "a table size a GIF can state, or the shared table");
    Require(record.tableSize != 0 || frameStore.sharedTableSize >= 2, "a frame on the shared table has one");
    Require(record.minCodeSize >= 2 && record.minCodeSize <= 8, "a code size a GIF can state");
    std::vector<uint8_t> indices;
    Require(ReferenceLzwDecode(record.data, static_cast<size_t>(record.length), cut.size() / 4, &indices, nullptr,
                               record.minCodeSize),
            "the frame's stream decodes");
    const std::vector<uint8_t> table = TableOf(record);
    Require(AreaColoursFault(table.data(), static_cast<int32_t>(table.size() / 3), indices, cut).empty(),
            "the frame shows its own colours, or each pixel's nearest entry beyond 256 of them");
    return indices;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("TMPDIR");
    if (!folder || !*folder)
        folder = "/tmp";
    gifPath = std::string(folder) + "/pixlo-fuzz-area-" + std::to_string(getpid()) + ".gif";
    outputFileApi.commit = FlushOnly;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t width = 1 + ByteAt(data, size, 0) % kMaxSide;
    const int32_t height = 1 + ByteAt(data, size, 1) % kMaxSide;
    Rect second;
    second.left = ByteAt(data, size, 2) % width;
    second.top = ByteAt(data, size, 3) % height;
    second.width = 1 + ByteAt(data, size, 4) % (width - second.left);
    second.height = 1 + ByteAt(data, size, 5) % (height - second.top);
    const uint8_t change = ByteAt(data, size, 6);

    // The colours (B, G, R) follow the header, then two bytes per pixel
    // pick one; both repeat to fill what the input leaves out.
    const int32_t colourCount = 1 + (ByteAt(data, size, 7) | (ByteAt(data, size, 8) & 1) << 8) % kMaxColours;
    std::vector<uint8_t> colours(static_cast<size_t>(colourCount) * 3);
    for (size_t i = 0; i < colours.size(); i++)
        colours[i] = ByteAt(data, size, kHeaderBytes + i);
    const size_t indexStart = kHeaderBytes + colours.size();
    const size_t indexBytes = size > indexStart ? size - indexStart : 0;
    std::vector<uint8_t> first(static_cast<size_t>(width) * height * 4, 0);
    for (size_t p = 0; p < first.size() / 4; p++) {
        int32_t pick = 0;
        if (indexBytes >= 2) {
            const size_t at = indexStart + (2 * p) % (indexBytes & ~size_t{1});
            pick = (data[at] << 8 | data[at + 1]) % colourCount;
        }
        std::memcpy(&first[p * 4], &colours[static_cast<size_t>(pick) * 3], 3);
    }
    // The second picture: the rectangle's pixels rearranged (colours the
    // shared table holds) and, for an odd change byte, moved to new colours.
    std::vector<uint8_t> next = first;
    const size_t pixels = first.size() / 4;
    for (int32_t y = second.top; y < second.top + second.height; y++)
        for (int32_t x = second.left; x < second.left + second.width; x++) {
            const size_t at = static_cast<size_t>(y) * width + x;
            const size_t from = (pixels - 1 - at + change) % pixels;
            for (int c = 0; c < 4; c++)
                next[at * 4 + c] = static_cast<uint8_t>(first[from * 4 + c] ^ ((change & 1) ? change : 0));
        }

    ClearFrames();
    outputGeometry = {width, height};
    EncodeFrameArea(first.data(), width, 0, 0, width, height, 100);
    Require(frameStore.count == 1, "the first frame appended");
    EncodeFrameArea(next.data(), width, second.left, second.top, second.width, second.height, 100);
    Require(frameStore.count == 2, "the rectangle appended as a second frame");
    const FrameRecord& area = frameStore.records[1];
    Require(area.left == second.left && area.top == second.top && area.width == second.width &&
                area.height == second.height,
            "the rectangle's place is stored");
    Require(frameStore.records[0].tableSize == 0 && frameStore.sharedTableSize >= 2,
            "the first frame lends its table to the file");

    const std::vector<uint8_t> firstIndices = CheckStoredFrame(0, first);
    const std::vector<uint8_t> areaIndices = CheckStoredFrame(1, Cut(next, width, second));

    Require(WriteGif(gifPath.c_str()) == 1, "the file is written");
    int error = 0;
    GifFileType* gif = DGifOpenFileName(gifPath.c_str(), &error);
    Require(gif != nullptr, "giflib opens the file");
    Require(DGifSlurp(gif) == GIF_OK, "giflib reads the whole file");
    Require(gif->SWidth == width && gif->SHeight == height && gif->ImageCount == 2, "screen size and two images");
    Require((gif->SColorMap != nullptr) == (frameStore.sharedTableSize != 0),
            "a global table exactly when frames may share one");
    for (int i = 0; i < 2; i++) {
        const SavedImage& image = gif->SavedImages[i];
        const FrameRecord& record = frameStore.records[i];
        const ColorMapObject* map = record.tableSize == 0 ? gif->SColorMap : image.ImageDesc.ColorMap;
        Require(record.tableSize != 0 || image.ImageDesc.ColorMap == nullptr, "no local table on the shared one");
        const std::vector<uint8_t> table = TableOf(record);
        Require(map != nullptr && map->ColorCount == static_cast<int>(table.size() / 3), "the table's size");
        for (int e = 0; e < map->ColorCount; e++)
            Require(map->Colors[e].Red == table[3 * e] && map->Colors[e].Green == table[3 * e + 1] &&
                        map->Colors[e].Blue == table[3 * e + 2],
                    "giflib reads the stored table");
        const std::vector<uint8_t>& indices = i == 0 ? firstIndices : areaIndices;
        Require(std::vector<uint8_t>(image.RasterBits, image.RasterBits + indices.size()) == indices,
                "giflib reads the stored indices");
        GraphicsControlBlock control;
        Require(DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK && control.DisposalMode == DISPOSE_DO_NOT,
                "each frame stays in place under the next");
    }
    DGifCloseFile(gif, &error);
    std::remove(gifPath.c_str());
    ClearFrames();
    return 0;
}
