// The display service: video modes, the primary surface with its flipping
// chain, off-screen surfaces, blits, palettes and clippers, with the calls
// and result codes the library relies on.
//
// Surfaces are pixel buffers in memory, always stored as 32-bit XRGB
// (0x00RRGGBB, the top byte unused) whatever the mode's depth; the pixel
// format a surface reports says so. The mode's depth shows when the primary
// surface is presented: 16-bit modes are quantised to RGB565 and 8-bit modes
// to the primary surface's palette. Every listed mode can be set: the
// presenter scales the picture to whatever the screen shows.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/gdi.h"

#include <cstdint>
#include <memory>
#include <vector>

constexpr HRESULT MakeDDResult(unsigned code) { return static_cast<HRESULT>(0x88760000u | code); }
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDResult(150);
constexpr HRESULT DDERR_INVALIDMODE = MakeDDResult(180);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDResult(225);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDResult(212);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDDResult(450);
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDDResult(540);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDResult(564);
constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDDResult(572);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDDResult(582);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDResult(584);
constexpr HRESULT DDERR_WRONGMODE = MakeDDResult(587);
constexpr HRESULT DDERR_NOTFOUND = MakeDDResult(255);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDResult(215);
constexpr HRESULT DDERR_ALREADYINITIALIZED = MakeDDResult(5);
constexpr HRESULT DDERR_NOTINITIALIZED = static_cast<HRESULT>(0x80040001u);

// Cooperative levels.
constexpr DWORD DDSCL_FULLSCREEN = 0x0001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x0002;
constexpr DWORD DDSCL_NOWINDOWCHANGES = 0x0004;
constexpr DWORD DDSCL_NORMAL = 0x0008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x0010;

// Surface description fields.
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
constexpr DWORD DDSD_CKSRCBLT = 0x00010000;

// Surface capabilities.
constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_TEXTURE = 0x00001000;
constexpr DWORD DDSCAPS_3DDEVICE = 0x00002000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;

// Pixel format flags.
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x00000020;
constexpr DWORD DDPF_RGB = 0x00000040;

// Blits, flips, locks, colour keys, palettes, capabilities.
constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_KEYSRC = 0x00008000;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;
constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDLOCK_SURFACEMEMORYPTR = 0x00000000;
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDLOCK_READONLY = 0x00000010;
constexpr DWORD DDLOCK_WRITEONLY = 0x00000020;
constexpr DWORD DDLOCK_NOSYSLOCK = 0x00000800;
constexpr DWORD DDCKEY_SRCBLT = 0x00000008;
constexpr DWORD DDPCAPS_8BIT = 0x00000004;
constexpr DWORD DDPCAPS_ALLOW256 = 0x00000040;
constexpr DWORD DDCAPS2_WIDESURFACES = 0x00001000;
constexpr DWORD DDEDM_STANDARDVGAMODES = 0x00000002;
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    void* lpSurface;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

struct DDBLTFX {
    DWORD dwSize;
    DWORD dwFillColor;
};

struct DDCAPS {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwVidMemTotal;
    DWORD dwVidMemFree;
};

struct GUID;
class IDirectDraw;
class IDirectDrawSurface;
class IDirectDrawPalette;
class IDirectDrawClipper;

using LPDDENUMMODESCALLBACK = HRESULT (*)(DDSURFACEDESC* desc, void* context);

// Reference counting as the system's objects do it: created with one
// reference, destroyed when the last is released.
class DDObject {
public:
    ULONG AddRef() { return ++m_refs; }
    ULONG Release();

protected:
    virtual ~DDObject() = default;
    ULONG m_refs = 1;
};

class IDirectDrawPalette : public DDObject {
public:
    HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries);
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, const PALETTEENTRY* entries);

    // The palette as 0x00RRGGBB colours.
    const std::uint32_t* Colours() const { return m_colours; }

private:
    friend class IDirectDraw;
    IDirectDrawPalette() = default;
    std::uint32_t m_colours[256] = {};
};

class IDirectDrawClipper : public DDObject {
public:
    HRESULT Initialize(IDirectDraw* dd, DWORD flags);
    HRESULT SetHWnd(DWORD flags, HWND hwnd);
    HRESULT GetHWnd(HWND* hwnd);

private:
    friend class IDirectDraw;
    friend class IDirectDrawSurface;
    friend HRESULT DirectDrawCreateClipper(DWORD, IDirectDrawClipper**, void*);
    IDirectDrawClipper() = default;
    HWND m_hwnd = nullptr;
    bool m_initialized = false;
};

class IDirectDrawSurface : public DDObject {
public:
    HRESULT Blt(RECT* dest, IDirectDrawSurface* src, RECT* srcRect, DWORD flags, DDBLTFX* fx);
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* src, RECT* srcRect, DWORD trans);
    HRESULT Flip(IDirectDrawSurface* target, DWORD flags);
    HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** out);
    HRESULT GetDC(HDC* hdc);
    HRESULT ReleaseDC(HDC hdc);
    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event);
    HRESULT Unlock(void* pointer);
    HRESULT IsLost();
    HRESULT Restore();
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
    HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key);
    HRESULT SetPalette(IDirectDrawPalette* palette);
    HRESULT GetPalette(IDirectDrawPalette** palette);
    HRESULT SetClipper(IDirectDrawClipper* clipper);
    HRESULT GetClipper(IDirectDrawClipper** clipper);
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc);
    HRESULT GetPixelFormat(DDPIXELFORMAT* format);
    HRESULT GetCaps(DDSCAPS* caps);

    // Direct access for the platform's own users (the 3D renderer reads
    // and writes whole frames this way).
    std::uint32_t* Pixels() { return m_pixels.data(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Where this surface's picture differs from what the screen shows now,
    // for the next time it is shown (the Flip that brings this back buffer
    // to the front, or a Blt of all of it onto the primary surface): only
    // those rectangles are brought to the screen then, and none at all for
    // count 0. Any later change to the surface drops the hint, and the
    // whole picture is shown as without one.
    void SetChangedRects(const RECT* rects, DWORD count);

protected:
    ~IDirectDrawSurface() override;

private:
    friend class IDirectDraw;
    IDirectDrawSurface(IDirectDraw* owner, int width, int height, DWORD caps);
    // Shows the primary surface's picture: all of it, or only what changed
    // (rects in the surface's coordinates).
    void PresentIfFront(const RECT* changed = nullptr, int count = -1);
    bool IsFront() const;
    // The surface's pixels are about to change: a hint of what changed no
    // longer holds.
    void Changing();
    // The same, for a change that is not followed by a present at once (a
    // lock, a device context).
    void OpenForWriting();

    IDirectDraw* m_owner;
    int m_width;
    int m_height;
    DWORD m_caps;
    std::vector<std::uint32_t> m_pixels;
    std::vector<IDirectDrawSurface*> m_backBuffers;  // owned by the front surface
    IDirectDrawSurface* m_front = nullptr;           // set on a back buffer
    IDirectDrawPalette* m_palette = nullptr;
    IDirectDrawClipper* m_clipper = nullptr;
    bool m_hasKey = false;
    DDCOLORKEY m_key{};
    bool m_lost = false;
    int m_locks = 0;
    HDC m_dc = nullptr;
    bool m_hasChanged = false;  // a hint from SetChangedRects is in force
    std::vector<RECT> m_changed;
};

class IDirectDraw : public DDObject {
public:
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp);
    HRESULT RestoreDisplayMode();
    HRESULT GetDisplayMode(DDSURFACEDESC* desc);
    HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC* filter, void* context, LPDDENUMMODESCALLBACK callback);
    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** out, void* outer);
    HRESULT CreatePalette(DWORD flags, const PALETTEENTRY* entries, IDirectDrawPalette** out, void* outer);
    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, void* outer);
    HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* helCaps);
    HRESULT FlipToGDISurface();

    // The depth of the mode in force (the desktop's while windowed).
    int ModeDepth() const;
    // Every surface of this object becomes lost.
    void LoseEverySurface();

protected:
    ~IDirectDraw() override;

private:
    friend HRESULT DirectDrawCreate(GUID*, IDirectDraw**, void*);
    friend class IDirectDrawSurface;
    IDirectDraw();
    void SurfaceGone(IDirectDrawSurface* s);
    void LoseSurfaces();

    HWND m_hwnd = nullptr;
    DWORD m_level = 0;
    bool m_modeSet = false;
    IDirectDrawSurface* m_primary = nullptr;
    std::vector<IDirectDrawSurface*> m_surfaces;
};

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** out, void* outer);
HRESULT DirectDrawCreateClipper(DWORD flags, IDirectDrawClipper** out, void* outer);

namespace ddraw_control {
struct ModeEntry {
    int width, height, depth;
};
// The modes the display offers, in the order they are enumerated.
const std::vector<ModeEntry>& Modes();
// Makes DirectDrawCreate fail (as on a machine without a display driver).
void SetCreateFails(bool fails);
// Makes every existing surface lost, as when another program took the
// screen.
void LoseAllSurfaces();
}  // namespace ddraw_control
