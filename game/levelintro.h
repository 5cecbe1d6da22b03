// The level introduction: a camera dive through a cloud of falling flakes
// onto the field of a new level, in five steps, after which play begins.
#pragma once

#include "platform/base/types.h"

struct VISUAL;

constexpr int kIntroFlakes = 100;

// Cleared to zero when the introduction ends.
struct LEVELINTRO {
    BOOL bActive;                    // the new field is set up and the flakes fall
    VISUAL* aFlakes[kIntroFlakes];
    LONG lStep;                      // 1 to 5; 0 = no introduction
    float fFall;                     // fall speed of the camera, units per frame
    DWORD dwPauseStart;
};

// Starts the introduction of the level whose puzzle is in
// g.ActivePuzzle.Puzzle: the state becomes gsLevelIntro at step 1.
void StartLevelIntro();
// Once per frame: advances the steps while the state is gsLevelIntro; once
// the state has left it (normally to gsPlaying at the end of step 5) the
// field is shown and the introduction is over. Nothing while paused.
void StepLevelIntro();
// The introduction is dropped (the game ended under it): its flakes are
// freed and its state cleared.
void AbandonLevelIntro();
