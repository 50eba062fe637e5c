#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "encoder/frame_store.h"
#include "image/output_geometry.h"
#include "image/watermark.h"
#include "recorder/batch_modes.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "tests/support/fake_capture.h"
#include "tests/support/files.h"
#include "tests/support/recording_fixture.h"

namespace {

struct BatchRun {
    int selected;
    int exitCode;
    std::string output;
};

BatchRun RunCommand(const std::string& commandLine)
{
    BatchRun run = {0, -1, ""};
    ::testing::internal::CaptureStdout();
    run.selected = RunBatchMode(commandLine.c_str(), &run.exitCode);
    run.output = ::testing::internal::GetCapturedStdout();
    return run;
}

BatchRun RunFields(const std::vector<std::string>& fields)
{
    std::vector<const char*> pointers;
    for (const std::string& field : fields)
        pointers.push_back(field.c_str());
    BatchRun run = {0, -1, ""};
    ::testing::internal::CaptureStdout();
    run.selected = RunBatchModeFields(static_cast<int32_t>(pointers.size()), pointers.data(), &run.exitCode);
    run.output = ::testing::internal::GetCapturedStdout();
    return run;
}

// The replacements a run reported, each formatted, joined by "; ".
std::string reported;

void Collect(const BatchReplacement& replacement)
{
    char text[kReplacementTextSize];
    FormatBatchReplacement(text, sizeof text, replacement);
    reported += (reported.empty() ? "" : "; ") + std::string(text);
}

class BatchModeTest : public RecordingTest {
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        reported.clear();
        batchReplacementReport = Collect;
    }
    void TearDown() override
    {
        batchReplacementReport = nullptr;
        RecordingTest::TearDown();
    }
};

TEST_F(BatchModeTest, ModesAreChosenByCaseSensitivePrefix)
{
    const struct {
        const char* commandLine;
        int selected;
    } table[] = {{"", 0}, {"C:\\some\\file.gif", 0}, {"/TEST a.gif", 0}, {" /test a.gif", 0},
                 {"/recta", 1}, {"/wmtestfoo", 1}, {"/tes", 0}};
    for (const auto& row : table) {
        BatchRun run = RunCommand(row.commandLine);
        EXPECT_EQ(run.selected, row.selected) << row.commandLine;
        if (!row.selected) {
            EXPECT_EQ(run.output, "") << row.commandLine;
        }
    }
}

TEST_F(BatchModeTest, UsageErrorsPrintTheUsageLineAndExitWith1)
{
    const char* testUsage = "usage: tavrel /test out.gif [watermark.png]\n";
    const char* rectUsage = "usage: tavrel /rect x y w h seconds out.gif [watermark.png] [fps] [outwidth]\n";
    const struct {
        const char* commandLine;
        const char* output;
    } table[] = {{"/test", testUsage},
                 {"/test    ", testUsage},
                 {"/rect", rectUsage},
                 {"/rect 10 10 100 100 1", rectUsage},
                 {"/rect 10 10 x 100 1 a.gif", rectUsage}};
    for (const auto& row : table) {
        BatchRun run = RunCommand(row.commandLine);
        EXPECT_EQ(run.selected, 1) << row.commandLine;
        EXPECT_EQ(run.exitCode, 1) << row.commandLine;
        EXPECT_EQ(run.output, row.output) << row.commandLine;
    }
}

TEST_F(BatchModeTest, WatermarkTestReportsTheEmbeddedImage)
{
    BatchRun run = RunCommand("/wmtest");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "embedded watermark: OK\nwm size: 120x30\n");
}

TEST_F(BatchModeTest, TestAnimationWrites24FramesOf360x400)
{
    std::string out = ScratchPath("test.gif");
    const std::string missing = ScratchPath("missing.png");
    BatchRun run = RunCommand("/test " + out + " " + missing);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "OK: " + out + "  frames=24  out=360x400\n");
    EXPECT_EQ(reported, "watermark " + missing + " cannot be loaded: none is used");
    EXPECT_EQ(frameStore.count, 0) << "the frames are released after writing";
    EXPECT_EQ(recorderState.prevFrame, nullptr);
    std::vector<uint8_t> file = ReadWholeFile(out);
    ASSERT_GT(file.size(), 32u);
    EXPECT_EQ(file[6] | (file[7] << 8), 360);
    EXPECT_EQ(file[8] | (file[9] << 8), 400);
    EXPECT_EQ(file[32 + 4], 8) << "83 ms is 8 hundredths";

    // The output path is the first token after the switch, even when glued to it.
    std::string glued = ScratchPath("glued.gif");
    BatchRun gluedRun = RunCommand("/test" + glued);
    EXPECT_EQ(gluedRun.output, "OK: " + glued + "  frames=24  out=360x400\n");
}

TEST_F(BatchModeTest, AnUnwritableOutputPrintsFailAndExitsWith0)
{
    std::string out = ScratchPath("no-such-folder") + "/x.gif";
    BatchRun run = RunCommand("/test " + out);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "FAIL: " + out + "\n");
}

TEST(DrawTestFrame, SquareMovesAcrossTheBar)
{
    std::vector<uint8_t> frame(static_cast<size_t>(kTestFrameWidth) * kTestFrameHeight * 4);
    auto pixel = [&](int x, int y) { return std::vector<uint8_t>(&frame[(y * kTestFrameWidth + x) * 4], &frame[(y * kTestFrameWidth + x) * 4] + 4); };
    DrawTestFrame(frame.data(), 0);
    EXPECT_EQ(pixel(0, 0), (std::vector<uint8_t>{160, 80, 40, 255}));
    EXPECT_EQ(pixel(610, 799), (std::vector<uint8_t>{0, 200, 0, 255}));
    EXPECT_EQ(pixel(100, 300), (std::vector<uint8_t>{30, 120, 200, 255}));
    EXPECT_EQ(pixel(249, 449), (std::vector<uint8_t>{30, 120, 200, 255}));
    EXPECT_EQ(pixel(250, 449), (std::vector<uint8_t>{160, 80, 40, 255}));
    DrawTestFrame(frame.data(), 23);
    EXPECT_EQ(pixel(610, 350), (std::vector<uint8_t>{30, 120, 200, 255})) << "the square covers the bar";
    EXPECT_EQ(pixel(709, 350), (std::vector<uint8_t>{30, 120, 200, 255}));
    EXPECT_EQ(pixel(710, 350), (std::vector<uint8_t>{160, 80, 40, 255}));
    EXPECT_EQ(pixel(559, 350), (std::vector<uint8_t>{160, 80, 40, 255}));
}

TEST_F(BatchModeTest, RectangleRecordingCorrectsItsArguments)
{
    const struct {
        std::string args;
        int32_t capW, capH, fps, outw, outWidth, outHeight;
        int32_t watermark;
        std::string reported;  // what the run said it replaced
    } table[] = {
        {"0 0 0 0 0", 320, 240, 12, 0, 320, 240, 0, "w 0 replaced by 320; h 0 replaced by 240; seconds 0 replaced by 1"},
        {"0 0 -5 -1 -3", 320, 240, 12, 0, 320, 240, 0,
         "w -5 replaced by 320; h -1 replaced by 240; seconds -3 replaced by 1"},
        // 15 is a watermark path
        {"0 0 320 240 5 OUT 15", 320, 240, 12, 0, 320, 240, 0, "watermark 15 cannot be loaded: none is used"},
        {"5 6 400 300 2 OUT none 20 5000", 400, 300, 20, 1920, 1920, 1440, 0, "outwidth 5000 replaced by 1920"},
        {"5 6 400 300 1 OUT none 30 -8", 400, 300, 30, 0, 400, 300, 0, "outwidth -8 replaced by 0"},
        {"5 6 40 30 1 OUT none 0", 40, 30, 12, 0, 40, 30, 0, "fps 0 replaced by 12"},
        {"5 6 40 30 1 OUT none -4", 40, 30, 12, 0, 40, 30, 0, "fps -4 replaced by 12"},
        {"5 6 40 30 1 OUT none 250", 40, 30, 100, 0, 40, 30, 0, "fps 250 replaced by 100"},
        {"5 6 40 30 1 OUT none 100", 40, 30, 100, 0, 40, 30, 0, ""},
        {"5 6 40 30 1 OUT none 1 1920", 40, 30, 1, 1920, 1920, 1440, 0, ""},
        {"5 6 40 30 1 OUT " PIXLO_FIXTURES "/png/rgba.png 10 240", 40, 30, 10, 240, 240, 180, 1, ""},
    };
    for (const auto& row : table) {
        ClearFrames();
        ScopedFakeCapture capture;
        capture.fake.onGrab = [](int tick) {
            if (tick == 1)
                recorderState.stopRequest.store(1);
        };
        std::string out = ScratchPath("rect.gif");
        std::string args = row.args;
        size_t at = args.find("OUT");
        if (at == std::string::npos)
            args += " " + out;
        else
            args.replace(at, 3, out);
        const uint32_t before = capture.fake.NowMs();
        int32_t seconds = 0;
        std::sscanf(row.args.c_str(), "%*d %*d %*d %*d %d", &seconds);

        reported.clear();
        BatchRun run = RunCommand("/rect " + args);
        EXPECT_EQ(run.exitCode, 0) << args;
        EXPECT_EQ(reported, row.reported) << args;
        EXPECT_EQ(recorderState.capW, row.capW) << args;
        EXPECT_EQ(recorderState.capH, row.capH) << args;
        EXPECT_EQ(recorderState.fps, row.fps) << args;
        EXPECT_EQ(recorderState.outw, row.outw) << args;
        EXPECT_EQ(watermarkImage.inUse, row.watermark) << args;
        std::string prefix = "OK: " + out + "  frames=1  out=" + std::to_string(row.outWidth) + "x" +
                             std::to_string(row.outHeight) + "  elapsed=";
        ASSERT_EQ(run.output.substr(0, prefix.size()), prefix) << run.output;
        int elapsed = std::atoi(run.output.c_str() + prefix.size());
        EXPECT_GE(elapsed, (seconds > 0 ? seconds : 1) * 1000) << args;
        EXPECT_EQ(capture.fake.NowMs() - before >= static_cast<uint32_t>(elapsed), true);
        EXPECT_EQ(frameStore.count, 0);
    }
}

// The native program hands over its arguments as the shell split them: each
// field is used whole, never joined and split again.
TEST_F(BatchModeTest, NativeFieldsAreTakenWhole)
{
    const std::string folder = ScratchPath("fields");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string blanks = folder + "/my clip.gif";
    // 258 characters: beyond the 255 of pixlo.exe's parse, within what
    // Windows allows a path too.
    const std::string longPath = folder + "/" + std::string(258 - folder.size() - 5, 'l') + ".gif";
    const std::string plain = folder + "/plain.gif";
    const char* testUsage = "usage: tavrel /test out.gif [watermark.png]\n";
    const char* rectUsage = "usage: tavrel /rect x y w h seconds out.gif [watermark.png] [fps] [outwidth]\n";
    const struct {
        std::vector<std::string> fields;
        int selected;
        int exitCode;
        std::string output;    // the OK line up to the elapsed time, or all of it
        std::string written;   // the file the run must write; "" for none
    } table[] = {
        {{"/rect", "0", "0", "64", "48", "1", blanks}, 1, 0, "OK: " + blanks + "  frames=1  out=64x48", blanks},
        {{"/rect", "0", "0", "64", "48", "1", longPath}, 1, 0, "OK: " + longPath + "  frames=1  out=64x48", longPath},
        {{"/rect", "-3", "+2", "64", "48", "1", plain, "none", "20", "32"}, 1, 0,
         "OK: " + plain + "  frames=1  out=32x24", plain},
        {{"/test", blanks}, 1, 0, "OK: " + blanks + "  frames=24  out=360x400\n", blanks},
        // Numbers must be whole fields: no file "s" or ".5" is written.
        {{"/rect", "0", "0", "64", "48", "5s", plain}, 1, 1, rectUsage, ""},
        {{"/rect", "0", "0", "64", "48", "1.5", plain}, 1, 1, rectUsage, ""},
        {{"/rect", "0", "0", "64", "48", "", plain}, 1, 1, rectUsage, ""},
        {{"/rect", "0", "0", " 64", "48", "1", plain}, 1, 1, rectUsage, ""},
        {{"/rect", "0x10", "0", "64", "48", "1", plain}, 1, 1, rectUsage, ""},
        {{"/rect", "2147483648", "0", "64", "48", "1", plain}, 1, 1, rectUsage, ""},
        {{"/rect", "0", "0", "64", "48", "1", plain, "none", "12fps"}, 1, 1, rectUsage, ""},
        {{"/rect", "0", "0", "64", "48", "1"}, 1, 1, rectUsage, ""},
        {{"/rect", "0", "0", "64", "48", "1", plain, "none", "12", "0", "extra"}, 1, 1, rectUsage, ""},
        {{"/test"}, 1, 1, testUsage, ""},
        {{"/test", plain, "none", "extra"}, 1, 1, testUsage, ""},
        // The mode is the whole first field.
        {{"/testing", plain}, 0, -1, "", ""},
        {{"/rectangle", "0", "0", "64", "48", "1", plain}, 0, -1, "", ""},
        {{"/wmtest", "extra"}, 0, -1, "", ""},
        {{"/TEST", plain}, 0, -1, "", ""},
        {{}, 0, -1, "", ""},
    };
    for (const auto& row : table) {
        const std::string what = ::testing::PrintToString(row.fields);
        ScopedFakeCapture capture;
        capture.fake.onGrab = [](int tick) {
            if (tick == 1)
                recorderState.stopRequest.store(1);
        };
        BatchRun run = RunFields(row.fields);
        EXPECT_EQ(run.selected, row.selected) << what;
        EXPECT_EQ(run.exitCode, row.exitCode) << what;
        EXPECT_EQ(run.output.substr(0, row.output.size()), row.output) << what;
        if (!row.written.empty()) {
            EXPECT_TRUE(FileExists(row.written)) << what;
            std::filesystem::remove(row.written);
        }
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << what << " wrote a file it should not have";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
}

TEST_F(BatchModeTest, ARecordingWithoutFramesFails)
{
    ScopedFakeCapture capture;
    capture.fake.failOpen = true;
    std::string out = ScratchPath("none.gif");
    BatchRun run = RunCommand("/rect 0 0 60000 60000 1 " + out);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "FAIL: " + out + "  frames=0\n");
    EXPECT_FALSE(FileExists(out));
}

// A target the file could never be written to ends the run at once: no
// recording of the requested ten seconds is made to be thrown away.
TEST_F(BatchModeTest, AnUnwritableTargetFailsBeforeRecording)
{
    const std::string folder = ScratchPath("unwritable-rect");
    std::filesystem::create_directories(folder + "/a-folder");
    for (const std::string& out : {folder + "/no-such-folder/x.gif", folder + "/a-folder"}) {
        ScopedFakeCapture capture;
        const uint32_t before = capture.fake.NowMs();
        BatchRun run = RunCommand("/rect 0 0 64 64 10 " + out);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, "FAIL: " + out + "  frames=0\n");
        EXPECT_EQ(capture.fake.opens, 0) << out << ": the screen was opened";
        EXPECT_LT(capture.fake.NowMs() - before, 1000u) << out;
        EXPECT_NE(BatchModeFailure(), nullptr);
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/a-folder"));
}

}  // namespace
