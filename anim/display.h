// DISPLAY: the screen. The video mode (the desktop's, called windowed, or a
// full-screen mode), the display surfaces, the 3D object, the display
// palette group and the program's main window, whose procedure it
// subclasses. There is one live instance, made when the library loads and
// reached through the exported pointer `Display`.
#pragma once

#include "platform/base/types.h"
#include "platform/ddraw/ddraw.h"
#include "platform/window/window.h"

#include <cstdint>

class PALETTEGROUP;
class IDirect3DRM2;
class IDirect3DRMDevice2;
class IDirect3DRMViewport;

// How frames reach the screen.
enum ANIMMETHOD : int {
    amBlit = 0,        // primary surface only; frames are blitted into the window
    amFlip = 1,        // primary with one back buffer
    amFlipTriple = 2,  // primary with two back buffers
};

#pragma pack(push, 1)
struct VIDEOMODE {
    std::int32_t lWidth;
    std::int32_t lHeight;
    std::uint16_t wDepth;
};
#pragma pack(pop)
static_assert(sizeof(VIDEOMODE) == 10, "a mode entry is 10 bytes");

struct VIDEOMODELIST {
    std::uint32_t count;
    VIDEOMODE* entries;
};

class DISPLAY {
public:
    DISPLAY();
    ~DISPLAY();
    DISPLAY(const DISPLAY&) = delete;
    DISPLAY& operator=(const DISPLAY&) = delete;

    // Queries.
    long GetWidth();
    long GetHeight();
    unsigned short GetDepth();
    unsigned short GetGDIDepth();
    int GetSize(long* w, long* h);
    int GetRect(RECT* rc);
    long GetPitch();
    int fFullScreen();
    ANIMMETHOD GetAnimMethod();
    int fChangingVideoModes();
    HWND GetMainWindow();
    IDirectDraw* GetDirectDraw();
    IDirect3DRM2* GetDirect3d();
    IDirectDrawSurface* GetSurface(int fFront);
    int fCanCreateWideSurfaces();
    int fHasPalette();
    HPALETTE GetGDIPalette();
    PALETTEGROUP* GetPaletteGroup();
    int SetPaletteGroup(PALETTEGROUP* group);

    // Modes.
    VIDEOMODELIST* GetVideoModeList();
    static void FreeVideoModeList(VIDEOMODELIST* list);
    int SetMainWindow(HWND hwnd);
    int SetVideoMode(long width, long height, unsigned short depth, ANIMMETHOD method);
    int RestoreVideoMode();
    int Flip();

    // The 3D device and viewport slots kept for the animation windows.
    IDirect3DRMDevice2* Get3dDevice() { return m_pd3dDevice; }
    void Set3dDevice(IDirect3DRMDevice2* device) { m_pd3dDevice = device; }
    IDirect3DRMViewport* Get3dViewport() { return m_pd3dViewport; }
    void Set3dViewport(IDirect3DRMViewport* viewport) { m_pd3dViewport = viewport; }

    // Menu-bar mode of full-screen display (used by ANIMWINDOW::ShowMenu).
    int GetMenuCount() const { return m_nMenuCount; }
    void SetMenuCount(int count) { m_nMenuCount = count < 0 ? 0 : count; }
    int fMenuShown() const { return m_fMenuShown; }
    void SetMenuShown(int fShow) { m_fMenuShown = fShow; }
    int fActive() const { return m_fActive; }

    // Moves the main window so that its animation window covers the screen.
    void RepositionWindow(int fRepaint);

    static LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // 1 while a live instance exists.
    static int fThereCanBeOnlyOne;

private:
    int CreateSurfaces(ANIMMETHOD method);
    void FreeSurfaces();
    void FreeAllSurfaces();
    void AttachPalette();
    static HWND FindAnimWindow(HWND main);

    int m_fInvalid = 1;
    IDirectDraw* m_pdd = nullptr;
    IDirectDrawSurface* m_pddsPrimary = nullptr;
    IDirectDrawSurface* m_pddsBack = nullptr;
    IDirect3DRM2* m_pd3drm = nullptr;
    IDirect3DRMDevice2* m_pd3dDevice = nullptr;
    IDirect3DRMViewport* m_pd3dViewport = nullptr;
    long m_lDesktopWidth = 0;
    long m_lDesktopHeight = 0;
    unsigned short m_wDesktopDepth = 0;
    long m_lWidth = 0;
    long m_lHeight = 0;
    unsigned short m_wDepth = 0;
    int m_fWindowed = 1;
    int m_nChangingModes = 0;
    HWND m_hwndMain = nullptr;
    RECT m_rcSavedWindow{0, 0, 0, 0};
    int m_nMenuCount = 0;
    int m_fActive = 1;
    int m_fMenuShown = 0;
    WNDPROC m_pfnPrevWndProc = nullptr;
    PALETTEGROUP* m_pPaletteGroup = nullptr;
    ANIMMETHOD m_am = amBlit;
};

// The live display, null outside the library's lifetime.
extern DISPLAY* Display;

// The library's module handle, or the program's when none is remembered.
HINSTANCE GetZephaneInstance();
