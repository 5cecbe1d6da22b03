// The animation window's 3D scene: device, frames and viewport, the scene
// object drawing under the 2D objects, the render options, re-creation after
// a mode change, and the mapping between frame coordinates and pixels.
#include "animwin_support.h"
#include "platform/base/guid.h"
#include "platform/d3drm/d3drm.h"
#include "platform/glrender/glrender.h"

#include <memory>

using namespace animtest;

namespace {
class Anim3dTest : public AnimWindowTest {
protected:
    // Unlit solid drawing, so that a square shows its own colour.
    void Unlit()
    {
        OPTIONS3D o{1, 0, 128, 0, 0};
        ASSERT_EQ(aw->Set3dOptions(&o), 1);
    }
};
} // namespace

TEST_F(Anim3dTest, EnablingMakesDeviceFramesAndAViewportOfTheWindowsSize)
{
    ZephaneSetLastError(0);
    EXPECT_EQ(aw->Get3dRootFrame(), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(errNo3d));
    EXPECT_EQ(aw->Get3dDevice(), nullptr);
    long sx = 0, sy = 0;
    EXPECT_EQ(aw->FrameToScreen(nullptr, 0, 0, 1, &sx, &sy), 0);

    ASSERT_EQ(aw->Enable3d(1), 1);
    EXPECT_EQ(host.Count(svcaw3dDevice), 1);
    IDirect3DRMDevice2* device = aw->Get3dDevice();
    IDirect3DRMViewport* viewport = aw->Get3dViewport();
    IDirect3DRMFrame2* root = aw->Get3dRootFrame();
    IDirect3DRMFrame2* camera = aw->Get3dCameraFrame();
    ASSERT_TRUE(device && viewport && root && camera);
    EXPECT_EQ(device->GetWidth(), static_cast<DWORD>(kWidth));
    EXPECT_EQ(device->GetHeight(), static_cast<DWORD>(kHeight));
    EXPECT_EQ(viewport->GetWidth(), static_cast<DWORD>(kWidth));
    EXPECT_EQ(viewport->GetHeight(), static_cast<DWORD>(kHeight));
    EXPECT_EQ(viewport->GetBack(), 5000.0f);
    EXPECT_EQ(viewport->GetCameraFrame(), camera);
    EXPECT_EQ(camera->GetParentFrame(), root);
    EXPECT_EQ(root->GetParentFrame(), nullptr);
    // Default options: Gouraud, lights on, solid.
    EXPECT_EQ(device->GetQuality(), 1u + 8u + 128u);
    EXPECT_EQ(device->GetDither(), FALSE);

    ASSERT_EQ(aw->Enable3d(0), 1);
    EXPECT_EQ(aw->Get3dViewport(), nullptr);
    EXPECT_EQ(aw->Get3dCameraFrame(), nullptr);
    EXPECT_EQ(Display->Get3dViewport(), nullptr);
}

TEST_F(Anim3dTest, TheWindowsBackgroundColourBecomesTheScenesBackground)
{
    ASSERT_EQ(aw->SetBackground(RGB(255, 0, 51), 0, 0, kWidth, kHeight), 1);
    ASSERT_EQ(aw->Enable3d(1), 1);
    EXPECT_EQ(aw->Get3dRootFrame()->GetSceneBackground() & 0xFFFFFF, 0xFF0033u);
    // Drawn without a renderer or with one, the area outside the scene's
    // visuals shows that colour.
    aw->RenderFrame();
    EXPECT_EQ(Shown(3, 3), 0xFF0033u);
}

TEST_F(Anim3dTest, ANewBackgroundColourRecoloursTheSceneToo)
{
    ASSERT_EQ(aw->Enable3d(1), 1);
    ASSERT_EQ(aw->SetBackground(RGB(0, 102, 255), 0, 0, kWidth, kHeight), 1);
    EXPECT_EQ(aw->Get3dRootFrame()->GetSceneBackground() & 0xFFFFFF, 0x0066FFu);
    aw->RenderFrame();
    EXPECT_EQ(Shown(3, 3), 0x0066FFu);
}

// Where no renderer can be made, nothing of a scene would be seen: enabling
// 3D fails with errNoDirect3d, unless the host asked for the scene alone.
TEST_F(Anim3dTest, EnablingWithoutARendererFailsUnlessTheHostAllowsIt)
{
    GlRenderUninstall();
    GlRenderSimulateUnavailable(true);
    ZephaneSetLastError(0);
    EXPECT_EQ(aw->Enable3d(1), 0);
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(errNoDirect3d));
    EXPECT_EQ(aw->fIs3dEnabled(), 0);
    EXPECT_EQ(Display->Get3dViewport(), nullptr);
    EXPECT_EQ(host.Count(svcaw3dDevice), 0);

    ANIMWINDOW::Allow3dWithoutRenderer(1);
    EXPECT_EQ(aw->Enable3d(1), 1);
    EXPECT_NE(aw->Get3dRootFrame(), nullptr);
    EXPECT_EQ(aw->Enable3d(0), 1);
    ANIMWINDOW::Allow3dWithoutRenderer(0);
    GlRenderSimulateUnavailable(false);

    // The renderer comes back as soon as it can be made.
    ASSERT_EQ(aw->Enable3d(1), 1);
    EXPECT_TRUE(GlRenderIsInstalled());
}

TEST_F(Anim3dTest, OptionsChangeOnlyWhatDiffers)
{
    OPTIONS3D o{1, 8, 128, 0, 0};
    EXPECT_EQ(aw->Set3dOptions(&o), 0);
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(errNo3d));
    ASSERT_EQ(aw->Enable3d(1), 1);
    IDirect3DRMDevice2* device = aw->Get3dDevice();

    // Only dither differs: the quality set by hand stays.
    device->SetQuality(D3DRMRENDER_FLAT);
    o.dither = 1;
    ASSERT_EQ(aw->Set3dOptions(&o), 1);
    EXPECT_EQ(device->GetDither(), TRUE);
    EXPECT_EQ(device->GetQuality(), D3DRMRENDER_FLAT);

    OPTIONS3D wire{0, 0, 64, D3DRMTEXTURE_LINEAR, 1};
    ASSERT_EQ(aw->Set3dOptions(&wire), 1);
    EXPECT_EQ(device->GetQuality(), 64u);
    EXPECT_EQ(device->GetTextureQuality(), D3DRMTEXTURE_LINEAR);
    OPTIONS3D back{};
    ASSERT_EQ(aw->Get3dOptions(&back), 1);
    EXPECT_EQ(back.fill, 64u);
    EXPECT_EQ(back.textureQuality, static_cast<std::uint32_t>(D3DRMTEXTURE_LINEAR));

    // A bad value is refused and not stored.
    OPTIONS3D bad = wire;
    bad.textureQuality = 99;
    EXPECT_EQ(aw->Set3dOptions(&bad), 0);
    ASSERT_EQ(aw->Get3dOptions(&back), 1);
    EXPECT_EQ(back.textureQuality, static_cast<std::uint32_t>(D3DRMTEXTURE_LINEAR));
}

TEST_F(Anim3dTest, ChoosingADeviceMakesTheSceneAnewAndTellsTheHost)
{
    ASSERT_EQ(aw->Enable3d(1), 1);
    OPTIONS3D o{0, 0, 64, 0, 1};
    ASSERT_EQ(aw->Set3dOptions(&o), 1);
    IDirect3DRMFrame2* oldCamera = aw->Get3dCameraFrame();
    oldCamera->AddRef();
    oldCamera->SetPosition(nullptr, 0, 0, 7);
    // The options in force are applied to the new device; the new camera
    // starts afresh for the host to set up.
    // Choosing a device re-creates it too.
    host.calls.clear();
    const GUID guid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(aw->Set3dDevice(&guid), 1);
    EXPECT_EQ(host.Count(svcaw3dDevice), 1);
    ASSERT_NE(aw->Get3dDevice(), nullptr);
    EXPECT_EQ(aw->Get3dDevice()->GetQuality(), 64u);
    EXPECT_EQ(aw->Get3dDevice()->GetDither(), TRUE);
    D3DVECTOR p{};
    aw->Get3dCameraFrame()->GetPosition(nullptr, &p);
    EXPECT_EQ(p.z, 0.0f);
    oldCamera->Release();
    EXPECT_EQ(aw->Set3dDevice(nullptr), 1);
}

TEST_F(Anim3dTest, FloorPointsRoundTripBetweenFrameAndScreen)
{
    ASSERT_EQ(aw->Enable3d(1), 1);
    IDirect3DRMFrame2* root = aw->Get3dRootFrame();
    IDirect3DRMFrame2* camera = aw->Get3dCameraFrame();
    // The camera above the floor, looking down at it at a slant.
    camera->SetPosition(root, 0, 10, -10);
    camera->SetOrientation(root, 0, -1, 1, 0, 1, 1);
    IDirect3DRMFrame2* floor = nullptr;
    ASSERT_EQ(Display->GetDirect3d()->CreateFrame(root, &floor), D3DRM_OK);
    floor->SetPosition(root, 3, 0, 2);

    long sx = 0, sy = 0;
    ASSERT_EQ(aw->FrameToScreen(floor, 1.5f, 0, 4.0f, &sx, &sy), 1);
    EXPECT_GT(sx, kWidth / 2); // right of the camera's line
    float x = 0, y = 1, z = 0;
    ASSERT_EQ(aw->ScreenToFrame(floor, &x, &y, &z, 0.0f, 1.0f, sx, sy), 1);
    EXPECT_EQ(y, 0.0f);
    // Pixels are whole numbers: the point comes back within a pixel's reach.
    EXPECT_NEAR(x, 1.5f, 0.3f);
    EXPECT_NEAR(z, 4.0f, 0.3f);

    // The camera's own position has w = 0: the unprojected values come back.
    ASSERT_EQ(aw->FrameToScreen(camera, 0, 0, 0, &sx, &sy), 1);
    D3DRMVECTOR4D raw{};
    D3DVECTOR world{};
    const D3DVECTOR origin{0, 0, 0};
    camera->Transform(&world, &origin);
    aw->Get3dViewport()->Transform(&raw, &world);
    EXPECT_EQ(sx, static_cast<long>(raw.x));
    EXPECT_EQ(sy, static_cast<long>(raw.y));

    // A ray parallel to the floor answers the point at the first depth.
    camera->SetPosition(root, 0, 0, 0);
    camera->SetOrientation(root, 0, 0, 1, 0, 1, 0);
    ASSERT_EQ(aw->ScreenToFrame(root, &x, &y, &z, 0.0f, 1.0f, kWidth / 2, kHeight / 2), 1);
    EXPECT_NEAR(y, 0.0f, 1e-4);
    EXPECT_NEAR(z, aw->Get3dViewport()->GetFront(), 1e-3);
    floor->Release();
}

TEST_F(Anim3dTest, TheSceneIsComposedUnderNearerObjectsAndOverDeeperOnes)
{
    ASSERT_EQ(aw->Enable3d(1), 1);
    if (!GlRenderIsInstalled())
        GTEST_SKIP() << "No OpenGL renderer here: " << GlRenderGetError();
    Unlit();
    IDirect3DRMFrame2* root = aw->Get3dRootFrame();
    IDirect3DRMFrame2* square = AddSquare(root, 0, 0, 10, 1.0f, 0xFFFF0000);
    long sx = 0, sy = 0;
    ASSERT_EQ(aw->FrameToScreen(square, 0, 0, 0, &sx, &sy), 1);
    EXPECT_EQ(sx, kWidth / 2);
    EXPECT_EQ(sy, kHeight / 2);

    auto blue = std::unique_ptr<GRAPHIC>(SolidGraphic(10, 10, RGB(0, 0, 255)));
    ANIMOBJECT deep(aw, 40000, blue.get(), 0);
    deep.SetPosition(sx - 5, sy - 5);
    aw->RenderFrame();
    EXPECT_EQ(Shown(sx, sy), 0xFF0000u);
    EXPECT_EQ(Shown(3, 3), 0u);

    auto green = std::unique_ptr<GRAPHIC>(SolidGraphic(6, 6, RGB(0, 255, 0)));
    ANIMOBJECT label(aw, 100, green.get(), 0);
    label.SetPosition(sx - 3, sy - 3);
    aw->RenderFrame();
    EXPECT_EQ(Shown(sx, sy), 0x00FF00u);
    EXPECT_EQ(Shown(sx + 5, sy), 0xFF0000u);

    // The scene is drawn anew every frame, even when no 2D object changed.
    square->SetPosition(root, 2, 0, 10);
    long nx = 0, ny = 0;
    ASSERT_EQ(aw->FrameToScreen(square, 0, 0, 0, &nx, &ny), 1);
    aw->RenderFrame();
    EXPECT_EQ(Shown(nx, ny), 0xFF0000u);
    EXPECT_EQ(Shown(sx - 6, sy), 0u);
    aw->RenderFrame();
    EXPECT_EQ(Shown(nx, ny), 0xFF0000u);
}

TEST_F(Anim3dTest, ChangingTheVideoModeWith3dOnMakesTheSceneAnewAndReturns)
{
    ASSERT_EQ(aw->Enable3d(1), 1);
    // Touches left from the blitting mode are still waiting for a frame
    // when the mode changes to flipping.
    aw->Touch(nullptr, 0);
    host.calls.clear();
    ASSERT_EQ(Display->SetVideoMode(640, 480, 32, amFlip), 1);
    EXPECT_EQ(host.Count(svcaw3dDevice), 1);
    EXPECT_EQ(host.Count(svcawVideoMode), 1);
    ASSERT_NE(aw->Get3dViewport(), nullptr);
    EXPECT_EQ(aw->Get3dViewport()->GetWidth(), 640u);
    EXPECT_EQ(aw->Get3dViewport()->GetHeight(), 480u);
    aw->RenderFrame();
    RECT rc{};
    aw->Get3dObject()->GetRect(&rc);
    EXPECT_EQ(rc.right - rc.left, 640);
    EXPECT_EQ(rc.bottom - rc.top, 480);

    // And back to blitting in the desktop's mode, and once more to flipping.
    ASSERT_EQ(Display->RestoreVideoMode(), 1);
    aw->Touch(nullptr, 0);
    ASSERT_EQ(Display->SetVideoMode(800, 600, 16, amFlipTriple), 1);
    aw->RenderFrame();
    EXPECT_EQ(aw->Get3dViewport()->GetWidth(), 800u);
}
