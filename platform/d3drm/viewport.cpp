// The device, the viewport with its projection and picking, and the picked
// arrays of the retained-mode scene graph.
#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/rmmath.h"

#include <algorithm>
#include <new>

using namespace rmmath;

namespace {

bool IsPowerOfTwo(DWORD v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

// Möller-Trumbore ray/triangle test that only accepts the front side (the
// side from which the corners run clockwise). Returns the ray parameter or a
// negative value for a miss.
D3DVALUE HitFront(const D3DVECTOR& origin, const D3DVECTOR& dir, const D3DVECTOR& v0, const D3DVECTOR& v1,
                  const D3DVECTOR& v2)
{
    const D3DVECTOR e1 = Sub(v1, v0), e2 = Sub(v2, v0);
    const D3DVECTOR p = Cross(dir, e2);
    const D3DVALUE det = Dot(e1, p); // = -dir . (e1 x e2): positive when facing the ray
    if (!(det > 1e-12f))
        return -1;
    const D3DVALUE inv = 1.0f / det;
    const D3DVECTOR s = Sub(origin, v0);
    const D3DVALUE u = Dot(s, p) * inv;
    if (u < 0 || u > 1)
        return -1;
    const D3DVECTOR q = Cross(s, e1);
    const D3DVALUE v = Dot(dir, q) * inv;
    if (v < 0 || u + v > 1)
        return -1;
    return Dot(e2, q) * inv;
}

} // namespace

// --- IDirect3DRMDevice2 ------------------------------------------------------------------

IDirect3DRMDevice2::~IDirect3DRMDevice2()
{
    if (m_pRM) {
        auto& list = m_pRM->m_devices;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

HRESULT IDirect3DRMDevice2::SetQuality(D3DRMRENDERQUALITY quality)
{
    const DWORD shade = quality & D3DRMSHADE_MASK, light = quality & D3DRMLIGHT_MASK, fill = quality & D3DRMFILL_MASK;
    if ((quality & ~(D3DRMSHADE_MASK | D3DRMLIGHT_MASK | D3DRMFILL_MASK)) != 0 || shade > D3DRMSHADE_PHONG ||
        (light != D3DRMLIGHT_OFF && light != D3DRMLIGHT_ON) || fill > D3DRMFILL_SOLID)
        return D3DRMERR_BADVALUE;
    m_quality = quality;
    return S_OK;
}

HRESULT IDirect3DRMDevice2::SetDither(BOOL on)
{
    m_fDither = on ? TRUE : FALSE;
    return S_OK;
}

HRESULT IDirect3DRMDevice2::SetTextureQuality(D3DRMTEXTUREQUALITY quality)
{
    if (quality < D3DRMTEXTURE_NEAREST || quality > D3DRMTEXTURE_LINEARMIPLINEAR)
        return D3DRMERR_BADVALUE;
    m_textureQuality = quality;
    return S_OK;
}

HRESULT IDirect3DRMDevice2::SetShades(DWORD shades)
{
    if (!IsPowerOfTwo(shades))
        return D3DRMERR_BADVALUE;
    m_shades = shades;
    return S_OK;
}

HRESULT IDirect3DRMDevice2::SetRenderMode(DWORD flags)
{
    m_renderMode = flags;
    return S_OK;
}

HRESULT IDirect3DRMDevice2::Update()
{
    D3DRMRENDERER* renderer = D3DRMGetRenderer();
    return renderer ? renderer->Update(this) : S_OK;
}

// --- IDirect3DRMViewport ----------------------------------------------------------------------

IDirect3DRMViewport::~IDirect3DRMViewport()
{
    auto& list = m_pDevice->m_viewports;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    m_pCamera->Release();
    m_pDevice->Release();
}

HRESULT IDirect3DRMViewport::SetFront(D3DVALUE front)
{
    if (!(front > 0 && front < m_back))
        return D3DRMERR_BADVALUE;
    m_front = front;
    return S_OK;
}

HRESULT IDirect3DRMViewport::SetBack(D3DVALUE back)
{
    if (!(back > m_front))
        return D3DRMERR_BADVALUE;
    m_back = back;
    return S_OK;
}

HRESULT IDirect3DRMViewport::SetField(D3DVALUE field)
{
    if (!(field > 0))
        return D3DRMERR_BADVALUE;
    m_field = field;
    return S_OK;
}

HRESULT IDirect3DRMViewport::SetCamera(IDirect3DRMFrame2* camera)
{
    if (!camera)
        return D3DRMERR_BADOBJECT;
    camera->AddRef();
    m_pCamera->Release();
    m_pCamera = camera;
    return S_OK;
}

HRESULT IDirect3DRMViewport::GetCamera(IDirect3DRMFrame2** ppCamera) const
{
    if (!ppCamera)
        return D3DRMERR_BADVALUE;
    m_pCamera->AddRef();
    *ppCamera = m_pCamera;
    return S_OK;
}

HRESULT IDirect3DRMViewport::GetDevice(IDirect3DRMDevice2** ppDevice) const
{
    if (!ppDevice)
        return D3DRMERR_BADVALUE;
    m_pDevice->AddRef();
    *ppDevice = m_pDevice;
    return S_OK;
}

D3DMATRIX IDirect3DRMViewport::GetProjection() const
{
    const D3DVALUE s = static_cast<D3DVALUE>(m_width) * 0.5f / m_field;
    const D3DVALUE cx = static_cast<D3DVALUE>(m_x) + static_cast<D3DVALUE>(m_width) * 0.5f;
    const D3DVALUE cy = static_cast<D3DVALUE>(m_y) + static_cast<D3DVALUE>(m_height) * 0.5f;
    const D3DVALUE q = m_back / (m_back - m_front);
    D3DMATRIX p{};
    p._11 = s;
    p._22 = -s;
    p._31 = cx;
    p._32 = cy;
    p._33 = q;
    p._34 = 1;
    p._43 = -q * m_front;
    return p;
}

HRESULT IDirect3DRMViewport::Transform(D3DRMVECTOR4D* pDst, const D3DVECTOR* pSrc) const
{
    if (!pDst || !pSrc)
        return D3DRMERR_BADVALUE;
    D3DVECTOR camera;
    HRESULT hr = m_pCamera->InverseTransform(&camera, pSrc);
    if (FAILED(hr))
        return hr;
    const D3DMATRIX p = GetProjection();
    pDst->x = camera.x * p._11 + camera.z * p._31;
    pDst->y = camera.y * p._22 + camera.z * p._32;
    pDst->z = camera.z * p._33 + p._43;
    pDst->w = camera.z;
    return S_OK;
}

HRESULT IDirect3DRMViewport::InverseTransform(D3DVECTOR* pDst, const D3DRMVECTOR4D* pSrc) const
{
    if (!pDst || !pSrc || pSrc->w == 0)
        return D3DRMERR_BADVALUE;
    const D3DVALUE sx = pSrc->x / pSrc->w, sy = pSrc->y / pSrc->w, depth = pSrc->z / pSrc->w;
    // Undo the depth mapping: depth = back (zc - front) / ((back - front) zc).
    const D3DVALUE denominator = m_back - depth * (m_back - m_front);
    if (denominator == 0)
        return D3DRMERR_BADVALUE; // a depth that no finite distance has
    const D3DVALUE zc = m_back * m_front / denominator;
    const D3DMATRIX p = GetProjection();
    const D3DVECTOR camera = Vec((sx - p._31) * zc / p._11, (sy - p._32) * zc / p._22, zc);
    return m_pCamera->Transform(pDst, &camera);
}

HRESULT IDirect3DRMViewport::Pick(LONG x, LONG y, IDirect3DRMPickedArray** ppPicked) const
{
    if (!ppPicked)
        return D3DRMERR_BADVALUE;
    auto* picked = new (std::nothrow) IDirect3DRMPickedArray();
    if (!picked)
        return D3DRMERR_BADALLOC;

    // The ray from the camera through the point: a unit step along it is a
    // unit step in the camera's depth.
    const D3DMATRIX p = GetProjection();
    const D3DMATRIX cameraWorld = m_pCamera->GetWorldTransform();
    const D3DVECTOR origin = Row(cameraWorld, 3);
    const D3DVECTOR dir = TransformVector(
        cameraWorld, Vec((static_cast<D3DVALUE>(x) - p._31) / p._11, (static_cast<D3DVALUE>(y) - p._32) / p._22, 1));

    std::vector<IDirect3DRMFrame2*> path;
    auto visit = [&](auto&& self, IDirect3DRMFrame2* frame) -> void {
        path.push_back(frame);
        const D3DMATRIX world = frame->GetWorldTransform();
        for (IDirect3DRMVisual* visual : frame->GetVisuals()) {
            IDirect3DRMMesh* mesh = visual->AsMesh();
            if (!mesh)
                continue;
            D3DVALUE best = -1;
            D3DRMPICKDESC desc{};
            for (unsigned g = 0; g < mesh->GetGroupCount(); ++g) {
                const IDirect3DRMMesh::GROUP* group = mesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(g));
                if (group->aVertices.empty())
                    continue;
                const unsigned n = group->nVertexPerFace;
                for (unsigned f = 0; f < group->nFaces; ++f) {
                    const unsigned* idx = &group->aFaceData[static_cast<size_t>(f) * n];
                    const D3DVECTOR v0 = TransformPoint(world, group->aVertices[idx[0]].position);
                    D3DVECTOR prev = TransformPoint(world, group->aVertices[idx[1]].position);
                    for (unsigned k = 2; k < n; ++k) {
                        const D3DVECTOR next = TransformPoint(world, group->aVertices[idx[k]].position);
                        const D3DVALUE t = HitFront(origin, dir, v0, prev, next);
                        if (t >= m_front && t <= m_back && (best < 0 || t < best)) {
                            best = t;
                            desc.lGroupIdx = static_cast<LONG>(g);
                            desc.ulFaceIdx = f;
                            desc.vPosition = Add(origin, Mul(dir, t));
                        }
                        prev = next;
                    }
                }
            }
            if (best >= 0) {
                IDirect3DRMPickedArray::PICK pick{visual, path, desc, best};
                visual->AddRef();
                for (IDirect3DRMFrame2* f : pick.aFrames)
                    f->AddRef();
                picked->m_picks.push_back(std::move(pick));
            }
        }
        for (IDirect3DRMFrame2* child : frame->GetChildren())
            self(self, child);
        path.pop_back();
    };
    visit(visit, m_pCamera->GetScene());
    std::stable_sort(picked->m_picks.begin(), picked->m_picks.end(),
                     [](const auto& a, const auto& b) { return a.distance < b.distance; });
    *ppPicked = picked;
    return S_OK;
}

HRESULT IDirect3DRMViewport::Clear()
{
    D3DRMRENDERER* renderer = D3DRMGetRenderer();
    return renderer ? renderer->Clear(const_cast<IDirect3DRMViewport*>(this)) : S_OK;
}

HRESULT IDirect3DRMViewport::Render(IDirect3DRMFrame2* scene)
{
    if (!scene)
        return D3DRMERR_BADOBJECT;
    D3DRMRENDERER* renderer = D3DRMGetRenderer();
    return renderer ? renderer->Render(this, scene) : S_OK;
}

HRESULT IDirect3DRMViewport::ForceUpdate(DWORD x1, DWORD y1, DWORD x2, DWORD y2)
{
    if (x1 > x2 || y1 > y2)
        return D3DRMERR_BADVALUE;
    D3DRMRENDERER* renderer = D3DRMGetRenderer();
    const RECT area{static_cast<LONG>(x1), static_cast<LONG>(y1), static_cast<LONG>(x2), static_cast<LONG>(y2)};
    return renderer ? renderer->ForceUpdate(this, area) : S_OK;
}

// --- picked and frame arrays -----------------------------------------------------------------

IDirect3DRMFrameArray::~IDirect3DRMFrameArray()
{
    for (IDirect3DRMFrame2* frame : m_frames)
        frame->Release();
}

HRESULT IDirect3DRMFrameArray::GetElement(DWORD index, IDirect3DRMFrame2** ppFrame) const
{
    if (!ppFrame || index >= m_frames.size())
        return D3DRMERR_BADVALUE;
    m_frames[index]->AddRef();
    *ppFrame = m_frames[index];
    return S_OK;
}

IDirect3DRMPickedArray::~IDirect3DRMPickedArray()
{
    for (PICK& pick : m_picks) {
        for (IDirect3DRMFrame2* frame : pick.aFrames)
            frame->Release();
        pick.pVisual->Release();
    }
}

HRESULT IDirect3DRMPickedArray::GetPick(DWORD index, IDirect3DRMVisual** ppVisual, IDirect3DRMFrameArray** ppFrames,
                                        D3DRMPICKDESC* pDesc) const
{
    if (index >= m_picks.size())
        return D3DRMERR_BADVALUE;
    const PICK& pick = m_picks[index];
    if (ppFrames) {
        auto* frames = new (std::nothrow) IDirect3DRMFrameArray();
        if (!frames)
            return D3DRMERR_BADALLOC;
        frames->m_frames = pick.aFrames;
        for (IDirect3DRMFrame2* frame : frames->m_frames)
            frame->AddRef();
        *ppFrames = frames;
    }
    if (ppVisual) {
        pick.pVisual->AddRef();
        *ppVisual = pick.pVisual;
    }
    if (pDesc)
        *pDesc = pick.desc;
    return S_OK;
}
