#include "common/platform_api_win.h"

PlatformApi platformApi;

namespace {

template <typename Function>
void Lookup(Function*& entry, HMODULE library, const char* name)
{
    entry = library ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                    : nullptr;
}

}  // namespace

void FillPlatformApi()
{
    // Libraries stay loaded for the life of the process: the entries are
    // called until it ends.
    HMODULE user32 = LoadLibraryA("user32.dll");
    HMODULE winmm = LoadLibraryA("winmm.dll");
    HMODULE gdiplus = LoadLibraryA("gdiplus.dll");
    HMODULE ole32 = LoadLibraryA("ole32.dll");
    HMODULE comdlg32 = LoadLibraryA("comdlg32.dll");
    HMODULE kernel32 = LoadLibraryA("kernel32.dll");

    PlatformApi& api = platformApi;
    Lookup(api.SetLayeredWindowAttributes, user32, "SetLayeredWindowAttributes");
    Lookup(api.timeBeginPeriod, winmm, "timeBeginPeriod");
    Lookup(api.timeEndPeriod, winmm, "timeEndPeriod");
    Lookup(api.GdiplusStartup, gdiplus, "GdiplusStartup");
    Lookup(api.GdiplusShutdown, gdiplus, "GdiplusShutdown");
    Lookup(api.GdipCreateBitmapFromFile, gdiplus, "GdipCreateBitmapFromFile");
    Lookup(api.GdipCreateBitmapFromStream, gdiplus, "GdipCreateBitmapFromStream");
    Lookup(api.GdipDisposeImage, gdiplus, "GdipDisposeImage");
    Lookup(api.GdipGetImageWidth, gdiplus, "GdipGetImageWidth");
    Lookup(api.GdipGetImageHeight, gdiplus, "GdipGetImageHeight");
    Lookup(api.GdipBitmapLockBits, gdiplus, "GdipBitmapLockBits");
    Lookup(api.GdipBitmapUnlockBits, gdiplus, "GdipBitmapUnlockBits");
    Lookup(api.CreateStreamOnHGlobal, ole32, "CreateStreamOnHGlobal");
    Lookup(api.GetSaveFileNameA, comdlg32, "GetSaveFileNameA");
    Lookup(api.TrackMouseEvent, user32, "TrackMouseEvent");
    Lookup(api.GetCursorInfo, user32, "GetCursorInfo");
    Lookup(api.DrawIconEx, user32, "DrawIconEx");
    Lookup(api.GetPrivateProfileIntA, kernel32, "GetPrivateProfileIntA");
    Lookup(api.WritePrivateProfileStringA, kernel32, "WritePrivateProfileStringA");
}
