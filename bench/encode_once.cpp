// Encodes one fixed synthetic frame with a chosen encoder path, for
// instruction counts under valgrind (bench/callgrind.sh), which repeat
// exactly where wall-clock times on a shared machine do not.
//   pixlo_encode_once scalar|sse4.1|avx2|avx512 WIDTH HEIGHT screen|photo

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "encoder/encoder_paths.h"
#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "tests/support/synthetic_frames.h"

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s scalar|sse4.1|avx2|avx512 WIDTH HEIGHT screen|photo\n", argv[0]);
        return 2;
    }
    int path = -1;
    for (int p = 0; p < kEncoderPathCount; p++)
        if (std::strcmp(argv[1], EncoderPathName(static_cast<EncoderPath>(p))) == 0)
            path = p;
    const int32_t width = std::atoi(argv[2]);
    const int32_t height = std::atoi(argv[3]);
    const bool photo = std::strcmp(argv[4], "photo") == 0;
    if (path < 0 || width < 1 || height < 1 || (!photo && std::strcmp(argv[4], "screen") != 0)) {
        std::fprintf(stderr, "%s: bad arguments\n", argv[0]);
        return 2;
    }
    if (!SetEncoderPath(static_cast<EncoderPath>(path))) {
        std::fprintf(stderr, "%s: this processor cannot run the %s path\n", argv[0], argv[1]);
        return 3;
    }
    const std::vector<uint8_t> pixels = photo ? PhotoLikeFrame(width, height, 7) : ScreenLikeFrame(width, height, 7);
    EncodeFrame(pixels.data(), width, height, 40);
    if (frameStore.count != 1)
        return 1;
    // The stream's size and a checksum, so runs of different paths can be
    // seen to agree.
    uint32_t sum = 0;
    for (int32_t i = 0; i < frameStore.records[0].length; i++)
        sum = sum * 31u + frameStore.records[0].data[i];
    for (int i = 0; i < 768; i++)
        sum = sum * 31u + frameStore.records[0].palette[i];
    std::printf("%s %dx%d %s: %d bytes, checksum %08x\n", argv[1], width, height, argv[4],
                frameStore.records[0].length, sum);
    ClearFrames();
    return 0;
}
