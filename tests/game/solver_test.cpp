// The solver inside the game: it plays in the global record and gives it
// back as it was, leaves nothing in the scene, and steps in slices to the
// same answer as one run.
#include "fixture.h"

#include "game/flow.h"
#include "game/solver.h"

namespace {

PUZZLE TwoGray()
{
    PUZZLE p{};
    p.lWidth = 5;
    p.lLength = 9;
    p.lSpeed = -50;
    p.lMines = 2;
    p.aFormation[1][1] = ckGray;
    p.aFormation[1][3] = ckGray;
    return p;
}

using SolverInGame = PlayField;

TEST_F(SolverInGame, GivesTheGameRecordAndTheSceneBackAsTheyWere)
{
    g.lGameState = gsEditor;
    g.lScore = 1234;
    g.lMinesRemaining = -1;
    g.Settings.fSound = TRUE;
    const DWORD tick = GetTickCount();
    const std::size_t children = g.Render.pFramePrimary->GetChildren().size();
    const PUZZLE p = TwoGray();
    SOLVEOPTIONS o;
    o.pTest = &p;
    o.llBudgetFrames = 20 * kSolverFramesPerSecond;
    const SOLVERESULT r = SolvePuzzle(o);
    EXPECT_EQ(r.lResult, srSolved);
    EXPECT_EQ(r.lMines, 2);
    EXPECT_GT(r.lTried, 0);
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_EQ(g.lScore, 1234);
    EXPECT_EQ(g.lMinesRemaining, -1);
    EXPECT_TRUE(g.Settings.fSound);
    EXPECT_TRUE(clock_control::IsStepped());
    EXPECT_EQ(GetTickCount(), tick);
    EXPECT_EQ(g.Render.pFramePrimary->GetChildren().size(), children);
    EXPECT_EQ(FlowSeams().pfnScriptStep, nullptr);
    for (const sound_control::CALL& c : sound_control::Calls())
        EXPECT_NE(c.op, sound_control::opPlay) << c.file;  // the rules played silently

    // The script wins when played on its own.
    std::vector<SCRIPTELEMENT> script;
    ASSERT_TRUE(ParseScript(r.script.c_str(), &script, nullptr));
    EXPECT_EQ(PlayScript(o, script, false).lOutcome, roWon);
}

TEST_F(SolverInGame, SlicesGiveTheSameAnswerAsOneRun)
{
    const PUZZLE p = TwoGray();
    SOLVEOPTIONS o;
    o.pTest = &p;
    o.fFewestMines = true;
    o.llBudgetFrames = 20 * kSolverFramesPerSecond;
    const SOLVERESULT whole = SolvePuzzle(o);
    PUZZLESOLVER solver;
    solver.Start(o);
    int slices = 0;
    while (!solver.Step(2000))
        ++slices;
    EXPECT_GT(slices, 1);
    EXPECT_EQ(solver.Result().script, whole.script);
    EXPECT_EQ(solver.Result().lMinesUsed, 2);
    EXPECT_TRUE(solver.Result().fFewestProven);
    EXPECT_EQ(solver.Result().llFrames, whole.llFrames);
}

}  // namespace
