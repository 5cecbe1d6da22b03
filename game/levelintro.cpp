#include "game/levelintro.h"

#include "game/field.h"
#include "game/game.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "render/scene.h"
#include "render/visual.h"
#include "sound/dxsound.h"

#include <algorithm>

namespace {

LEVELINTRO& LI() { return g.LevelIntro; }

void FreeFlakes()
{
    for (VISUAL*& flake : LI().aFlakes) {
        FreeVisual(flake);
        flake = nullptr;
    }
}

// One unit of draw in x or z, kept at least 0.5 away from the camera's path.
float FlakeOffset(int r)
{
    const float d = static_cast<float>(r % 50) * 0.1f - 2.0f;
    return d >= 0 ? d + 0.5f : d - 0.5f;
}

void MakeFlakes()
{
    const D3DVECTOR& source = g.Render.vecCameraSource;
    for (VISUAL*& flake : LI().aFlakes) {
        const int r1 = crt::rand();
        const int r2 = crt::rand();
        const int r3 = crt::rand();
        flake = MakeTriangle(source.x + FlakeOffset(r1), static_cast<float>(r2 % 995 + 5), source.z + FlakeOffset(r3),
                             0.05f, 0);
        ShowVisual(flake, g.Render.pFramePrimary);
    }
}

void EnterStep(LONG step)
{
    LEVELINTRO& li = LI();
    ACTIVEPUZZLE& ap = g.ActivePuzzle;
    RENDER& r = g.Render;
    li.lStep = step;
    switch (step) {
    case 1: {
        const float half = static_cast<float>(ap.Puzzle.lLength) / 2.0f;
        r.vecCameraSourceGoal = {0, 50, -half};
        r.vecCameraTargetGoal = {0, -10, -half};
        ap.fSourceStep = 2;
        ap.fTargetStep = 2;
        break;
    }
    case 2: li.dwPauseStart = GetTickCount(); break;
    case 3:
        ap.fSourceStep = 0;
        li.fFall = 0.5f;
        break;
    case 4:
        li.bActive = TRUE;
        r.vecCameraSource.y = 1000;
        SetUpField();
        SetMinesRemaining(ap.Puzzle.lMines);
        ApplyAmbientLight(5);
        MakeFlakes();
        PlayGameSound(sndFly, false, true);
        break;
    case 5:
        ap.fSourceStep = 2;
        ap.fTargetStep = 2;
        FreeFlakes();
        break;
    }
}

// The dive of steps 3 and 4: faster each frame, up to 25 units.
void Fall()
{
    LEVELINTRO& li = LI();
    li.fFall = std::min(li.fFall + 0.3f, 25.0f);
    g.Render.vecCameraSource.y -= li.fFall;
    StepCamera();
}

void Leave()
{
    PlayGameSound(sndLand, false, true);
    StopGameSound(sndFly);
    ShowField();
    FreeFlakes();
    LI() = LEVELINTRO{};
    g.ActivePuzzle.fSourceStep = 0.08f;
    g.ActivePuzzle.fTargetStep = 0.04f;
}

}  // namespace

void StartLevelIntro()
{
    FreeFlakes();
    LI() = LEVELINTRO{};
    g.lGameState = gsLevelIntro;
    EnterStep(1);
}

void StepLevelIntro()
{
    LEVELINTRO& li = LI();
    if (li.lStep == 0 || g.lGameState == gsPaused)
        return;
    if (g.lGameState != gsLevelIntro) {
        Leave();
        return;
    }
    switch (li.lStep) {
    case 1:
        if (!StepCamera())
            EnterStep(2);
        break;
    case 2:
        if (GetTickCount() - li.dwPauseStart >= 500)
            EnterStep(3);
        break;
    case 3:
        Fall();
        if (g.Render.vecCameraSource.y < -5)
            EnterStep(4);
        break;
    case 4:
        Fall();
        if (g.Render.vecCameraSource.y < 50)
            EnterStep(5);
        break;
    case 5:
        // Play begins with the field shown in the same frame, so that the
        // game step sees the cubes growing rather than the set-up value.
        if (!AimCameraForState(gsLevelIntro, g.Avatar.X, g.Avatar.Z)) {
            g.lGameState = gsPlaying;
            Leave();
        }
        break;
    }
}

void AbandonLevelIntro()
{
    FreeFlakes();
    LI() = LEVELINTRO{};
}
