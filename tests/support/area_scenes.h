#pragma once
// Short scripted recordings on the fake screen, run through the real capture
// loop and written by the real writer: what a recording with changed areas
// must store for moving objects, single pixels, edges, corners, the cursor
// and a resampled capture.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FakeCapture;

// A screen-like desktop: a flat background, a window with a gradient title
// bar, a light body with dark text-like strokes.
void PaintDesktop(FakeCapture& fake);

// The colour of the scenes' moving square, B, G, R.
extern const uint8_t kSquareColour[3];

// Fills w x h pixels at (x, y) of the fake screen, clipped, with B, G, R.
void FillScreen(FakeCapture& fake, int32_t x, int32_t y, int32_t w, int32_t h, const uint8_t* bgr);

struct AreaRect {
    int32_t left, top, width, height;
    bool operator==(const AreaRect&) const = default;
};

struct AreaScene {
    const char* name;
    int32_t capW, capH;
    int32_t outw;  // as StartCapture takes it: 0 keeps the captured width
    int ticks;     // at 10 frames per second
    bool cursor;   // cursor setting 1, the fake cursor painted
    // Paints the whole screen of tick t (and may move the cursor).
    std::function<void(int tick, FakeCapture& fake)> paint;
    // When not empty: the rectangle of every stored frame after the first.
    std::vector<AreaRect> rectangles;
    // Where the scene's moving square is at tick t (width 0: none shown),
    // in output pixels, for the trail and hole checks.
    std::function<AreaRect(int tick)> square;
};

const std::vector<AreaScene>& AreaScenes();

struct AreaRecording {
    int32_t outWidth = 0, outHeight = 0;
    // What the screen showed at each tick after scaling: B, G, R, X.
    std::vector<std::vector<uint8_t>> pictures;
    int32_t storeCount = 0;  // frames in the store after the recording
    int32_t doneCount = -1;  // the end message's frame count
    std::vector<AreaRect> storedRects;  // as the store keeps them
    std::vector<uint8_t> file;          // the written GIF, empty when writing failed
};

// Records the scene with the given optimize setting through StartCapture on
// the fake screen, writes the store to path and reads the file back. Leaves
// the frames in the store; the caller clears them. Changes the cursor and
// optimize settings.
AreaRecording RecordScene(const AreaScene& scene, int32_t optimize, const std::string& path);

// FNV-1a, 64 bits: a fingerprint of a written file for pinning its bytes.
uint64_t Fingerprint(const std::vector<uint8_t>& bytes);
