// Setting up the scene on the game's window, its failure stages, and the
// rebuild after the window made its device anew.
#include "window_scene.h"

#include "anim/graphic.h"
#include "game/field.h"
#include "platform/resources/dibimage.h"

#include <cstring>
#include <set>

using namespace scenetest;

namespace {

class SceneSetUp : public WindowScene {
protected:
    // The message shown for a failed stage, with its inserts.
    static std::string Direct3dMessage(int stage, unsigned long error)
    {
        return "Varno was unable to initialize Direct3D.\n\nYou may need to download the latest version of "
               "Microsoft DirectX from https://www.microsoft.com/en-us/download/details.aspx?id=35\n\nError " +
               std::to_string(error) + " (@" + std::to_string(stage) + ")";
    }
};

int RefuseEnable3d(ANIMWINDOW*)
{
    ZephaneSetLastError(0x20AA0011);
    return 0;
}
IDirect3DRM2* NoDirect3d()
{
    ZephaneSetLastError(errNoDirect3d);
    return nullptr;
}
IDirect3DRMFrame2* NoFrame(ANIMWINDOW*)
{
    ZephaneSetLastError(errNo3d);
    return nullptr;
}

} // namespace

TEST_F(SceneSetUp, TheSceneGetsItsModeDeviceLookTexturesAndFlags)
{
    ASSERT_TRUE(InitScene());
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(Display->fFullScreen());
    EXPECT_EQ(Display->GetWidth(), 800);
    EXPECT_EQ(Display->GetAnimMethod(), amFlipTriple);
    ASSERT_TRUE(aw->fIs3dEnabled());
    const RENDER& r = g.Render;
    EXPECT_TRUE(r.fSetUp);
    EXPECT_EQ(r.pd3d, Display->GetDirect3d());
    EXPECT_EQ(r.pFrameRoot, aw->Get3dRootFrame());
    EXPECT_EQ(r.pFrameCamera, aw->Get3dCameraFrame());
    EXPECT_EQ(r.pFramePrimary->GetParentFrame(), r.pFrameRoot);
    ASSERT_NE(r.pLightCamera, nullptr);

    IDirect3DRMDevice2* device = aw->Get3dDevice();
    EXPECT_EQ(device->GetRenderMode(), D3DRMRENDERMODE_BLENDEDTRANSPARENCY | D3DRMRENDERMODE_SORTEDTRANSPARENCY);
    EXPECT_EQ(device->GetTextureQuality(), D3DRMTEXTURE_LINEAR);
    EXPECT_TRUE(device->GetDither());
    // Shade, light and fill stay as the window keeps them.
    EXPECT_EQ(device->GetQuality(), 1u + 8u + 128u);

    // The textures in table order, from their bitmaps.
    for (int i = 0; i < kTextureCount; ++i) {
        SCOPED_TRACE(i);
        IDirect3DRMTexture* t = r.aTextures[i];
        ASSERT_NE(t, nullptr);
        const int side = i < 6 ? 256 : 128;
        EXPECT_EQ(t->GetWidth(), side);
        EXPECT_EQ(t->GetHeight(), side);
        int w = 0, h = 0;
        std::vector<std::uint32_t> pixels;
        ASSERT_TRUE(
            LoadResourceImage(nullptr, MAKEINTRESOURCEA(kTextureBitmaps[i]), MAKEINTRESOURCEA(2), &w, &h, &pixels));
        EXPECT_EQ(t->GetPixels()[0] & 0xFFFFFF, pixels[0] & 0xFFFFFF);
        EXPECT_EQ(t->GetPixels()[w * h / 2 + 7] & 0xFFFFFF, pixels[w * h / 2 + 7] & 0xFFFFFF);
    }
    std::set<IDirect3DRMTexture*> distinct(std::begin(r.aTextures), std::end(r.aTextures));
    EXPECT_EQ(distinct.size(), 12u);
    ASSERT_NE(r.pgrFlagEsperanto, nullptr);
    ASSERT_NE(r.pgrFlagEnglish, nullptr);
    EXPECT_EQ(r.pgrFlagEsperanto->GetWidth(), 48);
    EXPECT_EQ(r.pgrFlagEnglish->GetHeight(), 32);
}

TEST_F(SceneSetUp, EachFailureStageRestoresTheModeAndShowsItsNumberAndTheError)
{
    struct Case {
        int stage;
        SCENESERVICES services;
        unsigned long error;
    };
    const Case cases[] = {
        {1, {RefuseEnable3d, nullptr, nullptr, nullptr}, 0x20AA0011},
        {2, {nullptr, NoDirect3d, nullptr, nullptr}, errNoDirect3d},
        {3, {nullptr, nullptr, NoFrame, nullptr}, errNo3d},
        {4, {nullptr, nullptr, nullptr, NoFrame}, errNo3d},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage);
        boxes.clear();
        SetSceneServices(&c.services);
        EXPECT_FALSE(InitScene());
        SetSceneServices(nullptr);
        EXPECT_FALSE(Display->fFullScreen());
        EXPECT_FALSE(g.Render.fSetUp);
        EXPECT_EQ(g.Render.pFramePrimary, nullptr);
        EXPECT_FALSE(aw->fIs3dEnabled());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], Direct3dMessage(c.stage, c.error));
    }

    // Stage 5: a texture that cannot be loaded (no image loader).
    boxes.clear();
    Display->GetDirect3d();
    D3DRMSetResourceImageLoader(nullptr);
    EXPECT_FALSE(InitScene());
    D3DRMSetResourceImageLoader(LoadResourceImage);
    EXPECT_FALSE(Display->fFullScreen());
    for (IDirect3DRMTexture* t : g.Render.aTextures)
        EXPECT_EQ(t, nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Varno was unable to initialize Direct3D.", 0), 0u);
    EXPECT_NE(boxes[0].find("(@5)"), std::string::npos) << boxes[0];

    // And all is well again afterwards.
    boxes.clear();
    EXPECT_TRUE(InitScene());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SceneSetUp, NoVideoModeEndsTheSetUpWithItsOwnMessage)
{
    g.Settings.lVideoWidth = 1000;
    Display->SetMainWindow(nullptr);
    EXPECT_FALSE(InitScene());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Varno was unable to find any acceptable video modes.", 0), 0u);
    EXPECT_FALSE(aw->fIs3dEnabled());
}

TEST_F(SceneSetUp, ANewDeviceRebuildsTheFieldInTheNewSceneWithNoStaleFrames)
{
    ASSERT_TRUE(InitScene());
    ACTIVEPUZZLE& ap = g.ActivePuzzle;
    ap.Puzzle.lWidth = 6;
    ap.Puzzle.lLength = 12;
    ap.Puzzle.lMines = 3;
    const LONG kinds[6] = {ckGray, ckGreen, ckRed, ckBlack, ckBlue, ckGray};
    for (int x = 0; x < 6; ++x)
        ap.Puzzle.aFormation[0][x] = kinds[x];
    ap.Puzzle.aFormation[1][2] = ckBlue;
    SetUpField();
    ShowField();
    // Grown cubes, one of them turned mid-roll and reflected.
    for (auto& row : ap.aCubes)
        for (CUBE& c : row)
            if (c.pVisual)
                ScaleVisual(c.pVisual, 1, 100, 1);
    CUBE& rolling = ap.aCubes[1][2];
    SetFramePosition(rolling.pFrame, SquareCentreX(2), 0.5f, SquareCentreZ(1));
    SetFrameRotated(rolling.pFrame, {1, 0, 0}, 0.3f);
    SetFramePosition(rolling.pFrame, SquareCentreX(2), 0.5f, SquareCentreZ(1) - 0.2f);
    SetReflection(rolling.pVisual, true);
    D3DMATRIX before{};
    rolling.pFrame->GetTransform(&before);
    // A 3 x 3 mine-field, an explosion and the falling forbidden cube.
    MINE& mine = ap.aMines[0];
    mine = MINE{TRUE, 1, 3, 4, 6, {}};
    CreateMineVisuals(&mine);
    ap.aCubes[2][4].pExp = new EXPLOSION{};
    CreateGravel(&ap.aCubes[2][4].pExp->aGravel[0], 4, 2, RGB(150, 163, 181));
    ap.pFrameForbidden = CreateFrame(g.Render.pFrameRoot);
    SetFramePosition(ap.pFrameForbidden, 0.5f, 10, -3.5f);
    ap.pVisualForbidden = MakeBox(0, 0, 0, 1, 1, 1, ColourForKind(ckRed), false);
    ShowVisual(ap.pVisualForbidden, ap.pFrameForbidden);
    SetReflection(ap.pVisualForbidden, true);
    SetCameraLights(false);

    IDirect3DRMFrame2* oldPrimary = g.Render.pFramePrimary;
    IDirect3DRMFrame2* oldCubeFrame = rolling.pFrame;
    oldCubeFrame->AddRef(); // kept to see that the cell lets go of it
    ASSERT_EQ(aw->Set3dDevice(nullptr), 1);

    const RENDER& r = g.Render;
    IDirect3DRMFrame2* root = aw->Get3dRootFrame();
    EXPECT_EQ(r.pFrameRoot, root);
    EXPECT_EQ(r.pFrameCamera, aw->Get3dCameraFrame());
    EXPECT_NE(r.pFramePrimary, nullptr);
    EXPECT_EQ(r.pFramePrimary->GetParentFrame(), root);
    // The camera lights stay off, as they were.
    EXPECT_EQ(r.pLightCamera, nullptr);
    EXPECT_EQ(r.pFrameCameraLight->GetParentFrame(), r.pFrameCamera);
    EXPECT_EQ(aw->Get3dDevice()->GetRenderMode(), 3u);

    // The field is shown again at its size.
    ASSERT_NE(ap.pFloor, nullptr);
    EXPECT_EQ(ap.pFloor->pShowingIn, r.pFramePrimary);
    // Every cube has a new visual in a new frame of the new scene, where it
    // stood, as large as it was.
    int cubes = 0;
    for (auto& row : ap.aCubes)
        for (CUBE& c : row) {
            if (!c.pVisual) {
                EXPECT_EQ(c.pFrame, nullptr);
                continue;
            }
            ++cubes;
            ASSERT_NE(c.pFrame, nullptr);
            EXPECT_EQ(c.pFrame->GetParentFrame(), r.pFramePrimary);
            EXPECT_EQ(c.pVisual->pShowingIn, c.pFrame);
            EXPECT_FLOAT_EQ(c.pVisual->fSizeY, 1.0f);
        }
    EXPECT_EQ(cubes, 7);
    EXPECT_NE(rolling.pFrame, oldCubeFrame);
    EXPECT_EQ(oldCubeFrame->GetRefCount(), 1u);
    oldCubeFrame->Release();
    D3DMATRIX after{};
    rolling.pFrame->GetTransform(&after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    ASSERT_NE(rolling.pVisual->pReflection, nullptr);
    EXPECT_EQ(rolling.pVisual->pReflection->pShowingIn->GetParentFrame(), r.pFramePrimary);

    // Mines, gravel, the forbidden cube and the figure hang in the new scene.
    for (const MINESQUARE& sq : mine.aSquares) {
        ASSERT_NE(sq.pVisual, nullptr);
        EXPECT_EQ(sq.pFrameMine->GetParentFrame(), r.pFramePrimary);
        EXPECT_NEAR(sq.pLight->GetRed(), 0.2222f, 1e-3f);
    }
    const GRAVEL& piece = ap.aCubes[2][4].pExp->aGravel[0];
    EXPECT_EQ(piece.pFrame->GetParentFrame(), r.pFramePrimary);
    EXPECT_EQ(piece.pVisual->pShowingIn, piece.pFrame);
    EXPECT_EQ(ap.pFrameForbidden->GetParentFrame(), root);
    ASSERT_NE(ap.pVisualForbidden->pReflection, nullptr);
    EXPECT_TRUE(Below(ap.pVisualForbidden->pReflection->pShowingIn, r.pFramePrimary));
    ASSERT_NE(g.Avatar.pFrameAvatar, nullptr);
    EXPECT_EQ(g.Avatar.pFrameAvatar->GetParentFrame(), r.pFramePrimary);
    EXPECT_EQ(g.Avatar.pVisualHead->pShowingIn, g.Avatar.pFrameAvatar);
    EXPECT_NE(r.pFramePrimary, oldPrimary);

    // Nothing of the old scene is left: every visual of the new primary
    // frame's tree is one the game holds, and a second rebuild (or the end
    // of the puzzle) finds nothing stale.
    ASSERT_EQ(aw->Set3dDevice(nullptr), 1);
    ReleaseField();
    ReleaseFloor();
    AvatarRelease();
    EXPECT_TRUE(g.Render.pFramePrimary->GetVisuals().empty());
    EXPECT_TRUE(g.Render.pFramePrimary->GetChildren().empty());
}

TEST_F(SceneSetUp, NoRebuildBeforeTheSceneIsSetUpOrWith3dOff)
{
    ASSERT_EQ(Display->SetVideoMode(640, 480, 16, amFlipTriple), 1);
    // The report of the first device comes before any set-up.
    ASSERT_EQ(aw->Enable3d(1), 1);
    EXPECT_EQ(g.Render.pFramePrimary, nullptr);
    ASSERT_EQ(aw->Enable3d(0), 1);
    ASSERT_TRUE(InitScene());
    IDirect3DRMFrame2* primary = g.Render.pFramePrimary;
    SceneWindowService(aw, svcaw3dDevice);
    EXPECT_NE(g.Render.pFramePrimary, primary);
    // With 3D switched off a late report changes nothing.
    primary = g.Render.pFramePrimary;
    aw->Enable3d(0);
    SceneWindowService(aw, svcaw3dDevice);
    EXPECT_EQ(g.Render.pFramePrimary, primary);
}
