#include "encoder/gif_writer.h"

#include <cstdint>
#include <cstring>

#include "common/memory.h"
#include "common/module_files.h"
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

// A descriptor states a table of 2^(bits + 1) entries; a size that is not
// such a power of two is written as all 256.
int32_t TableBits(int32_t tableSize)
{
    for (int32_t bits = 0; bits < 8; bits++)
        if (tableSize == 2 << bits)
            return bits;
    return 7;
}

void PutHeader(GifOutput& out)
{
    uint8_t header[13] = {'G', 'I', 'F', '8', '9', 'a'};
    PutLe16(header + 6, outputGeometry.outWidth);
    PutLe16(header + 8, outputGeometry.outHeight);
    const int32_t shared = frameStore.sharedTableSize;
    const int32_t sharedBits = TableBits(shared);
    // Colour resolution 7; a global table of 2^(bits + 1) entries when the
    // frames share one.
    header[10] = static_cast<uint8_t>(shared > 0 ? 0xF0 | sharedBits : 0x70);
    // header[11], header[12]: background index 0, aspect ratio 0.
    Put(out, header, sizeof header);
    if (shared > 0)
        Put(out, frameStore.sharedPalette, static_cast<size_t>(2 << sharedBits) * 3);
    static const uint8_t kLoopForever[19] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                             'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    Put(out, kLoopForever, sizeof kLoopForever);
}


void PutFrameSection(GifOutput& out, const FrameRecord& record, int32_t delay)
{
    uint8_t head[787] = {0x21, 0xF9, 0x04, 0x04};  // graphic control: disposal 1 (leave in place)
    PutLe16(head + 4, delay);
    head[8] = 0x2C;  // image separator
    PutLe16(head + 9, record.left);
    PutLe16(head + 11, record.top);
    PutLe16(head + 13, record.width);
    PutLe16(head + 15, record.height);
    const int32_t bits = TableBits(record.tableSize);
    // A frame on the shared table carries none of its own.
    const size_t tableBytes = record.tableSize == 0 ? 0 : static_cast<size_t>(2 << bits) * 3;
    head[17] = static_cast<uint8_t>(tableBytes > 0 ? 0x80 | bits : 0);  // a local colour table follows
    std::memcpy(head + 18, record.palette, tableBytes);
    const bool codeSizeValid = record.minCodeSize >= 2 && record.minCodeSize <= 8;
    head[18 + tableBytes] = static_cast<uint8_t>(codeSizeValid ? record.minCodeSize : 8);
    Put(out, head, 19 + tableBytes);

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

// Temporary names are "~" and up to 8 digits of 5 bits (2^40 names), never
// longer than the target's own file name: the temporary path is then never
// longer than the target's, so any path that fits MAX_PATH (as a Save dialog
// returns, up to 259 bytes) can be written. A name of 1 or 2 bytes leaves 32
// names to try; the attempts count up from a random start so that they are
// all tried, while two writers with different starts do not meet.
constexpr size_t kTemporaryNameMax = 9;
constexpr int kTemporaryAttempts = 64;
const char kNameDigits[] = "0123456789abcdefghijklmnopqrstuv";  // one case only: Windows ignores case

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;  // splitmix64's finaliser
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

bool SameNameIgnoringAsciiCase(const char* a, const char* b)
{
    for (; *a && *b; a++, b++) {
        char ca = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
        char cb = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b + 32) : *b;
        if (ca != cb)
            return false;
    }
    return *a == *b;
}

// Creates a new file beside path under a name nobody uses. On success the
// file, with its path in *temporary (from memoryApi, the caller's to free).
FILE* CreateTemporaryBeside(const char* path, char** temporary)
{
    // DirectoryEnd steps by characters of the ANSI code page on Windows: the
    // second byte of a GBK character may be 0x5C, a backslash.
    const size_t length = std::strlen(path);
    const size_t directory = static_cast<size_t>(DirectoryEnd(path));
    if (directory >= length)
        return nullptr;  // no file name
    const char* targetName = path + directory;
    const size_t nameLength = length - directory < kTemporaryNameMax ? length - directory : kTemporaryNameMax;
    char* candidate = static_cast<char*>(memoryApi.allocate(directory + nameLength + 1));
    if (!candidate)
        return nullptr;
    std::memcpy(candidate, path, directory);
    char* name = candidate + directory;

    static uint64_t calls = 0;  // two writes in one tick of the clock still differ
    const uint64_t start = Mix(outputFileApi.uniqueSeed() ^ Mix(++calls));
    for (int attempt = 0; attempt < kTemporaryAttempts; attempt++) {
        uint64_t value = start + static_cast<uint64_t>(attempt);
        size_t at = 0;
        if (nameLength >= 2)
            name[at++] = '~';
        for (; at < nameLength; at++, value >>= 5)
            name[at] = kNameDigits[value & 31];
        name[nameLength] = '\0';
        if (SameNameIgnoringAsciiCase(name, targetName))
            continue;
        int exists = 0;
        FILE* file = outputFileApi.createNew(candidate, &exists);
        if (file) {
            *temporary = candidate;
            return file;
        }
        if (!exists)
            break;  // no folder, no right to create: another name will not help
    }
    memoryApi.release(candidate);
    return nullptr;
}

// The logical screen and every image descriptor state the size in 16 bits.
bool SizeFitsTheFile(int32_t side)
{
    return side >= 0 && side <= kMaxGifSide;
}

}  // namespace

int WriteGif(const char* path)
{
    if (!SizeFitsTheFile(outputGeometry.outWidth) || !SizeFitsTheFile(outputGeometry.outHeight))
        return 0;
    // Through a symbolic link the file it leads to is replaced, from a
    // temporary file in that file's folder: rename() cannot cross devices.
    char* target = outputFileApi.finalTarget(path);
    if (!target)
        return 0;
    char* temporary = nullptr;
    GifOutput out = {CreateTemporaryBeside(target, &temporary), 1};
    if (!out.file) {
        memoryApi.release(target);
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
    if (out.ok && !outputFileApi.replace(temporary, target))
        out.ok = 0;
    if (!out.ok)
        outputFileApi.remove(temporary);

    memoryApi.release(temporary);
    memoryApi.release(target);
    return out.ok;
}

namespace {

// 1 when a file can be made at path, tried by making it and removing it
// again; what is there already is left alone (replaceable judges it). A name
// the system refuses is found now instead of by the final rename.
int CanCreateAt(const char* path)
{
    int exists = 0;
    FILE* file = outputFileApi.createNew(path, &exists);
    if (!file)
        return exists;
    outputFileApi.close(file);
    outputFileApi.remove(path);
    return 1;
}

int CanWriteTarget(const char* target)
{
    if (!outputFileApi.replaceable(target))
        return 0;
    char* temporary = nullptr;
    FILE* file = CreateTemporaryBeside(target, &temporary);
    if (!file)
        return 0;
    outputFileApi.close(file);
    outputFileApi.remove(temporary);
    memoryApi.release(temporary);
    return CanCreateAt(target);
}

}  // namespace

int CanWriteGif(const char* path)
{
    char* target = outputFileApi.finalTarget(path);
    if (!target)
        return 0;
    const int writable = CanWriteTarget(target);
    memoryApi.release(target);
    return writable;
}
