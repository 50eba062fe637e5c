#pragma once
// The capture thread's process-wide record. The UI thread (or the /rect
// driver) starts and stops a recording through it; the capture thread owns
// everything else. The two frame buffers outlive the thread until ClearFrames.

#include <atomic>
#include <cstdint>

struct RecorderState {
    // Single 32-bit words with one writer at a time; plain atomic loads and
    // stores are all either side needs.
    std::atomic<int32_t> recording;
    std::atomic<int32_t> stopRequest;
    int32_t capX;
    int32_t capY;
    int32_t capW;
    int32_t capH;
    // The rate and output width the recording started with. The settings
    // window may change its own values meanwhile; they apply from the next
    // recording, and the capture thread never reads them.
    int32_t fps;
    int32_t outw;
    int32_t optimize;      // 1: frames after the first are stored as their changed area
    void* thread;          // the platform's thread handle, opaque to portable code
    uint8_t* prevFrame;    // last frame handed to the encoder, outWidth x outHeight x 4
    uint8_t* workFrame;    // this tick's output frame, same size
};

extern RecorderState recorderState;
