// GPU copies of meshes and textures.
#include "platform/glrender/glcache.h"
#include "platform/d3drm/rmmath.h"
#include "platform/glrender/glprogram.h"

#include <algorithm>
#include <cstddef>

using namespace rmmath;

namespace {

// Points the vertex attributes of the bound VAO at records of stride bytes
// that start with a D3DRMVERTEX. Colours are 0xAARRGGBB words, which GL reads
// as BGRA bytes.
void SetVertexLayout(GLsizei stride)
{
    const auto at = [](std::size_t offset) { return reinterpret_cast<const void*>(offset); };
    glEnableVertexAttribArray(GLATTR_POSITION);
    glVertexAttribPointer(GLATTR_POSITION, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(D3DRMVERTEX, position)));
    glEnableVertexAttribArray(GLATTR_NORMAL);
    glVertexAttribPointer(GLATTR_NORMAL, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(D3DRMVERTEX, normal)));
    glEnableVertexAttribArray(GLATTR_TEXCOORD);
    glVertexAttribPointer(GLATTR_TEXCOORD, 2, GL_FLOAT, GL_FALSE, stride, at(offsetof(D3DRMVERTEX, tu)));
    glEnableVertexAttribArray(GLATTR_COLOR);
    glVertexAttribPointer(GLATTR_COLOR, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(offsetof(D3DRMVERTEX, color)));
}

} // namespace

// --- meshes ----------------------------------------------------------------------------

GLMESH& GLMESHCACHE::Get(const IDirect3DRMMesh* mesh)
{
    auto [it, fNew] = m_meshes.try_emplace(mesh->GetId());
    GLMESH& entry = it->second;
    if (!fNew && entry.version == mesh->GetVersion())
        return entry;
    const unsigned count = mesh->GetGroupCount();
    while (entry.aGroups.size() > count) {
        Release(entry.aGroups.back());
        entry.aGroups.pop_back();
    }
    entry.aGroups.resize(count);
    for (unsigned g = 0; g < count; ++g)
        Fill(entry.aGroups[g], *mesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(g)));
    entry.version = mesh->GetVersion();
    ++m_uploads;
    return entry;
}

void GLMESHCACHE::Fill(GLGROUP& buffers, const IDirect3DRMMesh::GROUP& group)
{
    buffers.fFlatReady = false;
    buffers.nFlatVertices = 0;
    if (group.aVertices.empty() || group.nFaces == 0 || group.nVertexPerFace < 3) {
        buffers.nVertices = buffers.nTriangleIndices = buffers.nEdgeIndices = 0;
        return;
    }
    if (!buffers.vao) {
        glGenVertexArrays(1, &buffers.vao);
        glGenBuffers(1, &buffers.vbo);
        glGenBuffers(1, &buffers.ebo);
        glBindVertexArray(buffers.vao);
        glBindBuffer(GL_ARRAY_BUFFER, buffers.vbo);
        SetVertexLayout(sizeof(D3DRMVERTEX));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.ebo);
    } else {
        glBindVertexArray(buffers.vao);
        glBindBuffer(GL_ARRAY_BUFFER, buffers.vbo);
    }
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(group.aVertices.size() * sizeof(D3DRMVERTEX)),
                 group.aVertices.data(), GL_STATIC_DRAW);

    const unsigned n = group.nVertexPerFace;
    m_indices.clear();
    for (unsigned f = 0; f < group.nFaces; ++f) {
        const unsigned* face = &group.aFaceData[static_cast<std::size_t>(f) * n];
        for (unsigned k = 1; k + 1 < n; ++k)
            m_indices.insert(m_indices.end(), {face[0], face[k], face[k + 1]});
    }
    const std::size_t triangles = m_indices.size();
    for (unsigned f = 0; f < group.nFaces; ++f) {
        const unsigned* face = &group.aFaceData[static_cast<std::size_t>(f) * n];
        for (unsigned k = 0; k < n; ++k)
            m_indices.insert(m_indices.end(), {face[k], face[(k + 1) % n]});
    }
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_indices.size() * sizeof(GLuint)),
                 m_indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);

    buffers.nVertices = static_cast<GLsizei>(group.aVertices.size());
    buffers.nTriangleIndices = static_cast<GLsizei>(triangles);
    buffers.nEdgeIndices = static_cast<GLsizei>(m_indices.size() - triangles);
    buffers.fVertexAlpha = std::any_of(group.aVertices.begin(), group.aVertices.end(),
                                       [](const D3DRMVERTEX& v) { return (v.color >> 24) != 0xFF; });
    D3DVECTOR lo = group.aVertices[0].position, hi = lo;
    for (const D3DRMVERTEX& v : group.aVertices) {
        lo = Vec(std::min(lo.x, v.position.x), std::min(lo.y, v.position.y), std::min(lo.z, v.position.z));
        hi = Vec(std::max(hi.x, v.position.x), std::max(hi.y, v.position.y), std::max(hi.z, v.position.z));
    }
    buffers.centre = Mul(Add(lo, hi), 0.5f);
}

void GLMESHCACHE::PrepareFlat(GLGROUP& buffers, const IDirect3DRMMesh::GROUP& group)
{
    if (buffers.fFlatReady || buffers.nTriangleIndices == 0)
        return;
    const unsigned n = group.nVertexPerFace;
    m_flat.clear();
    for (unsigned f = 0; f < group.nFaces; ++f) {
        const unsigned* face = &group.aFaceData[static_cast<std::size_t>(f) * n];
        // The face's normal as the scene graph's faces compute it (the sum of
        // the fan's cross products), and its centre, where it is lit.
        D3DVECTOR normal = Vec(0, 0, 0), centre = Vec(0, 0, 0);
        const D3DVECTOR p0 = group.aVertices[face[0]].position;
        for (unsigned k = 0; k < n; ++k) {
            centre = Add(centre, group.aVertices[face[k]].position);
            if (k >= 1 && k + 1 < n)
                normal = Add(normal, Cross(Sub(group.aVertices[face[k]].position, p0),
                                           Sub(group.aVertices[face[k + 1]].position, p0)));
        }
        normal = Normalize(normal);
        centre = Mul(centre, 1.0f / static_cast<D3DVALUE>(n));
        for (unsigned k = 1; k + 1 < n; ++k)
            for (unsigned corner : {face[0], face[k], face[k + 1]}) {
                FLATVERTEX v{group.aVertices[corner], centre};
                v.vertex.normal = normal;
                m_flat.push_back(v);
            }
    }
    if (!buffers.flatVao) {
        glGenVertexArrays(1, &buffers.flatVao);
        glGenBuffers(1, &buffers.flatVbo);
        glBindVertexArray(buffers.flatVao);
        glBindBuffer(GL_ARRAY_BUFFER, buffers.flatVbo);
        SetVertexLayout(sizeof(FLATVERTEX));
        glEnableVertexAttribArray(GLATTR_LITAT);
        glVertexAttribPointer(GLATTR_LITAT, 3, GL_FLOAT, GL_FALSE, sizeof(FLATVERTEX),
                              reinterpret_cast<const void*>(offsetof(FLATVERTEX, litAt)));
    } else {
        glBindVertexArray(buffers.flatVao);
        glBindBuffer(GL_ARRAY_BUFFER, buffers.flatVbo);
    }
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_flat.size() * sizeof(FLATVERTEX)), m_flat.data(),
                 GL_STATIC_DRAW);
    glBindVertexArray(0);
    buffers.nFlatVertices = static_cast<GLsizei>(m_flat.size());
    buffers.fFlatReady = true;
}

void GLMESHCACHE::Release(GLGROUP& buffers)
{
    const GLuint arrays[] = {buffers.vao, buffers.flatVao};
    const GLuint names[] = {buffers.vbo, buffers.ebo, buffers.flatVbo};
    glDeleteVertexArrays(2, arrays);
    glDeleteBuffers(3, names);
    buffers = GLGROUP{};
}

void GLMESHCACHE::Free(std::uint64_t id)
{
    auto it = m_meshes.find(id);
    if (it == m_meshes.end())
        return;
    for (GLGROUP& group : it->second.aGroups)
        Release(group);
    m_meshes.erase(it);
}

void GLMESHCACHE::Clear()
{
    for (auto& [id, mesh] : m_meshes)
        for (GLGROUP& group : mesh.aGroups)
            Release(group);
    m_meshes.clear();
}

// --- textures ------------------------------------------------------------------------------

GLuint GLTEXTURECACHE::Get(const IDirect3DRMTexture* texture)
{
    if (texture->GetWidth() <= 0 || texture->GetHeight() <= 0)
        return 0;
    auto [it, fNew] = m_textures.try_emplace(texture->GetId());
    ENTRY& entry = it->second;
    const BOOL fTransparent = texture->GetDecalTransparency();
    const D3DCOLOR key = texture->GetDecalTransparentColor() & 0xFFFFFF;
    if (!fNew && entry.fTransparent == fTransparent && entry.key == key)
        return entry.name;

    // The image's own alpha is not used: texels show, except those of the
    // transparent colour of a decal.
    const std::vector<D3DCOLOR>& pixels = texture->GetPixels();
    m_staging.resize(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t rgb = pixels[i] & 0xFFFFFF;
        m_staging[i] = (fTransparent && rgb == key) ? rgb : rgb | 0xFF000000u;
    }
    if (!entry.name)
        glGenTextures(1, &entry.name);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, entry.name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture->GetWidth(), texture->GetHeight(), 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, m_staging.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glGenerateMipmap(GL_TEXTURE_2D);
    entry.fTransparent = fTransparent;
    entry.key = key;
    ++m_uploads;
    return entry.name;
}

void GLTEXTURECACHE::Free(std::uint64_t id)
{
    auto it = m_textures.find(id);
    if (it == m_textures.end())
        return;
    glDeleteTextures(1, &it->second.name);
    m_textures.erase(it);
}

void GLTEXTURECACHE::Clear()
{
    for (auto& [id, entry] : m_textures)
        glDeleteTextures(1, &entry.name);
    m_textures.clear();
}
