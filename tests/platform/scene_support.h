// Shared helpers of the scene-graph tests.
#pragma once

#include "platform/d3drm/d3drm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline constexpr float kPi = 3.14159265358979f;

#define EXPECT_VEC_NEAR(v, ex, ey, ez, tol)                                                                            \
    do {                                                                                                               \
        const D3DVECTOR v_ = (v);                                                                                      \
        EXPECT_NEAR(v_.x, (ex), (tol));                                                                                \
        EXPECT_NEAR(v_.y, (ey), (tol));                                                                                \
        EXPECT_NEAR(v_.z, (ez), (tol));                                                                                \
    } while (0)

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Direct3DRMCreate(&rm), S_OK); }
    void TearDown() override { rm->Release(); }

    IDirect3DRMFrame2* NewFrame(IDirect3DRMFrame2* parent)
    {
        IDirect3DRMFrame2* f = nullptr;
        EXPECT_EQ(rm->CreateFrame(parent, &f), S_OK);
        return f;
    }

    // A quad with corners given clockwise as seen from its front.
    IDirect3DRMMesh* NewQuad(const D3DVECTOR& a, const D3DVECTOR& b, const D3DVECTOR& c, const D3DVECTOR& d)
    {
        IDirect3DRMMeshBuilder* builder = nullptr;
        EXPECT_EQ(rm->CreateMeshBuilder(&builder), S_OK);
        IDirect3DRMFace* face = nullptr;
        EXPECT_EQ(builder->CreateFace(&face), S_OK);
        for (const D3DVECTOR& v : {a, b, c, d})
            face->AddVertex(v.x, v.y, v.z);
        face->Release();
        IDirect3DRMMesh* mesh = nullptr;
        EXPECT_EQ(builder->CreateMesh(&mesh), S_OK);
        builder->Release();
        return mesh;
    }

    IDirect3DRM2* rm = nullptr;
};

// A renderer that records what it is asked to do.
struct RecordingRenderer : D3DRMRENDERER {
    HRESULT Clear(IDirect3DRMViewport* viewport) override
    {
        calls.push_back("clear");
        viewports.push_back(viewport);
        return S_OK;
    }
    HRESULT Render(IDirect3DRMViewport*, IDirect3DRMFrame2* scene) override
    {
        calls.push_back("render");
        scenes.push_back(scene);
        return S_OK;
    }
    HRESULT ForceUpdate(IDirect3DRMViewport*, const RECT&) override
    {
        calls.push_back("force");
        return S_OK;
    }
    HRESULT Update(IDirect3DRMDevice2*) override
    {
        calls.push_back("update");
        return S_OK;
    }
    void Freed(IDirect3DRMObject* object) override { freed.push_back(object->GetId()); }

    std::vector<std::string> calls;
    std::vector<IDirect3DRMViewport*> viewports;
    std::vector<IDirect3DRMFrame2*> scenes;
    std::vector<std::uint64_t> freed;
};

// Installs a recording renderer for the life of the object.
struct ScopedRenderer {
    ScopedRenderer() { D3DRMSetRenderer(&renderer); }
    ~ScopedRenderer() { D3DRMSetRenderer(nullptr); }
    RecordingRenderer renderer;
};
