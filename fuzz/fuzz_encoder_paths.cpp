// One fuzzed frame through every encoder path this processor runs: each
// must store exactly the scalar reference's palette and code stream. The
// input bytes, taken as palette indices, also go through every path's LZW
// compressor with a fuzzed capacity, guard bytes after the buffer included.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "encoder/encoder_paths.h"
#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/lzw.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr int32_t kMaxSide = 128;
constexpr size_t kHeaderBytes = 4;  // width, height, colour reduction, capacity
constexpr uint8_t kGuard = 0xA5;
constexpr size_t kGuardBytes = 16;

uint8_t ByteAt(const uint8_t* data, size_t size, size_t at)
{
    return at < size ? data[at] : 0;
}

struct Stored {
    std::vector<uint8_t> palette, stream;
};

Stored Encode(const std::vector<uint8_t>& pixels, int32_t width, int32_t height)
{
    ClearFrames();
    EncodeFrame(pixels.data(), width, height, 40);
    Require(frameStore.count == 1, "exactly one frame appended");
    const FrameRecord& record = frameStore.records[0];
    Stored stored{std::vector<uint8_t>(record.palette, record.palette + 768),
                  std::vector<uint8_t>(record.data, record.data + record.length)};
    ClearFrames();
    return stored;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& indices, int32_t capacity)
{
    std::vector<uint8_t> out(static_cast<size_t>(capacity > 0 ? capacity : 0) + kGuardBytes, kGuard);
    int32_t length = -1;
    const int32_t result =
        LzwCompress(indices.data(), static_cast<int32_t>(indices.size()), out.data(), capacity, &length);
    Require(result == length, "result equals the stored length");
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t width = 1 + ByteAt(data, size, 0) % kMaxSide;
    const int32_t height = 1 + ByteAt(data, size, 1) % kMaxSide;
    // Keeping only the top bits of each byte makes flat areas and repeats,
    // which give long LZW strings; 0 keeps the bytes as they are.
    const uint8_t keepMask = static_cast<uint8_t>(0xFF << (ByteAt(data, size, 2) % 8));

    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
    std::vector<uint8_t> indices;
    if (size > kHeaderBytes) {
        const size_t have = size - kHeaderBytes;
        for (size_t i = 0; i < pixels.size(); i++)
            pixels[i] = data[kHeaderBytes + i % have] & keepMask;
        indices.assign(data + kHeaderBytes, data + size);
        for (uint8_t& index : indices)
            index &= keepMask;
    }
    const int32_t worst = LzwWorstCaseLength(static_cast<int32_t>(indices.size()));
    // From just below zero to the whole stream: a cut anywhere must match.
    const int32_t capacity = ByteAt(data, size, 3) == 255 ? worst : ByteAt(data, size, 3) * worst / 254 - 1;

    Require(SetEncoderPath(EncoderPath::kScalar) == 1, "the scalar path always runs");
    const Stored expected = Encode(pixels, width, height);
    const std::vector<uint8_t> expectedStream = Compress(indices, capacity);

    for (int32_t p = 1; p < kEncoderPathCount; p++) {
        if (!SetEncoderPath(static_cast<EncoderPath>(p)))
            continue;
        const Stored stored = Encode(pixels, width, height);
        Require(stored.palette == expected.palette, "palette equals the scalar path's");
        Require(stored.stream == expected.stream, "code stream equals the scalar path's");
        Require(Compress(indices, capacity) == expectedStream,
                "LZW stream and guard bytes equal the scalar path's");
    }
    SetEncoderPath(BestEncoderPath());
    return 0;
}
