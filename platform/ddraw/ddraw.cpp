#include "platform/ddraw/ddraw.h"

#include "platform/ddraw/presenter.h"
#include "platform/window/window.h"

#include <algorithm>
#include <cstring>

namespace {

// The window's icon is the icon of the main window's class: an icon file's
// bytes, whose length its directory tells.
void TakeClassIcon(HWND hwnd)
{
    char name[256] = "";
    WNDCLASSA wc{};
    if (!hwnd || !GetClassNameA(hwnd, name, sizeof(name)) || !GetClassInfoA(nullptr, name, &wc) || !wc.hIcon)
        return;
    const auto* p = reinterpret_cast<const unsigned char*>(wc.hIcon);
    const std::size_t count = p[4] | (p[5] << 8);
    std::size_t cb = 6 + 16 * count;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* e = p + 6 + 16 * i;
        const std::size_t bytes = e[8] | (e[9] << 8) | (e[10] << 16) | (static_cast<std::size_t>(e[11]) << 24);
        const std::size_t at = e[12] | (e[13] << 8) | (e[14] << 16) | (static_cast<std::size_t>(e[15]) << 24);
        cb = std::max(cb, at + bytes);
    }
    presenter::SetIcon(p, cb);
}
struct Registry {
    std::vector<IDirectDraw*> objects;
    bool createFails = false;
};

Registry& registry()
{
    static Registry r;
    return r;
}

void FillFormat(DDPIXELFORMAT* pf)
{
    std::memset(pf, 0, sizeof(*pf));
    pf->dwSize = sizeof(DDPIXELFORMAT);
    pf->dwFlags = DDPF_RGB;
    pf->dwRGBBitCount = 32;
    pf->dwRBitMask = 0x00FF0000;
    pf->dwGBitMask = 0x0000FF00;
    pf->dwBBitMask = 0x000000FF;
}

// Clips a copy of srcRect (at dest x, y) to both surfaces; false when
// nothing remains.
bool ClipCopy(int& dx, int& dy, RECT& s, int srcW, int srcH, int dstW, int dstH)
{
    if (s.left < 0) {
        dx -= s.left;
        s.left = 0;
    }
    if (s.top < 0) {
        dy -= s.top;
        s.top = 0;
    }
    s.right = std::min<LONG>(s.right, srcW);
    s.bottom = std::min<LONG>(s.bottom, srcH);
    if (dx < 0) {
        s.left -= dx;
        dx = 0;
    }
    if (dy < 0) {
        s.top -= dy;
        dy = 0;
    }
    s.right = std::min<LONG>(s.right, s.left + (dstW - dx));
    s.bottom = std::min<LONG>(s.bottom, s.top + (dstH - dy));
    return s.right > s.left && s.bottom > s.top;
}
}  // namespace

ULONG DDObject::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

// --- palette -----------------------------------------------------------------

HRESULT IDirectDrawPalette::GetEntries(DWORD, DWORD start, DWORD count, PALETTEENTRY* entries)
{
    if (!entries || start >= 256 || count > 256 - start)
        return DDERR_INVALIDPARAMS;
    for (DWORD i = 0; i < count; ++i) {
        const std::uint32_t c = m_colours[start + i];
        entries[i] = {static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c), 0};
    }
    return DD_OK;
}

HRESULT IDirectDrawPalette::SetEntries(DWORD, DWORD start, DWORD count, const PALETTEENTRY* entries)
{
    if (!entries || start >= 256 || count > 256 - start)
        return DDERR_INVALIDPARAMS;
    for (DWORD i = 0; i < count; ++i)
        m_colours[start + i] = (static_cast<std::uint32_t>(entries[i].peRed) << 16) |
                               (static_cast<std::uint32_t>(entries[i].peGreen) << 8) | entries[i].peBlue;
    return DD_OK;
}

// --- clipper -----------------------------------------------------------------

HRESULT IDirectDrawClipper::Initialize(IDirectDraw*, DWORD)
{
    if (m_initialized)
        return DDERR_ALREADYINITIALIZED;
    m_initialized = true;
    return DD_OK;
}

HRESULT IDirectDrawClipper::SetHWnd(DWORD, HWND hwnd)
{
    if (hwnd && !IsWindow(hwnd))
        return DDERR_INVALIDPARAMS;
    m_hwnd = hwnd;
    return DD_OK;
}

HRESULT IDirectDrawClipper::GetHWnd(HWND* hwnd)
{
    if (!hwnd)
        return DDERR_INVALIDPARAMS;
    *hwnd = m_hwnd;
    return DD_OK;
}

HRESULT DirectDrawCreateClipper(DWORD, IDirectDrawClipper** out, void*)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = new IDirectDrawClipper();
    return DD_OK;
}

// --- surfaces ----------------------------------------------------------------

IDirectDrawSurface::IDirectDrawSurface(IDirectDraw* owner, int width, int height, DWORD caps)
    : m_owner(owner), m_width(width), m_height(height), m_caps(caps),
      m_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0)
{
}

IDirectDrawSurface::~IDirectDrawSurface()
{
    presenter::SourceGone(m_pixels.data());
    if (m_dc)
        DeleteDC(m_dc);
    for (IDirectDrawSurface* b : m_backBuffers) {
        b->m_front = nullptr;
        b->m_refs = 1;
        b->Release();
    }
    if (m_palette)
        m_palette->Release();
    if (m_clipper)
        m_clipper->Release();
    if (m_owner)
        m_owner->SurfaceGone(this);
}

bool IDirectDrawSurface::IsFront() const { return (m_caps & DDSCAPS_PRIMARYSURFACE) != 0; }

void IDirectDrawSurface::PresentIfFront(const RECT* changed, int count)
{
    if (!IsFront() || m_lost)
        return;
    const int depth = m_owner ? m_owner->ModeDepth() : 32;
    const presenter::Source source{m_pixels.data(), m_width, m_height, m_width, depth,
                                   m_palette ? m_palette->Colours() : nullptr};
    if (count < 0)
        presenter::PresentSource(source);
    else
        presenter::PresentChanged(source, changed, count);
}

void IDirectDrawSurface::SetChangedRects(const RECT* rects, DWORD count)
{
    m_changed.assign(rects, rects + (rects ? count : 0));
    m_hasChanged = true;
}

void IDirectDrawSurface::Changing()
{
    m_hasChanged = false;
    m_changed.clear();
}

void IDirectDrawSurface::OpenForWriting()
{
    Changing();
    // The screen's picture may still be read from these pixels, which
    // change now without a present.
    if (IsFront())
        presenter::SourceGone(m_pixels.data());
}

HRESULT IDirectDrawSurface::Blt(RECT* dest, IDirectDrawSurface* src, RECT* srcRect, DWORD flags, DDBLTFX* fx)
{
    if (m_lost || (src && src->m_lost))
        return DDERR_SURFACELOST;
    RECT d = dest ? *dest : RECT{0, 0, m_width, m_height};
    if (d.right <= d.left || d.bottom <= d.top)
        return DDERR_INVALIDRECT;
    // A clipper bound to a window keeps the blit inside that window's client
    // area (screen coordinates are the primary surface's).
    RECT clip{0, 0, m_width, m_height};
    if (m_clipper && m_clipper->m_hwnd) {
        RECT c;
        GetClientRect(m_clipper->m_hwnd, &c);
        POINT o{0, 0};
        ClientToScreen(m_clipper->m_hwnd, &o);
        clip.left = std::max<LONG>(clip.left, o.x);
        clip.top = std::max<LONG>(clip.top, o.y);
        clip.right = std::min<LONG>(clip.right, o.x + c.right);
        clip.bottom = std::min<LONG>(clip.bottom, o.y + c.bottom);
    } else if (d.left < 0 || d.top < 0 || d.right > m_width || d.bottom > m_height) {
        return DDERR_INVALIDRECT;
    }
    // The part of the surface that changes: only that is shown anew.
    RECT touched{std::max(d.left, clip.left), std::max(d.top, clip.top), std::min(d.right, clip.right),
                 std::min(d.bottom, clip.bottom)};
    if (touched.right < touched.left || touched.bottom < touched.top)
        touched = RECT{0, 0, 0, 0};
    if (flags & DDBLT_COLORFILL) {
        if (!fx)
            return DDERR_INVALIDPARAMS;
        Changing();
        const std::uint32_t v = fx->dwFillColor & 0xFFFFFF;
        for (LONG y = touched.top; y < touched.bottom; ++y)
            std::fill_n(m_pixels.data() + static_cast<std::size_t>(y) * m_width + touched.left,
                        touched.right - touched.left, v);
        PresentIfFront(&touched, 1);
        return DD_OK;
    }
    if (!src)
        return DDERR_INVALIDPARAMS;
    const RECT s = srcRect ? *srcRect : RECT{0, 0, src->m_width, src->m_height};
    if (s.right <= s.left || s.bottom <= s.top || s.left < 0 || s.top < 0 || s.right > src->m_width ||
        s.bottom > src->m_height)
        return DDERR_INVALIDRECT;
    const bool keyed = (flags & DDBLT_KEYSRC) && src->m_hasKey;
    const std::uint32_t lo = src->m_key.dwColorSpaceLowValue & 0xFFFFFF;
    const std::uint32_t hi = src->m_key.dwColorSpaceHighValue & 0xFFFFFF;
    const long dw = d.right - d.left, dh = d.bottom - d.top;
    const long sw = s.right - s.left, sh = s.bottom - s.top;
    Changing();
    // Work on a copy when source and target are one surface.
    std::vector<std::uint32_t> copy;
    const std::uint32_t* sp = src->m_pixels.data();
    if (src == this) {
        copy = m_pixels;
        sp = copy.data();
    }
    const bool sameSize = dw == sw && dh == sh;
    for (LONG y = touched.top; y < touched.bottom; ++y) {
        const long sy = s.top + (y - d.top) * sh / dh;
        const std::uint32_t* row = sp + static_cast<std::size_t>(sy) * src->m_width;
        std::uint32_t* out = m_pixels.data() + static_cast<std::size_t>(y) * m_width;
        if (sameSize && !keyed) {
            const long shift = s.left - d.left;
            for (LONG x = touched.left; x < touched.right; ++x)
                out[x] = row[x + shift] & 0xFFFFFF;
            continue;
        }
        for (LONG x = touched.left; x < touched.right; ++x) {
            const long sx = s.left + (x - d.left) * sw / dw;
            const std::uint32_t v = row[sx] & 0xFFFFFF;
            if (keyed && v >= lo && v <= hi)
                continue;
            out[x] = v;
        }
    }
    // A source that knows what changed in it since it was last shown (all
    // of it blitted unscaled) narrows what is shown anew.
    if (IsFront() && src != this && src->m_hasChanged && sameSize && s.left == 0 && s.top == 0 &&
        sw == src->m_width && sh == src->m_height) {
        std::vector<RECT> shown;
        for (const RECT& c : src->m_changed) {
            RECT r{std::max(c.left + d.left, touched.left), std::max(c.top + d.top, touched.top),
                   std::min(c.right + d.left, touched.right), std::min(c.bottom + d.top, touched.bottom)};
            if (r.right > r.left && r.bottom > r.top)
                shown.push_back(r);
        }
        src->Changing();
        PresentIfFront(shown.data(), static_cast<int>(shown.size()));
        return DD_OK;
    }
    PresentIfFront(&touched, 1);
    return DD_OK;
}

HRESULT IDirectDrawSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* src, RECT* srcRect, DWORD trans)
{
    if (!src)
        return DDERR_INVALIDPARAMS;
    if (m_lost || src->m_lost)
        return DDERR_SURFACELOST;
    RECT s = srcRect ? *srcRect : RECT{0, 0, src->m_width, src->m_height};
    int dx = static_cast<int>(x), dy = static_cast<int>(y);
    if (!ClipCopy(dx, dy, s, src->m_width, src->m_height, m_width, m_height))
        return DD_OK;
    Changing();
    const bool keyed = (trans & DDBLTFAST_SRCCOLORKEY) && src->m_hasKey;
    const std::uint32_t lo = src->m_key.dwColorSpaceLowValue & 0xFFFFFF;
    const std::uint32_t hi = src->m_key.dwColorSpaceHighValue & 0xFFFFFF;
    std::vector<std::uint32_t> copy;
    const std::uint32_t* sp = src->m_pixels.data();
    if (src == this) {
        copy = m_pixels;
        sp = copy.data();
    }
    const int w = s.right - s.left;
    for (int row = 0; row < s.bottom - s.top; ++row) {
        const std::uint32_t* in = sp + static_cast<std::size_t>(s.top + row) * src->m_width + s.left;
        std::uint32_t* out = m_pixels.data() + static_cast<std::size_t>(dy + row) * m_width + dx;
        if (!keyed) {
            for (int i = 0; i < w; ++i)
                out[i] = in[i] & 0xFFFFFF;
            continue;
        }
        for (int i = 0; i < w; ++i) {
            const std::uint32_t v = in[i] & 0xFFFFFF;
            if (v < lo || v > hi)
                out[i] = v;
        }
    }
    const RECT touched{dx, dy, dx + w, dy + (s.bottom - s.top)};
    PresentIfFront(&touched, 1);
    return DD_OK;
}

HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface*, DWORD)
{
    if (!IsFront() || m_backBuffers.empty())
        return DDERR_NOTFLIPPABLE;
    if (m_lost)
        return DDERR_SURFACELOST;
    // The chain turns by one: the first back buffer's picture is shown, and
    // what was shown goes to the end of the chain. What the first back
    // buffer knew of its changes goes with its picture.
    IDirectDrawSurface* next = m_backBuffers.front();
    const bool hinted = next->m_hasChanged;
    std::vector<RECT> changed = std::move(next->m_changed);
    for (IDirectDrawSurface* b : m_backBuffers)
        b->Changing();
    std::vector<std::uint32_t> shown = std::move(m_pixels);
    m_pixels = std::move(next->m_pixels);
    for (std::size_t i = 0; i + 1 < m_backBuffers.size(); ++i)
        m_backBuffers[i]->m_pixels = std::move(m_backBuffers[i + 1]->m_pixels);
    m_backBuffers.back()->m_pixels = std::move(shown);
    if (hinted)
        PresentIfFront(changed.data(), static_cast<int>(changed.size()));
    else
        PresentIfFront();
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** out)
{
    if (!caps || !out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || m_backBuffers.empty())
        return DDERR_NOTFOUND;
    *out = m_backBuffers.front();
    (*out)->AddRef();
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetDC(HDC* hdc)
{
    if (!hdc)
        return DDERR_INVALIDPARAMS;
    if (m_lost)
        return DDERR_SURFACELOST;
    if (m_dc)
        return DDERR_SURFACEBUSY;
    OpenForWriting();
    m_dc = gdi::CreateBufferDC(m_pixels.data(), m_width, m_height, m_width);
    *hdc = m_dc;
    return m_dc ? DD_OK : DDERR_GENERIC;
}

HRESULT IDirectDrawSurface::ReleaseDC(HDC hdc)
{
    if (!m_dc || hdc != m_dc)
        return DDERR_INVALIDPARAMS;
    DeleteDC(m_dc);
    m_dc = nullptr;
    PresentIfFront();
    return DD_OK;
}

HRESULT IDirectDrawSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE)
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    if (m_lost)
        return DDERR_SURFACELOST;
    GetSurfaceDesc(desc);
    std::size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > m_width || rect->bottom > m_height ||
            rect->left >= rect->right || rect->top >= rect->bottom)
            return DDERR_INVALIDRECT;
        offset = static_cast<std::size_t>(rect->top) * m_width + rect->left;
    }
    if (!(flags & DDLOCK_READONLY))
        OpenForWriting();
    desc->lpSurface = m_pixels.data() + offset;
    desc->dwFlags |= DDSD_LPSURFACE;
    ++m_locks;
    return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(void*)
{
    if (m_locks == 0)
        return DDERR_NOTLOCKED;
    --m_locks;
    PresentIfFront();
    return DD_OK;
}

HRESULT IDirectDrawSurface::IsLost() { return m_lost ? DDERR_SURFACELOST : DD_OK; }

HRESULT IDirectDrawSurface::Restore()
{
    if (m_front)
        return m_front->Restore();
    // A primary surface comes back only at the size of the mode in force.
    if (IsFront()) {
        const presenter::Mode m = presenter::CurrentMode();
        if (m.width != m_width || m.height != m_height)
            return DDERR_WRONGMODE;
    }
    m_lost = false;
    for (IDirectDrawSurface* b : m_backBuffers)
        b->m_lost = false;
    return DD_OK;
}

HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, DDCOLORKEY* key)
{
    if (!(flags & DDCKEY_SRCBLT))
        return DDERR_INVALIDPARAMS;
    m_hasKey = key != nullptr;
    if (key)
        m_key = *key;
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetColorKey(DWORD flags, DDCOLORKEY* key)
{
    if (!(flags & DDCKEY_SRCBLT) || !key)
        return DDERR_INVALIDPARAMS;
    if (!m_hasKey)
        return DDERR_NOCOLORKEY;
    *key = m_key;
    return DD_OK;
}

HRESULT IDirectDrawSurface::SetPalette(IDirectDrawPalette* palette)
{
    if (palette)
        palette->AddRef();
    if (m_palette)
        m_palette->Release();
    m_palette = palette;
    PresentIfFront();
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetPalette(IDirectDrawPalette** palette)
{
    if (!palette)
        return DDERR_INVALIDPARAMS;
    *palette = m_palette;
    if (!m_palette)
        return DDERR_NOPALETTEATTACHED;
    m_palette->AddRef();
    return DD_OK;
}

HRESULT IDirectDrawSurface::SetClipper(IDirectDrawClipper* clipper)
{
    if (clipper)
        clipper->AddRef();
    if (m_clipper)
        m_clipper->Release();
    m_clipper = clipper;
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetClipper(IDirectDrawClipper** clipper)
{
    if (!clipper)
        return DDERR_INVALIDPARAMS;
    *clipper = m_clipper;
    if (!m_clipper)
        return DDERR_NOTFOUND;
    m_clipper->AddRef();
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* desc)
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    std::memset(desc, 0, sizeof(*desc));
    desc->dwSize = sizeof(DDSURFACEDESC);
    desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(m_width);
    desc->dwHeight = static_cast<DWORD>(m_height);
    desc->lPitch = m_width * 4;
    desc->dwBackBufferCount = static_cast<DWORD>(m_backBuffers.size());
    desc->ddsCaps.dwCaps = m_caps;
    if (m_hasKey) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt = m_key;
    }
    FillFormat(&desc->ddpfPixelFormat);
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetPixelFormat(DDPIXELFORMAT* format)
{
    if (!format)
        return DDERR_INVALIDPARAMS;
    FillFormat(format);
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetCaps(DDSCAPS* caps)
{
    if (!caps)
        return DDERR_INVALIDPARAMS;
    caps->dwCaps = m_caps;
    return DD_OK;
}

// --- DirectDraw ----------------------------------------------------------------

IDirectDraw::IDirectDraw() { registry().objects.push_back(this); }

IDirectDraw::~IDirectDraw()
{
    if (m_modeSet)
        RestoreDisplayMode();
    // Surfaces outliving their DirectDraw object stay usable as buffers.
    for (IDirectDrawSurface* s : m_surfaces)
        s->m_owner = nullptr;
    auto& objs = registry().objects;
    objs.erase(std::remove(objs.begin(), objs.end(), this), objs.end());
}

void IDirectDraw::SurfaceGone(IDirectDrawSurface* s)
{
    m_surfaces.erase(std::remove(m_surfaces.begin(), m_surfaces.end(), s), m_surfaces.end());
    if (m_primary == s)
        m_primary = nullptr;
}

void IDirectDraw::LoseSurfaces()
{
    for (IDirectDrawSurface* s : m_surfaces)
        if (s->m_caps & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_BACKBUFFER | DDSCAPS_VIDEOMEMORY))
            s->m_lost = true;
}

void IDirectDraw::LoseEverySurface()
{
    for (IDirectDrawSurface* s : m_surfaces)
        s->m_lost = true;
}

int IDirectDraw::ModeDepth() const { return presenter::CurrentMode().depth; }

HRESULT IDirectDraw::SetCooperativeLevel(HWND hwnd, DWORD flags)
{
    if ((flags & DDSCL_EXCLUSIVE) && (!(flags & DDSCL_FULLSCREEN) || !IsWindow(hwnd)))
        return DDERR_INVALIDPARAMS;
    if (hwnd && !IsWindow(hwnd))
        return DDERR_INVALIDPARAMS;
    m_hwnd = hwnd;
    m_level = flags;
    return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bpp)
{
    const auto& modes = ddraw_control::Modes();
    const bool listed = std::any_of(modes.begin(), modes.end(), [&](const ddraw_control::ModeEntry& m) {
        return m.width == static_cast<int>(width) && m.height == static_cast<int>(height) &&
               m.depth == static_cast<int>(bpp);
    });
    if (!listed)
        return DDERR_INVALIDMODE;
    if (!(m_level & DDSCL_EXCLUSIVE))
        return DDERR_NOEXCLUSIVEMODE;
    LoseSurfaces();
    presenter::SetCurrentMode({static_cast<int>(width), static_cast<int>(height), static_cast<int>(bpp)});
    char title[256] = "";
    if (m_hwnd) {
        GetWindowTextA(m_hwnd, title, sizeof(title));
        TakeClassIcon(m_hwnd);
    }
    presenter::SetShown(true, title);
    m_modeSet = true;
    return DD_OK;
}

HRESULT IDirectDraw::RestoreDisplayMode()
{
    if (!m_modeSet)
        return DD_OK;
    LoseSurfaces();
    m_modeSet = false;
    presenter::SetShown(false);
    presenter::SetCurrentMode(presenter::DesktopMode());
    return DD_OK;
}

HRESULT IDirectDraw::GetDisplayMode(DDSURFACEDESC* desc)
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    const presenter::Mode m = presenter::CurrentMode();
    std::memset(desc, 0, sizeof(*desc));
    desc->dwSize = sizeof(*desc);
    desc->dwFlags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(m.width);
    desc->dwHeight = static_cast<DWORD>(m.height);
    desc->lPitch = m.width * 4;
    FillFormat(&desc->ddpfPixelFormat);
    desc->ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(m.depth);
    return DD_OK;
}

HRESULT IDirectDraw::EnumDisplayModes(DWORD, DDSURFACEDESC*, void* context, LPDDENUMMODESCALLBACK callback)
{
    if (!callback)
        return DDERR_INVALIDPARAMS;
    for (const auto& m : ddraw_control::Modes()) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof(d);
        d.dwFlags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
        d.dwWidth = static_cast<DWORD>(m.width);
        d.dwHeight = static_cast<DWORD>(m.height);
        d.lPitch = m.width * m.depth / 8;
        d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        d.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(m.depth);
        if (m.depth == 8) {
            d.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
        } else if (m.depth == 16) {
            d.ddpfPixelFormat.dwFlags = DDPF_RGB;
            d.ddpfPixelFormat.dwRBitMask = 0xF800;
            d.ddpfPixelFormat.dwGBitMask = 0x07E0;
            d.ddpfPixelFormat.dwBBitMask = 0x001F;
        } else {
            d.ddpfPixelFormat.dwFlags = DDPF_RGB;
            d.ddpfPixelFormat.dwRBitMask = 0xFF0000;
            d.ddpfPixelFormat.dwGBitMask = 0x00FF00;
            d.ddpfPixelFormat.dwBBitMask = 0x0000FF;
        }
        if (callback(&d, context) == DDENUMRET_CANCEL)
            break;
    }
    return DD_OK;
}

HRESULT IDirectDraw::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** out, void*)
{
    if (!desc || !out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    const DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (!m_level)
            return DDERR_NOCOOPERATIVELEVELSET;
        if (m_primary)
            return DDERR_PRIMARYSURFACEALREADYEXISTS;
        const presenter::Mode m = presenter::CurrentMode();
        auto* primary = new IDirectDrawSurface(this, m.width, m.height, caps | DDSCAPS_FRONTBUFFER);
        if ((caps & DDSCAPS_FLIP) && (desc->dwFlags & DDSD_BACKBUFFERCOUNT)) {
            if (!(m_level & DDSCL_EXCLUSIVE) || desc->dwBackBufferCount == 0) {
                primary->Release();
                return DDERR_NOEXCLUSIVEMODE;
            }
            for (DWORD i = 0; i < desc->dwBackBufferCount; ++i) {
                const DWORD backCaps =
                    (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) | (i == 0 ? DDSCAPS_BACKBUFFER : 0);
                auto* back = new IDirectDrawSurface(this, m.width, m.height, backCaps);
                back->m_front = primary;
                m_surfaces.push_back(back);
                primary->m_backBuffers.push_back(back);
            }
        }
        m_primary = primary;
        m_surfaces.push_back(primary);
        *out = primary;
        return DD_OK;
    }
    if (!(desc->dwFlags & DDSD_WIDTH) || !(desc->dwFlags & DDSD_HEIGHT) || desc->dwWidth == 0 ||
        desc->dwHeight == 0 || desc->dwWidth > 16384 || desc->dwHeight > 16384)
        return DDERR_INVALIDPARAMS;
    auto* s = new IDirectDrawSurface(this, static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight),
                                     caps ? caps : DDSCAPS_OFFSCREENPLAIN);
    if (desc->dwFlags & DDSD_CKSRCBLT) {
        s->m_hasKey = true;
        s->m_key = desc->ddckCKSrcBlt;
    }
    m_surfaces.push_back(s);
    *out = s;
    return DD_OK;
}

HRESULT IDirectDraw::CreatePalette(DWORD flags, const PALETTEENTRY* entries, IDirectDrawPalette** out, void*)
{
    if (!out || !entries || !(flags & DDPCAPS_8BIT))
        return DDERR_INVALIDPARAMS;
    auto* p = new IDirectDrawPalette();
    p->SetEntries(0, 0, 256, entries);
    *out = p;
    return DD_OK;
}

HRESULT IDirectDraw::CreateClipper(DWORD flags, IDirectDrawClipper** out, void* outer)
{
    const HRESULT hr = DirectDrawCreateClipper(flags, out, outer);
    if (hr == DD_OK)
        (*out)->m_initialized = true;
    return hr;
}

HRESULT IDirectDraw::GetCaps(DDCAPS* driverCaps, DDCAPS* helCaps)
{
    for (DDCAPS* c : {driverCaps, helCaps}) {
        if (!c)
            continue;
        const DWORD size = c->dwSize;
        std::memset(c, 0, sizeof(*c));
        c->dwSize = size;
        // Surfaces are memory: any width is fine.
        c->dwCaps2 = DDCAPS2_WIDESURFACES;
    }
    return driverCaps || helCaps ? DD_OK : DDERR_INVALIDPARAMS;
}

HRESULT IDirectDraw::FlipToGDISurface() { return DD_OK; }

HRESULT DirectDrawCreate(GUID*, IDirectDraw** out, void*)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (registry().createFails)
        return DDERR_GENERIC;
    *out = new IDirectDraw();
    return DD_OK;
}

namespace ddraw_control {
const std::vector<ModeEntry>& Modes()
{
    static const std::vector<ModeEntry> modes = [] {
        std::vector<ModeEntry> m;
        for (auto [w, h] : {std::pair{640, 480}, {800, 600}, {1024, 768}, {1152, 864}})
            for (int d : {8, 16, 32})
                m.push_back({w, h, d});
        return m;
    }();
    return modes;
}

void SetCreateFails(bool fails) { registry().createFails = fails; }

void LoseAllSurfaces()
{
    for (IDirectDraw* dd : registry().objects)
        dd->LoseEverySurface();
}
}  // namespace ddraw_control
