#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <set>
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

TEST_F(GifWriterTest, EachDescriptorStatesItsFramesRectangle)
{
    outputGeometry = {0x1234, 0x0102};
    AppendStream(3, 100, 5);
    uint8_t palette[768] = {};
    const uint8_t stream[2] = {9, 9};
    AppendFrameArea(stream, 2, palette, 100, 0x0201, 0x00FE, 0x0304, 1);
    std::string path = ScratchPath("areas.gif");
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    std::vector<uint8_t> file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 32u + 2 * (788u + 1u) + 3u + 2u + 1u);
    const uint8_t* first = file.data() + 32 + 8;
    const uint8_t* second = file.data() + 32 + 788 + 3 + 1 + 8;
    EXPECT_EQ(std::vector<uint8_t>(first, first + 10),
              (std::vector<uint8_t>{0x2C, 0, 0, 0, 0, 0x34, 0x12, 0x02, 0x01, 0x87}));
    EXPECT_EQ(std::vector<uint8_t>(second - 8, second + 10),
              (std::vector<uint8_t>{0x21, 0xF9, 0x04, 0x04, 10, 0, 0x00, 0x00,  // still left in place
                                    0x2C, 0x01, 0x02, 0xFE, 0x00, 0x04, 0x03, 0x01, 0x00, 0x87}));
}

TEST_F(GifWriterTest, AnAreasTableIsWrittenAtItsOwnSizeWithItsCodeSize)
{
    const struct {
        int32_t tableSize, minCodeSize;
        uint8_t packed;
    } table[] = {{2, 2, 0x80}, {4, 2, 0x81}, {8, 3, 0x82}, {16, 4, 0x83}, {128, 7, 0x86}, {256, 8, 0x87}};
    for (const auto& row : table) {
        ClearFrames();
        outputGeometry = {30, 20};
        uint8_t palette[768];
        for (int i = 0; i < 768; i++)
            palette[i] = static_cast<uint8_t>(i + 1);
        const uint8_t stream[3] = {7, 8, 9};
        AppendFrameArea(stream, 3, palette, 100, 2, 3, 4, 5, row.tableSize, row.minCodeSize);
        std::string path = ScratchPath("table.gif");
        ASSERT_EQ(WriteGif(path.c_str()), 1);
        std::vector<uint8_t> file = ReadWholeFile(path);
        const size_t tableBytes = 3 * static_cast<size_t>(row.tableSize);
        ASSERT_EQ(file.size(), 32u + 18u + tableBytes + 1u + 1u + 3u + 1u + 1u) << row.tableSize;
        const uint8_t* descriptor = file.data() + 32 + 8;
        EXPECT_EQ(descriptor[9], row.packed) << row.tableSize;
        EXPECT_TRUE(std::equal(palette, palette + tableBytes, descriptor + 10)) << row.tableSize;
        const uint8_t* data = descriptor + 10 + tableBytes;
        EXPECT_EQ(std::vector<uint8_t>(data, data + 7),
                  (std::vector<uint8_t>{static_cast<uint8_t>(row.minCodeSize), 3, 7, 8, 9, 0, 0x3B}))
            << row.tableSize;
    }
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

const std::vector<uint8_t> kEarlier = {'o', 'l', 'd'};

// A folder of the test's own, empty: after any write, failed or not, it must
// hold the target and nothing else (no temporary file left behind).
std::string FreshFolder(const std::string& name)
{
    std::string folder = ScratchPath(name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Names as bytes (UTF-8 on Windows, where the narrow form would be cut to
// Latin-1), sorted.
std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

struct WriteSeen {
    size_t size;
    uint8_t first;
};
std::vector<WriteSeen> writesSeen;
int failingWrite = -1;  // the index of the write that comes up short; -1: none
size_t RecordingWrite(const void* bytes, size_t size, FILE* file)
{
    const int index = static_cast<int>(writesSeen.size());
    writesSeen.push_back({size, size ? *static_cast<const uint8_t*>(bytes) : uint8_t{0}});
    if (index == failingWrite)
        return size / 2;  // a short write, as on a full disk
    return std::fwrite(bytes, 1, size, file);
}
int FailingCommit(FILE*)
{
    return 0;
}
int ClosingButFailing(FILE* file)
{
    std::fclose(file);
    return 0;
}
int FailingReplace(const char*, const char*)
{
    return 0;
}

TEST_F(GifWriterTest, EveryFailingWriteLeavesTheEarlierFileAndNoTemporary)
{
    // Frames of 600 bytes (three sub-blocks each); the second one's delay
    // needs two sections.
    AppendStream(600, 100, 0);
    AppendStream(600, 100, 1);
    frameStore.records[1].delay = 70000;
    const std::string folder = FreshFolder("keep");
    const std::string path = folder + "/keep.gif";

    // A whole run first, to learn how many writes make the file.
    outputFileApi.write = RecordingWrite;
    writesSeen.clear();
    failingWrite = -1;
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    const std::vector<uint8_t> whole = ReadWholeFile(path);
    const size_t writes = writesSeen.size();
    ASSERT_GT(writes, 10u);
    ASSERT_TRUE(writesSeen.back().size == 1 && writesSeen.back().first == 0x3B) << "the last write is the trailer";

    for (size_t fail = 0; fail < writes; fail++) {
        WriteWholeFile(path, kEarlier);
        writesSeen.clear();
        failingWrite = static_cast<int>(fail);
        EXPECT_EQ(WriteGif(path.c_str()), 0) << "write " << fail << " of " << writes << " failing";
        EXPECT_EQ(ReadWholeFile(path), kEarlier) << "write " << fail << " failing";
        EXPECT_EQ(FolderEntries(folder), Names{"keep.gif"}) << "write " << fail << " failing";
    }
    failingWrite = -1;
    outputFileApi = savedFileApi;

    const struct {
        const char* what;
        void (*breakApi)(OutputFileApi&);
    } steps[] = {
        {"commit", [](OutputFileApi& api) { api.commit = FailingCommit; }},
        {"close", [](OutputFileApi& api) { api.close = ClosingButFailing; }},
        {"replace", [](OutputFileApi& api) { api.replace = FailingReplace; }},
    };
    for (const auto& step : steps) {
        step.breakApi(outputFileApi);
        EXPECT_EQ(WriteGif(path.c_str()), 0) << step.what;
        outputFileApi = savedFileApi;
        EXPECT_EQ(ReadWholeFile(path), kEarlier) << step.what;
        EXPECT_EQ(FolderEntries(folder), Names{"keep.gif"}) << step.what;
    }

    ASSERT_EQ(WriteGif(path.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path), whole);
    EXPECT_EQ(FolderEntries(folder), Names{"keep.gif"});
}

TEST_F(GifWriterTest, UnwritablePathsFailCleanly)
{
    AppendStream(10, 100);
    const std::string folder = FreshFolder("unwritable");
    EXPECT_EQ(WriteGif((folder + "/no-such-folder/x.gif").c_str()), 0);
    EXPECT_EQ(WriteGif((folder + "/").c_str()), 0) << "a folder's path, no file name";

    // A folder where the file should go: the move fails, nothing is left over.
    std::filesystem::create_directories(folder + "/a-folder");
    EXPECT_EQ(WriteGif((folder + "/a-folder").c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/a-folder"));
    EXPECT_EQ(FolderEntries(folder), Names{"a-folder"});
}

TEST_F(GifWriterTest, AReadOnlyTargetIsLeftAsItIs)
{
    namespace fs = std::filesystem;
    AppendStream(10, 100);
    const std::string folder = FreshFolder("read-only");
    const std::string path = folder + "/ro.gif";
    WriteWholeFile(path, kEarlier);
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(path, writable, fs::perm_options::remove);
    EXPECT_EQ(WriteGif(path.c_str()), 0);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(ReadWholeFile(path), kEarlier);
    EXPECT_EQ(FolderEntries(folder), Names{"ro.gif"});

    EXPECT_EQ(WriteGif(path.c_str()), 1) << "writable again";
    EXPECT_NE(ReadWholeFile(path), kEarlier);
}

// The check before a recording must refuse exactly what the write would, and
// leave the folder as it found it.
TEST_F(GifWriterTest, CanWriteGifAgreesWithWriteGifAndTouchesNothing)
{
    namespace fs = std::filesystem;
    AppendStream(10, 100);
    const std::string folder = FreshFolder("can-write");
    std::filesystem::create_directories(folder + "/a-folder");
    WriteWholeFile(folder + "/old.gif", kEarlier);
    WriteWholeFile(folder + "/ro.gif", kEarlier);
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(folder + "/ro.gif", writable, fs::perm_options::remove);
    const struct {
        const char* name;
        int writable;
    } table[] = {
        {"new.gif", 1}, {"old.gif", 1}, {"no-such-folder/x.gif", 0}, {"a-folder", 0}, {"ro.gif", 0}, {"", 0},
    };
    const Names before = FolderEntries(folder);
    for (const auto& row : table) {
        EXPECT_EQ(CanWriteGif((folder + "/" + row.name).c_str()), row.writable) << row.name;
        EXPECT_EQ(FolderEntries(folder), before) << row.name;
        EXPECT_EQ(ReadWholeFile(folder + "/old.gif"), kEarlier) << row.name;
    }
    for (const auto& row : table)
        EXPECT_EQ(WriteGif((folder + "/" + row.name).c_str()), row.writable) << row.name << ": the write disagrees";
    fs::permissions(folder + "/ro.gif", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(GifWriterTest, SizesTheFileCannotStateAreRefused)
{
    AppendStream(3, 100);
    const std::string folder = FreshFolder("sizes");
    const std::string path = folder + "/size.gif";
    const struct {
        int32_t width, height;
        int result;
    } table[] = {{65535, 1, 1},     {1, 65535, 1},     {65535, 65535, 1}, {65536, 2, 0},
                 {2, 70000, 0},     {65536, 65536, 0}, {-1, 10, 0},       {10, INT32_MIN, 0}};
    for (const auto& row : table) {
        WriteWholeFile(path, kEarlier);
        outputGeometry = {row.width, row.height};
        frameStore.records[0].width = row.width;  // a whole frame of a recording at this size
        frameStore.records[0].height = row.height;
        EXPECT_EQ(WriteGif(path.c_str()), row.result) << row.width << " x " << row.height;
        std::vector<uint8_t> file = ReadWholeFile(path);
        if (row.result) {
            ASSERT_GT(file.size(), 50u);
            const int screen[2] = {file[6] | file[7] << 8, file[8] | file[9] << 8};
            const int image[2] = {file[32 + 13] | file[32 + 14] << 8, file[32 + 15] | file[32 + 16] << 8};
            EXPECT_TRUE(screen[0] == row.width && screen[1] == row.height && image[0] == row.width &&
                        image[1] == row.height)
                << row.width << " x " << row.height;
        } else {
            EXPECT_EQ(file, kEarlier) << row.width << " x " << row.height;
        }
        EXPECT_EQ(FolderEntries(folder), Names{"size.gif"});
    }
}

// ---- the temporary file: beside the target, new, unique, short ----

std::vector<std::string> namesTried;
int collisionsToReport = 0;
FILE* RecordingCreate(const char* path, int* exists)
{
    namesTried.push_back(path);
    if (collisionsToReport > 0) {
        collisionsToReport--;
        *exists = 1;
        return nullptr;
    }
    return CreateNewFile(path, exists);
}

const std::vector<uint8_t> kTheirs = {'m', 'i', 'n', 'e'};
FILE* CreateAfterAnotherProgramTookTheName(const char* path, int* exists)
{
    if (namesTried.empty())
        WriteWholeFile(path, kTheirs);
    namesTried.push_back(path);
    return CreateNewFile(path, exists);
}

TEST_F(GifWriterTest, PathsUpToMaxPathCanBeWritten)
{
    // A Save dialog returns up to 259 bytes (MAX_PATH with the NUL); a
    // temporary name longer than the target's would not open on Windows.
    outputGeometry = {320, 240};
    outputFileApi.createNew = RecordingCreate;
    collisionsToReport = 0;
    const std::string base = FreshFolder("long");
    for (size_t total : {252u, 255u, 259u}) {
        for (size_t nameLength : {1u, 2u, 5u, 9u, 12u, 120u}) {
            const std::string name = nameLength < 5 ? std::string(nameLength, 'n')
                                                    : std::string(nameLength - 4, 'n') + ".gif";
            ASSERT_LT(base.size() + 2 + nameLength, total) << "the scratch folder's path is too long";
            const std::string folder = base + "/" + std::string(total - base.size() - 2 - nameLength, 'd');
            const std::string path = folder + "/" + name;
            ASSERT_EQ(path.size(), total);
            std::filesystem::create_directories(folder);
            namesTried.clear();

            ASSERT_EQ(WriteGif(path.c_str()), 1) << total << " bytes, name of " << nameLength;
            EXPECT_EQ(ReadWholeFile(path), kEmptyGif320x240);
            EXPECT_EQ(FolderEntries(folder), Names{name});
            ASSERT_FALSE(namesTried.empty());
            for (const std::string& tried : namesTried) {
                EXPECT_EQ(tried.substr(0, folder.size() + 1), folder + "/") << "beside the target";
                const std::string triedName = tried.substr(folder.size() + 1);
                EXPECT_LE(triedName.size(), nameLength) << triedName;
                EXPECT_NE(triedName, name);
            }
            std::filesystem::remove_all(folder);
        }
    }
}

TEST_F(GifWriterTest, TakenTemporaryNamesAreSkipped)
{
    outputGeometry = {320, 240};
    const std::string folder = FreshFolder("taken");
    const std::string path = folder + "/n";
    outputFileApi.createNew = RecordingCreate;

    namesTried.clear();
    collisionsToReport = 5;
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    ASSERT_EQ(namesTried.size(), 6u);
    EXPECT_EQ(std::set<std::string>(namesTried.begin(), namesTried.end()).size(), 6u) << "a new name each time";
    EXPECT_EQ(FolderEntries(folder), Names{"n"});

    // A one-byte target leaves 31 other one-byte names: every one is tried,
    // never the target's own, and when all are taken the write fails cleanly.
    WriteWholeFile(path, kEarlier);
    namesTried.clear();
    collisionsToReport = 1000;
    EXPECT_EQ(WriteGif(path.c_str()), 0);
    std::set<std::string> distinct(namesTried.begin(), namesTried.end());
    EXPECT_EQ(distinct.size(), 31u);
    EXPECT_EQ(distinct.count(path), 0u);
    for (const std::string& tried : distinct)
        EXPECT_EQ(tried.size(), path.size()) << tried;
    EXPECT_EQ(ReadWholeFile(path), kEarlier);
    EXPECT_EQ(FolderEntries(folder), Names{"n"});
    collisionsToReport = 0;
}

TEST_F(GifWriterTest, FilesAlreadyBesideTheTargetAreNeverOpened)
{
    // The user's own "<name>.partial", and a file that another program puts
    // at the very name the writer is about to take: both keep their bytes.
    AppendStream(10, 100);
    const std::string folder = FreshFolder("theirs");
    const std::string path = folder + "/clip.gif";
    WriteWholeFile(path + ".partial", kTheirs);
    outputFileApi.createNew = CreateAfterAnotherProgramTookTheName;
    namesTried.clear();

    ASSERT_EQ(WriteGif(path.c_str()), 1);
    ASSERT_EQ(namesTried.size(), 2u);
    EXPECT_EQ(ReadWholeFile(namesTried[0]), kTheirs);
    EXPECT_EQ(ReadWholeFile(path + ".partial"), kTheirs);
    EXPECT_EQ(FolderEntries(folder).size(), 3u);
}

// Another run of the program writing the same path starts and ends while
// this write is under way.
std::string otherWriterPath;
int otherWriterResult = -1;
int writesBeforeOtherWriter = 0;
size_t WriteWithAnotherWriterInBetween(const void* bytes, size_t size, FILE* file)
{
    if (writesBeforeOtherWriter-- == 0)
        otherWriterResult = WriteGif(otherWriterPath.c_str());
    return std::fwrite(bytes, 1, size, file);
}

TEST_F(GifWriterTest, TwoWritersOfOnePathBothSucceed)
{
    for (int i = 0; i < 3; i++)
        AppendStream(300 + i, 50, static_cast<uint8_t>(i));
    const std::string folder = FreshFolder("two-writers");
    const std::string path = folder + "/same.gif";
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    const std::vector<uint8_t> whole = ReadWholeFile(path);

    otherWriterPath = path;
    otherWriterResult = -1;
    writesBeforeOtherWriter = 3;
    outputFileApi.write = WriteWithAnotherWriterInBetween;
    EXPECT_EQ(WriteGif(path.c_str()), 1);
    EXPECT_EQ(otherWriterResult, 1);
    EXPECT_EQ(ReadWholeFile(path), whole);
    EXPECT_EQ(FolderEntries(folder), Names{"same.gif"});
}

TEST_F(GifWriterTest, ANameEndingInABackslashByteIsOneName)
{
    // "\x89\x5C" is one character in code page 936 (U+5861) whose second
    // byte is a backslash. Split byte by byte, the temporary file would be
    // sought in a folder "\x89" that does not exist, or the name would be lost.
    outputGeometry = {320, 240};
    const std::string folder = FreshFolder("gbk");
    const char* names[] = {"\x89\x5C.gif", "\x89\x5C", "a\x89\x5C"};
    for (const char* name : names) {
        const std::string path = folder + "/" + name;
        ASSERT_EQ(WriteGif(path.c_str()), 1) << name;
        EXPECT_EQ(ReadWholeFile(path), kEmptyGif320x240) << name;
    }
    EXPECT_EQ(FolderEntries(folder).size(), 3u);
}

}  // namespace
