#pragma once
// The smallest rectangle of a composed frame that differs from the previous
// one, so that a frame can be stored as that rectangle over the picture the
// viewer already shows.

#include <cstdint>

struct ChangedArea {
    int32_t left;
    int32_t top;
    int32_t width;   // 0 (with height 0) when nothing changed
    int32_t height;
};

// prev and next are width x height pixels of 4 bytes, rows packed; a pixel
// counts as changed when any of its 4 bytes differs. Rows above firstRow are
// taken as equal: a caller that has already compared the frames up to a row
// passes it, so an unchanged frame is read once and a changed one no more
// than the rows the rectangle needs.
ChangedArea FindChangedArea(const uint8_t* prev, const uint8_t* next,
                            int32_t width, int32_t height, int32_t firstRow = 0);
