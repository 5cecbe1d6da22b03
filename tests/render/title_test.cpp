// The title scene: its cubes in front of the camera, the spins one after
// the other, new spins drawn by chance in their order, and the scene made
// anew with a new device.
#include "window_scene.h"

using namespace scenetest;

namespace {

class TitleScene : public WindowScene {
protected:
    void SetUp() override
    {
        WindowScene::SetUp();
        ASSERT_TRUE(InitScene());
    }
};

} // namespace

TEST_F(TitleScene, FiveLetterCubesHangBeforeTheCameraOnce)
{
    const size_t before = g.Render.pFrameCamera->GetChildren().size();
    ShowTitleScene();
    ShowTitleScene();
    const TITLEINFO& t = g.TitleInfo;
    ASSERT_TRUE(t.bShown);
    EXPECT_EQ(g.Render.pFrameCamera->GetChildren().size(), before + 2);
    EXPECT_EQ(t.pFrameTitle->GetParentFrame(), g.Render.pFrameCamera);
    D3DVECTOR p;
    t.pFrameTitle->GetPosition(g.Render.pFrameCamera, &p);
    EXPECT_FLOAT_EQ(p.y, 1.8f);
    EXPECT_FLOAT_EQ(p.z, 10.0f);
    t.pFrameLight->GetPosition(g.Render.pFrameCamera, &p);
    EXPECT_FLOAT_EQ(p.y, -20.0f);
    ASSERT_NE(t.pLight, nullptr);
    EXPECT_FLOAT_EQ(t.pLight->GetRed(), 0.6f);
    EXPECT_EQ(t.pLight->GetType(), D3DRMLIGHT_POINT);
    ASSERT_EQ(t.pFrameTitle->GetChildren().size(), 5u);
    for (int i = 0; i < kTitleCubes; ++i) {
        SCOPED_TRACE(i);
        const TITLEBIT& bit = t.aBits[i];
        bit.pFrame->GetPosition(t.pFrameTitle, &p);
        EXPECT_FLOAT_EQ(p.x, -2.8f + 1.4f * static_cast<float>(i));
        ASSERT_NE(bit.pVisual, nullptr);
        EXPECT_EQ(bit.pVisual->pShowingIn, bit.pFrame);
        // The face towards the camera shows the letter, the others the
        // plain tile.
        IDirect3DRMMesh* mesh = bit.pVisual->pMesh;
        bool letter = false, plain = false;
        for (unsigned k = 0; k < mesh->GetGroupCount(); ++k) {
            const IDirect3DRMTexture* texture = mesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(k))->pTexture;
            letter = letter || texture == g.Render.aTextures[6 + i];
            plain = plain || texture == g.Render.aTextures[11];
        }
        EXPECT_TRUE(letter && plain);
    }
    EXPECT_EQ(t.lTurns, 2);
    EXPECT_EQ(t.fAxisX, -1.0f);

    HideTitleScene();
    EXPECT_FALSE(g.TitleInfo.bShown);
    EXPECT_EQ(g.Render.pFrameCamera->GetChildren().size(), before);
    HideTitleScene();
}

TEST_F(TitleScene, TheCubesEndTheirTurnsOneAfterTheOtherAndSpinAgainEveryFourSeconds)
{
    ShowTitleScene();
    TITLEINFO& t = g.TitleInfo;
    const DWORD start = GetTickCount();
    EXPECT_EQ(t.aBits[0].dwEnd - start, 3000u);
    EXPECT_EQ(t.aBits[4].dwEnd - start, 3800u);
    // A quarter of the way through cube 0's spin of two turns: half a turn.
    clock_control::Advance(750);
    StepTitleScene();
    D3DVECTOR dir, up;
    t.aBits[0].pFrame->GetOrientation(t.pFrameTitle, &dir, &up);
    EXPECT_NEAR(dir.z, -1.0f, 1e-3f);
    EXPECT_NEAR(up.y, -1.0f, 1e-3f);
    // At 3100 ms cube 0 is at rest and upright, cube 1 still turns.
    clock_control::Advance(2350);
    StepTitleScene();
    EXPECT_EQ(t.aBits[0].dwStart, 0u);
    EXPECT_NE(t.aBits[1].dwStart, 0u);
    t.aBits[0].pFrame->GetOrientation(t.pFrameTitle, &dir, &up);
    EXPECT_NEAR(dir.z, 1.0f, 1e-4f);
    D3DVECTOR p;
    t.aBits[0].pFrame->GetPosition(t.pFrameTitle, &p);
    EXPECT_FLOAT_EQ(p.x, -2.8f);
    clock_control::Advance(800);
    StepTitleScene();
    for (const TITLEBIT& bit : t.aBits)
        EXPECT_EQ(bit.dwStart, 0u);

    // Past the four seconds: r1 decides the axis, r2 the turns, then the
    // axis is drawn for x, y and z, in that order.
    crt::srand(77);
    const int r1 = crt::rand(), r2 = crt::rand();
    const int ax = crt::rand(), ay = crt::rand(), az = crt::rand();
    crt::srand(77);
    clock_control::Advance(200);
    StepTitleScene();
    EXPECT_EQ(t.lTurns, (r2 % 100) / 50 + 2);
    if (r1 % 10 > 3) {
        EXPECT_EQ(t.fAxisX, -1.0f);
    } else {
        EXPECT_FLOAT_EQ(t.fAxisX, static_cast<float>(ax % 2000) * 0.001f - 1);
        EXPECT_FLOAT_EQ(t.fAxisY, static_cast<float>(ay % 2000) * 0.001f - 1);
        EXPECT_FLOAT_EQ(t.fAxisZ, static_cast<float>(az % 2000) * 0.001f - 1);
    }
    EXPECT_EQ(t.dwNextSpin, GetTickCount() + 4000);
    EXPECT_NE(t.aBits[0].dwStart, 0u);
}

TEST_F(TitleScene, ChanceDecidesBetweenTheFixedAndADrawnAxis)
{
    ShowTitleScene();
    TITLEINFO& t = g.TitleInfo;
    int fixed = 0, drawn = 0;
    for (int spin = 0; spin < 40; ++spin) {
        clock_control::Advance(4001);
        StepTitleScene();
        (t.fAxisX == -1.0f && t.fAxisY == 0.0f ? fixed : drawn) += 1;
        EXPECT_TRUE(t.lTurns == 2 || t.lTurns == 3);
        EXPECT_GE(t.fAxisY, -1.0f);
        EXPECT_LT(t.fAxisY, 1.0f);
    }
    EXPECT_GT(fixed, 0);
    EXPECT_GT(drawn, 0);
}

TEST_F(TitleScene, ANewDeviceLeavesOneSceneRestartedAboutTheFixedAxis)
{
    ShowTitleScene();
    clock_control::Advance(4001);
    crt::srand(5);
    StepTitleScene();
    clock_control::Advance(1000);
    StepTitleScene();
    ASSERT_EQ(aw->Set3dDevice(nullptr), 1);
    const TITLEINFO& t = g.TitleInfo;
    ASSERT_TRUE(t.bShown);
    IDirect3DRMFrame2* camera = aw->Get3dCameraFrame();
    EXPECT_EQ(t.pFrameTitle->GetParentFrame(), camera);
    // The three camera-light frames and the title's two.
    EXPECT_EQ(camera->GetChildren().size(), 5u);
    EXPECT_EQ(t.lTurns, 2);
    EXPECT_EQ(t.fAxisX, -1.0f);
    EXPECT_EQ(t.aBits[0].dwStart, GetTickCount());
    for (const TITLEBIT& bit : t.aBits)
        EXPECT_EQ(bit.pVisual->pShowingIn, bit.pFrame);
}
