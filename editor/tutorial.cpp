#include "editor/tutorial.h"

#include "game/avatar.h"
#include "game/field.h"
#include "game/game.h"
#include "game/mines.h"
#include "levelfile/datafile.h"
#include "sound/dxsound.h"
#include "support/textres.h"

#include <cmath>
#include <cstdio>

namespace {

// Each element is (kind, a, b); every script ends with its tsEnd element and
// the rest of its 32 places stays empty (tsEnd too).
const TUTORIALSTEP kScripts[kTutorialPuzzles][kTutorialScriptLength] = {
    // Puzzle 1
    {{5, 77, 78}, {6, 0, 0}, {1, 3, 6},   {3, 1, 3},   {1, 1, 5}, {5, 79, 80}, {6, 1, 0}, {2, 0, 0},
     {3, 1, 4},   {1, 2, 6}, {3, 1, 5},   {5, 81, 82}, {6, 2, 0}, {4, 0, 0},   {3, 3, 6}, {1, 3, 7},
     {2, 0, 0},   {1, 4, 7}, {5, 83, 84}, {6, 3, 0},   {3, 3, 7}, {4, 0, 0},   {0, 0, 0}},
    // Puzzle 2
    {{5, 85, 86},
     {6, 4, 0},
     {3, 2, 4},
     {1, 2, 5},
     {2, 0, 0},
     {5, 87, 88},
     {6, 5, 0},
     {1, 1, 6},
     {3, 2, 5},
     {4, 0, 0},
     {3, 2, 4},
     {5, 89, 90},
     {6, 6, 0},
     {3, 2, 5},
     {4, 0, 0},
     {0, 0, 0}},
    // Puzzle 3
    {{5, 91, 92},
     {6, 7, 0},
     {3, 0, 3},
     {1, 0, 4},
     {2, 0, 0},
     {1, 1, 5},
     {3, 0, 4},
     {4, 0, 0},
     {3, 2, 5},
     {5, 93, 94},
     {6, 8, 0},
     {1, 2, 6},
     {2, 0, 0},
     {1, 1, 7},
     {3, 2, 6},
     {4, 0, 0},
     {3, 3, 7},
     {4, 0, 0},
     {0, 0, 0}},
    // Puzzle 4
    {{5, 95, 96}, {6, 9, 0}, {1, 1, 5}, {2, 0, 0}, {1, 1, 7}, {3, 1, 5}, {4, 0, 0}, {3, 1, 6},  {5, 97, 98}, {6, 10, 0},
     {1, 2, 7},   {1, 2, 6}, {2, 0, 0}, {1, 2, 7}, {3, 2, 6}, {4, 0, 0}, {3, 1, 6}, {6, 11, 0}, {4, 0, 0},   {0, 0, 0}},
};

TUTORIAL& T()
{
    return g.Tutorial;
}

// Esperanto is the language whose primary identifier is 0.
const char* LanguageCode()
{
    return (GetLanguage() & 0x3FF) == 0 ? "esp" : "eng";
}

void LoadNarration()
{
    for (int i = 0; i < kNarrations; ++i) {
        if (T().aNarration[i])
            continue;
        char name[64];
        std::snprintf(name, sizeof name, "tutorial_%d_%s.wav", i + 1, LanguageCode());
        // A file that cannot be loaded leaves a silent sound.
        T().aNarration[i] = new SOUND(DataFilePath(name).c_str());
    }
}

void FreeNarration()
{
    for (SOUND*& s : T().aNarration) {
        if (s)
            s->Stop();
        delete s;
        s = nullptr;
    }
}

const TUTORIALSTEP& Current()
{
    return TutorialScript(T().lPuzzle)[T().lScriptStep];
}

// Moves to the next element and does what it does on entering.
void GoOn()
{
    if (T().lScriptStep + 1 >= kTutorialScriptLength)
        return;
    ++T().lScriptStep;
    const TUTORIALSTEP& e = Current();
    switch (e.lKind) {
    case tsPlant: PlantMine(); break;
    case tsDetonate: Detonate(); break;
    case tsText: ShowTutorialText(e.a, e.b); break;
    case tsNarration:
        // The narration speaks whatever the sound setting.
        if (e.a >= 0 && e.a < kNarrations && T().aNarration[e.a])
            T().aNarration[e.a]->Play();
        break;
    default: break;
    }
}

// Whether the current element's condition holds; a walk steers the figure
// on until it stands within 0.2 of the square's centre on both axes.
bool ConditionHolds(const TUTORIALSTEP& e)
{
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    switch (e.lKind) {
    case tsEnd: return false;
    case tsWalk: {
        const float cx = SquareCentreX(e.a), cz = SquareCentreZ(e.b);
        if (static_cast<LONG>((cx - g.Avatar.X) * 5) != 0 || static_cast<LONG>((cz - g.Avatar.Z) * 5) != 0) {
            AvatarWalkTowards(cx, cz);
            return false;
        }
        AvatarSetWalking(false);
        return true;
    }
    case tsWaitCube:
        if (e.a < 0 || e.a >= kGridCols || e.b < 0 || e.b >= kGridRows)
            return false;
        return ap.aCubes[e.b][e.a].lKind != ckNone && ap.fRollAngle == 0;
    default: return true;
    }
}

} // namespace

TUTORIALSEAMS& TutorialSeams()
{
    static TUTORIALSEAMS seams{};
    return seams;
}

const TUTORIALSTEP* TutorialScript(LONG lPuzzle)
{
    return lPuzzle >= 1 && lPuzzle <= kTutorialPuzzles ? kScripts[lPuzzle - 1] : nullptr;
}

void StartTutorialPuzzle(LONG lPuzzle)
{
    TUTORIAL& t = T();
    t.lPuzzle = TutorialScript(lPuzzle) ? lPuzzle : 0;
    t.lScriptStep = -1;
    SetTutorialDisplay(TRUE);
    if (lPuzzle == 1)
        ClearTutorialText();
}

void TutorialStep()
{
    TUTORIAL& t = T();
    if (!TutorialScript(t.lPuzzle))
        return;
    if (t.lScriptStep < 0) {
        // The script starts once the cubes have grown.
        if (g.ActivePuzzle.fGrow == kNoGrow)
            GoOn();
        return;
    }
    if (ConditionHolds(Current()))
        GoOn();
}

void SetTutorialDisplay(BOOL fOn)
{
    TUTORIAL& t = T();
    if (fOn) {
        LoadNarration();
    } else {
        FreeNarration();
        // The line objects go; the ids stay for a display rebuilt later.
        t.szUpper[0] = t.szLower[0] = '\0';
    }
    t.fDisplay = fOn ? TRUE : FALSE;
    if (TutorialSeams().pfnDisplay)
        TutorialSeams().pfnDisplay(t.fDisplay);
}

void ShowTutorialText(LONG upperId, LONG lowerId)
{
    TUTORIAL& t = T();
    t.lUpperId = upperId;
    t.lLowerId = lowerId;
    t.szUpper[0] = t.szLower[0] = '\0';
    if (upperId != 0)
        LoadText(static_cast<UINT>(upperId), t.szUpper, sizeof t.szUpper);
    if (lowerId != 0)
        LoadText(static_cast<UINT>(lowerId), t.szLower, sizeof t.szLower);
    if (TutorialSeams().pfnText)
        TutorialSeams().pfnText();
}

void ClearTutorialText()
{
    ShowTutorialText(0, 0);
}

void RefreshTutorialText()
{
    const LONG s = g.lGameState;
    if (!g.fTutorial || (s != gsPlaying && s != gsPuzzleStart && s != gsPaused && s != gsPuzzleWon))
        return;
    const LONG upper = T().lUpperId, lower = T().lLowerId;
    SetTutorialDisplay(FALSE);
    SetTutorialDisplay(TRUE);
    ShowTutorialText(upper, lower);
}
