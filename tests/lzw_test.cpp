#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "encoder/lzw.h"
#include "tests/support/reference_lzw.h"
#include "tests/support/synthetic_frames.h"

namespace {

std::vector<uint8_t> Compress(const std::vector<uint8_t>& indices, int32_t capacity = -1, int32_t minCodeSize = 8)
{
    if (capacity < 0)
        capacity = LzwWorstCaseLength(static_cast<int32_t>(indices.size()));
    std::vector<uint8_t> out(static_cast<size_t>(capacity) + 16, 0xEE);
    int32_t length = -1;
    int32_t result = LzwCompress(indices.data(), static_cast<int32_t>(indices.size()), out.data(),
                                 capacity, &length, minCodeSize);
    EXPECT_EQ(result, length);
    EXPECT_LE(length, capacity);
    for (size_t i = static_cast<size_t>(capacity); i < out.size(); i++)
        EXPECT_EQ(out[i], 0xEE) << "byte written past the capacity at " << i;
    out.resize(static_cast<size_t>(length));
    return out;
}

std::vector<uint8_t> RandomIndices(size_t count, uint32_t seed)
{
    std::vector<uint8_t> noise = NoiseFrame(static_cast<int32_t>(count), 1, seed);
    std::vector<uint8_t> indices(count);
    for (size_t i = 0; i < count; i++)
        indices[i] = noise[i * 4];
    return indices;
}

void ExpectRoundTrip(const std::vector<uint8_t>& indices, LzwTrace* trace = nullptr)
{
    std::vector<uint8_t> stream = Compress(indices);
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(ReferenceLzwDecode(stream.data(), stream.size(), indices.size(), &decoded, trace));
    ASSERT_EQ(decoded.size(), indices.size());
    for (size_t i = 0; i < indices.size(); i++)
        ASSERT_EQ(decoded[i], indices[i]) << "first difference at index " << i;
}

TEST(Lzw, ExactStreamsOfTinyInputs)
{
    struct Case {
        std::vector<uint8_t> indices;
        std::vector<uint8_t> stream;
    };
    const Case cases[] = {
        {{}, {0x00, 0x03, 0x02}},           // clear, end at 9 bits
        {{5}, {0x00, 0x0B, 0x04, 0x04}},    // clear, 5, end
    };
    for (const Case& c : cases)
        EXPECT_EQ(Compress(c.indices), c.stream);
}

TEST(Lzw, NegativeCountIsAnEmptyImage)
{
    uint8_t out[8];
    int32_t length = 0;
    uint8_t index = 9;
    EXPECT_EQ(LzwCompress(&index, -4, out, sizeof out, &length), 3);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{0x00, 0x03, 0x02}));
}

TEST(Lzw, WidthGrowsAfterCodes512And1024And2048AndClearsWhenFull)
{
    // Every data code but the last assigns the next table code, so data code n
    // of a table generation (counting from 1) assigns code 257 + n. The code
    // that assigns 512 is still 9 bits wide; the first 12-bit clear follows
    // the code that assigns 4095.
    std::vector<uint8_t> indices = RandomIndices(20000, 7);
    LzwTrace trace;
    ExpectRoundTrip(indices, &trace);

    ASSERT_GT(trace.codes.size(), 3840u);
    EXPECT_EQ(trace.codes[0], 256);
    EXPECT_EQ(trace.widths[0], 9);
    struct Expect {
        size_t codeNumber;  // position in the trace, the leading clear is 0
        int width;
    };
    const Expect schedule[] = {{1, 9},     {255, 9},   {256, 10},  {767, 10},
                               {768, 11},  {1791, 11}, {1792, 12}, {3838, 12}};
    for (const Expect& e : schedule)
        EXPECT_EQ(trace.widths[e.codeNumber], e.width) << "code number " << e.codeNumber;
    EXPECT_EQ(trace.codes[3839], 256) << "a full table is followed by a clear code";
    EXPECT_EQ(trace.widths[3839], 12);
    EXPECT_EQ(trace.widths[3840], 9) << "the next generation starts at 9 bits";
    EXPECT_EQ(trace.codes.back(), 257);
}

TEST(Lzw, RoundTripsThroughTheReferenceDecoder)
{
    std::vector<uint8_t> ramp;
    for (int pass = 0; pass < 40; pass++)
        for (int i = 0; i < 256; i++)
            ramp.push_back(static_cast<uint8_t>(i));
    std::vector<uint8_t> runs(70000, 3);  // one long run: codes grow to 12 bits, few clears
    runs[35000] = 4;
    ExpectRoundTrip(ramp);
    ExpectRoundTrip(runs);
    ExpectRoundTrip(RandomIndices(1, 1));
    ExpectRoundTrip(RandomIndices(100003, 2));
}

TEST(Lzw, TheEndCodeKeepsTheWidthOfTheLastDataCode)
{
    // This input ends with the table's next code at 2048, where a decoder
    // has widened to 12 bits but the end code goes out at 11, exactly filling
    // the last byte. The pixels are all there; found by fuzzing.
    std::vector<uint8_t> indices(4196);
    uint32_t x = 1;
    for (uint8_t& index : indices) {
        x = x * 1103515245u + 12345u;
        index = static_cast<uint8_t>((x >> 16) & 255);
    }
    LzwTrace trace;
    ExpectRoundTrip(indices, &trace);
    EXPECT_EQ(trace.codes.back(), 257);
    EXPECT_EQ(trace.widths.back(), trace.widths[trace.widths.size() - 2]);
}

// A frame with few colours is compressed at a smaller code size: clear is
// 2^size, the first codes are size + 1 bits wide, and the table still grows
// to 12 bits and clears. Indices fill the whole range of each size.
TEST(Lzw, EveryMinimumCodeSizeRoundTripsAndEveryPathAgrees)
{
    for (int32_t size = 2; size <= 8; size++) {
        const int32_t clear = 1 << size;
        std::vector<std::vector<uint8_t>> inputs;
        inputs.push_back({});
        inputs.push_back({static_cast<uint8_t>(clear - 1)});
        std::vector<uint8_t> noise = RandomIndices(30000, 20 + static_cast<uint32_t>(size));
        for (uint8_t& index : noise)
            index = static_cast<uint8_t>(index & (clear - 1));
        inputs.push_back(noise);  // fills the table several times
        std::vector<uint8_t> runs(9000, 0);
        for (size_t i = 0; i < runs.size(); i++)
            runs[i] = static_cast<uint8_t>((i / 97) % static_cast<size_t>(clear));
        inputs.push_back(runs);

        for (const std::vector<uint8_t>& indices : inputs) {
            const std::vector<uint8_t> stream = Compress(indices, -1, size);
            std::vector<uint8_t> decoded;
            LzwTrace trace;
            ASSERT_TRUE(ReferenceLzwDecode(stream.data(), stream.size(), indices.size(), &decoded, &trace, size))
                << "code size " << size << ", " << indices.size() << " indices";
            EXPECT_EQ(decoded, indices) << "code size " << size;
            EXPECT_EQ(trace.codes.front(), clear);
            EXPECT_EQ(trace.widths.front(), size + 1);
            EXPECT_EQ(trace.codes.back(), clear + 1);
            if (indices.size() == noise.size() && indices == noise) {
                const size_t clears = static_cast<size_t>(std::count(trace.codes.begin(), trace.codes.end(), clear));
                EXPECT_GE(clears, 2u) << "code size " << size << ": the table never filled";
                EXPECT_LE(stream.size(), static_cast<size_t>(LzwWorstCaseLength(30000)));
            }

            const int32_t capacity = LzwWorstCaseLength(static_cast<int32_t>(indices.size()));
            std::vector<uint8_t> scalar(static_cast<size_t>(capacity)), fast(static_cast<size_t>(capacity));
            int32_t scalarLength = 0, fastLength = 0;
            LzwCompressScalar(indices.data(), static_cast<int32_t>(indices.size()), scalar.data(), capacity,
                              &scalarLength, size);
            LzwCompressFast(indices.data(), static_cast<int32_t>(indices.size()), fast.data(), capacity,
                            &fastLength, size);
            scalar.resize(static_cast<size_t>(scalarLength));
            fast.resize(static_cast<size_t>(fastLength));
            EXPECT_EQ(scalar, stream) << "code size " << size;
            EXPECT_EQ(fast, stream) << "code size " << size;
        }
    }
}

TEST(Lzw, CodeSizesOutsideTwoToEightAreTakenAsEight)
{
    // A code size of 1 is no GIF code size (decoders need room for two
    // colours plus the clear and end codes): like 0, 9 or a negative one it
    // gives the 8-bit stream, on every path.
    const std::vector<uint8_t> indices = RandomIndices(3000, 7);
    const std::vector<uint8_t> eight = Compress(indices, -1, 8);
    const int32_t capacity = LzwWorstCaseLength(static_cast<int32_t>(indices.size()));
    for (int32_t size : {1, 0, 9, -3}) {
        EXPECT_EQ(Compress(indices, -1, size), eight) << "code size " << size;
        std::vector<uint8_t> scalar(static_cast<size_t>(capacity)), fast(static_cast<size_t>(capacity));
        int32_t scalarLength = 0, fastLength = 0;
        LzwCompressScalar(indices.data(), static_cast<int32_t>(indices.size()), scalar.data(), capacity,
                          &scalarLength, size);
        LzwCompressFast(indices.data(), static_cast<int32_t>(indices.size()), fast.data(), capacity, &fastLength,
                        size);
        scalar.resize(static_cast<size_t>(scalarLength));
        fast.resize(static_cast<size_t>(fastLength));
        EXPECT_EQ(scalar, eight) << "code size " << size;
        EXPECT_EQ(fast, eight) << "code size " << size;
    }
}

TEST(Lzw, CutsAtTheCapacityAndKeepsThePrefix)
{
    std::vector<uint8_t> indices = RandomIndices(5000, 3);
    std::vector<uint8_t> full = Compress(indices);
    for (int32_t capacity : {0, 1, 10, 3000}) {
        std::vector<uint8_t> cut = Compress(indices, capacity);
        ASSERT_EQ(cut.size(), static_cast<size_t>(capacity));
        EXPECT_TRUE(std::equal(cut.begin(), cut.end(), full.begin()));
    }
}

TEST(Lzw, NoiseExpandsBeyondPixelsPlus4096ButNotBeyondTheWorstCase)
{
    std::vector<uint8_t> indices = RandomIndices(20000, 11);
    std::vector<uint8_t> stream = Compress(indices);
    EXPECT_GT(stream.size(), 20000u + 4096u);
    EXPECT_LE(stream.size(), static_cast<size_t>(LzwWorstCaseLength(20000)));
    EXPECT_EQ(LzwWorstCaseLength(INT32_MAX), -1);
}

}  // namespace
