#include "game/frame.h"

#include "game/flow.h"
#include "game/game.h"
#include "game/levelintro.h"
#include "input/controls.h"
#include "platform/clock/clock.h"
#include "render/scene.h"

void PlayFrameSteps()
{
    StepLevelIntro();
    // The input step: the controls during real play, then the camera follows
    // the figure; the start wait ends once the camera has settled.
    LONG state = g.lGameState;
    // A script that drives the figure (a solution being shown) leaves the
    // player's controls unread.
    if (state == gsPlaying && !g.fTutorial && !FlowSeams().pfnScriptStep)
        PollControls();
    state = g.lGameState;
    const bool fStill = state == gsDying || state == gsPuzzleStart || state == gsPuzzleWon;
    if (fStill)
        AvatarShowTarget(false, 0, 0);
    if (fStill || state == gsPlaying) {
        const bool fMoving = AimCameraForState(state, g.Avatar.X, g.Avatar.Z);
        if (state == gsPuzzleStart && !fMoving)
            g.ActivePuzzle.dwStateEnd = GetTickCount() - 1;
    }
    GameTick();
}

void PlayFrame()
{
    PlayFrameSteps();
    if (g.lGameState != gsStartup && g.Render.pFrameCamera)
        PlaceCamera();
}
