#include "render_support.h"

#include "platform/d3drm/rmmath.h"

#include <cmath>

namespace {

D3DVECTOR PositionIn(IDirect3DRMFrame2* frame, IDirect3DRMFrame2* ref)
{
    D3DVECTOR p;
    frame->GetPosition(ref, &p);
    return p;
}

} // namespace

TEST_F(RenderScene, SetUpHangsThePrimaryFrameAndTheLightsInTheWindowsScene)
{
    const RENDER& r = g.Render;
    EXPECT_EQ(r.pd3d, rm);
    EXPECT_EQ(r.pFramePrimary->GetParentFrame(), root);
    EXPECT_VEC_NEAR(PositionIn(r.pFramePrimary, root), 0, 0, 0, 0);
    ASSERT_EQ(r.pFramePrimary->GetLights().size(), 1u);
    EXPECT_EQ(r.pFramePrimary->GetLights()[0], r.pLightAmbient);
    EXPECT_EQ(r.pLightAmbient->GetType(), D3DRMLIGHT_AMBIENT);
    EXPECT_FLOAT_EQ(r.pLightAmbient->GetRed(), 0.01f);
    EXPECT_FLOAT_EQ(r.fAmbient, 1.0f);

    IDirect3DRMFrame2* lightFrames[3] = {r.pFrameCameraLight, r.pFrameCameraLight2, r.pFrameCameraLight3};
    IDirect3DRMLight* lights[3] = {r.pLightCamera, r.pLightCamera2, r.pLightCamera3};
    const float greys[3] = {0.5f, 0.3f, 0.3f};
    ASSERT_EQ(camera->GetChildren().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lightFrames[i]->GetParentFrame(), camera);
        EXPECT_VEC_NEAR(PositionIn(lightFrames[i], camera), kCameraLightPositions[i][0], kCameraLightPositions[i][1],
                        kCameraLightPositions[i][2], 1e-6f);
        ASSERT_EQ(lightFrames[i]->GetLights().size(), 1u);
        EXPECT_EQ(lightFrames[i]->GetLights()[0], lights[i]);
        EXPECT_EQ(lights[i]->GetType(), D3DRMLIGHT_POINT);
        EXPECT_FLOAT_EQ(lights[i]->GetRed(), greys[i]);
        EXPECT_FLOAT_EQ(lights[i]->GetBlue(), greys[i]);
    }

    float cr, cg, cb;
    EXPECT_FLOAT_EQ(r.pMaterial->GetPower(), 150.0f);
    r.pMaterial->GetEmissive(&cr, &cg, &cb);
    EXPECT_FLOAT_EQ(cg, 0.2f);
    r.pMaterial->GetSpecular(&cr, &cg, &cb);
    EXPECT_FLOAT_EQ(cb, 0.1f);
}

TEST_F(RenderScene, ReleasingTheSceneFreesWhatTheGameMadeAndLeavesTheWindowsFrames)
{
    IDirect3DRMFrame2* primary = g.Render.pFramePrimary;
    IDirect3DRMLight* ambient = g.Render.pLightAmbient;
    IDirect3DRMLight* lamp = g.Render.pLightCamera;
    IDirect3DRMMaterial* material = g.Render.pMaterial;
    for (IDirect3DRMObject* o : {static_cast<IDirect3DRMObject*>(primary), static_cast<IDirect3DRMObject*>(ambient),
                                 static_cast<IDirect3DRMObject*>(lamp), static_cast<IDirect3DRMObject*>(material)})
        o->AddRef();
    ReleaseSceneFrames();
    EXPECT_EQ(g.Render.pFramePrimary, nullptr);
    EXPECT_EQ(g.Render.pFrameCameraLight, nullptr);
    EXPECT_EQ(g.Render.pLightCamera3, nullptr);
    EXPECT_TRUE(camera->GetChildren().empty());
    EXPECT_TRUE(root->GetChildren().empty() || root->GetChildren() == std::vector<IDirect3DRMFrame2*>{camera});
    // Only the references taken here are left.
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(ambient->Release(), 0u);
    EXPECT_EQ(lamp->Release(), 0u);
    EXPECT_EQ(material->Release(), 0u);
    // The window's frames are untouched, and setting up again works.
    EXPECT_EQ(camera->GetRefCount(), 2u);
    ASSERT_TRUE(InitSceneFrames(rm, root, camera, false));
    EXPECT_EQ(g.Render.pLightCamera, nullptr);
    EXPECT_TRUE(g.Render.pFrameCameraLight->GetLights().empty());
}

TEST_F(RenderScene, CameraLightsGoAndComeBackInTheirFrames)
{
    SetCameraLights(false);
    EXPECT_EQ(g.Render.pLightCamera, nullptr);
    EXPECT_EQ(g.Render.pLightCamera2, nullptr);
    for (IDirect3DRMFrame2* f : camera->GetChildren())
        EXPECT_TRUE(f->GetLights().empty());
    SetCameraLights(true);
    SetCameraLights(true); // a second call replaces, never doubles
    for (IDirect3DRMFrame2* f : camera->GetChildren())
        EXPECT_EQ(f->GetLights().size(), 1u);
    EXPECT_FLOAT_EQ(g.Render.pLightCamera2->GetGreen(), 0.3f);
}

TEST_F(RenderScene, AmbientLightAlwaysTakesTheStoredLevel)
{
    g.Render.pLightAmbient->SetColorRGB(0.7f, 0.7f, 0.7f);
    ApplyAmbientLight(5);
    EXPECT_FLOAT_EQ(g.Render.pLightAmbient->GetRed(), 0.01f);
    g.Render.fAmbient = 40;
    ApplyAmbientLight(1);
    EXPECT_FLOAT_EQ(g.Render.pLightAmbient->GetGreen(), 0.4f);
}

TEST_F(RenderScene, KindsMapToTexturesAndTexturesToColours)
{
    EXPECT_EQ(TextureForKind(ckGray), 1);
    EXPECT_EQ(TextureForKind(ckBlue), 2);
    EXPECT_EQ(TextureForKind(ckBlack), 3);
    EXPECT_EQ(TextureForKind(ckRed), 4);
    EXPECT_EQ(TextureForKind(ckGreen), 5);
    EXPECT_EQ(TextureForKind(ckNone), 6);
    EXPECT_EQ(TextureForKind(99), 6);
    EXPECT_EQ(RepresentativeColour(2), RGB(137, 235, 255));
    EXPECT_EQ(RepresentativeColour(4), RGB(162, 109, 124));
    EXPECT_EQ(RepresentativeColour(6), 0u);
    EXPECT_EQ(RepresentativeColour(12), 0u);

    // Textures not loaded are null; loaded ones are found both ways.
    EXPECT_EQ(SceneTexture(1), nullptr);
    EXPECT_EQ(SceneTextureNumber(nullptr), 0);
    LoadTextures();
    EXPECT_EQ(SceneTexture(1), g.Render.aTextures[0]);
    EXPECT_EQ(SceneTexture(12), g.Render.aTextures[11]);
    EXPECT_EQ(SceneTexture(0), nullptr);
    EXPECT_EQ(SceneTexture(13), nullptr);
    for (LONG n = 1; n <= kTextureCount; ++n)
        EXPECT_EQ(SceneTextureNumber(SceneTexture(n)), n);
    const D3DCOLOR pixel = 0xFF102030;
    const D3DRMIMAGE image{1, 1, &pixel};
    IDirect3DRMTexture* stranger = nullptr;
    ASSERT_EQ(rm->CreateTexture(&image, &stranger), S_OK);
    EXPECT_EQ(SceneTextureNumber(stranger), 0);
    stranger->Release();
}

// --- camera ------------------------------------------------------------------------

TEST_F(RenderScene, CameraGoalsFollowTheScreenStateAndTheFigure)
{
    RENDER& r = g.Render;
    AimCameraForState(gsPlaying, 1.0f, -3.0f);
    EXPECT_VEC_NEAR(r.vecCameraSourceGoal, 3.5f, (1.5f - 0.2f) * 5.0f, -3.0f - 1.6f * 4.0f, 1e-5f);
    EXPECT_VEC_NEAR(r.vecCameraTargetGoal, 1.1f, 0, -3.0f + 4.0f * 0.2f, 1e-5f);
    g.fDyingRed = FALSE;
    AimCameraForState(gsDying, 2.0f, -1.0f);
    EXPECT_VEC_NEAR(r.vecCameraSourceGoal, 3.6f, 1.5f, 3.0f, 1e-5f);
    EXPECT_VEC_NEAR(r.vecCameraTargetGoal, 1.8f, 1.0f, -2.0f, 1e-5f);
    g.fDyingRed = TRUE;
    AimCameraForState(gsDying, 2.0f, -1.0f);
    EXPECT_VEC_NEAR(r.vecCameraSourceGoal, 1.4f, 0.2857143f, -5.0f, 1e-5f);
    EXPECT_VEC_NEAR(r.vecCameraTargetGoal, 2.4f, 0.6666667f, -2.0f, 1e-5f);
    AimCameraForState(gsPuzzleWon, 2.0f, -1.0f);
    EXPECT_VEC_NEAR(r.vecCameraSourceGoal, 1.8f, 1.0f, -3.0f, 1e-5f);
    EXPECT_VEC_NEAR(r.vecCameraTargetGoal, 2.2f, 0.0f, 3.0f, 1e-5f);
}

TEST_F(RenderScene, CameraStepsConvergeOnTheirGoalsAxisByAxis)
{
    RENDER& r = g.Render;
    g.ActivePuzzle.fSourceStep = 0.08f;
    g.ActivePuzzle.fTargetStep = 0.04f;
    r.vecCameraSource = {0, 10, 2};
    r.vecCameraTarget = {0, 0, 0};
    r.vecCameraSourceGoal = {0.5f, 9.8f, 2};
    r.vecCameraTargetGoal = {-0.2f, 0, 1};
    // The source needs ceil(0.5 / 0.08) = 7 steps on x; every step but the
    // last that lands moves each axis by exactly the step size.
    int steps = 0;
    D3DVECTOR before = r.vecCameraSource;
    while (StepCamera()) {
        ++steps;
        EXPECT_LE(std::fabs(r.vecCameraSource.x - before.x), 0.08f + 1e-6f);
        EXPECT_LE(std::fabs(r.vecCameraSource.y - before.y), 0.08f + 1e-6f);
        before = r.vecCameraSource;
        ASSERT_LT(steps, 100);
    }
    EXPECT_EQ(steps, 7);
    EXPECT_VEC_NEAR(r.vecCameraSource, 0.5f, 9.8f, 2.0f, 0); // exactly on the goal
    // The target is slower and does not count: it is still on its way.
    EXPECT_NEAR(r.vecCameraTarget.z, 8 * 0.04f, 1e-5f);
    for (int i = 0; i < 30; ++i)
        EXPECT_FALSE(StepCamera());
    EXPECT_VEC_NEAR(r.vecCameraTarget, -0.2f, 0, 1, 0);
}

TEST_F(RenderScene, AimingReportsWhetherTheSourceWasStillAway)
{
    g.ActivePuzzle.fSourceStep = 2;
    g.ActivePuzzle.fTargetStep = 2;
    g.Render.vecCameraSource = {0, 1000, 0};
    int frames = 0;
    while (AimCameraForState(gsPlaying, 0, 0) && frames < 1000)
        ++frames;
    EXPECT_EQ(frames, 497); // (1000 - 7.5) / 2 rounded up
    EXPECT_VEC_NEAR(g.Render.vecCameraSource, 0, 7.5f, -4.0f, 0);
}

TEST_F(RenderScene, PlacedCameraLooksFromTheSourceAtTheTargetUpright)
{
    RENDER& r = g.Render;
    r.vecCameraSource = {1.5f, 7, 2};
    r.vecCameraTarget = {0.5f, 0, -6};
    PlaceCamera();
    EXPECT_VEC_NEAR(PositionIn(camera, root), 1.5f, 7, 2, 1e-5f);
    // The target lies straight ahead on the camera's own z axis.
    D3DVECTOR local;
    camera->InverseTransform(&local, &r.vecCameraTarget);
    EXPECT_NEAR(local.x, 0, 1e-4f);
    EXPECT_NEAR(local.y, 0, 1e-4f);
    EXPECT_NEAR(local.z, rmmath::Length(rmmath::Sub(r.vecCameraTarget, r.vecCameraSource)), 1e-4f);
    // Its up axis points upwards.
    EXPECT_GT(camera->GetWorldTransform()._22, 0);
    // The camera lights travel with it.
    D3DVECTOR light;
    const D3DVECTOR origin{0, 0, 0};
    r.pFrameCameraLight->Transform(&light, &origin);
    D3DVECTOR back;
    camera->InverseTransform(&back, &light);
    EXPECT_VEC_NEAR(back, 0, 3, 5, 1e-4f);

    // Looking straight down the field the view is level: x to the right.
    r.vecCameraSource = {0, 7.5f, -4};
    r.vecCameraTarget = {0, 0, 0};
    PlaceCamera();
    const D3DMATRIX m = camera->GetWorldTransform();
    EXPECT_VEC_NEAR((D3DVECTOR{m._11, m._12, m._13}), 1, 0, 0, 1e-5f);
    EXPECT_GT(m._22, 0);
}
