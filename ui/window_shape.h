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

// How far around the client the input shape reaches: past any window
// manager's title bar and borders.
constexpr int32_t kFrameReach = 512;

// What takes the pointer: the toolbar band and the margin ring the window is
// resized by; the recording area, its guides and label included, lets
// clicks through. The band of kFrameReach around the client is in it too:
// the client never takes the pointer outside itself, but a window manager
// that copies the client's input shape onto its frame (openbox does) would
// otherwise leave its own title bar, close box and borders click-through.
int32_t InputShape(int32_t clientWidth, int32_t clientHeight, Box* boxes);

// The sizing edge a margin hit code drags (kEdgeLeft .. kEdgeBottomRight), 0
// for a code that sizes nothing.
int32_t SizingEdgeForHit(int32_t hit);

// The window's outer rectangle while its margin is dragged by (dx, dy) from
// start: the dragged sides follow the pointer, the window never goes below a
// 64 x 64 viewfinder (the opposite sides stay), and with shift the
// viewfinder keeps the shape of base, the recording area the drag began with.
Edges DraggedOuter(int32_t edge, Edges start, int32_t dx, int32_t dy, FrameExtra extra, int32_t shift,
                   int32_t baseWidth, int32_t baseHeight);
