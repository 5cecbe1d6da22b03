#include "render/scene.h"

#include "anim/lasterror.h"
#include "game/game.h"
#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/rmmath.h"

#include <cmath>

namespace {

constexpr float kCameraLightGrey[3] = {0.5f, 0.3f, 0.3f};

// Drops one reference and clears the pointer.
template <class T> void Drop(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// Takes a frame out of its parent and drops the reference held here.
void DropFrame(IDirect3DRMFrame2*& frame)
{
    if (!frame)
        return;
    if (IDirect3DRMFrame2* parent = frame->GetParentFrame())
        parent->DeleteChild(frame);
    Drop(frame);
}

IDirect3DRMFrame2** CameraLightFrame(int i)
{
    RENDER& r = g.Render;
    IDirect3DRMFrame2** frames[3] = {&r.pFrameCameraLight, &r.pFrameCameraLight2, &r.pFrameCameraLight3};
    return frames[i];
}

IDirect3DRMLight** CameraLight(int i)
{
    RENDER& r = g.Render;
    IDirect3DRMLight** lights[3] = {&r.pLightCamera, &r.pLightCamera2, &r.pLightCamera3};
    return lights[i];
}

} // namespace

bool InitSceneFrames(IDirect3DRM2* pd3d, IDirect3DRMFrame2* root, IDirect3DRMFrame2* camera, bool fCameraLights)
{
    ReleaseSceneFrames();
    RENDER& r = g.Render;
    if (!ZASSERT(pd3d, "render") || !ZASSERT(root, "render") || !ZASSERT(camera, "render"))
        return false;
    r.pd3d = pd3d;
    r.pFrameRoot = root;
    r.pFrameCamera = camera;
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        IDirect3DRMFrame2** frame = CameraLightFrame(i);
        ok = ok && SUCCEEDED(pd3d->CreateFrame(camera, frame));
        if (*frame)
            (*frame)->SetPosition(camera, kCameraLightPositions[i][0], kCameraLightPositions[i][1],
                                  kCameraLightPositions[i][2]);
    }
    // The shared material of textured cubes: a small, sharp highlight and a
    // faint glow of its own.
    if (ok && SUCCEEDED(pd3d->CreateMaterial(150.0f, &r.pMaterial))) {
        r.pMaterial->SetEmissive(0.2f, 0.2f, 0.2f);
        r.pMaterial->SetSpecular(0.1f, 0.1f, 0.1f);
    } else {
        ok = false;
    }
    ok = ok && SUCCEEDED(pd3d->CreateFrame(root, &r.pFramePrimary));
    r.fAmbient = 1.0f;
    const float ambient = r.fAmbient * 0.01f;
    ok = ok && SUCCEEDED(pd3d->CreateLightRGB(D3DRMLIGHT_AMBIENT, ambient, ambient, ambient, &r.pLightAmbient));
    if (!ok) {
        ReleaseSceneFrames();
        return false;
    }
    r.pFramePrimary->AddLight(r.pLightAmbient);
    SetCameraLights(fCameraLights);
    r.pFramePrimary->SetPosition(root, 0, 0, 0);
    return true;
}

void ReleaseSceneFrames()
{
    RENDER& r = g.Render;
    SetCameraLights(false);
    for (int i = 0; i < 3; ++i)
        DropFrame(*CameraLightFrame(i));
    Drop(r.pMaterial);
    if (r.pLightAmbient && r.pFramePrimary)
        r.pFramePrimary->DeleteLight(r.pLightAmbient);
    Drop(r.pLightAmbient);
    DropFrame(r.pFramePrimary);
    r.pd3d = nullptr;
    r.pFrameRoot = nullptr;
    r.pFrameCamera = nullptr;
}

void ReleaseSceneTextures()
{
    for (IDirect3DRMTexture*& texture : g.Render.aTextures)
        Drop(texture);
}

void SetCameraLights(bool fOn)
{
    RENDER& r = g.Render;
    for (int i = 0; i < 3; ++i) {
        IDirect3DRMLight*& light = *CameraLight(i);
        if (!light)
            continue;
        if (IDirect3DRMFrame2* frame = *CameraLightFrame(i))
            frame->DeleteLight(light);
        Drop(light);
    }
    if (!fOn || !ZASSERT(r.pd3d, "render"))
        return;
    for (int i = 0; i < 3; ++i) {
        IDirect3DRMFrame2* frame = *CameraLightFrame(i);
        if (!ZASSERT(frame, "render"))
            continue;
        IDirect3DRMLight*& light = *CameraLight(i);
        const float grey = kCameraLightGrey[i];
        if (SUCCEEDED(r.pd3d->CreateLightRGB(D3DRMLIGHT_POINT, grey, grey, grey, &light)))
            frame->AddLight(light);
    }
}

void ApplyAmbientLight(float)
{
    // The scene always applies its stored level; the passed level only marks
    // the change of screen.
    if (IDirect3DRMLight* light = g.Render.pLightAmbient) {
        const float v = g.Render.fAmbient * 0.01f;
        light->SetColorRGB(v, v, v);
    }
}

LONG TextureForKind(LONG kind)
{
    switch (kind) {
    case ckGray: return 1;
    case ckBlue: return 2;
    case ckBlack: return 3;
    case ckRed: return 4;
    case ckGreen: return 5;
    default: return 6;
    }
}

COLORREF RepresentativeColour(LONG texture)
{
    switch (texture) {
    case 1: return RGB(150, 163, 181);
    case 2: return RGB(137, 235, 255);
    case 3: return RGB(70, 70, 100);
    case 4: return RGB(162, 109, 124);
    case 5: return RGB(136, 201, 163);
    default: return 0;
    }
}

IDirect3DRMTexture* SceneTexture(LONG texture)
{
    return texture >= 1 && texture <= kTextureCount ? g.Render.aTextures[texture - 1] : nullptr;
}

LONG SceneTextureNumber(const IDirect3DRMTexture* texture)
{
    if (!texture)
        return 0;
    for (LONG n = 1; n <= kTextureCount; ++n)
        if (g.Render.aTextures[n - 1] == texture)
            return n;
    return 0;
}

namespace {

// Moves one axis by at most step towards its goal; true if it differed.
bool StepAxis(float& value, float goal, float step)
{
    if (value == goal)
        return false;
    if (std::fabs(goal - value) <= step)
        value = goal;
    else
        value += goal > value ? step : -step;
    return true;
}

} // namespace

bool StepCamera()
{
    RENDER& r = g.Render;
    const float ss = g.ActivePuzzle.fSourceStep, ts = g.ActivePuzzle.fTargetStep;
    bool moved = false;
    moved |= StepAxis(r.vecCameraSource.x, r.vecCameraSourceGoal.x, ss);
    moved |= StepAxis(r.vecCameraSource.y, r.vecCameraSourceGoal.y, ss);
    moved |= StepAxis(r.vecCameraSource.z, r.vecCameraSourceGoal.z, ss);
    StepAxis(r.vecCameraTarget.x, r.vecCameraTargetGoal.x, ts);
    StepAxis(r.vecCameraTarget.y, r.vecCameraTargetGoal.y, ts);
    StepAxis(r.vecCameraTarget.z, r.vecCameraTargetGoal.z, ts);
    return moved;
}

bool AimCameraForState(LONG state, float x, float z)
{
    RENDER& r = g.Render;
    if (state == gsDying && !g.fDyingRed) {
        r.vecCameraSourceGoal = {1.8f * x, 1.5f, z + 4};
        r.vecCameraTargetGoal = {0.9f * x, 1, z - 1};
    } else if (state == gsDying) {
        r.vecCameraSourceGoal = {0.7f * x, 0.2857143f, z - 4};
        r.vecCameraTargetGoal = {1.2f * x, 0.6666667f, z - 1};
    } else if (state == gsPuzzleWon) {
        r.vecCameraSourceGoal = {0.9f * x, 1, z - 2};
        r.vecCameraTargetGoal = {1.1f * x, 0, z + 4};
    } else {
        r.vecCameraSourceGoal = {3.5f * x, (1.5f + z / 15.0f) * 5.0f, z - (1.0f - 0.2f * z) * 4.0f};
        r.vecCameraTargetGoal = {1.1f * x, 0, z + 4.0f * (z * -0.0666667f)};
    }
    return StepCamera();
}

void PlaceCamera()
{
    using namespace rmmath;
    RENDER& r = g.Render;
    if (!ZASSERT(r.pFrameCamera, "render"))
        return;
    const D3DVECTOR dir = Normalize(Sub(r.vecCameraTarget, r.vecCameraSource));
    D3DVECTOR right = Cross(Normalize({0, 1, 1}), dir);
    right.y = 0;
    right = Normalize(right);
    const D3DVECTOR up = Normalize(Cross(dir, right));
    r.pFrameCamera->SetPosition(r.pFrameRoot, r.vecCameraSource.x, r.vecCameraSource.y, r.vecCameraSource.z);
    r.pFrameCamera->SetOrientation(r.pFrameRoot, dir.x, dir.y, dir.z, up.x, up.y, up.z);
}
