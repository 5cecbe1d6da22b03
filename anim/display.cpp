#include "anim/display.h"

#include "anim/animwin_iface.h"
#include "anim/lasterror.h"
#include "platform/base/syserror.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

#include <cstdlib>
#include <cstring>
#include <new>

int DISPLAY::fThereCanBeOnlyOne = 0;
DISPLAY* Display = nullptr;

namespace {
constexpr const char* kModule = "display.cpp";
constexpr const char* kAnimWindowClass = "AnimWindow";

HINSTANCE g_instance = nullptr;
// Stands for the program's executable when the library's own handle is not
// known.
char g_programModule;

bool IsAnimWindowClass(HWND hwnd)
{
    char name[32] = "";
    return GetClassNameA(hwnd, name, sizeof(name)) && std::strcmp(name, kAnimWindowClass) == 0;
}

void RestoreForAssertion()
{
    if (Display)
        Display->RestoreVideoMode();
}

// Creates the library's display when it is loaded and destroys it when it is
// unloaded.
struct LibraryLifetime {
    LibraryLifetime()
    {
        static char module;
        g_instance = reinterpret_cast<HINSTANCE>(&module);
        Display = new DISPLAY();
        ZephaneSetAssertVideoRestore(RestoreForAssertion);
    }
    ~LibraryLifetime()
    {
        ZephaneSetAssertVideoRestore(nullptr);
        delete Display;
        Display = nullptr;
        g_instance = nullptr;
    }
} g_library;
}  // namespace

HINSTANCE GetZephaneInstance()
{
    return g_instance ? g_instance : reinterpret_cast<HINSTANCE>(&g_programModule);
}

DISPLAY::DISPLAY()
{
    if (fThereCanBeOnlyOne) {
        m_fInvalid = 1;
        ZephaneSetLastError(errDuplicateDisplay);
        return;
    }
    fThereCanBeOnlyOne = 1;
    m_fInvalid = 0;
    const HDC screen = ::GetDC(nullptr);
    m_wDesktopDepth = static_cast<unsigned short>(GetDeviceCaps(screen, BITSPIXEL));
    ::ReleaseDC(nullptr, screen);
    m_lDesktopWidth = GetSystemMetrics(SM_CXSCREEN);
    m_lDesktopHeight = GetSystemMetrics(SM_CYSCREEN);
    m_lWidth = m_lDesktopWidth;
    m_lHeight = m_lDesktopHeight;
    m_wDepth = m_wDesktopDepth;
    if (DirectDrawCreate(nullptr, &m_pdd, nullptr) != DD_OK)
        m_pdd = nullptr;
    if (AnimWindow_RegisterClass)
        AnimWindow_RegisterClass();
}

DISPLAY::~DISPLAY()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return;
    }
    if (m_hwndMain && IsWindow(m_hwndMain) && m_pfnPrevWndProc)
        SetWindowLongA(m_hwndMain, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevWndProc));
    if (AnimWindow_UnregisterClass)
        AnimWindow_UnregisterClass();
    if (m_pdd) {
        RestoreVideoMode();
        FreeSurfaces();
        if (m_pd3drm && Display3d_ReleaseRM)
            Display3d_ReleaseRM(m_pd3drm);
        m_pd3drm = nullptr;
        m_pdd->Release();
        m_pdd = nullptr;
    }
    m_fInvalid = 1;
    fThereCanBeOnlyOne = 0;
    Display = nullptr;
}

// --- queries -------------------------------------------------------------------

long DISPLAY::GetWidth()
{
    if (m_fInvalid)
        return MINUSONE_SetLastError(errDuplicateDisplay);
    return m_lWidth;
}

long DISPLAY::GetHeight()
{
    if (m_fInvalid)
        return MINUSONE_SetLastError(errDuplicateDisplay);
    return m_lHeight;
}

unsigned short DISPLAY::GetDepth()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return 0xFFFF;
    }
    return m_wDepth;
}

unsigned short DISPLAY::GetGDIDepth()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return 0xFFFF;
    }
    return m_wDesktopDepth;
}

int DISPLAY::GetSize(long* w, long* h)
{
    if (m_fInvalid)
        return FALSE_SetLastError(errDuplicateDisplay);
    if (w)
        *w = m_lWidth;
    if (h)
        *h = m_lHeight;
    return 1;
}

int DISPLAY::GetRect(RECT* rc)
{
    if (m_fInvalid)
        return FALSE_SetLastError(errDuplicateDisplay);
    if (!rc)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    *rc = {0, 0, static_cast<LONG>(m_lWidth), static_cast<LONG>(m_lHeight)};
    return 1;
}

long DISPLAY::GetPitch()
{
    if (m_fInvalid)
        return MINUSONE_SetLastError(errDuplicateDisplay);
    if (m_fWindowed)
        return m_lWidth;
    if (!m_pdd)
        return MINUSONE_SetLastError(errNoDirectDraw);
    if (!m_pddsPrimary && !CreateSurfaces(amFlip))
        return -1;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    const HRESULT hr = m_pddsPrimary->GetSurfaceDesc(&desc);
    if (hr != DD_OK)
        return MINUSONE_SetLastError(hr);
    return desc.lPitch;
}

int DISPLAY::fFullScreen() { return !m_fInvalid && !m_fWindowed ? 1 : 0; }

ANIMMETHOD DISPLAY::GetAnimMethod()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return amBlit;
    }
    return m_am;
}

int DISPLAY::fChangingVideoModes() { return m_fInvalid ? 0 : m_nChangingModes; }

HWND DISPLAY::GetMainWindow()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return nullptr;
    }
    return m_hwndMain;
}

IDirectDraw* DISPLAY::GetDirectDraw()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return nullptr;
    }
    if (!m_pdd)
        ZephaneSetLastError(errNoDirectDraw);
    return m_pdd;
}

IDirect3DRM2* DISPLAY::GetDirect3d()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return nullptr;
    }
    if (!m_pdd) {
        ZephaneSetLastError(errNoDirectDraw);
        return nullptr;
    }
    if (!m_pd3drm) {
        IDirect3DRM2* rm = nullptr;
        if (!Display3d_CreateRM || Display3d_CreateRM(&rm) != 0 || !rm) {
            ZephaneSetLastError(errNoDirect3d);
            return nullptr;
        }
        m_pd3drm = rm;
    }
    return m_pd3drm;
}

IDirectDrawSurface* DISPLAY::GetSurface(int fFront)
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return nullptr;
    }
    if (!m_pdd) {
        ZephaneSetLastError(errNoDirectDraw);
        return nullptr;
    }
    if (!m_hwndMain) {
        ZephaneSetLastError(errNoMainWindow);
        return nullptr;
    }
    if (!m_pddsPrimary)
        return nullptr;
    if (m_pddsPrimary->IsLost() == DDERR_SURFACELOST)
        m_pddsPrimary->Restore();
    if (m_fWindowed || fFront)
        return m_pddsPrimary;
    return m_pddsBack;
}

int DISPLAY::fCanCreateWideSurfaces()
{
    if (m_fInvalid)
        return FALSE_SetLastError(errDuplicateDisplay);
    if (!m_pdd)
        return FALSE_SetLastError(errNoDirectDraw);
    DDCAPS caps{};
    caps.dwSize = sizeof(caps);
    if (m_pdd->GetCaps(&caps, nullptr) == DD_OK && (caps.dwCaps2 & DDCAPS2_WIDESURFACES))
        return 1;
    return FALSE_SetLastError(0);
}

int DISPLAY::fHasPalette() { return !m_fInvalid && m_wDepth == 8 && m_pPaletteGroup ? 1 : 0; }

HPALETTE DISPLAY::GetGDIPalette()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return nullptr;
    }
    if (m_wDepth == 8 && m_pPaletteGroup && PaletteGroup_GetGDIPalette)
        return PaletteGroup_GetGDIPalette(m_pPaletteGroup);
    ZephaneSetLastError(errNoPalette);
    return nullptr;
}

PALETTEGROUP* DISPLAY::GetPaletteGroup()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return nullptr;
    }
    return m_pPaletteGroup;
}

int DISPLAY::SetPaletteGroup(PALETTEGROUP* group)
{
    if (m_fInvalid)
        return FALSE_SetLastError(errDuplicateDisplay);
    m_pPaletteGroup = group;
    AttachPalette();
    return 1;
}

// --- modes ---------------------------------------------------------------------

namespace {
HRESULT AppendMode(DDSURFACEDESC* desc, void* context)
{
    auto* list = static_cast<VIDEOMODELIST*>(context);
    auto* grown = static_cast<VIDEOMODE*>(std::realloc(list->entries, sizeof(VIDEOMODE) * (list->count + 1)));
    if (!grown)
        return DDENUMRET_CANCEL;  // what was gathered so far is kept
    list->entries = grown;
    VIDEOMODE& m = list->entries[list->count++];
    m.lWidth = static_cast<std::int32_t>(desc->dwWidth);
    m.lHeight = static_cast<std::int32_t>(desc->dwHeight);
    m.wDepth = static_cast<std::uint16_t>(desc->ddpfPixelFormat.dwRGBBitCount);
    return DDENUMRET_OK;
}
}  // namespace

VIDEOMODELIST* DISPLAY::GetVideoModeList()
{
    if (m_fInvalid) {
        ZephaneSetLastError(errDuplicateDisplay);
        return nullptr;
    }
    if (!m_pdd) {
        ZephaneSetLastError(errNoDirectDraw);
        return nullptr;
    }
    auto* list = static_cast<VIDEOMODELIST*>(std::calloc(1, sizeof(VIDEOMODELIST)));
    if (!list) {
        ZephaneSetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const HRESULT hr = m_pdd->EnumDisplayModes(0, nullptr, list, AppendMode);
    if (hr != DD_OK) {
        FreeVideoModeList(list);
        ZephaneSetLastError(hr);
        return nullptr;
    }
    return list;
}

void DISPLAY::FreeVideoModeList(VIDEOMODELIST* list)
{
    if (!list)
        return;
    std::free(list->entries);
    std::free(list);
}

int DISPLAY::SetMainWindow(HWND hwnd)
{
    if (m_fInvalid)
        return FALSE_SetLastError(errDuplicateDisplay);
    if (!m_fWindowed && !ZephaneAssertFunction(0, "!!fRestored", kModule, __LINE__))
        return FALSE_SetLastError(errNoMainWindow);
    if (m_hwndMain && hwnd != m_hwndMain) {
        if (IsWindow(m_hwndMain) && m_pfnPrevWndProc)
            SetWindowLongA(m_hwndMain, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevWndProc));
        m_nMenuCount = 0;
        m_pfnPrevWndProc = nullptr;
    }
    if (hwnd && hwnd != m_hwndMain) {
        m_pfnPrevWndProc = reinterpret_cast<WNDPROC>(
            SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&DISPLAY::MainWindowProc)));
    }
    m_hwndMain = hwnd;
    FreeAllSurfaces();
    if (!m_pdd)
        return FALSE_SetLastError(errNoDirectDraw);
    const HRESULT hr = m_pdd->SetCooperativeLevel(hwnd, DDSCL_NORMAL);
    if (hr != DD_OK)
        return FALSE_SetLastError(hr);
    if (!CreateSurfaces(amBlit))
        return 0;
    if (AnimWindow_TouchAndRenderAll)
        AnimWindow_TouchAndRenderAll();
    return 1;
}

int DISPLAY::SetVideoMode(long width, long height, unsigned short depth, ANIMMETHOD method)
{
    if (m_fInvalid)
        return FALSE_SetLastError(errDuplicateDisplay);
    if (!m_pdd)
        return FALSE_SetLastError(errNoDirectDraw);
    if (!m_hwndMain)
        return FALSE_SetLastError(errNoMainWindow);
    ++m_nChangingModes;
    FreeAllSurfaces();
    if (m_fWindowed)
        GetWindowRect(m_hwndMain, &m_rcSavedWindow);
    int result = 0;
    HRESULT hr = m_pdd->SetCooperativeLevel(m_hwndMain, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    if (hr != DD_OK) {
        ZephaneSetLastError(hr);
    } else {
        const long oldW = m_lWidth, oldH = m_lHeight;
        const unsigned short oldD = m_wDepth;
        const int oldWindowed = m_fWindowed;
        m_lWidth = width;
        m_lHeight = height;
        m_wDepth = depth;
        m_fWindowed = 0;
        hr = m_pdd->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height), depth);
        if (hr != DD_OK) {
            m_lWidth = oldW;
            m_lHeight = oldH;
            m_wDepth = oldD;
            m_fWindowed = oldWindowed;
            // A refused mode leaves the screen as it was; the level goes
            // back with it.
            if (oldWindowed)
                m_pdd->SetCooperativeLevel(m_hwndMain, DDSCL_NORMAL);
            ZephaneSetLastError(hr);
        } else {
            RepositionWindow(0);
            result = CreateSurfaces(method);
        }
    }
    --m_nChangingModes;
    if (result == 1 && AnimWindow_ChangedVideoModes)
        AnimWindow_ChangedVideoModes();
    return result;
}

int DISPLAY::RestoreVideoMode()
{
    if (m_fInvalid)
        return FALSE_SetLastError(errDuplicateDisplay);
    if (!m_pdd)
        return FALSE_SetLastError(errNoDirectDraw);
    if (!m_hwndMain)
        return FALSE_SetLastError(errNoMainWindow);
    if (m_fWindowed)
        return 1;
    ++m_nChangingModes;
    FreeAllSurfaces();
    int result = 0;
    HRESULT hr = m_pdd->SetCooperativeLevel(m_hwndMain, DDSCL_NORMAL);
    if (hr != DD_OK) {
        ZephaneSetLastError(hr);
    } else {
        const long oldW = m_lWidth, oldH = m_lHeight;
        const unsigned short oldD = m_wDepth;
        m_lWidth = m_lDesktopWidth;
        m_lHeight = m_lDesktopHeight;
        m_wDepth = m_wDesktopDepth;
        m_fWindowed = 1;
        hr = m_pdd->RestoreDisplayMode();
        if (hr != DD_OK) {
            m_lWidth = oldW;
            m_lHeight = oldH;
            m_wDepth = oldD;
            m_fWindowed = 0;
            ZephaneSetLastError(hr);
        } else {
            if (IsWindow(m_hwndMain))
                SetWindowPos(m_hwndMain, nullptr, m_rcSavedWindow.left, m_rcSavedWindow.top,
                             m_rcSavedWindow.right - m_rcSavedWindow.left,
                             m_rcSavedWindow.bottom - m_rcSavedWindow.top, SWP_NOZORDER | SWP_NOACTIVATE);
            result = CreateSurfaces(amBlit);
        }
    }
    --m_nChangingModes;
    if (result == 1 && AnimWindow_ChangedVideoModes)
        AnimWindow_ChangedVideoModes();
    return result;
}

int DISPLAY::Flip()
{
    if (m_fInvalid)
        return FALSE_SetLastError(errDuplicateDisplay);
    if (!m_pdd || !m_pddsPrimary)
        return FALSE_SetLastError(errNoDirectDraw);
    if (m_fWindowed)
        return FALSE_SetLastError(errNotFlipping);
    const HRESULT hr = m_pddsPrimary->Flip(nullptr, DDFLIP_WAIT);
    if (hr != DD_OK)
        return FALSE_SetLastError(hr);
    return 1;
}

// --- surfaces --------------------------------------------------------------------

int DISPLAY::CreateSurfaces(ANIMMETHOD method)
{
    if (m_pddsPrimary)
        return 1;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    HRESULT hr;
    if (method == amFlip || method == amFlipTriple) {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
        desc.dwBackBufferCount = method == amFlip ? 1 : 2;
        hr = m_pdd->CreateSurface(&desc, &m_pddsPrimary, nullptr);
        if (hr == DD_OK) {
            DDSCAPS caps{DDSCAPS_BACKBUFFER};
            hr = m_pddsPrimary->GetAttachedSurface(&caps, &m_pddsBack);
            // The front surface owns its back buffers.
            if (hr == DD_OK)
                m_pddsBack->Release();
        }
    } else {
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE;
        hr = m_pdd->CreateSurface(&desc, &m_pddsPrimary, nullptr);
    }
    m_am = method;
    if (m_pPaletteGroup && PaletteGroup_NewDisplayMode)
        PaletteGroup_NewDisplayMode(m_pPaletteGroup);
    if (hr != DD_OK) {
        ZephaneSetLastError(hr);
        return 0;
    }
    AttachPalette();
    return 1;
}

void DISPLAY::FreeSurfaces()
{
    if (m_pddsPrimary)
        m_pddsPrimary->Release();
    m_pddsPrimary = nullptr;
    m_pddsBack = nullptr;
    if (m_pd3dViewport && Display3d_ReleaseViewport)
        Display3d_ReleaseViewport(m_pd3dViewport);
    m_pd3dViewport = nullptr;
    m_pd3dDevice = nullptr;
}

void DISPLAY::FreeAllSurfaces()
{
    FreeSurfaces();
    if (Graphic_FreeAllSurfaces)
        Graphic_FreeAllSurfaces();
}

void DISPLAY::AttachPalette()
{
    if (!m_pPaletteGroup || !m_pddsPrimary || !PaletteGroup_GetDDPalette)
        return;
    if (IDirectDrawPalette* pal = PaletteGroup_GetDDPalette(m_pPaletteGroup)) {
        m_pddsPrimary->SetPalette(pal);
        if (Graphic_FreeAllSurfaces)
            Graphic_FreeAllSurfaces();
    }
}

// --- the main window -----------------------------------------------------------------

HWND DISPLAY::FindAnimWindow(HWND main)
{
    if (!main || !IsWindow(main))
        return nullptr;
    if (IsAnimWindowClass(main))
        return main;
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsAnimWindowClass(c))
            return c;
    return nullptr;
}

void DISPLAY::RepositionWindow(int fRepaint)
{
    if (m_fInvalid || !m_hwndMain)
        return;
    const HWND anim = FindAnimWindow(m_hwndMain);
    RECT m{};
    GetWindowRect(m_hwndMain, &m);
    int x = m.left, y = m.top;
    int cx = m.right - m.left, cy = m.bottom - m.top;
    if (anim && anim != m_hwndMain) {
        RECT a{};
        GetWindowRect(anim, &a);
        x = m.left - a.left;
        y = m.top - a.top;
        cx += static_cast<int>(m_lWidth) - (a.right - a.left);
        cy += static_cast<int>(m_lHeight) - (a.bottom - a.top);
    }
    if ((m_nMenuCount || m_fMenuShown) && GetMenu(m_hwndMain))
        y = -(2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION));
    SetWindowPos(m_hwndMain, nullptr, x, y, cx, cy, SWP_NOACTIVATE | SWP_NOZORDER);
    if (fRepaint) {
        InvalidateRect(m_hwndMain, nullptr, FALSE);
        UpdateWindow(m_hwndMain);
    }
}

LRESULT DISPLAY::MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DISPLAY* d = Display;
    if (d && !d->m_fInvalid) {
        switch (msg) {
        case WM_NCACTIVATE:
            d->m_fActive = wParam != 0 ? 1 : 0;
            if (HWND anim = FindAnimWindow(hwnd); anim && AnimWindow_Render)
                AnimWindow_Render(anim);
            break;
        case WM_ENTERMENULOOP:
            ++d->m_nMenuCount;
            if (!d->m_fWindowed)
                d->RepositionWindow(1);
            break;
        case WM_EXITMENULOOP:
            if (d->m_nMenuCount > 0)
                --d->m_nMenuCount;
            if (!d->m_fWindowed)
                d->RepositionWindow(1);
            break;
        default: break;
        }
        if (d->m_pfnPrevWndProc && hwnd == d->m_hwndMain)
            return CallWindowProcA(d->m_pfnPrevWndProc, hwnd, msg, wParam, lParam);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
