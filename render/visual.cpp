#include "render/visual.h"

#include "anim/hsl.h"
#include "anim/lasterror.h"
#include "game/game.h"
#include "platform/clock/crt.h"
#include "platform/d3drm/d3drm.h"
#include "render/scene.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace {

D3DCOLOR ToD3d(COLORREF c, BYTE alpha = 255)
{
    return D3DRGBA_BYTES(GetRValue(c), GetGValue(c), GetBValue(c), alpha);
}

COLORREF FromD3d(D3DCOLOR c)
{
    return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

bool Quality(DWORD bit)
{
    return (g.Settings.dwDisplayQuality & bit) != 0;
}

// The corners of the unit box, face by face, each face clockwise as seen
// from outside: the side towards -z, +x, +z, -x, the bottom and the top.
constexpr float kBoxFaces[6][4][3] = {
    {{-0.5f, -0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}},
    {{0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}},
    {{0.5f, -0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f}},
    {{-0.5f, -0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f}, {-0.5f, 0.5f, -0.5f}, {-0.5f, -0.5f, -0.5f}},
    {{-0.5f, -0.5f, 0.5f}, {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, 0.5f}},
    {{-0.5f, 0.5f, -0.5f}, {-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, -0.5f}},
};

// Texture coordinates of a quad's four corners: the image upright on it.
constexpr float kQuadUV[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};

// Collects the faces of one visual in a mesh builder and turns them into
// the visual's mesh.
class MeshMaker {
public:
    MeshMaker()
    {
        if (ZASSERT(g.Render.pd3d, "render"))
            g.Render.pd3d->CreateMeshBuilder(&m_pBuilder);
    }
    ~MeshMaker()
    {
        if (m_pBuilder)
            m_pBuilder->Release();
    }
    MeshMaker(const MeshMaker&) = delete;
    MeshMaker& operator=(const MeshMaker&) = delete;

    // One face; quads get the upright texture coordinates.
    void Face(std::initializer_list<D3DVECTOR> corners, D3DCOLOR colour, IDirect3DRMTexture* texture = nullptr)
    {
        IDirect3DRMFace* face = nullptr;
        if (!m_pBuilder || FAILED(m_pBuilder->CreateFace(&face)))
            return;
        for (const D3DVECTOR& c : corners)
            face->AddVertex(c.x, c.y, c.z);
        if (corners.size() == 4)
            for (DWORD i = 0; i < 4; ++i)
                face->SetTextureCoordinates(i, kQuadUV[i][0], kQuadUV[i][1]);
        face->SetColor(colour);
        face->SetTexture(texture);
        face->Release();
    }

    // The faces of the unit box, scaled and moved to a centre.
    void Box(D3DVECTOR centre, D3DVECTOR size, D3DCOLOR colour, IDirect3DRMTexture* front = nullptr,
             IDirect3DRMTexture* others = nullptr)
    {
        bool first = true;
        for (const auto& f : kBoxFaces) {
            auto corner = [&](int i) {
                return D3DVECTOR{f[i][0] * size.x + centre.x, f[i][1] * size.y + centre.y, f[i][2] * size.z + centre.z};
            };
            Face({corner(0), corner(1), corner(2), corner(3)}, colour, first ? front : others);
            first = false;
        }
    }

    // Normals, the mesh, and the extra group that speaks for the whole
    // mesh: faces x perFace indices 0, 1, 2, ... and no vertices of its own.
    VISUAL* Finish(LONG mode, unsigned faces, unsigned perFace)
    {
        if (!m_pBuilder)
            return nullptr;
        m_pBuilder->GenerateNormals();
        IDirect3DRMMesh* mesh = nullptr;
        if (FAILED(m_pBuilder->CreateMesh(&mesh)))
            return nullptr;
        std::vector<unsigned> data(faces * perFace);
        for (unsigned i = 0; i < data.size(); ++i)
            data[i] = i;
        D3DRMGROUPINDEX group = 0;
        mesh->AddGroup(0, faces, perFace, data.data(), &group);
        AdoptCommonLook(mesh, group);
        auto* v = new VISUAL{};
        v->pMesh = mesh;
        v->lGroup = group;
        v->lMode = mode;
        return v;
    }

private:
    // Where every drawn group has the same colour or texture, the whole-mesh
    // group carries it too, so that reading it back gives the visual's look.
    static void AdoptCommonLook(IDirect3DRMMesh* mesh, D3DRMGROUPINDEX whole)
    {
        const IDirect3DRMMesh::GROUP* first = mesh->GetGroupData(0);
        if (!first || whole == 0)
            return;
        bool sameColour = true, sameTexture = true;
        for (D3DRMGROUPINDEX i = 1; i < whole; ++i) {
            const IDirect3DRMMesh::GROUP* group = mesh->GetGroupData(i);
            sameColour = sameColour && group->color == first->color;
            sameTexture = sameTexture && group->pTexture == first->pTexture;
        }
        if (sameColour)
            mesh->SetGroupColor(whole, first->color);
        if (sameTexture && first->pTexture)
            mesh->SetGroupTexture(whole, first->pTexture);
    }

    IDirect3DRMMeshBuilder* m_pBuilder = nullptr;
};

COLORREF Brighter(COLORREF colour)
{
    const unsigned long hsl = RGBtoHSL(colour);
    const unsigned long s = (hsl >> 8) & 0xFF;
    const unsigned long s2 = s >= 128 ? 255 : 2 * s;
    return static_cast<COLORREF>(HSLtoRGB((hsl & ~0xFF00ul) | (s2 << 8)));
}

} // namespace

VISUAL* MakeBox(float x, float y, float z, float sx, float sy, float sz, COLORREF colour, bool fBrighter)
{
    MeshMaker maker;
    maker.Box({x, y, z}, {sx, sy, sz}, ToD3d(fBrighter ? Brighter(colour) : colour));
    VISUAL* v = maker.Finish(vmBox, 6, 4);
    if (v) {
        v->fSizeX = sx;
        v->fSizeY = sy;
        v->fSizeZ = sz;
    }
    return v;
}

VISUAL* MakeFlat(float x, float y, float z, float w, float l, COLORREF colour, LONG textureKind, float alpha)
{
    MeshMaker maker;
    const BYTE a = static_cast<BYTE>(std::clamp(static_cast<int>(alpha * 255.0f), 0, 255));
    maker.Face(
        {{x - w / 2, y, z - l / 2}, {x - w / 2, y, z + l / 2}, {x + w / 2, y, z + l / 2}, {x + w / 2, y, z - l / 2}},
        ToD3d(colour, a), Quality(dqTexturedCubes) ? SceneTexture(TextureForKind(textureKind)) : nullptr);
    return maker.Finish(vmPlain, 1, 4);
}

VISUAL* MakeFloor(LONG width, LONG length)
{
    MeshMaker maker;
    const float W = static_cast<float>(width), L = static_cast<float>(length);
    const float xl = -W / 2, xr = W / 2, zf = -L;
    IDirect3DRMTexture* field = Quality(dqTexturedFloor) ? SceneTexture(TextureForKind(ckNone)) : nullptr;
    // The glassy top: translucent pale blue squares.
    constexpr D3DCOLOR kTop = 0xE5CCE5FF;
    for (LONG r = 0; r < length; ++r)
        for (LONG c = 0; c < width; ++c) {
            const float x0 = xl + static_cast<float>(c), x1 = x0 + 1, zn = -static_cast<float>(r), zr = zn - 1;
            maker.Face({{x0, 0, zr}, {x0, 0, zn}, {x1, 0, zn}, {x1, 0, zr}}, kTop, field);
        }
    // The rims: the field's sides, one unit deep, facing outwards.
    const D3DCOLOR rim = D3DRMCreateColorRGB(0.6f, 0.7f, 0.8f);
    for (LONG r = 0; r < length; ++r) {
        const float zn = -static_cast<float>(r), zr = zn - 1;
        maker.Face({{xl, -1, zn}, {xl, 0, zn}, {xl, 0, zr}, {xl, -1, zr}}, rim, field);
    }
    for (LONG c = 0; c < width; ++c) {
        const float x0 = xl + static_cast<float>(c), x1 = x0 + 1;
        maker.Face({{x0, -1, zf}, {x0, 0, zf}, {x1, 0, zf}, {x1, -1, zf}}, rim, field);
    }
    for (LONG r = 0; r < length; ++r) {
        const float zn = -static_cast<float>(r), zr = zn - 1;
        maker.Face({{xr, -1, zr}, {xr, 0, zr}, {xr, 0, zn}, {xr, -1, zn}}, rim, field);
    }
    // The black skirts below the rims close the view under the glass; the
    // last reaches almost to the surface across the last row.
    constexpr D3DCOLOR kSkirt = 0xFF000000;
    maker.Face({{xr, -3, zf}, {xr, -0.99f, zf}, {xr, -0.99f, 0}, {xr, -3, 0}}, kSkirt);
    maker.Face({{xl, -3, zf}, {xl, -0.99f, zf}, {xr, -0.99f, zf}, {xr, -3, zf}}, kSkirt);
    maker.Face({{xl, -3, 0}, {xl, -0.99f, 0}, {xl, -0.99f, zf}, {xl, -3, zf}}, kSkirt);
    maker.Face({{xr, -3, 1 - L}, {xr, -0.02f, 1 - L}, {xl, -0.02f, 1 - L}, {xl, -3, 1 - L}}, kSkirt);
    return maker.Finish(vmPlain, 3, 4);
}

VISUAL* MakeTriangle(float x, float y, float z, float radius, float angle)
{
    if (angle == 0) {
        int r = 0;
        while (r == 0)
            r = crt::rand();
        const float t = static_cast<float>(r) * 0.1f;
        angle = t - std::floor(t);
    }
    constexpr float kThird = 2.0943952f;
    auto corner = [&](float theta) { return D3DVECTOR{x + radius * std::cos(theta), y, z + radius * std::sin(theta)}; };
    MeshMaker maker;
    maker.Face({corner(angle), corner(angle - kThird), corner(angle - 2 * kThird)}, 0xFFFFFFFF);
    return maker.Finish(vmPlain, 1, 3);
}

VISUAL* MakeTitleCube(float x, float y, float z, LONG frontTexture)
{
    MeshMaker maker;
    maker.Box({x, y, z}, {1, 1, 1}, D3DRMCreateColorRGB(255.0f, 255.0f, 255.0f), SceneTexture(frontTexture),
              SceneTexture(12));
    VISUAL* v = maker.Finish(vmBox, 6, 4);
    if (v)
        v->fSizeX = v->fSizeY = v->fSizeZ = 1;
    return v;
}

VISUAL* MakeTargetMarker()
{
    VISUAL* v = MakeBox(0, 0, 0, 0.03f, 0.03f, 0.03f, RGB(0, 32, 64), false);
    // It stands on the floor.
    if (v)
        v->pMesh->Translate(0, 0.015f, 0);
    return v;
}

VISUAL* MakeCursorSquare(LONG textureKind)
{
    return MakeFlat(0, 0, 0, 1, 1, RGB(128, 255, 128), textureKind, 1.0f);
}

void ShowVisual(VISUAL* v, IDirect3DRMFrame2* frame)
{
    if (!v || !v->pMesh || v->pShowingIn == frame)
        return;
    if (IDirect3DRMFrame2* in = v->pShowingIn) {
        in->DeleteVisual(v->pMesh);
        // A reflection's frame exists only to show it. It should still hang
        // in pFramePrimary; if that went (the scene was rebuilt), the check
        // reports it and the frame is released all the same.
        if (v->lMode == vmOwnFrame) {
            static_cast<void>(ZASSERT(in->GetParentFrame(), "render"));
            ReleaseFrame(&in);
        }
        v->pShowingIn = nullptr;
    }
    if (frame && SUCCEEDED(frame->AddVisual(v->pMesh)))
        v->pShowingIn = frame;
    if (v->pReflection && (v->pReflection->pShowingIn != nullptr) != (v->pShowingIn != nullptr))
        SetReflection(v, true);
}

void FreeVisual(VISUAL* v)
{
    if (!v || !v->pMesh)
        return;
    FreeVisual(v->pReflection);
    v->pReflection = nullptr;
    ShowVisual(v, nullptr);
    v->pMesh->Release();
    v->pMesh = nullptr;
    delete v;
}

namespace {

// The colour a box's reflection takes: the representative colour of the
// texture on the box, else the box's colour.
COLORREF ReflectionColour(const VISUAL* v)
{
    IDirect3DRMTexture* texture = nullptr;
    v->pMesh->GetGroupTexture(v->lGroup, &texture);
    const LONG number = SceneTextureNumber(texture);
    if (texture)
        texture->Release();
    if (texture && number > 0)
        return RepresentativeColour(number);
    return FromD3d(v->pMesh->GetGroupColor(v->lGroup));
}

} // namespace

void SetReflection(VISUAL* v, bool fOn)
{
    if (!v)
        return;
    if (!fOn || !Quality(dqReflections)) {
        FreeVisual(v->pReflection);
        v->pReflection = nullptr;
        return;
    }
    if (!v->pMesh)
        return;
    if (!v->pReflection && v->lMode == vmBox) {
        v->pReflection = MakeBox(0, 0, 0, v->fSizeX, v->fSizeY, v->fSizeZ, ReflectionColour(v), true);
        if (v->pReflection)
            v->pReflection->lMode = vmOwnFrame;
    }
    VISUAL* r = v->pReflection;
    if (!r)
        return;
    if (!v->pShowingIn) {
        ShowVisual(r, nullptr);
        return;
    }
    IDirect3DRMFrame2* primary = g.Render.pFramePrimary;
    if (!ZASSERT(primary, "render"))
        return;
    if (!r->pShowingIn) {
        // The reflection keeps the reference to its own frame; hiding it
        // releases the frame.
        IDirect3DRMFrame2* own = CreateFrame(primary);
        ShowVisual(r, own);
        if (!r->pShowingIn) {
            ReleaseFrame(&own);
            return;
        }
    }
    // The mirror image in the plane y = -0.01: the box's frame with its
    // vertical components turned over.
    D3DVECTOR dir, up, p;
    v->pShowingIn->GetOrientation(primary, &dir, &up);
    v->pShowingIn->GetPosition(primary, &p);
    dir.y = -dir.y;
    up.y = -up.y;
    p.y = -p.y - 0.02f;
    // Inside the glass's edges: a box overhanging a side is nudged 0.02 in.
    const float W = static_cast<float>(g.ActivePuzzle.lWidth), L = static_cast<float>(g.ActivePuzzle.lLength);
    if (p.x - v->fSizeX / 2 - 0.02f < -W / 2)
        p.x += 0.02f;
    else if (p.x + v->fSizeX / 2 + 0.02f > W / 2)
        p.x -= 0.02f;
    else if (p.z - v->fSizeZ / 2 - 0.02f < -L)
        p.z += 0.02f;
    r->pShowingIn->SetOrientation(primary, dir.x, dir.y, dir.z, up.x, up.y, up.z);
    r->pShowingIn->SetPosition(primary, p.x, p.y, p.z);
}

void ScaleVisual(VISUAL* v, float fx, float fy, float fz)
{
    if (!v || !v->pMesh)
        return;
    for (VISUAL* m : {v, v->pReflection}) {
        if (!m || !m->pMesh)
            continue;
        m->pMesh->Scale(fx, fy, fz);
        m->fSizeX *= fx;
        m->fSizeY *= fy;
        m->fSizeZ *= fz;
    }
}

COLORREF ColourForKind(LONG kind)
{
    const LONG texture = TextureForKind(kind);
    // A loaded texture shows in its own colours; otherwise the kind's
    // representative colour stands in for it.
    if (Quality(dqTexturedCubes) && SceneTexture(texture))
        return RGB(255, 255, 255);
    const COLORREF colour = RepresentativeColour(texture);
    return colour != 0 ? colour : RGB(255, 255, 255);
}

void ApplyKindLook(VISUAL* v, LONG kind)
{
    if (!v || !v->pMesh || !Quality(dqTexturedCubes))
        return;
    v->pMesh->SetGroupMaterial(v->lGroup, g.Render.pMaterial);
    v->pMesh->SetGroupTexture(v->lGroup, SceneTexture(TextureForKind(kind)));
}

void CreateCube(LONG kind, LONG x, LONG z, VISUAL** ppVisual, IDirect3DRMFrame2** ppFrame)
{
    VISUAL* v = MakeBox(0, 0, 0, 1, 0.01f, 1, ColourForKind(kind), false);
    ApplyKindLook(v, kind);
    IDirect3DRMFrame2* f = CreateFrame(g.Render.pFramePrimary);
    SetFramePosition(f, SquareCentreX(x), 0.005f, SquareCentreZ(z));
    *ppVisual = v;
    *ppFrame = f;
}

void CreateMineVisuals(MINE* m)
{
    // Weakening of the mine lights with the square of the distance.
    constexpr float kMineGlowFalloff = 1.0f;
    RENDER& render = g.Render;
    if (!m || !ZASSERT(render.pFramePrimary, "render") || !ZASSERT(render.pd3d, "render"))
        return;
    const int cols = m->lRight - m->lLeft + 1, rows = m->lFar - m->lNear + 1;
    if (cols <= 0 || rows <= 0)
        return;
    // The glow is shared by the squares: 2 for a single mine.
    const float p = 2.0f / static_cast<float>(cols) / static_cast<float>(rows);
    int n = 0;
    for (LONG i = m->lLeft; i <= m->lRight; ++i)
        for (LONG k = m->lNear; k <= m->lFar && n < kMineSquares; ++k) {
            MINESQUARE& sq = m->aSquares[n++];
            sq.pFrameMine = CreateFrame(render.pFramePrimary);
            sq.pFrameLight = CreateFrame(sq.pFrameMine);
            SetFramePosition(sq.pFrameLight, 0, 0.2f, 0);
            if (SUCCEEDED(render.pd3d->CreateLightRGB(D3DRMLIGHT_POINT, p, 0, 0, &sq.pLight)) && sq.pFrameLight) {
                // The glow stays around the mined squares: unweakened, the
                // red would flood every face turned towards it across the
                // field and the cubes' colours could no longer be told
                // apart.
                sq.pLight->SetQuadraticAttenuation(kMineGlowFalloff);
                sq.pFrameLight->AddLight(sq.pLight);
            }
            SetFramePosition(sq.pFrameMine, SquareCentreX(i), 0.005f, SquareCentreZ(k));
            sq.pVisual = MakeFlat(0, 0, 0, 1, 1, RGB(255, 150, 150), 0, 0.9f);
            ShowVisual(sq.pVisual, sq.pFrameMine);
        }
}

void FreeMineVisuals(MINE* m)
{
    if (!m)
        return;
    for (MINESQUARE& sq : m->aSquares) {
        if (!sq.pVisual)
            continue;
        ShowVisual(sq.pVisual, nullptr);
        FreeVisual(sq.pVisual);
        if (ZASSERT(sq.pFrameLight, "render") && ZASSERT(sq.pLight, "render"))
            sq.pFrameLight->DeleteLight(sq.pLight);
        if (sq.pLight)
            sq.pLight->Release();
        ReleaseFrame(&sq.pFrameLight);
        if (ZASSERT(sq.pFrameMine, "render"))
            ReleaseFrame(&sq.pFrameMine);
        sq = MINESQUARE{};
    }
}

void CreateGravel(GRAVEL* slot, LONG column, LONG row, COLORREF colour)
{
    const float cx = SquareCentreX(column), cz = SquareCentreZ(row);
    const float x = cx + static_cast<float>(crt::rand() % 100) * 0.01f - 0.5f;
    const float z = cz + static_cast<float>(crt::rand() % 100) * 0.01f - 0.5f;
    const float y = static_cast<float>(crt::rand() % 100) * 0.0033333f + 0.6f;
    // Each piece's colour strays a little from the cube's; the components
    // wrap rather than clamp, so a near-white cube can throw dark pieces.
    const unsigned long hsl = RGBtoHSL(colour);
    const unsigned long h = ((hsl & 0xFF) + static_cast<unsigned long>(crt::rand() % 10 - 5)) & 0xFF;
    const unsigned long s = (((hsl >> 8) & 0xFF) + static_cast<unsigned long>(crt::rand() % 30 - 15)) & 0xFF;
    const unsigned long l = (((hsl >> 16) & 0xFF) + static_cast<unsigned long>(crt::rand() % 30 - 15)) & 0xFF;
    const COLORREF jittered = static_cast<COLORREF>(HSLtoRGB(h | (s << 8) | (l << 16)));
    const float size = static_cast<float>(crt::rand() % 100) * 0.0011111f + 0.04f;
    slot->pFrame = CreateFrame(g.Render.pFramePrimary);
    SetFramePosition(slot->pFrame, x, y, z);
    D3DVECTOR axis;
    axis.x = static_cast<float>(crt::rand() % 1000 - 500) * 0.002f;
    axis.y = static_cast<float>(crt::rand() % 1000 - 500) * 0.002f;
    axis.z = static_cast<float>(crt::rand() % 1000 - 500) * 0.002f;
    const float theta = static_cast<float>(crt::rand() % 100) * 0.001f;
    SetFrameSpin(slot->pFrame, axis, theta);
    slot->fVelocity = static_cast<float>(crt::rand() % 80) * 0.0014285714f + 0.1f;
    slot->pVisual = MakeBox(0, 0, 0, size, size, size, jittered, false);
    ShowVisual(slot->pVisual, slot->pFrame);
    SetReflection(slot->pVisual, true);
}

void TranslateVisual(VISUAL* v, float dx, float dy, float dz)
{
    if (!v || !v->pMesh)
        return;
    v->pMesh->Translate(dx, dy, dz);
    // The reflection's frame is the box's frame turned over, with its x axis
    // pointing the other way: the same move mirrored is (-dx, dy, dz) in it.
    if (VISUAL* r = v->pReflection; r && r->pMesh)
        r->pMesh->Translate(-dx, dy, dz);
}

void SetVisualColour(VISUAL* v, COLORREF colour)
{
    if (v && v->pMesh)
        v->pMesh->SetGroupColor(v->lGroup, ToD3d(colour));
}
