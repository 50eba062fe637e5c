// Start-up of the windowed run, through its window-creation seam.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "common/platform_api_win.h"
#include "recorder/capture.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "ui/main_layout.h"
#include "ui/shell_exit.h"
#include "ui/toolbar_look.h"
#include "ui/win32/shell_state.h"
#include "ui/win32/startup.h"

namespace {

int mainAttempts = 0;
int gripAttempts = 0;
int updateStarts = 0;

bool IsClass(LPCSTR name, const char* expected)
{
    // A class may be given as an atom, which is no text.
    return HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0 && std::strcmp(name, expected) == 0;
}

HWND WINAPI MainWindowFails(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter)
{
    if (IsClass(className, "Pixlo")) {
        mainAttempts++;
        return nullptr;
    }
    if (IsClass(className, "PixloGrip"))
        gripAttempts++;
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance, parameter);
}

int32_t CountUpdateStart(int32_t)
{
    updateStarts++;
    return 1;
}

// Without a main window nothing could end a message loop: start-up must
// return at once with its own exit code, create no grip and start no check.
TEST(StartUp, EndsAtOnceWhenTheMainWindowCannotBeCreated)
{
    FillPlatformApi();
    const ShellStartApi savedStart = shellStartApi;
    const UpdateCheckApi savedUpdate = updateCheckApi;
    const Settings savedSettings = settings;
    shellStartApi.CreateWindowExA = MainWindowFails;
    updateCheckApi.startThread = CountUpdateStart;
    settings.autocheck = 1;

    // A quit message already waiting: a message loop would take it and
    // return 0; start-up must not get that far.
    PostQuitMessage(0);
    EXPECT_EQ(RunDesktopShell(GetModuleHandleA(nullptr)), kExitNoMainWindow);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message == WM_QUIT)
        << "the message loop ran";

    EXPECT_EQ(mainAttempts, 1);
    EXPECT_EQ(gripAttempts, 0);
    EXPECT_EQ(updateStarts, 0);
    EXPECT_EQ(shellState.mainWindow, nullptr);
    EXPECT_EQ(captureWindows.mainWindow, nullptr);
    EXPECT_EQ(updateWindows.mainWindow, nullptr);
    for (HWND grip : shellState.grips)
        EXPECT_EQ(grip, nullptr);

    shellStartApi = savedStart;
    updateCheckApi = savedUpdate;
    settings = savedSettings;
}

// What the main window looked like once start-up had built it, read at the
// last grip's creation.
struct Observed {
    int createdWidth, createdHeight;  // the size the window is created with
    RECT outer;
    RECT client;
    LONG exStyle;
    COLORREF key;
    BYTE alpha;
    DWORD layeredFlags;
    BOOL layered;
    BOOL enabled[4];
    char status[64];
    int grips;
    char face[LF_FACESIZE];
    int missingGlyphs;
};
Observed observed;
HWND createdMain = nullptr;

HWND WINAPI ObserveAndClose(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter)
{
    HWND window =
        CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance, parameter);
    if (IsClass(className, "Pixlo")) {
        createdMain = window;
        observed.createdWidth = width;
        observed.createdHeight = height;
    }
    if (IsClass(className, "PixloGrip") && window && ++observed.grips == kGripCount) {
        GetWindowRect(createdMain, &observed.outer);
        GetClientRect(createdMain, &observed.client);
        observed.exStyle = GetWindowLongA(createdMain, GWL_EXSTYLE);
        observed.layered =
            GetLayeredWindowAttributes(createdMain, &observed.key, &observed.alpha, &observed.layeredFlags);
        for (int i = 0; i < 4; i++)
            observed.enabled[i] = IsWindowEnabled(shellState.buttons[i]);
        GetWindowTextA(shellState.statusLine, observed.status, sizeof observed.status);
        // The toolbar's texts in its own font: a face without these glyphs
        // draws boxes (under Wine when no CJK font stands in for it).
        HDC dc = GetDC(createdMain);
        HGDIOBJ previous = SelectObject(dc, shellState.mainFont);
        GetTextFaceA(dc, sizeof observed.face, observed.face);
        for (const ToolbarButtonSpec& button : kToolbarButtons) {
            WCHAR wide[8];
            const int length = MultiByteToWideChar(936, 0, button.text, -1, wide, 8) - 1;
            WORD glyphs[8];
            GetGlyphIndicesW(dc, wide, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
            for (int i = 0; i < length; i++)
                observed.missingGlyphs += glyphs[i] == 0xFFFF;
        }
        SelectObject(dc, previous);
        ReleaseDC(createdMain, dc);
        // As the caption's close button would: the loop then ends.
        PostMessageA(createdMain, WM_CLOSE, 0, 0);
    }
    return window;
}

// The whole windowed run with the default settings: the window start-up
// builds, and the end that closing it brings.
TEST(StartUp, BuildsTheMainWindowAndEndsWhenItCloses)
{
    FillPlatformApi();
    const ShellStartApi savedStart = shellStartApi;
    const Settings savedSettings = settings;
    shellStartApi.CreateWindowExA = ObserveAndClose;
    settings.defw = 480;
    settings.defh = 480;
    settings.autocheck = 0;

    EXPECT_EQ(RunDesktopShell(GetModuleHandleA(nullptr)), 0);

    ASSERT_NE(createdMain, nullptr);
    EXPECT_EQ(observed.grips, kGripCount);
    // Made for Windows' frame, then sized so that the viewfinder is the
    // setting's 480 x 480 on the frame the window really has (Wine's is
    // thinner): the client holds the margins and the toolbar besides.
    EXPECT_EQ(observed.createdWidth, 510);
    EXPECT_EQ(observed.createdHeight, 575);
    EXPECT_EQ(observed.client.right, 480 + 12);
    EXPECT_EQ(observed.client.bottom, 480 + 48);
    const FrameExtra extra = OuterExtraFor(observed.outer.right - observed.outer.left,
                                           observed.outer.bottom - observed.outer.top, observed.client.right,
                                           observed.client.bottom);
    EXPECT_EQ(observed.outer.right - observed.outer.left, 480 + extra.width);
    EXPECT_EQ(observed.outer.bottom - observed.outer.top, 480 + extra.height);
    EXPECT_TRUE(observed.exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(observed.exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(observed.layered);
    EXPECT_EQ(observed.key, RGB(2, 3, 4));
    EXPECT_EQ(observed.layeredFlags & LWA_COLORKEY, static_cast<DWORD>(LWA_COLORKEY));
    // Idle with nothing recorded: Record and Settings.
    EXPECT_TRUE(observed.enabled[0]);
    EXPECT_FALSE(observed.enabled[1]);
    EXPECT_FALSE(observed.enabled[2]);
    EXPECT_TRUE(observed.enabled[3]);
    EXPECT_STREQ(observed.status, "");
    EXPECT_EQ(observed.missingGlyphs, 0) << "face " << observed.face;
    EXPECT_EQ(captureWindows.mainWindow, createdMain);
    // Closed: the window and its grips are gone.
    EXPECT_FALSE(IsWindow(createdMain));
    for (HWND grip : shellState.grips)
        EXPECT_EQ(grip, nullptr);

    shellStartApi = savedStart;
    settings = savedSettings;
    captureWindows.mainWindow = nullptr;
    updateWindows.mainWindow = nullptr;
    shellState = {};
}

}  // namespace
