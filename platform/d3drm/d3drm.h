// The retained-mode 3D services: a scene graph of frames that carry meshes
// and lights, mesh builders, materials, textures, a device and a viewport
// that projects and picks. Everything here lives on the CPU, so the game and
// the library run and are tested with no graphics hardware; a renderer walks
// the same graph to draw it (see D3DRMRENDERER).
//
// Conventions:
// - Left-handed coordinates; x right, y up, z forward. A camera frame looks
//   along its own +z with +y up.
// - Matrices are D3DMATRIX records applied to row vectors (v' = v M): the
//   rows _11.._13, _21.._23, _31.._33 are a frame's x, y and z axes in its
//   parent's coordinates and _41.._43 its position.
// - A positive rotation angle turns y towards z about x, z towards x about y
//   and x towards y about z.
// - Objects are reference counted. A creator gets one reference; AddRef and
//   Release count them; the last Release frees the object. A frame holds a
//   reference to each of its children, visuals and lights; a mesh group holds
//   its material and texture; a viewport holds its device and camera. A child
//   does not hold its parent: when a parent is freed its remaining children
//   become roots of their own.
// - Reference frames: where an operation takes a frame "ref", a null ref means
//   the frame's parent (for a root frame, the world).
// - Operations return S_OK or a D3DRMERR_ code and never throw.
#pragma once

#include "platform/d3drm/d3dtypes.h"

#include "platform/base/hresult.h"

#include <cstdint>
#include <vector>

// --- result codes ------------------------------------------------------------


constexpr HRESULT D3DRM_MAKE_ERROR(unsigned code)
{
    return static_cast<HRESULT>(0x88760000u | code);
}
constexpr HRESULT D3DRM_OK = 0;
constexpr HRESULT D3DRMERR_BADOBJECT = D3DRM_MAKE_ERROR(781); // null or wrong kind of object
constexpr HRESULT D3DRMERR_BADTYPE = D3DRM_MAKE_ERROR(782);   // unknown enumeration value
constexpr HRESULT D3DRMERR_BADALLOC = D3DRM_MAKE_ERROR(783);  // out of memory
constexpr HRESULT D3DRMERR_FACEUSED = D3DRM_MAKE_ERROR(784);  // the face already belongs to a builder
constexpr HRESULT D3DRMERR_NOTFOUND = D3DRM_MAKE_ERROR(785);  // no such child, visual, light or group
constexpr HRESULT D3DRMERR_BADVALUE = D3DRM_MAKE_ERROR(790);  // a parameter out of range or a null out pointer

// --- enumerations --------------------------------------------------------------

// How AddTransform and its relatives combine with a frame's local transform.
enum D3DRMCOMBINETYPE {
    D3DRMCOMBINE_REPLACE = 0, // the new transform replaces the old one
    D3DRMCOMBINE_BEFORE = 1,  // applied first, in the frame's own coordinates
    D3DRMCOMBINE_AFTER = 2,   // applied last, in the parent's coordinates
};

enum D3DRMLIGHTTYPE {
    D3DRMLIGHT_AMBIENT = 0,
    D3DRMLIGHT_POINT = 1,
    D3DRMLIGHT_SPOT = 2,
    D3DRMLIGHT_DIRECTIONAL = 3,
    D3DRMLIGHT_PARALLELPOINT = 4,
};

// Render quality: the sum of a shade mode, a light mode and a fill mode.
using D3DRMRENDERQUALITY = DWORD;
constexpr DWORD D3DRMSHADE_FLAT = 0;
constexpr DWORD D3DRMSHADE_GOURAUD = 1;
constexpr DWORD D3DRMSHADE_PHONG = 2;
constexpr DWORD D3DRMSHADE_MASK = 7;
constexpr DWORD D3DRMLIGHT_OFF = 0;
constexpr DWORD D3DRMLIGHT_ON = 8;
constexpr DWORD D3DRMLIGHT_MASK = 56;
constexpr DWORD D3DRMFILL_POINTS = 0;
constexpr DWORD D3DRMFILL_WIREFRAME = 64;
constexpr DWORD D3DRMFILL_SOLID = 128;
constexpr DWORD D3DRMFILL_MASK = 448;
constexpr D3DRMRENDERQUALITY D3DRMRENDER_FLAT = D3DRMSHADE_FLAT | D3DRMLIGHT_ON | D3DRMFILL_SOLID;
constexpr D3DRMRENDERQUALITY D3DRMRENDER_GOURAUD = D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON | D3DRMFILL_SOLID;

enum D3DRMTEXTUREQUALITY {
    D3DRMTEXTURE_NEAREST = 0,
    D3DRMTEXTURE_LINEAR = 1,
    D3DRMTEXTURE_MIPNEAREST = 2,
    D3DRMTEXTURE_MIPLINEAR = 3,
    D3DRMTEXTURE_LINEARMIPNEAREST = 4,
    D3DRMTEXTURE_LINEARMIPLINEAR = 5,
};

// Device render mode bits.
constexpr DWORD D3DRMRENDERMODE_BLENDEDTRANSPARENCY = 1; // translucent colours blend
constexpr DWORD D3DRMRENDERMODE_SORTEDTRANSPARENCY = 2;  // translucent faces drawn back to front

// Where a frame's visuals take their material from.
enum D3DRMMATERIALMODE {
    D3DRMMATERIAL_FROMMESH = 0,
    D3DRMMATERIAL_FROMPARENT = 1,
    D3DRMMATERIAL_FROMFRAME = 2,
};

using D3DRMGROUPINDEX = LONG;

// --- records --------------------------------------------------------------------

// One vertex of a mesh group.
struct D3DRMVERTEX {
    D3DVECTOR position;
    D3DVECTOR normal;
    D3DVALUE tu; // texture coordinates
    D3DVALUE tv;
    D3DCOLOR color;
};

struct D3DRMBOX {
    D3DVECTOR min;
    D3DVECTOR max;
};

// A homogeneous screen point: x/w and y/w are device pixels, z/w the depth
// (0 at the front clipping plane, 1 at the back one).
struct D3DRMVECTOR4D {
    D3DVALUE x;
    D3DVALUE y;
    D3DVALUE z;
    D3DVALUE w;
};

// Pixels handed to CreateTexture: width x height colours (0xAARRGGBB), rows
// from the top, each row width entries long. The texture copies them.
struct D3DRMIMAGE {
    int width;
    int height;
    const D3DCOLOR* pPixels;
};

// What Pick found on one visual: the group and face hit nearest to the
// viewer and the point hit, in world coordinates.
struct D3DRMPICKDESC {
    ULONG ulFaceIdx;
    LONG lGroupIdx;
    D3DVECTOR vPosition;
};

// --- objects -----------------------------------------------------------------------

class IDirect3DRM2;
class IDirect3DRMFrame2;
class IDirect3DRMMesh;
class IDirect3DRMMeshBuilder;
class IDirect3DRMFace;
class IDirect3DRMLight;
class IDirect3DRMMaterial;
class IDirect3DRMTexture;
class IDirect3DRMDevice2;
class IDirect3DRMViewport;

// Common base: an intrusive reference count and a serial number unique for
// the life of the process (a renderer may key caches by it, since addresses
// are reused after an object is freed).
class IDirect3DRMObject {
public:
    IDirect3DRMObject(const IDirect3DRMObject&) = delete;
    IDirect3DRMObject& operator=(const IDirect3DRMObject&) = delete;

    ULONG AddRef();
    ULONG Release(); // returns the count left; 0 means the object was freed
    ULONG GetRefCount() const { return m_cRef; }
    std::uint64_t GetId() const { return m_id; }

protected:
    IDirect3DRMObject();
    virtual ~IDirect3DRMObject();

private:
    ULONG m_cRef = 1;
    std::uint64_t m_id;
};

// Something a frame can show. Only meshes are drawn and picked.
class IDirect3DRMVisual : public IDirect3DRMObject {
public:
    virtual IDirect3DRMMesh* AsMesh() { return nullptr; }
};

// A light, attached to frames with AddLight; it shines from the frame's origin.
class IDirect3DRMLight : public IDirect3DRMObject {
public:
    HRESULT SetType(D3DRMLIGHTTYPE type);
    D3DRMLIGHTTYPE GetType() const { return m_type; }
    HRESULT SetColor(D3DCOLOR color);
    HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b);
    D3DCOLOR GetColor() const;
    // Components are kept unclamped (a light may be brighter than 1.0).
    D3DVALUE GetRed() const { return m_r; }
    D3DVALUE GetGreen() const { return m_g; }
    D3DVALUE GetBlue() const { return m_b; }
    HRESULT SetRange(D3DVALUE range);
    D3DVALUE GetRange() const { return m_range; }
    HRESULT SetConstantAttenuation(D3DVALUE v);
    HRESULT SetLinearAttenuation(D3DVALUE v);
    HRESULT SetQuadraticAttenuation(D3DVALUE v);
    D3DVALUE GetConstantAttenuation() const { return m_attConstant; }
    D3DVALUE GetLinearAttenuation() const { return m_attLinear; }
    D3DVALUE GetQuadraticAttenuation() const { return m_attQuadratic; }
    // Intensity factor at a distance from the light: 1 / (constant + linear d
    // + quadratic d^2), and 0 beyond the range (ambient lights: always 1).
    D3DVALUE Attenuation(D3DVALUE distance) const;

private:
    friend class IDirect3DRM2;
    IDirect3DRMLight(D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b);

    D3DRMLIGHTTYPE m_type;
    D3DVALUE m_r, m_g, m_b;
    D3DVALUE m_range = 256.0f;
    D3DVALUE m_attConstant = 1.0f;
    D3DVALUE m_attLinear = 0.0f;
    D3DVALUE m_attQuadratic = 0.0f;
};

// Surface properties beyond the colour: a specular highlight of a power and
// colour, and an emissive (self-lit) colour.
class IDirect3DRMMaterial : public IDirect3DRMObject {
public:
    HRESULT SetPower(D3DVALUE power);
    D3DVALUE GetPower() const { return m_power; }
    HRESULT SetSpecular(D3DVALUE r, D3DVALUE g, D3DVALUE b);
    HRESULT GetSpecular(D3DVALUE* r, D3DVALUE* g, D3DVALUE* b) const;
    HRESULT SetEmissive(D3DVALUE r, D3DVALUE g, D3DVALUE b);
    HRESULT GetEmissive(D3DVALUE* r, D3DVALUE* g, D3DVALUE* b) const;

private:
    friend class IDirect3DRM2;
    explicit IDirect3DRMMaterial(D3DVALUE power) : m_power(power) {}

    D3DVALUE m_power;
    D3DVALUE m_specular[3] = {0, 0, 0};
    D3DVALUE m_emissive[3] = {0, 0, 0};
};

// An image for texturing mesh groups. Decal transparency makes texels of the
// transparent colour (compared on red, green and blue) see-through.
class IDirect3DRMTexture : public IDirect3DRMObject {
public:
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    const std::vector<D3DCOLOR>& GetPixels() const { return m_pixels; } // rows from the top
    HRESULT SetShades(DWORD shades);
    DWORD GetShades() const { return m_shades; }
    HRESULT SetDecalTransparency(BOOL on);
    BOOL GetDecalTransparency() const { return m_fTransparent; }
    HRESULT SetDecalTransparentColor(D3DCOLOR color);
    D3DCOLOR GetDecalTransparentColor() const { return m_transparentColor; }
    // True when the texel at (x, y) shows (inside the image and not keyed out).
    bool IsTexelOpaque(int x, int y) const;

private:
    friend class IDirect3DRM2;
    IDirect3DRMTexture() = default;
    ~IDirect3DRMTexture() override;

    int m_width = 0;
    int m_height = 0;
    std::vector<D3DCOLOR> m_pixels;
    DWORD m_shades = 16;
    BOOL m_fTransparent = FALSE;
    D3DCOLOR m_transparentColor = 0;
};
using IDirect3DRMTexture2 = IDirect3DRMTexture;

// A mesh: groups of faces, each group with its own vertices, colour,
// material, texture and render quality.
//
// A group added with no vertices of its own stands for the whole mesh:
// colour, material, texture and quality set on it are applied to every
// group of the mesh as well, and it draws nothing itself.
class IDirect3DRMMesh : public IDirect3DRMVisual {
public:
    IDirect3DRMMesh* AsMesh() override { return this; }

    // Adds a group of faceCount faces of vertexPerFace vertices each (3 or
    // more). faceData holds faceCount * vertexPerFace vertex indices below
    // vertexCount (not checked for a group with no vertices). The group's
    // vertices start at the origin; its colour is white.
    HRESULT AddGroup(unsigned vertexCount, unsigned faceCount, unsigned vertexPerFace, const unsigned* faceData,
                     D3DRMGROUPINDEX* pIndex);
    HRESULT SetVertices(D3DRMGROUPINDEX id, unsigned index, unsigned count, const D3DRMVERTEX* values);
    HRESULT GetVertices(D3DRMGROUPINDEX id, unsigned index, unsigned count, D3DRMVERTEX* values) const;
    // Counts of a group and, with pFaceData non-null and *pDataSize large
    // enough, its face data; *pDataSize receives the number of indices.
    HRESULT GetGroup(D3DRMGROUPINDEX id, unsigned* pVertexCount, unsigned* pFaceCount, unsigned* pVertexPerFace,
                     DWORD* pDataSize, unsigned* pFaceData) const;
    unsigned GetGroupCount() const { return static_cast<unsigned>(m_groups.size()); }

    HRESULT SetGroupColor(D3DRMGROUPINDEX id, D3DCOLOR color);
    HRESULT SetGroupColorRGB(D3DRMGROUPINDEX id, D3DVALUE r, D3DVALUE g, D3DVALUE b);
    D3DCOLOR GetGroupColor(D3DRMGROUPINDEX id) const; // 0 for a bad index
    HRESULT SetGroupMaterial(D3DRMGROUPINDEX id, IDirect3DRMMaterial* material);
    HRESULT GetGroupMaterial(D3DRMGROUPINDEX id, IDirect3DRMMaterial** ppMaterial) const; // AddRef'd or null
    HRESULT SetGroupTexture(D3DRMGROUPINDEX id, IDirect3DRMTexture* texture);
    HRESULT GetGroupTexture(D3DRMGROUPINDEX id, IDirect3DRMTexture** ppTexture) const; // AddRef'd or null
    HRESULT SetGroupQuality(D3DRMGROUPINDEX id, D3DRMRENDERQUALITY quality);
    D3DRMRENDERQUALITY GetGroupQuality(D3DRMGROUPINDEX id) const;

    // Move or scale every vertex of every group (about the mesh origin).
    HRESULT Translate(D3DVALUE tx, D3DVALUE ty, D3DVALUE tz);
    HRESULT Scale(D3DVALUE sx, D3DVALUE sy, D3DVALUE sz);
    // The bounding box of all vertices; an empty mesh gives an all-zero box.
    HRESULT GetBox(D3DRMBOX* pBox) const;

    // Read access for the renderer and the picker.
    struct GROUP {
        std::vector<D3DRMVERTEX> aVertices;
        std::vector<unsigned> aFaceData;
        unsigned nVertexPerFace = 0;
        unsigned nFaces = 0;
        D3DCOLOR color = 0xFFFFFFFF;
        IDirect3DRMMaterial* pMaterial = nullptr; // held
        IDirect3DRMTexture* pTexture = nullptr;   // held
        D3DRMRENDERQUALITY quality = D3DRMRENDER_GOURAUD;
    };
    const GROUP* GetGroupData(D3DRMGROUPINDEX id) const;
    // Bumped by every change of vertices, faces, colours, materials, textures
    // or qualities, so that a renderer knows when to refresh what it keeps.
    std::uint64_t GetVersion() const { return m_version; }

private:
    friend class IDirect3DRM2;
    friend class IDirect3DRMMeshBuilder;
    IDirect3DRMMesh() = default;
    ~IDirect3DRMMesh() override;
    GROUP* Group(D3DRMGROUPINDEX id);
    template <class F> HRESULT ForGroupAndMembers(D3DRMGROUPINDEX id, F&& apply);

    std::vector<GROUP> m_groups;
    std::uint64_t m_version = 0;
};

// One face of a mesh builder: its own corners (position, normal, texture
// coordinates), a colour, a texture and a material.
class IDirect3DRMFace : public IDirect3DRMObject {
public:
    HRESULT AddVertex(D3DVALUE x, D3DVALUE y, D3DVALUE z);
    HRESULT AddVertexAndNormal(D3DVALUE x, D3DVALUE y, D3DVALUE z, D3DVALUE nx, D3DVALUE ny, D3DVALUE nz);
    HRESULT SetTextureCoordinates(DWORD vertex, D3DVALUE u, D3DVALUE v);
    HRESULT GetTextureCoordinates(DWORD vertex, D3DVALUE* pu, D3DVALUE* pv) const;
    HRESULT SetColor(D3DCOLOR color);
    HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b);
    D3DCOLOR GetColor() const { return m_color; }
    HRESULT SetTexture(IDirect3DRMTexture* texture);
    HRESULT GetTexture(IDirect3DRMTexture** ppTexture) const; // AddRef'd or null
    HRESULT SetMaterial(IDirect3DRMMaterial* material);
    HRESULT GetMaterial(IDirect3DRMMaterial** ppMaterial) const; // AddRef'd or null
    int GetVertexCount() const { return static_cast<int>(m_corners.size()); }
    HRESULT GetVertex(DWORD index, D3DVECTOR* pPosition, D3DVECTOR* pNormal) const;
    // The face's normal from its first three corners (zero when degenerate):
    // it points to the side from which the corners run clockwise, the front.
    HRESULT GetNormal(D3DVECTOR* pNormal) const;

private:
    friend class IDirect3DRM2;
    friend class IDirect3DRMMeshBuilder;
    IDirect3DRMFace() = default;
    ~IDirect3DRMFace() override;

    struct CORNER {
        D3DVECTOR position;
        D3DVECTOR normal;
        D3DVALUE tu, tv;
    };
    std::vector<CORNER> m_corners;
    D3DCOLOR m_color = 0xFFFFFFFF;
    IDirect3DRMTexture* m_pTexture = nullptr;
    IDirect3DRMMaterial* m_pMaterial = nullptr;
    IDirect3DRMMeshBuilder* m_pOwner = nullptr; // not held
};

// Collects faces and turns them into a mesh: CreateMesh makes one group per
// combination of corner count, colour, texture and material (in the order of
// the first face of each), with one vertex per face corner; a corner without
// a normal of its own takes its face's. Faces of fewer than 3 corners are
// left out.
class IDirect3DRMMeshBuilder : public IDirect3DRMVisual {
public:
    HRESULT CreateFace(IDirect3DRMFace** ppFace); // new face, added to this builder
    HRESULT AddFace(IDirect3DRMFace* face);       // D3DRMERR_FACEUSED if in a builder already
    // Adds faces over shared vertex and normal lists. faceData holds, per
    // face, its vertex count n followed by n vertex indices, or by n pairs
    // (vertex index, normal index) when normals are given; a count of 0 ends
    // the list.
    HRESULT AddFaces(DWORD vertexCount, const D3DVECTOR* vertices, DWORD normalCount, const D3DVECTOR* normals,
                     const DWORD* faceData);
    int GetFaceCount() const { return static_cast<int>(m_faces.size()); }
    int GetVertexCount() const;                                   // corners over all faces
    HRESULT GetFace(DWORD index, IDirect3DRMFace** ppFace) const; // AddRef'd
    // Sets every corner normal to its face's normal.
    HRESULT GenerateNormals();
    HRESULT SetColor(D3DCOLOR color); // every face
    HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b);
    HRESULT SetTexture(IDirect3DRMTexture* texture);
    HRESULT SetMaterial(IDirect3DRMMaterial* material);
    HRESULT SetQuality(D3DRMRENDERQUALITY quality);
    D3DRMRENDERQUALITY GetQuality() const { return m_quality; }
    HRESULT Translate(D3DVALUE tx, D3DVALUE ty, D3DVALUE tz);
    HRESULT Scale(D3DVALUE sx, D3DVALUE sy, D3DVALUE sz);
    HRESULT GetBox(D3DRMBOX* pBox) const;
    HRESULT CreateMesh(IDirect3DRMMesh** ppMesh);

private:
    friend class IDirect3DRM2;
    IDirect3DRMMeshBuilder() = default;
    ~IDirect3DRMMeshBuilder() override;

    std::vector<IDirect3DRMFace*> m_faces; // held
    D3DRMRENDERQUALITY m_quality = D3DRMRENDER_GOURAUD;
};
using IDirect3DRMMeshBuilder2 = IDirect3DRMMeshBuilder;

// A frame: a local transform relative to its parent, children, visuals and
// lights, and a motion (rotation per tick, velocity) applied by Move.
class IDirect3DRMFrame2 : public IDirect3DRMObject {
public:
    // Hierarchy. AddChild takes the child from any previous parent and keeps
    // its local transform; DeleteChild makes the child a root.
    HRESULT AddChild(IDirect3DRMFrame2* child);
    HRESULT DeleteChild(IDirect3DRMFrame2* child);
    HRESULT GetParent(IDirect3DRMFrame2** ppParent) const; // AddRef'd; null for a root
    IDirect3DRMFrame2* GetScene();                         // the root of this frame's tree (not AddRef'd)

    HRESULT AddVisual(IDirect3DRMVisual* visual);    // meshes only; adding one twice shows it twice
    HRESULT DeleteVisual(IDirect3DRMVisual* visual); // removes one occurrence
    HRESULT AddLight(IDirect3DRMLight* light);
    HRESULT DeleteLight(IDirect3DRMLight* light);

    // Placement relative to a reference frame (null: the parent).
    HRESULT SetPosition(IDirect3DRMFrame2* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z);
    HRESULT GetPosition(IDirect3DRMFrame2* ref, D3DVECTOR* pPosition);
    // Points the frame's z axis along dir and its y axis along up (made
    // perpendicular to dir), both given in ref's coordinates. The position is
    // kept; a scale in the local transform is dropped.
    HRESULT SetOrientation(IDirect3DRMFrame2* ref, D3DVALUE dx, D3DVALUE dy, D3DVALUE dz, D3DVALUE ux, D3DVALUE uy,
                           D3DVALUE uz);
    HRESULT GetOrientation(IDirect3DRMFrame2* ref, D3DVECTOR* pDir, D3DVECTOR* pUp);
    // Rotation by theta radians per tick about an axis through the frame's
    // origin, the axis given in ref's coordinates (taken at the time of the
    // call). Move applies it.
    HRESULT SetRotation(IDirect3DRMFrame2* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z, D3DVALUE theta);
    HRESULT GetRotation(IDirect3DRMFrame2* ref, D3DVECTOR* pAxis, D3DVALUE* pTheta);
    // Velocity in units per tick, in ref's coordinates. Move applies it.
    HRESULT SetVelocity(IDirect3DRMFrame2* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z);
    HRESULT GetVelocity(IDirect3DRMFrame2* ref, D3DVECTOR* pVelocity);
    // Advances this frame and every frame below it by delta ticks: each turns
    // by its rotation times delta and moves by its velocity times delta.
    HRESULT Move(D3DVALUE delta);

    // Direct changes of the local transform.
    HRESULT AddTransform(D3DRMCOMBINETYPE combine, const D3DMATRIX& m);
    HRESULT AddTranslation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z);
    HRESULT AddScale(D3DRMCOMBINETYPE combine, D3DVALUE sx, D3DVALUE sy, D3DVALUE sz);
    HRESULT AddRotation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z, D3DVALUE theta);
    HRESULT GetTransform(D3DMATRIX* pLocal) const; // relative to the parent
    D3DMATRIX GetWorldTransform() const;           // frame to world
    // Points between this frame's coordinates and the world's.
    HRESULT Transform(D3DVECTOR* pDst, const D3DVECTOR* pSrc) const;
    HRESULT InverseTransform(D3DVECTOR* pDst, const D3DVECTOR* pSrc) const;

    // Looks for the renderer.
    HRESULT SetColor(D3DCOLOR color);
    HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b);
    D3DCOLOR GetColor() const { return m_color; }
    HRESULT SetMaterialMode(D3DRMMATERIALMODE mode);
    D3DRMMATERIALMODE GetMaterialMode() const { return m_materialMode; }
    // The background colour of the scene whose root this frame is.
    HRESULT SetSceneBackground(D3DCOLOR color);
    HRESULT SetSceneBackgroundRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b);
    D3DCOLOR GetSceneBackground() const { return m_background; }

    // Read access for the renderer and the picker (not AddRef'd).
    IDirect3DRMFrame2* GetParentFrame() const { return m_pParent; }
    const std::vector<IDirect3DRMFrame2*>& GetChildren() const { return m_children; }
    const std::vector<IDirect3DRMVisual*>& GetVisuals() const { return m_visuals; }
    const std::vector<IDirect3DRMLight*>& GetLights() const { return m_lights; }

private:
    friend class IDirect3DRM2;
    IDirect3DRMFrame2() = default;
    ~IDirect3DRMFrame2() override;
    void Detach(); // from the parent, without touching counts
    bool IsAncestorOrSelf(const IDirect3DRMFrame2* frame) const;
    D3DMATRIX ParentWorld() const;
    D3DMATRIX RefWorld(IDirect3DRMFrame2* ref) const;
    void MoveTree(D3DVALUE delta);

    IDirect3DRMFrame2* m_pParent = nullptr;     // not held
    std::vector<IDirect3DRMFrame2*> m_children; // held
    std::vector<IDirect3DRMVisual*> m_visuals;  // held
    std::vector<IDirect3DRMLight*> m_lights;    // held
    D3DMATRIX m_local = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    D3DVECTOR m_rotationAxis = {0, 1, 0}; // in the parent's coordinates
    D3DVALUE m_rotationTheta = 0;
    D3DVECTOR m_velocity = {0, 0, 0}; // in the parent's coordinates
    D3DCOLOR m_color = 0xFFFFFFFF;
    D3DRMMATERIALMODE m_materialMode = D3DRMMATERIAL_FROMMESH;
    D3DCOLOR m_background = 0xFF000000;
};
using IDirect3DRMFrame = IDirect3DRMFrame2;

// The frames from a scene's root down to the frame that shows a picked
// visual.
class IDirect3DRMFrameArray : public IDirect3DRMObject {
public:
    DWORD GetSize() const { return static_cast<DWORD>(m_frames.size()); }
    HRESULT GetElement(DWORD index, IDirect3DRMFrame2** ppFrame) const; // AddRef'd

private:
    friend class IDirect3DRMViewport;
    friend class IDirect3DRMPickedArray;
    IDirect3DRMFrameArray() = default;
    ~IDirect3DRMFrameArray() override;
    std::vector<IDirect3DRMFrame2*> m_frames; // held
};

// The result of Pick: one entry per visual hit, nearest first.
class IDirect3DRMPickedArray : public IDirect3DRMObject {
public:
    DWORD GetSize() const { return static_cast<DWORD>(m_picks.size()); }
    // The visual (AddRef'd), optionally its frame path (a new array the
    // caller releases) and where it was hit.
    HRESULT GetPick(DWORD index, IDirect3DRMVisual** ppVisual, IDirect3DRMFrameArray** ppFrames,
                    D3DRMPICKDESC* pDesc) const;

private:
    friend class IDirect3DRMViewport;
    IDirect3DRMPickedArray() = default;
    ~IDirect3DRMPickedArray() override;
    struct PICK {
        IDirect3DRMVisual* pVisual;              // held
        std::vector<IDirect3DRMFrame2*> aFrames; // held, root first
        D3DRMPICKDESC desc;
        D3DVALUE distance;
    };
    std::vector<PICK> m_picks;
};

// The drawing target: a size in pixels and the render settings.
class IDirect3DRMDevice2 : public IDirect3DRMObject {
public:
    DWORD GetWidth() const { return m_width; }
    DWORD GetHeight() const { return m_height; }
    HRESULT SetQuality(D3DRMRENDERQUALITY quality);
    D3DRMRENDERQUALITY GetQuality() const { return m_quality; }
    HRESULT SetDither(BOOL on);
    BOOL GetDither() const { return m_fDither; }
    HRESULT SetTextureQuality(D3DRMTEXTUREQUALITY quality);
    D3DRMTEXTUREQUALITY GetTextureQuality() const { return m_textureQuality; }
    HRESULT SetShades(DWORD shades); // a power of two, 1 or more
    DWORD GetShades() const { return m_shades; }
    HRESULT SetRenderMode(DWORD flags); // D3DRMRENDERMODE_ bits
    DWORD GetRenderMode() const { return m_renderMode; }
    // Presents what the viewports rendered (through the renderer, if any).
    HRESULT Update();
    const std::vector<IDirect3DRMViewport*>& GetViewports() const { return m_viewports; } // not held

private:
    friend class IDirect3DRM2;
    friend class IDirect3DRMViewport;
    IDirect3DRMDevice2(DWORD width, DWORD height) : m_width(width), m_height(height) {}
    ~IDirect3DRMDevice2() override;

    DWORD m_width, m_height;
    D3DRMRENDERQUALITY m_quality = D3DRMRENDER_FLAT;
    BOOL m_fDither = TRUE;
    D3DRMTEXTUREQUALITY m_textureQuality = D3DRMTEXTURE_NEAREST;
    DWORD m_shades = 32;
    DWORD m_renderMode = 0;
    std::vector<IDirect3DRMViewport*> m_viewports; // not held
    IDirect3DRM2* m_pRM = nullptr;                 // not held
};
using IDirect3DRMDevice = IDirect3DRMDevice2;

// A view of the scene from a camera frame onto a rectangle of a device.
//
// Projection: a point at camera coordinates (xc, yc, zc) lands on the device
// at x = left + width/2 + s xc/zc, y = top + height/2 - s yc/zc with
// s = (width/2) / field, so the field is half the view's width at distance 1.
// Depth runs from 0 at the front clipping plane to 1 at the back one.
class IDirect3DRMViewport : public IDirect3DRMObject {
public:
    HRESULT SetFront(D3DVALUE front); // > 0 and below the back plane
    D3DVALUE GetFront() const { return m_front; }
    HRESULT SetBack(D3DVALUE back); // beyond the front plane
    D3DVALUE GetBack() const { return m_back; }
    HRESULT SetField(D3DVALUE field); // > 0
    D3DVALUE GetField() const { return m_field; }
    HRESULT SetCamera(IDirect3DRMFrame2* camera);
    HRESULT GetCamera(IDirect3DRMFrame2** ppCamera) const;            // AddRef'd
    HRESULT GetDevice(IDirect3DRMDevice2** ppDevice) const;           // AddRef'd
    IDirect3DRMFrame2* GetCameraFrame() const { return m_pCamera; }   // not AddRef'd
    IDirect3DRMDevice2* GetDeviceObject() const { return m_pDevice; } // not AddRef'd
    LONG GetX() const { return m_x; }
    LONG GetY() const { return m_y; }
    DWORD GetWidth() const { return m_width; }
    DWORD GetHeight() const { return m_height; }

    // World point to homogeneous screen point, and back.
    HRESULT Transform(D3DRMVECTOR4D* pDst, const D3DVECTOR* pSrc) const;
    HRESULT InverseTransform(D3DVECTOR* pDst, const D3DRMVECTOR4D* pSrc) const;
    // The visuals of the camera's scene under device point (x, y), nearest
    // first: one entry per visual and frame, at its nearest front-facing
    // face between the clipping planes.
    HRESULT Pick(LONG x, LONG y, IDirect3DRMPickedArray** ppPicked) const;
    // The camera-to-screen matrix a renderer needs: camera coordinates (row
    // vector, w = 1) times this matrix give Transform's homogeneous point.
    D3DMATRIX GetProjection() const;

    // Drawing goes through the renderer, if one is installed.
    HRESULT Clear();
    HRESULT Render(IDirect3DRMFrame2* scene);
    HRESULT ForceUpdate(DWORD x1, DWORD y1, DWORD x2, DWORD y2);

private:
    friend class IDirect3DRM2;
    IDirect3DRMViewport() = default;
    ~IDirect3DRMViewport() override;

    IDirect3DRMDevice2* m_pDevice = nullptr; // held
    IDirect3DRMFrame2* m_pCamera = nullptr;  // held
    LONG m_x = 0, m_y = 0;
    DWORD m_width = 0, m_height = 0;
    D3DVALUE m_front = 1.0f;
    D3DVALUE m_back = 100.0f;
    D3DVALUE m_field = 0.5f;
};

// The factory of every other object.
class IDirect3DRM2 : public IDirect3DRMObject {
public:
    HRESULT CreateFrame(IDirect3DRMFrame2* parent, IDirect3DRMFrame2** ppFrame);
    HRESULT CreateMesh(IDirect3DRMMesh** ppMesh);
    HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder** ppBuilder);
    HRESULT CreateFace(IDirect3DRMFace** ppFace);
    HRESULT CreateLightRGB(D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b, IDirect3DRMLight** ppLight);
    HRESULT CreateLight(D3DRMLIGHTTYPE type, D3DCOLOR color, IDirect3DRMLight** ppLight);
    HRESULT CreateMaterial(D3DVALUE power, IDirect3DRMMaterial** ppMaterial);
    HRESULT CreateTexture(const D3DRMIMAGE* image, IDirect3DRMTexture** ppTexture);
    // A texture from an image resource of a module, read through the loader
    // installed with D3DRMSetResourceImageLoader. name and type may be
    // integer identifiers cast to pointers, as resource names are.
    // D3DRMERR_NOTFOUND when there is no loader or no such image.
    HRESULT LoadTextureFromResource(HMODULE module, const char* name, const char* type, IDirect3DRMTexture** ppTexture);
    HRESULT CreateDevice(DWORD width, DWORD height, IDirect3DRMDevice2** ppDevice);
    HRESULT CreateViewport(IDirect3DRMDevice2* device, IDirect3DRMFrame2* camera, DWORD x, DWORD y, DWORD width,
                           DWORD height, IDirect3DRMViewport** ppViewport);
    // Shades and colours given to textures created from now on.
    HRESULT SetDefaultTextureShades(DWORD shades);
    HRESULT SetDefaultTextureColors(DWORD colors);
    DWORD GetDefaultTextureShades() const { return m_textureShades; }
    DWORD GetDefaultTextureColors() const { return m_textureColors; }
    // One step of every device made here: each viewport's scene moves by
    // delta ticks (each scene once), then the viewports are cleared and
    // rendered and the devices updated.
    HRESULT Tick(D3DVALUE delta);

private:
    friend HRESULT Direct3DRMCreate(IDirect3DRM2** ppRM);
    friend class IDirect3DRMDevice2;
    IDirect3DRM2() = default;
    ~IDirect3DRM2() override;

    std::vector<IDirect3DRMDevice2*> m_devices; // not held
    DWORD m_textureShades = 16;
    DWORD m_textureColors = 8;
};
using IDirect3DRM = IDirect3DRM2;

HRESULT Direct3DRMCreate(IDirect3DRM2** ppRM);

// --- the renderer seam -----------------------------------------------------------

// Drawing is not done here: a renderer installed with D3DRMSetRenderer gets
// the viewport operations, and is told when meshes and textures are freed so
// that it can drop what it made from them. With no renderer the operations
// succeed and draw nothing.
struct D3DRMRENDERER {
    virtual HRESULT Clear(IDirect3DRMViewport* viewport) = 0;
    virtual HRESULT Render(IDirect3DRMViewport* viewport, IDirect3DRMFrame2* scene) = 0;
    virtual HRESULT ForceUpdate(IDirect3DRMViewport* viewport, const RECT& area) = 0;
    virtual HRESULT Update(IDirect3DRMDevice2* device) = 0;
    virtual void Freed(IDirect3DRMObject* object) = 0; // a mesh or texture is about to go
protected:
    ~D3DRMRENDERER() = default;
};
void D3DRMSetRenderer(D3DRMRENDERER* renderer); // null removes it
D3DRMRENDERER* D3DRMGetRenderer();

// Reads an image resource into 32-bit pixels (0xAARRGGBB, rows from the
// top); false when the module has no such image. Installed by the layer that
// holds the resources; null removes it.
using D3DRMRESOURCEIMAGELOADER = bool (*)(HMODULE module, const char* name, const char* type, int* pWidth, int* pHeight,
                                          std::vector<D3DCOLOR>* pPixels);
void D3DRMSetResourceImageLoader(D3DRMRESOURCEIMAGELOADER loader);
