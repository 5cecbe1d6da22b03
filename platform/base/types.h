// Basic types of the platform layer: the integer widths, rectangles, points,
// colours and handles that the game and the animation library exchange with
// their operating-system services.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = unsigned int;
using HRESULT = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ATOM = WORD;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// A colour as red in the lowest byte, then green, then blue; the top byte is
// not part of the colour.
using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

// Opaque handles: each kind is a pointer to a distinct incomplete type, so
// that handles of different kinds never mix silently.
#define VARNO_DECLARE_HANDLE(name) \
    struct name##__;               \
    using name = name##__*
VARNO_DECLARE_HANDLE(HWND);
VARNO_DECLARE_HANDLE(HINSTANCE);
VARNO_DECLARE_HANDLE(HMENU);
VARNO_DECLARE_HANDLE(HDC);
VARNO_DECLARE_HANDLE(HBITMAP);
VARNO_DECLARE_HANDLE(HFONT);
VARNO_DECLARE_HANDLE(HBRUSH);
VARNO_DECLARE_HANDLE(HPEN);
VARNO_DECLARE_HANDLE(HPALETTE);
VARNO_DECLARE_HANDLE(HICON);
VARNO_DECLARE_HANDLE(HCURSOR);
VARNO_DECLARE_HANDLE(HACCEL);
VARNO_DECLARE_HANDLE(HRSRC);
VARNO_DECLARE_HANDLE(HGLOBAL);
VARNO_DECLARE_HANDLE(HKEY);
VARNO_DECLARE_HANDLE(HRGN);
#undef VARNO_DECLARE_HANDLE
using HMODULE = HINSTANCE;
using HANDLE = void*;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi)
{
    return static_cast<LPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}
