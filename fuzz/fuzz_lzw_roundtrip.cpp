// Input bytes are palette indices. The full stream must decode back to them
// with the reference decoder, and a stream cut at any capacity must be the
// full stream's prefix with not one byte stored past the capacity.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "encoder/lzw.h"
#include "fuzz/fuzz_check.h"
#include "tests/support/reference_lzw.h"

namespace {

constexpr size_t kMaxIndices = 64 * 1024;  // several table generations, still fast
constexpr int32_t kGuardBytes = 64;

// Compresses into a buffer prefilled with fill and checks what a cut stream
// may and may not touch.
void CheckCut(const uint8_t* indices, int32_t count, const std::vector<uint8_t>& full,
              int32_t capacity, uint8_t fill)
{
    const int32_t usable = capacity > 0 ? capacity : 0;
    std::vector<uint8_t> buffer(static_cast<size_t>(usable) + kGuardBytes, fill);
    int32_t stored = -1;
    int32_t result = LzwCompress(indices, count, buffer.data(), capacity, &stored);

    const int32_t fullLength = static_cast<int32_t>(full.size());
    const int32_t expected = fullLength < usable ? fullLength : usable;
    Require(result == stored, "cut: result equals *outLength");
    Require(result == expected, "cut: result is min(full length, capacity)");
    Require(std::equal(buffer.begin(), buffer.begin() + result, full.begin()),
            "cut: stored bytes are the full stream's prefix");
    for (size_t i = static_cast<size_t>(result); i < buffer.size(); i++)
        Require(buffer[i] == fill, "cut: nothing written past the stored bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kMaxIndices)
        return -1;  // keeps such inputs out of the corpus
    const int32_t count = static_cast<int32_t>(size);

    const int32_t worstCase = LzwWorstCaseLength(count);
    Require(worstCase > 0, "worst case fits");
    std::vector<uint8_t> full(static_cast<size_t>(worstCase));
    int32_t fullLength = -1;
    int32_t result = LzwCompress(data, count, full.data(), worstCase, &fullLength);
    Require(result == fullLength, "result equals *outLength");
    Require(fullLength > 0 && fullLength <= worstCase, "full length within the worst case");
    full.resize(static_cast<size_t>(fullLength));

    std::vector<uint8_t> decoded;
    LzwTrace trace;
    Require(ReferenceLzwDecode(full.data(), full.size(), size, &decoded, &trace),
            "reference decoder accepts the stream");
    Require(std::equal(decoded.begin(), decoded.end(), data, data + size),
            "decoded indices equal the input");
    // The end code must sit in the last byte: a stream with bytes to spare
    // after it would mean the length reported is not the stream's.
    size_t bits = 0;
    for (int width : trace.widths)
        bits += static_cast<size_t>(width);
    Require((bits + 7) / 8 == full.size(), "stream ends in the byte holding the end code");

    // Capacity from the first two bytes, reaching from below zero to past
    // the full length, so cuts land anywhere including on byte boundaries of
    // codes and on the trailing partial byte.
    uint32_t seed = (size > 0 ? data[0] : 0) | (size > 1 ? data[1] << 8 : 0);
    int32_t capacity = static_cast<int32_t>(seed % static_cast<uint32_t>(fullLength + 17)) - 8;
    // Two fills: a stray byte cannot match both.
    CheckCut(data, count, full, capacity, 0x5A);
    CheckCut(data, count, full, capacity, 0xA5);
    return 0;
}
