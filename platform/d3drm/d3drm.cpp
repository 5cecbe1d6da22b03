// The factory, the shared object base, lights, materials, textures and the
// renderer seam of the retained-mode 3D services.
#include "platform/d3drm/d3drm.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace {

std::atomic<std::uint64_t> g_nextId{1};
D3DRMRENDERER* g_pRenderer = nullptr;
D3DRMRESOURCEIMAGELOADER g_pfnImageLoader = nullptr;

bool IsPowerOfTwo(DWORD v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

D3DVALUE ChannelOf(D3DCOLOR c, int shift)
{
    return static_cast<D3DVALUE>((c >> shift) & 0xFF) / 255.0f;
}

template <class T> HRESULT Hand(T* object, T** out)
{
    if (!object)
        return D3DRMERR_BADALLOC;
    *out = object;
    return S_OK;
}

} // namespace

void D3DRMSetRenderer(D3DRMRENDERER* renderer)
{
    g_pRenderer = renderer;
}
D3DRMRENDERER* D3DRMGetRenderer()
{
    return g_pRenderer;
}
void D3DRMSetResourceImageLoader(D3DRMRESOURCEIMAGELOADER loader)
{
    g_pfnImageLoader = loader;
}

// --- IDirect3DRMObject ---------------------------------------------------------------

IDirect3DRMObject::IDirect3DRMObject() : m_id(g_nextId.fetch_add(1)) {}
IDirect3DRMObject::~IDirect3DRMObject() = default;

ULONG IDirect3DRMObject::AddRef()
{
    return ++m_cRef;
}

ULONG IDirect3DRMObject::Release()
{
    if (m_cRef == 0)
        return 0;
    if (--m_cRef == 0) {
        delete this;
        return 0;
    }
    return m_cRef;
}

// --- IDirect3DRMLight ------------------------------------------------------------------

IDirect3DRMLight::IDirect3DRMLight(D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b)
    : m_type(type), m_r(r), m_g(g), m_b(b)
{
}

HRESULT IDirect3DRMLight::SetType(D3DRMLIGHTTYPE type)
{
    if (type < D3DRMLIGHT_AMBIENT || type > D3DRMLIGHT_PARALLELPOINT)
        return D3DRMERR_BADTYPE;
    m_type = type;
    return S_OK;
}

HRESULT IDirect3DRMLight::SetColor(D3DCOLOR color)
{
    return SetColorRGB(ChannelOf(color, 16), ChannelOf(color, 8), ChannelOf(color, 0));
}

HRESULT IDirect3DRMLight::SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    m_r = r;
    m_g = g;
    m_b = b;
    return S_OK;
}

D3DCOLOR IDirect3DRMLight::GetColor() const
{
    return D3DRMCreateColorRGB(m_r, m_g, m_b);
}

HRESULT IDirect3DRMLight::SetRange(D3DVALUE range)
{
    if (!(range >= 0))
        return D3DRMERR_BADVALUE;
    m_range = range;
    return S_OK;
}

HRESULT IDirect3DRMLight::SetConstantAttenuation(D3DVALUE v)
{
    if (!(v >= 0))
        return D3DRMERR_BADVALUE;
    m_attConstant = v;
    return S_OK;
}

HRESULT IDirect3DRMLight::SetLinearAttenuation(D3DVALUE v)
{
    if (!(v >= 0))
        return D3DRMERR_BADVALUE;
    m_attLinear = v;
    return S_OK;
}

HRESULT IDirect3DRMLight::SetQuadraticAttenuation(D3DVALUE v)
{
    if (!(v >= 0))
        return D3DRMERR_BADVALUE;
    m_attQuadratic = v;
    return S_OK;
}

D3DVALUE IDirect3DRMLight::Attenuation(D3DVALUE distance) const
{
    if (m_type == D3DRMLIGHT_AMBIENT || m_type == D3DRMLIGHT_DIRECTIONAL)
        return 1.0f;
    if (distance > m_range)
        return 0.0f;
    const D3DVALUE d = m_attConstant + m_attLinear * distance + m_attQuadratic * distance * distance;
    // All three factors zero would divide by zero: treat as no fall-off.
    return d > 0 ? 1.0f / d : 1.0f;
}

// --- IDirect3DRMMaterial ---------------------------------------------------------------

HRESULT IDirect3DRMMaterial::SetPower(D3DVALUE power)
{
    if (!(power >= 0))
        return D3DRMERR_BADVALUE;
    m_power = power;
    return S_OK;
}

HRESULT IDirect3DRMMaterial::SetSpecular(D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    m_specular[0] = r;
    m_specular[1] = g;
    m_specular[2] = b;
    return S_OK;
}

HRESULT IDirect3DRMMaterial::GetSpecular(D3DVALUE* r, D3DVALUE* g, D3DVALUE* b) const
{
    if (!r || !g || !b)
        return D3DRMERR_BADVALUE;
    *r = m_specular[0];
    *g = m_specular[1];
    *b = m_specular[2];
    return S_OK;
}

HRESULT IDirect3DRMMaterial::SetEmissive(D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    m_emissive[0] = r;
    m_emissive[1] = g;
    m_emissive[2] = b;
    return S_OK;
}

HRESULT IDirect3DRMMaterial::GetEmissive(D3DVALUE* r, D3DVALUE* g, D3DVALUE* b) const
{
    if (!r || !g || !b)
        return D3DRMERR_BADVALUE;
    *r = m_emissive[0];
    *g = m_emissive[1];
    *b = m_emissive[2];
    return S_OK;
}

// --- IDirect3DRMTexture --------------------------------------------------------------------

IDirect3DRMTexture::~IDirect3DRMTexture()
{
    if (g_pRenderer)
        g_pRenderer->Freed(this);
}

HRESULT IDirect3DRMTexture::SetShades(DWORD shades)
{
    if (!IsPowerOfTwo(shades))
        return D3DRMERR_BADVALUE;
    m_shades = shades;
    return S_OK;
}

HRESULT IDirect3DRMTexture::SetDecalTransparency(BOOL on)
{
    m_fTransparent = on ? TRUE : FALSE;
    return S_OK;
}

HRESULT IDirect3DRMTexture::SetDecalTransparentColor(D3DCOLOR color)
{
    m_transparentColor = color;
    return S_OK;
}

bool IDirect3DRMTexture::IsTexelOpaque(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return false;
    const D3DCOLOR texel = m_pixels[static_cast<size_t>(y) * m_width + x];
    return !(m_fTransparent && (texel & 0xFFFFFF) == (m_transparentColor & 0xFFFFFF));
}

// --- IDirect3DRM2 ------------------------------------------------------------------------------

HRESULT Direct3DRMCreate(IDirect3DRM2** ppRM)
{
    if (!ppRM)
        return D3DRMERR_BADVALUE;
    return Hand(new (std::nothrow) IDirect3DRM2(), ppRM);
}

IDirect3DRM2::~IDirect3DRM2()
{
    for (IDirect3DRMDevice2* device : m_devices)
        device->m_pRM = nullptr;
}

HRESULT IDirect3DRM2::CreateFrame(IDirect3DRMFrame2* parent, IDirect3DRMFrame2** ppFrame)
{
    if (!ppFrame)
        return D3DRMERR_BADVALUE;
    auto* frame = new (std::nothrow) IDirect3DRMFrame2();
    if (!frame)
        return D3DRMERR_BADALLOC;
    if (parent)
        parent->AddChild(frame);
    *ppFrame = frame;
    return S_OK;
}

HRESULT IDirect3DRM2::CreateMesh(IDirect3DRMMesh** ppMesh)
{
    if (!ppMesh)
        return D3DRMERR_BADVALUE;
    return Hand(new (std::nothrow) IDirect3DRMMesh(), ppMesh);
}

HRESULT IDirect3DRM2::CreateMeshBuilder(IDirect3DRMMeshBuilder** ppBuilder)
{
    if (!ppBuilder)
        return D3DRMERR_BADVALUE;
    return Hand(new (std::nothrow) IDirect3DRMMeshBuilder(), ppBuilder);
}

HRESULT IDirect3DRM2::CreateFace(IDirect3DRMFace** ppFace)
{
    if (!ppFace)
        return D3DRMERR_BADVALUE;
    return Hand(new (std::nothrow) IDirect3DRMFace(), ppFace);
}

HRESULT IDirect3DRM2::CreateLightRGB(D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b,
                                     IDirect3DRMLight** ppLight)
{
    if (!ppLight)
        return D3DRMERR_BADVALUE;
    if (type < D3DRMLIGHT_AMBIENT || type > D3DRMLIGHT_PARALLELPOINT)
        return D3DRMERR_BADTYPE;
    return Hand(new (std::nothrow) IDirect3DRMLight(type, r, g, b), ppLight);
}

HRESULT IDirect3DRM2::CreateLight(D3DRMLIGHTTYPE type, D3DCOLOR color, IDirect3DRMLight** ppLight)
{
    return CreateLightRGB(type, ChannelOf(color, 16), ChannelOf(color, 8), ChannelOf(color, 0), ppLight);
}

HRESULT IDirect3DRM2::CreateMaterial(D3DVALUE power, IDirect3DRMMaterial** ppMaterial)
{
    if (!ppMaterial || !(power >= 0))
        return D3DRMERR_BADVALUE;
    return Hand(new (std::nothrow) IDirect3DRMMaterial(power), ppMaterial);
}

HRESULT IDirect3DRM2::CreateTexture(const D3DRMIMAGE* image, IDirect3DRMTexture** ppTexture)
{
    if (!ppTexture || !image || image->width <= 0 || image->height <= 0 || !image->pPixels)
        return D3DRMERR_BADVALUE;
    auto* texture = new (std::nothrow) IDirect3DRMTexture();
    if (!texture)
        return D3DRMERR_BADALLOC;
    texture->m_width = image->width;
    texture->m_height = image->height;
    texture->m_pixels.assign(image->pPixels,
                             image->pPixels + static_cast<size_t>(image->width) * static_cast<size_t>(image->height));
    texture->m_shades = m_textureShades;
    *ppTexture = texture;
    return S_OK;
}

HRESULT IDirect3DRM2::LoadTextureFromResource(HMODULE module, const char* name, const char* type,
                                              IDirect3DRMTexture** ppTexture)
{
    if (!ppTexture)
        return D3DRMERR_BADVALUE;
    int width = 0, height = 0;
    std::vector<D3DCOLOR> pixels;
    if (!g_pfnImageLoader || !g_pfnImageLoader(module, name, type, &width, &height, &pixels))
        return D3DRMERR_NOTFOUND;
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return D3DRMERR_BADVALUE; // a loader that disagrees with itself
    const D3DRMIMAGE image{width, height, pixels.data()};
    return CreateTexture(&image, ppTexture);
}

HRESULT IDirect3DRM2::CreateDevice(DWORD width, DWORD height, IDirect3DRMDevice2** ppDevice)
{
    if (!ppDevice || width == 0 || height == 0)
        return D3DRMERR_BADVALUE;
    auto* device = new (std::nothrow) IDirect3DRMDevice2(width, height);
    if (!device)
        return D3DRMERR_BADALLOC;
    device->m_pRM = this;
    m_devices.push_back(device);
    *ppDevice = device;
    return S_OK;
}

HRESULT IDirect3DRM2::CreateViewport(IDirect3DRMDevice2* device, IDirect3DRMFrame2* camera, DWORD x, DWORD y,
                                     DWORD width, DWORD height, IDirect3DRMViewport** ppViewport)
{
    if (!ppViewport)
        return D3DRMERR_BADVALUE;
    if (!device || !camera)
        return D3DRMERR_BADOBJECT;
    if (width == 0 || height == 0 || x + width > device->GetWidth() || y + height > device->GetHeight())
        return D3DRMERR_BADVALUE;
    auto* viewport = new (std::nothrow) IDirect3DRMViewport();
    if (!viewport)
        return D3DRMERR_BADALLOC;
    device->AddRef();
    camera->AddRef();
    viewport->m_pDevice = device;
    viewport->m_pCamera = camera;
    viewport->m_x = static_cast<LONG>(x);
    viewport->m_y = static_cast<LONG>(y);
    viewport->m_width = width;
    viewport->m_height = height;
    device->m_viewports.push_back(viewport);
    *ppViewport = viewport;
    return S_OK;
}

HRESULT IDirect3DRM2::SetDefaultTextureShades(DWORD shades)
{
    if (!IsPowerOfTwo(shades))
        return D3DRMERR_BADVALUE;
    m_textureShades = shades;
    return S_OK;
}

HRESULT IDirect3DRM2::SetDefaultTextureColors(DWORD colors)
{
    if (colors == 0)
        return D3DRMERR_BADVALUE;
    m_textureColors = colors;
    return S_OK;
}

HRESULT IDirect3DRM2::Tick(D3DVALUE delta)
{
    // Move each scene once, however many viewports show it.
    std::vector<IDirect3DRMFrame2*> moved;
    for (IDirect3DRMDevice2* device : m_devices)
        for (IDirect3DRMViewport* viewport : device->GetViewports()) {
            IDirect3DRMFrame2* scene = viewport->GetCameraFrame()->GetScene();
            if (std::find(moved.begin(), moved.end(), scene) == moved.end()) {
                moved.push_back(scene);
                scene->Move(delta);
            }
        }
    HRESULT result = S_OK;
    for (IDirect3DRMDevice2* device : m_devices) {
        for (IDirect3DRMViewport* viewport : device->GetViewports()) {
            HRESULT hr = viewport->Clear();
            if (SUCCEEDED(hr))
                hr = viewport->Render(viewport->GetCameraFrame()->GetScene());
            if (FAILED(hr) && SUCCEEDED(result))
                result = hr;
        }
        const HRESULT hr = device->Update();
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    return result;
}
