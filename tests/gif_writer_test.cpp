#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "encoder/output_file.h"
#include "image/output_geometry.h"
#include "tests/support/files.h"
#include "tests/support/recording_fixture.h"

namespace {

const std::vector<uint8_t> kEmptyGif320x240 = {
    'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0xF0, 0x00, 0x70, 0x00, 0x00,  // screen
    0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',  // loop for ever
    0x03, 0x01, 0x00, 0x00, 0x00,
    0x3B};

class GifWriterTest : public RecordingTest {
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        savedFileApi = outputFileApi;
    }
    void TearDown() override
    {
        outputFileApi = savedFileApi;
        RecordingTest::TearDown();
    }

    static void AppendStream(int32_t length, int32_t delayMs, uint8_t seed = 0)
    {
        std::vector<uint8_t> bytes(static_cast<size_t>(length > 0 ? length : 1));
        for (size_t i = 0; i < bytes.size(); i++)
            bytes[i] = static_cast<uint8_t>(i + seed);
        uint8_t palette[768];
        for (int i = 0; i < 768; i++)
            palette[i] = static_cast<uint8_t>(i ^ seed);
        AppendFrame(bytes.data(), length, palette, delayMs);
    }

    OutputFileApi savedFileApi;
};

TEST_F(GifWriterTest, AnEmptyStoreIsThe33ByteFile)
{
    outputGeometry = {320, 240};
    std::string path = ScratchPath("empty.gif");
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path), kEmptyGif320x240);
}

TEST_F(GifWriterTest, FrameSectionLayout)
{
    outputGeometry = {0x1234, 0x0102};
    AppendStream(3, 100, 5);
    std::string path = ScratchPath("one.gif");
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    std::vector<uint8_t> file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 32u + 788u + 3u + 1u + 1u);
    EXPECT_EQ(file[6], 0x34);
    EXPECT_EQ(file[7], 0x12);
    const uint8_t* frame = file.data() + 32;
    const std::vector<uint8_t> head = {0x21, 0xF9, 0x04, 0x04, 10, 0, 0x00, 0x00,  // control
                                       0x2C, 0, 0, 0, 0, 0x34, 0x12, 0x02, 0x01, 0x87};
    EXPECT_EQ(std::vector<uint8_t>(frame, frame + 18), head);
    EXPECT_EQ(std::memcmp(frame + 18, frameStore.records[0].palette, 768), 0);
    const std::vector<uint8_t> tail = {8, 3, 5, 6, 7, 0x00, 0x3B};
    EXPECT_EQ(std::vector<uint8_t>(frame + 786, frame + 786 + tail.size()), tail);
}

TEST_F(GifWriterTest, StreamsAreCutInto255ByteSubBlocks)
{
    const struct {
        int32_t length;
        std::vector<int> blocks;
    } table[] = {{0, {}}, {1, {1}}, {255, {255}}, {256, {255, 1}}, {510, {255, 255}},
                 {511, {255, 255, 1}}};
    for (const auto& row : table) {
        ClearFrames();
        AppendStream(row.length, 100);
        std::string path = ScratchPath("blocks.gif");
        ASSERT_EQ(WriteGif(path.c_str()), 1);
        std::vector<uint8_t> file = ReadWholeFile(path);
        ASSERT_EQ(file.size(), 33u + 788u + row.length + row.blocks.size()) << row.length;
        size_t at = 32 + 787;
        for (int block : row.blocks) {
            ASSERT_EQ(file[at], block) << "length " << row.length;
            at += 1 + static_cast<size_t>(block);
        }
        EXPECT_EQ(file[at], 0x00);
        EXPECT_EQ(file[at + 1], 0x3B);
    }
}

TEST_F(GifWriterTest, WritingTwiceGivesIdenticalFilesAndKeepsTheStore)
{
    for (int i = 0; i < 3; i++)
        AppendStream(300 + i, 50, static_cast<uint8_t>(i));
    std::string a = ScratchPath("twice-a.gif"), b = ScratchPath("twice-b.gif");
    ASSERT_EQ(WriteGif(a.c_str()), 1);
    ASSERT_EQ(WriteGif(b.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(a), ReadWholeFile(b));
    EXPECT_EQ(frameStore.count, 3);
}

std::vector<int> SectionDelays(const std::vector<uint8_t>& file, int32_t length)
{
    std::vector<int> delays;
    size_t sectionSize = 788 + static_cast<size_t>(length) + (static_cast<size_t>(length) + 254) / 255;
    for (size_t at = 32; at + sectionSize <= file.size(); at += sectionSize)
        delays.push_back(file[at + 4] | (file[at + 5] << 8));
    return delays;
}

TEST_F(GifWriterTest, DelaysBeyond16BitsAreSharedOverRepeatedSections)
{
    const struct {
        int32_t delay;
        std::vector<int> sections;
    } table[] = {{65535, {65535}},
                 {65536, {32768, 32768}},
                 {131070, {65535, 65535}},
                 {131071, {43691, 43690, 43690}},
                 {200000, {50000, 50000, 50000, 50000}}};
    for (const auto& row : table) {
        ClearFrames();
        AppendStream(20, 100);
        frameStore.records[0].delay = row.delay;
        std::string path = ScratchPath("long.gif");
        ASSERT_EQ(WriteGif(path.c_str()), 1);
        std::vector<uint8_t> file = ReadWholeFile(path);
        std::vector<int> delays = SectionDelays(file, 20);
        int total = 0;
        for (int d : delays) {
            EXPECT_LE(d, 65535);
            total += d;
        }
        EXPECT_EQ(total, row.delay);
        EXPECT_EQ(delays, row.sections) << row.delay;
        EXPECT_EQ(file.back(), 0x3B);
    }
}

// ---- failures: nothing half-written at the path, the earlier file intact ----

int writesBeforeFailure = 0;
size_t FailingWrite(const void* bytes, size_t size, FILE* file)
{
    if (writesBeforeFailure-- <= 0)
        return size / 2;  // a short write, as on a full disk
    return std::fwrite(bytes, 1, size, file);
}
int FailingCommit(FILE*)
{
    return 0;
}
int FailingReplace(const char*, const char*)
{
    return 0;
}

TEST_F(GifWriterTest, AFailedWriteLeavesTheEarlierFileAndNoTemporary)
{
    for (int i = 0; i < 2; i++)
        AppendStream(600, 100, static_cast<uint8_t>(i));
    std::string path = ScratchPath("keep.gif");
    const std::vector<uint8_t> earlier = {'o', 'l', 'd'};

    // The writer makes a handful of writes per section; fail each in turn.
    for (int failAfter = 0; failAfter < 12; failAfter++) {
        WriteWholeFile(path, earlier);
        outputFileApi.write = FailingWrite;
        writesBeforeFailure = failAfter;
        EXPECT_EQ(WriteGif(path.c_str()), 0) << "failing write " << failAfter;
        outputFileApi = savedFileApi;
        EXPECT_EQ(ReadWholeFile(path), earlier);
        EXPECT_FALSE(FileExists(path + ".partial"));
    }

    for (auto breakApi : {+[](OutputFileApi& api) { api.commit = FailingCommit; },
                          +[](OutputFileApi& api) { api.replace = FailingReplace; }}) {
        breakApi(outputFileApi);
        EXPECT_EQ(WriteGif(path.c_str()), 0);
        outputFileApi = savedFileApi;
        EXPECT_EQ(ReadWholeFile(path), earlier);
        EXPECT_FALSE(FileExists(path + ".partial"));
    }

    ASSERT_EQ(WriteGif(path.c_str()), 1);
    EXPECT_GT(ReadWholeFile(path).size(), 1200u);
    EXPECT_FALSE(FileExists(path + ".partial"));
}

TEST_F(GifWriterTest, UnwritablePathsFailCleanly)
{
    AppendStream(10, 100);
    std::string missingFolder = ScratchPath("no-such-folder") + "/x.gif";
    EXPECT_EQ(WriteGif(missingFolder.c_str()), 0);
    EXPECT_FALSE(FileExists(missingFolder));

    // A folder where the file should go: the move fails, nothing is left over.
    std::string folder = ScratchPath("a-folder");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(WriteGif(folder.c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(FileExists(folder + ".partial"));
}

}  // namespace
