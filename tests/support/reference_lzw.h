#pragma once
// A plain GIF LZW decoder (minimum code size 2..8, 8 by default), written from the GIF89a
// standard's description and independent of the encoder: it is the judge of
// streams in the tests that also run under Wine, where giflib is absent.

#include <cstddef>
#include <cstdint>
#include <vector>

struct LzwTrace {
    std::vector<int> codes;   // every code read, clear and end codes included
    std::vector<int> widths;  // the width each was read at
};

// Decodes a stream that must begin with a clear code and end with the end
// code. Returns false on any malformed code or when the output would exceed
// maxOutput. trace may be null.
bool ReferenceLzwDecode(const uint8_t* stream, size_t length, size_t maxOutput,
                        std::vector<uint8_t>* out, LzwTrace* trace, int minCodeSize = 8);
