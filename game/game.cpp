#include "game/game.h"

#include "game/flow.h"

#include "sound/dxsound.h"

#include <cmath>

GAME g;

void AddScore(LONG points)
{
    if (g.lLevel == 0)
        return;
    g.lScore += points;
    if (g.lScore > g.lHighScore)
        g.lHighScore = g.lScore;
}

void DecreaseMinesRemaining()
{
    if (g.lMinesRemaining > 0)
        --g.lMinesRemaining;
}
void IncreaseMinesRemaining() { ++g.lMinesRemaining; }
void SetMinesRemaining(LONG n) { g.lMinesRemaining = n; }

void NewGameValues()
{
    g.lLives = 4;
    g.lLevel = 0;
    g.lPuzzle = 0;
    g.lScore = 0;
    g.lMinesRemaining = -1;
    g.lHighScore = g.Settings.lHighScore;
}

void ShowPuzzle(LONG level, LONG puzzle, LONG mines)
{
    g.lLevel = level;
    g.lPuzzle = puzzle;
    g.lMinesRemaining = mines;
    if (FlowSeams().pfnRefreshStatus)
        FlowSeams().pfnRefreshStatus();
}

void EditorStatus(LONG level, LONG puzzle)
{
    g.lLevel = level;
    g.lPuzzle = puzzle;
    g.ActivePuzzle.bTesting = FALSE;
    g.lLives = -1;
    g.lMinesRemaining = -1;
    if (FlowSeams().pfnRefreshStatus)
        FlowSeams().pfnRefreshStatus();
}

LONG CountDestructibleCubes()
{
    LONG n = 0;
    for (int z = 0; z < kMaxLength; ++z)
        for (int x = 0; x < kMaxWidth; ++x)
            if (IsDestructible(g.ActivePuzzle.aCubes[z][x].lKind))
                ++n;
    return n;
}

float SquareCentreX(LONG x) { return static_cast<float>(x) - static_cast<float>(g.ActivePuzzle.lWidth - 1) / 2.0f; }
float SquareCentreZ(LONG z) { return -(static_cast<float>(z) + 0.5f); }
LONG SceneToColumn(float X)
{
    return static_cast<LONG>(std::floor(X + static_cast<float>(g.ActivePuzzle.lWidth) / 2.0f));
}
LONG SceneToRow(float Z) { return static_cast<LONG>(std::floor(-Z)); }

void PlayGameSound(int id, bool fLoop, bool fEvenInTutorial)
{
    if (!g.Settings.fSound || (g.fTutorial && !fEvenInTutorial))
        return;
    if (SOUND* s = GameSound(id))
        s->Play(fLoop);
}

void StopGameSound(int id)
{
    if (SOUND* s = GameSound(id))
        s->Stop();
}
