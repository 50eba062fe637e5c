#pragma once
// Optional platform entry points, looked up at start-up with LoadLibraryA and
// GetProcAddress. An entry is null where the system lacks the function; every
// caller that can do without it tests it and skips its step. Filled once,
// before any other thread exists, and read-only afterwards.

#include <windows.h>
#include <commdlg.h>
#include <objidl.h>

// The GDI+ flat API's own types, declared here so that no GDI+ header with
// its C++ wrappers is needed.
using GpStatus = int;
using GpBitmap = void;
using GpImage = void;

struct GdiplusStartupInputRecord {
    UINT32 GdiplusVersion;
    void* DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};

struct GdipBitmapData {
    UINT Width;
    UINT Height;
    INT Stride;
    INT PixelFormat;
    void* Scan0;
    UINT_PTR Reserved;
};

constexpr INT kPixelFormat32bppARGB = 0x26200A;
constexpr UINT kImageLockModeRead = 1;

struct PlatformApi {
    BOOL(WINAPI* SetLayeredWindowAttributes)(HWND, COLORREF, BYTE, DWORD);
    UINT(WINAPI* timeBeginPeriod)(UINT);
    UINT(WINAPI* timeEndPeriod)(UINT);
    GpStatus(WINAPI* GdiplusStartup)(ULONG_PTR*, const GdiplusStartupInputRecord*, void*);
    void(WINAPI* GdiplusShutdown)(ULONG_PTR);
    GpStatus(WINAPI* GdipCreateBitmapFromFile)(const WCHAR*, GpBitmap**);
    GpStatus(WINAPI* GdipCreateBitmapFromStream)(IStream*, GpBitmap**);
    GpStatus(WINAPI* GdipDisposeImage)(GpImage*);
    GpStatus(WINAPI* GdipGetImageWidth)(GpImage*, UINT*);
    GpStatus(WINAPI* GdipGetImageHeight)(GpImage*, UINT*);
    GpStatus(WINAPI* GdipBitmapLockBits)(GpBitmap*, const void* rect, UINT flags, INT format, GdipBitmapData*);
    GpStatus(WINAPI* GdipBitmapUnlockBits)(GpBitmap*, GdipBitmapData*);
    HRESULT(WINAPI* CreateStreamOnHGlobal)(HGLOBAL, BOOL, IStream**);
    BOOL(WINAPI* GetSaveFileNameA)(OPENFILENAMEA*);
    BOOL(WINAPI* TrackMouseEvent)(TRACKMOUSEEVENT*);
    BOOL(WINAPI* GetCursorInfo)(CURSORINFO*);
    BOOL(WINAPI* DrawIconEx)(HDC, int, int, HICON, int, int, UINT, HBRUSH, UINT);
    UINT(WINAPI* GetPrivateProfileIntA)(LPCSTR, LPCSTR, INT, LPCSTR);
    BOOL(WINAPI* WritePrivateProfileStringA)(LPCSTR, LPCSTR, LPCSTR, LPCSTR);
};

extern PlatformApi platformApi;

// Start-up's first step: looks every entry up in its system library.
void FillPlatformApi();
