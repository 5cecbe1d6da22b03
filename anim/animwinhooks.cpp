// ANIMWINDOW companions: message hooks in order of priority, the window's
// data area, the background picture or colour, the palette group, the
// menu-bar mode of full-screen display.
#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/dataarea.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"
#include "platform/d3drm/d3drm.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr const char* kModule = "animwinhooks.cpp";
constexpr int kToEdge = static_cast<int>(0x80000000u);

unsigned short MessageClass(UINT msg)
{
    if (msg >= 0x200 && msg <= 0x209)
        return 2;
    if (msg >= 0x100 && msg <= 0x108)
        return 1;
    return 0xFFFF;
}

// Clamps a placement inside the window: x, y to the window, width and
// height to what remains right of x and below y (0x80000000: to the edge).
void ClampToWindow(const RECT& client, int& x, int& y, int& w, int& h)
{
    const int cw = client.right - client.left, ch = client.bottom - client.top;
    x = std::clamp(x, 0, cw);
    y = std::clamp(y, 0, ch);
    w = (w == kToEdge || w > cw - x) ? cw - x : std::max(w, 0);
    h = (h == kToEdge || h > ch - y) ? ch - y : std::max(h, 0);
}
} // namespace

// ---- hooks ------------------------------------------------------------------------------

int ANIMWINDOW::SetHook(WNDPROC proc, unsigned long mask)
{
    for (unsigned i = 0; i < m_nHooks; ++i) {
        HOOKENTRY& e = m_aHooks[i];
        if (!e.proc || e.proc != proc)
            continue;
        if (mask) {
            ++e.refs;
            e.mask = static_cast<unsigned short>(e.mask | (mask & 0xFFFF));
        } else if (--e.refs <= 0) {
            e = HOOKENTRY{nullptr, 0, 0, 0};
        }
        return 1;
    }
    if (!mask || !proc)
        return 0;
    const unsigned short priority = mask > 0xFFFF ? static_cast<unsigned short>(mask >> 16) : 100;
    unsigned pos = 0;
    for (unsigned i = 0; i < m_nHooks; ++i)
        if (m_aHooks[i].proc && m_aHooks[i].priority < priority)
            pos = i + 1;
    if (m_nHooks == 0 || m_aHooks[m_nHooks - 1].proc) {
        if (!GrowTable(&m_aHooks, &m_nHookCapacity, m_nHooks + 1, 4, kModule, __LINE__))
            return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        m_aHooks[m_nHooks++] = HOOKENTRY{nullptr, 0, 0, 0};
    }
    for (unsigned i = m_nHooks - 1; i > pos; --i)
        m_aHooks[i] = m_aHooks[i - 1];
    m_aHooks[pos] = HOOKENTRY{proc, static_cast<unsigned short>(mask & 0xFFFF), 1, priority};
    return 1;
}

int ANIMWINDOW::NotifyHooks(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const unsigned short cls = MessageClass(msg);
    // By index: a hook may add or remove hooks while it runs.
    for (unsigned i = 0; i < m_nHooks; ++i) {
        const HOOKENTRY e = m_aHooks[i];
        if (!e.proc || (e.mask & cls) != cls)
            continue;
        if (CallWindowProcA(e.proc, hwnd, msg, wParam, lParam))
            return 1;
    }
    return 0;
}

// ---- data area ------------------------------------------------------------------------------

void* ANIMWINDOW::GetData(unsigned offset, unsigned size)
{
    // -8..-1 address the reserved head
    return dataarea::At(&m_pData, &m_cbData, offset + 8u, size, kModule, __LINE__);
}

int ANIMWINDOW::SetData(unsigned offset, const void* src, unsigned size)
{
    return dataarea::Put(GetData(offset, size), src, size);
}

long ANIMWINDOW::GetLong(unsigned offset)
{
    std::int32_t v = 0;
    if (void* p = GetData(offset, 4))
        std::memcpy(&v, p, 4);
    return v;
}

int ANIMWINDOW::SetLong(unsigned offset, long value)
{
    const std::int32_t v = static_cast<std::int32_t>(value);
    return SetData(offset, &v, 4);
}

// ---- background and palette -------------------------------------------------------------------

int ANIMWINDOW::SetBackground(GRAPHIC* graphic, int x, int y, int width, int height, int srcX, int srcY)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (!graphic)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    const int gw = static_cast<int>(graphic->GetWidth()), gh = static_cast<int>(graphic->GetHeight());
    srcX = std::clamp(srcX, 0, std::max(gw, 0));
    srcY = std::clamp(srcY, 0, std::max(gh, 0));
    if (width == kToEdge || width >= gw - srcX)
        width = gw - srcX;
    if (height == kToEdge || height >= gh - srcY)
        height = gh - srcY;
    ClampToWindow(m_rcClient, x, y, width, height);
    if (width && height) {
        if (!m_pgrBackground)
            return FALSE_SetLastError(errEmptyGraphic);
        if (!graphic->DrawToDIB(m_pgrBackground, x, y, width, height, srcX, srcY))
            return 0;
        RECT r{x, y, x + width, y + height};
        AddToDirtyRegion(&m_drBackground, &r);
    }
    m_clrBackground = 0xFFFFFFFF;
    return 1;
}

int ANIMWINDOW::SetBackground(COLORREF colour, int x, int y, int width, int height)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (colour == 0xFFFFFFFF)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    ClampToWindow(m_rcClient, x, y, width, height);
    if (!m_pgrBackground)
        return FALSE_SetLastError(errEmptyGraphic);
    if (width && height) {
        HDC dc = m_pgrBackground->GetDIBDC();
        if (!dc)
            return 0;
        const RECT r{x, y, x + width, y + height};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        m_pgrBackground->ReleaseDC(dc, 1);
    }
    ReleaseBackgroundGraphic(1);
    m_clrBackground = colour;
    // The 3D scene, where there is one, shows the same colour behind it.
    if (m_pfrRoot)
        m_pfrRoot->SetSceneBackgroundRGB(GetRValue(colour) / 255.0f, GetGValue(colour) / 255.0f,
                                         GetBValue(colour) / 255.0f);
    return 1;
}

int ANIMWINDOW::ReleaseBackgroundGraphic(int fChanged)
{
    if (fChanged)
        AddToDirtyRegion(&m_drBackground, &m_rcClient);
    return 1;
}

int ANIMWINDOW::SetPaletteGroup(PALETTEGROUP* group)
{
    m_pPaletteGroup = group;
    if (m_hwnd) {
        if (!ReallocBackground())
            return 0;
        CallService(svcawBackground, 0, 0);
    }
    return 1;
}

void ANIMWINDOW::UnsetPaletteGroup(PALETTEGROUP* group)
{
    for (unsigned i = 0; i < npawList; ++i)
        if (apawList[i] && apawList[i]->m_pPaletteGroup == group)
            apawList[i]->SetPaletteGroup(nullptr);
}

int ANIMWINDOW::fHasPalette()
{
    return Display && Display->GetDepth() == 8 && m_pPaletteGroup ? 1 : 0;
}

HPALETTE ANIMWINDOW::GetGDIPalette()
{
    if (m_pPaletteGroup && PaletteGroup_GetGDIPalette)
        if (HPALETTE p = PaletteGroup_GetGDIPalette(m_pPaletteGroup))
            return p;
    ZephaneSetLastError(errNoPalette);
    return nullptr;
}

int ANIMWINDOW::ShowMenu(int fShow)
{
    fShow = fShow ? 1 : 0;
    if (fShow == m_fMenuShown || !Display)
        return 1;
    int count = Display->GetMenuCount();
    if (m_fMenuShown)
        count = std::max(count - 1, 0);
    if (fShow)
        ++count;
    Display->SetMenuCount(count);
    Display->SetMenuShown(fShow);
    m_fMenuShown = fShow;
    Display->RepositionWindow(1);
    return 1;
}

// The palette groups' hook: a group going away is dropped by every window
// that uses it.
void AnimWindow_UnsetPaletteGroup(PALETTEGROUP* group)
{
    ANIMWINDOW::UnsetPaletteGroup(group);
}
