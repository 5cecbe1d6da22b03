// A scene for the visual and camera tests: the game's frames set up on a
// scene graph of their own, a small field, textures that can be loaded, and
// a record of failed internal checks.
#pragma once

#include "anim/lasterror.h"
#include "game/game.h"
#include "platform/d3drm/d3drm.h"
#include "render/scene.h"
#include "render/visual.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#define EXPECT_VEC_NEAR(v, ex, ey, ez, tol)                                                                            \
    do {                                                                                                               \
        const D3DVECTOR v_ = (v);                                                                                      \
        EXPECT_NEAR(v_.x, (ex), (tol));                                                                                \
        EXPECT_NEAR(v_.y, (ey), (tol));                                                                                \
        EXPECT_NEAR(v_.z, (ez), (tol));                                                                                \
    } while (0)

inline std::vector<std::string>& FailedChecks()
{
    static std::vector<std::string> failed;
    return failed;
}

inline int RecordCheck(int fOK, const char* expression, const char*, unsigned long)
{
    if (!fOK)
        FailedChecks().push_back(expression ? expression : "");
    return fOK;
}

class RenderScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        FailedChecks().clear();
        ZephaneSetAssertFunction(RecordCheck);
        g = GAME{};
        SettingsDefaults(&g.Settings);
        ASSERT_EQ(Direct3DRMCreate(&rm), S_OK);
        ASSERT_EQ(rm->CreateFrame(nullptr, &root), S_OK);
        ASSERT_EQ(rm->CreateFrame(root, &camera), S_OK);
        ASSERT_TRUE(InitSceneFrames(rm, root, camera));
        g.ActivePuzzle.lWidth = 5;
        g.ActivePuzzle.lLength = 10;
    }

    void TearDown() override
    {
        ReleaseSceneFrames();
        ReleaseSceneTextures();
        camera->Release();
        root->Release();
        rm->Release();
        ZephaneSetAssertFunction(nullptr);
        EXPECT_TRUE(FailedChecks().empty()) << FailedChecks().front();
    }

    // Loads all twelve textures: tiny images of one colour each.
    void LoadTextures()
    {
        for (int i = 0; i < kTextureCount; ++i) {
            const D3DCOLOR pixels[4] = {0xFF000000u + static_cast<D3DCOLOR>(i), 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
            const D3DRMIMAGE image{2, 2, pixels};
            ASSERT_EQ(rm->CreateTexture(&image, &g.Render.aTextures[i]), S_OK);
        }
    }

    // A frame below pFramePrimary at a place, owned by the test.
    IDirect3DRMFrame2* FrameAt(float x, float y, float z)
    {
        IDirect3DRMFrame2* f = CreateFrame(g.Render.pFramePrimary);
        SetFramePosition(f, x, y, z);
        frames.push_back(f);
        return f;
    }

    void ReleaseFrames()
    {
        for (IDirect3DRMFrame2*& f : frames)
            ReleaseFrame(&f);
        frames.clear();
    }

    // The world positions of every vertex a visual shows.
    static std::vector<D3DVECTOR> WorldVertices(const VISUAL* v)
    {
        std::vector<D3DVECTOR> out;
        for (unsigned i = 0; i < v->pMesh->GetGroupCount(); ++i)
            for (const D3DRMVERTEX& vertex : v->pMesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(i))->aVertices) {
                D3DVECTOR w;
                v->pShowingIn->Transform(&w, &vertex.position);
                out.push_back(w);
            }
        return out;
    }

    IDirect3DRM2* rm = nullptr;
    IDirect3DRMFrame2* root = nullptr;
    IDirect3DRMFrame2* camera = nullptr;
    std::vector<IDirect3DRMFrame2*> frames;
};
