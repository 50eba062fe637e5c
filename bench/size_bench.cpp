// File size, time and picture quality of recordings stored as whole frames
// against recordings stored as changed areas, on screen-like and photo-like
// clips.
//
//   pixlo_size_bench record OUTDIR [REPEATS]
//     makes every clip, writes its frames as OUTDIR/CLIP/f000.ppm ..., records
//     it in each mode to OUTDIR/CLIP.MODE.gif and prints one tab-separated
//     line per clip and mode:
//       clip width height frames mode bytes ms_per_frame ms_per_later_frame
//       later_area_percent store_bytes_per_frame store_mb_per_minute
//     (the store's bytes for one minute of ticks like the clip's at 10 per
//     second: records and their code streams, the array's slack not counted)
//   pixlo_size_bench record-frames FRAMEDIR OUTPREFIX [REPEATS [MODES]]
//     the same for frames from disk (FRAMEDIR/f000.ppm ..., e.g. recorded
//     from real programs): OUTPREFIX.full.gif and OUTPREFIX.area.gif and
//     one line each (record_frames.h)
//   pixlo_size_bench score FRAMEDIR FILE.gif
//     decodes FILE.gif with giflib, composing its frames as a viewer does,
//     and compares the picture shown at each source frame's time (10 frames
//     per second) with FRAMEDIR's frames: mean_psnr_db min_frame_psnr_db
//     pooled_psnr_db still_one_colour_percent. The mean is of the frames'
//     PSNR, a frame shown without error counting as 99 dB; pooled is the
//     PSNR of the mean squared error over all frames (one bad frame weighs
//     more there than in the mean); still% is, of the pixels that never
//     change in the source, the share that shows one colour through the
//     whole animation.
//     PIXLO_SCORE_FRAMES=1 also prints each frame's PSNR on standard error;
//     PIXLO_SCORE_DUMP=DIR writes the shown pictures as DIR/shown000.ppm ...
//
// Modes: "full" stores every changed frame whole (optimize=0), "area" the
// rectangle that changed (optimize=1); both run the real capture loop over a
// fake screen whose clock moves only when the loop waits. Times are the
// thread's processor time, so other work on the machine does not count.

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/record_frames.h"
#include "tests/support/synthetic_frames.h"

namespace {

constexpr int32_t kFps = 10;

using Frame = std::vector<uint8_t>;
using Clip = PlayedClip;

void PutPixel(Frame& f, int32_t width, int32_t x, int32_t y, uint8_t b, uint8_t g, uint8_t r)
{
    uint8_t* p = &f[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = 0;
}

// A still desktop with a window-sized block dragged across it.
Clip MovingWindow(int32_t width, int32_t height, int32_t frames)
{
    Clip clip{"window", width, height, {}};
    const int32_t speed = width / 360 > 0 ? width / 360 : 1;  // ScreenLikeFrame moves 7 px per step
    for (int32_t k = 0; k < frames; k++)
        clip.frames.push_back(ScreenLikeFrame(width, height, k * speed));
    return clip;
}

// Nothing moves: every tick after the first only lengthens the first frame,
// so its time is what a tick costs besides encoding.
Clip Still(int32_t width, int32_t height, int32_t frames)
{
    return Clip{"still", width, height, std::vector<Frame>(static_cast<size_t>(frames), ScreenLikeFrame(width, height, 0))};
}

// Text typed into a still document, two characters a frame, with a caret
// that blinks every five frames.
Clip Typing(int32_t width, int32_t height, int32_t frames)
{
    Clip clip{"typing", width, height, {}};
    const Frame still = ScreenLikeFrame(width, height, 0);
    const int32_t line = height - 16;
    const int32_t first = width / 4 + 8;
    for (int32_t k = 0; k < frames; k++) {
        Frame f = still;
        const int32_t typed = 2 * k;
        for (int32_t c = 0; c < typed; c++) {
            const int32_t left = first + (c % ((width * 3 / 4 - 24) / 6)) * 6;
            for (int32_t cy = 0; cy < 7; cy++)
                for (int32_t cx = 0; cx < 5; cx++) {
                    uint32_t h = static_cast<uint32_t>(c) * 2654435761u + static_cast<uint32_t>(cx * 7 + cy) * 40503u;
                    if (((h ^ (h >> 13)) & 3) == 0 || cx == 0)
                        PutPixel(f, width, left + cx, line + cy, 40, 30, 30);
                }
        }
        if ((k / 5) % 2 == 0) {
            const int32_t caret = first + (typed % ((width * 3 / 4 - 24) / 6)) * 6;
            for (int32_t y = line - 1; y < line + 9; y++)
                PutPixel(f, width, caret, y, 0, 0, 0);
        }
        clip.frames.push_back(std::move(f));
    }
    return clip;
}

// The document area scrolls up through a long page; the title bar and the
// side panel stay.
Clip Scrolling(int32_t width, int32_t height, int32_t frames)
{
    Clip clip{"scroll", width, height, {}};
    const Frame still = ScreenLikeFrame(width, height, 0);
    const int32_t tallHeight = 3 * height;
    const Frame page = ScreenLikeFrame(width, tallHeight, 0);
    const int32_t titleHeight = height / 10 + 1;
    const int32_t pageTop = tallHeight / 10 + 1;
    const int32_t step = 3 * (height / 240 > 0 ? height / 240 : 1);
    const int32_t left = width / 4;
    for (int32_t k = 0; k < frames; k++) {
        Frame f = still;
        for (int32_t y = titleHeight; y < height; y++) {
            const int32_t from = pageTop + (y - titleHeight) + k * step;
            std::memcpy(&f[(static_cast<size_t>(y) * width + left) * 4],
                        &page[(static_cast<size_t>(from) * width + left) * 4],
                        static_cast<size_t>(width - left) * 4);
        }
        clip.frames.push_back(std::move(f));
    }
    return clip;
}

// A camera pan over a photograph: every pixel changes every frame.
Clip PhotoPan(int32_t width, int32_t height, int32_t frames)
{
    Clip clip{"photo_pan", width, height, {}};
    const int32_t step = 4 * (width / 360 > 0 ? width / 360 : 1);
    const int32_t bigWidth = width + step * frames;
    const int32_t bigHeight = height + step * frames / 2;
    const Frame big = PhotoLikeFrame(bigWidth, bigHeight, 7);
    for (int32_t k = 0; k < frames; k++) {
        Frame f(static_cast<size_t>(width) * height * 4);
        const int32_t x0 = k * step, y0 = k * step / 2;
        for (int32_t y = 0; y < height; y++)
            std::memcpy(&f[static_cast<size_t>(y) * width * 4],
                        &big[(static_cast<size_t>(y0 + y) * bigWidth + x0) * 4], static_cast<size_t>(width) * 4);
        clip.frames.push_back(std::move(f));
    }
    return clip;
}

void WritePpm(const std::string& path, const Frame& f, int32_t width, int32_t height)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; i++) {
        rgb[3 * i] = f[4 * i + 2];
        rgb[3 * i + 1] = f[4 * i + 1];
        rgb[3 * i + 2] = f[4 * i];
    }
    std::fwrite(rgb.data(), 1, rgb.size(), file);
    std::fclose(file);
}

int RecordAll(const std::string& outDir, int repeats)
{
    struct Shape {
        int32_t width, height, frames;
    };
    const Shape shapes[] = {{360, 240, 60}, {1920, 1080, 10}};
    Clip (*const makers[])(int32_t, int32_t, int32_t) = {Still, MovingWindow, Typing, Scrolling, PhotoPan};
    for (const Shape& shape : shapes) {
        for (auto make : makers) {
            Clip clip = make(shape.width, shape.height, shape.frames);
            clip.name += "_" + std::to_string(shape.width) + "x" + std::to_string(shape.height);
            const std::string frameDir = outDir + "/" + clip.name;
            std::error_code error;
            std::filesystem::create_directories(frameDir, error);
            if (error) {
                std::fprintf(stderr, "cannot make %s\n", frameDir.c_str());
                return 1;
            }
            for (size_t k = 0; k < clip.frames.size(); k++) {
                char name[32];
                std::snprintf(name, sizeof name, "/f%03zu.ppm", k);
                WritePpm(frameDir + name, clip.frames[k], clip.width, clip.height);
            }
            for (int32_t optimize : {0, 1}) {
                const std::string mode = optimize ? "area" : "full";
                PlayedRecording recording;
                if (!RecordPlayedClip(clip, optimize, repeats, outDir + "/" + clip.name + "." + mode + ".gif",
                                      recording))
                    return 1;
                PrintRecordingLine(clip, mode, recording);
            }
        }
    }
    return 0;
}

// The picture a viewer shows after each of a GIF's frames, as R, G, B.
struct Composed {
    int32_t width = 0, height = 0;
    std::vector<Frame> pictures;
    std::vector<int64_t> startHundredths;  // when each picture appears
};

bool Compose(const std::string& path, Composed& out)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        std::fprintf(stderr, "%s: giflib error %d\n", path.c_str(), gif ? gif->Error : error);
        return false;
    }
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    const size_t pixels = static_cast<size_t>(out.width) * out.height;
    Frame canvas(pixels * 3, 0);
    int64_t time = 0;
    for (int i = 0; i < gif->ImageCount; i++) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif, i, &gcb);
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const Frame before = canvas;
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; y++) {
            for (int x = 0; x < d.Width; x++) {
                const int index = image.RasterBits[static_cast<size_t>(y) * d.Width + x];
                const int cx = d.Left + x, cy = d.Top + y;
                if (index == gcb.TransparentColor || cx >= out.width || cy >= out.height || !map ||
                    index >= map->ColorCount)
                    continue;
                uint8_t* p = &canvas[(static_cast<size_t>(cy) * out.width + cx) * 3];
                p[0] = map->Colors[index].Red;
                p[1] = map->Colors[index].Green;
                p[2] = map->Colors[index].Blue;
            }
        }
        out.pictures.push_back(canvas);
        out.startHundredths.push_back(time);
        time += gcb.DelayTime;
        if (gcb.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = d.Top; y < d.Top + d.Height && y < out.height; y++)
                for (int x = d.Left; x < d.Left + d.Width && x < out.width; x++)
                    std::memset(&canvas[(static_cast<size_t>(y) * out.width + x) * 3], 0, 3);
        } else if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
            canvas = before;
        }
    }
    DGifCloseFile(gif, &error);
    return !out.pictures.empty();
}

int Score(const std::string& frameDir, const std::string& path)
{
    Composed composed;
    if (!Compose(path, composed))
        return 1;
    std::vector<Frame> source;
    for (int k = 0;; k++) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%03d.ppm", k);
        Frame rgb;
        int32_t w = 0, h = 0;
        if (!ReadPpm(frameDir + name, rgb, w, h))
            break;
        if (w != composed.width || h != composed.height) {
            std::fprintf(stderr, "%s: %dx%d, source %dx%d\n", path.c_str(), composed.width, composed.height, w, h);
            return 1;
        }
        source.push_back(std::move(rgb));
    }
    if (source.empty())
        return 1;
    const size_t values = source[0].size();
    std::vector<uint8_t> sourceStill(values / 3, 1), shownStill(values / 3, 1);
    double totalError = 0, totalPsnr = 0, worstFrame = 1e9;
    const Frame* firstShown = nullptr;
    size_t shown = 0;
    for (size_t k = 0; k < source.size(); k++) {
        // The picture on screen at the source frame's time.
        const int64_t at = static_cast<int64_t>(k) * (100 / kFps);
        while (shown + 1 < composed.pictures.size() && composed.startHundredths[shown + 1] <= at)
            shown++;
        const Frame& picture = composed.pictures[shown];
        if (const char* dump = std::getenv("PIXLO_SCORE_DUMP")) {
            char name[32];
            std::snprintf(name, sizeof name, "/shown%03zu.ppm", k);
            Frame bgrx(picture.size() / 3 * 4);
            for (size_t p = 0; p < picture.size() / 3; p++) {
                bgrx[4 * p] = picture[3 * p + 2];
                bgrx[4 * p + 1] = picture[3 * p + 1];
                bgrx[4 * p + 2] = picture[3 * p];
            }
            WritePpm(dump + std::string(name), bgrx, composed.width, composed.height);
        }
        if (!firstShown)
            firstShown = &picture;
        double error = 0;
        for (size_t i = 0; i < values; i++) {
            const double d = static_cast<double>(picture[i]) - source[k][i];
            error += d * d;
        }
        for (size_t p = 0; p < values / 3; p++) {
            if (std::memcmp(&source[k][3 * p], &source[0][3 * p], 3) != 0)
                sourceStill[p] = 0;
            if (std::memcmp(&picture[3 * p], &(*firstShown)[3 * p], 3) != 0)
                shownStill[p] = 0;
        }
        const double mse = error / static_cast<double>(values);
        totalError += mse;
        const double psnr = mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99;
        if (std::getenv("PIXLO_SCORE_FRAMES"))
            std::fprintf(stderr, "frame %zu: %.2f dB\n", k, psnr);
        worstFrame = std::min(worstFrame, psnr);
        totalPsnr += std::min(psnr, 99.0);
    }
    const double mse = totalError / static_cast<double>(source.size());
    size_t still = 0, kept = 0;
    for (size_t p = 0; p < sourceStill.size(); p++) {
        still += sourceStill[p];
        kept += sourceStill[p] && shownStill[p];
    }
    std::printf("%.2f\t%.2f\t%.2f\t%.1f\n", totalPsnr / static_cast<double>(source.size()), worstFrame,
                mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0,
                still ? 100.0 * static_cast<double>(kept) / static_cast<double>(still) : 100.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "record") == 0)
        return RecordAll(argv[2], argc >= 4 ? std::atoi(argv[3]) : 3);
    if (argc >= 4 && std::strcmp(argv[1], "record-frames") == 0)
        return RecordFramesCommand(argc - 2, argv + 2);
    if (argc == 4 && std::strcmp(argv[1], "score") == 0)
        return Score(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s record OUTDIR [REPEATS] | record-frames FRAMEDIR OUTPREFIX [REPEATS [MODES]] | score FRAMEDIR FILE.gif\n", argv[0]);
    return 2;
}
