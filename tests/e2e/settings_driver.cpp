// Reports the settings window's state to tests/e2e/settings_window.sh: a
// console program run under the same Wine server as pixlo.exe, reading what
// a screenshot cannot tell (client sizes, styles, owners, how many windows,
// which grips are shown).
//
//   state          key=value lines
//   close          posts WM_CLOSE to the settings window, as its close box does
//   quit           posts WM_CLOSE to the main window
//   move X Y       places the settings window's top-left corner (it opens over
//                  the main window's toolbar, where the test must press 设置)
//   extent HEX     width and height of the GBK text (hex bytes) in the
//                  window's label font (cell height 20), for reading the
//                  status line's length off a screenshot
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Found {
    HWND settings;
    int settingsCount;
    HWND grips[8];
    int gripCount;
};

BOOL CALLBACK Collect(HWND window, LPARAM parameter)
{
    Found& f = *reinterpret_cast<Found*>(parameter);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "PixloSetup") {
        f.settings = window;
        f.settingsCount++;
    } else if (std::string(name) == "PixloGrip" && f.gripCount < 8) {
        f.grips[f.gripCount++] = window;
    }
    return TRUE;
}

std::string Hex(const char* text)
{
    std::string out;
    char two[3];
    for (const char* p = text; *p; p++) {
        std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(*p));
        out += two;
    }
    return out;
}

void PrintClient(const char* key, HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("%s=%ld %ld %ld %ld\n", key, origin.x, origin.y, client.right, client.bottom);
}

void PrintOuter(const char* key, HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    std::printf("%s=%ld %ld %ld %ld\n", key, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int State()
{
    HWND main = FindWindowA("Pixlo", nullptr);
    Found f = {};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
    std::printf("main=%d\n", main ? 1 : 0);
    if (main) {
        PrintOuter("main_outer", main);
        PrintClient("main_client", main);
    }
    int visibleGrips = 0;
    for (int i = 0; i < f.gripCount; i++)
        visibleGrips += IsWindowVisible(f.grips[i]) ? 1 : 0;
    std::printf("grips=%d\ngrips_visible=%d\n", f.gripCount, visibleGrips);
    std::printf("settings_windows=%d\n", f.settingsCount);
    char foreground[64] = {};
    if (HWND front = GetForegroundWindow())
        GetClassNameA(front, foreground, sizeof foreground);
    std::printf("foreground_class=%s\n", foreground);
    if (f.settings) {
        HWND w = f.settings;
        char title[128] = {};
        GetWindowTextA(w, title, sizeof title);
        PrintOuter("settings_outer", w);
        PrintClient("settings_client", w);
        std::printf("settings_title=%s\n", Hex(title).c_str());
        std::printf("settings_style=%08lx\n", static_cast<unsigned long>(GetWindowLongA(w, GWL_STYLE)));
        std::printf("settings_exstyle=%08lx\n", static_cast<unsigned long>(GetWindowLongA(w, GWL_EXSTYLE)));
        std::printf("settings_owner_is_main=%d\n", GetWindow(w, GW_OWNER) == main ? 1 : 0);
        std::printf("settings_visible=%d\n", IsWindowVisible(w) ? 1 : 0);
        std::printf("settings_foreground=%d\n", GetForegroundWindow() == w ? 1 : 0);
    }
    return 0;
}

int Extent(const char* hex)
{
    std::string text;
    for (const char* p = hex; p[0] && p[1]; p += 2)
        text += static_cast<char>(std::strtol(std::string(p, 2).c_str(), nullptr, 16));
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             "\xce\xa2\xc8\xed\xd1\xc5\xba\xda");  // the UI face's name in GBK
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    std::printf("%ld %ld\n", size.cx, size.cy);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::string command = argv[1];
    if (command == "state")
        return State();
    if (command == "close") {
        Found f = {};
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
        return f.settings && PostMessageA(f.settings, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (command == "quit") {
        HWND main = FindWindowA("Pixlo", nullptr);
        return main && PostMessageA(main, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (command == "move" && argc == 4) {
        Found f = {};
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
        return f.settings && SetWindowPos(f.settings, nullptr, std::atoi(argv[2]), std::atoi(argv[3]), 0, 0,
                                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (command == "extent" && argc == 3)
        return Extent(argv[2]);
    std::fprintf(stderr, "unknown command %s\n", command.c_str());
    return 2;
}
