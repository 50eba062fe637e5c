// Every faster encoder path against the scalar reference: the same palette,
// colour cube, indices, error rows and code stream, stage by stage and for
// whole frames, on frames of many shapes and kinds. Each path the processor
// supports is forced in turn; a path it lacks is reported, not passed.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "encoder/colour_map.h"
#include "encoder/encoder_paths.h"
#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/lzw.h"
#include "encoder/quantizer.h"
#include "tests/support/files.h"
#include "tests/support/same_bytes.h"
#include "tests/support/synthetic_frames.h"

namespace {

const EncoderPath kFasterPaths[] = {EncoderPath::kSse41, EncoderPath::kAvx2, EncoderPath::kAvx512};

struct FrameCase {
    const char* name;
    int32_t width, height;
    std::function<std::vector<uint8_t>(int32_t, int32_t)> make;
};

std::vector<uint8_t> Screen(int32_t w, int32_t h) { return ScreenLikeFrame(w, h, 3); }
std::vector<uint8_t> Noise(int32_t w, int32_t h) { return NoiseFrame(w, h, 11); }
std::vector<uint8_t> Flat(int32_t w, int32_t h) { return FlatFrame(w, h, 50, 100, 200); }
std::vector<uint8_t> Black(int32_t w, int32_t h) { return FlatFrame(w, h, 0, 0, 0); }
std::vector<uint8_t> Photo(int32_t w, int32_t h) { return PhotoLikeFrame(w, h, 4); }

// A crop of a real screenshot of the settings window (anti-aliased text,
// thin rules, a switch), stored as B, G, R bytes; empty when it cannot be
// read, which the size check of the test then reports.
std::vector<uint8_t> Screenshot(int32_t w, int32_t h)
{
    const std::vector<uint8_t> bgr = ReadWholeFile(PIXLO_FIXTURES "/screenshot_203x158.bgr");
    if (bgr.size() != static_cast<size_t>(w) * h * 3)
        return {};
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4, 0xFF);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; i++)
        std::memcpy(&pixels[4 * i], &bgr[3 * i], 3);
    return pixels;
}

// Shapes that reach every branch of the sampling walk and of the windows:
// one sample only (below 20 pixels), one cycle per sample (below 1000),
// the 491-pixel step (499 pixels), the 487-pixel step (499 x 491), odd
// widths that leave partial lanes, and a full-HD screen. The diffusion runs
// rows in bands of four, each row two pixels behind the one above: heights
// leave every remainder, and widths up to 7 are shorter than the stagger.
const FrameCase kFrames[] = {
    {"1x1 noise", 1, 1, Noise},
    {"1x1 white", 1, 1, [](int32_t w, int32_t h) { return FlatFrame(w, h, 255, 255, 255); }},
    {"3x5 noise", 3, 5, Noise},
    {"1x300 gradient", 1, 300, GradientFrame},
    {"499x1 noise", 499, 1, Noise},
    {"499x1 gradient", 499, 1, GradientFrame},
    {"2x6 noise", 2, 6, Noise},
    {"7x10 noise", 7, 10, Noise},
    {"37x23 screen", 37, 23, Screen},
    {"203x158 screenshot", 203, 158, Screenshot},
    {"641x3 screen", 641, 3, Screen},
    {"333x201 screen", 333, 201, Screen},
    {"333x201 photo", 333, 201, Photo},
    {"360x200 flat", 360, 200, Flat},
    {"360x200 black", 360, 200, Black},
    {"255x255 gradient", 255, 255, GradientFrame},
    {"160x160 noise", 160, 160, Noise},
    {"499x491 photo", 499, 491, Photo},
    {"499x491 screen", 499, 491, Screen},
    {"1920x1080 screen", 1920, 1080, Screen},
    {"1920x1080 photo", 1920, 1080, Photo},
};

// What one path makes of a frame, stage by stage. Each stage after the
// learning gets the scalar path's output of the stage before, so a
// difference points at the stage that made it.
struct Stages {
    std::vector<uint8_t> palette, cube, indices, stream;
    std::vector<int32_t> rows;
};

Stages RunStages(const std::vector<uint8_t>& pixels, int32_t width, int32_t height, const Stages* inputs)
{
    const int32_t count = width * height;
    Stages s;
    s.palette.assign(768, 0xEE);
    QuantizerLearn(pixels.data(), count, s.palette.data());
    const std::vector<uint8_t>& palette = inputs ? inputs->palette : s.palette;

    s.cube.assign(kColourCubeCells, 0xEE);
    BuildColourCube(palette.data(), s.cube.data());
    const std::vector<uint8_t>& cube = inputs ? inputs->cube : s.cube;

    s.indices.assign(static_cast<size_t>(count), 0xEE);
    s.rows.assign(2 * (static_cast<size_t>(width) + 2) * 3, 12345);
    DiffuseToIndices(pixels.data(), width, height, palette.data(), cube.data(), s.rows.data(),
                     s.indices.data());
    const std::vector<uint8_t>& indices = inputs ? inputs->indices : s.indices;

    const int32_t capacity = LzwWorstCaseLength(count);
    s.stream.assign(static_cast<size_t>(capacity), 0xEE);
    int32_t length = -1;
    EXPECT_EQ(LzwCompress(indices.data(), count, s.stream.data(), capacity, &length), length);
    s.stream.resize(static_cast<size_t>(length));
    return s;
}

struct Encoded {
    std::vector<uint8_t> palette, stream;
    int32_t delay = 0;
};

Encoded EncodeOnce(const std::vector<uint8_t>& pixels, int32_t width, int32_t height)
{
    ClearFrames();
    EncodeFrame(pixels.data(), width, height, 40);
    Encoded e;
    if (frameStore.count == 1) {
        const FrameRecord& r = frameStore.records[0];
        e.palette.assign(r.palette, r.palette + 768);
        e.stream.assign(r.data, r.data + r.length);
        e.delay = r.delay;
    }
    ClearFrames();
    return e;
}

::testing::AssertionResult SameInts(const std::vector<int32_t>& actual, const std::vector<int32_t>& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << actual.size() << " values, expected " << expected.size();
    for (size_t i = 0; i < actual.size(); i++)
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure() << "value " << i << " is " << actual[i] << ", expected "
                                                 << expected[i];
    return ::testing::AssertionSuccess();
}

class EncoderPathsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearFrames(); }
    void TearDown() override
    {
        SetEncoderPath(BestEncoderPath());
        ClearFrames();
    }

    // Runs check once per faster path the processor supports, with that
    // path active; a test that could force no path at all says so.
    void ForEachFasterPath(const std::function<void(EncoderPath)>& check)
    {
        int forced = 0;
        for (EncoderPath path : kFasterPaths) {
            if (!SetEncoderPath(path)) {
                std::printf("[ skipped  ] %s: not supported by this processor\n", EncoderPathName(path));
                continue;
            }
            SCOPED_TRACE(EncoderPathName(path));
            check(path);
            forced++;
        }
        if (forced == 0)
            GTEST_SKIP() << "this processor has none of the faster paths";
    }
};

TEST_F(EncoderPathsTest, EveryStageGivesTheScalarBytes)
{
    for (const FrameCase& frame : kFrames) {
        SCOPED_TRACE(frame.name);
        const std::vector<uint8_t> pixels = frame.make(frame.width, frame.height);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(frame.width) * frame.height * 4) << "frame not made";
        ASSERT_TRUE(SetEncoderPath(EncoderPath::kScalar));
        const Stages scalar = RunStages(pixels, frame.width, frame.height, nullptr);
        ForEachFasterPath([&](EncoderPath) {
            const Stages fast = RunStages(pixels, frame.width, frame.height, &scalar);
            EXPECT_TRUE(SameBytes(fast.palette, scalar.palette)) << "palette";
            EXPECT_TRUE(SameBytes(fast.cube, scalar.cube)) << "colour cube";
            EXPECT_TRUE(SameBytes(fast.indices, scalar.indices)) << "indices";
            EXPECT_TRUE(SameInts(fast.rows, scalar.rows)) << "error rows";
            EXPECT_TRUE(SameBytes(fast.stream, scalar.stream)) << "code stream";
        });
    }
}

TEST_F(EncoderPathsTest, WholeFramesStoreTheScalarRecord)
{
    for (const FrameCase& frame : kFrames) {
        SCOPED_TRACE(frame.name);
        const std::vector<uint8_t> pixels = frame.make(frame.width, frame.height);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(frame.width) * frame.height * 4) << "frame not made";
        ASSERT_TRUE(SetEncoderPath(EncoderPath::kScalar));
        const Encoded scalar = EncodeOnce(pixels, frame.width, frame.height);
        ASSERT_FALSE(scalar.stream.empty());
        ForEachFasterPath([&](EncoderPath) {
            const Encoded fast = EncodeOnce(pixels, frame.width, frame.height);
            EXPECT_TRUE(SameBytes(fast.palette, scalar.palette)) << "palette";
            EXPECT_TRUE(SameBytes(fast.stream, scalar.stream)) << "stream";
            EXPECT_EQ(fast.delay, scalar.delay);
        });
    }
}

// Palettes that put the cube's ties and extremes to work: every entry equal
// (entry 0 wins every cell), two entries equidistant from many cells, and
// entries at the corners of the colour space.
TEST_F(EncoderPathsTest, ColourCubeTiesAndExtremes)
{
    std::vector<std::vector<uint8_t>> palettes;
    palettes.emplace_back(768, 128);
    std::vector<uint8_t> ties(768, 255);
    ties[3 * 7 + 0] = 8;  // R 8 and R 9 at entries 7 and 3: grid 0 and 17
    ties[3 * 3 + 0] = 9;  // lie 8 from both in red
    palettes.push_back(ties);
    std::vector<uint8_t> corners(768);
    for (int k = 0; k < 256; k++)
        for (int c = 0; c < 3; c++)
            corners[3 * k + c] = static_cast<uint8_t>(((k >> c) & 1) ? 255 : 0);
    palettes.push_back(corners);
    palettes.push_back(NoiseFrame(16, 12, 2));  // 768 random bytes
    palettes.back().resize(768);

    for (size_t p = 0; p < palettes.size(); p++) {
        SCOPED_TRACE("palette " + std::to_string(p));
        std::vector<uint8_t> scalar(kColourCubeCells), fast(kColourCubeCells);
        BuildColourCubeScalar(palettes[p].data(), scalar.data());
        ForEachFasterPath([&](EncoderPath) {
            BuildColourCube(palettes[p].data(), fast.data());
            EXPECT_TRUE(SameBytes(fast, scalar));
        });
    }
}

// Index runs that stress the dictionary: long runs of index 0 (key 0 is a
// valid string, not an empty slot), all 256 values in turn across the width
// changes, noise that fills the table many times, and cut streams.
TEST_F(EncoderPathsTest, LzwStreamsOfAwkwardIndexRuns)
{
    std::vector<std::vector<uint8_t>> inputs;
    inputs.emplace_back();
    inputs.emplace_back(1, 0);
    inputs.emplace_back(100000, 0);
    inputs.emplace_back(70000, 255);
    std::vector<uint8_t> ramp;
    for (int i = 0; i < 40000; i++)
        ramp.push_back(static_cast<uint8_t>(i));
    inputs.push_back(ramp);
    inputs.push_back(NoiseFrame(200, 100, 9));  // 80000 random indices
    std::vector<uint8_t> fewColours = NoiseFrame(100, 100, 5);
    for (uint8_t& v : fewColours)
        v &= 3;
    inputs.push_back(fewColours);

    for (size_t n = 0; n < inputs.size(); n++) {
        const std::vector<uint8_t>& in = inputs[n];
        const int32_t count = static_cast<int32_t>(in.size());
        for (int32_t capacity : {LzwWorstCaseLength(count), 10, 0}) {
            SCOPED_TRACE("input " + std::to_string(n) + ", capacity " + std::to_string(capacity));
            std::vector<uint8_t> scalar(static_cast<size_t>(capacity) + 8, 0xA5);
            std::vector<uint8_t> fast(scalar.size(), 0xA5);
            int32_t scalarLength = -1, fastLength = -1;
            LzwCompressScalar(in.data(), count, scalar.data(), capacity, &scalarLength);
            ForEachFasterPath([&](EncoderPath) {
                std::fill(fast.begin(), fast.end(), 0xA5);
                EXPECT_EQ(LzwCompress(in.data(), count, fast.data(), capacity, &fastLength), scalarLength);
                EXPECT_EQ(fastLength, scalarLength);
                EXPECT_TRUE(SameBytes(fast, scalar)) << "stream and the guard bytes after it";
            });
        }
    }
}

TEST(EncoderPaths, TheBestSupportedPathIsActiveAndUnknownPathsAreRefused)
{
    EXPECT_EQ(ActiveEncoderPath(), BestEncoderPath());
    EXPECT_TRUE(EncoderPathSupported(EncoderPath::kScalar));
    EXPECT_TRUE(EncoderPathSupported(BestEncoderPath()));
    EXPECT_EQ(SetEncoderPath(static_cast<EncoderPath>(kEncoderPathCount)), 0);
    EXPECT_EQ(ActiveEncoderPath(), BestEncoderPath()) << "a refused path changes nothing";
    std::printf("[   info   ] processor's best encoder path: %s\n", EncoderPathName(BestEncoderPath()));
}

}  // namespace
