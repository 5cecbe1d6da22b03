// The viewport's projection and picking, the device settings and the scene's
// tick.
#include "scene_support.h"

#include <cmath>

namespace {

class ViewportTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        ASSERT_EQ(rm->CreateDevice(640, 480, &device), S_OK);
        scene = NewFrame(nullptr);
        camera = NewFrame(scene);
        ASSERT_EQ(rm->CreateViewport(device, camera, 0, 0, 640, 480, &viewport), S_OK);
        ASSERT_EQ(viewport->SetBack(5000.0f), S_OK);
    }
    void TearDown() override
    {
        viewport->Release();
        camera->Release();
        scene->Release();
        device->Release();
        SceneTest::TearDown();
    }

    // Puts the camera at source looking at target, with up towards +y.
    void Aim(D3DVECTOR source, D3DVECTOR target)
    {
        camera->SetPosition(scene, source.x, source.y, source.z);
        ASSERT_EQ(camera->SetOrientation(scene, target.x - source.x, target.y - source.y, target.z - source.z, 0, 1, 0),
                  S_OK);
    }

    D3DVECTOR Screen(const D3DVECTOR& world)
    {
        D3DRMVECTOR4D h;
        EXPECT_EQ(viewport->Transform(&h, &world), S_OK);
        return D3DVECTOR{h.x / h.w, h.y / h.w, h.z / h.w};
    }

    // Pick results as (visual, group, face) for checking.
    struct HIT {
        IDirect3DRMVisual* visual;
        D3DRMPICKDESC desc;
        DWORD depth;
    };
    std::vector<HIT> PickAt(LONG x, LONG y)
    {
        IDirect3DRMPickedArray* picked = nullptr;
        EXPECT_EQ(viewport->Pick(x, y, &picked), S_OK);
        std::vector<HIT> hits;
        for (DWORD i = 0; i < picked->GetSize(); ++i) {
            HIT hit{};
            IDirect3DRMFrameArray* frames = nullptr;
            EXPECT_EQ(picked->GetPick(i, &hit.visual, &frames, &hit.desc), S_OK);
            hit.depth = frames->GetSize();
            frames->Release();
            hit.visual->Release(); // the mesh stays alive in its frame
            hits.push_back(hit);
        }
        picked->Release();
        return hits;
    }

    IDirect3DRMDevice2* device = nullptr;
    IDirect3DRMFrame2* scene = nullptr;
    IDirect3DRMFrame2* camera = nullptr;
    IDirect3DRMViewport* viewport = nullptr;
};

TEST_F(ViewportTest, ProjectionFollowsFieldAndClippingPlanes)
{
    EXPECT_FLOAT_EQ(viewport->GetField(), 0.5f);
    EXPECT_FLOAT_EQ(viewport->GetBack(), 5000.0f);
    // Straight ahead lands in the middle; half the field's width at distance
    // 1 reaches the right edge; y grows downwards.
    const float depth10 = Screen({0, 0, 10}).z;
    EXPECT_VEC_NEAR(Screen({0, 0, 10}), 320, 240, depth10, 1e-3f);
    EXPECT_VEC_NEAR(Screen({5, 0, 10}), 640, 240, depth10, 1e-3f);
    EXPECT_VEC_NEAR(Screen({0, 2.5f, 10}), 320, 80, depth10, 1e-3f);
    EXPECT_VEC_NEAR(Screen({-10, -5, 20}), 0, 400, Screen({0, 0, 20}).z, 1e-3f);
    EXPECT_NEAR(Screen({0, 0, 1}).z, 0, 1e-6f);
    EXPECT_NEAR(Screen({0, 0, 5000}).z, 1, 1e-6f);
    EXPECT_LT(Screen({0, 0, 10}).z, Screen({0, 0, 20}).z);

    ASSERT_EQ(viewport->SetField(1.0f), S_OK);
    EXPECT_NEAR(Screen({5, 0, 10}).x, 480, 1e-3f);
    EXPECT_EQ(viewport->SetField(0), D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport->SetFront(6000), D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport->SetFront(0), D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport->SetBack(1), D3DRMERR_BADVALUE);
    ASSERT_EQ(viewport->SetFront(0.5f), S_OK);
    EXPECT_NEAR(Screen({0, 0, 0.5f}).z, 0, 1e-6f);

    // A point at the camera has w = 0 and no screen place.
    D3DRMVECTOR4D h;
    const D3DVECTOR at{0, 0, 0};
    viewport->Transform(&h, &at);
    EXPECT_EQ(h.w, 0);
    D3DVECTOR out;
    EXPECT_EQ(viewport->InverseTransform(&out, &h), D3DRMERR_BADVALUE);
}

TEST_F(ViewportTest, TransformAndInverseTransformRoundTrip)
{
    Aim({0, 13.2f, -11.1f}, {0, 12.3f, -10.7f});
    for (const D3DVECTOR p :
         {D3DVECTOR{0, 0, -3}, D3DVECTOR{-2.5f, 0, -0.5f}, D3DVECTOR{2.9f, 1, -5.5f}, D3DVECTOR{0.3f, -1, -14}}) {
        D3DRMVECTOR4D h;
        ASSERT_EQ(viewport->Transform(&h, &p), S_OK);
        D3DVECTOR back;
        ASSERT_EQ(viewport->InverseTransform(&back, &h), S_OK);
        EXPECT_VEC_NEAR(back, p.x, p.y, p.z, 1e-3f);
        // The same through the divided form the library passes back in.
        const D3DRMVECTOR4D divided{h.x / h.w, h.y / h.w, h.z / h.w, 1};
        ASSERT_EQ(viewport->InverseTransform(&back, &divided), S_OK);
        EXPECT_VEC_NEAR(back, p.x, p.y, p.z, 1e-3f);
    }
    // Screen points at two depths lie on one ray from the camera.
    for (const float depth : {0.1f, 0.9f}) {
        const D3DRMVECTOR4D s{123, 321, depth, 1};
        D3DVECTOR world;
        ASSERT_EQ(viewport->InverseTransform(&world, &s), S_OK);
        EXPECT_VEC_NEAR(Screen(world), 123, 321, depth, 1e-2f);
    }

    // An offset viewport shifts the picture by its corner.
    IDirect3DRMViewport* inset = nullptr;
    ASSERT_EQ(rm->CreateViewport(device, camera, 100, 50, 320, 240, &inset), S_OK);
    D3DRMVECTOR4D h;
    D3DVECTOR ahead;
    const D3DVECTOR local{0, 0, 7};
    camera->Transform(&ahead, &local);
    inset->Transform(&h, &ahead);
    EXPECT_NEAR(h.x / h.w, 260, 1e-3f);
    EXPECT_NEAR(h.y / h.w, 170, 1e-3f);
    inset->Release();
    EXPECT_EQ(rm->CreateViewport(device, camera, 400, 0, 320, 240, &inset), D3DRMERR_BADVALUE);
}

TEST_F(ViewportTest, PickFindsTheFloorSquareUnderEveryCentre)
{
    // A 6 x 8 field as the floor builds it: square (c, r) spans x from
    // c - 3 to c - 2 and z from -r - 1 to -r, one face each, in row order.
    const int W = 6, L = 8;
    IDirect3DRMMeshBuilder* builder = nullptr;
    rm->CreateMeshBuilder(&builder);
    for (int r = 0; r < L; ++r)
        for (int c = 0; c < W; ++c) {
            const float x0 = -W / 2.0f + c, x1 = x0 + 1;
            IDirect3DRMFace* face = nullptr;
            builder->CreateFace(&face);
            face->AddVertex(x0, 0, -r - 1.0f);
            face->AddVertex(x0, 0, static_cast<float>(-r));
            face->AddVertex(x1, 0, static_cast<float>(-r));
            face->AddVertex(x1, 0, -r - 1.0f);
            face->Release();
        }
    IDirect3DRMMesh* floor = nullptr;
    builder->CreateMesh(&floor);
    builder->Release();
    IDirect3DRMFrame2* primary = NewFrame(scene);
    primary->AddVisual(floor);
    Aim({0, 13.2f, -11.1f}, {0, 12.3f, -10.7f});

    for (int r = 0; r < L; ++r)
        for (int c = 0; c < W; ++c) {
            const D3DVECTOR centre{c - (W - 1) / 2.0f, 0, -(r + 0.5f)};
            const D3DVECTOR s = Screen(centre);
            const auto hits = PickAt(static_cast<LONG>(s.x), static_cast<LONG>(s.y));
            ASSERT_EQ(hits.size(), 1u) << c << "," << r;
            EXPECT_EQ(hits[0].visual, floor);
            EXPECT_EQ(hits[0].desc.lGroupIdx, 0);
            EXPECT_EQ(hits[0].desc.ulFaceIdx, static_cast<ULONG>(r * W + c));
            EXPECT_NEAR(hits[0].desc.vPosition.y, 0, 1e-4f);
            EXPECT_NEAR(hits[0].desc.vPosition.x, centre.x, 0.1f);
            EXPECT_NEAR(hits[0].desc.vPosition.z, centre.z, 0.1f);
            EXPECT_EQ(hits[0].depth, 2u); // scene, primary
        }
    // Beside the field there is nothing.
    const D3DVECTOR outside = Screen({W / 2.0f + 0.5f, 0, -1});
    EXPECT_TRUE(PickAt(static_cast<LONG>(outside.x), static_cast<LONG>(outside.y)).empty());
    primary->Release();
    floor->Release();
}

TEST_F(ViewportTest, PickOrdersHitsNearestFirstAndSkipsWhatCannotBeSeen)
{
    // Two squares facing the camera (which looks along +z from the origin)
    // at z = 10 and z = 5, in frames of their own; the far one added first.
    auto facing = [&](float z) { return NewQuad({-1, -1, z}, {-1, 1, z}, {1, 1, z}, {1, -1, z}); };
    IDirect3DRMMesh* farQuad = facing(0);
    IDirect3DRMMesh* nearQuad = facing(0);
    IDirect3DRMFrame2* farFrame = NewFrame(scene);
    IDirect3DRMFrame2* group = NewFrame(scene);
    IDirect3DRMFrame2* nearFrame = NewFrame(group);
    farFrame->SetPosition(nullptr, 0, 0, 10);
    nearFrame->SetPosition(scene, 1.0f, 0, 5);
    farFrame->AddVisual(farQuad);
    nearFrame->AddVisual(nearQuad);

    // At screen x 330 the ray runs at x/z = 10/640, through both squares.
    auto hits = PickAt(330, 240);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].visual, nearQuad);
    EXPECT_EQ(hits[0].depth, 3u); // scene, group, its frame
    EXPECT_VEC_NEAR(hits[0].desc.vPosition, 5 * 10 / 640.0f, 0, 5, 1e-4f);
    EXPECT_EQ(hits[1].visual, farQuad);
    EXPECT_VEC_NEAR(hits[1].desc.vPosition, 10 * 10 / 640.0f, 0, 10, 1e-4f);

    // The near square covers x from 0 to 2 at z = 5, the far one x/z from
    // -0.1 to 0.1: at screen x 288 (x/z = -0.05) only the far one is there.
    hits = PickAt(288, 240);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].visual, farQuad);
    EXPECT_TRUE(PickAt(10, 10).empty());

    // Turned round, the near square shows its back and is not picked.
    nearFrame->AddRotation(D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi);
    hits = PickAt(330, 240);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].visual, farQuad);

    // Beyond the back plane nothing is picked; behind the camera neither.
    viewport->SetBack(8);
    EXPECT_TRUE(PickAt(330, 240).empty());
    camera->SetPosition(nullptr, 0, 0, 20);
    viewport->SetBack(5000);
    EXPECT_TRUE(PickAt(330, 240).empty());

    // The frame path reads from the root down.
    camera->SetPosition(nullptr, 0, 0, 0);
    IDirect3DRMPickedArray* picked = nullptr;
    viewport->Pick(320, 240, &picked);
    ASSERT_EQ(picked->GetSize(), 1u);
    IDirect3DRMFrameArray* frames = nullptr;
    ASSERT_EQ(picked->GetPick(0, nullptr, &frames, nullptr), S_OK);
    IDirect3DRMFrame2* f0 = nullptr;
    IDirect3DRMFrame2* f1 = nullptr;
    frames->GetElement(0, &f0);
    frames->GetElement(1, &f1);
    EXPECT_EQ(f0, scene);
    EXPECT_EQ(f1, farFrame);
    EXPECT_EQ(frames->GetElement(2, &f1), D3DRMERR_BADVALUE);
    f0->Release();
    farFrame->Release(); // the reference GetElement handed out
    frames->Release();
    EXPECT_EQ(picked->GetPick(1, nullptr, nullptr, nullptr), D3DRMERR_BADVALUE);
    picked->Release();

    nearFrame->Release();
    group->Release();
    farFrame->Release();
    nearQuad->Release();
    farQuad->Release();
}

TEST_F(ViewportTest, PickSeesMeshesInMovedAndSpinningFrames)
{
    // A unit box in a frame that turns a quarter per tick, seen from above.
    IDirect3DRMMeshBuilder* builder = nullptr;
    rm->CreateMeshBuilder(&builder);
    IDirect3DRMFace* top = nullptr;
    builder->CreateFace(&top);
    for (const D3DVECTOR& v : {D3DVECTOR{-0.5f, 0.5f, -0.5f}, D3DVECTOR{-0.5f, 0.5f, 0.5f}, D3DVECTOR{0.5f, 0.5f, 0.5f},
                               D3DVECTOR{0.5f, 0.5f, -0.5f}})
        top->AddVertex(v.x, v.y, v.z);
    top->Release();
    IDirect3DRMMesh* box = nullptr;
    builder->CreateMesh(&box);
    builder->Release();
    IDirect3DRMFrame2* frame = NewFrame(scene);
    frame->SetPosition(nullptr, 3, 0, 0);
    frame->AddVisual(box);
    frame->SetRotation(nullptr, 1, 0, 0, kPi / 2);
    Aim({3, 10, 0}, {3, 0, 0.001f});

    EXPECT_EQ(PickAt(320, 240).size(), 1u);
    scene->Move(1); // the top now faces -z, edge-on to the camera
    EXPECT_TRUE(PickAt(320, 240).empty());
    scene->Move(1); // upside down: the camera sees its back
    EXPECT_TRUE(PickAt(320, 240).empty());
    scene->Move(2);
    EXPECT_EQ(PickAt(320, 240).size(), 1u);
    frame->Release();
    box->Release();
}

TEST_F(ViewportTest, DeviceKeepsItsSettings)
{
    EXPECT_EQ(device->GetWidth(), 640u);
    EXPECT_EQ(device->GetHeight(), 480u);
    ASSERT_EQ(device->SetQuality(D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON | D3DRMFILL_SOLID), S_OK);
    EXPECT_EQ(device->GetQuality(), D3DRMRENDER_GOURAUD);
    EXPECT_EQ(device->SetQuality(D3DRMSHADE_PHONG + 1), D3DRMERR_BADVALUE);
    EXPECT_EQ(device->SetQuality(D3DRMFILL_SOLID + D3DRMFILL_WIREFRAME), D3DRMERR_BADVALUE);
    EXPECT_EQ(device->GetQuality(), D3DRMRENDER_GOURAUD);
    ASSERT_EQ(device->SetDither(5), S_OK);
    EXPECT_EQ(device->GetDither(), TRUE);
    ASSERT_EQ(device->SetTextureQuality(D3DRMTEXTURE_LINEAR), S_OK);
    EXPECT_EQ(device->GetTextureQuality(), D3DRMTEXTURE_LINEAR);
    EXPECT_EQ(device->SetTextureQuality(static_cast<D3DRMTEXTUREQUALITY>(6)), D3DRMERR_BADVALUE);
    ASSERT_EQ(device->SetShades(256), S_OK);
    EXPECT_EQ(device->GetShades(), 256u);
    EXPECT_EQ(device->SetShades(100), D3DRMERR_BADVALUE);
    ASSERT_EQ(device->SetRenderMode(D3DRMRENDERMODE_BLENDEDTRANSPARENCY | D3DRMRENDERMODE_SORTEDTRANSPARENCY), S_OK);
    EXPECT_EQ(device->GetRenderMode(), 3u);
    IDirect3DRMDevice2* none = nullptr;
    EXPECT_EQ(rm->CreateDevice(0, 480, &none), D3DRMERR_BADVALUE);
}

TEST_F(ViewportTest, ViewportHoldsItsCameraAndDevice)
{
    EXPECT_EQ(camera->GetRefCount(), 3u); // ours, the scene's, the viewport's
    EXPECT_EQ(device->GetViewports().size(), 1u);
    IDirect3DRMFrame2* other = NewFrame(scene);
    ASSERT_EQ(viewport->SetCamera(other), S_OK);
    EXPECT_EQ(camera->GetRefCount(), 2u);
    EXPECT_EQ(viewport->GetCameraFrame(), other);
    EXPECT_EQ(viewport->SetCamera(nullptr), D3DRMERR_BADOBJECT);
    viewport->SetCamera(camera);
    other->Release();

    IDirect3DRMViewport* second = nullptr;
    rm->CreateViewport(device, camera, 0, 0, 320, 240, &second);
    EXPECT_EQ(device->GetViewports().size(), 2u);
    second->Release();
    EXPECT_EQ(device->GetViewports().size(), 1u);
    EXPECT_EQ(device->GetRefCount(), 2u);
}

TEST_F(ViewportTest, TickMovesEachSceneOnceThenDraws)
{
    ScopedRenderer scoped;
    IDirect3DRMViewport* second = nullptr;
    rm->CreateViewport(device, camera, 0, 0, 320, 240, &second);
    IDirect3DRMFrame2* mover = NewFrame(scene);
    mover->SetVelocity(nullptr, 1, 0, 0);

    ASSERT_EQ(rm->Tick(1.0f), S_OK);
    D3DVECTOR p;
    mover->GetPosition(nullptr, &p);
    EXPECT_VEC_NEAR(p, 1, 0, 0, 0); // two viewports, one scene, one step
    EXPECT_EQ(scoped.renderer.calls, (std::vector<std::string>{"clear", "render", "clear", "render", "update"}));
    EXPECT_EQ(scoped.renderer.scenes, (std::vector<IDirect3DRMFrame2*>{scene, scene}));

    EXPECT_EQ(viewport->Render(nullptr), D3DRMERR_BADOBJECT);
    ASSERT_EQ(viewport->ForceUpdate(0, 0, 640, 480), S_OK);
    EXPECT_EQ(scoped.renderer.calls.back(), "force");
    EXPECT_EQ(viewport->ForceUpdate(10, 0, 5, 480), D3DRMERR_BADVALUE);

    mover->Release();
    second->Release();
}

TEST(SceneWithoutRenderer, DrawingSucceedsAndDrawsNothing)
{
    IDirect3DRM2* rm = nullptr;
    ASSERT_EQ(Direct3DRMCreate(&rm), S_OK);
    IDirect3DRMDevice2* device = nullptr;
    rm->CreateDevice(64, 64, &device);
    IDirect3DRMFrame2* camera = nullptr;
    rm->CreateFrame(nullptr, &camera);
    IDirect3DRMViewport* viewport = nullptr;
    rm->CreateViewport(device, camera, 0, 0, 64, 64, &viewport);
    EXPECT_EQ(rm->Tick(1), S_OK);
    EXPECT_EQ(viewport->Clear(), S_OK);
    EXPECT_EQ(device->Update(), S_OK);
    // The factory may go before the objects it made.
    EXPECT_EQ(rm->Release(), 0u);
    viewport->Release();
    camera->Release();
    EXPECT_EQ(device->Release(), 0u);
}

} // namespace
