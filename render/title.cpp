#include "render/title.h"

#include "anim/animwin.h"
#include "anim/lasterror.h"
#include "game/game.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "platform/d3drm/d3drm.h"
#include "render/scene.h"
#include "render/visual.h"

namespace {

constexpr float kTwoPi = 6.28318531f;
// The letter tiles are textures 7 to 11.
constexpr LONG kFirstLetterTexture = 7;

TITLEINFO& T()
{
    return g.TitleInfo;
}

} // namespace

void StartTitleSpin(LONG turns, bool fFixedAxis)
{
    TITLEINFO& t = T();
    const DWORD now = GetTickCount();
    for (int i = 0; i < kTitleCubes; ++i) {
        t.aBits[i].dwStart = now;
        t.aBits[i].dwEnd = now + 3000 + 200 * static_cast<DWORD>(i);
    }
    t.lTurns = turns;
    t.dwNextSpin = now + 4000;
    if (fFixedAxis) {
        t.fAxisX = -1;
        t.fAxisY = 0;
        t.fAxisZ = 0;
    } else {
        t.fAxisX = static_cast<float>(crt::rand() % 2000) * 0.001f - 1;
        t.fAxisY = static_cast<float>(crt::rand() % 2000) * 0.001f - 1;
        t.fAxisZ = static_cast<float>(crt::rand() % 2000) * 0.001f - 1;
    }
}

void ShowTitleScene()
{
    TITLEINFO& t = T();
    RENDER& r = g.Render;
    if (t.bShown)
        return;
    if (!ZASSERT(r.pFrameCamera, "title") || !ZASSERT(r.pd3d, "title"))
        return;
    t.pFrameTitle = CreateFrame(r.pFrameCamera);
    t.pFrameLight = CreateFrame(r.pFrameCamera);
    SetFramePosition(t.pFrameTitle, 0, 1.8f, 10);
    SetFramePosition(t.pFrameLight, 0, -20, 0);
    if (SUCCEEDED(r.pd3d->CreateLightRGB(D3DRMLIGHT_POINT, 0.6f, 0.6f, 0.6f, &t.pLight)) && t.pFrameLight)
        t.pFrameLight->AddLight(t.pLight);
    for (int i = 0; i < kTitleCubes; ++i) {
        TITLEBIT& bit = t.aBits[i];
        bit.pFrame = CreateFrame(t.pFrameTitle);
        SetFramePosition(bit.pFrame, -2.8f + 1.4f * static_cast<float>(i), 0, 0);
        bit.pVisual = MakeTitleCube(0, 0, 0, kFirstLetterTexture + i);
        ShowVisual(bit.pVisual, bit.pFrame);
    }
    t.bShown = true;
    StartTitleSpin(2, true);
}

void HideTitleScene()
{
    TITLEINFO& t = T();
    if (!t.bShown)
        return;
    for (TITLEBIT& bit : t.aBits) {
        ShowVisual(bit.pVisual, nullptr);
        FreeVisual(bit.pVisual);
        ReleaseFrame(&bit.pFrame);
        bit = TITLEBIT{};
    }
    if (t.pLight) {
        if (t.pFrameLight)
            t.pFrameLight->DeleteLight(t.pLight);
        t.pLight->Release();
    }
    ReleaseFrame(&t.pFrameTitle);
    ReleaseFrame(&t.pFrameLight);
    t = TITLEINFO{};
}

void StepTitleScene()
{
    TITLEINFO& t = T();
    if (!t.bShown)
        return;
    const DWORD now = GetTickCount();
    const D3DVECTOR axis{t.fAxisX, t.fAxisY, t.fAxisZ};
    for (TITLEBIT& bit : t.aBits) {
        if (bit.dwStart == 0)
            continue;
        float p = static_cast<float>(now - bit.dwStart) / static_cast<float>(bit.dwEnd - bit.dwStart);
        if (p >= 1) {
            bit.dwStart = 0;
            p = 0;
        }
        // SetFrameRotated keeps the frame's place in pFrameTitle.
        SetFrameRotated(bit.pFrame, axis, static_cast<float>(t.lTurns) * kTwoPi * p);
    }
    // Tick counts wrap: "past" is a signed difference.
    if (static_cast<LONG>(now - t.dwNextSpin) > 0) {
        const int r1 = crt::rand();
        const int r2 = crt::rand();
        StartTitleSpin((r2 % 100) / 50 + 2, r1 % 10 > 3);
    }
}

void TitleSceneNewDevice()
{
    if (!T().bShown)
        return;
    HideTitleScene();
    ShowTitleScene();
}

int SceneWindowService(ANIMWINDOW* paw, int code)
{
    switch (code) {
    case svcaw3dDevice:
        if (paw && paw->fIs3dEnabled()) {
            RebuildScene();
            TitleSceneNewDevice();
        }
        break;
    case svcawBeginFrame: StepTitleScene(); break;
    default: break;
    }
    return 1;
}
