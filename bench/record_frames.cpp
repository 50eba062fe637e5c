#include "bench/record_frames.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "tests/support/fake_capture.h"

namespace {

constexpr int32_t kFps = 10;
constexpr int32_t kFramesPerMinute = 60 * kFps;

// The capture loop over a fake screen that shows the clip's frames one per
// tick, with the clock of the tests (it moves only when the loop waits).
void RecordThroughCaptureLoop(const PlayedClip& clip, int32_t optimize)
{
    ClearFrames();
    ScopedFakeCapture scoped;
    FakeCapture& fake = scoped.fake;
    fake.onGrab = [&](int tick) {
        const std::vector<uint8_t>& f = clip.frames[static_cast<size_t>(tick)];
        std::memcpy(fake.screen.data(), f.data(), std::min(f.size(), fake.screen.size()));
        if (tick + 1 == static_cast<int>(clip.frames.size()))
            recorderState.stopRequest.store(1);
    };
    settings.optimize = optimize;
    settings.cursor = 0;
    watermarkImage.inUse = 0;
    StartCapture(0, 0, clip.width, clip.height, kFps, 0, 0);
    recorderState.stopRequest.store(0);
}

double ThreadMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Median processor time of a recording of the clip, in ms; the store holds
// the last run's frames afterwards.
double TimeRecording(const PlayedClip& clip, int32_t optimize, int repeats)
{
    std::vector<double> ms;
    for (int r = 0; r < std::max(repeats, 1); r++) {
        const double start = ThreadMs();
        RecordThroughCaptureLoop(clip, optimize);
        ms.push_back(ThreadMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

bool RecordPlayedClip(const PlayedClip& clip, int32_t optimize, int repeats, const std::string& gifPath,
                      PlayedRecording& out)
{
    if (clip.frames.empty())
        return false;
    // The first frame is whole in every mode: the later frames' time is
    // what the mode changes.
    PlayedClip firstOnly{clip.name, clip.width, clip.height, {clip.frames[0]}};
    const double first = TimeRecording(firstOnly, optimize, repeats);
    const double all = TimeRecording(clip, optimize, repeats);
    const double frames = static_cast<double>(clip.frames.size());
    out.msPerFrame = all / frames;
    out.msPerLater = frames > 1 ? (all - first) / (frames - 1) : 0;

    if (frameStore.count == 0) {
        std::fprintf(stderr, "%s: nothing was stored\n", gifPath.c_str());
        return false;
    }
    double areaPixels = 0, storeBytes = 0;
    for (int32_t i = 0; i < frameStore.count; i++) {
        const FrameRecord& record = frameStore.records[i];
        areaPixels += static_cast<double>(record.width) * record.height;
        storeBytes += static_cast<double>(sizeof(FrameRecord)) + record.length;
    }
    const double framePixels = static_cast<double>(clip.width) * clip.height;
    // Of the ticks after the first, as the time per later frame.
    const double firstPixels = static_cast<double>(frameStore.records[0].width) * frameStore.records[0].height;
    out.areaPercent = frames > 1 ? 100.0 * (areaPixels - firstPixels) / (framePixels * (frames - 1)) : 0;
    out.storeBytesPerFrame = storeBytes / frameStore.count;
    out.storeMbPerMinute = storeBytes * kFramesPerMinute / frames / 1e6;

    if (!WriteGif(gifPath.c_str())) {
        std::fprintf(stderr, "cannot write %s\n", gifPath.c_str());
        return false;
    }
    std::error_code error;
    out.bytes = static_cast<long>(std::filesystem::file_size(gifPath, error));
    ClearFrames();
    return !error;
}

void PrintRecordingLine(const PlayedClip& clip, const std::string& mode, const PlayedRecording& r)
{
    std::printf("%s\t%d\t%d\t%zu\t%s\t%ld\t%.2f\t%.2f\t%.1f\t%.0f\t%.2f\n", clip.name.c_str(), clip.width,
                clip.height, clip.frames.size(), mode.c_str(), r.bytes, r.msPerFrame, r.msPerLater, r.areaPercent,
                r.storeBytesPerFrame, r.storeMbPerMinute);
    std::fflush(stdout);
}

bool ReadPpm(const std::string& path, std::vector<uint8_t>& rgb, int32_t& width, int32_t& height)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    int maxValue = 0;
    bool ok = std::fscanf(file, "P6 %d %d %d", &width, &height, &maxValue) == 3 && maxValue == 255 &&
              width > 0 && height > 0 && std::fgetc(file) != EOF;
    if (ok) {
        rgb.resize(static_cast<size_t>(width) * height * 3);
        ok = std::fread(rgb.data(), 1, rgb.size(), file) == rgb.size();
    }
    std::fclose(file);
    return ok;
}

bool LoadPpmClip(const std::string& dir, PlayedClip& clip)
{
    clip.name = std::filesystem::path(dir).filename().string();
    if (clip.name.empty())
        clip.name = std::filesystem::path(dir).parent_path().filename().string();
    clip.frames.clear();
    for (int k = 0;; k++) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%03d.ppm", k);
        std::vector<uint8_t> rgb;
        int32_t w = 0, h = 0;
        if (!ReadPpm(dir + name, rgb, w, h))
            break;
        if (k == 0) {
            clip.width = w;
            clip.height = h;
        } else if (w != clip.width || h != clip.height) {
            std::fprintf(stderr, "%s%s: %dx%d, the first frame %dx%d\n", dir.c_str(), name, w, h, clip.width,
                         clip.height);
            return false;
        }
        std::vector<uint8_t> bgrx(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; i++) {
            bgrx[4 * i] = rgb[3 * i + 2];
            bgrx[4 * i + 1] = rgb[3 * i + 1];
            bgrx[4 * i + 2] = rgb[3 * i];
        }
        clip.frames.push_back(std::move(bgrx));
    }
    if (clip.frames.empty())
        std::fprintf(stderr, "%s: no f000.ppm\n", dir.c_str());
    return !clip.frames.empty();
}

int RecordFramesCommand(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "record-frames FRAMEDIR OUTPREFIX [REPEATS [MODES]]\n");
        return 2;
    }
    const std::string dir = argv[0], prefix = argv[1];
    const int repeats = argc >= 3 ? std::atoi(argv[2]) : 3;
    std::string modes = argc >= 4 ? argv[3] : "full,area";
    PlayedClip clip;
    if (!LoadPpmClip(dir, clip))
        return 1;
    modes += ",";
    for (size_t start = 0, comma; (comma = modes.find(',', start)) != std::string::npos; start = comma + 1) {
        const std::string item = modes.substr(start, comma - start);
        if (item.empty())
            continue;
        const size_t colon = item.find(':');
        const std::string mode = item.substr(0, colon);
        const std::string label = colon == std::string::npos ? mode : item.substr(colon + 1);
        if (mode != "full" && mode != "area") {
            std::fprintf(stderr, "unknown mode %s (full or area)\n", mode.c_str());
            return 2;
        }
        PlayedRecording recording;
        if (!RecordPlayedClip(clip, mode == "area" ? 1 : 0, repeats, prefix + "." + label + ".gif", recording))
            return 1;
        PrintRecordingLine(clip, label, recording);
    }
    return 0;
}
