// Decodes PNG files with the platform's watermark loader and writes each
// image's raw B, G, R, A pixels, so that the Windows (GDI+) and the native
// (libpng) decoders can be compared byte for byte.
//   pixlo_png_dump OUT_FOLDER FILE.png...
// Prints "NAME WIDTHxHEIGHT" or "NAME FAIL" per file.
#include <cstdio>
#include <cstring>
#include <string>

#include "image/watermark.h"
#include "tools/tool_platform.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: pixlo_png_dump OUT_FOLDER FILE.png...\n");
        return 1;
    }
    InitToolPlatform();
    int failures = 0;
    for (int i = 2; i < argc; i++) {
        std::string path = argv[i];
        std::string name = path.substr(path.find_last_of("/\\") + 1);
        if (!LoadWatermarkFile(path.c_str())) {
            std::printf("%s FAIL\n", name.c_str());
            failures++;
            continue;
        }
        std::string out = std::string(argv[1]) + "/" + name + ".bgra";
        FILE* file = std::fopen(out.c_str(), "wb");
        size_t bytes = static_cast<size_t>(watermarkImage.width) * watermarkImage.height * 4;
        if (!file || std::fwrite(watermarkImage.pixels, 1, bytes, file) != bytes) {
            std::printf("%s FAIL (write)\n", name.c_str());
            failures++;
        } else {
            std::printf("%s %dx%d\n", name.c_str(), watermarkImage.width, watermarkImage.height);
        }
        if (file)
            std::fclose(file);
    }
    return failures ? 2 : 0;
}
