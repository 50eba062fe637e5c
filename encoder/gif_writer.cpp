#include "encoder/gif_writer.h"

#include <cstdint>
#include <cstring>

#include "common/memory.h"
#include "encoder/frame_store.h"
#include "encoder/output_file.h"
#include "image/output_geometry.h"

namespace {

struct GifOutput {
    FILE* file;
    int ok;  // sticky: once a write failed the file is abandoned
};

void Put(GifOutput& out, const void* bytes, size_t size)
{
    if (out.ok && outputFileApi.write(bytes, size, out.file) != size)
        out.ok = 0;
}

void PutLe16(uint8_t* at, int32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutHeader(GifOutput& out)
{
    uint8_t header[32] = {'G', 'I', 'F', '8', '9', 'a'};
    PutLe16(header + 6, outputGeometry.outWidth);
    PutLe16(header + 8, outputGeometry.outHeight);
    header[10] = 0x70;  // no global table, colour resolution 7
    // header[11], header[12]: background index 0, aspect ratio 0.
    static const uint8_t kLoopForever[19] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                             'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    std::memcpy(header + 13, kLoopForever, sizeof kLoopForever);
    Put(out, header, sizeof header);
}

void PutFrameSection(GifOutput& out, const FrameRecord& record, int32_t delay)
{
    uint8_t head[787] = {0x21, 0xF9, 0x04, 0x04};  // graphic control: disposal 1 (leave in place)
    PutLe16(head + 4, delay);
    head[8] = 0x2C;  // image separator; left and top stay 0
    PutLe16(head + 13, outputGeometry.outWidth);
    PutLe16(head + 15, outputGeometry.outHeight);
    head[17] = 0x87;  // local colour table of 256 entries
    std::memcpy(head + 18, record.palette, 768);
    head[786] = 8;  // LZW minimum code size
    Put(out, head, sizeof head);

    for (int32_t at = 0; at < record.length; at += 255) {
        int32_t run = record.length - at < 255 ? record.length - at : 255;
        uint8_t runLength = static_cast<uint8_t>(run);
        Put(out, &runLength, 1);
        Put(out, record.data + at, static_cast<size_t>(run));
    }
    static const uint8_t kTerminator = 0x00;
    Put(out, &kTerminator, 1);
}

// A delay above 65535 hundredths (about 11 minutes of a still screen) does
// not fit the 16-bit field, and its low bits would show the still for a few
// seconds instead. Such a frame is written as several identical sections
// whose delays add up to the stored delay exactly; the delay is shared out
// evenly so that no section gets a tiny delay, which players would stretch.
void PutFrame(GifOutput& out, const FrameRecord& record)
{
    int64_t delay = record.delay > 0 ? record.delay : 0;
    int64_t sections = delay <= kMaxSectionDelay ? 1 : (delay + kMaxSectionDelay - 1) / kMaxSectionDelay;
    for (int64_t s = 0; s < sections; s++) {
        int64_t share = delay / sections + (s < delay % sections ? 1 : 0);
        PutFrameSection(out, record, static_cast<int32_t>(share));
    }
}

char* TemporaryPathBeside(const char* path)
{
    static const char kSuffix[] = ".partial";
    size_t length = std::strlen(path);
    char* temporary = static_cast<char*>(memoryApi.allocate(length + sizeof kSuffix));
    if (!temporary)
        return nullptr;
    std::memcpy(temporary, path, length);
    std::memcpy(temporary + length, kSuffix, sizeof kSuffix);
    return temporary;
}

}  // namespace

int WriteGif(const char* path)
{
    char* temporary = TemporaryPathBeside(path);
    if (!temporary)
        return 0;

    GifOutput out = {outputFileApi.open(temporary), 1};
    if (!out.file) {
        memoryApi.release(temporary);
        return 0;
    }

    PutHeader(out);
    for (int32_t i = 0; i < frameStore.count; i++)
        PutFrame(out, frameStore.records[i]);
    static const uint8_t kTrailer = 0x3B;
    Put(out, &kTrailer, 1);

    if (out.ok && !outputFileApi.commit(out.file))
        out.ok = 0;
    if (!outputFileApi.close(out.file))
        out.ok = 0;
    if (out.ok && !outputFileApi.replace(temporary, path))
        out.ok = 0;
    if (!out.ok)
        outputFileApi.remove(temporary);

    memoryApi.release(temporary);
    return out.ok;
}
