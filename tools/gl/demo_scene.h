// The scene shared by the renderer's demo and benchmark: a chequered floor,
// rows of coloured cubes (some translucent), an ambient light and two point
// lights, seen from above and behind.
#pragma once

#include "platform/d3drm/d3drm.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

struct DEMOSCENE {
    IDirect3DRM2* pRM = nullptr;
    IDirect3DRMFrame2* pScene = nullptr;
    IDirect3DRMFrame2* pCamera = nullptr;
    IDirect3DRMDevice2* pDevice = nullptr;
    IDirect3DRMViewport* pViewport = nullptr;
    std::vector<IDirect3DRMFrame2*> aCubes;

    // columns x rows cubes on a floor, drawn at width x height.
    bool Build(int columns, int rows, DWORD width, DWORD height);
    void Release();
};

namespace demo_scene_detail {

// A cube of half size h, each face clockwise seen from outside.
inline IDirect3DRMMesh* Cube(IDirect3DRM2* rm, D3DVALUE h, D3DCOLOR color, IDirect3DRMMaterial* material)
{
    IDirect3DRMMeshBuilder* builder = nullptr;
    if (FAILED(rm->CreateMeshBuilder(&builder)))
        return nullptr;
    // Outward normal, then in-plane axes u and v with u x v = -normal.
    const D3DVECTOR sides[6][3] = {{{0, 0, -1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}},
                                   {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                                   {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {0, 0, 1}, {1, 0, 0}}};
    for (const auto& s : sides) {
        IDirect3DRMFace* face = nullptr;
        builder->CreateFace(&face);
        for (const auto& [a, b] : {std::pair{-1, -1}, {-1, 1}, {1, 1}, {1, -1}})
            face->AddVertex(h * (s[0].x + a * s[1].x + b * s[2].x), h * (s[0].y + a * s[1].y + b * s[2].y),
                            h * (s[0].z + a * s[1].z + b * s[2].z));
        face->Release();
    }
    builder->SetColor(color);
    builder->SetMaterial(material);
    IDirect3DRMMesh* mesh = nullptr;
    builder->CreateMesh(&mesh);
    builder->Release();
    return mesh;
}

} // namespace demo_scene_detail

inline bool DEMOSCENE::Build(int columns, int rows, DWORD width, DWORD height)
{
    using demo_scene_detail::Cube;
    if (FAILED(Direct3DRMCreate(&pRM)))
        return false;
    pRM->CreateFrame(nullptr, &pScene);
    pScene->SetSceneBackgroundRGB(0.15f, 0.18f, 0.25f);
    pRM->CreateFrame(pScene, &pCamera);
    pCamera->SetPosition(pScene, 0, 7, -12);
    pCamera->SetOrientation(pScene, 0, -0.5f, 1, 0, 1, 0);
    if (FAILED(pRM->CreateDevice(width, height, &pDevice)) ||
        FAILED(pRM->CreateViewport(pDevice, pCamera, 0, 0, width, height, &pViewport)))
        return false;
    pViewport->SetBack(100);
    pDevice->SetQuality(D3DRMRENDER_GOURAUD);
    pDevice->SetTextureQuality(D3DRMTEXTURE_LINEAR);
    pDevice->SetRenderMode(D3DRMRENDERMODE_BLENDEDTRANSPARENCY | D3DRMRENDERMODE_SORTEDTRANSPARENCY);

    // Lights: a dim ambient, a warm light above the middle, a cool one at the
    // left front.
    IDirect3DRMLight* light = nullptr;
    pRM->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.25f, 0.25f, 0.25f, &light);
    pScene->AddLight(light);
    light->Release();
    const struct {
        D3DVALUE x, y, z, r, g, b;
    } points[] = {{0, 5, 2, 1.0f, 0.9f, 0.7f}, {-6, 3, -4, 0.3f, 0.4f, 0.9f}};
    for (const auto& p : points) {
        IDirect3DRMFrame2* frame = nullptr;
        pRM->CreateFrame(pScene, &frame);
        frame->SetPosition(pScene, p.x, p.y, p.z);
        pRM->CreateLightRGB(D3DRMLIGHT_POINT, p.r, p.g, p.b, &light);
        light->SetRange(40);
        light->SetLinearAttenuation(0.08f);
        frame->AddLight(light);
        light->Release();
        frame->Release();
    }

    // The floor: a chequered texture on one large square.
    std::vector<D3DCOLOR> checks(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            checks[y * 64 + x] = ((x / 8 + y / 8) % 2) ? 0xFFD8D8D0 : 0xFF707880;
    const D3DRMIMAGE image{64, 64, checks.data()};
    IDirect3DRMTexture* texture = nullptr;
    pRM->CreateTexture(&image, &texture);
    IDirect3DRMMeshBuilder* builder = nullptr;
    pRM->CreateMeshBuilder(&builder);
    IDirect3DRMFace* face = nullptr;
    builder->CreateFace(&face);
    const D3DVALUE half = static_cast<D3DVALUE>(std::max(columns, rows)) * 0.9f + 2;
    const D3DVALUE corners[4][4] = {{-half, -half, 0, 4}, {-half, half, 0, 0}, {half, half, 4, 0}, {half, -half, 4, 4}};
    for (DWORD i = 0; i < 4; ++i) {
        face->AddVertex(corners[i][0], 0, corners[i][1]);
        face->SetTextureCoordinates(i, corners[i][2], corners[i][3]);
    }
    face->SetTexture(texture);
    face->Release();
    texture->Release();
    IDirect3DRMMesh* floor = nullptr;
    builder->CreateMesh(&floor);
    builder->Release();
    IDirect3DRMFrame2* floorFrame = nullptr;
    pRM->CreateFrame(pScene, &floorFrame);
    floorFrame->SetPosition(pScene, 0, 0, static_cast<D3DVALUE>(rows) * 0.9f);
    floorFrame->AddVisual(floor);
    floor->Release();
    floorFrame->Release();

    // The cubes, in five colours; every seventh one translucent.
    IDirect3DRMMaterial* material = nullptr;
    pRM->CreateMaterial(40, &material);
    material->SetSpecular(0.4f, 0.4f, 0.4f);
    const D3DCOLOR colours[] = {0xFFC03030, 0xFF30A040, 0xFF3050C0, 0xFFB0B0B0, 0xFF303030};
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int i = r * columns + c;
            D3DCOLOR colour = colours[i % 5];
            if (i % 7 == 3)
                colour = (colour & 0xFFFFFF) | 0x99000000;
            IDirect3DRMMesh* cube = Cube(pRM, 0.4f, colour, material);
            IDirect3DRMFrame2* frame = nullptr;
            pRM->CreateFrame(pScene, &frame);
            frame->SetPosition(pScene, (static_cast<D3DVALUE>(c) - static_cast<D3DVALUE>(columns - 1) / 2) * 1.8f,
                               0.4f + 0.25f * static_cast<D3DVALUE>(i % 3), static_cast<D3DVALUE>(r) * 1.8f);
            frame->SetRotation(nullptr, 0, 1, 0, 0.02f * static_cast<D3DVALUE>(1 + i % 4));
            frame->AddVisual(cube);
            cube->Release();
            aCubes.push_back(frame);
        }
    material->Release();
    return true;
}

inline void DEMOSCENE::Release()
{
    for (IDirect3DRMFrame2* frame : aCubes)
        frame->Release();
    aCubes.clear();
    if (pViewport)
        pViewport->Release();
    if (pDevice)
        pDevice->Release();
    if (pCamera)
        pCamera->Release();
    if (pScene)
        pScene->Release();
    if (pRM)
        pRM->Release();
    *this = DEMOSCENE{};
}
