#include "recorder/batch_modes.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "common/memory.h"
#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "encoder/output_file.h"
#include "image/output_geometry.h"
#include "image/resampler.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"

namespace {

constexpr int kPathBuffer = 260;  // filled with at most 255 characters and a terminator

// Why the last FAIL line was printed, for a caller that can say it.
const char* failure = nullptr;

void Replaced(const char* field, int32_t given, int32_t used)
{
    if (batchReplacementReport)
        batchReplacementReport({field, given, used, nullptr});
}

// "none" is the usual filler before a frame rate: no file by that name is
// no news.
void WatermarkDropped(const char* path)
{
    if (batchReplacementReport && std::strcmp(path, "none") != 0)
        batchReplacementReport({"watermark", 0, 0, path});
}

// Every value the batch modes correct, and what they correct it to.
int32_t AtLeast(const char* field, int32_t value, int32_t floor, int32_t replacement)
{
    if (value >= floor)
        return value;
    Replaced(field, value, replacement);
    return replacement;
}

int32_t Within(const char* field, int32_t value, int32_t low, int32_t high)
{
    const int32_t used = value < low ? low : value > high ? high : value;
    if (used != value)
        Replaced(field, value, used);
    return used;
}

void PrintLine(const char* line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
}

void Fill(uint8_t* frame, int32_t top, int32_t bottom, int32_t left, int32_t right, uint8_t b, uint8_t g,
          uint8_t r)
{
    for (int32_t y = top; y < bottom; y++)
        for (int32_t x = left; x < right; x++) {
            uint8_t* p = frame + (static_cast<size_t>(y) * kTestFrameWidth + x) * 4;
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
}

int WatermarkTest()
{
    if (LoadWatermarkEmbedded()) {
        std::printf("embedded watermark: %s\n", "OK");
        std::printf("wm size: %dx%d\n", watermarkImage.width, watermarkImage.height);
    } else {
        std::printf("embedded watermark: %s\n", "FAIL");
        failure = "the built-in watermark cannot be decoded";
    }
    return 0;
}

const char kTestUsage[] = "usage: tavrel /test out.gif [watermark.png]";
const char kRectUsage[] = "usage: tavrel /rect x y w h seconds out.gif [watermark.png] [fps] [outwidth]";

// wmPath: "" for none.
int TestAnimation(const char* outPath, const char* wmPath)
{
    watermarkImage.inUse = 0;
    if (wmPath[0]) {
        watermarkImage.inUse = LoadWatermarkFile(wmPath);
        if (!watermarkImage.inUse)
            WatermarkDropped(wmPath);
    }

    outputGeometry = {360, 400};
    PrepareWatermark(360);
    const size_t frameBytes = 360 * 400 * 4;
    recorderState.prevFrame = static_cast<uint8_t*>(memoryApi.allocateZeroed(frameBytes, 1));
    recorderState.workFrame = static_cast<uint8_t*>(memoryApi.allocate(frameBytes));
    uint8_t* source = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(kTestFrameWidth) * kTestFrameHeight * 4));
    // Without memory nothing is encoded, and the FAIL line reports it.
    if (recorderState.prevFrame && recorderState.workFrame && source) {
        for (int32_t k = 0; k < 24; k++) {
            DrawTestFrame(source, k);
            ResampleBilinear(source, kTestFrameWidth, kTestFrameHeight, recorderState.workFrame, 360, 400);
            BlendWatermark(recorderState.workFrame, 360, 400);
            EncodeFrame(recorderState.workFrame, 360, 400, 83);
            std::memcpy(recorderState.prevFrame, recorderState.workFrame, frameBytes);
        }
    }
    memoryApi.release(source);

    if (frameStore.count >= 1 && WriteGif(outPath))
        std::printf("OK: %s  frames=%d  out=%dx%d\n", outPath, frameStore.count.load(), outputGeometry.outWidth,
                    outputGeometry.outHeight);
    else {
        std::printf("FAIL: %s\n", outPath);
        failure = frameStore.count < 1 ? "no memory for the test animation" : "the file could not be written";
    }
    ClearFrames();
    return 0;
}

// The values of a /rect command line, however it was parsed.
struct RectangleRun {
    int32_t x = 0, y = 0, w = 0, h = 0, seconds = 0, fps = 12, outw = 0;
    const char* outPath = "";
    const char* wmPath = "";  // "" for none
};

int RecordRectangle(RectangleRun run)
{
    int32_t x = run.x, y = run.y, w = run.w, h = run.h, seconds = run.seconds, fps = run.fps, outw = run.outw;
    const char* outPath = run.outPath;
    w = AtLeast("w", w, 1, 320);
    h = AtLeast("h", h, 1, 240);
    seconds = AtLeast("seconds", seconds, 1, 1);
    // The capture thread would take a rate of 0 or less as 12 and one above
    // 100 as 100: the same values, said here where they can be reported.
    fps = AtLeast("fps", fps, 1, 12);
    fps = Within("fps", fps, 1, 100);
    outw = Within("outwidth", outw, 0, 1920);
    int useWatermark = run.wmPath[0] != '\0';
    if (useWatermark && !LoadWatermarkFile(run.wmPath)) {
        WatermarkDropped(run.wmPath);
        useWatermark = 0;
    }

    // A target that cannot be written would throw the whole recording away
    // at its end: refuse it before the first second is spent.
    const int replaceable = outputFileApi.replaceable(outPath);
    if (!replaceable || !CanWriteGif(outPath)) {
        failure = replaceable ? "cannot create the file (a missing or unwritable folder, or a name the system refuses)"
                      : "a folder, a device, a pipe or socket, or a read-only file is at the output's name";
        std::printf("FAIL: %s  frames=%d\n", outPath, 0);
        return 0;
    }

    const uint32_t t0 = captureApi.tickCount();
    StartCapture(x, y, w, h, fps, outw, useWatermark);
    // Sleep in whole seconds: seconds x 1000 would overflow 32 bits for a
    // run of more than 49 days.
    for (int s = 0; s < seconds; s++)
        captureApi.sleep(1000);
    recorderState.stopRequest.store(1);
    while (recorderState.recording.load() == 1)
        captureApi.sleep(30);
    if (recorderState.thread)
        captureApi.waitThread(15000);

    if (frameStore.count < 1) {
        std::printf("FAIL: %s  frames=%d\n", outPath, frameStore.count.load());
        failure = "nothing was recorded (the screen could not be read, or a frame is too large for memory)";
    } else if (WriteGif(outPath)) {
        const uint32_t elapsed = captureApi.tickCount() - t0;
        std::printf("OK: %s  frames=%d  out=%dx%d  elapsed=%dms\n", outPath, frameStore.count.load(),
                    outputGeometry.outWidth, outputGeometry.outHeight, static_cast<int>(elapsed));
    } else {
        std::printf("FAIL: %s  frames=%d\n", outPath, frameStore.count.load());
        failure = "the file could not be written";
    }
    ClearFrames();
    return 0;
}

// pixlo.exe's command line: one text, split by scanf into fields of at most
// 255 characters.
int TestAnimationText(const char* rest)
{
    char outPath[kPathBuffer] = {};
    char wmPath[kPathBuffer] = {};
    if (std::sscanf(rest, " %255s %255s", outPath, wmPath) < 1) {
        PrintLine(kTestUsage);
        return 1;
    }
    return TestAnimation(outPath, wmPath);
}

int RecordRectangleText(const char* rest)
{
    int x = 0, y = 0, w = 0, h = 0, seconds = 0, fps = 12, outw = 0;
    char outPath[kPathBuffer] = {};
    char wmPath[kPathBuffer] = {};
    if (std::sscanf(rest, " %d %d %d %d %d %255s %255s %d %d", &x, &y, &w, &h, &seconds, outPath, wmPath, &fps,
                    &outw) < 6) {
        PrintLine(kRectUsage);
        return 1;
    }
    RectangleRun run;
    run.x = x, run.y = y, run.w = w, run.h = h, run.seconds = seconds, run.fps = fps, run.outw = outw;
    run.outPath = outPath;
    run.wmPath = wmPath;
    return RecordRectangle(run);
}

// A whole field of decimal digits with an optional sign, within 32 bits:
// "5s", "1.5", " 7" and "" are no numbers.
bool ParseWholeNumber(const char* field, int32_t* value)
{
    const bool negative = *field == '-';
    if (*field == '-' || *field == '+')
        field++;
    if (!*field)
        return false;
    int64_t magnitude = 0;
    for (; *field; field++) {
        if (*field < '0' || *field > '9')
            return false;
        magnitude = magnitude * 10 + (*field - '0');
        if (magnitude > int64_t{INT32_MAX} + 1)
            return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        return false;
    *value = static_cast<int32_t>(signedValue);
    return true;
}

// The native command line: the fields as the system split them, each used
// whole, so a path may hold blanks and be as long as the system allows.
int TestAnimationFields(int32_t count, const char* const* fields)
{
    if (count < 1 || count > 2) {
        PrintLine(kTestUsage);
        return 1;
    }
    return TestAnimation(fields[0], count > 1 ? fields[1] : "");
}

int RecordRectangleFields(int32_t count, const char* const* fields)
{
    RectangleRun run;
    int32_t* numbers[] = {&run.x, &run.y, &run.w, &run.h, &run.seconds};
    bool valid = count >= 6 && count <= 9;
    for (int32_t i = 0; valid && i < 5; i++)
        valid = ParseWholeNumber(fields[i], numbers[i]);
    if (valid && count > 7)
        valid = ParseWholeNumber(fields[7], &run.fps);
    if (valid && count > 8)
        valid = ParseWholeNumber(fields[8], &run.outw);
    if (!valid) {
        PrintLine(kRectUsage);
        return 1;
    }
    run.outPath = fields[5];
    run.wmPath = count > 6 ? fields[6] : "";
    return RecordRectangle(run);
}

}  // namespace

void DrawTestFrame(uint8_t* frame, int32_t k)
{
    for (size_t i = 0; i < static_cast<size_t>(kTestFrameWidth) * kTestFrameHeight * 4; i += 4) {
        frame[i] = 160;
        frame[i + 1] = 80;
        frame[i + 2] = 40;
        frame[i + 3] = 255;
    }
    Fill(frame, 0, kTestFrameHeight, 600, 620, 0, 200, 0);
    // The square is drawn last and clipped at the right edge; its fourth
    // byte stays 255 from the background.
    int32_t right = 250 + 20 * k < kTestFrameWidth ? 250 + 20 * k : kTestFrameWidth;
    Fill(frame, 300, 450, 100 + 20 * k, right, 30, 120, 200);
}

void (*batchReplacementReport)(const BatchReplacement& replacement) = nullptr;

void FormatBatchReplacement(char* buffer, int32_t size, const BatchReplacement& replacement)
{
    if (replacement.path)
        std::snprintf(buffer, static_cast<size_t>(size), "%s %s cannot be loaded: none is used", replacement.field,
                      replacement.path);
    else
        std::snprintf(buffer, static_cast<size_t>(size), "%s %d replaced by %d", replacement.field,
                      static_cast<int>(replacement.given), static_cast<int>(replacement.used));
}

const char* BatchModeFailure()
{
    return failure;
}

int RunBatchMode(const char* commandLine, int* exitCode)
{
    failure = nullptr;
    if (std::strncmp(commandLine, "/wmtest", 7) == 0)
        *exitCode = WatermarkTest();
    else if (std::strncmp(commandLine, "/test", 5) == 0)
        *exitCode = TestAnimationText(commandLine + 5);
    else if (std::strncmp(commandLine, "/rect", 5) == 0)
        *exitCode = RecordRectangleText(commandLine + 5);
    else
        return 0;
    std::fflush(stdout);
    return 1;
}

int RunBatchModeFields(int32_t count, const char* const* fields, int* exitCode)
{
    failure = nullptr;
    if (count < 1)
        return 0;
    const char* mode = fields[0];
    if (std::strcmp(mode, "/wmtest") == 0 && count == 1)
        *exitCode = WatermarkTest();
    else if (std::strcmp(mode, "/test") == 0)
        *exitCode = TestAnimationFields(count - 1, fields + 1);
    else if (std::strcmp(mode, "/rect") == 0)
        *exitCode = RecordRectangleFields(count - 1, fields + 1);
    else
        return 0;
    std::fflush(stdout);
    return 1;
}
