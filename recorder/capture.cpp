#include "recorder/capture.h"

#include <atomic>
#include <cstring>

#include "common/memory.h"
#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "image/changed_area.h"
#include "image/output_geometry.h"
#include "image/resampler.h"
#include "image/watermark.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"

CaptureWindows captureWindows;

namespace {

// A cursor image of up to 48 pixels that starts left of or above the
// rectangle still shows its visible part.
constexpr int32_t kCursorMargin = 47;

// Wrap-safe "a is before b" for the 32-bit millisecond counter: identical to
// a plain comparison except across the wrap after 49.7 days of uptime, where
// the plain one would stall or race the schedule.
inline bool Before(uint32_t a, uint32_t b)
{
    return static_cast<int32_t>(a - b) < 0;
}

void DrawCursorIfInside()
{
    if (std::atomic_ref<int32_t>(settings.cursor).load(std::memory_order_relaxed) != 1)
        return;
    if (!captureApi.cursorState || !captureApi.drawCursor)
        return;
    CursorState cursor;
    if (!captureApi.cursorState(&cursor) || !cursor.showing)
        return;
    const RecorderState& r = recorderState;
    int32_t dx = cursor.x - r.capX;
    int32_t dy = cursor.y - r.capY;
    if (dx >= -kCursorMargin && dy >= -kCursorMargin && dx < r.capW && dy < r.capH)
        captureApi.drawCursor(dx, dy);
}

// A GIF frame shorter than this is stretched by players (to ~100 ms), so no
// frame is given less.
constexpr int64_t kShortestDelay = 2;

// Frame delays follow the clock. Each frame's end is placed at the time the
// next new frame's tick really started, rounded to hundredths from the first
// tick, so a frame's rounding remainder goes to the next one and a late tick
// counts as late. A new picture that would end the latest frame before its
// 2 hundredths is not stored: the next tick that differs from the latest
// stored frame carries it, so above 50 frames per second the file has fewer
// frames, not a slower time. What the floor still adds (the last frames of
// a recording) is taken back from later frames, down to the same floor.
struct FrameTimes {
    int32_t last = -1;  // store index of this recording's latest frame
    int64_t given = 0;  // hundredths settled on the frames before it

    // The hundredths the latest frame would get if it ended at endMs.
    int64_t DelayUntil(int64_t endMs) const { return (endMs + 5) / 10 - given; }

    // Ends the latest frame at endMs after the first tick. Only a frame the
    // store really holds is timed.
    void Settle(int64_t endMs)
    {
        if (last < 0 || last >= frameStore.count)
            return;
        int64_t delay = DelayUntil(endMs);
        if (delay < kShortestDelay)
            delay = kShortestDelay;
        if (delay > INT32_MAX)
            delay = INT32_MAX;
        frameStore.records[last].delay = static_cast<int32_t>(delay);
        given += delay;
    }
};

// Makes this tick's output frame in workFrame (a copy of the screen, or its
// resampling, with the watermark blended in) and tells from which row on it
// may differ from prevFrame: -1 when it is the same picture, otherwise every
// row above the one returned is known to be equal. At full size the copy goes in bands of rows that stay in
// the cache: each band is copied, blended and compared while it is still
// there, so the frame crosses memory once instead of once for the copy and
// again for the comparison; and the comparison stops at the first
// difference. The watermark sits in the top rows, so the first band is
// tall enough to take all of it, and blending that band is blending the
// frame.
int32_t ComposeFrame(const uint8_t* screen, bool copyOnly, int32_t outWidth, int32_t outHeight,
                     bool alwaysNew)
{
    RecorderState& r = recorderState;
    const size_t rowBytes = static_cast<size_t>(outWidth) * 4;
    int32_t firstDiffering = alwaysNew ? 0 : -1;
    if (!copyOnly) {
        ResampleBilinear(screen, r.capW, r.capH, r.workFrame, outWidth, outHeight);
        BlendWatermark(r.workFrame, outWidth, outHeight);
        if (alwaysNew)
            return 0;
        for (int32_t y = 0; y < outHeight; y++) {
            const size_t offset = static_cast<size_t>(y) * rowBytes;
            if (std::memcmp(r.workFrame + offset, r.prevFrame + offset, rowBytes) != 0)
                return y;
        }
        return -1;
    }
    // About 64 KiB per band: well inside the second-level cache.
    int32_t bandRows = static_cast<int32_t>(65536 / rowBytes);
    if (bandRows < 1)
        bandRows = 1;
    int32_t firstRows = watermarkImage.scaledHeight > bandRows ? watermarkImage.scaledHeight : bandRows;
    for (int32_t top = 0; top < outHeight;) {
        int32_t rows = top == 0 ? firstRows : bandRows;
        if (rows > outHeight - top)
            rows = outHeight - top;
        const size_t offset = static_cast<size_t>(top) * rowBytes;
        const size_t bytes = static_cast<size_t>(rows) * rowBytes;
        std::memcpy(r.workFrame + offset, screen + offset, bytes);
        if (top == 0)
            BlendWatermark(r.workFrame, outWidth, rows);
        if (firstDiffering < 0 && std::memcmp(r.workFrame + offset, r.prevFrame + offset, bytes) != 0)
            firstDiffering = top;
        top += rows;
    }
    return firstDiffering;
}

// Stores workFrame: whole with the learned palette, or, when optimizing,
// with its own colours as the rectangle that differs from prevFrame (rows
// above firstDiffering are equal), all of it for the recording's first
// frame. False when nothing was stored because nothing differs after all.
bool StoreFrame(bool optimize, bool first, int32_t firstDiffering, int32_t outWidth, int32_t outHeight,
                int32_t delayMs)
{
    RecorderState& r = recorderState;
    if (!optimize) {
        EncodeFrame(r.workFrame, outWidth, outHeight, delayMs);
        return true;
    }
    const ChangedArea area = first ? ChangedArea{0, 0, outWidth, outHeight}
                                   : FindChangedArea(r.prevFrame, r.workFrame, outWidth, outHeight, firstDiffering);
    if (area.width == 0)
        return false;
    EncodeFrameArea(r.workFrame, outWidth, area.left, area.top, area.width, area.height, delayMs);
    return true;
}

// The count is read while the store is still ours: once recording drops to
// 0 a waiting caller may clear or write the store.
void EndRecording()
{
    const int32_t count = frameStore.count;
    recorderState.recording.store(0);
    captureApi.postMessage(kWmRecDone, static_cast<uintptr_t>(count), 0);
}

}  // namespace

int32_t CaptureInterval(int32_t fps)
{
    // A GIF states delays in whole hundredths: above 100 frames per second a
    // duplicate tick would add 0 and a still screen would play far too short.
    if (fps <= 0)
        fps = 12;
    else if (fps > 100)
        fps = 100;
    return static_cast<int32_t>(1000.0 / fps);
}

void StartCapture(int32_t x, int32_t y, int32_t w, int32_t h, int32_t fps, int32_t outw, int32_t useWatermark)
{
    RecorderState& r = recorderState;
    r.stopRequest.store(0);
    r.recording.store(1);
    r.fps = fps;
    r.outw = outw;
    // Read here, on the thread that owns the settings, like the rate.
    r.optimize = settings.optimize;
    r.capW = w;
    r.capH = h;
    r.capX = x;
    r.capY = y;
    watermarkImage.inUse = useWatermark;
    // Whoever waits for the end (Stop, closing, /rect) must see it even when
    // no thread could be made.
    if (!captureApi.startThread()) {
        r.thread = nullptr;
        EndRecording();
    }
}

uint32_t CaptureThreadProc()
{
    RecorderState& r = recorderState;
    const int32_t fps = r.fps;
    const int32_t optimize = r.optimize;
    captureApi.beginTimerPeriod();
    outputGeometry = ComputeOutputSize(r.capW, r.capH, r.outw);
    PrepareWatermark(outputGeometry.outWidth);

    const int32_t outWidth = outputGeometry.outWidth;
    const int32_t outHeight = outputGeometry.outHeight;
    uint8_t* screen = captureApi.openScreen(r.capX, r.capY, r.capW, r.capH);
    // A frame too large for 32-bit sizes, or no memory: the recording ends
    // without a tick instead of touching a missing buffer.
    const int32_t frameBytes = PixelBufferBytes(outWidth, outHeight);
    if (frameBytes > 0) {
        r.prevFrame = static_cast<uint8_t*>(memoryApi.allocateZeroed(static_cast<size_t>(frameBytes), 1));
        r.workFrame = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(frameBytes)));
    }
    const bool ready = screen && r.prevFrame && r.workFrame;
    const bool copyOnly = outWidth == r.capW && outHeight == r.capH;

    const uint32_t start = captureApi.tickCount();
    uint32_t due = start;
    if (ready && r.stopRequest.load() != 1) {
        const int32_t interval = CaptureInterval(fps);
        FrameTimes times;
        int64_t position = 0;  // ms from the first tick's start to this tick's
        uint32_t previous = 0;
        // The row from which the last tick's picture, new but too soon to
        // store, differs from the latest stored frame; -1 when there is none.
        int32_t pendingRow = -1;
        // Stores workFrame, this tick's new picture, and ends the latest frame
        // where the tick started.
        auto keepTick = [&](int32_t firstDiffering) {
            const bool first = times.last < 0;
            const int32_t stored = frameStore.count;
            if (!StoreFrame(optimize != 0, first, firstDiffering, outWidth, outHeight, interval))
                return;
            // A frame the store refused (no memory) is neither timed nor
            // compared with: the next tick is compared with the picture the
            // viewer really shows, so it carries this tick's change.
            if (frameStore.count == stored)
                return;
            times.Settle(position);
            times.last = stored;
            // The stored frame becomes the one to compare with by exchanging
            // the buffers, not by copying: the next tick overwrites all of
            // workFrame anyway.
            uint8_t* encoded = r.workFrame;
            r.workFrame = r.prevFrame;
            r.prevFrame = encoded;
        };
        for (uint32_t ticks = 0;;) {
            uint32_t now = captureApi.tickCount();
            if (Before(now + 2, due))
                captureApi.sleep(due - now - 1);
            // The reading that ends the wait is when the tick really starts.
            while (Before(now = captureApi.tickCount(), due)) {
            }
            if (ticks > 0)
                position += now - previous;
            previous = now;

            captureApi.grabScreen();
            DrawCursorIfInside();
            // Until a frame is stored, every tick is a new picture.
            const int32_t firstDiffering =
                ComposeFrame(screen, copyOnly, outWidth, outHeight, times.last < 0);
            pendingRow = -1;
            if (firstDiffering >= 0) {
                if (times.last >= 0 && times.DelayUntil(position) < kShortestDelay)
                    pendingRow = firstDiffering;
                else
                    keepTick(firstDiffering);
            }
            // A still tick lengthens the latest frame: its end is settled
            // when the next frame comes or the recording ends.

            ticks++;
            if (ticks % 8 == 0)
                captureApi.postMessage(kWmRecProgress, static_cast<uintptr_t>(frameStore.count),
                                       static_cast<intptr_t>(captureApi.tickCount() - start));
            due += static_cast<uint32_t>(interval);
            if (r.stopRequest.load() == 1)
                break;
        }
        // The recording's last picture is kept even when it came too soon:
        // the floor then adds at most 2 hundredths to the playing time.
        if (pendingRow >= 0)
            keepTick(pendingRow);
        // The last tick stands for one interval, or for the time until the
        // stop was seen when that tick took longer: a slow machine encoding
        // large frames must not play a recording shorter than it was.
        if (times.last >= 0) {
            const int64_t ended = position + (captureApi.tickCount() - previous);
            times.Settle(ended > position + interval ? ended : position + interval);
        }
    }

    captureApi.endTimerPeriod();
    captureApi.closeScreen();
    EndRecording();
    return 0;
}
