// The portable paint list, drawn with GDI onto a memory DC, against the real
// main window on the screen, its buttons and status line being controls of
// their own: the two pictures are the same pixel for pixel in every state
// that changes the picture, so the list the native window draws with cairo
// holds every element of the Windows window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "tests/ui/canvas_win.h"
#include "tests/ui/main_window_picture_win.h"
#include "ui/main_paint.h"
#include "ui/shell_texts.h"
#include "ui/toolbar_look.h"
#include "ui/win32/gdi_draw.h"

namespace {

char progressText[kStatusTextSize], doneText[kStatusTextSize], savedText[kStatusTextSize];

// The states that change the picture, with the product's own texts; the
// saved text is too long for the status line and wraps past its bottom.
std::vector<MainPictureState> States()
{
    FormatProgressText(progressText, sizeof progressText, 37, 3725);
    FormatDoneText(doneText, sizeof doneText, 12, 240, 180);
    FormatSavedText(savedText, sizeof savedText,
                    "C:\\Users\\someone\\Pictures\\a rather long folder name\\pixlo-20261211-062055.gif", 5, 480,
                    360);
    return {
        {"idle, no frames, guides", 400, 300, 0, 0, 0, 1, "", -1, -1},
        {"idle, frames, no guides", 400, 300, 0, 0, 12, 0, doneText, -1, -1},
        {"recording", 400, 300, 1, 0, 37, 1, progressText, -1, -1},
        {"stopping", 400, 300, 1, 1, 37, 1, kStatusStopping, -1, -1},
        {"long status, hovered settings", 700, 420, 0, 0, 5, 1, savedText, kButtonSettings, -1},
        {"pressed record, hovered generate", 300, 200, 0, 0, 1, 0, kStatusNoFrames, kButtonGenerate, kButtonRecord},
        {"hovered record while recording", 400, 300, 1, 0, 2, 0, kStatusRecording, kButtonRecord, -1},
    };
}

TEST(MainPaintList, DrawsTheWindowsWindowsPicture)
{
    const Settings saved = settings;
    MainWindowOnScreen screen;
    for (const MainPictureState& state : States()) {
        screen.Show(state);
        Canvas real(state.width, state.height), list(state.width, state.height);
        screen.Read(&real, state.width, state.height);
        const MainPicture picture = {state.width,
                                     state.height,
                                     ButtonStatesFor(state.recording, state.stopRequest, state.frames),
                                     state.hovered,
                                     state.pressed,
                                     state.status,
                                     state.recording,
                                     state.guides,
                                     kColourKey,
                                     GetSysColor(COLOR_BTNFACE)};
        PaintMainWindow(GdiDrawOn(list.dc), picture);
        screen.Close();

        int differing = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < state.height; y++)
            for (int x = 0; x < state.width; x++)
                if (real.At(x, y) != list.At(x, y) && differing++ == 0) {
                    firstX = x;
                    firstY = y;
                }
        EXPECT_EQ(differing, 0) << state.name << ": first at (" << firstX << ", " << firstY << ")";
        // A window that drew nothing would match nothing: its toolbar is there.
        EXPECT_EQ(Rgb(real.At(1, 1)), Rgb(kToolbarColour)) << state.name;
    }
    settings = saved;
}

}  // namespace
