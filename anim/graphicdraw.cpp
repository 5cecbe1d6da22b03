// GRAPHIC on the screen: its surface (a cache of the bitmap with a source
// colour key for the transparent colour), drawing onto surfaces, device
// contexts and other graphics, and alpha blending of translucent graphics.
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/graphicenv.h"
#include "anim/lasterror.h"
#include "platform/base/syserror.h"
#include "platform/ddraw/ddraw.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr unsigned long kNone = 0xFFFFFFFFul;
constexpr int kToEdge = static_cast<int>(0x80000000u);
// A blend at a depth whose pixels cannot be taken apart.
constexpr HRESULT kUnsupportedDepth = static_cast<HRESULT>(0x88760250u);

// Locks a surface, waiting while it is still being drawn.
HRESULT LockWaiting(IDirectDrawSurface* s, DDSURFACEDESC* desc, DWORD flags)
{
    desc->dwSize = sizeof *desc;
    HRESULT hr;
    do
        hr = s->Lock(nullptr, desc, flags | DDLOCK_WAIT, nullptr);
    while (hr == DDERR_WASSTILLDRAWING);
    return hr;
}

// One colour channel of alpha blending: target + ((source - target) * a) >> 8.
inline unsigned Blend(unsigned target, unsigned source, unsigned alpha)
{
    return static_cast<unsigned>(
        static_cast<int>(target) +
        ((static_cast<int>(source) - static_cast<int>(target)) * static_cast<int>(alpha) >> 8));
}
} // namespace

// The display's hook: every graphic drops its surface around mode changes.
void Graphic_FreeAllSurfaces()
{
    GRAPHIC::FreeAllSurfaces();
}

void GRAPHIC::ReleaseSurface()
{
    if (pSurface) {
        if (hdc && fSurfaceDC) {
            pSurface->ReleaseDC(hdc);
            hdc = nullptr;
            nDCUses = 0;
            fSurfaceDC = 0;
        }
        pSurface->Release();
    }
    pSurface = nullptr;
    fSurfaceStale = 0;
    clrKeySet = kNone;
}

void GRAPHIC::FreeAllSurfaces()
{
    for (unsigned i = 0; i < npgrList; ++i) {
        GRAPHIC* g = apgrList[i];
        if (g && !g->fEmpty() && !g->fChild()) {
            g->pTexture = nullptr;
            g->ReleaseSurface();
        }
    }
}

// Fills the surface from the bitmap, through the surface's device context.
int GRAPHIC::RedrawSurface()
{
    HDC dc = nullptr;
    const HRESULT hr = pSurface->GetDC(&dc);
    if (hr != DD_OK)
        return FALSE_SetLastError(hr);
    const int ok = DrawDIBTo(dc, nullptr, 0, 0, kToEdge, kToEdge, 0, 0);
    pSurface->ReleaseDC(dc);
    if (ok)
        fSurfaceStale = 0;
    return ok;
}

IDirectDrawSurface* GRAPHIC::GetSurface()
{
    if (fEmpty()) {
        ZephaneSetLastError(errEmptyGraphic);
        return nullptr;
    }
    GRAPHIC* root = Root();
    IDirectDraw* dd = Display ? Display->GetDirectDraw() : nullptr;
    if (!dd) {
        ZephaneSetLastError(errNoDirectDraw);
        return nullptr;
    }
    if (!root->pSurface) {
        const long w = root->GetWidth(), h = root->GetHeight();
        const long pitch = Display->GetPitch();
        if (pitch >= 0 && pitch < w && !Display->fCanCreateWideSurfaces()) {
            ZephaneSetLastError(errSurfaceTooWide);
            return nullptr;
        }
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = static_cast<DWORD>(w);
        desc.dwHeight = static_cast<DWORD>(h);
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_3DDEVICE;
        IDirectDrawSurface* s = nullptr;
        const HRESULT hr = dd->CreateSurface(&desc, &s, nullptr);
        if (hr != DD_OK || !s) {
            ZephaneSetLastError(hr != DD_OK ? hr : errNoDirectDraw);
            return nullptr;
        }
        root->pSurface = s;
        root->fSurfaceStale = 1;
        root->clrKeySet = kNone;
    }
    if (root->fSurfaceStale && !root->RedrawSurface()) {
        const int error = ZephaneGetLastError();
        root->ReleaseSurface();
        ZephaneSetLastError(error);
        return nullptr;
    }
    if (clrTransparent != root->clrKeySet && clrTransparent != kNone) {
        const unsigned long key = CalculateColorKey(clrTransparent);
        DDCOLORKEY ck{static_cast<DWORD>(key), static_cast<DWORD>(key)};
        const HRESULT hr = root->pSurface->SetColorKey(DDCKEY_SRCBLT, &ck);
        if (hr != DD_OK) {
            ZephaneSetLastError(hr);
            return nullptr;
        }
        root->clrKeySet = clrTransparent;
    }
    return root->pSurface;
}

unsigned long GRAPHIC::FindColorKey(IDirectDrawSurface* surface, COLORREF colour)
{
    if (!surface)
        return kNone;
    HDC dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK)
        return kNone;
    const COLORREF before = ::GetPixel(dc, 0, 0);
    ::SetPixel(dc, 0, 0, colour);
    surface->ReleaseDC(dc);

    DDSURFACEDESC desc{};
    HRESULT hr = LockWaiting(surface, &desc, DDLOCK_READONLY | DDLOCK_NOSYSLOCK);
    if (hr != DD_OK)
        hr = LockWaiting(surface, &desc, 0);
    unsigned long key = kNone;
    if (hr == DD_OK) {
        std::uint32_t word = 0;
        std::memcpy(&word, desc.lpSurface, sizeof word);
        const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
        key = bits >= 32 ? word : word & ((1u << bits) - 1);
        surface->Unlock(desc.lpSurface);
    }
    if (surface->GetDC(&dc) == DD_OK) {
        ::SetPixel(dc, 0, 0, before);
        surface->ReleaseDC(dc);
    }
    return key;
}

unsigned long GRAPHIC::FindColorKey(COLORREF colour)
{
    GRAPHIC* root = Root();
    if (!root->pSurface && !GetSurface())
        return kNone;
    return FindColorKey(root->pSurface, colour);
}

// The source clamping shared by every drawing operation.
void GRAPHIC::ClampSource(int& w, int& h, int& srcX, int& srcY)
{
    const int width = static_cast<int>(GetWidth()), height = static_cast<int>(GetHeight());
    srcX = std::clamp(srcX, 0, width);
    srcY = std::clamp(srcY, 0, height);
    w = (w == kToEdge || w >= width - srcX) ? width - srcX : std::max(w, 0);
    h = (h == kToEdge || h >= height - srcY) ? height - srcY : std::max(h, 0);
}

int GRAPHIC::DrawTo(IDirectDrawSurface* target, int x, int y, int w, int h, int srcX, int srcY)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (!target)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    IDirectDrawSurface* source = GetSurface();
    if (!source)
        return 0;
    ClampSource(w, h, srcX, srcY);
    if (x < 0) {
        w += x;
        srcX -= x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        srcY -= y;
        y = 0;
    }
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    unsigned short depth = 32;
    if (target->GetSurfaceDesc(&desc) == DD_OK) {
        w = std::min<int>(w, static_cast<int>(desc.dwWidth) - x);
        h = std::min<int>(h, static_cast<int>(desc.dwHeight) - y);
        depth = static_cast<unsigned short>(desc.ddpfPixelFormat.dwRGBBitCount);
    }
    if (w <= 0 || h <= 0)
        return 1;
    if (pParent) {
        srcX += rcChild.left;
        srcY += rcChild.top;
    }
    RECT rect{srcX, srcY, srcX + w, srcY + h};
    if (fTranslucent()) {
        // The surfaces' own pixel layout decides how channels are blended.
        const unsigned long key = clrTransparent != kNone ? CalculateColorKey(clrTransparent) : kNone;
        const HRESULT hr = AlphaBlend(target, x, y, source, &rect, &alphaInfo, key, depth);
        return hr == DD_OK ? 1 : FALSE_SetLastError(hr);
    }
    const DWORD flags = DDBLTFAST_WAIT | (clrTransparent != kNone ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY);
    HRESULT hr = target->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), source, &rect, flags);
    if (hr == DDERR_SURFACELOST) {
        // Both surfaces are restored, the source refilled, and the blit tried
        // once more.
        HRESULT restored = target->Restore();
        if (restored == DD_OK)
            restored = source->Restore();
        if (restored != DD_OK)
            return FALSE_SetLastError(restored);
        if (!Root()->RedrawSurface())
            return 0;
        hr = target->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), source, &rect, flags);
    }
    return hr == DD_OK ? 1 : FALSE_SetLastError(hr);
}

int GRAPHIC::DrawTo(GRAPHIC* target, int x, int y, int w, int h, int srcX, int srcY)
{
    if (!target)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    IDirectDrawSurface* surface = target->GetSurface();
    if (!surface)
        return 0;
    return DrawTo(surface, x, y, w, h, srcX, srcY);
}

HRESULT GRAPHIC::AlphaBlend(IDirectDrawSurface* target, long x, long y, IDirectDrawSurface* source, RECT* src,
                            ALPHAINFO* info, unsigned long key, unsigned short depth)
{
    if (!info || !target || !source || !src)
        return ERROR_INVALID_PARAMETER;
    if (info->type == atMap && (!info->map || info->width < src->right || info->height < src->bottom))
        return ERROR_INVALID_PARAMETER;
    if (depth != 16 && depth != 24 && depth != 32)
        return kUnsupportedDepth;
    DDSURFACEDESC td{}, sd{};
    HRESULT hr = LockWaiting(target, &td, 0);
    if (hr != DD_OK)
        return hr;
    hr = LockWaiting(source, &sd, DDLOCK_READONLY);
    if (hr != DD_OK) {
        target->Unlock(td.lpSurface);
        return hr;
    }
    const int bytes = depth / 8;
    const bool is555 = depth == 16 && td.ddpfPixelFormat.dwGBitMask == 0x03E0;
    const long rows = std::min<long>(src->bottom - src->top, static_cast<long>(td.dwHeight) - y);
    const long cols = std::min<long>(src->right - src->left, static_cast<long>(td.dwWidth) - x);
    for (long r = 0; r < rows; ++r) {
        const long sy = src->top + r;
        auto* s = static_cast<unsigned char*>(sd.lpSurface) + sy * sd.lPitch + src->left * bytes;
        auto* t = static_cast<unsigned char*>(td.lpSurface) + (y + r) * td.lPitch + x * bytes;
        const unsigned char* map = info->type == atMap ? info->map + sy * info->width + src->left : nullptr;
        for (long c = 0; c < cols; ++c, s += bytes, t += bytes) {
            const unsigned alpha = map ? map[c] : info->alpha;
            if (depth == 32) {
                std::uint32_t sp, tp;
                std::memcpy(&sp, s, 4);
                if (sp == key)
                    continue;
                std::memcpy(&tp, t, 4);
                const std::uint32_t out =
                    (tp & 0xFF000000u) | (Blend((tp >> 16) & 0xFF, (sp >> 16) & 0xFF, alpha) << 16) |
                    (Blend((tp >> 8) & 0xFF, (sp >> 8) & 0xFF, alpha) << 8) | Blend(tp & 0xFF, sp & 0xFF, alpha);
                std::memcpy(t, &out, 4);
            } else if (depth == 24) {
                const std::uint32_t sp = s[0] | (s[1] << 8) | (s[2] << 16);
                if (sp == (key & 0xFFFFFF))
                    continue;
                for (int k = 0; k < 3; ++k)
                    t[k] = static_cast<unsigned char>(Blend(t[k], s[k], alpha));
            } else {
                const unsigned sp = s[0] | (s[1] << 8), tp = t[0] | (t[1] << 8);
                if (sp == key)
                    continue;
                const unsigned gBits = is555 ? 5 : 6, rShift = is555 ? 10 : 11;
                const unsigned gMask = (1u << gBits) - 1;
                const unsigned r = Blend((tp >> rShift) & 31, (sp >> rShift) & 31, alpha) & 31;
                const unsigned g = Blend((tp >> 5) & gMask, (sp >> 5) & gMask, alpha) & gMask;
                const unsigned b = Blend(tp & 31, sp & 31, alpha) & 31;
                const unsigned out = (r << rShift) | (g << 5) | b;
                t[0] = static_cast<unsigned char>(out);
                t[1] = static_cast<unsigned char>(out >> 8);
            }
        }
    }
    source->Unlock(sd.lpSurface);
    target->Unlock(td.lpSurface);
    return DD_OK;
}

int GRAPHIC::DrawDIBTo(HDC target, HDC, int x, int y, int w, int h, int srcX, int srcY)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (!target)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    ClampSource(w, h, srcX, srcY);
    if (w == 0 || h == 0)
        return 1;
    GRAPHIC* root = Root();
    if (pParent) {
        srcX += rcChild.left;
        srcY += rcChild.top;
    }
    // The bitmap is read through its own context: the one handed out, or
    // one made for this copy.
    const bool own = !(root->hdc && !root->fSurfaceDC);
    HDC source = own ? graphicenv::OpenDIBContext(root->hbm) : root->hdc;
    if (!source)
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    const BOOL ok = BitBlt(target, x, y, w, h, source, srcX, srcY, SRCCOPY);
    if (own)
        graphicenv::CloseDIBContext(source, root->hbm, 0);
    return ok ? 1 : FALSE_SetLastError(ERROR_INVALID_PARAMETER);
}

int GRAPHIC::DrawDIBTo(GRAPHIC* target, int x, int y, int w, int h, int srcX, int srcY)
{
    if (!target)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    HDC dc = target->GetDIBDC();
    if (!dc)
        return 0;
    const int ok = DrawDIBTo(dc, nullptr, x, y, w, h, srcX, srcY);
    target->ReleaseDC(dc, 1);
    return ok;
}

int GRAPHIC::DrawDIBTo(IDirectDrawSurface* target, int x, int y, int w, int h, int srcX, int srcY)
{
    if (!target)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    HDC dc = nullptr;
    const HRESULT hr = target->GetDC(&dc);
    if (hr != DD_OK)
        return FALSE_SetLastError(hr);
    const int ok = DrawDIBTo(dc, nullptr, x, y, w, h, srcX, srcY);
    target->ReleaseDC(dc);
    return ok;
}

int GRAPHIC::DrawToDIB(GRAPHIC* target, int x, int y, int w, int h, int srcX, int srcY)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (!target || target->fEmpty())
        return FALSE_SetLastError(target ? static_cast<int>(errEmptyGraphic)
                                         : static_cast<int>(ERROR_INVALID_PARAMETER));
    ClampSource(w, h, srcX, srcY);
    if (clrTransparent == kNone)
        return DrawDIBTo(target, x, y, w, h, srcX, srcY);
    // Keyed onto the target's surface, then the same rectangle copied back
    // into the target's bitmap, so that its master copy keeps the result.
    IDirectDrawSurface* surface = target->GetSurface();
    if (!surface || !DrawTo(surface, x, y, w, h, srcX, srcY))
        return 0;
    HDC dibDC = target->GetDIBDC();
    if (!dibDC)
        return 0;
    HDC surfaceDC = nullptr;
    HRESULT hr = surface->GetDC(&surfaceDC);
    if (hr == DD_OK) {
        BitBlt(dibDC, x, y, w, h, surfaceDC, x, y, SRCCOPY);
        surface->ReleaseDC(surfaceDC);
    }
    target->ReleaseDC(dibDC, 1);
    return hr == DD_OK ? 1 : FALSE_SetLastError(hr);
}

HDC GRAPHIC::GetDC()
{
    if (fEmpty()) {
        ZephaneSetLastError(errEmptyGraphic);
        return nullptr;
    }
    GRAPHIC* root = Root();
    if (root->nDCUses > 0) {
        if (!root->fSurfaceDC) {
            ZephaneSetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        ++root->nDCUses;
        return root->hdc;
    }
    IDirectDrawSurface* surface = GetSurface();
    if (!surface)
        return nullptr;
    HDC dc = nullptr;
    const HRESULT hr = surface->GetDC(&dc);
    if (hr != DD_OK) {
        ZephaneSetLastError(hr);
        return nullptr;
    }
    root->hdc = dc;
    root->nDCUses = 1;
    root->fSurfaceDC = 1;
    root->fDCChanged = 0;
    return dc;
}
