#pragma once
// The watermark PNG compiled into the native build (resources/watermark.png);
// the Windows build carries the same file as resource RT_RCDATA 200.

#include <cstddef>
#include <cstdint>

extern const uint8_t kEmbeddedWatermarkPng[];
extern const size_t kEmbeddedWatermarkPngSize;
