// Records the changed-area scenes on the fake screen through the capture loop
// and writes, per scene, the GIF and the pictures a viewer must show after
// each of its frames (R, G, B, frame after frame), composed by the tests' own
// reader: for comparing other decoders with it.
#include <cstdio>
#include <string>

#include "encoder/frame_store.h"
#include "tests/support/area_scenes.h"
#include "tests/support/files.h"
#include "tests/support/gif_frames.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::printf("usage: pixlo_area_sample folder\n");
        return 1;
    }
    const std::string folder = argv[1];
    int scene = 0;
    for (const AreaScene& s : AreaScenes()) {
        const std::string base = folder + "/scene-" + std::to_string(scene++);
        ClearFrames();
        const AreaRecording rec = RecordScene(s, 1, base + ".gif");
        GifAnimation gif;
        std::string error;
        if (rec.file.empty() || !ReadGifAnimation(rec.file, &gif, &error)) {
            std::printf("FAIL: %s: %s\n", s.name, rec.file.empty() ? "not written" : error.c_str());
            return 2;
        }
        std::vector<uint8_t> rgb;
        for (const std::vector<uint8_t>& picture : ComposeGifPictures(gif))
            for (size_t p = 0; p < picture.size(); p += 4)
                rgb.insert(rgb.end(), picture.begin() + static_cast<long>(p), picture.begin() + static_cast<long>(p) + 3);
        WriteWholeFile(base + ".rgb", rgb);
        std::printf("%s %d %d %zu %s\n", base.c_str(), gif.width, gif.height, gif.images.size(), s.name);
    }
    ClearFrames();
    return 0;
}
