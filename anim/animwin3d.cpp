// ANIMWINDOW and its 3D scene: the device, root and camera frames and the
// viewport; the object at depth 0x7FFF that draws the scene under the 2D
// objects; the render options; and the mapping between frame coordinates
// and window pixels.
//
// The scene graph lives on the CPU. Where the OpenGL renderer can be
// installed, the scene object renders the viewport and copies its picture
// into the frame being composed; where it cannot, everything else (frames,
// viewport, picking, transforms) keeps working and the object paints the
// window's background colour.
#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "platform/base/guid.h"
#include "platform/base/syserror.h"
#include "platform/d3drm/d3drm.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gdi/gdi.h"
#include "platform/glrender/glrender.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
// Set by hosts that want the scene graph even where nothing can draw it.
int s_fSceneWithoutRenderer = 0;

// Installs the renderer when it is not installed yet. After a failure the
// frames do not try again; making a 3D device does (start-up and mode
// changes). The reason for a failure is written once to standard error.
bool RendererReady(bool fRetry = false)
{
    static bool fFailed = false, fReported = false;
    if (GlRenderIsInstalled())
        return true;
    if (fFailed && !fRetry)
        return false;
    fFailed = !GlRenderInstall();
    if (fFailed && !fReported) {
        std::fprintf(stderr, "no 3D renderer: %s\n", GlRenderGetError());
        fReported = true;
    }
    return !fFailed;
}

int FailWith(HRESULT hr)
{
    ZephaneSetLastError(static_cast<int>(hr));
    return 0;
}
} // namespace

// ---- switching 3D on and off --------------------------------------------------------------------

int ANIMWINDOW::Enable3d(int f)
{
    f = f ? 1 : 0;
    if (f && !m_fIs3dEnabled) {
        if (!Create3dDevice())
            return 0;
        m_po3d = new (std::nothrow) ANIMOBJECT(this, 0x7FFF, &ANIMWINDOW::AnimObject3dCallback, 0);
        if (!m_po3d) {
            Release3d();
            return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        }
    } else if (!f && m_fIs3dEnabled) {
        delete m_po3d;
        m_po3d = nullptr;
        Release3d();
    }
    m_fIs3dEnabled = f;
    if (f)
        CallService(svcaw3dDevice, 0, 0);
    return 1;
}

void ANIMWINDOW::Release3d()
{
    if (m_pfrCamera)
        m_pfrCamera->Release();
    m_pfrCamera = nullptr;
    if (m_pfrRoot)
        m_pfrRoot->Release();
    m_pfrRoot = nullptr;
    if (Display) {
        if (IDirect3DRMViewport* v = Display->Get3dViewport())
            Display3d_ReleaseViewport(v);
        Display->Set3dViewport(nullptr);
        Display->Set3dDevice(nullptr);
    }
}

int ANIMWINDOW::Create3dDevice()
{
    Release3d();
    if (!Display)
        return FALSE_SetLastError(errNoDirect3d);
    IDirect3DRM2* rm = Display->GetDirect3d();
    if (!rm || !Display->GetDirectDraw())
        return 0;

    // The device covers the surface the scene object draws on: the back
    // buffer when flipping, the window image when blitting.
    long width = m_rcClient.right - m_rcClient.left;
    long height = m_rcClient.bottom - m_rcClient.top;
    IDirectDrawSurface* surface = nullptr;
    if (Display->GetAnimMethod() != amBlit)
        surface = Display->GetSurface(0);
    else if (m_pgrWindowImage)
        surface = m_pgrWindowImage->GetSurface();
    if (surface) {
        width = surface->Width();
        height = surface->Height();
    }
    if (width <= 0 || height <= 0)
        return FALSE_SetLastError(errNoDirect3d);

    IDirect3DRMDevice2* device = nullptr;
    HRESULT hr = rm->CreateDevice(static_cast<DWORD>(width), static_cast<DWORD>(height), &device);
    if (hr != D3DRM_OK)
        return FailWith(hr);

    hr = rm->CreateFrame(nullptr, &m_pfrRoot);
    if (hr == D3DRM_OK && m_clrBackground != 0xFFFFFFFF)
        hr = m_pfrRoot->SetSceneBackgroundRGB(GetRValue(m_clrBackground) / 255.0f, GetGValue(m_clrBackground) / 255.0f,
                                              GetBValue(m_clrBackground) / 255.0f);
    if (hr == D3DRM_OK)
        hr = rm->CreateFrame(m_pfrRoot, &m_pfrCamera);
    IDirect3DRMViewport* viewport = nullptr;
    if (hr == D3DRM_OK)
        hr = rm->CreateViewport(device, m_pfrCamera, 0, 0, device->GetWidth(), device->GetHeight(), &viewport);
    if (hr == D3DRM_OK)
        hr = viewport->SetBack(5000.0f);
    // The viewport holds the device from here on; the display keeps both
    // and releasing the viewport lets the device go too.
    device->Release();
    if (hr != D3DRM_OK) {
        if (viewport)
            viewport->Release();
        Release3d();
        return FailWith(hr);
    }
    Display->Set3dDevice(device);
    Display->Set3dViewport(viewport);
    if (!Update3dOptions(nullptr, 1)) {
        const int error = ZephaneGetLastError();
        Release3d();
        return FALSE_SetLastError(error);
    }
    // Without a renderer nothing of the scene would be seen: that is a
    // failure, unless the host asked for a scene without pictures (its
    // frames, transforms and picking still work).
    if (!RendererReady(true)) {
        if (!s_fSceneWithoutRenderer) {
            Release3d();
            return FALSE_SetLastError(errNoDirect3d);
        }
        ZephaneSetLastError(errNoDirect3d);
    }
    return 1;
}

void ANIMWINDOW::Allow3dWithoutRenderer(int f)
{
    s_fSceneWithoutRenderer = f ? 1 : 0;
}

int ANIMWINDOW::Set3dDevice(const GUID* guid)
{
    delete m_pDeviceGuid;
    m_pDeviceGuid = guid ? new (std::nothrow) GUID(*guid) : nullptr;
    if (guid && !m_pDeviceGuid)
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (m_fIs3dEnabled) {
        if (!Create3dDevice())
            return 0;
        CallService(svcaw3dDevice, 0, 0);
    }
    return 1;
}

// ---- accessors ----------------------------------------------------------------------------------

IDirect3DRMDevice2* ANIMWINDOW::Get3dDevice()
{
    IDirect3DRMDevice2* d = m_fIs3dEnabled && Display ? Display->Get3dDevice() : nullptr;
    if (!d)
        ZephaneSetLastError(errNo3d);
    return d;
}

IDirect3DRMViewport* ANIMWINDOW::Get3dViewport()
{
    IDirect3DRMViewport* v = m_fIs3dEnabled && Display ? Display->Get3dViewport() : nullptr;
    if (!v)
        ZephaneSetLastError(errNo3d);
    return v;
}

IDirect3DRMFrame2* ANIMWINDOW::Get3dRootFrame()
{
    IDirect3DRMFrame2* f = m_fIs3dEnabled ? m_pfrRoot : nullptr;
    if (!f)
        ZephaneSetLastError(errNo3d);
    return f;
}

IDirect3DRMFrame2* ANIMWINDOW::Get3dCameraFrame()
{
    IDirect3DRMFrame2* f = m_fIs3dEnabled ? m_pfrCamera : nullptr;
    if (!f)
        ZephaneSetLastError(errNo3d);
    return f;
}

// ---- render options -----------------------------------------------------------------------------

int ANIMWINDOW::Get3dOptions(OPTIONS3D* options)
{
    if (!options)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    *options = m_options3d;
    return 1;
}

int ANIMWINDOW::Update3dOptions(OPTIONS3D* options, int fAll)
{
    IDirect3DRMDevice2* device = Display ? Display->Get3dDevice() : nullptr;
    if (!device) {
        if (!fAll)
            return FALSE_SetLastError(errNo3d);
        // Nothing to apply yet; the values are used when a device comes.
        if (options)
            m_options3d = *options;
        return 1;
    }
    const OPTIONS3D want = options ? *options : m_options3d;
    const OPTIONS3D& now = m_options3d;
    HRESULT hr = D3DRM_OK;
    if (fAll || want.shade != now.shade || want.light != now.light || want.fill != now.fill)
        hr = device->SetQuality(want.shade + want.light + want.fill);
    if (hr == D3DRM_OK && (fAll || want.dither != now.dither))
        hr = device->SetDither(want.dither ? TRUE : FALSE);
    if (hr == D3DRM_OK && (fAll || want.textureQuality != now.textureQuality))
        hr = device->SetTextureQuality(static_cast<D3DRMTEXTUREQUALITY>(want.textureQuality));
    if (hr == D3DRM_OK && fAll) {
        IDirect3DRM2* rm = Display->GetDirect3d();
        const unsigned short depth = Display->GetDepth();
        if (depth == 1) {
            hr = device->SetShades(4);
            if (hr == D3DRM_OK && rm)
                hr = rm->SetDefaultTextureShades(4);
        } else if (depth >= 16) {
            hr = device->SetShades(256);
            if (hr == D3DRM_OK && rm)
                hr = rm->SetDefaultTextureShades(256);
            if (hr == D3DRM_OK && rm)
                hr = rm->SetDefaultTextureColors(256);
        }
    }
    if (hr != D3DRM_OK)
        return FailWith(hr);
    m_options3d = want;
    return 1;
}

// ---- coordinates --------------------------------------------------------------------------------

int ANIMWINDOW::FrameToScreen(IDirect3DRMFrame2* frame, float x, float y, float z, long* sx, long* sy)
{
    IDirect3DRMViewport* viewport = Get3dViewport();
    if (!viewport)
        return 0;
    if (!sx || !sy)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    const D3DVECTOR local{x, y, z};
    D3DVECTOR world = local;
    if (frame)
        frame->Transform(&world, &local);
    D3DRMVECTOR4D screen{};
    const HRESULT hr = viewport->Transform(&screen, &world);
    if (hr != D3DRM_OK)
        return FailWith(hr);
    if (screen.w != 0) {
        *sx = static_cast<long>(screen.x / screen.w);
        *sy = static_cast<long>(screen.y / screen.w);
    } else {
        *sx = static_cast<long>(screen.x);
        *sy = static_cast<long>(screen.y);
    }
    return 1;
}

int ANIMWINDOW::ScreenToFrame(IDirect3DRMFrame2* frame, float* x, float* y, float* z, float depth1, float depth2,
                              long sx, long sy)
{
    IDirect3DRMViewport* viewport = Get3dViewport();
    if (!viewport)
        return 0;
    if (!x || !y || !z)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    auto toFrame = [&](float depth, D3DVECTOR* out) {
        const D3DRMVECTOR4D screen{static_cast<float>(sx), static_cast<float>(sy), depth, 1.0f};
        D3DVECTOR world{};
        HRESULT hr = viewport->InverseTransform(&world, &screen);
        if (hr == D3DRM_OK) {
            *out = world;
            if (frame)
                hr = frame->InverseTransform(out, &world);
        }
        return hr;
    };
    D3DVECTOR p1{}, p2{};
    HRESULT hr = toFrame(depth1, &p1);
    if (hr == D3DRM_OK)
        hr = toFrame(depth2, &p2);
    if (hr != D3DRM_OK)
        return FailWith(hr);
    if (p2.y != p1.y) {
        // Where the line through both points meets the frame's plane y = 0.
        *x = p2.x - p2.y * (p2.x - p1.x) / (p2.y - p1.y);
        *y = 0;
        *z = p2.z - (p2.z - p1.z) / (p2.y - p1.y) * p2.y;
    } else {
        *x = p1.x;
        *y = p1.y;
        *z = p1.z;
    }
    return 1;
}

// ---- the scene object ---------------------------------------------------------------------------
// It lies at depth 0x7FFF and always covers the window. Its drawing paints
// the whole viewport, whatever part of the target was asked for; objects
// deeper than it are covered, nearer ones are drawn over it afterwards.

int ANIMWINDOW::AnimObject3dCallback(ANIMOBJECT* object, svcAnimObject code, long lParam)
{
    ANIMWINDOW* w = object->GetAnimWindow();
    if (!w)
        return 1;
    switch (code) {
    case svcaoMove: {
        RECT rc = w->m_rcClient;
        RECT now;
        object->GetRect(&now);
        if (std::memcmp(&rc, &now, sizeof rc) != 0)
            object->SetRect(&rc);
        break;
    }
    case svcaoDraw: {
        const auto* r = reinterpret_cast<const RENDEROBJECT*>(lParam);
        IDirect3DRMDevice2* device = Display ? Display->Get3dDevice() : nullptr;
        IDirect3DRMViewport* viewport = Display ? Display->Get3dViewport() : nullptr;
        if (!r || !device || !viewport || !w->m_pfrRoot)
            return FALSE_SetLastError(errNo3d);
        const RECT area{viewport->GetX(), viewport->GetY(), viewport->GetX() + static_cast<LONG>(viewport->GetWidth()),
                        viewport->GetY() + static_cast<LONG>(viewport->GetHeight())};
        if (r->surface && Display->GetAnimMethod() != amBlit)
            viewport->ForceUpdate(area.left, area.top, area.right, area.bottom);
        viewport->Clear();
        w->m_pfrRoot->Move(1.0f);
        viewport->Render(w->m_pfrRoot);
        device->Update();
        bool fShown = false;
        if (r->surface && RendererReady()) {
            IDirectDrawSurface* s = r->surface;
            const GLRENDERTARGET target{s->Pixels(), s->Width(), s->Height(), s->Width()};
            fShown = GlReadViewport(viewport, target, area.left, area.top) == D3DRM_OK;
        }
        if (!fShown) {
            // No picture of the scene: its background colour stands in.
            const D3DCOLOR bg = w->m_pfrRoot->GetSceneBackground();
            const COLORREF c = RGB((bg >> 16) & 0xFF, (bg >> 8) & 0xFF, bg & 0xFF);
            RECT fill = area;
            if (r->surface) {
                DDBLTFX fx{sizeof(DDBLTFX), bg & 0xFFFFFF};
                r->surface->Blt(&fill, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
            } else if (r->hdc) {
                HBRUSH brush = CreateSolidBrush(c);
                FillRect(r->hdc, &fill, brush);
                DeleteObject(brush);
            }
        }
        object->Touch();
        break;
    }
    default: break;
    }
    return 1;
}
