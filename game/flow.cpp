#include "game/flow.h"

#include "editor/editor.h"
#include "editor/tutorial.h"
#include "game/field.h"
#include "game/game.h"
#include "game/hint.h"
#include "game/levelintro.h"
#include "game/mines.h"
#include "input/controls.h"
#include "input/gameinput.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "render/scene.h"
#include "sound/dxsound.h"

#include <algorithm>
#include <cstring>

namespace {

ACTIVEPUZZLE& AP() { return g.ActivePuzzle; }

// A deadline of 0 means "not started"; a computed deadline never takes it.
DWORD Deadline(DWORD t) { return t != 0 ? t : 1; }
bool Passed(DWORD deadline) { return static_cast<LONG>(GetTickCount() - deadline) >= 0; }

LONG MulDiv(LONG a, LONG b, LONG c)
{
    const long long p = static_cast<long long>(a) * b;
    return static_cast<LONG>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

template <typename F> void Call(F* pfn)
{
    if (pfn)
        pfn();
}

void TutorialDisplayOff() { Call(FlowSeams().pfnTutorialDisplayOff); }

// The tested puzzle goes back to the editor once the game is over.
void ReturnToEditor()
{
    const PUZZLE tested = AP().Puzzle;
    EndGame(false);
    OpenEditor(tested);
}

// The base size of a generated puzzle: the field last played, or when none
// was played in this game the last level's defaults.
void GeneratedBase(LONG* pWidth, LONG* pLength)
{
    LONG w = AP().lWidth, l = AP().lLength;
    if (w == 0 || l == 0) {
        w = 6;
        l = 8;
        if (g.Levels.cLevels > 0) {
            const LEVEL& last = g.Levels.pLevels[g.Levels.cLevels - 1];
            w = last.lWidth;
            l = last.lLength;
        }
    }
    *pWidth = std::clamp<LONG>(w, kMinWidth, kMaxWidth);
    *pLength = std::clamp<LONG>(l, kMinLength, kMaxLength);
}

// A generated puzzle of level a (beyond the file): the field drifts in
// width on a new level but never gets narrower than the last level's, and
// speed and cube counts go on from where the file ends.
void GenerateNext(bool fNewLevel, LONG a)
{
    LONG w, l;
    GeneratedBase(&w, &l);
    GENERATEDBASE base{};
    const bool fBase = LastLevelCurve(a, &base);
    if (fNewLevel)
        w = std::clamp<LONG>(w + crt::rand() % 4 - 2, fBase ? base.lWidth : kMinWidth, kMaxWidth);
    GeneratePuzzle(w, l, &AP().Puzzle, fBase ? &base : nullptr);
}

bool Beyond(LONG level) { return level > g.Levels.cLevels; }

// Whether a row of the formation is all Red and Black cubes with a
// destructible cube in a row behind it (a smaller row number, rolling later).
bool BlockedByFullRow(const PUZZLE& p, LONG rows, LONG columns)
{
    bool destructibleBehind = false;
    for (LONG z = 0; z < rows; ++z) {
        bool full = columns > 0;
        bool destructible = false;
        for (LONG x = 0; x < columns; ++x) {
            const LONG kind = p.aFormation[z][x];
            full = full && (kind == ckRed || kind == ckBlack);
            destructible = destructible || IsDestructible(kind);
        }
        if (full && destructibleBehind)
            return true;
        destructibleBehind = destructibleBehind || destructible;
    }
    return false;
}

}  // namespace

FLOWSEAMS& FlowSeams()
{
    static FLOWSEAMS seams{};
    return seams;
}

bool GetTutorialPuzzle(LONG n, PUZZLE* p)
{
    struct CELL {
        LONG row, column, kind;
    };
    struct TUTORIAL {
        LONG width, length, speed, mines;
        std::initializer_list<CELL> cells;
    };
    static const TUTORIAL kPuzzles[4] = {
        {5, 8, -300, 2, {{1, 1, ckGray}, {1, 3, ckGray}}},
        {5, 8, -300, 2, {{1, 1, ckGray}, {1, 2, ckGray}, {1, 3, ckGray}, {3, 2, ckGreen}}},
        {4, 8, -200, 2, {{0, 3, ckGray}, {1, 3, ckGray}, {2, 0, ckBlue}, {2, 1, ckGreen}, {2, 3, ckGray}}},
        {5, 8, -175, 2,
         {{0, 1, ckGray}, {0, 3, ckGray}, {2, 0, ckRed}, {2, 4, ckRed}, {2, 2, ckGreen}, {3, 1, ckBlack},
          {3, 3, ckBlack}}},
    };
    if (n < 1 || n > 4)
        return false;
    const TUTORIAL& t = kPuzzles[n - 1];
    *p = PUZZLE{};
    p->lWidth = t.width;
    p->lLength = t.length;
    p->lSpeed = t.speed;
    p->lMines = t.mines;
    for (const CELL& c : t.cells)
        p->aFormation[c.row][c.column] = c.kind;
    return true;
}

bool LastLevelCurve(LONG lLevel, GENERATEDBASE* pBase)
{
    if (g.Levels.cLevels < 1)
        return false;
    const LEVEL& last = g.Levels.pLevels[g.Levels.cLevels - 1];
    GENERATEDBASE b{};
    b.lWidth = std::clamp<LONG>(last.lWidth, kMinWidth, kMaxWidth);
    b.lSpeed = last.lSpeed;
    b.lLevel = std::max<LONG>(lLevel - g.Levels.cLevels - 1, 0);
    // Mean depth of the formations, and the share of their cells that hold
    // a cube, over the last level's puzzles.
    LONG depth = 0, cells = 0, cubes = 0;
    for (LONG i = 0; i < last.cPuzzles; ++i) {
        const PUZZLE& pz = last.pPuzzles[i];
        LONG first = -1, end = 0;
        for (LONG z = 0; z < kFormationRows; ++z)
            for (LONG x = 0; x < std::clamp<LONG>(pz.lWidth, 0, kMaxWidth); ++x)
                if (pz.aFormation[z][x] != ckNone) {
                    ++cubes;
                    if (first < 0)
                        first = z;
                    end = z + 1;
                }
        const LONG rows = first < 0 ? 0 : end - first;
        depth += rows;
        cells += rows * std::clamp<LONG>(pz.lWidth, 0, kMaxWidth);
    }
    if (last.cPuzzles < 1 || cells < 1)
        return false;
    b.lRows = std::clamp<LONG>(MulDiv(depth, 1, last.cPuzzles), 1, kFormationRows);
    b.lChance = std::clamp<LONG>(MulDiv(cubes, 100, cells), 0, 100);
    *pBase = b;
    return true;
}

void GeneratePuzzle(LONG lWidth, LONG lLength, PUZZLE* p, const GENERATEDBASE* pBase)
{
    *p = PUZZLE{};
    p->lWidth = lWidth;
    p->lLength = lLength;
    const LONG v = std::clamp<LONG>(static_cast<LONG>(g.Settings.dwDifficulty) * 10 + crt::rand() % 60, 0, 100);
    p->lSpeed = v - 50;
    LONG rows = std::clamp<LONG>(MulDiv(6, v, 100), 1, 6);
    const LONG columns = std::clamp<LONG>(lWidth, 0, kMaxWidth);
    LONG chance = v / 4 + (lWidth <= 5 ? 60 : lWidth == 6 ? 50 : lWidth <= 8 ? 40 : 30);
    if (pBase) {
        // Beyond the shipped levels the same draw varies the puzzle around
        // where the file ends: its speed (five faster for every generated
        // level), its depth and how full its rows are.
        p->lSpeed = std::clamp<LONG>(pBase->lSpeed + 5 * pBase->lLevel + (v - 50) / 5, -100, 100);
        rows = std::clamp<LONG>(rows, pBase->lRows, 6);
        chance = std::max(chance, pBase->lChance);
    }
    for (;;) {
        bool fFree = false;
        for (LONG z = 0; z < rows; ++z)
            for (LONG x = 0; x < columns; ++x) {
                LONG& cell = p->aFormation[z][x];
                // A cell keeps the cube an earlier round put there.
                if (cell != ckNone)
                    continue;
                if (crt::rand() % 100 >= chance) {
                    fFree = true;
                    continue;
                }
                if (crt::rand() % 20 < 5)
                    cell = ckRed;
                else if (crt::rand() % 20 < 6)
                    cell = ckBlack;
                else if (crt::rand() % 20 < 7)
                    cell = ckBlue;
                else if (crt::rand() % 20 < 8)
                    cell = ckGreen;
                else
                    cell = ckGray;
            }
        p->lMines = 0;
        for (LONG z = 0; z < rows; ++z)
            for (LONG x = 0; x < columns; ++x)
                if (IsDestructible(p->aFormation[z][x]))
                    ++p->lMines;
        // A full row of Red and Black cubes crushes the figure wherever it
        // stands; with destructible cubes behind it the puzzle cannot be
        // won, so it is drawn again from empty.
        if (BlockedByFullRow(*p, rows, columns)) {
            std::memset(p->aFormation, 0, sizeof p->aFormation);
            continue;
        }
        if (p->lMines >= 3)
            return;
        // Rows filled with forbidden and steel cubes could never give three
        // mines: such a formation is drawn again from empty.
        if (!fFree)
            std::memset(p->aFormation, 0, sizeof p->aFormation);
    }
}

void StartGameFromMenu()
{
    LONG level = -1, puzzle = 1;
    const bool fResume = g.lResumeLevel != 0 && g.lResumePuzzle != 0;
    if (fResume && !(g.lResumeLevel == 1 && g.lResumePuzzle == 1)) {
        bool (*ask)(LONG) = FlowSeams().pfnAskYesNo;
        if (ask && ask(idsResumeQuestion)) {
            level = g.lResumeLevel;
            puzzle = g.lResumePuzzle;
        }
    }
    Call(FlowSeams().pfnCloseMenusAndTitle);
    StartGame(nullptr, level, puzzle);
}

void StartGame(const PUZZLE* pTest, LONG lLevel, LONG lPuzzle)
{
    ReleaseField();
    ClearAllMines();
    AvatarRelease();
    ApplyAmbientLight(1);
    ReleaseFloor();
    AbandonLevelIntro();
    if (lLevel == -1)
        lLevel = g.Settings.lStartLevel;
    if (g.Settings.fShowTutorial && !pTest) {
        Call(FlowSeams().pfnStopMusic);
        lLevel = 0;
        lPuzzle = 1;
    }
    AP().bTesting = pTest != nullptr;
    NewGameValues();
    StartPuzzle(lLevel, lPuzzle, pTest);
}

void StartPuzzle(LONG lLevel, LONG lPuzzle, const PUZZLE* pTest)
{
    ACTIVEPUZZLE& ap = AP();
    LONG a = lLevel, b = lPuzzle;
    g.fTutorial = FALSE;
    bool fNewLevel = a != g.lLevel;
    if (!pTest && a == 0 && b >= 5) {
        // The tutorial is over: the real game begins at level 1.
        a = 1;
        b = 1;
        fNewLevel = true;
    }
    if (pTest) {
        ap.Puzzle = *pTest;
    } else if (a >= 1) {
        TutorialDisplayOff();
        if (g.Settings.fShowTutorial) {
            g.Settings.fShowTutorial = FALSE;
            SaveSettings();
        }
        if (Beyond(a)) {
            // Five generated puzzles make a level.
            if (b >= 6) {
                ++a;
                b = 1;
                fNewLevel = true;
            }
            GenerateNext(fNewLevel, a);
        } else {
            if (g.Levels.pLevels[a - 1].cPuzzles < b) {
                ++a;
                b = 1;
                fNewLevel = true;
            }
            if (Beyond(a))
                GenerateNext(true, a);
            else
                ap.Puzzle = g.Levels.pLevels[a - 1].pPuzzles[b - 1];
        }
    } else {
        GetTutorialPuzzle(b >= 1 ? b : 1, &ap.Puzzle);
        g.fTutorial = TRUE;
        StartTutorialPuzzle(b);
        fNewLevel = b == 1;
    }
    if (!g.fTutorial) {
        BeginMouseCapture(ap.Puzzle.lWidth, ap.Puzzle.lLength);
        if (g.Settings.fMusic)
            Call(FlowSeams().pfnStartMusic);
    }
    HideHint();
    if (!fNewLevel || pTest) {
        PlayGameSound(sndFly);
        g.lGameState = gsPuzzleStart;
        ap.dwStateEnd = Deadline(GetTickCount() + 1500);
        SetUpField();
        SetMinesRemaining(ap.Puzzle.lMines);
        ApplyAmbientLight(3);
        if (pTest) {
            ShowPuzzle(a, b, g.lMinesRemaining);
            return;
        }
    } else {
        // The level is entered through its introduction, which sets up the
        // field itself.
        g.lLevel = a;
        StartLevelIntro();
    }
    if (!g.fTutorial && !Beyond(a)) {
        g.lResumeLevel = a;
        g.lResumePuzzle = b;
    }
    ShowPuzzle(a, b, g.lMinesRemaining);
}

void GameTick()
{
    ACTIVEPUZZLE& ap = AP();
    StepHint();
    const LONG state = g.lGameState;
    if ((state == gsDead || (state == gsDying && g.fDyingRed)) && Passed(ap.dwStateEnd)) {
        if (ap.bTesting) {
            ReturnToEditor();
        } else if (g.lLives <= 0) {
            PlayGameSound(sndGameOver);
            g.lGameState = gsGameOver;
            ap.dwStateEnd = Deadline(GetTickCount() + 2000);
        } else {
            --g.lLives;
            PlayGameSound(sndFly);
            g.lGameState = gsPuzzleStart;
            g.fDyingRed = FALSE;
            HideHint();
            ap.dwStateEnd = Deadline(GetTickCount() + 1000);
            SetUpField();
            SetMinesRemaining(ap.Puzzle.lMines);
            ApplyAmbientLight(3);
            Call(FlowSeams().pfnRefreshStatus);
        }
    } else if (state == gsGameOver && Passed(ap.dwStateEnd)) {
        if (ap.bTesting)
            ReturnToEditor();
        else
            EndGame(true);
    } else if (state == gsPuzzleStart && Passed(ap.dwStateEnd)) {
        g.lGameState = gsPlaying;
        ShowField();
    } else if (state == gsPuzzleWon && Passed(ap.dwStateEnd)) {
        if (ap.bTesting)
            ReturnToEditor();
        else
            StartPuzzle(g.lLevel, g.lPuzzle + 1, nullptr);
    }
    const LONG now = g.lGameState;
    if (now == gsPlaying || now == gsPuzzleWon || now == gsSweep || now == gsDying) {
        if (now == gsPlaying) {
            if (FlowSeams().pfnScriptStep)
                FlowSeams().pfnScriptStep();
            else if (g.fTutorial)
                TutorialStep();
        }
        StepField();
    }
    StepFieldAnimations();
}

void EndGame(bool fToMenu)
{
    if (g.lScore > g.Settings.lHighScore) {
        g.Settings.lHighScore = g.lScore;
        SaveSettings();
    }
    ReleaseFloor();
    HideHint();
    AvatarSetWalking(false);
    TutorialDisplayOff();
    g.lGameState = gsMenu;
    AbandonLevelIntro();
    ReleaseAllExplosions();
    ReleaseField();
    ClearAllMines();
    AvatarRelease();
    ApplyAmbientLight(1);
    if (InputMouseActive())
        EndMouseCapture();
    Call(FlowSeams().pfnRefreshStatus);
    if (fToMenu)
        Call(FlowSeams().pfnShowMainMenu);
}

void SkipTutorial()
{
    const LONG s = g.lGameState;
    if (g.fTutorial && (s == gsPlaying || s == gsPuzzleStart || s == gsPuzzleWon))
        StartPuzzle(g.Settings.lStartLevel, 1, nullptr);
}

bool CanPause(LONG state)
{
    return (state >= gsLevelIntro && state <= gsPuzzleStart) || state == gsPuzzleWon || state == gsSweep;
}

void PauseGame()
{
    ACTIVEPUZZLE& ap = AP();
    if (!CanPause(g.lGameState))
        return;
    if (ap.bTesting) {
        ReturnToEditor();
        return;
    }
    const DWORD now = GetTickCount();
    PAUSEINFO& p = g.Pause;
    p = PAUSEINFO{};
    p.fRollIdle = ap.dwRollStart == 0;
    p.lRollLeft = static_cast<LONG>(ap.dwRollStart - now);
    p.lStateLeft = static_cast<LONG>(ap.dwStateEnd - now);
    p.lState = g.lGameState;
    g.lGameState = gsPaused;
    AvatarSetWalking(false);
    if (InputMouseActive()) {
        p.fCaptured = TRUE;
        p.lCaptureWidth = ap.lWidth;
        p.lCaptureLength = ap.lLength;
        EndMouseCapture();
    }
    Call(FlowSeams().pfnShowPauseMenu);
}

void ResumeGame()
{
    ACTIVEPUZZLE& ap = AP();
    if (g.lGameState != gsPaused)
        return;
    Call(FlowSeams().pfnRemovePauseMenu);
    const PAUSEINFO& p = g.Pause;
    const DWORD now = GetTickCount();
    ap.dwRollStart = p.fRollIdle ? 0 : Deadline(now + static_cast<DWORD>(p.lRollLeft));
    ap.dwStateEnd = Deadline(now + static_cast<DWORD>(p.lStateLeft));
    g.lGameState = p.lState;
    if (p.fCaptured)
        BeginMouseCapture(p.lCaptureWidth, p.lCaptureLength);
}
