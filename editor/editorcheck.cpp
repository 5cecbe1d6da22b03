#include "editor/editorcheck.h"

#include "editor/editor.h"
#include "game/flow.h"
#include "game/game.h"
#include "platform/clock/crt.h"

#include <climits>
#include <cstring>

namespace {

struct CHECK {
    PUZZLESOLVER solver;
    PUZZLE puzzle{};           // the puzzle as it was checked
    LONG lLevel = 0, lPuzzle = 0;
    DWORD dwDifficulty = 0;
    bool fRunning = false;
    bool fHaveResult = false;
    SOLVERESULT result;
    std::vector<SCRIPTELEMENT> script;  // of a show
    SCRIPTRUN run{};
    bool fShowing = false;
};

CHECK& C()
{
    static CHECK check;
    return check;
}

constexpr unsigned kSeed = 1;

bool AnyDestructible(const PUZZLE& p)
{
    for (const auto& row : p.aFormation)
        for (LONG kind : row)
            if (IsDestructible(kind))
                return true;
    return false;
}

void StepShow() { ScriptStep(&C().run); }

void Tell(LONG id, LONG a = 0, LONG b = 0, LONG c = 0)
{
    if (CheckSeams().pfnTell)
        CheckSeams().pfnTell(id, a, b, c);
}

}  // namespace

CHECKSEAMS& CheckSeams()
{
    static CHECKSEAMS seams{};
    return seams;
}

void CheckPuzzle()
{
    CHECK& c = C();
    EDITOR& l = g.Editor;
    if (!l.fOpen || l.fLoadDialog || c.fRunning)
        return;
    if (!AnyDestructible(l.Puzzle)) {
        Tell(idsEditorNoDestructible);
        return;
    }
    c.puzzle = l.Puzzle;
    c.lLevel = l.lLevel;
    c.lPuzzle = l.lPuzzle;
    c.dwDifficulty = g.Settings.dwDifficulty;
    c.fHaveResult = false;
    SOLVEOPTIONS o;
    o.lLevel = l.lLevel;
    o.lPuzzle = l.lPuzzle;
    o.pTest = &c.puzzle;
    o.dwDifficulty = c.dwDifficulty;
    o.uSeed = kSeed;
    o.llBudgetFrames = kCheckBudgetFrames;
    c.solver.Start(o);
    c.fRunning = true;
    if (CheckSeams().pfnBusyBox)
        CheckSeams().pfnBusyBox(idsChecking);
    else
        c.solver.Step(LLONG_MAX / 4);
    c.fRunning = false;
    if (!c.solver.Done())
        return;  // the player closed the box: the search is dropped
    c.result = c.solver.Result();
    c.fHaveResult = true;
    switch (c.result.lResult) {
    case srSolved:
        if (CheckSeams().pfnAsk &&
            CheckSeams().pfnAsk(idsCheckSolved, c.result.lMinesUsed, c.result.lMines, c.result.lSlack))
            ShowSolution();
        break;
    case srUnsolvable: Tell(idsCheckUnsolvable); break;
    default: Tell(idsCheckUnknown, static_cast<LONG>(kCheckBudgetFrames / kSolverFramesPerSecond)); break;
    }
}

void StepPuzzleCheck()
{
    CHECK& c = C();
    if (!c.fRunning || c.solver.Done())
        return;
    if (c.solver.Step(kCheckSliceFrames) && CheckSeams().pfnEndBusyBox)
        CheckSeams().pfnEndBusyBox();
}

bool fChecking() { return C().fRunning; }

const SOLVERESULT* LastCheck() { return C().fHaveResult ? &C().result : nullptr; }

bool ShowSolution()
{
    CHECK& c = C();
    const EDITOR& l = g.Editor;
    if (!c.fHaveResult || c.result.lResult != srSolved || !l.fOpen || l.fLoadDialog ||
        std::memcmp(&c.puzzle, &l.Puzzle, sizeof(PUZZLE)) != 0 || c.dwDifficulty != g.Settings.dwDifficulty)
        return false;
    if (!ParseScript(c.result.script.c_str(), &c.script, nullptr))
        return false;
    if (CheckSeams().pfnBeforeShow)
        CheckSeams().pfnBeforeShow();
    // The same chance as in the search, so that the gravel falls alike.
    crt::srand(kSeed);
    TestPuzzle();
    if (g.lGameState == gsEditor)
        return false;
    c.run = SCRIPTRUN{};
    ScriptStart(&c.run, c.script.data(), static_cast<LONG>(c.script.size()));
    FlowSeams().pfnScriptStep = StepShow;
    c.fShowing = true;
    return true;
}

bool fShowingSolution() { return C().fShowing; }

void EndSolutionShow()
{
    CHECK& c = C();
    if (!c.fShowing)
        return;
    if (FlowSeams().pfnScriptStep == StepShow)
        FlowSeams().pfnScriptStep = nullptr;
    c.fShowing = false;
}
