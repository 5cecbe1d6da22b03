// The OpenGL renderer draws where the CPU projection says, lights and shades
// as the device and the groups ask, and clips at the viewport's planes.
#include "gl_support.h"

#include <algorithm>

namespace {

class GlPicture : public GlTest {
protected:
    // A square of cells x cells quads facing the camera, made directly as a
    // mesh group with its own normals.
    IDirect3DRMMesh* NewGrid(D3DVALUE h, unsigned cells, D3DCOLOR color)
    {
        IDirect3DRMMesh* mesh = nullptr;
        EXPECT_EQ(rm->CreateMesh(&mesh), S_OK);
        const unsigned n = cells + 1;
        std::vector<D3DRMVERTEX> vertices;
        for (unsigned j = 0; j < n; ++j)
            for (unsigned i = 0; i < n; ++i) {
                const D3DVALUE x = -h + 2 * h * static_cast<D3DVALUE>(i) / static_cast<D3DVALUE>(cells);
                const D3DVALUE y = -h + 2 * h * static_cast<D3DVALUE>(j) / static_cast<D3DVALUE>(cells);
                vertices.push_back(D3DRMVERTEX{{x, y, 0}, {0, 0, -1}, 0, 0, 0xFFFFFFFF});
            }
        std::vector<unsigned> faces;
        for (unsigned j = 0; j < cells; ++j)
            for (unsigned i = 0; i < cells; ++i)
                faces.insert(faces.end(), {j * n + i, (j + 1) * n + i, (j + 1) * n + i + 1, j * n + i + 1});
        D3DRMGROUPINDEX group = -1;
        EXPECT_EQ(mesh->AddGroup(n * n, cells * cells, 4, faces.data(), &group), S_OK);
        mesh->SetVertices(group, 0, n * n, vertices.data());
        mesh->SetGroupColor(group, color);
        return mesh;
    }
};

TEST_F(GlPicture, LitCubeCoversThePixelsTheViewportProjects)
{
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    IDirect3DRMFrame2* frame = Place(0.4f, -0.3f, 7);
    frame->AddRotation(D3DRMCOMBINE_REPLACE, 1, 1, 0, 0.6f);
    frame->SetPosition(scene, 0.4f, -0.3f, 7);
    Show(frame, NewCube(1, 0xFFFFFFFF));
    Draw();

    const float h = 1;
    std::vector<POINT> corners;
    for (float x : {-h, h})
        for (float y : {-h, h})
            for (float z : {-h, h})
                corners.push_back(Project(frame, x, y, z));
    const POINT centre = Project(frame, 0, 0, 0);
    EXPECT_EQ(AtPoint(centre), 0x00FFFFFFu);

    // The outermost corners of the outline: just inside them the cube shows,
    // just outside the background does.
    const auto extreme = [&](auto key) { return *std::max_element(corners.begin(), corners.end(), key); };
    const POINT outline[] = {extreme([](POINT a, POINT b) { return a.x < b.x; }),
                             extreme([](POINT a, POINT b) { return a.x > b.x; }),
                             extreme([](POINT a, POINT b) { return a.y < b.y; }),
                             extreme([](POINT a, POINT b) { return a.y > b.y; })};
    for (const POINT& corner : outline) {
        const float dx = static_cast<float>(corner.x - centre.x), dy = static_cast<float>(corner.y - centre.y);
        const float len = std::sqrt(dx * dx + dy * dy);
        const auto step = [&](float d) {
            return POINT{corner.x + static_cast<LONG>(std::lround(dx / len * d)),
                         corner.y + static_cast<LONG>(std::lround(dy / len * d))};
        };
        SCOPED_TRACE(testing::Message() << "corner at " << corner.x << "," << corner.y);
        EXPECT_EQ(AtPoint(step(-3)), 0x00FFFFFFu);
        EXPECT_EQ(AtPoint(step(3)), kBackground);
    }
    EXPECT_EQ(At(0, 0), kBackground);
    EXPECT_EQ(At(kWidth - 1, kHeight - 1), kBackground);

    // Picking agrees with the picture.
    IDirect3DRMPickedArray* picked = nullptr;
    ASSERT_EQ(viewport->Pick(centre.x, centre.y, &picked), S_OK);
    EXPECT_EQ(picked->GetSize(), 1u);
    picked->Release();
    ASSERT_EQ(viewport->Pick(2, 2, &picked), S_OK);
    EXPECT_EQ(picked->GetSize(), 0u);
    picked->Release();
}

TEST_F(GlPicture, ViewportPictureLandsAtThePositionGivenAndIsClippedToTheTarget)
{
    // A viewport that starts at (20, 10) on its device.
    IDirect3DRMViewport* inner = nullptr;
    ASSERT_EQ(rm->CreateViewport(device, camera, 20, 10, 100, 80, &inner), S_OK);
    owned.push_back(inner);
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    IDirect3DRMFrame2* frame = Place(0.5f, 0.5f, 10);
    Show(frame, NewSquare(1.03f, 0xFFFF0000));

    constexpr std::uint32_t kUntouched = 0x00123456;
    constexpr int kPitch = 208, kTargetW = 200, kTargetH = 150;
    std::vector<std::uint32_t> target(static_cast<size_t>(kPitch) * kTargetH, kUntouched);
    ASSERT_EQ(GlRenderViewport(inner, {target.data(), kTargetW, kTargetH, kPitch}, 30, 40), S_OK);
    const auto at = [&](int x, int y) { return target[static_cast<size_t>(y) * kPitch + x]; };

    D3DVECTOR world = rmmath::Vec(0.5f, 0.5f, 10);
    D3DRMVECTOR4D screen;
    inner->Transform(&screen, &world);
    const int sx = static_cast<int>(screen.x / screen.w) - 20 + 30, sy = static_cast<int>(screen.y / screen.w) - 10 + 40;
    EXPECT_EQ(at(sx, sy), 0x00FF0000u);
    EXPECT_EQ(at(30, 40), kBackground);
    EXPECT_EQ(at(129, 119), kBackground);
    EXPECT_EQ(at(29, 40), kUntouched);
    EXPECT_EQ(at(130, 119), kUntouched);
    EXPECT_EQ(at(30, 120), kUntouched);
    EXPECT_EQ(at(kTargetW, 50), kUntouched) << "the pitch's padding";

    // Partly outside the target: only the overlap is written.
    std::fill(target.begin(), target.end(), kUntouched);
    ASSERT_EQ(GlReadViewport(inner, {target.data(), kTargetW, kTargetH, kPitch}, -60, 100), S_OK);
    EXPECT_EQ(at(0, 100), kBackground);
    EXPECT_EQ(at(39, 149), kBackground);
    EXPECT_EQ(at(40, 149), kUntouched);
    EXPECT_EQ(at(0, 99), kUntouched);
    ASSERT_EQ(GlReadViewport(inner, {target.data(), kTargetW, kTargetH, kPitch}, 500, 500), S_OK);

    EXPECT_EQ(GlReadViewport(inner, {target.data(), kTargetW, kTargetH, kTargetW - 1}, 0, 0), D3DRMERR_BADVALUE);
    EXPECT_EQ(GlReadViewport(inner, {nullptr, kTargetW, kTargetH, kPitch}, 0, 0), D3DRMERR_BADVALUE);
}

TEST_F(GlPicture, NothingIsReadBeforeTheViewportIsDrawnOrWithoutTheRenderer)
{
    std::vector<std::uint32_t> target(static_cast<size_t>(kWidth) * kHeight);
    EXPECT_EQ(GlReadViewport(viewport, {target.data(), kWidth, kHeight, kWidth}, 0, 0), D3DRMERR_NOTFOUND);
    // Through the scene graph's own calls.
    ASSERT_EQ(viewport->Clear(), S_OK);
    ASSERT_EQ(viewport->Render(scene), S_OK);
    ASSERT_EQ(device->Update(), S_OK);
    ASSERT_EQ(GlReadViewport(viewport, {target.data(), kWidth, kHeight, kWidth}, 0, 0), S_OK);
    EXPECT_EQ(target[0], kBackground);

    GlRenderUninstall();
    EXPECT_FALSE(GlRenderIsInstalled());
    EXPECT_EQ(GlRenderViewport(viewport, {target.data(), kWidth, kHeight, kWidth}, 0, 0), E_FAIL);
    EXPECT_STRNE(GlRenderGetError(), "");
    ASSERT_TRUE(GlRenderInstall());
    EXPECT_EQ(GlRenderGetStats().nViewports, 0u) << "uninstalling frees the framebuffers";
}

TEST_F(GlPicture, PointLightsTintTheSidesFacingThem)
{
    IDirect3DRMFrame2* frame = Place(0, 0, 6);
    frame->AddRotation(D3DRMCOMBINE_REPLACE, 0, 1, 0, kPi / 4);
    frame->SetPosition(scene, 0, 0, 6);
    Show(frame, NewCube(1, 0xFFFFFFFF));
    IDirect3DRMLight* red = AddLight(Place(-4, 0, 2), D3DRMLIGHT_POINT, 1, 0, 0);
    AddLight(Place(4, 0, 2), D3DRMLIGHT_POINT, 0, 1, 0);
    Draw();
    // The face that turned to the left (its local -z side) and the one that
    // turned to the right (its local +x side).
    const POINT left = Project(frame, 0, 0, -1), right = Project(frame, 1, 0, 0);
    ASSERT_LT(left.x, right.x);
    const PIXELRGB l = RgbOf(AtPoint(left)), r = RgbOf(AtPoint(right));
    EXPECT_GT(l.r, 200);
    EXPECT_LT(l.g, 10);
    EXPECT_GT(r.g, 200);
    EXPECT_LT(r.r, 10);
    EXPECT_EQ(l.b, 0);

    // Out of range, or weakened by distance, the red light gives less.
    red->SetQuadraticAttenuation(0.1f);
    Draw();
    const int attenuated = RgbOf(AtPoint(left)).r;
    EXPECT_LT(attenuated, l.r - 50);
    EXPECT_GT(attenuated, 20);
    red->SetRange(2);
    Draw();
    EXPECT_EQ(RgbOf(AtPoint(left)).r, 0);
}

TEST_F(GlPicture, MaterialsAddEmissiveAndSpecularLightAndLightsOffShowsTheColour)
{
    IDirect3DRMFrame2* frame = Place(0, 0, 5);
    IDirect3DRMMesh* square = Show(frame, NewGrid(1.5f, 8, 0xFF000000));
    IDirect3DRMMaterial* material = nullptr;
    ASSERT_EQ(rm->CreateMaterial(30, &material), S_OK);
    owned.push_back(material);
    material->SetEmissive(0, 0, 0.5f);
    material->SetSpecular(1, 0, 0);
    square->SetGroupMaterial(0, material);

    // Black, so all that shows is the material's own light.
    Draw();
    const POINT centre = Project(frame, 0, 0, 0), edge = Project(frame, 1.3f, 1.3f, 0);
    EXPECT_RGB_NEAR(AtPoint(centre), 0, 0, 128, 1);

    // A white light just in front: a red highlight in the middle only.
    AddLight(Place(0, 0, 3), D3DRMLIGHT_POINT, 1, 1, 1);
    Draw();
    EXPECT_GT(RgbOf(AtPoint(centre)).r, 200);
    EXPECT_LT(RgbOf(AtPoint(edge)).r, 60);
    EXPECT_EQ(RgbOf(AtPoint(centre)).g, 0);

    // With lights off the group's colour shows as it is.
    square->SetGroupColor(0, 0xFF40A060);
    device->SetQuality(D3DRMSHADE_GOURAUD | D3DRMLIGHT_OFF | D3DRMFILL_SOLID);
    Draw();
    EXPECT_RGB_NEAR(AtPoint(centre), 0x40, 0xA0, 0x60, 1);
    EXPECT_RGB_NEAR(AtPoint(edge), 0x40, 0xA0, 0x60, 1);
}

TEST_F(GlPicture, GouraudBlendsAcrossAFaceAndFlatLightsItOnce)
{
    IDirect3DRMFrame2* frame = Place(0, 0, 6);
    Show(frame, NewSquare(2, 0xFFFFFFFF));
    AddLight(Place(-2, 0, 5), D3DRMLIGHT_POINT, 1, 1, 1);
    const POINT left = Project(frame, -1.8f, 0, 0), right = Project(frame, 1.8f, 0, 0);

    Draw();
    EXPECT_GT(RgbOf(AtPoint(left)).r, RgbOf(AtPoint(right)).r + 40);

    // The device asks for flat shading: the lower quality wins.
    device->SetQuality(D3DRMRENDER_FLAT);
    Draw();
    EXPECT_EQ(AtPoint(left), AtPoint(right));
    EXPECT_GT(RgbOf(AtPoint(left)).r, 20);
}

TEST_F(GlPicture, WireframeDrawsTheEdgesOnlyAndPointsTheCorners)
{
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    IDirect3DRMFrame2* frame = Place(0, 0, 10);
    Show(frame, NewSquare(1.03f, 0xFFFFFFFF));
    const POINT centre = Project(frame, 0, 0, 0), topLeft = Project(frame, -1.03f, 1.03f, 0);
    const POINT bottomRight = Project(frame, 1.03f, -1.03f, 0);
    const auto nearLine = [&](int x0, int y0, int dx, int dy) {
        for (int k = -1; k <= 1; ++k)
            if (At(x0 + k * dx, y0 + k * dy) == 0x00FFFFFFu)
                return true;
        return false;
    };

    device->SetQuality(D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON | D3DRMFILL_WIREFRAME);
    Draw();
    EXPECT_EQ(AtPoint(centre), kBackground);
    EXPECT_TRUE(nearLine(topLeft.x, centre.y, 1, 0)) << "left side";
    EXPECT_TRUE(nearLine(bottomRight.x, centre.y, 1, 0)) << "right side";
    EXPECT_TRUE(nearLine(centre.x, topLeft.y, 0, 1)) << "top side";
    // The diagonal that splits the face into triangles is no edge.
    const int midX = (centre.x + topLeft.x) / 2, midY = (centre.y + bottomRight.y) / 2;
    for (int k = -1; k <= 1; ++k)
        EXPECT_EQ(At(midX + k, midY), kBackground) << k;

    device->SetQuality(D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON | D3DRMFILL_POINTS);
    Draw();
    EXPECT_EQ(AtPoint(topLeft), 0x00FFFFFFu);
    EXPECT_EQ(AtPoint(bottomRight), 0x00FFFFFFu);
    EXPECT_EQ(At(topLeft.x, centre.y), kBackground);
    EXPECT_EQ(AtPoint(centre), kBackground);
}

TEST_F(GlPicture, FrontAndBackPlanesClip)
{
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    IDirect3DRMFrame2* far = Place(0, 0, 50);
    Show(far, NewSquare(10, 0xFF00FF00));
    const POINT centre = Project(far, 0, 0, 0);

    viewport->SetBack(60);
    Draw();
    EXPECT_EQ(AtPoint(centre), 0x0000FF00u);
    viewport->SetBack(40);
    Draw();
    EXPECT_EQ(AtPoint(centre), kBackground);

    IDirect3DRMFrame2* near = Place(0, 0, 0.8f);
    Show(near, NewSquare(0.2f, 0xFFFF0000));
    viewport->SetBack(60);
    Draw();
    EXPECT_EQ(AtPoint(centre), 0x0000FF00u) << "nearer than the front plane";
    viewport->SetFront(0.5f);
    Draw();
    EXPECT_EQ(AtPoint(centre), 0x00FF0000u);
}

TEST_F(GlPicture, BackFacesAreNotDrawn)
{
    AddLight(scene, D3DRMLIGHT_AMBIENT, 1, 1, 1);
    IDirect3DRMFrame2* frame = Place(0, 0, 5);
    frame->AddRotation(D3DRMCOMBINE_REPLACE, 0, 1, 0, kPi);
    frame->SetPosition(scene, 0, 0, 5);
    Show(frame, NewSquare(1, 0xFFFFFFFF));
    Draw();
    EXPECT_EQ(AtPoint(Project(frame, 0, 0, 0)), kBackground);
}

} // namespace
