#include "render_support.h"

#include "anim/hsl.h"
#include "platform/clock/crt.h"
#include "platform/d3drm/rmmath.h"

#include <algorithm>
#include <cmath>

namespace {

using GROUP = IDirect3DRMMesh::GROUP;

const GROUP* GroupOfColour(const VISUAL* v, D3DCOLOR colour)
{
    for (unsigned i = 0; i < v->pMesh->GetGroupCount(); ++i) {
        const GROUP* group = v->pMesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(i));
        if (!group->aVertices.empty() && group->color == colour)
            return group;
    }
    return nullptr;
}

D3DRMBOX BoxOf(const GROUP& group)
{
    D3DRMBOX box{{1e9f, 1e9f, 1e9f}, {-1e9f, -1e9f, -1e9f}};
    for (const D3DRMVERTEX& v : group.aVertices) {
        box.min = {std::min(box.min.x, v.position.x), std::min(box.min.y, v.position.y),
                   std::min(box.min.z, v.position.z)};
        box.max = {std::max(box.max.x, v.position.x), std::max(box.max.y, v.position.y),
                   std::max(box.max.z, v.position.z)};
    }
    return box;
}

// The normal of face f of a group, and the centre of its corners.
D3DVECTOR FaceNormal(const GROUP& group, unsigned f)
{
    return group.aVertices[group.aFaceData[f * group.nVertexPerFace]].normal;
}
D3DVECTOR FaceCentre(const GROUP& group, unsigned f)
{
    D3DVECTOR c{0, 0, 0};
    for (unsigned i = 0; i < group.nVertexPerFace; ++i)
        c = rmmath::Add(c, group.aVertices[group.aFaceData[f * group.nVertexPerFace + i]].position);
    return rmmath::Mul(c, 1.0f / static_cast<float>(group.nVertexPerFace));
}

} // namespace

TEST_F(RenderScene, BoxHasSixOutwardFacesAndAWholeMeshGroup)
{
    VISUAL* v = MakeBox(1, 2, 3, 0.5f, 0.2f, 0.4f, RGB(10, 20, 30), false);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->lMode, vmBox);
    EXPECT_FLOAT_EQ(v->fSizeY, 0.2f);
    const GROUP* faces = v->pMesh->GetGroupData(0);
    ASSERT_NE(faces, nullptr);
    EXPECT_EQ(faces->nFaces, 6u);
    EXPECT_EQ(faces->color, D3DRGBA_BYTES(10, 20, 30, 255));
    const D3DRMBOX box = BoxOf(*faces);
    EXPECT_VEC_NEAR(box.min, 0.75f, 1.9f, 2.8f, 1e-6f);
    EXPECT_VEC_NEAR(box.max, 1.25f, 2.1f, 3.2f, 1e-6f);
    // Every face's front points away from the centre.
    for (unsigned f = 0; f < 6; ++f) {
        const D3DVECTOR out = rmmath::Sub(FaceCentre(*faces, f), D3DVECTOR{1, 2, 3});
        EXPECT_GT(rmmath::Dot(FaceNormal(*faces, f), out), 0) << "face " << f;
    }
    // Quads carry the upright texture coordinates.
    EXPECT_FLOAT_EQ(faces->aVertices[0].tv, 1);
    EXPECT_FLOAT_EQ(faces->aVertices[2].tu, 1);
    EXPECT_FLOAT_EQ(faces->aVertices[2].tv, 0);
    // The whole-mesh group: no vertices, six faces of four, indices in order.
    unsigned vertices = 9, count = 0, perFace = 0;
    DWORD size = 24;
    unsigned data[24];
    ASSERT_EQ(v->pMesh->GetGroup(v->lGroup, &vertices, &count, &perFace, &size, data), S_OK);
    EXPECT_EQ(vertices, 0u);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(perFace, 4u);
    for (unsigned i = 0; i < 24; ++i)
        EXPECT_EQ(data[i], i);
    // Colour changes addressed to it reach every face.
    SetVisualColour(v, RGB(1, 2, 3));
    EXPECT_EQ(v->pMesh->GetGroupColor(0), D3DRGBA_BYTES(1, 2, 3, 255));
    FreeVisual(v);
}

TEST_F(RenderScene, BrighterBoxDoublesTheSaturation)
{
    const COLORREF colour = RGB(150, 120, 110);
    VISUAL* plain = MakeBox(0, 0, 0, 1, 1, 1, colour, false);
    VISUAL* bright = MakeBox(0, 0, 0, 1, 1, 1, colour, true);
    const D3DCOLOR c = bright->pMesh->GetGroupColor(bright->lGroup);
    const unsigned long before = RGBtoHSL(colour);
    const unsigned long after = RGBtoHSL(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
    const long s = static_cast<long>((before >> 8) & 0xFF);
    ASSERT_LT(s, 128);
    EXPECT_NEAR(static_cast<long>((after >> 8) & 0xFF), 2 * s, 3);
    EXPECT_NEAR(static_cast<long>(after & 0xFF), static_cast<long>(before & 0xFF), 3);
    EXPECT_NE(c, plain->pMesh->GetGroupColor(plain->lGroup));
    FreeVisual(plain);
    FreeVisual(bright);
}

TEST_F(RenderScene, FlatIsOneTranslucentQuadTexturedUnderTheCubeBit)
{
    LoadTextures();
    g.Settings.dwDisplayQuality = dqTexturedCubes;
    VISUAL* v = MakeFlat(1, 0.1f, -2, 2, 0.5f, RGB(255, 150, 150), ckGreen, 0.9f);
    EXPECT_EQ(v->lMode, vmPlain);
    const GROUP* quad = v->pMesh->GetGroupData(0);
    ASSERT_EQ(quad->nFaces, 1u);
    EXPECT_EQ(quad->color, D3DRGBA_BYTES(255, 150, 150, 229));
    EXPECT_EQ(quad->pTexture, SceneTexture(5));
    EXPECT_VEC_NEAR(BoxOf(*quad).min, 0, 0.1f, -2.25f, 1e-6f);
    EXPECT_VEC_NEAR(BoxOf(*quad).max, 2, 0.1f, -1.75f, 1e-6f);
    EXPECT_VEC_NEAR(quad->aVertices[0].normal, 0, 1, 0, 1e-6f);
    FreeVisual(v);

    g.Settings.dwDisplayQuality = dqTexturedFloor | dqReflections;
    v = MakeFlat(0, 0, 0, 1, 1, RGB(255, 150, 150), ckGreen, 1.0f);
    EXPECT_EQ(v->pMesh->GetGroupData(0)->pTexture, nullptr);
    EXPECT_EQ(v->pMesh->GetGroupColor(0) >> 24, 255u);
    FreeVisual(v);
}

TEST_F(RenderScene, CursorSquareIsALightGreenUnitSquareOfTheCellsKind)
{
    LoadTextures();
    VISUAL* v = MakeCursorSquare(ckBlack);
    const GROUP* quad = v->pMesh->GetGroupData(0);
    EXPECT_EQ(quad->color, D3DRGBA_BYTES(128, 255, 128, 255));
    EXPECT_EQ(quad->pTexture, SceneTexture(3));
    EXPECT_VEC_NEAR(BoxOf(*quad).min, -0.5f, 0, -0.5f, 1e-6f);
    FreeVisual(v);
}

TEST_F(RenderScene, TargetMarkerStandsOnTheFloor)
{
    VISUAL* v = MakeTargetMarker();
    const D3DRMBOX box = BoxOf(*v->pMesh->GetGroupData(0));
    EXPECT_VEC_NEAR(box.min, -0.015f, 0, -0.015f, 1e-6f);
    EXPECT_VEC_NEAR(box.max, 0.015f, 0.03f, 0.015f, 1e-6f);
    EXPECT_EQ(v->pMesh->GetGroupColor(v->lGroup), D3DRGBA_BYTES(0, 32, 64, 255));
    FreeVisual(v);
}

TEST_F(RenderScene, TriangleIsEquilateralAtItsHeightWithAChanceAngle)
{
    VISUAL* v = MakeTriangle(1, 5, -2, 0.05f, 0.3f);
    EXPECT_EQ(v->lMode, vmPlain);
    const GROUP* face = v->pMesh->GetGroupData(0);
    ASSERT_EQ(face->aVertices.size(), 3u);
    EXPECT_VEC_NEAR(face->aVertices[0].position, 1 + 0.05f * std::cos(0.3f), 5, -2 + 0.05f * std::sin(0.3f), 1e-6f);
    for (int i = 0; i < 3; ++i) {
        const D3DVECTOR a = face->aVertices[static_cast<size_t>(i)].position;
        const D3DVECTOR b = face->aVertices[static_cast<size_t>((i + 1) % 3)].position;
        EXPECT_NEAR(rmmath::Length(rmmath::Sub(a, b)), 0.05f * std::sqrt(3.0f), 1e-6f);
        EXPECT_FLOAT_EQ(a.y, 5);
    }
    unsigned count = 0, perFace = 0;
    v->pMesh->GetGroup(v->lGroup, nullptr, &count, &perFace, nullptr, nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(perFace, 3u);
    FreeVisual(v);

    // Angle 0: the first non-zero draw, a tenth of it, fractional part.
    crt::srand(7);
    int r = 0;
    while (r == 0)
        r = crt::rand();
    const float t = static_cast<float>(r) * 0.1f;
    const float angle = t - std::floor(t);
    crt::srand(7);
    v = MakeTriangle(0, 0, 0, 1, 0);
    EXPECT_NEAR(v->pMesh->GetGroupData(0)->aVertices[0].position.x, std::cos(angle), 1e-5f);
    EXPECT_NEAR(v->pMesh->GetGroupData(0)->aVertices[0].position.z, std::sin(angle), 1e-5f);
    FreeVisual(v);
}

TEST_F(RenderScene, TitleCubeShowsItsFrontTextureTowardsTheCamera)
{
    LoadTextures();
    VISUAL* v = MakeTitleCube(0, 1, 0, 9);
    EXPECT_EQ(v->lMode, vmBox);
    EXPECT_FLOAT_EQ(v->fSizeZ, 1);
    int front = 0, plain = 0;
    for (unsigned i = 0; i < v->pMesh->GetGroupCount(); ++i) {
        const GROUP* group = v->pMesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(i));
        if (group->aVertices.empty())
            continue;
        EXPECT_EQ(group->color, 0xFFFFFFFFu);
        for (unsigned f = 0; f < group->nFaces; ++f) {
            if (group->pTexture == SceneTexture(9)) {
                ++front;
                EXPECT_VEC_NEAR(FaceNormal(*group, f), 0, 0, -1, 1e-6f);
                EXPECT_NEAR(FaceCentre(*group, f).y, 1, 1e-6f);
            } else {
                EXPECT_EQ(group->pTexture, SceneTexture(12));
                ++plain;
            }
        }
    }
    EXPECT_EQ(front, 1);
    EXPECT_EQ(plain, 5);
    FreeVisual(v);
}

// --- the floor -------------------------------------------------------------------

TEST_F(RenderScene, FloorTopIsAGridOfGlassySquaresFacingUp)
{
    VISUAL* v = MakeFloor(4, 7);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->lMode, vmPlain);
    const GROUP* top = GroupOfColour(v, 0xE5CCE5FF);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->nFaces, 28u);
    const D3DRMBOX box = BoxOf(*top);
    EXPECT_VEC_NEAR(box.min, -2, 0, -7, 0);
    EXPECT_VEC_NEAR(box.max, 2, 0, 0, 0);
    // Each square covers exactly one cell: its centre is a cell centre.
    std::vector<std::pair<int, int>> cells;
    for (unsigned f = 0; f < top->nFaces; ++f) {
        const D3DVECTOR c = FaceCentre(*top, f);
        EXPECT_VEC_NEAR(FaceNormal(*top, f), 0, 1, 0, 1e-6f);
        cells.emplace_back(static_cast<int>(std::floor(c.x + 2)), static_cast<int>(std::floor(-c.z)));
        EXPECT_NEAR(c.x + 2 - std::floor(c.x + 2), 0.5f, 1e-6f);
    }
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(std::unique(cells.begin(), cells.end()), cells.end());
    EXPECT_EQ(cells.front(), std::make_pair(0, 0));
    EXPECT_EQ(cells.back(), std::make_pair(3, 6));
    FreeVisual(v);
}

TEST_F(RenderScene, FloorRimsCloseTheSidesAndTheFarEndFacingOutwards)
{
    VISUAL* v = MakeFloor(4, 7);
    const GROUP* rims = GroupOfColour(v, D3DRMCreateColorRGB(0.6f, 0.7f, 0.8f));
    ASSERT_NE(rims, nullptr);
    EXPECT_EQ(rims->nFaces, 7u + 4u + 7u);
    int left = 0, right = 0, far = 0;
    for (unsigned f = 0; f < rims->nFaces; ++f) {
        const D3DVECTOR n = FaceNormal(*rims, f), c = FaceCentre(*rims, f);
        EXPECT_NEAR(c.y, -0.5f, 1e-6f); // one unit deep, up to the surface
        if (n.x < -0.99f) {
            ++left;
            EXPECT_FLOAT_EQ(c.x, -2);
        } else if (n.x > 0.99f) {
            ++right;
            EXPECT_FLOAT_EQ(c.x, 2);
        } else if (n.z < -0.99f) {
            ++far;
            EXPECT_FLOAT_EQ(c.z, -7);
        } else {
            ADD_FAILURE() << "rim face " << f << " faces inwards";
        }
    }
    EXPECT_EQ(left, 7);
    EXPECT_EQ(right, 7);
    EXPECT_EQ(far, 4);
    FreeVisual(v);
}

TEST_F(RenderScene, FloorSkirtsHangBlackBelowTheRims)
{
    VISUAL* v = MakeFloor(4, 7);
    const GROUP* skirts = GroupOfColour(v, 0xFF000000);
    ASSERT_NE(skirts, nullptr);
    ASSERT_EQ(skirts->nFaces, 4u);
    EXPECT_EQ(skirts->pTexture, nullptr);
    EXPECT_FLOAT_EQ(BoxOf(*skirts).min.y, -3);
    // Three below the rims, just overlapping them; one across the field at
    // the near edge of the last row, reaching almost to the glass.
    int nearSurface = 0;
    for (unsigned f = 0; f < 4; ++f) {
        float top = -10;
        for (unsigned i = 0; i < 4; ++i)
            top = std::max(top, skirts->aVertices[skirts->aFaceData[f * 4 + i]].position.y);
        if (top > -0.5f) {
            ++nearSurface;
            EXPECT_FLOAT_EQ(top, -0.02f);
            EXPECT_FLOAT_EQ(FaceCentre(*skirts, f).z, -6);
            EXPECT_FLOAT_EQ(FaceCentre(*skirts, f).x, 0);
        } else {
            EXPECT_FLOAT_EQ(top, -0.99f);
        }
    }
    EXPECT_EQ(nearSurface, 1);
    FreeVisual(v);
}

TEST_F(RenderScene, FloorTexturesFollowTheFloorBitOnly)
{
    LoadTextures();
    g.Settings.dwDisplayQuality = dqTexturedFloor;
    VISUAL* v = MakeFloor(5, 9);
    EXPECT_EQ(GroupOfColour(v, 0xE5CCE5FF)->pTexture, SceneTexture(6));
    EXPECT_EQ(GroupOfColour(v, D3DRMCreateColorRGB(0.6f, 0.7f, 0.8f))->pTexture, SceneTexture(6));
    EXPECT_EQ(GroupOfColour(v, 0xFF000000)->pTexture, nullptr);
    FreeVisual(v);

    g.Settings.dwDisplayQuality = dqTexturedCubes | dqReflections;
    v = MakeFloor(5, 9);
    for (unsigned i = 0; i < v->pMesh->GetGroupCount(); ++i)
        EXPECT_EQ(v->pMesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(i))->pTexture, nullptr);
    FreeVisual(v);

    // Not loaded: the squares stay plain glass.
    ReleaseSceneTextures();
    g.Settings.dwDisplayQuality = 7;
    v = MakeFloor(5, 9);
    EXPECT_EQ(GroupOfColour(v, 0xE5CCE5FF)->pTexture, nullptr);
    FreeVisual(v);
}

// --- cube looks --------------------------------------------------------------------

TEST_F(RenderScene, CubeLookFollowsTheCubeBitAndTheLoadedTextures)
{
    // Textures on and loaded: a white cube that shows its texture and the
    // shared material.
    LoadTextures();
    g.Settings.dwDisplayQuality = 7;
    EXPECT_EQ(ColourForKind(ckBlue), RGB(255, 255, 255));
    VISUAL* v = nullptr;
    IDirect3DRMFrame2* f = nullptr;
    CreateCube(ckBlue, 2, 3, &v, &f);
    IDirect3DRMTexture* texture = nullptr;
    IDirect3DRMMaterial* material = nullptr;
    v->pMesh->GetGroupTexture(0, &texture);
    v->pMesh->GetGroupMaterial(0, &material);
    EXPECT_EQ(texture, SceneTexture(2));
    EXPECT_EQ(material, g.Render.pMaterial);
    texture->Release();
    material->Release();
    // A flat cube at its square's centre, not yet shown.
    EXPECT_EQ(v->pShowingIn, nullptr);
    EXPECT_FLOAT_EQ(v->fSizeY, 0.01f);
    EXPECT_VEC_NEAR(GetFramePosition(f), SquareCentreX(2), 0.005f, SquareCentreZ(3), 1e-6f);
    EXPECT_EQ(f->GetParentFrame(), g.Render.pFramePrimary);
    FreeVisual(v);
    ReleaseFrame(&f);

    // Textures off: the representative colour, no texture or material.
    g.Settings.dwDisplayQuality = dqTexturedFloor | dqReflections;
    EXPECT_EQ(ColourForKind(ckRed), RGB(162, 109, 124));
    v = MakeBox(0, 0, 0, 1, 1, 1, ColourForKind(ckRed), false);
    ApplyKindLook(v, ckRed);
    EXPECT_EQ(v->pMesh->GetGroupData(0)->pTexture, nullptr);
    EXPECT_EQ(v->pMesh->GetGroupData(0)->pMaterial, nullptr);
    FreeVisual(v);

    // Textures on but not loaded: the colour stands in.
    ReleaseSceneTextures();
    g.Settings.dwDisplayQuality = 7;
    EXPECT_EQ(ColourForKind(ckGray), RGB(150, 163, 181));
    // A kind without a representative colour is white rather than black.
    EXPECT_EQ(ColourForKind(ckNone), RGB(255, 255, 255));
}
