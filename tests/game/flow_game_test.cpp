#include "flow_fixture.h"

TEST_F(Flow, TutorialRunsFirstAndItsLastPuzzleLeadsToLevelOne)
{
    Levels(kTwoLevels);
    g.Settings.fShowTutorial = TRUE;
    StartGame(nullptr, -1, 1);
    EXPECT_EQ(g.lLevel, 0);
    EXPECT_EQ(g.lGameState, gsLevelIntro);  // the first tutorial puzzle is a new level
    EXPECT_TRUE(g.fTutorial);
    EXPECT_EQ(g.Tutorial.lPuzzle, 1);  // the tutorial script of puzzle 1 runs
    EXPECT_EQ(g.lResumeLevel, 0);  // the tutorial is no place to resume at

    StartPuzzle(0, 4, nullptr);
    EXPECT_EQ(g.lGameState, gsPuzzleStart);  // later tutorial puzzles need no introduction
    EXPECT_EQ(g.ActivePuzzle.Puzzle.aFormation[2][0], ckRed);
    g.lGameState = gsPuzzleWon;
    ExpireState();

    EXPECT_EQ(g.lLevel, 1);
    EXPECT_EQ(g.lPuzzle, 1);
    EXPECT_FALSE(g.fTutorial);
    EXPECT_FALSE(g.Settings.fShowTutorial);
    EXPECT_EQ(g.lGameState, gsLevelIntro);
    EXPECT_EQ(g.ActivePuzzle.Puzzle.aFormation[0][1], ckGray);
    EXPECT_EQ(g.ActivePuzzle.Puzzle.lMines, 2);
    EXPECT_EQ(g.lResumeLevel, 1);
    EXPECT_EQ(g.lResumePuzzle, 1);
}

TEST_F(Flow, SkippingTheTutorialStartsAtTheStartLevel)
{
    Levels(kTwoLevels);
    g.Settings.fShowTutorial = TRUE;
    g.Settings.lStartLevel = 2;
    StartGame(nullptr, -1, 1);
    ASSERT_TRUE(RunUntil(gsPlaying));
    SkipTutorial();
    EXPECT_EQ(g.lLevel, 2);
    EXPECT_EQ(g.lPuzzle, 1);
    EXPECT_FALSE(g.fTutorial);
    EXPECT_FALSE(g.Settings.fShowTutorial);
}

TEST_F(Flow, TheFifthDeathEndsTheGameAndKeepsTheBestScore)
{
    Levels(kTwoLevels);
    StartGame(nullptr, 1, 2);
    ASSERT_TRUE(RunUntil(gsPlaying));
    g.lScore = 300000;
    for (int death = 1; death <= 4; ++death) {
        g.lGameState = gsDead;
        ExpireState();
        ASSERT_EQ(g.lGameState, gsPuzzleStart) << death;
        EXPECT_EQ(g.lLives, 4 - death);
        EXPECT_EQ(g.ActivePuzzle.Puzzle.lMines, 3);  // the same puzzle again
        EXPECT_EQ(g.lMinesRemaining, 3);
    }
    // A Red cube's death counts the same.
    g.lGameState = gsDying;
    g.fDyingRed = TRUE;
    sound_control::ClearCalls();
    ExpireState();
    EXPECT_EQ(g.lGameState, gsGameOver);
    EXPECT_EQ(Count("gameover_eng.wav"), 1);
    clock_control::Advance(1999);
    GameTick();
    EXPECT_EQ(g.lGameState, gsGameOver);
    FLOWSEAMS& seams = FlowSeams();
    static int menus = 0;
    menus = 0;
    seams.pfnShowMainMenu = [] { ++menus; };
    clock_control::Advance(1);
    GameTick();
    EXPECT_EQ(g.lGameState, gsMenu);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(g.Settings.lHighScore, 300000);
    EXPECT_EQ(g.Avatar.pFrameAvatar, nullptr);
    EXPECT_EQ(g.ActivePuzzle.pFloor, nullptr);
}

TEST_F(Flow, ResumeQuestionIsAskedOnlyBeyondTheFirstPuzzle)
{
    Levels(kTwoLevels);
    FlowSeams().pfnAskYesNo = Ask;
    g.lResumeLevel = 1;
    g.lResumePuzzle = 1;
    StartGameFromMenu();
    EXPECT_EQ(s_questions, 0);
    EXPECT_EQ(g.lLevel, 1);
    EndGame(false);

    g.lResumeLevel = 1;
    g.lResumePuzzle = 2;
    s_answer = true;
    StartGameFromMenu();
    EXPECT_EQ(s_questions, 1);
    EXPECT_EQ(s_lastQuestion, idsResumeQuestion);
    EXPECT_EQ(g.lLevel, 1);
    EXPECT_EQ(g.lPuzzle, 2);
    EXPECT_EQ(g.ActivePuzzle.Puzzle.lMines, 3);
    EndGame(false);

    // No: the start level setting.
    s_answer = false;
    g.Settings.lStartLevel = 2;
    StartGameFromMenu();
    EXPECT_EQ(s_questions, 2);
    EXPECT_EQ(g.lLevel, 2);
    EXPECT_EQ(g.lPuzzle, 1);
    EXPECT_EQ(g.lResumeLevel, 2);  // the one store of the resume position
    EndGame(false);

    // With no question box at all the answer is No.
    FlowSeams().pfnAskYesNo = nullptr;
    g.lResumeLevel = 1;
    g.lResumePuzzle = 2;
    g.Settings.lStartLevel = 1;
    StartGameFromMenu();
    EXPECT_EQ(g.lPuzzle, 1);
}

TEST_F(Flow, AnEditorTestNeverUsesLivesAndReturnsToTheEditor)
{
    PUZZLE p{};
    p.lWidth = 4;
    p.lLength = 7;
    p.lMines = 5;
    p.aFormation[0][2] = ckBlue;
    StartGame(&p, 3, 2);
    EXPECT_TRUE(g.ActivePuzzle.bTesting);
    EXPECT_EQ(g.lGameState, gsPuzzleStart);  // no introduction for a test
    EXPECT_EQ(g.lMinesRemaining, 5);
    EXPECT_EQ(g.lResumeLevel, 0);

    // Dying.
    g.lGameState = gsDead;
    ExpireState();
    // No restart took a life: the editor is back, showing no lives.
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_EQ(g.lLives, -1);
    EXPECT_TRUE(fEditorOpen());
    EXPECT_EQ(g.Editor.Puzzle.aFormation[0][2], ckBlue);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 5);
    EXPECT_EQ(g.Editor.lLevel, 3);
    EXPECT_EQ(g.Editor.lPuzzle, 2);

    // Winning.
    g.Editor.Puzzle.lMines = 6;
    TestPuzzle();
    EXPECT_TRUE(g.ActivePuzzle.bTesting);
    g.lGameState = gsPuzzleWon;
    ExpireState();
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 6);

    // Pausing.
    g.Editor.Puzzle.lMines = 7;
    TestPuzzle();
    PauseGame();
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 7);
}

TEST_F(Flow, PausingBetweenRollsKeepsTheTimeLeft)
{
    Levels(kTwoLevels);
    StartGame(nullptr, 1, 1);
    ASSERT_TRUE(RunUntil(gsPlaying));
    RunFrames(1);  // the introduction is left: the cubes grow
    while (g.ActivePuzzle.fGrow != kNoGrow)
        RunFrames(1);
    RunFrames(2);
    ASSERT_EQ(g.ActivePuzzle.fRollAngle, 0);
    const LONG rollLeft = static_cast<LONG>(g.ActivePuzzle.dwRollStart - GetTickCount());
    ASSERT_GT(rollLeft, 0);
    g.ActivePuzzle.dwStateEnd = GetTickCount() + 777;
    static int shown = 0, removed = 0;
    shown = removed = 0;
    FlowSeams().pfnShowPauseMenu = [] { ++shown; };
    FlowSeams().pfnRemovePauseMenu = [] { ++removed; };

    PauseGame();
    EXPECT_EQ(g.lGameState, gsPaused);
    EXPECT_EQ(shown, 1);
    const LONG score = g.lScore;
    RunFrames(400);  // ten seconds pass; nothing rolls
    EXPECT_EQ(g.ActivePuzzle.fRollAngle, 0);
    EXPECT_EQ(g.lScore, score);
    ResumeGame();
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(g.lGameState, gsPlaying);
    EXPECT_EQ(static_cast<LONG>(g.ActivePuzzle.dwRollStart - GetTickCount()), rollLeft);
    EXPECT_EQ(static_cast<LONG>(g.ActivePuzzle.dwStateEnd - GetTickCount()), 777);
    ResumeGame();  // not paused: nothing
    EXPECT_EQ(removed, 1);
}

TEST_F(Flow, PausingDuringTheIntroductionHoldsIt)
{
    Levels(kTwoLevels);
    StartGame(nullptr, 1, 1);
    RunFrames(3);
    const LONG step = g.LevelIntro.lStep;
    const D3DVECTOR source = g.Render.vecCameraSource;
    PauseGame();
    RunFrames(100);
    EXPECT_EQ(g.LevelIntro.lStep, step);
    EXPECT_EQ(g.Render.vecCameraSource.y, source.y);
    ResumeGame();
    EXPECT_EQ(g.lGameState, gsLevelIntro);
    EXPECT_TRUE(RunUntil(gsPlaying));
}
