#include "fixture.h"

#include "game/hint.h"

#include <cmath>

TEST(RollTimes, SpeedAndDifficultyGiveRollAndPause)
{
    struct {
        LONG speed;
        DWORD difficulty;
        LONG roll, pause;
    } cases[] = {
        {0, diffNormal, 400, 800},    {100, diffNormal, 200, 300},  {-100, diffNormal, 500, 1500},
        {-300, diffNormal, 700, 2900}, {0, diffEasy, 415, 905},     {0, diffHard, 380, 750},
        {50, diffImpossible, 260, 450}, {100, diffImpossible, 200, 300}, {-600, diffNormal, 900, 4300},
    };
    for (const auto& c : cases) {
        LONG roll = 0, pause = 0;
        ComputeRollTimes(c.speed, c.difficulty, &roll, &pause);
        EXPECT_EQ(roll, c.roll) << "speed " << c.speed << " difficulty " << c.difficulty;
        EXPECT_EQ(pause, c.pause) << "speed " << c.speed << " difficulty " << c.difficulty;
    }
}

TEST_F(PlayField, CubesGrowRowByRowInAboutFiftyFrames)
{
    Start(5, 10, 0, 2, {{0, 0, ckGray}, {2, 5, ckGreen}});
    const VISUAL* first = g.ActivePuzzle.aCubes[0][0].pVisual;
    ASSERT_NE(first, nullptr);
    EXPECT_FLOAT_EQ(first->fSizeY, 0.01f);
    EXPECT_EQ(first->pShowingIn, nullptr);  // set up, not shown yet

    const int frames = Grow();
    EXPECT_GE(frames, 48);
    EXPECT_LE(frames, 53);
    EXPECT_NEAR(g.ActivePuzzle.aCubes[0][0].pVisual->fSizeY, 1.0f, 1e-4);
    EXPECT_NEAR(g.ActivePuzzle.aCubes[5][2].pVisual->fSizeY, 1.0f, 1e-4);
    EXPECT_NEAR(GetFramePosition(g.ActivePuzzle.aCubes[5][2].pFrame).y, 0.5f, 1e-4);
    // The rhythm starts a full pause after the growing.
    EXPECT_EQ(g.ActivePuzzle.dwRollStart, GetTickCount() + 800);
    EXPECT_EQ(Count("grow.wav"), 1);
    const auto& calls = sound_control::Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().op, sound_control::opStop);
    EXPECT_EQ(calls.back().file, "grow.wav");
}

TEST_F(PlayField, RollMovesEveryCubeOneRowAtThreeQuartersWithItsSounds)
{
    Start(5, 10, 0, 2, {{1, 0, ckGray}, {3, 2, ckBlack}});
    Grow();
    sound_control::ClearCalls();
    const DWORD start = g.ActivePuzzle.dwRollStart;
    // Nothing moves during the pause.
    clock_control::SetTick(start - 25);
    Frame(0);
    EXPECT_EQ(g.ActivePuzzle.fRollAngle, 0.0f);
    // A late frame: the angle is measured from the scheduled start.
    clock_control::SetTick(start);
    Frame(100);
    EXPECT_NEAR(g.ActivePuzzle.fRollAngle, kPi / 4 + kPi / 8, 1e-5);
    EXPECT_EQ(Count("rocks.wav"), 1);
    EXPECT_EQ(Kind(1, 0), ckGray);  // not yet committed
    Frame(200);                      // 300 of 400 ms: three quarters
    EXPECT_EQ(Kind(1, 0), ckNone);
    EXPECT_EQ(Kind(1, 1), ckGray);
    EXPECT_EQ(Kind(3, 3), ckBlack);
    EXPECT_EQ(g.lScore, 10);
    // Drawn from the square it came from, half a square on.
    const D3DVECTOR p = GetFramePosition(g.ActivePuzzle.aCubes[1][1].pFrame);
    EXPECT_NEAR(p.z, -0.5f + (0.70710677f * std::cos(kPi / 4 + 3 * kPi / 8) - 0.5f), 1e-4);
    Frame(100);
    EXPECT_EQ(g.ActivePuzzle.fRollAngle, 0.0f);
    EXPECT_EQ(Count("roll.wav"), 1);
    EXPECT_EQ(g.ActivePuzzle.dwRollStart, GetTickCount() + 800);
    EXPECT_NEAR(GetFramePosition(g.ActivePuzzle.aCubes[1][1].pFrame).z, -1.5f, 1e-4);
    EXPECT_NEAR(GetFramePosition(g.ActivePuzzle.aCubes[1][1].pFrame).y, 0.5f, 1e-4);
}

TEST_F(PlayField, NoSoundsWithSoundOffOrInTheTutorial)
{
    g.Settings.fSound = FALSE;
    Start(5, 10, 0, 2, {{1, 0, ckGray}});
    Grow();
    Frame(2000);
    g.Settings.fSound = TRUE;
    g.fTutorial = TRUE;
    Frame(2000);
    Frame(2000);
    EXPECT_TRUE(sound_control::Played().empty());
    EXPECT_GT(g.ActivePuzzle.aCubes[2][1].lKind + g.ActivePuzzle.aCubes[3][1].lKind, 0);
}

TEST_F(PlayField, AdvanceCommandStartsARollOnlyWhenNoneRuns)
{
    Start(5, 10, 0, 2, {{1, 0, ckGray}});
    Grow();
    StartRollNow();
    EXPECT_EQ(g.ActivePuzzle.lStepTime, 300);
    const DWORD started = g.ActivePuzzle.dwRollStart;
    EXPECT_EQ(started, GetTickCount() - 1);
    Frame();
    StartRollNow();
    EXPECT_EQ(g.ActivePuzzle.dwRollStart, started);
    Frame(250);
    EXPECT_EQ(Kind(1, 1), ckGray);  // a 300 ms roll has committed after 275 ms
}

// Roll now is a command of play among grown cubes; the angle of a roll
// stays between a quarter and three quarters of a half turn.
TEST_F(PlayField, RollNowWaitsForTheCubesToGrowAndTheAngleKeepsItsRange)
{
    Start(5, 10, -100, 2, {{1, 0, ckGray}, {2, 1, ckGray}});
    ShowField();
    Frame();
    StartRollNow();
    EXPECT_EQ(g.ActivePuzzle.fRollAngle, 0.0f);
    bool sunk = false;
    for (int i = 0; i < 400; ++i) {
        Frame();
        const float a = g.ActivePuzzle.fRollAngle;
        if (a != 0 && (a < kPi / 4 - 1e-6f || a > 3 * kPi / 4 + 1e-6f))
            sunk = true;
        for (LONG x = 0; x < 5; ++x)
            for (LONG z = 0; z < 10; ++z)
                if (IDirect3DRMFrame2* f = g.ActivePuzzle.aCubes[z][x].pFrame)
                    sunk = sunk || GetFramePosition(f).y < 0.0f;
        if (i == 100)
            StartRollNow();  // grown by now: accepted
    }
    EXPECT_FALSE(sunk);
    EXPECT_EQ(Kind(1, 0), ckNone);  // the cubes did roll on
}

// The figure in row 0 when a cube falls off: the wall is built over it and
// the figure dies, but the wall and the other cubes stay in sight.
TEST_F(PlayField, CubesStayInSightWhileTheFigureDiesUnderASweepsWall)
{
    Start(4, 7, 0, 2, {{3, 5, ckGray}, {0, 3, ckGray}});
    Grow();
    StandOn(1, 0);
    RunUntilCommit();
    RunUntilCommit();  // the Gray of the last row falls: the sweep begins
    ASSERT_EQ(g.lGameState, gsDying);
    ASSERT_TRUE(g.Avatar.fCrushed);
    for (LONG x = 0; x < 4; ++x)
        EXPECT_EQ(Kind(x, 0), ckBlack);
    for (int i = 0; i < 40; ++i) {
        Frame();
        for (LONG x = 0; x < 4; ++x)
            for (LONG z = 0; z < 7; ++z) {
                const CUBE& c = g.ActivePuzzle.aCubes[z][x];
                if (c.pVisual) {
                    EXPECT_NE(c.pVisual->pShowingIn, nullptr) << "frame " << i << " cube " << x << "," << z;
                }
            }
    }
    for (int i = 0; i < 1000 && g.lGameState == gsDying; ++i)
        Frame();
    EXPECT_EQ(g.lGameState, gsDead);
}

TEST_F(PlayField, SolvedFieldStandsStill)
{
    Start(5, 10, 0, 2, {{1, 0, ckBlack}});
    Grow();
    Frame(5000);
    EXPECT_EQ(g.ActivePuzzle.fRollAngle, 0.0f);
    EXPECT_EQ(Kind(1, 0), ckBlack);
}

TEST_F(PlayField, GrayRollingOffInPlayStartsTheSweep)
{
    Start(5, 7, 100, 2, {{0, 5, ckGray}, {4, 0, ckGray}});
    Grow();
    RunUntilCommit();  // row 5 -> 6, the last row
    EXPECT_EQ(g.lGameState, gsPlaying);
    RunUntilCommit();  // off the far end
    EXPECT_EQ(g.ActivePuzzle.aCubes[kRowOffFar][0].lKind, ckGray);
    EXPECT_EQ(g.lGameState, gsSweep);
    EXPECT_TRUE(g.Hint.fShown);
    EXPECT_EQ(g.Hint.lTitleId, idsHintCubeFell);
    EXPECT_EQ(g.Hint.lTextId, idsHintCubeFellText);
    EXPECT_EQ(Count("fell_eng.wav"), 1);
    // The wall of Black cubes stands in row 0 and grows alone.
    for (LONG x = 0; x < 5; ++x)
        EXPECT_EQ(Kind(x, 0), ckBlack);
    EXPECT_EQ(g.ActivePuzzle.fGrowRows, 1.0f);
    // The falling cube drops 0.2 per frame and spins.
    IDirect3DRMFrame2* falling = g.ActivePuzzle.aCubes[kRowOffFar][0].pFrame;
    ASSERT_NE(falling, nullptr);
    const float y0 = GetFramePosition(falling).y;
    for (int i = 0; i < 5; ++i)
        Frame();
    EXPECT_NEAR(GetFramePosition(falling).y, y0 - 1.0f, 1e-4);
    D3DVECTOR dir, up;
    falling->GetOrientation(g.Render.pFramePrimary, &dir, &up);
    EXPECT_LT(up.y, 0.99f);
}

TEST_F(PlayField, SweepRollsFastCrushesTheFigureAndEndsDead)
{
    Start(4, 7, 0, 2, {{3, 5, ckGray}, {0, 0, ckGray}});
    Grow();
    StandOn(0, 4);
    RunUntilCommit();
    RunUntilCommit();  // the Gray of the last row falls: the sweep begins
    ASSERT_EQ(g.lGameState, gsSweep);
    sound_control::ClearCalls();
    int frames = 0;
    while (g.ActivePuzzle.fGrow != kNoGrow && frames++ < 100)
        Frame();
    EXPECT_EQ(g.ActivePuzzle.dwRollStart, GetTickCount());  // no pause
    Frame();
    EXPECT_EQ(g.ActivePuzzle.lStepTime, 200);
    // The wall rolls over the field; a Gray falling now raises nothing.
    for (int i = 0; i < 80 && g.lGameState == gsSweep; ++i)
        Frame();
    EXPECT_EQ(g.lGameState, gsDying);
    EXPECT_FALSE(g.fDyingRed);
    EXPECT_TRUE(g.Avatar.fCrushed);
    EXPECT_EQ(Count("scream.wav"), 1);
    EXPECT_EQ(Count("fell_eng.wav"), 0);
    EXPECT_FLOAT_EQ(g.ActivePuzzle.fSourceStep, 0.7f);
    for (int i = 0; i < 200 && g.lGameState == gsDying; ++i)
        Frame();
    EXPECT_EQ(g.lGameState, gsDead);
    EXPECT_EQ(g.ActivePuzzle.dwStateEnd, GetTickCount() + 1500);
}

TEST_F(PlayField, ShrinkingHidesTheCubes)
{
    Start(5, 10, 0, 2, {{1, 0, ckGray}});
    Grow();
    g.lGameState = gsPuzzleWon;
    ShrinkField();
    int frames = 0;
    while (g.ActivePuzzle.fGrow != kNoGrow && frames++ < 100)
        Frame();
    EXPECT_NEAR(frames, 32, 1);
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][1].pVisual->pShowingIn, nullptr);
}

TEST_F(PlayField, ReflectionsOnlyOverTheField)
{
    Start(5, 7, 0, 2, {{1, 0, ckGray}});
    Grow();
    EXPECT_NE(g.ActivePuzzle.aCubes[0][1].pVisual->pReflection, nullptr);
    g.Settings.dwDisplayQuality = 3;  // reflections off
    RestAllCubes();
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][1].pVisual->pReflection, nullptr);
}
