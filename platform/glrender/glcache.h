// What the renderer keeps on the GPU for the scene graph's meshes and
// textures, keyed by object id: buffers per mesh group, refreshed when the
// mesh's version changes, and textures refreshed when their decal settings
// change.
#pragma once

#include "platform/d3drm/d3drm.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

struct GLGROUP {
    // The group's own vertices; triangle indices (each face a fan) followed
    // by edge indices (two per polygon side) in one index buffer.
    GLuint vao = 0, vbo = 0, ebo = 0;
    GLsizei nVertices = 0, nTriangleIndices = 0, nEdgeIndices = 0;
    // One vertex per triangle corner with the face's normal and centre, for
    // flat shading; made the first time the group is drawn flat.
    GLuint flatVao = 0, flatVbo = 0;
    GLsizei nFlatVertices = 0;
    bool fFlatReady = false;
    bool fVertexAlpha = false; // some vertex colour is translucent
    D3DVECTOR centre{};        // of the group's box, in the mesh's coordinates
};

struct GLMESH {
    std::uint64_t version = 0;
    std::vector<GLGROUP> aGroups; // one per mesh group (empty ones draw nothing)
};

class GLMESHCACHE {
public:
    // The buffers of a mesh, filled or refreshed as needed.
    GLMESH& Get(const IDirect3DRMMesh* mesh);
    // Makes the flat-shading stream of one group if it is not there yet.
    void PrepareFlat(GLGROUP& buffers, const IDirect3DRMMesh::GROUP& group);
    void Free(std::uint64_t id);
    void Clear();
    std::size_t Count() const { return m_meshes.size(); }
    std::uint64_t Uploads() const { return m_uploads; }

private:
    void Fill(GLGROUP& buffers, const IDirect3DRMMesh::GROUP& group);
    static void Release(GLGROUP& buffers);

    std::unordered_map<std::uint64_t, GLMESH> m_meshes;
    std::uint64_t m_uploads = 0;
    // Staging, kept between uploads.
    std::vector<GLuint> m_indices;
    struct FLATVERTEX {
        D3DRMVERTEX vertex;
        D3DVECTOR litAt;
    };
    std::vector<FLATVERTEX> m_flat;
};

class GLTEXTURECACHE {
public:
    // The GL texture of a texture, filled or refreshed as needed.
    GLuint Get(const IDirect3DRMTexture* texture);
    void Free(std::uint64_t id);
    void Clear();
    std::size_t Count() const { return m_textures.size(); }
    std::uint64_t Uploads() const { return m_uploads; }

private:
    struct ENTRY {
        GLuint name = 0;
        BOOL fTransparent = FALSE;
        D3DCOLOR key = 0;
    };
    std::unordered_map<std::uint64_t, ENTRY> m_textures;
    std::uint64_t m_uploads = 0;
    std::vector<std::uint32_t> m_staging;
};
