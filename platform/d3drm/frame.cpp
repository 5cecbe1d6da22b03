// Frames of the retained-mode scene graph: hierarchy, placement relative to
// reference frames, motion per tick, and the transforms between a frame's
// coordinates and the world's.
#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/rmmath.h"

#include <algorithm>

using namespace rmmath;

namespace {

template <class T> bool EraseOne(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

bool ValidCombine(D3DRMCOMBINETYPE combine)
{
    return combine == D3DRMCOMBINE_REPLACE || combine == D3DRMCOMBINE_BEFORE || combine == D3DRMCOMBINE_AFTER;
}

} // namespace

IDirect3DRMFrame2::~IDirect3DRMFrame2()
{
    // Children outlive their parent when something else still holds them.
    for (IDirect3DRMFrame2* child : m_children) {
        child->m_pParent = nullptr;
        child->Release();
    }
    for (IDirect3DRMVisual* visual : m_visuals)
        visual->Release();
    for (IDirect3DRMLight* light : m_lights)
        light->Release();
}

// --- hierarchy ---------------------------------------------------------------------

bool IDirect3DRMFrame2::IsAncestorOrSelf(const IDirect3DRMFrame2* frame) const
{
    for (const IDirect3DRMFrame2* f = frame; f; f = f->m_pParent)
        if (f == this)
            return true;
    return false;
}

void IDirect3DRMFrame2::Detach()
{
    if (m_pParent) {
        EraseOne(m_pParent->m_children, this);
        m_pParent = nullptr;
    }
}

HRESULT IDirect3DRMFrame2::AddChild(IDirect3DRMFrame2* child)
{
    if (!child)
        return D3DRMERR_BADOBJECT;
    // A frame cannot hang below itself.
    if (child->IsAncestorOrSelf(this))
        return D3DRMERR_BADVALUE;
    if (child->m_pParent == this)
        return S_OK;
    child->AddRef();
    if (child->m_pParent) {
        child->Detach();
        child->Release(); // the old parent's reference
    }
    child->m_pParent = this;
    m_children.push_back(child);
    return S_OK;
}

HRESULT IDirect3DRMFrame2::DeleteChild(IDirect3DRMFrame2* child)
{
    if (!child)
        return D3DRMERR_BADOBJECT;
    if (child->m_pParent != this)
        return D3DRMERR_NOTFOUND;
    child->Detach();
    child->Release();
    return S_OK;
}

HRESULT IDirect3DRMFrame2::GetParent(IDirect3DRMFrame2** ppParent) const
{
    if (!ppParent)
        return D3DRMERR_BADVALUE;
    *ppParent = m_pParent;
    if (m_pParent)
        m_pParent->AddRef();
    return S_OK;
}

IDirect3DRMFrame2* IDirect3DRMFrame2::GetScene()
{
    IDirect3DRMFrame2* f = this;
    while (f->m_pParent)
        f = f->m_pParent;
    return f;
}

HRESULT IDirect3DRMFrame2::AddVisual(IDirect3DRMVisual* visual)
{
    if (!visual || !visual->AsMesh())
        return D3DRMERR_BADOBJECT;
    visual->AddRef();
    m_visuals.push_back(visual);
    return S_OK;
}

HRESULT IDirect3DRMFrame2::DeleteVisual(IDirect3DRMVisual* visual)
{
    if (!visual)
        return D3DRMERR_BADOBJECT;
    if (!EraseOne(m_visuals, visual))
        return D3DRMERR_NOTFOUND;
    visual->Release();
    return S_OK;
}

HRESULT IDirect3DRMFrame2::AddLight(IDirect3DRMLight* light)
{
    if (!light)
        return D3DRMERR_BADOBJECT;
    light->AddRef();
    m_lights.push_back(light);
    return S_OK;
}

HRESULT IDirect3DRMFrame2::DeleteLight(IDirect3DRMLight* light)
{
    if (!light)
        return D3DRMERR_BADOBJECT;
    if (!EraseOne(m_lights, light))
        return D3DRMERR_NOTFOUND;
    light->Release();
    return S_OK;
}

// --- transforms ------------------------------------------------------------------------

D3DMATRIX IDirect3DRMFrame2::GetWorldTransform() const
{
    D3DMATRIX m = m_local;
    for (const IDirect3DRMFrame2* p = m_pParent; p; p = p->m_pParent)
        m = Multiply(m, p->m_local);
    return m;
}

D3DMATRIX IDirect3DRMFrame2::ParentWorld() const
{
    return m_pParent ? m_pParent->GetWorldTransform() : Identity();
}

D3DMATRIX IDirect3DRMFrame2::RefWorld(IDirect3DRMFrame2* ref) const
{
    return ref ? ref->GetWorldTransform() : ParentWorld();
}

HRESULT IDirect3DRMFrame2::GetTransform(D3DMATRIX* pLocal) const
{
    if (!pLocal)
        return D3DRMERR_BADVALUE;
    *pLocal = m_local;
    return S_OK;
}

HRESULT IDirect3DRMFrame2::Transform(D3DVECTOR* pDst, const D3DVECTOR* pSrc) const
{
    if (!pDst || !pSrc)
        return D3DRMERR_BADVALUE;
    *pDst = TransformPoint(GetWorldTransform(), *pSrc);
    return S_OK;
}

HRESULT IDirect3DRMFrame2::InverseTransform(D3DVECTOR* pDst, const D3DVECTOR* pSrc) const
{
    if (!pDst || !pSrc)
        return D3DRMERR_BADVALUE;
    D3DMATRIX inverse;
    if (!InverseAffine(GetWorldTransform(), &inverse))
        return D3DRMERR_BADVALUE;
    *pDst = TransformPoint(inverse, *pSrc);
    return S_OK;
}

HRESULT IDirect3DRMFrame2::SetPosition(IDirect3DRMFrame2* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z)
{
    D3DMATRIX toParent;
    if (!InverseAffine(ParentWorld(), &toParent))
        return D3DRMERR_BADVALUE;
    const D3DVECTOR world = TransformPoint(RefWorld(ref), Vec(x, y, z));
    SetRow(&m_local, 3, TransformPoint(toParent, world));
    return S_OK;
}

HRESULT IDirect3DRMFrame2::GetPosition(IDirect3DRMFrame2* ref, D3DVECTOR* pPosition)
{
    if (!pPosition)
        return D3DRMERR_BADVALUE;
    D3DMATRIX toRef;
    if (!InverseAffine(RefWorld(ref), &toRef))
        return D3DRMERR_BADVALUE;
    *pPosition = TransformPoint(toRef, Row(GetWorldTransform(), 3));
    return S_OK;
}

HRESULT IDirect3DRMFrame2::SetOrientation(IDirect3DRMFrame2* ref, D3DVALUE dx, D3DVALUE dy, D3DVALUE dz, D3DVALUE ux,
                                          D3DVALUE uy, D3DVALUE uz)
{
    const D3DMATRIX refWorld = RefWorld(ref);
    const D3DVECTOR dir = Normalize(TransformVector(refWorld, Vec(dx, dy, dz)));
    D3DVECTOR up = TransformVector(refWorld, Vec(ux, uy, uz));
    up = Normalize(Sub(up, Mul(dir, Dot(up, dir))));
    if (Length(dir) < 0.5f || Length(up) < 0.5f)
        return D3DRMERR_BADVALUE; // no direction, or up along it
    const D3DVECTOR right = Cross(up, dir);
    D3DMATRIX toParent;
    if (!InverseAffine(ParentWorld(), &toParent))
        return D3DRMERR_BADVALUE;
    SetRow(&m_local, 0, TransformVector(toParent, right));
    SetRow(&m_local, 1, TransformVector(toParent, up));
    SetRow(&m_local, 2, TransformVector(toParent, dir));
    return S_OK;
}

HRESULT IDirect3DRMFrame2::GetOrientation(IDirect3DRMFrame2* ref, D3DVECTOR* pDir, D3DVECTOR* pUp)
{
    if (!pDir || !pUp)
        return D3DRMERR_BADVALUE;
    D3DMATRIX toRef;
    if (!InverseAffine(RefWorld(ref), &toRef))
        return D3DRMERR_BADVALUE;
    const D3DMATRIX world = GetWorldTransform();
    *pDir = Normalize(TransformVector(toRef, Row(world, 2)));
    *pUp = Normalize(TransformVector(toRef, Row(world, 1)));
    return S_OK;
}

HRESULT IDirect3DRMFrame2::SetRotation(IDirect3DRMFrame2* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z, D3DVALUE theta)
{
    D3DMATRIX toParent;
    if (!InverseAffine(ParentWorld(), &toParent))
        return D3DRMERR_BADVALUE;
    m_rotationAxis = Normalize(TransformVector(toParent, TransformVector(RefWorld(ref), Vec(x, y, z))));
    m_rotationTheta = theta;
    return S_OK;
}

HRESULT IDirect3DRMFrame2::GetRotation(IDirect3DRMFrame2* ref, D3DVECTOR* pAxis, D3DVALUE* pTheta)
{
    if (!pAxis || !pTheta)
        return D3DRMERR_BADVALUE;
    D3DMATRIX toRef;
    if (!InverseAffine(RefWorld(ref), &toRef))
        return D3DRMERR_BADVALUE;
    *pAxis = Normalize(TransformVector(toRef, TransformVector(ParentWorld(), m_rotationAxis)));
    *pTheta = m_rotationTheta;
    return S_OK;
}

HRESULT IDirect3DRMFrame2::SetVelocity(IDirect3DRMFrame2* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z)
{
    D3DMATRIX toParent;
    if (!InverseAffine(ParentWorld(), &toParent))
        return D3DRMERR_BADVALUE;
    m_velocity = TransformVector(toParent, TransformVector(RefWorld(ref), Vec(x, y, z)));
    return S_OK;
}

HRESULT IDirect3DRMFrame2::GetVelocity(IDirect3DRMFrame2* ref, D3DVECTOR* pVelocity)
{
    if (!pVelocity)
        return D3DRMERR_BADVALUE;
    D3DMATRIX toRef;
    if (!InverseAffine(RefWorld(ref), &toRef))
        return D3DRMERR_BADVALUE;
    *pVelocity = TransformVector(toRef, TransformVector(ParentWorld(), m_velocity));
    return S_OK;
}

void IDirect3DRMFrame2::MoveTree(D3DVALUE delta)
{
    if (m_rotationTheta != 0 && Length(m_rotationAxis) > 0) {
        // Turn the axes about the origin; the position stays.
        const D3DVECTOR position = Row(m_local, 3);
        SetRow(&m_local, 3, Vec(0, 0, 0));
        m_local = Multiply(m_local, Rotation(m_rotationAxis, m_rotationTheta * delta));
        SetRow(&m_local, 3, position);
    }
    SetRow(&m_local, 3, Add(Row(m_local, 3), Mul(m_velocity, delta)));
    for (IDirect3DRMFrame2* child : m_children)
        child->MoveTree(delta);
}

HRESULT IDirect3DRMFrame2::Move(D3DVALUE delta)
{
    MoveTree(delta);
    return S_OK;
}

HRESULT IDirect3DRMFrame2::AddTransform(D3DRMCOMBINETYPE combine, const D3DMATRIX& m)
{
    switch (combine) {
    case D3DRMCOMBINE_REPLACE: m_local = m; return S_OK;
    case D3DRMCOMBINE_BEFORE: m_local = Multiply(m, m_local); return S_OK;
    case D3DRMCOMBINE_AFTER: m_local = Multiply(m_local, m); return S_OK;
    }
    return D3DRMERR_BADTYPE;
}

HRESULT IDirect3DRMFrame2::AddTranslation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z)
{
    return ValidCombine(combine) ? AddTransform(combine, Translation(x, y, z)) : D3DRMERR_BADTYPE;
}

HRESULT IDirect3DRMFrame2::AddScale(D3DRMCOMBINETYPE combine, D3DVALUE sx, D3DVALUE sy, D3DVALUE sz)
{
    return ValidCombine(combine) ? AddTransform(combine, Scaling(sx, sy, sz)) : D3DRMERR_BADTYPE;
}

HRESULT IDirect3DRMFrame2::AddRotation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z, D3DVALUE theta)
{
    if (!ValidCombine(combine))
        return D3DRMERR_BADTYPE;
    if (Length(Vec(x, y, z)) == 0)
        return D3DRMERR_BADVALUE;
    return AddTransform(combine, Rotation(Vec(x, y, z), theta));
}

// --- looks -------------------------------------------------------------------------------

HRESULT IDirect3DRMFrame2::SetColor(D3DCOLOR color)
{
    m_color = color;
    return S_OK;
}

HRESULT IDirect3DRMFrame2::SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    return SetColor(D3DRMCreateColorRGB(r, g, b));
}

HRESULT IDirect3DRMFrame2::SetMaterialMode(D3DRMMATERIALMODE mode)
{
    if (mode != D3DRMMATERIAL_FROMMESH && mode != D3DRMMATERIAL_FROMPARENT && mode != D3DRMMATERIAL_FROMFRAME)
        return D3DRMERR_BADTYPE;
    m_materialMode = mode;
    return S_OK;
}

HRESULT IDirect3DRMFrame2::SetSceneBackground(D3DCOLOR color)
{
    m_background = color;
    return S_OK;
}

HRESULT IDirect3DRMFrame2::SetSceneBackgroundRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    return SetSceneBackground(D3DRMCreateColorRGB(r, g, b));
}
