#include "render/visual.h"

#include "anim/hsl.h"
#include "game/game.h"
#include "render/scene.h"
#include "render/sceneplain.h"
#include "platform/clock/crt.h"

#include <algorithm>
#include <cmath>

namespace {

int g_frames = 0;

D3DCOLOR ToD3d(COLORREF c, BYTE alpha = 255)
{
    return D3DRGBA_BYTES(GetRValue(c), GetGValue(c), GetBValue(c), alpha);
}

VISUAL* NewVisual(LONG mode)
{
    auto* v = new VISUAL{};
    v->pMesh = new IDirect3DRMMesh;
    v->lMode = mode;
    return v;
}

void AddQuad(IDirect3DRMMesh* m, std::initializer_list<D3DVECTOR> corners)
{
    m->aVertices.insert(m->aVertices.end(), corners);
}

D3DVECTOR Rotate(D3DVECTOR v, D3DVECTOR axis, float angle)
{
    const float len = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (len == 0.0f)
        return v;
    const D3DVECTOR k{axis.x / len, axis.y / len, axis.z / len};
    const float c = std::cos(angle), s = std::sin(angle);
    const float dot = k.x * v.x + k.y * v.y + k.z * v.z;
    const D3DVECTOR cross{k.y * v.z - k.z * v.y, k.z * v.x - k.x * v.z, k.x * v.y - k.y * v.x};
    return {v.x * c + cross.x * s + k.x * dot * (1 - c), v.y * c + cross.y * s + k.y * dot * (1 - c),
            v.z * c + cross.z * s + k.z * dot * (1 - c)};
}

}  // namespace

int PlainSceneFrameCount() { return g_frames; }

VISUAL* MakeBox(float x, float y, float z, float sx, float sy, float sz, COLORREF colour, bool fBrighter)
{
    VISUAL* v = NewVisual(vmBox);
    static const float kFaces[6][4][3] = {
        {{-0.5f, -0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}},
        {{0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}},
        {{0.5f, -0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f}},
        {{-0.5f, -0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f}, {-0.5f, 0.5f, -0.5f}, {-0.5f, -0.5f, -0.5f}},
        {{-0.5f, -0.5f, 0.5f}, {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, 0.5f}},
        {{-0.5f, 0.5f, -0.5f}, {-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, -0.5f}},
    };
    for (const auto& face : kFaces)
        for (const auto& c : face)
            v->pMesh->aVertices.push_back({c[0] * sx + x, c[1] * sy + y, c[2] * sz + z});
    if (fBrighter) {
        const unsigned long hsl = RGBtoHSL(colour);
        const unsigned long s = (hsl >> 8) & 0xFF;
        const unsigned long s2 = s >= 128 ? 255 : 2 * s;
        colour = static_cast<COLORREF>(HSLtoRGB((hsl & ~0xFF00ul) | (s2 << 8)));
    }
    v->pMesh->colour = ToD3d(colour);
    v->fSizeX = sx;
    v->fSizeY = sy;
    v->fSizeZ = sz;
    return v;
}

VISUAL* MakeFlat(float x, float y, float z, float w, float l, COLORREF colour, LONG textureKind, float alpha)
{
    VISUAL* v = NewVisual(vmPlain);
    AddQuad(v->pMesh, {{x - w / 2, y, z - l / 2}, {x - w / 2, y, z + l / 2}, {x + w / 2, y, z + l / 2},
                       {x + w / 2, y, z - l / 2}});
    if (g.Settings.dwDisplayQuality & dqTexturedCubes)
        v->pMesh->lTexture = TextureForKind(textureKind);
    v->pMesh->colour = ToD3d(colour, static_cast<BYTE>(static_cast<int>(alpha * 255.0f)));
    return v;
}

VISUAL* MakeFloor(LONG width, LONG length)
{
    VISUAL* v = NewVisual(vmPlain);
    const float xl = -width / 2.0f;
    for (LONG r = 0; r < length; ++r)
        for (LONG c = 0; c < width; ++c) {
            const float x0 = xl + c, x1 = x0 + 1;
            AddQuad(v->pMesh, {{x0, 0, -r - 1.0f}, {x0, 0, static_cast<float>(-r)}, {x1, 0, static_cast<float>(-r)},
                               {x1, 0, -r - 1.0f}});
        }
    v->pMesh->colour = 0xE5CCE5FF;
    if (g.Settings.dwDisplayQuality & dqTexturedFloor)
        v->pMesh->lTexture = TextureForKind(ckNone);
    return v;
}

VISUAL* MakeTargetMarker()
{
    VISUAL* v = MakeBox(0, 0, 0, 0.03f, 0.03f, 0.03f, RGB(0, 32, 64), false);
    for (D3DVECTOR& p : v->pMesh->aVertices)
        p.y += 0.015f;
    return v;
}

void ShowVisual(VISUAL* v, IDirect3DRMFrame2* frame)
{
    if (!v || !v->pMesh || v->pShowingIn == frame)
        return;
    if (IDirect3DRMFrame2* in = v->pShowingIn) {
        std::erase(in->aVisuals, v->pMesh);
        if (v->lMode == vmOwnFrame)
            ReleaseFrame(&in);
        v->pShowingIn = nullptr;
    }
    if (frame) {
        frame->aVisuals.push_back(v->pMesh);
        v->pShowingIn = frame;
    }
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
    delete v->pMesh;
    v->pMesh = nullptr;
    delete v;
}

void SetReflection(VISUAL* v, bool fOn)
{
    if (!v)
        return;
    if (!fOn || !(g.Settings.dwDisplayQuality & dqReflections)) {
        FreeVisual(v->pReflection);
        v->pReflection = nullptr;
        return;
    }
    if (!v->pMesh)
        return;
    if (!v->pReflection && v->lMode == vmBox) {
        const D3DCOLOR c = v->pMesh->colour;
        COLORREF colour = v->pMesh->lTexture > 0
                              ? RepresentativeColour(v->pMesh->lTexture)
                              : RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        v->pReflection = MakeBox(0, 0, 0, v->fSizeX, v->fSizeY, v->fSizeZ, colour, true);
        v->pReflection->lMode = vmOwnFrame;
    }
    VISUAL* r = v->pReflection;
    if (!r)
        return;
    if (!v->pShowingIn) {
        ShowVisual(r, nullptr);
        return;
    }
    if (!r->pShowingIn)
        ShowVisual(r, CreateFrame(g.Render.pFramePrimary));
    D3DVECTOR dir, up;
    GetFrameOrientation(v->pShowingIn, &dir, &up);
    D3DVECTOR p = GetFramePosition(v->pShowingIn);
    dir.y = -dir.y;
    up.y = -up.y;
    p.y = -p.y - 0.02f;
    const float W = static_cast<float>(g.ActivePuzzle.lWidth), L = static_cast<float>(g.ActivePuzzle.lLength);
    if (p.x - v->fSizeX / 2 - 0.02f < -W / 2)
        p.x += 0.02f;
    else if (p.x + v->fSizeX / 2 + 0.02f > W / 2)
        p.x -= 0.02f;
    else if (p.z - v->fSizeZ / 2 - 0.02f < -L)
        p.z += 0.02f;
    SetFrameOrientation(r->pShowingIn, dir, up);
    SetFramePosition(r->pShowingIn, p.x, p.y, p.z);
}

void ScaleVisual(VISUAL* v, float fx, float fy, float fz)
{
    if (!v || !v->pMesh)
        return;
    for (VISUAL* m : {v, v->pReflection}) {
        if (!m || !m->pMesh)
            continue;
        for (D3DVECTOR& p : m->pMesh->aVertices) {
            p.x *= fx;
            p.y *= fy;
            p.z *= fz;
        }
    }
    v->fSizeX *= fx;
    v->fSizeY *= fy;
    v->fSizeZ *= fz;
}

COLORREF ColourForKind(LONG kind)
{
    if (g.Settings.dwDisplayQuality & dqTexturedCubes)
        return RGB(255, 255, 255);
    return RepresentativeColour(TextureForKind(kind));
}

void ApplyKindLook(VISUAL* v, LONG kind)
{
    if (!v || !v->pMesh || !(g.Settings.dwDisplayQuality & dqTexturedCubes))
        return;
    v->pMesh->fMaterial = true;
    v->pMesh->lTexture = TextureForKind(kind);
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
    const int cols = m->lRight - m->lLeft + 1, rows = m->lFar - m->lNear + 1;
    const float p = 2.0f / static_cast<float>(cols) / static_cast<float>(rows);
    int n = 0;
    for (LONG i = m->lLeft; i <= m->lRight; ++i)
        for (LONG k = m->lNear; k <= m->lFar && n < kMineSquares; ++k) {
            MINESQUARE& sq = m->aSquares[n++];
            sq.pFrameMine = CreateFrame(g.Render.pFramePrimary);
            sq.pFrameLight = CreateFrame(sq.pFrameMine);
            SetFramePosition(sq.pFrameLight, 0, 0.2f, 0);
            sq.pLight = new IDirect3DRMLight;
            sq.pLight->fPoint = true;
            sq.pLight->colour = D3DRMCreateColorRGB(p, 0, 0);
            // Intensities above 1 are kept as the float the light was given.
            sq.pFrameLight->aLights.push_back(sq.pLight);
            SetFramePosition(sq.pFrameMine, SquareCentreX(i), 0.005f, SquareCentreZ(k));
            sq.pVisual = MakeFlat(0, 0, 0, 1, 1, RGB(255, 150, 150), 0, 0.9f);
            ShowVisual(sq.pVisual, sq.pFrameMine);
        }
}

void FreeMineVisuals(MINE* m)
{
    for (MINESQUARE& sq : m->aSquares) {
        if (!sq.pVisual)
            continue;
        ShowVisual(sq.pVisual, nullptr);
        FreeVisual(sq.pVisual);
        if (sq.pFrameLight)
            std::erase(sq.pFrameLight->aLights, sq.pLight);
        delete sq.pLight;
        ReleaseFrame(&sq.pFrameLight);
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

IDirect3DRMFrame2* CreateFrame(IDirect3DRMFrame2* parent)
{
    auto* f = new IDirect3DRMFrame2;
    f->pParent = parent;
    if (parent)
        parent->aChildren.push_back(f);
    ++g_frames;
    return f;
}

void ReleaseFrame(IDirect3DRMFrame2** ppFrame)
{
    IDirect3DRMFrame2* f = *ppFrame;
    if (!f)
        return;
    *ppFrame = nullptr;
    if (f->pParent)
        std::erase(f->pParent->aChildren, f);
    // Children go with their parent.
    for (IDirect3DRMFrame2* c : std::vector<IDirect3DRMFrame2*>(f->aChildren)) {
        c->pParent = nullptr;
        ReleaseFrame(&c);
    }
    --g_frames;
    delete f;
}

void SetFramePosition(IDirect3DRMFrame2* f, float x, float y, float z)
{
    if (f)
        f->position = {x, y, z};
}

D3DVECTOR GetFramePosition(IDirect3DRMFrame2* f) { return f ? f->position : D3DVECTOR{0, 0, 0}; }

void SetFrameRotated(IDirect3DRMFrame2* f, D3DVECTOR axis, float angle)
{
    if (!f)
        return;
    f->dir = Rotate({0, 0, 1}, axis, angle);
    f->up = Rotate({0, 1, 0}, axis, angle);
}

void SetFrameOrientation(IDirect3DRMFrame2* f, D3DVECTOR dir, D3DVECTOR up)
{
    if (!f)
        return;
    f->dir = dir;
    f->up = up;
}

void GetFrameOrientation(IDirect3DRMFrame2* f, D3DVECTOR* dir, D3DVECTOR* up)
{
    *dir = f ? f->dir : D3DVECTOR{0, 0, 1};
    *up = f ? f->up : D3DVECTOR{0, 1, 0};
}

void SetFrameSpin(IDirect3DRMFrame2* f, D3DVECTOR axis, float theta)
{
    if (!f)
        return;
    f->spinAxis = axis;
    f->fSpin = theta;
}

void TranslateVisual(VISUAL* v, float dx, float dy, float dz)
{
    if (!v || !v->pMesh)
        return;
    for (VISUAL* m : {v, v->pReflection})
        if (m && m->pMesh)
            for (D3DVECTOR& p : m->pMesh->aVertices) {
                p.x += dx;
                p.y += dy;
                p.z += dz;
            }
}

void SetVisualColour(VISUAL* v, COLORREF colour)
{
    if (v && v->pMesh)
        v->pMesh->colour = ToD3d(colour);
}
