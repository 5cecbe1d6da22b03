// The OpenGL renderer's colours, transparency and textures, and what it keeps
// for meshes and textures between frames.
#include "gl_support.h"

namespace {

using GlScene = GlTest;

TEST_F(GlScene, TranslucentGroupsBlendOverWhatLiesBehindThem)
{
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    // The translucent square is added first, yet drawn after the opaque one.
    IDirect3DRMFrame2* front = Place(0, 0, 8);
    Show(front, NewSquare(1, D3DRMCreateColorRGBA(1, 1, 1, 0.5f)));
    Show(Place(0, 0, 10), NewSquare(3, 0xFFFF0000));
    const POINT centre = Project(front, 0, 0, 0);

    device->SetRenderMode(D3DRMRENDERMODE_BLENDEDTRANSPARENCY | D3DRMRENDERMODE_SORTEDTRANSPARENCY);
    Draw();
    EXPECT_RGB_NEAR(AtPoint(centre), 255, 128, 128, 2);

    // Without blending the translucent colour is drawn solid.
    device->SetRenderMode(0);
    Draw();
    EXPECT_EQ(AtPoint(centre), 0x00FFFFFFu);
}

TEST_F(GlScene, TranslucentGroupsAreBlendedFromTheFarthestToTheNearest)
{
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    device->SetRenderMode(D3DRMRENDERMODE_BLENDEDTRANSPARENCY | D3DRMRENDERMODE_SORTEDTRANSPARENCY);
    IDirect3DRMFrame2* nearest = Place(0, 0, 6);
    Show(nearest, NewSquare(1, D3DRMCreateColorRGBA(0, 1, 0, 0.5f)));
    Show(Place(0, 0, 8), NewSquare(2, D3DRMCreateColorRGBA(0, 0, 1, 0.5f)));
    Show(Place(0, 0, 10), NewSquare(4, 0xFFFF0000));
    Draw();
    // Red, then blue over it, then green over both.
    EXPECT_RGB_NEAR(AtPoint(Project(nearest, 0, 0, 0)), 64, 128, 64, 2);
}

TEST_F(GlScene, GroupVertexAndFrameColours)
{
    device->SetQuality(D3DRMSHADE_GOURAUD | D3DRMLIGHT_OFF | D3DRMFILL_SOLID);
    IDirect3DRMFrame2* frame = Place(0, 0, 5);
    IDirect3DRMMesh* mesh = nullptr;
    ASSERT_EQ(rm->CreateMesh(&mesh), S_OK);
    Show(frame, mesh);
    // Two squares side by side in one group, the left one red, the right one
    // green, by their vertex colours.
    const unsigned faces[] = {0, 1, 2, 3, 4, 5, 6, 7};
    D3DRMGROUPINDEX group = -1;
    ASSERT_EQ(mesh->AddGroup(8, 2, 4, faces, &group), S_OK);
    D3DRMVERTEX vertices[8];
    for (int s = 0; s < 2; ++s) {
        const D3DVALUE x0 = s == 0 ? -2.0f : 0.2f;
        const D3DCOLOR color = s == 0 ? 0xFFFF0000 : 0xFF00FF00;
        const D3DVALUE corners[4][2] = {{x0, -1}, {x0, 1}, {x0 + 1.8f, 1}, {x0 + 1.8f, -1}};
        for (int k = 0; k < 4; ++k)
            vertices[s * 4 + k] = D3DRMVERTEX{{corners[k][0], corners[k][1], 0}, {0, 0, -1}, 0, 0, color};
    }
    ASSERT_EQ(mesh->SetVertices(group, 0, 8, vertices), S_OK);
    const POINT left = Project(frame, -1.1f, 0, 0), right = Project(frame, 1.1f, 0, 0);
    Draw();
    EXPECT_EQ(AtPoint(left), 0x00FF0000u);
    EXPECT_EQ(AtPoint(right), 0x0000FF00u);

    // A group colour overrides them; a frame that gives its own colour
    // overrides that, for its children too when they take their parent's.
    mesh->SetGroupColor(group, 0xFF0000FF);
    Draw();
    EXPECT_EQ(AtPoint(left), 0x000000FFu);
    EXPECT_EQ(AtPoint(right), 0x000000FFu);
    frame->SetColor(0xFFFFFF00);
    frame->SetMaterialMode(D3DRMMATERIAL_FROMFRAME);
    Draw();
    EXPECT_EQ(AtPoint(left), 0x00FFFF00u);
    frame->SetMaterialMode(D3DRMMATERIAL_FROMMESH);
    IDirect3DRMFrame2* child = NewFrame(frame);
    owned.push_back(child);
    child->AddVisual(mesh);
    child->SetPosition(frame, 0, 0, -1);
    child->SetMaterialMode(D3DRMMATERIAL_FROMPARENT);
    Draw();
    EXPECT_EQ(AtPoint(Project(child, -1.1f, 0, 0)), 0x00FFFF00u);
}

TEST_F(GlScene, TexturesShowTheirTexelsAndDecalsLeaveTheirKeyColourOut)
{
    device->SetQuality(D3DRMSHADE_GOURAUD | D3DRMLIGHT_OFF | D3DRMFILL_SOLID);
    device->SetTextureQuality(D3DRMTEXTURE_LINEAR);
    const D3DCOLOR texels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
    const D3DRMIMAGE image{2, 2, texels};
    IDirect3DRMTexture* texture = nullptr;
    ASSERT_EQ(rm->CreateTexture(&image, &texture), S_OK);
    owned.push_back(texture);
    IDirect3DRMFrame2* frame = Place(0, 0, 5);
    Show(frame, NewSquare(2, 0xFFFFFFFF, texture));

    Draw();
    // Texel centres (a pixel's centre lies up to half a pixel off them).
    const POINT topLeft = Project(frame, -1, 1, 0), topRight = Project(frame, 1, 1, 0);
    const POINT bottomLeft = Project(frame, -1, -1, 0), bottomRight = Project(frame, 1, -1, 0);
    EXPECT_RGB_NEAR(AtPoint(topLeft), 255, 0, 0, 6);
    EXPECT_RGB_NEAR(AtPoint(topRight), 0, 255, 0, 6);
    EXPECT_RGB_NEAR(AtPoint(bottomLeft), 0, 0, 255, 6);
    EXPECT_RGB_NEAR(AtPoint(bottomRight), 255, 255, 0, 6);
    // Linear filtering: half way between red and green texels.
    const POINT middleTop = Project(frame, 0, 1, 0);
    EXPECT_RGB_NEAR(AtPoint(middleTop), 128, 128, 0, 12);
    EXPECT_EQ(GlRenderGetStats().nTextureUploads, 1u);

    // Turning decal transparency on refreshes the texture: the yellow texel
    // shows the background, the others stay.
    texture->SetDecalTransparentColor(0x00FFFF00);
    texture->SetDecalTransparency(TRUE);
    Draw();
    EXPECT_EQ(AtPoint(bottomRight), kBackground);
    EXPECT_RGB_NEAR(AtPoint(topLeft), 255, 0, 0, 6);
    EXPECT_EQ(GlRenderGetStats().nTextureUploads, 2u);
    Draw();
    EXPECT_EQ(GlRenderGetStats().nTextureUploads, 2u) << "an unchanged texture is not uploaded again";
}

TEST_F(GlScene, AnEditedMeshIsDrawnAnewAndAnUnchangedOneIsNotUploadedAgain)
{
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    IDirect3DRMFrame2* frame = Place(0, 0, 5);
    IDirect3DRMMesh* square = Show(frame, NewSquare(1, 0xFFFFFFFF));
    const POINT centre = Project(frame, 0, 0, 0), aside = Project(frame, 1.5f, 0, 0);
    Draw();
    EXPECT_EQ(AtPoint(centre), 0x00FFFFFFu);
    const std::uint64_t uploads = GlRenderGetStats().nMeshUploads;
    Draw();
    EXPECT_EQ(GlRenderGetStats().nMeshUploads, uploads);

    square->SetGroupColor(0, 0xFFFF8000);
    Draw();
    EXPECT_EQ(AtPoint(centre), 0x00FF8000u);
    EXPECT_EQ(GlRenderGetStats().nMeshUploads, uploads + 1);

    square->Translate(1.5f, 0, 0);
    Draw();
    EXPECT_EQ(AtPoint(centre), kBackground);
    EXPECT_EQ(AtPoint(aside), 0x00FF8000u);
}

TEST_F(GlScene, FreeingMeshesAndTexturesFreesWhatTheRendererKeptForThem)
{
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    const D3DCOLOR texel = 0xFF808080;
    const D3DRMIMAGE image{1, 1, &texel};
    IDirect3DRMTexture* texture = nullptr;
    ASSERT_EQ(rm->CreateTexture(&image, &texture), S_OK);
    IDirect3DRMFrame2* frame = Place(0, 0, 5);
    IDirect3DRMMesh* plain = NewCube(0.5f, 0xFFFFFFFF);
    IDirect3DRMMesh* textured = NewSquare(1, 0xFFFFFFFF, texture);
    frame->AddVisual(plain);
    frame->AddVisual(textured);
    Draw();
    EXPECT_EQ(GlRenderGetStats().nMeshes, 2u);
    EXPECT_EQ(GlRenderGetStats().nTextures, 1u);

    frame->DeleteVisual(plain);
    plain->Release();
    EXPECT_EQ(GlRenderGetStats().nMeshes, 1u);
    // The mesh holds the texture: both go with the mesh.
    texture->Release();
    EXPECT_EQ(GlRenderGetStats().nTextures, 1u);
    frame->DeleteVisual(textured);
    textured->Release();
    EXPECT_EQ(GlRenderGetStats().nMeshes, 0u);
    EXPECT_EQ(GlRenderGetStats().nTextures, 0u);
    Draw();
    EXPECT_EQ(AtPoint(Project(frame, 0, 0, 0)), kBackground);
}

TEST_F(GlScene, ViewportsMadeAnewDoNotPileUpFramebuffers)
{
    std::vector<std::uint32_t> target(static_cast<size_t>(kWidth) * kHeight);
    for (int i = 0; i < 10; ++i) {
        IDirect3DRMViewport* v = nullptr;
        ASSERT_EQ(rm->CreateViewport(device, camera, 0, 0, kWidth, kHeight, &v), S_OK);
        ASSERT_EQ(GlRenderViewport(v, {target.data(), kWidth, kHeight, kWidth}, 0, 0), S_OK);
        v->Release();
    }
    EXPECT_LE(GlRenderGetStats().nViewports, 4u);
}

} // namespace
