#pragma once
// Plays a clip of frames through the real capture loop over the fake screen
// of the tests (one frame per tick, 10 frames/s, output at the captured size,
// no watermark, no cursor) and stores the recording as a GIF.
//
// This file and record_frames.cpp use only the long-standing core interface
// (StartCapture over captureApi's fake, frameStore, WriteGif,
// settings.optimize, watermarkImage), so that the same driver also builds in
// a work tree of an older encoder and records the same frames there
// (sizes.sh: the "area_before" rows).

#include <cstdint>
#include <string>
#include <vector>

struct PlayedClip {
    std::string name;
    int32_t width = 0, height = 0;
    std::vector<std::vector<uint8_t>> frames;  // top-down B, G, R, X, as the screen grab gives them
};

struct PlayedRecording {
    long bytes = 0;
    double msPerFrame = 0;    // the capture thread's processor time per tick, median of the runs
    double msPerLater = 0;    // the same without the first tick, whose frame is whole in every mode
    double areaPercent = 0;   // pixels stored after the first frame against whole frames
    double storeBytesPerFrame = 0;
    double storeMbPerMinute = 0;  // frame store after 600 ticks like the clip's
};

// Records the clip with settings.optimize = optimize, repeats timed runs,
// and writes the last run's store to gifPath. False (with a message) when
// nothing was stored or the file cannot be written.
bool RecordPlayedClip(const PlayedClip& clip, int32_t optimize, int repeats, const std::string& gifPath,
                      PlayedRecording& out);

// One tab-separated line: clip width height frames mode bytes ms_per_frame
// ms_per_later_frame later_area_percent store_bytes_per_frame store_mb_per_minute
void PrintRecordingLine(const PlayedClip& clip, const std::string& mode, const PlayedRecording& recording);

// A binary PPM (P6, maxval 255) as R, G, B.
bool ReadPpm(const std::string& path, std::vector<uint8_t>& rgb, int32_t& width, int32_t& height);

// DIR/f000.ppm, f001.ppm ... until the first missing one; the clip is named
// after the folder. False when there is no frame or the sizes differ.
bool LoadPpmClip(const std::string& dir, PlayedClip& clip);

// FRAMEDIR OUTPREFIX [REPEATS [MODES]]: records FRAMEDIR's frames in each of
// MODES (comma-separated "full" and "area", default both; "area:NAME" writes
// and prints the mode as NAME) to OUTPREFIX.MODE.gif and prints one line per
// mode as PrintRecordingLine does.
int RecordFramesCommand(int argc, char** argv);
