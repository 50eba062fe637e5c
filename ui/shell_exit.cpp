#include "ui/shell_exit.h"

#include "encoder/frame_store.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"

int EndRecordingForExit(void (*closeThread)(void* thread))
{
    RecorderState& r = recorderState;
    if (r.recording.load() == 1) {
        r.stopRequest.store(1);
        if (r.thread) {
            captureApi.waitThread(kCloseWaitMs);
            // A tick that encodes a large frame can outlast the 3 s. The window
            // is already gone, so waiting on costs the user nothing, while
            // releasing now would free memory the thread still appends to.
            if (r.recording.load() == 1)
                captureApi.waitThread(kWaitWithoutLimit);
        }
    }
    if (r.thread) {
        if (closeThread)
            closeThread(r.thread);
        r.thread = nullptr;
    }
    // Only without a thread to wait for can the flag still be up here; the
    // frames are then left to the end of the process.
    if (r.recording.load() == 1)
        return 0;
    ClearFrames();
    return 1;
}
