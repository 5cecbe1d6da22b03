// Meshes, faces and mesh builders of the retained-mode scene graph.
#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/rmmath.h"

#include <algorithm>
#include <limits>
#include <new>

using namespace rmmath;

namespace {

// Keeps one reference to whatever is stored in a slot.
template <class T> void Hold(T*& slot, T* object)
{
    if (object)
        object->AddRef();
    if (slot)
        slot->Release();
    slot = object;
}

template <class T> HRESULT HandOut(T* object, T** out)
{
    if (!out)
        return D3DRMERR_BADVALUE;
    if (object)
        object->AddRef();
    *out = object;
    return S_OK;
}

struct BoxAccumulator {
    D3DRMBOX box{{std::numeric_limits<D3DVALUE>::max(), std::numeric_limits<D3DVALUE>::max(),
                  std::numeric_limits<D3DVALUE>::max()},
                 {std::numeric_limits<D3DVALUE>::lowest(), std::numeric_limits<D3DVALUE>::lowest(),
                  std::numeric_limits<D3DVALUE>::lowest()}};
    bool any = false;
    void Add(const D3DVECTOR& p)
    {
        any = true;
        box.min = Vec(std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z));
        box.max = Vec(std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z));
    }
    D3DRMBOX Result() const { return any ? box : D3DRMBOX{{0, 0, 0}, {0, 0, 0}}; }
};

// The normal of a non-uniformly scaled surface: divided by the scale, then
// made unit length again. A zero scale leaves it alone.
D3DVECTOR ScaleNormal(const D3DVECTOR& n, D3DVALUE sx, D3DVALUE sy, D3DVALUE sz)
{
    if (sx == 0 || sy == 0 || sz == 0)
        return n;
    return Normalize(Vec(n.x / sx, n.y / sy, n.z / sz));
}

} // namespace

// --- IDirect3DRMMesh -------------------------------------------------------------------

IDirect3DRMMesh::~IDirect3DRMMesh()
{
    if (D3DRMRENDERER* renderer = D3DRMGetRenderer())
        renderer->Freed(this);
    for (GROUP& g : m_groups) {
        Hold(g.pMaterial, static_cast<IDirect3DRMMaterial*>(nullptr));
        Hold(g.pTexture, static_cast<IDirect3DRMTexture*>(nullptr));
    }
}

IDirect3DRMMesh::GROUP* IDirect3DRMMesh::Group(D3DRMGROUPINDEX id)
{
    return id >= 0 && static_cast<size_t>(id) < m_groups.size() ? &m_groups[static_cast<size_t>(id)] : nullptr;
}

const IDirect3DRMMesh::GROUP* IDirect3DRMMesh::GetGroupData(D3DRMGROUPINDEX id) const
{
    return id >= 0 && static_cast<size_t>(id) < m_groups.size() ? &m_groups[static_cast<size_t>(id)] : nullptr;
}

template <class F> HRESULT IDirect3DRMMesh::ForGroupAndMembers(D3DRMGROUPINDEX id, F&& apply)
{
    GROUP* group = Group(id);
    if (!group)
        return D3DRMERR_NOTFOUND;
    apply(*group);
    // A group without vertices of its own speaks for the whole mesh.
    if (group->aVertices.empty())
        for (GROUP& g : m_groups)
            if (!g.aVertices.empty())
                apply(g);
    ++m_version;
    return S_OK;
}

HRESULT IDirect3DRMMesh::AddGroup(unsigned vertexCount, unsigned faceCount, unsigned vertexPerFace,
                                  const unsigned* faceData, D3DRMGROUPINDEX* pIndex)
{
    if (!pIndex || vertexPerFace < 3 || (faceCount > 0 && !faceData))
        return D3DRMERR_BADVALUE;
    const size_t dataSize = static_cast<size_t>(faceCount) * vertexPerFace;
    if (vertexCount > 0 && std::any_of(faceData, faceData + dataSize, [&](unsigned i) { return i >= vertexCount; }))
        return D3DRMERR_BADVALUE;
    GROUP group;
    group.aVertices.assign(vertexCount, D3DRMVERTEX{{0, 0, 0}, {0, 0, 0}, 0, 0, 0xFFFFFFFF});
    group.aFaceData.assign(faceData, faceData + dataSize);
    group.nVertexPerFace = vertexPerFace;
    group.nFaces = faceCount;
    m_groups.push_back(std::move(group));
    ++m_version;
    *pIndex = static_cast<D3DRMGROUPINDEX>(m_groups.size() - 1);
    return S_OK;
}

HRESULT IDirect3DRMMesh::SetVertices(D3DRMGROUPINDEX id, unsigned index, unsigned count, const D3DRMVERTEX* values)
{
    GROUP* group = Group(id);
    if (!group)
        return D3DRMERR_NOTFOUND;
    if ((count > 0 && !values) || index > group->aVertices.size() || count > group->aVertices.size() - index)
        return D3DRMERR_BADVALUE;
    std::copy(values, values + count, group->aVertices.begin() + index);
    ++m_version;
    return S_OK;
}

HRESULT IDirect3DRMMesh::GetVertices(D3DRMGROUPINDEX id, unsigned index, unsigned count, D3DRMVERTEX* values) const
{
    const GROUP* group = GetGroupData(id);
    if (!group)
        return D3DRMERR_NOTFOUND;
    if ((count > 0 && !values) || index > group->aVertices.size() || count > group->aVertices.size() - index)
        return D3DRMERR_BADVALUE;
    std::copy(group->aVertices.begin() + index, group->aVertices.begin() + index + count, values);
    return S_OK;
}

HRESULT IDirect3DRMMesh::GetGroup(D3DRMGROUPINDEX id, unsigned* pVertexCount, unsigned* pFaceCount,
                                  unsigned* pVertexPerFace, DWORD* pDataSize, unsigned* pFaceData) const
{
    const GROUP* group = GetGroupData(id);
    if (!group)
        return D3DRMERR_NOTFOUND;
    if (pFaceData) {
        if (!pDataSize || *pDataSize < group->aFaceData.size())
            return D3DRMERR_BADVALUE;
        std::copy(group->aFaceData.begin(), group->aFaceData.end(), pFaceData);
    }
    if (pVertexCount)
        *pVertexCount = static_cast<unsigned>(group->aVertices.size());
    if (pFaceCount)
        *pFaceCount = group->nFaces;
    if (pVertexPerFace)
        *pVertexPerFace = group->nVertexPerFace;
    if (pDataSize)
        *pDataSize = static_cast<DWORD>(group->aFaceData.size());
    return S_OK;
}

HRESULT IDirect3DRMMesh::SetGroupColor(D3DRMGROUPINDEX id, D3DCOLOR color)
{
    return ForGroupAndMembers(id, [color](GROUP& g) { g.color = color; });
}

HRESULT IDirect3DRMMesh::SetGroupColorRGB(D3DRMGROUPINDEX id, D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    return SetGroupColor(id, D3DRMCreateColorRGB(r, g, b));
}

D3DCOLOR IDirect3DRMMesh::GetGroupColor(D3DRMGROUPINDEX id) const
{
    const GROUP* group = GetGroupData(id);
    return group ? group->color : 0;
}

HRESULT IDirect3DRMMesh::SetGroupMaterial(D3DRMGROUPINDEX id, IDirect3DRMMaterial* material)
{
    return ForGroupAndMembers(id, [material](GROUP& g) { Hold(g.pMaterial, material); });
}

HRESULT IDirect3DRMMesh::GetGroupMaterial(D3DRMGROUPINDEX id, IDirect3DRMMaterial** ppMaterial) const
{
    const GROUP* group = GetGroupData(id);
    if (!group)
        return D3DRMERR_NOTFOUND;
    return HandOut(group->pMaterial, ppMaterial);
}

HRESULT IDirect3DRMMesh::SetGroupTexture(D3DRMGROUPINDEX id, IDirect3DRMTexture* texture)
{
    return ForGroupAndMembers(id, [texture](GROUP& g) { Hold(g.pTexture, texture); });
}

HRESULT IDirect3DRMMesh::GetGroupTexture(D3DRMGROUPINDEX id, IDirect3DRMTexture** ppTexture) const
{
    const GROUP* group = GetGroupData(id);
    if (!group)
        return D3DRMERR_NOTFOUND;
    return HandOut(group->pTexture, ppTexture);
}

HRESULT IDirect3DRMMesh::SetGroupQuality(D3DRMGROUPINDEX id, D3DRMRENDERQUALITY quality)
{
    return ForGroupAndMembers(id, [quality](GROUP& g) { g.quality = quality; });
}

D3DRMRENDERQUALITY IDirect3DRMMesh::GetGroupQuality(D3DRMGROUPINDEX id) const
{
    const GROUP* group = GetGroupData(id);
    return group ? group->quality : 0;
}

HRESULT IDirect3DRMMesh::Translate(D3DVALUE tx, D3DVALUE ty, D3DVALUE tz)
{
    for (GROUP& g : m_groups)
        for (D3DRMVERTEX& v : g.aVertices)
            v.position = Add(v.position, Vec(tx, ty, tz));
    ++m_version;
    return S_OK;
}

HRESULT IDirect3DRMMesh::Scale(D3DVALUE sx, D3DVALUE sy, D3DVALUE sz)
{
    for (GROUP& g : m_groups)
        for (D3DRMVERTEX& v : g.aVertices) {
            v.position = Vec(v.position.x * sx, v.position.y * sy, v.position.z * sz);
            v.normal = ScaleNormal(v.normal, sx, sy, sz);
        }
    ++m_version;
    return S_OK;
}

HRESULT IDirect3DRMMesh::GetBox(D3DRMBOX* pBox) const
{
    if (!pBox)
        return D3DRMERR_BADVALUE;
    BoxAccumulator acc;
    for (const GROUP& g : m_groups)
        for (const D3DRMVERTEX& v : g.aVertices)
            acc.Add(v.position);
    *pBox = acc.Result();
    return S_OK;
}

// --- IDirect3DRMFace ------------------------------------------------------------------------

IDirect3DRMFace::~IDirect3DRMFace()
{
    Hold(m_pTexture, static_cast<IDirect3DRMTexture*>(nullptr));
    Hold(m_pMaterial, static_cast<IDirect3DRMMaterial*>(nullptr));
}

HRESULT IDirect3DRMFace::AddVertex(D3DVALUE x, D3DVALUE y, D3DVALUE z)
{
    m_corners.push_back(CORNER{Vec(x, y, z), Vec(0, 0, 0), 0, 0});
    return S_OK;
}

HRESULT IDirect3DRMFace::AddVertexAndNormal(D3DVALUE x, D3DVALUE y, D3DVALUE z, D3DVALUE nx, D3DVALUE ny, D3DVALUE nz)
{
    m_corners.push_back(CORNER{Vec(x, y, z), Vec(nx, ny, nz), 0, 0});
    return S_OK;
}

HRESULT IDirect3DRMFace::SetTextureCoordinates(DWORD vertex, D3DVALUE u, D3DVALUE v)
{
    if (vertex >= m_corners.size())
        return D3DRMERR_BADVALUE;
    m_corners[vertex].tu = u;
    m_corners[vertex].tv = v;
    return S_OK;
}

HRESULT IDirect3DRMFace::GetTextureCoordinates(DWORD vertex, D3DVALUE* pu, D3DVALUE* pv) const
{
    if (vertex >= m_corners.size() || !pu || !pv)
        return D3DRMERR_BADVALUE;
    *pu = m_corners[vertex].tu;
    *pv = m_corners[vertex].tv;
    return S_OK;
}

HRESULT IDirect3DRMFace::SetColor(D3DCOLOR color)
{
    m_color = color;
    return S_OK;
}

HRESULT IDirect3DRMFace::SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    return SetColor(D3DRMCreateColorRGB(r, g, b));
}

HRESULT IDirect3DRMFace::SetTexture(IDirect3DRMTexture* texture)
{
    Hold(m_pTexture, texture);
    return S_OK;
}

HRESULT IDirect3DRMFace::GetTexture(IDirect3DRMTexture** ppTexture) const
{
    return HandOut(m_pTexture, ppTexture);
}

HRESULT IDirect3DRMFace::SetMaterial(IDirect3DRMMaterial* material)
{
    Hold(m_pMaterial, material);
    return S_OK;
}

HRESULT IDirect3DRMFace::GetMaterial(IDirect3DRMMaterial** ppMaterial) const
{
    return HandOut(m_pMaterial, ppMaterial);
}

HRESULT IDirect3DRMFace::GetVertex(DWORD index, D3DVECTOR* pPosition, D3DVECTOR* pNormal) const
{
    if (index >= m_corners.size())
        return D3DRMERR_BADVALUE;
    if (pPosition)
        *pPosition = m_corners[index].position;
    if (pNormal)
        *pNormal = m_corners[index].normal;
    return S_OK;
}

HRESULT IDirect3DRMFace::GetNormal(D3DVECTOR* pNormal) const
{
    if (!pNormal)
        return D3DRMERR_BADVALUE;
    // Sum of the fan triangles' cross products: the area-weighted normal,
    // robust against a degenerate first triangle.
    D3DVECTOR sum = Vec(0, 0, 0);
    for (size_t i = 1; i + 1 < m_corners.size(); ++i)
        sum = Add(sum, Cross(Sub(m_corners[i].position, m_corners[0].position),
                             Sub(m_corners[i + 1].position, m_corners[0].position)));
    *pNormal = Normalize(sum);
    return S_OK;
}

// --- IDirect3DRMMeshBuilder -------------------------------------------------------------------

IDirect3DRMMeshBuilder::~IDirect3DRMMeshBuilder()
{
    for (IDirect3DRMFace* face : m_faces) {
        face->m_pOwner = nullptr;
        face->Release();
    }
}

HRESULT IDirect3DRMMeshBuilder::CreateFace(IDirect3DRMFace** ppFace)
{
    if (!ppFace)
        return D3DRMERR_BADVALUE;
    auto* face = new (std::nothrow) IDirect3DRMFace();
    if (!face)
        return D3DRMERR_BADALLOC;
    face->m_pOwner = this;
    face->AddRef(); // the builder's reference
    m_faces.push_back(face);
    *ppFace = face;
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::AddFace(IDirect3DRMFace* face)
{
    if (!face)
        return D3DRMERR_BADOBJECT;
    if (face->m_pOwner)
        return D3DRMERR_FACEUSED;
    face->m_pOwner = this;
    face->AddRef();
    m_faces.push_back(face);
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::AddFaces(DWORD vertexCount, const D3DVECTOR* vertices, DWORD normalCount,
                                         const D3DVECTOR* normals, const DWORD* faceData)
{
    if (!faceData || (vertexCount > 0 && !vertices) || (normalCount > 0 && !normals))
        return D3DRMERR_BADVALUE;
    const bool withNormals = normalCount > 0;
    // Check the whole list first, so that a bad entry adds nothing.
    for (const DWORD* p = faceData; *p != 0;) {
        const DWORD n = *p++;
        if (n < 3)
            return D3DRMERR_BADVALUE;
        for (DWORD i = 0; i < n; ++i) {
            if (*p++ >= vertexCount)
                return D3DRMERR_BADVALUE;
            if (withNormals && *p++ >= normalCount)
                return D3DRMERR_BADVALUE;
        }
    }
    for (const DWORD* p = faceData; *p != 0;) {
        const DWORD n = *p++;
        auto* face = new (std::nothrow) IDirect3DRMFace();
        if (!face)
            return D3DRMERR_BADALLOC;
        for (DWORD i = 0; i < n; ++i) {
            const D3DVECTOR& v = vertices[*p++];
            const D3DVECTOR nrm = withNormals ? normals[*p++] : Vec(0, 0, 0);
            face->AddVertexAndNormal(v.x, v.y, v.z, nrm.x, nrm.y, nrm.z);
        }
        face->m_pOwner = this;
        m_faces.push_back(face); // the creation reference becomes the builder's
    }
    return S_OK;
}

int IDirect3DRMMeshBuilder::GetVertexCount() const
{
    int n = 0;
    for (const IDirect3DRMFace* face : m_faces)
        n += face->GetVertexCount();
    return n;
}

HRESULT IDirect3DRMMeshBuilder::GetFace(DWORD index, IDirect3DRMFace** ppFace) const
{
    if (index >= m_faces.size())
        return D3DRMERR_BADVALUE;
    return HandOut(m_faces[index], ppFace);
}

HRESULT IDirect3DRMMeshBuilder::GenerateNormals()
{
    for (IDirect3DRMFace* face : m_faces) {
        D3DVECTOR n;
        face->GetNormal(&n);
        for (auto& corner : face->m_corners)
            corner.normal = n;
    }
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::SetColor(D3DCOLOR color)
{
    for (IDirect3DRMFace* face : m_faces)
        face->SetColor(color);
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    return SetColor(D3DRMCreateColorRGB(r, g, b));
}

HRESULT IDirect3DRMMeshBuilder::SetTexture(IDirect3DRMTexture* texture)
{
    for (IDirect3DRMFace* face : m_faces)
        face->SetTexture(texture);
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::SetMaterial(IDirect3DRMMaterial* material)
{
    for (IDirect3DRMFace* face : m_faces)
        face->SetMaterial(material);
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::SetQuality(D3DRMRENDERQUALITY quality)
{
    m_quality = quality;
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::Translate(D3DVALUE tx, D3DVALUE ty, D3DVALUE tz)
{
    for (IDirect3DRMFace* face : m_faces)
        for (auto& corner : face->m_corners)
            corner.position = Add(corner.position, Vec(tx, ty, tz));
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::Scale(D3DVALUE sx, D3DVALUE sy, D3DVALUE sz)
{
    for (IDirect3DRMFace* face : m_faces)
        for (auto& corner : face->m_corners) {
            corner.position = Vec(corner.position.x * sx, corner.position.y * sy, corner.position.z * sz);
            corner.normal = ScaleNormal(corner.normal, sx, sy, sz);
        }
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::GetBox(D3DRMBOX* pBox) const
{
    if (!pBox)
        return D3DRMERR_BADVALUE;
    BoxAccumulator acc;
    for (const IDirect3DRMFace* face : m_faces)
        for (const auto& corner : face->m_corners)
            acc.Add(corner.position);
    *pBox = acc.Result();
    return S_OK;
}

HRESULT IDirect3DRMMeshBuilder::CreateMesh(IDirect3DRMMesh** ppMesh)
{
    if (!ppMesh)
        return D3DRMERR_BADVALUE;
    auto* mesh = new (std::nothrow) IDirect3DRMMesh();
    if (!mesh)
        return D3DRMERR_BADALLOC;
    // One group per look and corner count, in the order of first appearance.
    struct KEY {
        size_t corners;
        D3DCOLOR color;
        IDirect3DRMTexture* texture;
        IDirect3DRMMaterial* material;
        bool operator==(const KEY&) const = default;
    };
    std::vector<KEY> keys;
    for (const IDirect3DRMFace* face : m_faces) {
        if (face->m_corners.size() < 3)
            continue; // not a face yet: nothing to draw
        const KEY key{face->m_corners.size(), face->m_color, face->m_pTexture, face->m_pMaterial};
        auto it = std::find(keys.begin(), keys.end(), key);
        size_t index = static_cast<size_t>(it - keys.begin());
        if (it == keys.end()) {
            keys.push_back(key);
            IDirect3DRMMesh::GROUP group;
            group.nVertexPerFace = static_cast<unsigned>(key.corners);
            group.color = key.color;
            group.quality = m_quality;
            Hold(group.pTexture, key.texture);
            Hold(group.pMaterial, key.material);
            mesh->m_groups.push_back(std::move(group));
        }
        IDirect3DRMMesh::GROUP& group = mesh->m_groups[index];
        D3DVECTOR faceNormal;
        face->GetNormal(&faceNormal);
        for (const auto& corner : face->m_corners) {
            group.aFaceData.push_back(static_cast<unsigned>(group.aVertices.size()));
            // Corners without a normal of their own take the face's.
            const D3DVECTOR n = Length(corner.normal) > 0 ? corner.normal : faceNormal;
            group.aVertices.push_back(D3DRMVERTEX{corner.position, n, corner.tu, corner.tv, face->m_color});
        }
        ++group.nFaces;
    }
    *ppMesh = mesh;
    return S_OK;
}
