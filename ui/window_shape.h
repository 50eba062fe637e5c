#pragma once
// The parts of the main window that an X server without blending must keep
// as the window's shape: everything else of the viewfinder is cut out, so it
// shows and takes the clicks of whatever lies beneath.

#include <cstdint>

#include "ui/main_layout.h"

// The client size that holds a recording area of viewfinderWidth x
// viewfinderHeight: the toolbar above it and the margin ring around it.
struct ClientSize {
    int32_t width;
    int32_t height;
};
ClientSize ClientSizeForViewfinder(int32_t viewfinderWidth, int32_t viewfinderHeight);

// At most this many boxes make up a shape.
constexpr int32_t kShapeBoxesMax = 32;

// The drawn pixels of a client of W x H: the toolbar with its separator, the
// margin ring with the outline and, while idle, the guides (with showGuides) and the
// size label (labelBox, right and bottom inclusive). Returns the count.
int32_t VisibleShape(int32_t clientWidth, int32_t clientHeight, int32_t recording, int32_t showGuides,
                     Edges labelBox, Box* boxes);

// What takes the pointer: the toolbar band and the margin ring the window is
// resized by; the recording area, its guides and label included, lets
// clicks through.
int32_t InputShape(int32_t clientWidth, int32_t clientHeight, Box* boxes);
