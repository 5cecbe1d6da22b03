// Shared helpers of the OpenGL renderer tests: a scene with a camera at the
// origin looking along +z, a viewport and pixel checks against the CPU
// projection. Tests are skipped, with the reason, where no OpenGL context can
// be made.
#pragma once

#include "platform/d3drm/rmmath.h"
#include "platform/glrender/glrender.h"
#include "scene_support.h"

#include <cmath>
#include <cstdint>
#include <vector>

struct PIXELRGB {
    int r, g, b;
};
inline PIXELRGB RgbOf(std::uint32_t pixel)
{
    return PIXELRGB{static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
               static_cast<int>(pixel & 0xFF)};
}

#define EXPECT_RGB_NEAR(pixel, er, eg, eb, tol)                                                                        \
    do {                                                                                                               \
        const PIXELRGB c_ = RgbOf(pixel);                                                                                   \
        EXPECT_NEAR(c_.r, (er), (tol)) << "red";                                                                       \
        EXPECT_NEAR(c_.g, (eg), (tol)) << "green";                                                                     \
        EXPECT_NEAR(c_.b, (eb), (tol)) << "blue";                                                                      \
    } while (0)

class GlTest : public SceneTest {
protected:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;
    static constexpr std::uint32_t kBackground = 0x000020C0; // the scene's background, a dark blue

    void SetUp() override
    {
        SceneTest::SetUp();
        if (!GlRenderInstall())
            GTEST_SKIP() << "No OpenGL 3.3 context in this environment: " << GlRenderGetError();
        scene = NewFrame(nullptr);
        camera = NewFrame(scene);
        ASSERT_EQ(rm->CreateDevice(kWidth, kHeight, &device), S_OK);
        ASSERT_EQ(device->SetQuality(D3DRMRENDER_GOURAUD), S_OK);
        ASSERT_EQ(rm->CreateViewport(device, camera, 0, 0, kWidth, kHeight, &viewport), S_OK);
        scene->SetSceneBackground(0xFF000000 | kBackground);
        pixels.assign(static_cast<size_t>(kWidth) * kHeight, 0);
    }

    void TearDown() override
    {
        for (IDirect3DRMObject* o : owned)
            o->Release();
        if (viewport)
            viewport->Release();
        if (device)
            device->Release();
        if (camera)
            camera->Release();
        if (scene)
            scene->Release();
        GlRenderUninstall();
        SceneTest::TearDown();
    }

    // A frame below the scene at a position, kept until the test ends.
    IDirect3DRMFrame2* Place(D3DVALUE x, D3DVALUE y, D3DVALUE z)
    {
        IDirect3DRMFrame2* f = NewFrame(scene);
        f->SetPosition(scene, x, y, z);
        owned.push_back(f);
        return f;
    }

    // Shows a visual in a frame; the test keeps its own reference.
    template <class T> T* Show(IDirect3DRMFrame2* frame, T* visual)
    {
        EXPECT_EQ(frame->AddVisual(visual), S_OK);
        owned.push_back(visual);
        return visual;
    }

    IDirect3DRMLight* AddLight(IDirect3DRMFrame2* frame, D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b)
    {
        IDirect3DRMLight* light = nullptr;
        EXPECT_EQ(rm->CreateLightRGB(type, r, g, b, &light), S_OK);
        frame->AddLight(light);
        owned.push_back(light);
        return light;
    }

    // A cube of the given half size around its frame's origin, every face
    // clockwise seen from outside.
    IDirect3DRMMesh* NewCube(D3DVALUE h, D3DCOLOR color)
    {
        IDirect3DRMMeshBuilder* builder = nullptr;
        EXPECT_EQ(rm->CreateMeshBuilder(&builder), S_OK);
        using rmmath::Vec;
        // Outward normal, then in-plane axes u and v with u x v = -normal.
        const D3DVECTOR sides[6][3] = {
            {Vec(0, 0, -1), Vec(1, 0, 0), Vec(0, 1, 0)}, {Vec(0, 0, 1), Vec(0, 1, 0), Vec(1, 0, 0)},
            {Vec(1, 0, 0), Vec(0, 0, 1), Vec(0, 1, 0)},  {Vec(-1, 0, 0), Vec(0, 1, 0), Vec(0, 0, 1)},
            {Vec(0, 1, 0), Vec(1, 0, 0), Vec(0, 0, 1)},  {Vec(0, -1, 0), Vec(0, 0, 1), Vec(1, 0, 0)}};
        for (const auto& side : sides) {
            IDirect3DRMFace* face = nullptr;
            EXPECT_EQ(builder->CreateFace(&face), S_OK);
            const D3DVECTOR c = rmmath::Mul(side[0], h), u = rmmath::Mul(side[1], h), v = rmmath::Mul(side[2], h);
            for (const D3DVECTOR& p : {rmmath::Sub(rmmath::Sub(c, u), v), rmmath::Add(rmmath::Sub(c, u), v),
                                       rmmath::Add(rmmath::Add(c, u), v), rmmath::Sub(rmmath::Add(c, u), v)})
                face->AddVertex(p.x, p.y, p.z);
            face->Release();
        }
        builder->SetColor(color);
        IDirect3DRMMesh* mesh = nullptr;
        EXPECT_EQ(builder->CreateMesh(&mesh), S_OK);
        builder->Release();
        return mesh;
    }

    // A square facing the camera, of half size h in x and y, around its frame's
    // origin, with texture coordinates (0, 0) at its top left and (1, 1) at its
    // bottom right.
    IDirect3DRMMesh* NewSquare(D3DVALUE h, D3DCOLOR color, IDirect3DRMTexture* texture = nullptr)
    {
        IDirect3DRMMeshBuilder* builder = nullptr;
        EXPECT_EQ(rm->CreateMeshBuilder(&builder), S_OK);
        IDirect3DRMFace* face = nullptr;
        EXPECT_EQ(builder->CreateFace(&face), S_OK);
        const D3DVALUE corners[4][4] = {{-h, -h, 0, 1}, {-h, h, 0, 0}, {h, h, 1, 0}, {h, -h, 1, 1}};
        for (DWORD i = 0; i < 4; ++i) {
            face->AddVertex(corners[i][0], corners[i][1], 0);
            face->SetTextureCoordinates(i, corners[i][2], corners[i][3]);
        }
        face->SetColor(color);
        if (texture)
            face->SetTexture(texture);
        face->Release();
        IDirect3DRMMesh* mesh = nullptr;
        EXPECT_EQ(builder->CreateMesh(&mesh), S_OK);
        builder->Release();
        return mesh;
    }

    // Renders the camera's scene into the pixel buffer.
    void Draw() { ASSERT_EQ(GlRenderViewport(viewport, {pixels.data(), kWidth, kHeight, kWidth}, 0, 0), S_OK); }

    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * kWidth + x]; }

    // Where the viewport's own projection puts a point of a frame.
    POINT Project(IDirect3DRMFrame2* frame, D3DVALUE x, D3DVALUE y, D3DVALUE z) const
    {
        D3DVECTOR local = rmmath::Vec(x, y, z), world;
        frame->Transform(&world, &local);
        D3DRMVECTOR4D screen;
        viewport->Transform(&screen, &world);
        return POINT{static_cast<LONG>(std::floor(screen.x / screen.w)),
                     static_cast<LONG>(std::floor(screen.y / screen.w))};
    }
    std::uint32_t AtPoint(const POINT& p) const { return At(p.x, p.y); }

    IDirect3DRMFrame2* scene = nullptr;
    IDirect3DRMFrame2* camera = nullptr;
    IDirect3DRMDevice2* device = nullptr;
    IDirect3DRMViewport* viewport = nullptr;
    std::vector<IDirect3DRMObject*> owned;
    std::vector<std::uint32_t> pixels;
};
