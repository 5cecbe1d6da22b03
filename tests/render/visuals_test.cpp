#include "render_support.h"

#include "platform/clock/crt.h"
#include "platform/d3drm/rmmath.h"

#include <algorithm>
#include <cmath>

namespace {

int Count(const std::vector<IDirect3DRMVisual*>& visuals, const VISUAL* v)
{
    return static_cast<int>(std::count(visuals.begin(), visuals.end(), v->pMesh));
}

// Every point of a has a point of b within tol.
void ExpectSamePoints(const std::vector<D3DVECTOR>& a, const std::vector<D3DVECTOR>& b, float tol)
{
    ASSERT_EQ(a.size(), b.size());
    for (const D3DVECTOR& p : a) {
        const bool found = std::any_of(b.begin(), b.end(), [&](const D3DVECTOR& q) {
            return std::fabs(p.x - q.x) < tol && std::fabs(p.y - q.y) < tol && std::fabs(p.z - q.z) < tol;
        });
        EXPECT_TRUE(found) << "(" << p.x << ", " << p.y << ", " << p.z << ")";
    }
}

std::vector<D3DVECTOR> Mirrored(std::vector<D3DVECTOR> points)
{
    for (D3DVECTOR& p : points)
        p.y = -p.y - 0.02f;
    return points;
}

} // namespace

TEST_F(RenderScene, ShowingMovesTheMeshBetweenFramesAndFreeingReleasesIt)
{
    IDirect3DRMFrame2* a = FrameAt(0, 0, -1);
    IDirect3DRMFrame2* b = FrameAt(1, 0, -1);
    VISUAL* v = MakeFlat(0, 0, 0, 1, 1, RGB(1, 2, 3), 0, 1);
    IDirect3DRMMesh* mesh = v->pMesh;
    mesh->AddRef();
    ShowVisual(v, a);
    ShowVisual(v, a); // already there: nothing happens
    EXPECT_EQ(Count(a->GetVisuals(), v), 1);
    ShowVisual(v, b);
    EXPECT_EQ(Count(a->GetVisuals(), v), 0);
    EXPECT_EQ(Count(b->GetVisuals(), v), 1);
    EXPECT_EQ(v->pShowingIn, b);
    ShowVisual(v, nullptr);
    EXPECT_TRUE(b->GetVisuals().empty());
    EXPECT_EQ(v->pShowingIn, nullptr);
    ShowVisual(v, a);
    FreeVisual(v);
    EXPECT_TRUE(a->GetVisuals().empty());
    EXPECT_EQ(mesh->Release(), 0u);
    // Nothing to free: ignored.
    FreeVisual(nullptr);
    ReleaseFrames();
}

TEST_F(RenderScene, ReflectionIsTheBoxMirroredBelowTheGlass)
{
    IDirect3DRMFrame2* f = FrameAt(0.5f, 0.5f, -3);
    f->AddRotation(D3DRMCOMBINE_BEFORE, 0.3f, 1, 0.2f, 0.7f);
    VISUAL* v = MakeBox(0, 0, 0, 0.4f, 1, 0.6f, RGB(100, 120, 140), false);
    ShowVisual(v, f);
    SetReflection(v, true);
    ASSERT_NE(v->pReflection, nullptr);
    VISUAL* r = v->pReflection;
    EXPECT_EQ(r->lMode, vmOwnFrame);
    ASSERT_NE(r->pShowingIn, nullptr);
    EXPECT_NE(r->pShowingIn, f);
    EXPECT_EQ(r->pShowingIn->GetParentFrame(), g.Render.pFramePrimary);
    EXPECT_VEC_NEAR(GetFramePosition(r->pShowingIn), 0.5f, -0.52f, -3, 1e-5f);
    // Vertex for vertex the mirror image in y = -0.01, even when turned.
    ExpectSamePoints(Mirrored(WorldVertices(v)), WorldVertices(r), 1e-4f);
    // A box standing on the glass is reflected entirely below it.
    SetFrameRotated(f, {0, 1, 0}, 0);
    SetReflection(v, true);
    for (const D3DVECTOR& p : WorldVertices(r))
        EXPECT_LE(p.y, -0.02f + 1e-5f);
    // In the brighter colour of the box.
    const D3DCOLOR c = r->pMesh->GetGroupColor(r->lGroup);
    EXPECT_NE(c, v->pMesh->GetGroupColor(v->lGroup));
    FreeVisual(v);
    ReleaseFrames();
}

TEST_F(RenderScene, ReflectionFollowsTheBoxAndItsMeshMoves)
{
    IDirect3DRMFrame2* f = FrameAt(-1, 0.3f, -4);
    f->AddRotation(D3DRMCOMBINE_BEFORE, 1, 0, 0.5f, 0.4f);
    VISUAL* v = MakeBox(0, 0, 0, 0.2f, 0.3f, 0.2f, RGB(50, 60, 70), false);
    ShowVisual(v, f);
    SetReflection(v, true);
    TranslateVisual(v, 0.1f, 0.05f, -0.2f);
    ExpectSamePoints(Mirrored(WorldVertices(v)), WorldVertices(v->pReflection), 1e-4f);
    ScaleVisual(v, 2, 0.5f, 1);
    EXPECT_FLOAT_EQ(v->fSizeX, 0.4f);
    EXPECT_FLOAT_EQ(v->fSizeY, 0.15f);
    ExpectSamePoints(Mirrored(WorldVertices(v)), WorldVertices(v->pReflection), 1e-4f);
    // The frame moves; the next call places the reflection again.
    SetFramePosition(f, 1, 0.6f, -2);
    SetReflection(v, true);
    ExpectSamePoints(Mirrored(WorldVertices(v)), WorldVertices(v->pReflection), 1e-4f);
    FreeVisual(v);
    ReleaseFrames();
}

TEST_F(RenderScene, HidingTheBoxReleasesTheReflectionsOwnFrame)
{
    IDirect3DRMFrame2* f = FrameAt(0, 0.5f, -2);
    VISUAL* v = MakeBox(0, 0, 0, 1, 1, 1, RGB(9, 9, 9), false);
    ShowVisual(v, f);
    SetReflection(v, true);
    IDirect3DRMFrame2* own = v->pReflection->pShowingIn;
    own->AddRef();
    const size_t children = g.Render.pFramePrimary->GetChildren().size();
    ShowVisual(v, nullptr);
    EXPECT_NE(v->pReflection, nullptr); // kept, but hidden
    EXPECT_EQ(v->pReflection->pShowingIn, nullptr);
    EXPECT_EQ(g.Render.pFramePrimary->GetChildren().size(), children - 1);
    EXPECT_EQ(own->Release(), 0u);
    // Shown again, the reflection comes back in a frame of its own.
    ShowVisual(v, f);
    ASSERT_NE(v->pReflection->pShowingIn, nullptr);
    EXPECT_VEC_NEAR(GetFramePosition(v->pReflection->pShowingIn), 0, -0.52f, -2, 1e-5f);
    FreeVisual(v);
    EXPECT_EQ(g.Render.pFramePrimary->GetChildren().size(), children - 1);
    ReleaseFrames();
}

TEST_F(RenderScene, ReflectionsNeedTheirBitAndABox)
{
    IDirect3DRMFrame2* f = FrameAt(0, 0.5f, -2);
    VISUAL* v = MakeBox(0, 0, 0, 1, 1, 1, RGB(9, 9, 9), false);
    ShowVisual(v, f);
    SetReflection(v, true);
    ASSERT_NE(v->pReflection, nullptr);
    // Reflections switched off: the next call removes it.
    g.Settings.dwDisplayQuality = dqTexturedCubes | dqTexturedFloor;
    SetReflection(v, true);
    EXPECT_EQ(v->pReflection, nullptr);
    EXPECT_EQ(g.Render.pFramePrimary->GetChildren().size(), 1u);
    // Flat pieces never get one; off the field none is made.
    g.Settings.dwDisplayQuality = 7;
    VISUAL* flat = MakeFlat(0, 0, 0, 1, 1, 0, 0, 1);
    ShowVisual(flat, f);
    SetReflection(flat, true);
    EXPECT_EQ(flat->pReflection, nullptr);
    SetReflection(v, false);
    EXPECT_EQ(v->pReflection, nullptr);
    FreeVisual(flat);
    FreeVisual(v);
    ReleaseFrames();
}

TEST_F(RenderScene, ReflectionOfATexturedBoxTakesTheTexturesColour)
{
    LoadTextures();
    IDirect3DRMFrame2* f = FrameAt(0, 0.5f, -2);
    VISUAL* v = MakeBox(0, 0, 0, 1, 1, 1, ColourForKind(ckGreen), false);
    ApplyKindLook(v, ckGreen);
    ShowVisual(v, f);
    SetReflection(v, true);
    VISUAL* expected = MakeBox(0, 0, 0, 1, 1, 1, RepresentativeColour(5), true);
    EXPECT_EQ(v->pReflection->pMesh->GetGroupColor(0), expected->pMesh->GetGroupColor(0));
    EXPECT_EQ(v->pReflection->pMesh->GetGroupData(0)->pTexture, nullptr);
    FreeVisual(expected);
    FreeVisual(v);
    ReleaseFrames();
}

TEST_F(RenderScene, ReflectionsOfBoxesOverAnEdgeAreNudgedIn)
{
    // A 5 x 10 field: x from -2.5 to 2.5, z from 0 to -10.
    struct CASE {
        D3DVECTOR at;
        D3DVECTOR expected;
    } cases[] = {
        {{-2.4f, 0.5f, -3}, {-2.38f, -0.52f, -3}},       // over the left edge
        {{2.4f, 0.5f, -3}, {2.38f, -0.52f, -3}},         // over the right edge
        {{0, 0.5f, -9.9f}, {0, -0.52f, -9.88f}},         // over the far end
        {{-2.4f, 0.5f, -9.9f}, {-2.38f, -0.52f, -9.9f}}, // both: only x
        {{0, 0.5f, -5}, {0, -0.52f, -5}},                // well inside
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.at.x);
        IDirect3DRMFrame2* f = FrameAt(c.at.x, c.at.y, c.at.z);
        VISUAL* v = MakeBox(0, 0, 0, 0.2f, 0.2f, 0.2f, RGB(9, 9, 9), false);
        ShowVisual(v, f);
        SetReflection(v, true);
        EXPECT_VEC_NEAR(GetFramePosition(v->pReflection->pShowingIn), c.expected.x, c.expected.y, c.expected.z, 1e-5f);
        FreeVisual(v);
    }
    ReleaseFrames();
}

// --- mines and gravel ------------------------------------------------------------------

TEST_F(RenderScene, MineFieldGlowsRedWithTheLightSharedOutBetweenItsSquares)
{
    g.Settings.dwDisplayQuality = 0;
    MINE m{};
    m.lLeft = 1;
    m.lRight = 3;
    m.lNear = 2;
    m.lFar = 4;
    CreateMineVisuals(&m);
    int n = 0;
    for (LONG i = 1; i <= 3; ++i)
        for (LONG k = 2; k <= 4; ++k) {
            SCOPED_TRACE(n);
            const MINESQUARE& sq = m.aSquares[n++];
            ASSERT_NE(sq.pVisual, nullptr);
            EXPECT_EQ(sq.pFrameMine->GetParentFrame(), g.Render.pFramePrimary);
            EXPECT_VEC_NEAR(GetFramePosition(sq.pFrameMine), SquareCentreX(i), 0.005f, SquareCentreZ(k), 1e-6f);
            EXPECT_EQ(sq.pFrameLight->GetParentFrame(), sq.pFrameMine);
            D3DVECTOR light;
            sq.pFrameLight->GetPosition(g.Render.pFramePrimary, &light);
            EXPECT_VEC_NEAR(light, SquareCentreX(i), 0.205f, SquareCentreZ(k), 1e-6f);
            ASSERT_EQ(sq.pFrameLight->GetLights().size(), 1u);
            EXPECT_EQ(sq.pFrameLight->GetLights()[0], sq.pLight);
            EXPECT_EQ(sq.pLight->GetType(), D3DRMLIGHT_POINT);
            EXPECT_NEAR(sq.pLight->GetRed(), 0.2222222f, 1e-6f);
            EXPECT_EQ(sq.pLight->GetGreen(), 0.0f);
            EXPECT_EQ(sq.pLight->GetBlue(), 0.0f);
            EXPECT_EQ(sq.pVisual->pShowingIn, sq.pFrameMine);
            EXPECT_EQ(sq.pVisual->pMesh->GetGroupColor(0), D3DRGBA_BYTES(255, 150, 150, 229));
        }
    EXPECT_EQ(g.Render.pFramePrimary->GetChildren().size(), 9u);
    IDirect3DRMLight* light = m.aSquares[4].pLight;
    light->AddRef();
    FreeMineVisuals(&m);
    EXPECT_TRUE(g.Render.pFramePrimary->GetChildren().empty());
    for (const MINESQUARE& sq : m.aSquares) {
        EXPECT_EQ(sq.pVisual, nullptr);
        EXPECT_EQ(sq.pLight, nullptr);
        EXPECT_EQ(sq.pFrameMine, nullptr);
    }
    EXPECT_EQ(light->Release(), 0u);
}

TEST_F(RenderScene, SingleMineShinesAtTwiceFullRedOnTheFloorTexture)
{
    LoadTextures();
    MINE m{};
    m.lLeft = m.lRight = 2;
    m.lNear = m.lFar = 0;
    CreateMineVisuals(&m);
    EXPECT_FLOAT_EQ(m.aSquares[0].pLight->GetRed(), 2.0f);
    EXPECT_EQ(m.aSquares[1].pVisual, nullptr);
    EXPECT_EQ(m.aSquares[0].pVisual->pMesh->GetGroupData(0)->pTexture, SceneTexture(6));
    FreeMineVisuals(&m);
    FreeMineVisuals(&m); // nothing left: nothing happens
}

TEST_F(RenderScene, GravelTumblesInItsOwnFrameWithAReflection)
{
    crt::srand(3);
    GRAVEL piece{};
    CreateGravel(&piece, 2, 4, RepresentativeColour(1));
    ASSERT_NE(piece.pFrame, nullptr);
    ASSERT_NE(piece.pVisual, nullptr);
    EXPECT_EQ(piece.pFrame->GetParentFrame(), g.Render.pFramePrimary);
    const D3DVECTOR p = GetFramePosition(piece.pFrame);
    EXPECT_LE(std::fabs(p.x - SquareCentreX(2)), 0.5f);
    EXPECT_LE(std::fabs(p.z - SquareCentreZ(4)), 0.5f);
    EXPECT_GE(p.y, 0.6f);
    EXPECT_LE(p.y, 0.93f);
    EXPECT_GE(piece.pVisual->fSizeX, 0.04f);
    EXPECT_LE(piece.pVisual->fSizeX, 0.15f);
    EXPECT_GE(piece.fVelocity, 0.1f);
    ASSERT_NE(piece.pVisual->pReflection, nullptr);
    // The scene's motion turns the piece in place.
    D3DVECTOR axis;
    float theta = 0;
    piece.pFrame->GetRotation(nullptr, &axis, &theta);
    D3DVECTOR dir0, up0, dir1, up1;
    GetFrameOrientation(piece.pFrame, &dir0, &up0);
    root->Move(10);
    GetFrameOrientation(piece.pFrame, &dir1, &up1);
    EXPECT_GT(theta, 0);
    EXPECT_LT(rmmath::Dot(dir0, dir1) + rmmath::Dot(up0, up1), 1.999f);
    EXPECT_VEC_NEAR(GetFramePosition(piece.pFrame), p.x, p.y, p.z, 1e-5f);
    FreeVisual(piece.pVisual);
    ReleaseFrame(&piece.pFrame);
    EXPECT_TRUE(g.Render.pFramePrimary->GetChildren().empty());

    // Without reflections none is built.
    g.Settings.dwDisplayQuality = 3;
    CreateGravel(&piece, 0, 0, RGB(250, 250, 250));
    EXPECT_EQ(piece.pVisual->pReflection, nullptr);
    FreeVisual(piece.pVisual);
    ReleaseFrame(&piece.pFrame);
}

// --- frames ----------------------------------------------------------------------------

TEST_F(RenderScene, FramesTurnInPlaceAndReleaseCleanly)
{
    IDirect3DRMFrame2* f = CreateFrame(g.Render.pFramePrimary);
    SetFramePosition(f, 1, 2, 3);
    SetFrameRotated(f, {1, 0, 0}, 3.14159265f / 2);
    EXPECT_VEC_NEAR(GetFramePosition(f), 1, 2, 3, 1e-6f);
    D3DVECTOR dir, up;
    GetFrameOrientation(f, &dir, &up);
    EXPECT_VEC_NEAR(up, 0, 0, 1, 1e-6f); // y turned towards z
    EXPECT_VEC_NEAR(dir, 0, -1, 0, 1e-6f);
    SetFrameRotated(f, {0, 1, 0}, 0);
    GetFrameOrientation(f, &dir, &up);
    EXPECT_VEC_NEAR(dir, 0, 0, 1, 1e-6f);
    // A child is placed relative to its parent.
    IDirect3DRMFrame2* child = CreateFrame(f);
    SetFramePosition(child, 0, 1, 0);
    D3DVECTOR p;
    child->GetPosition(g.Render.pFramePrimary, &p);
    EXPECT_VEC_NEAR(p, 1, 3, 3, 1e-6f);
    IDirect3DRMFrame2* held = f;
    held->AddRef();
    ReleaseFrame(&f);
    EXPECT_EQ(f, nullptr);
    EXPECT_TRUE(g.Render.pFramePrimary->GetChildren().empty());
    EXPECT_EQ(held->GetRefCount(), 1u); // only the reference taken here
    ReleaseFrame(&child);
    EXPECT_TRUE(held->GetChildren().empty());
    EXPECT_EQ(held->Release(), 0u);
}

TEST_F(RenderScene, AfterARebuildAnOrphanedReflectionFrameIsReportedAndStillReleased)
{
    IDirect3DRMFrame2* f = FrameAt(0, 0.5f, -2);
    VISUAL* v = MakeBox(0, 0, 0, 1, 1, 1, RGB(9, 9, 9), false);
    ShowVisual(v, f);
    SetReflection(v, true);
    IDirect3DRMFrame2* own = v->pReflection->pShowingIn;
    own->AddRef();
    // The device was re-created: the skeleton is built anew, the old
    // primary frame and what hung in it are gone from the scene.
    const bool lights = g.Render.pLightCamera != nullptr;
    ASSERT_TRUE(InitSceneFrames(rm, root, camera, lights));
    EXPECT_NE(g.Render.pLightCamera, nullptr);
    EXPECT_EQ(own->GetParentFrame(), nullptr);
    FreeVisual(v);
    EXPECT_EQ(FailedChecks(), (std::vector<std::string>{"!!in->GetParentFrame()"}));
    FailedChecks().clear();
    EXPECT_EQ(own->Release(), 0u);
    ReleaseFrames();
}
