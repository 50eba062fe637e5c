#pragma once
// The toolbar's four owner-drawn buttons and the status line: where they sit,
// when each is enabled, how each look is coloured, where the dot and the text
// go, and which button is drawn hovered.

#include <cstdint>

constexpr int32_t ID_RECORD = 1007;
constexpr int32_t ID_STOP = 1008;
constexpr int32_t ID_GENERATE = 1009;
constexpr int32_t ID_STATUS = 1010;
constexpr int32_t ID_SETTINGS = 1011;

enum ToolbarButton : int32_t {
    kButtonRecord,
    kButtonStop,
    kButtonGenerate,
    kButtonSettings,
    kToolbarButtonCount,
};

struct ToolbarButtonSpec {
    int32_t id;
    int32_t x;           // client pixels; every button at y 5, 52 x 26
    const char* text;    // the button's own text (GBK in the product)
    int32_t hasDot;      // Record and Stop show a dot before their text
};

constexpr int32_t kButtonTop = 5;
constexpr int32_t kButtonWidth = 52;
constexpr int32_t kButtonHeight = 26;
extern const ToolbarButtonSpec kToolbarButtons[kToolbarButtonCount];

constexpr int32_t kStatusLeft = 244;
constexpr int32_t kStatusTop = 9;
constexpr int32_t kStatusWidth = 420;
constexpr int32_t kStatusHeight = 20;

// The button of a control identifier, or -1 for any other identifier.
int32_t ToolbarButtonOf(int32_t id);

// Which buttons are enabled, in the order Record, Stop, Generate, Settings.
struct ButtonEnables {
    int32_t enabled[kToolbarButtonCount];
};
// The states that follow from the recording flag, the stop request and the
// frame count: idle (Record, Settings, and Generate with frames), recording
// (Stop only) or stopping (none, until the capture thread has ended). A stop
// request left over from an ended recording means nothing.
ButtonEnables ButtonStatesFor(int32_t recording, int32_t stopRequested, int32_t frameCount);

enum ButtonLookKind : int32_t {
    kLookNormal,
    kLookHovered,
    kLookPressed,
    kLookDisabled,
};

// Hovered only when neither pressed nor disabled; disabled before pressed.
ButtonLookKind ChooseButtonLook(int32_t hovered, int32_t pressed, int32_t disabled);

struct ButtonLook {
    uint32_t fill;    // 0x00BBGGRR
    uint32_t border;
    uint32_t text;
    uint32_t dot;     // meaningful when hasDot
    int32_t hasDot;
};
ButtonLook ButtonLookOf(int32_t button, ButtonLookKind kind);

// Inside an item rectangle (right and bottom exclusive): the dot's bounding
// box, and where the text starts. Record and Stop: text left-aligned from
// textLeft; Generate and Settings: centred, textLeft unused.
struct ButtonContent {
    int32_t dotLeft, dotTop, dotRight, dotBottom;
    int32_t textLeft;
    int32_t centred;
};
ButtonContent ButtonContentIn(int32_t button, int32_t left, int32_t top, int32_t right, int32_t bottom);

// The hovered button and the one leave-tracking flag for all four buttons;
// windows are opaque handles here.
struct ButtonHover {
    void* hovered;
    int32_t leaveTracking;
};

// What a mouse message asks of the button procedure.
enum HoverAction : int32_t {
    kHoverRepaint = 1,     // invalidate this button with erasing
    kHoverTrackLeave = 2,  // request a leave notice for this button
};
// canTrack: the platform can deliver leave notices. The flag is set when a
// notice is asked for, whatever the request returns.
int32_t HoverOnMouseMove(ButtonHover* hover, void* button, int32_t canTrack);
int32_t HoverOnMouseLeave(ButtonHover* hover, void* button);
