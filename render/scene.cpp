#include "render/scene.h"

#include "game/game.h"
#include "render/sceneplain.h"

#include <cmath>

void ApplyAmbientLight(float)
{
    // The scene always applies its stored level; the passed level only marks
    // the change of screen.
    if (g.Render.pLightAmbient) {
        const float v = g.Render.fAmbient * 0.01f;
        g.Render.pLightAmbient->colour = D3DRMCreateColorRGB(v, v, v);
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

namespace {

D3DVECTOR Sub(D3DVECTOR a, D3DVECTOR b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3DVECTOR Cross(D3DVECTOR a, D3DVECTOR b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
D3DVECTOR Normalise(D3DVECTOR v)
{
    const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return len > 0 ? D3DVECTOR{v.x / len, v.y / len, v.z / len} : v;
}

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

}  // namespace

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
    RENDER& r = g.Render;
    const D3DVECTOR dir = Normalise(Sub(r.vecCameraTarget, r.vecCameraSource));
    D3DVECTOR right = Cross(Normalise({0, 1, 1}), dir);
    right.y = 0;
    right = Normalise(right);
    const D3DVECTOR up = Normalise(Cross(dir, right));
    if (IDirect3DRMFrame2* f = r.pFrameCamera) {
        f->position = r.vecCameraSource;
        f->dir = dir;
        f->up = up;
    }
}
