#include "tests/support/reference_lzw.h"

namespace {

struct BitReader {
    const uint8_t* data;
    size_t length;
    size_t bitPosition;

    bool Read(int width, int* code)
    {
        if (bitPosition + width > length * 8)
            return false;
        int value = 0;
        for (int i = 0; i < width; i++, bitPosition++)
            value |= ((data[bitPosition / 8] >> (bitPosition % 8)) & 1) << i;
        *code = value;
        return true;
    }
};

}  // namespace

bool ReferenceLzwDecode(const uint8_t* stream, size_t length, size_t maxOutput,
                        std::vector<uint8_t>* out, LzwTrace* trace, int minCodeSize)
{
    if (minCodeSize < 2 || minCodeSize > 8)
        return false;
    const int kClear = 1 << minCodeSize, kEnd = kClear + 1, kFirstWidth = minCodeSize + 1;
    std::vector<int> prefix(4096, -1);
    std::vector<uint8_t> suffix(4096), first(4096);
    for (int i = 0; i < kClear; i++) {
        suffix[i] = static_cast<uint8_t>(i);
        first[i] = static_cast<uint8_t>(i);
    }
    BitReader reader{stream, length, 0};
    int width = kFirstWidth, next = kClear + 2, previous = -1;
    bool started = false;
    std::vector<uint8_t> string;
    out->clear();

    for (;;) {
        int code;
        if (!reader.Read(width, &code)) {
            // The encoder writes the end code at the width of the last data
            // code. When that data code filled the table up to a power of
            // two, a decoder has already widened by one bit; if the stream
            // ends on a byte boundary that bit is missing. Decoders that stop
            // at the pixel count never read it; accept the narrower end code.
            if (width == kFirstWidth || !reader.Read(width - 1, &code) || code != kEnd)
                return false;
            width--;
        }
        if (trace) {
            trace->codes.push_back(code);
            trace->widths.push_back(width);
        }
        if (!started && code != kClear)
            return false;
        started = true;
        if (code == kClear) {
            width = kFirstWidth;
            next = kClear + 2;
            previous = -1;
            continue;
        }
        if (code == kEnd)
            return true;
        if (previous < 0) {
            if (code >= kClear)
                return false;
            out->push_back(static_cast<uint8_t>(code));
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= 4096))
            return false;
        int walk = code == next ? previous : code;
        string.clear();
        for (int c = walk; c >= 0; c = prefix[c])
            string.push_back(suffix[c]);
        uint8_t head = string.back();
        if (code == next)
            string.insert(string.begin(), first[previous]);
        if (out->size() + string.size() > maxOutput)
            return false;
        out->insert(out->end(), string.rbegin(), string.rend());
        if (next < 4096) {
            prefix[next] = previous;
            suffix[next] = code == next ? first[previous] : head;
            first[next] = first[previous];
            next++;
            if (next == (1 << width) && width < 12)
                width++;
        }
        previous = code;
    }
}
