#pragma once
// The Windows calls the program makes, with their Windows names, types and
// constants, provided on Linux: the window and region calls by platform/x11, the
// file calls by the files beside this one. For the arguments the program passes, each
// does what its Windows original does; asked for more than that, it raises a run-time
// error rather than quietly doing less. The Windows build includes windows.h instead
// (platform/win32/winapi.h), found by the same name through its include path.

#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = std::uint32_t;
using LPCSTR = const char*;
using LPSTR = char*;

using HWND = struct HWND__*;
using HRGN = struct HRGN__*;
using HGDIOBJ = void*;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(std::intptr_t{-1});
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOACTIVATE = 0x0010;

constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr WPARAM HTCAPTION = 2;

constexpr int RGN_OR = 2;
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// user32
BOOL GetCursorPos(POINT* point);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ReleaseCapture();
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);

// gdi32
HRGN CreateRectRgn(int left, int top, int right, int bottom);
int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
BOOL DeleteObject(HGDIOBJ object);

// kernel32
DWORD GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength);
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                               LPSTR buffer, DWORD bufferLength, LPCSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
