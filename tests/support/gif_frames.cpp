#include "tests/support/gif_frames.h"

#include <cstring>

#include "tests/support/reference_lzw.h"

namespace {

struct Reader {
    const std::vector<uint8_t>& bytes;
    size_t at = 0;

    bool Has(size_t n) const { return at + n <= bytes.size(); }
    int Byte() { return bytes[at++]; }
    int Le16()
    {
        int value = bytes[at] | (bytes[at + 1] << 8);
        at += 2;
        return value;
    }
};

// Joins the sub-blocks that follow into one run; false when they are cut off.
bool ReadSubBlocks(Reader& r, std::vector<uint8_t>* joined)
{
    for (;;) {
        if (!r.Has(1))
            return false;
        const int size = r.Byte();
        if (size == 0)
            return true;
        if (!r.Has(static_cast<size_t>(size)))
            return false;
        if (joined)
            joined->insert(joined->end(), r.bytes.begin() + static_cast<long>(r.at),
                           r.bytes.begin() + static_cast<long>(r.at + size));
        r.at += static_cast<size_t>(size);
    }
}

// Interlaced rows come in four passes: every 8th from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
std::vector<uint8_t> Deinterlace(const std::vector<uint8_t>& stored, int32_t width, int32_t height)
{
    std::vector<uint8_t> rows(stored.size());
    const int32_t starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    size_t from = 0;
    for (int pass = 0; pass < 4; pass++)
        for (int32_t y = starts[pass]; y < height; y += steps[pass], from += static_cast<size_t>(width))
            std::memcpy(&rows[static_cast<size_t>(y) * width], &stored[from], static_cast<size_t>(width));
    return rows;
}

bool Fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

}  // namespace

bool ReadGifAnimation(const std::vector<uint8_t>& file, GifAnimation* out, std::string* error)
{
    Reader r{file};
    *out = GifAnimation{};
    if (!r.Has(13) || (std::memcmp(file.data(), "GIF89a", 6) != 0 && std::memcmp(file.data(), "GIF87a", 6) != 0))
        return Fail(error, "no GIF signature");
    r.at = 6;
    out->width = r.Le16();
    out->height = r.Le16();
    const int screenFlags = r.Byte();
    r.at += 2;  // background index, aspect ratio
    std::vector<uint8_t> globalTable;
    if (screenFlags & 0x80) {
        const size_t size = 3u << ((screenFlags & 7) + 1);
        if (!r.Has(size))
            return Fail(error, "global colour table cut off");
        globalTable.assign(file.begin() + static_cast<long>(r.at), file.begin() + static_cast<long>(r.at + size));
        r.at += size;
    }

    GifImage pending;  // carries the graphic control to the next image
    for (;;) {
        if (!r.Has(1))
            return Fail(error, "no trailer");
        const int introducer = r.Byte();
        if (introducer == 0x3B)
            return true;
        if (introducer == 0x21) {
            if (!r.Has(1))
                return Fail(error, "extension cut off");
            const int label = r.Byte();
            std::vector<uint8_t> body;
            if (!ReadSubBlocks(r, &body))
                return Fail(error, "extension sub-blocks cut off");
            if (label == 0xF9) {
                if (body.size() != 4)
                    return Fail(error, "graphic control of " + std::to_string(body.size()) + " bytes");
                pending.disposal = (body[0] >> 2) & 7;
                pending.transparent = (body[0] & 1) != 0;
                pending.delay = body[1] | (body[2] << 8);
                pending.transparentIndex = body[3];
            }
            continue;
        }
        if (introducer != 0x2C)
            return Fail(error, "unknown block " + std::to_string(introducer));
        if (!r.Has(9))
            return Fail(error, "image descriptor cut off");
        GifImage image = pending;
        pending = GifImage{};
        image.left = r.Le16();
        image.top = r.Le16();
        image.width = r.Le16();
        image.height = r.Le16();
        const int flags = r.Byte();
        image.interlaced = (flags & 0x40) != 0;
        if (image.left + image.width > out->width || image.top + image.height > out->height)
            return Fail(error, "image " + std::to_string(out->images.size()) + " lies outside the screen");
        if (flags & 0x80) {
            const size_t size = 3u << ((flags & 7) + 1);
            if (!r.Has(size))
                return Fail(error, "local colour table cut off");
            image.palette.assign(file.begin() + static_cast<long>(r.at), file.begin() + static_cast<long>(r.at + size));
            r.at += size;
        } else {
            image.palette = globalTable;
        }
        if (image.palette.empty())
            return Fail(error, "image without a colour table");
        if (!r.Has(1))
            return Fail(error, "LZW minimum code size cut off");
        const int minCodeSize = r.Byte();
        if (minCodeSize < 2 || minCodeSize > 8)
            return Fail(error, "LZW minimum code size " + std::to_string(minCodeSize));
        std::vector<uint8_t> stream;
        if (!ReadSubBlocks(r, &stream))
            return Fail(error, "image data cut off");
        const size_t pixels = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
        std::vector<uint8_t> indices;
        if (!ReferenceLzwDecode(stream.data(), stream.size(), pixels, &indices, nullptr, minCodeSize) || indices.size() != pixels)
            return Fail(error, "image " + std::to_string(out->images.size()) + ": LZW stream gives " +
                                   std::to_string(indices.size()) + " of " + std::to_string(pixels) + " indices");
        for (uint8_t index : indices)
            if (static_cast<size_t>(index) * 3 + 3 > image.palette.size())
                return Fail(error, "index beyond the colour table");
        image.indices = image.interlaced ? Deinterlace(indices, image.width, image.height) : std::move(indices);
        out->images.push_back(std::move(image));
    }
}

std::vector<std::vector<uint8_t>> ComposeGifPictures(const GifAnimation& animation)
{
    const size_t width = static_cast<size_t>(animation.width);
    std::vector<uint8_t> canvas(width * static_cast<size_t>(animation.height) * 4, 0);
    std::vector<std::vector<uint8_t>> pictures;
    for (const GifImage& image : animation.images) {
        const std::vector<uint8_t> before = canvas;
        for (int32_t y = 0; y < image.height; y++)
            for (int32_t x = 0; x < image.width; x++) {
                const uint8_t index = image.indices[static_cast<size_t>(y) * image.width + x];
                if (image.transparent && index == image.transparentIndex)
                    continue;
                uint8_t* to = &canvas[((image.top + y) * width + image.left + x) * 4];
                std::memcpy(to, &image.palette[index * 3u], 3);
                to[3] = 255;
            }
        pictures.push_back(canvas);
        if (image.disposal == 2) {
            for (int32_t y = 0; y < image.height; y++)
                std::memset(&canvas[((image.top + y) * width + image.left) * 4], 0, static_cast<size_t>(image.width) * 4);
        } else if (image.disposal == 3) {
            canvas = before;
        }
    }
    return pictures;
}
